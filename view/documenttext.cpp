#include "view/documenttext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVariant>
#include <algorithm>

namespace DocumentText {

namespace {

    // The document's characters from position from on, mapped in place.
    QString plain(const QTextDocument* document, QString raw, int from)
    {
        char16_t* const begin = reinterpret_cast<char16_t*>(raw.data());
        char16_t* const end = begin + raw.size();
        for (char16_t* c = begin; c != end; ++c) {
            switch (*c) {
            case QChar::ParagraphSeparator:
            case QChar::LineSeparator:
            case 0xFDD0: // a frame (table, cell) begins
            case 0xFDD1: // a frame ends
                *c = u'\n';
                break;
            default:
                break;
            }
        }
        restoreStandIns(document, raw, from);
        if (raw.isEmpty() || !document->property(HasCharacterEnds).toBool())
            return raw;
        const int to = from + int(raw.size());
        for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() < to;
             block = block.next()) {
            const int separator = block.position() + block.length() - 1;
            if (separator < from || separator >= to)
                continue;
            if (const char16_t c = endCharacter(block))
                begin[separator - from] = c;
        }
        return raw;
    }

} // namespace

namespace {
    struct StandIn {
        char16_t original;
        char16_t shown;
    };
    constexpr StandIn StandInTable[] = {
        { QChar::LineSeparator, 0x25D9 }, // the DOS picture of a line feed
        { QChar::ParagraphSeparator, 0x00B6 }, // the pilcrow
        { 0xFDD0, 0x25A0 }, // a square
        { 0xFDD1, 0x25AC }, // a bar
    };
}

char16_t standInOf(char16_t c)
{
    for (const StandIn& s : StandInTable) {
        if (s.original == c)
            return s.shown;
    }
    return 0;
}

char16_t originalOf(char16_t shown)
{
    for (const StandIn& s : StandInTable) {
        if (s.shown == shown)
            return s.original;
    }
    return 0;
}

char16_t endCharacter(const QTextBlock& block)
{
    if (!block.document()->property(HasCharacterEnds).toBool())
        return 0;
    return char16_t(block.blockFormat().intProperty(EndsAt));
}

char16_t cutCharacter(const QTextBlock& block)
{
    if (!block.document()->property(HasCuts).toBool())
        return 0;
    // The format of a block's separator is the next block's character format.
    const QTextBlock next = block.next();
    return next.isValid() ? char16_t(next.charFormat().intProperty(CutFor)) : 0;
}

void restoreStandIns(const QTextDocument* document, QString& text, int from)
{
    const bool standIns = document->property(HasStandIns).toBool();
    const bool cuts = document->property(HasCuts).toBool();
    if (text.isEmpty() || !(standIns || cuts))
        return;
    const int to = from + int(text.size());
    for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const int separator = block.position() + block.length() - 1;
        if (cuts && separator >= from && separator < to && text.at(separator - from) == u'\n') {
            if (const char16_t cut = cutCharacter(block))
                text[separator - from] = QChar(cut);
        }
        if (!standIns)
            continue;
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(from, fragment.position());
            const int end = std::min(to, fragment.position() + fragment.length());
            if (end <= start)
                continue;
            if (!fragment.charFormat().boolProperty(StandIns))
                continue;
            for (int p = start; p < end; ++p) {
                if (const char16_t original = standsFor(text.at(p - from).unicode()))
                    text[p - from] = QChar(original);
            }
        }
    }
}

QString whole(const QTextDocument* document) { return plain(document, document->toRawText(), 0); }

QString selected(const QTextCursor& cursor)
{
    return plain(cursor.document(), cursor.selectedText(), cursor.selectionStart());
}

} // namespace DocumentText
