#include "view/textrange.h"

#include "view/documenttext.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVariant>
#include <algorithm>

namespace TextRange {

namespace {

    // Whether the separator that ends the block reads as a line break: not where it stands for
    // a space or for the character of a long line that it cuts.
    bool endsWithBreak(const QTextBlock& block)
    {
        return DocumentText::endCharacter(block) == 0 && DocumentText::cutCharacter(block) == 0;
    }

    int separatorOf(const QTextBlock& block) { return block.position() + block.length() - 1; }

    // The block's own characters from from to to, both within the block.
    QString blockText(const QTextBlock& block, int from, int to)
    {
        if (to <= from)
            return QString();
        QTextCursor cursor(block);
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        return cursor.selectedText();
    }

    // The first position after the last break before position.
    int lineStart(const QTextDocument* document, int position)
    {
        QTextBlock block = document->findBlock(position);
        while (block.isValid()) {
            const int relative = position - block.position();
            if (relative > 0) {
                const QString own = blockText(block, block.position(), position);
                const qsizetype at = own.lastIndexOf(QChar::LineSeparator);
                if (at >= 0)
                    return block.position() + int(at) + 1;
            }
            const QTextBlock previous = block.previous();
            if (!previous.isValid() || endsWithBreak(previous))
                return block.position();
            block = previous;
            position = separatorOf(previous);
        }
        return 0;
    }

    // The position after the first break at or after position, or the end of the text.
    int lineEnd(const QTextDocument* document, int position)
    {
        const int last = length(document);
        QTextBlock block = document->findBlock(position);
        while (block.isValid()) {
            const int separator = separatorOf(block);
            const QString own = blockText(block, position, separator);
            const qsizetype at = own.indexOf(QChar::LineSeparator);
            if (at >= 0)
                return position + int(at) + 1;
            const QTextBlock next = block.next();
            if (!next.isValid())
                return last;
            if (endsWithBreak(block))
                return separator + 1;
            block = next;
            position = next.position();
        }
        return last;
    }

} // namespace

int length(const QTextDocument* document) { return std::max(0, document->characterCount() - 1); }

QString text(const QTextDocument* document, int from, int to)
{
    const int last = length(document);
    from = std::clamp(from, 0, last);
    to = std::clamp(to, from, last);
    QString result;
    result.reserve(to - from);
    for (QTextBlock block = document->findBlock(from); block.isValid() && block.position() < to;
         block = block.next()) {
        const int separator = separatorOf(block);
        result += blockText(block, std::max(from, block.position()), std::min(to, separator));
        if (separator >= from && separator < to) {
            // A cut is put back below.
            const char16_t end = DocumentText::endCharacter(block);
            result += end ? QChar(end) : QChar(u'\n');
        }
    }
    result.replace(QChar::LineSeparator, u'\n');
    DocumentText::restoreStandIns(document, result, from);
    return result;
}

Line lineAt(const QTextDocument* document, int position)
{
    position = std::clamp(position, 0, length(document));
    const int start = lineStart(document, position);
    return { start, lineEnd(document, position) };
}

} // namespace TextRange
