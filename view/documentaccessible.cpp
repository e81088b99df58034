#include "view/documentaccessible.h"

#include "view/celllayout.h"
#include "view/documentview.h"
#include "view/textrange.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>

namespace {

// A piece of the text on its own, for the boundaries of words, sentences and characters that
// Qt finds in a text it is given whole.
class TextPiece : public QAccessibleTextInterface {
public:
    explicit TextPiece(QString text)
        : m_text(std::move(text))
    {
    }
    QString text(int startOffset, int endOffset) const override
    {
        return m_text.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(m_text.size()); }

    void selection(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QRect characterRect(int) const override { return QRect(); }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int* startOffset, int* endOffset) const override
    {
        *startOffset = *endOffset = 0;
        return QString();
    }

private:
    QString m_text;
};

QAccessibleInterface* documentFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String(DocumentView::staticMetaObject.className()))
        return new DocumentAccessible(static_cast<DocumentView*>(object));
    return nullptr;
}

QString rgb(const QColor& color)
{
    return QStringLiteral("rgb(%1,%2,%3)").arg(color.red()).arg(color.green()).arg(color.blue());
}

} // namespace

DocumentAccessible::DocumentAccessible(DocumentView* view)
    : QAccessibleWidget(view, QAccessible::EditableText)
{
}

DocumentView* DocumentAccessible::view() const { return static_cast<DocumentView*>(widget()); }

void DocumentAccessible::install()
{
    // The last factory put in place is asked first, so the view's interface goes before the
    // one Qt gives every text edit.
    static const bool installed = [] {
        QAccessible::installFactory(documentFactory);
        return true;
    }();
    Q_UNUSED(installed);
    installChangeFilter();
}

QAccessible::State DocumentAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = !view()->isReadOnly();
    state.readOnly = view()->isReadOnly();
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

void* DocumentAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void DocumentAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    *startOffset = *endOffset = 0;
    const QTextCursor cursor = view()->textCursor();
    if (selectionIndex == 0 && cursor.hasSelection()) {
        *startOffset = cursor.selectionStart();
        *endOffset = cursor.selectionEnd();
    }
}

int DocumentAccessible::selectionCount() const { return view()->textCursor().hasSelection(); }

void DocumentAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void DocumentAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex != 0)
        return;
    QTextCursor cursor = view()->textCursor();
    cursor.clearSelection();
    view()->setTextCursor(cursor);
}

void DocumentAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex != 0)
        return;
    const int last = characterCount();
    QTextCursor cursor = view()->textCursor();
    cursor.setPosition(std::clamp(startOffset, 0, last));
    cursor.setPosition(std::clamp(endOffset, 0, last), QTextCursor::KeepAnchor);
    view()->setTextCursor(cursor);
}

int DocumentAccessible::cursorPosition() const { return view()->textCursor().position(); }

void DocumentAccessible::setCursorPosition(int position)
{
    QTextCursor cursor = view()->textCursor();
    cursor.setPosition(std::clamp(position, 0, characterCount()));
    view()->setTextCursor(cursor);
}

QString DocumentAccessible::text(int startOffset, int endOffset) const
{
    return TextRange::text(view()->document(), startOffset, endOffset);
}

int DocumentAccessible::characterCount() const { return TextRange::length(view()->document()); }

QString DocumentAccessible::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    const QTextDocument* document = view()->document();
    if (offset < 0)
        offset = characterCount();
    switch (boundaryType) {
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary: {
        const TextRange::Line line = TextRange::lineAt(document, offset);
        *startOffset = line.start;
        *endOffset = line.end;
        return text(line.start, line.end);
    }
    case QAccessible::NoBoundary:
        *startOffset = 0;
        *endOffset = characterCount();
        return text(0, *endOffset);
    default:
        return nearbyText(Side::At, offset, boundaryType, startOffset, endOffset);
    }
}

QString DocumentAccessible::textBeforeOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    if (offset < 0)
        offset = characterCount();
    if (boundaryType != QAccessible::LineBoundary && boundaryType != QAccessible::ParagraphBoundary)
        return nearbyText(Side::Before, offset, boundaryType, startOffset, endOffset);
    *startOffset = *endOffset = -1;
    const TextRange::Line line = TextRange::lineAt(view()->document(), offset);
    if (line.start == 0)
        return QString();
    return textAtOffset(line.start - 1, boundaryType, startOffset, endOffset);
}

QString DocumentAccessible::textAfterOffset(
    int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    if (offset < 0)
        offset = characterCount();
    if (boundaryType != QAccessible::LineBoundary && boundaryType != QAccessible::ParagraphBoundary)
        return nearbyText(Side::After, offset, boundaryType, startOffset, endOffset);
    *startOffset = *endOffset = -1;
    const QTextDocument* document = view()->document();
    const TextRange::Line line = TextRange::lineAt(document, offset);
    const TextRange::Line next = TextRange::lineAt(document, line.end);
    if (next.start == line.start)
        return QString(); // the last line has none after it
    *startOffset = next.start;
    *endOffset = next.end;
    return text(next.start, next.end);
}

