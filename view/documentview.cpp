#include "view/documentview.h"

#include "forms/apperror.h"
#include "forms/units.h"
#include "view/celllayout.h"
#include "view/documentaccessible.h"
#include "view/documenttext.h"
#include "view/documentwriter.h"
#include "view/terminalfont.h"
#include "view/windowlayout.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <cmath>

DocumentView::DocumentView(QWidget* parent)
    : QTextEdit(parent)
{
    DocumentAccessible::install();
    setFont(TerminalFont::font());
    setAcceptRichText(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setLineWrapMode(QTextEdit::WidgetWidth);
    Units::setBackground(viewport(), Units::WindowBackground);
    m_blank.setDefaultFont(font());
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DocumentView::followScroll);
    connect(this, &QTextEdit::cursorPositionChanged, this, &DocumentView::followCaret);
    showDocument(DocumentWriter::fromPlainText(QString(), font()));
}

WindowLayout* DocumentView::windowLayout() const
{
    return qobject_cast<WindowLayout*>(document()->documentLayout());
}

void DocumentView::followScroll(int value)
{
    WindowLayout* layout = windowLayout();
    if (!layout || m_following)
        return;
    m_following = true;
    const qreal top = layout->showArea(value, viewport()->height());
    // What was at the top stays there when the heights around it are measured anew.
    if (int(std::lround(top)) != value)
        verticalScrollBar()->setValue(int(std::lround(top)));
    m_following = false;
}

void DocumentView::followCaret()
{
    WindowLayout* layout = windowLayout();
    if (!layout || m_following || m_batchDepth > 0)
        return;
    const int position = textCursor().position();
    if (layout->windowHolds(position))
        return;
    m_following = true;
    layout->showPosition(position);
    m_following = false;
    ensureCursorVisible();
}

void DocumentView::showDocument(std::unique_ptr<QTextDocument> doc)
{
    exchangeDocument(std::move(doc));
}

std::unique_ptr<QTextDocument> DocumentView::exchangeDocument(std::unique_ptr<QTextDocument> doc)
{
    // The first document belongs to the editor itself, which deletes it on the switch; one we
    // put in place earlier is ours.
    std::unique_ptr<QTextDocument> old;
    if (document() && document()->parent() == this)
        old.reset(document());
    // The view applies its wrap mode and its width to the document it shows. They are changed
    // while it shows an empty one, so that neither the old document nor the new one is laid out
    // for a change that is not its own.
    setDocument(&m_blank);
    const QTextOption::WrapMode wrap = doc->defaultTextOption().wrapMode();
    if (wordWrapMode() != wrap)
        setWordWrapMode(wrap);
    const bool barBrought = giveWidth(*doc);
    doc->setParent(this);
    setDocument(doc.release());
    if (barBrought)
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    if (old)
        old->setParent(nullptr);
    moveCursor(QTextCursor::Start);
    return old;
}

bool DocumentView::giveWidth(QTextDocument& doc)
{
    // The width the view would give the document, given before it is shown, so that it is laid
    // out once: the viewport's, less the scroll bar's when the document is taller than the view.
    // The bar is then brought at once, and left to come and go as the document needs once it
    // is shown.
    doc.setTextWidth(viewport()->width());
    const auto* layout = qobject_cast<const WindowLayout*>(doc.documentLayout());
    if (!layout || verticalScrollBarPolicy() != Qt::ScrollBarAsNeeded
        || verticalScrollBar()->isVisible()
        || layout->estimatedSize().height() <= viewport()->height())
        return false;
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    doc.setTextWidth(viewport()->width());
    return true;
}

QString DocumentView::Text() const { return DocumentText::whole(document()); }

void DocumentView::setText(const QString& text)
{
    showDocument(DocumentWriter::fromPlainText(text, font()));
}

QTextCursor DocumentView::selectionCursor() const
{
    return m_batchDepth > 0 ? m_batchCursor : textCursor();
}

QString DocumentView::SelText() const { return DocumentText::selected(selectionCursor()); }

namespace {
// Text put in next to a stand-in (view/plainwriter.h) would take its format, and so stand for
// what the stand-in stands for: it comes in as plain text of its own.
QTextCharFormat insertionFormat(const QTextCursor& cursor)
{
    QTextCharFormat format = cursor.charFormat();
    format.clearProperty(DocumentText::StandIns);
    return format;
}
}

void DocumentView::setSelText(const QString& text)
{
    m_batchChangedText = true;
    editCursor([&](QTextCursor& c) { c.insertText(text, insertionFormat(c)); });
}

std::int32_t DocumentView::SelStart() const { return selectionCursor().selectionStart(); }

std::int32_t DocumentView::SelLength() const
{
    const QTextCursor c = selectionCursor();
    return c.selectionEnd() - c.selectionStart();
}

