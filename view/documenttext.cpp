#include "view/documenttext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVariant>

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
        if (raw.isEmpty() || !document->property(HasSpaceEnds).toBool())
            return raw;
        const int to = from + int(raw.size());
        for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() < to;
             block = block.next()) {
            const int separator = block.position() + block.length() - 1;
            if (separator >= from && separator < to
                && block.blockFormat().boolProperty(EndsAtSpace))
                begin[separator - from] = u' ';
        }
        return raw;
    }

} // namespace

QString whole(const QTextDocument* document) { return plain(document, document->toRawText(), 0); }

QString selected(const QTextCursor& cursor)
{
    return plain(cursor.document(), cursor.selectedText(), cursor.selectionStart());
}

} // namespace DocumentText