QString DocumentAccessible::nearbyText(Side side, int offset,
    QAccessible::TextBoundaryType boundaryType, int* startOffset, int* endOffset) const
{
    // The line of the offset with the lines before and after it: enough for the word or
    // character next to it, and a sentence seldom runs further.
    const QTextDocument* document = view()->document();
    const int last = characterCount();
    const TextRange::Line line = TextRange::lineAt(document, offset);
    const int from = line.start > 0 ? TextRange::lineAt(document, line.start - 1).start : 0;
    const int to = line.end < last ? TextRange::lineAt(document, line.end).end : last;
    const TextPiece piece(text(from, to));
    const int local = std::clamp(offset, from, to) - from;
    QString found;
    switch (side) {
    case Side::Before:
        found = piece.textBeforeOffset(local, boundaryType, startOffset, endOffset);
        break;
    case Side::At:
        found = piece.textAtOffset(local, boundaryType, startOffset, endOffset);
        break;
    case Side::After:
        found = piece.textAfterOffset(local, boundaryType, startOffset, endOffset);
        break;
    }
    if (*startOffset >= 0)
        *startOffset += from;
    if (*endOffset >= 0)
        *endOffset += from;
    return found;
}

QRectF DocumentAccessible::documentRect(int offset) const
{
    // The character grid knows where each cell is; Qt's layout answers for the caret there.
    const DocumentView* v = view();
    QTextCursor cursor(v->document());
    cursor.setPosition(std::clamp(offset, 0, characterCount()));
    const QFontMetricsF metrics(cursor.charFormat().font().resolve(v->document()->defaultFont()));
    const QChar character = v->document()->characterAt(cursor.position());
    const qreal width = character.isPrint() ? metrics.horizontalAdvance(character) : 0;
    if (const auto* grid = qobject_cast<CellLayout*>(v->document()->documentLayout())) {
        QRectF caret = grid->caretRect(cursor.position());
        caret.setWidth(width);
        return caret;
    }
    QRectF caret = v->cursorRect(cursor);
    caret.translate(v->horizontalScrollBar()->value(), v->verticalScrollBar()->value());
    caret.setWidth(width);
    return caret;
}

QRect DocumentAccessible::characterRect(int offset) const
{
    const DocumentView* v = view();
    const QRectF rect = documentRect(offset).translated(
        -v->horizontalScrollBar()->value(), -v->verticalScrollBar()->value());
    return rect.toAlignedRect().translated(v->viewport()->mapToGlobal(QPoint(0, 0)));
}

int DocumentAccessible::offsetAtPoint(const QPoint& point) const
{
    const DocumentView* v = view();
    const QPoint local = v->viewport()->mapFromGlobal(point);
    if (!v->viewport()->rect().contains(local))
        return -1;
    return v->cursorForPosition(local).position();
}

void DocumentAccessible::scrollToSubstring(int startIndex, int endIndex)
{
    DocumentView* v = view();
    const QRectF start = documentRect(startIndex);
    const QRectF end = documentRect(std::max(startIndex, endIndex));
    QScrollBar* bar = v->verticalScrollBar();
    const int height = v->viewport()->height();
    if (start.top() < bar->value() || end.bottom() > bar->value() + height)
        bar->setValue(int(start.top()));
}

QString DocumentAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    // The run of one format that holds the character; a paragraph's end has its block's format.
    const QTextDocument* document = view()->document();
    offset = std::clamp(offset, 0, characterCount());
    const QTextBlock block = document->findBlock(offset);
    QTextCharFormat format = block.charFormat();
    *startOffset = offset;
    *endOffset = std::min(offset + 1, characterCount());
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        if (fragment.contains(offset)) {
            format = fragment.charFormat();
            *startOffset = fragment.position();
            *endOffset = fragment.position() + fragment.length();
            break;
        }
    }
    const QFont font = format.font().resolve(document->defaultFont());
    const QColor color = format.foreground().style() == Qt::NoBrush
        ? view()->palette().color(QPalette::Text)
        : format.foreground().color();
    // A face given in pixels (the DOS face) has its size in points from what was matched.
    QString result = QStringLiteral("font-family:%1;font-size:%2pt;font-weight:%3;color:%4;")
                         .arg(font.family())
                         .arg(QFontInfo(font).pointSizeF())
                         .arg(int(font.weight()))
                         .arg(rgb(color));
    result += font.italic() ? QStringLiteral("font-style:italic;")
                            : QStringLiteral("font-style:normal;");
    if (format.background().style() != Qt::NoBrush)
        result += QStringLiteral("background-color:%1;").arg(rgb(format.background().color()));
    if (font.underline())
        result += QStringLiteral("text-underline-style:solid;text-underline-type:single;");
    if (font.strikeOut())
        result += QStringLiteral("text-line-through-type:single;");
    return result;
}

void DocumentAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void DocumentAccessible::insertText(int offset, const QString& text)
{
    replaceText(offset, offset, text);
}

void DocumentAccessible::replaceText(int startOffset, int endOffset, const QString& text)
{
    const int last = characterCount();
    QTextCursor cursor(view()->document());
    cursor.setPosition(std::clamp(startOffset, 0, last));
    cursor.setPosition(std::clamp(endOffset, 0, last), QTextCursor::KeepAnchor);
    cursor.insertText(text);
}