void DocumentView::setSelStart(std::int32_t position)
{
    if (position < 0)
        throw AppError(AppError::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    editCursor([&](QTextCursor& c) {
        const int end = document()->characterCount() - 1;
        c.setPosition(qMin(position, end));
    });
}

void DocumentView::setSelLength(std::int32_t length)
{
    if (length < 0)
        throw AppError(AppError::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    editCursor([&](QTextCursor& c) {
        const int start = c.selectionStart();
        const int end = document()->characterCount() - 1;
        c.setPosition(start);
        c.setPosition(
            int(qMin<std::int64_t>(std::int64_t(start) + length, end)), QTextCursor::KeepAnchor);
    });
}

namespace {
// Faces drawn on the DOS character grid have no bold style, and Qt does not embolden a
// fixed-pitch face, so bold text in them would look regular. Such text is drawn with a thin
// outline in its own colour instead, which thickens every stroke without changing the cell.
bool hasOwnBold(const QFont& font)
{
    static QHash<QString, bool> known;
    const QString family = font.family();
    auto it = known.constFind(family);
    if (it == known.constEnd()) {
        QFont bold = font;
        bold.setWeight(QFont::Bold);
        const QFontInfo info(bold);
        // Qt emboldens a proportional face that lacks a bold style itself.
        bool own = !info.fixedPitch();
        const QStringList styles = QFontDatabase::styles(info.family());
        for (const QString& style : styles)
            own = own || QFontDatabase::weight(info.family(), style) >= QFont::Bold;
        it = known.insert(family, own);
    }
    return *it;
}

constexpr qreal BoldOutlineWidth = 0.6;
}

QColor DocumentView::colorAt(const QTextCharFormat& format) const
{
    return format.foreground().style() == Qt::NoBrush ? palette().color(QPalette::Text)
                                                      : format.foreground().color();
}

QTextCharFormat DocumentView::selectionFormat() const
{
    QTextCharFormat format = selectionCursor().charFormat();
    format.merge(m_pendingFormat);
    return format;
}

void DocumentView::mergeSelectionFormat(const QTextCharFormat& format)
{
    // In a batch, the colour and the weight of one selection are applied together when the
    // selection moves on: each change of format splits the document's runs of text once.
    if (m_batchDepth > 0) {
        m_pendingFormat.merge(format);
        return;
    }
    m_formatsOnly = true;
    editCursor([&](QTextCursor& c) { c.mergeCharFormat(format); });
    m_formatsOnly = false;
}

void DocumentView::applyPendingFormat()
{
    if (m_pendingFormat.propertyCount() == 0)
        return;
    m_batchCursor.mergeCharFormat(m_pendingFormat);
    m_pendingFormat = QTextCharFormat();
}

void DocumentView::setSelColor(std::uint32_t color)
{
    QTextCharFormat format;
    const QColor c0 = Units::color(color);
    format.setForeground(c0);
    // Text made bold by an outline keeps its outline in the text's colour.
    if (selectionFormat().hasProperty(QTextFormat::TextOutline))
        format.setTextOutline(QPen(c0, BoldOutlineWidth));
    mergeSelectionFormat(format);
}

void DocumentView::setSelBold(bool bold)
{
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    const QTextCharFormat current = selectionFormat();
    if (bold && !hasOwnBold(current.font().resolve(document()->defaultFont())))
        format.setTextOutline(QPen(colorAt(current), BoldOutlineWidth));
    else if (current.hasProperty(QTextFormat::TextOutline))
        format.setTextOutline(QPen(Qt::NoPen));
    mergeSelectionFormat(format);
}

DocumentView::Batch::Batch(DocumentView* view)
    : m_view(view)
{
    if (m_view->m_batchDepth++ == 0) {
        m_view->m_batchChangedText = false;
        m_view->m_batchCursor = m_view->textCursor();
        m_view->m_batchCursor.beginEditBlock();
        if (WindowLayout* layout = m_view->windowLayout())
            layout->setWindowAside();
    }
}

DocumentView::Batch::~Batch()
{
    if (--m_view->m_batchDepth == 0) {
        m_view->applyPendingFormat();
        CellLayout* layout = m_view->cellLayout();
        if (layout)
            layout->expectFormatsOnly(!m_view->m_batchChangedText);
        m_view->m_formatsOnly = !m_view->m_batchChangedText;
        m_view->m_batchCursor.endEditBlock();
        m_view->m_formatsOnly = false;
        if (layout)
            layout->expectFormatsOnly(false);
        m_view->keepCaretInView([&] { m_view->setTextCursor(m_view->m_batchCursor); });
        m_view->m_batchCursor = QTextCursor();
    }
}

void DocumentView::setReservedShortcuts(const QList<QKeySequence>& shortcuts)
{
    m_reserved = shortcuts;
}

bool DocumentView::isReserved(const QKeyEvent* event) const
{
    const QKeyCombination pressed = event->keyCombination();
    for (const QKeySequence& sequence : m_reserved) {
        if (sequence.count() == 1 && sequence[0] == pressed)
            return true;
    }
    return false;
}

bool DocumentView::event(QEvent* e)
{
    // QTextEdit claims Ctrl+A, Ctrl+C and friends before the window's shortcuts see them;
    // leaving the override unaccepted hands them to the menu.
    if (e->type() == QEvent::ShortcutOverride && isReserved(static_cast<QKeyEvent*>(e))) {
        e->ignore();
        return true;
    }
    return QTextEdit::event(e);
}

void DocumentView::keyPressEvent(QKeyEvent* e)
{
    // A menu key whose item is disabled must not fall through to the view's own binding
    // (Ctrl+V while Paste is unavailable pastes nothing).
    if (isReserved(e)) {
        e->ignore();
        return;
    }
    if (moveInLongParagraph(e))
        return;
    if (!e->text().isEmpty() && !textCursor().hasSelection()
        && textCursor().charFormat().hasProperty(DocumentText::StandIns))
        setCurrentCharFormat(insertionFormat(textCursor()));
    keepCaretInView([&] { QTextEdit::keyPressEvent(e); });
}

CellLayout* DocumentView::cellLayout() const
{
    return qobject_cast<CellLayout*>(document()->documentLayout());
}

bool DocumentView::caretInLongParagraph() const
{
    const CellLayout* layout = cellLayout();
    return layout && layout->isLong(textCursor().block());
}

void DocumentView::showCaret()
{
    const CellLayout* layout = cellLayout();
    if (!layout)
        return;
    const QRectF caret = layout->caretRect(textCursor().position());
    QScrollBar* bar = verticalScrollBar();
    const int top = int(std::floor(caret.top()));
    const int bottom = int(std::ceil(caret.bottom()));
    if (top < bar->value())
        bar->setValue(top);
    else if (bottom > bar->value() + viewport()->height())
        bar->setValue(bottom - viewport()->height());
}

template <class Step> void DocumentView::keepCaretInView(Step&& step)
{
    // The editor scrolls to the caret by the rows of its paragraph's shaped lines, which a long
    // paragraph never has: there it would scroll to the paragraph's first row.
    const int before = verticalScrollBar()->value();
    const int caret = textCursor().position();
    step();
    // The editor scrolled to where the caret's paragraph was thought to be before it was laid
    // out: once it is, the caret is shown where it is.
    if (windowLayout() && textCursor().position() != caret)
        ensureCursorVisible();
    if (caretInLongParagraph()) {
        verticalScrollBar()->setValue(before);
        showCaret();
    }
}

bool DocumentView::moveInLongParagraph(QKeyEvent* e)
{
    const Qt::KeyboardModifiers modifiers = e->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier)
        return false;
    if (!caretInLongParagraph())
        return false;
    const CellLayout* layout = cellLayout();
    QTextCursor c = textCursor();
    const int position = c.position();
    const int page = std::max(1, int(viewport()->height() / layout->rowHeight()) - 1);
    using Move = CellLayout::CaretMove;
    Move move;
    switch (e->key()) {
    case Qt::Key_Home:
        move = Move::RowStart;
        break;
    case Qt::Key_End:
        move = Move::RowEnd;
        break;
    case Qt::Key_Up:
        move = Move::Up;
        break;
    case Qt::Key_Down:
        move = Move::Down;
        break;
    case Qt::Key_PageUp:
        move = Move::PageUp;
        break;
    case Qt::Key_PageDown:
        move = Move::PageDown;
        break;
    default:
        return false;
    }
    const int target = layout->caretTarget(position, move, page);
    c.setPosition(
        target, modifiers == Qt::ShiftModifier ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    keepCaretInView([&] { setTextCursor(c); });
    e->accept();
    return true;
}

void DocumentView::mousePressEvent(QMouseEvent* e)
{
    keepCaretInView([&] { QTextEdit::mousePressEvent(e); });
}

void DocumentView::mouseMoveEvent(QMouseEvent* e)
{
    keepCaretInView([&] { QTextEdit::mouseMoveEvent(e); });
}

void DocumentView::mouseReleaseEvent(QMouseEvent* e)
{
    keepCaretInView([&] { QTextEdit::mouseReleaseEvent(e); });
}

void DocumentView::mouseDoubleClickEvent(QMouseEvent* e)
{
    keepCaretInView([&] { QTextEdit::mouseDoubleClickEvent(e); });
}

bool DocumentView::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText();
}

void DocumentView::insertFromMimeData(const QMimeData* source)
{
    // Only characters come in, never formatting (a middle-click paste of the X selection).
    if (source->hasText())
        keepCaretInView([&] {
            QTextCursor c = textCursor();
            c.insertText(source->text(), insertionFormat(c));
        });
}
