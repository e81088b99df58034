#include "view/documentview.h"

#include "forms/apperror.h"
#include "forms/units.h"
#include "rtf/rtfreader.h"
#include "text/textdecoding.h"
#include "view/celllayout.h"
#include "view/terminalfont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>
#include <cmath>

namespace {
// Prose wraps at word boundaries. A long run of characters with no break opportunity (a line of
// block art or a dump without spaces) makes word wrapping try every position of the run, which
// grows with the square of its length; such documents wrap anywhere instead.
using TextDecoding::LongestWordWrappedRun;
constexpr QTextOption::WrapMode DefaultWrap = QTextOption::WrapAtWordBoundaryOrAnywhere;

// Lines of plain text are kept together in paragraphs of about this many characters, separated
// within a paragraph by line separators: a document of 600,000 one-line paragraphs takes five
// times as long to build as one of 10,000 grouped ones, and twice the memory once laid out.
// Text() shows both kinds of break as '\n', so positions do not change.
constexpr qsizetype GroupedLength = 4096;
constexpr int KeptLayoutLength = 100000;

// Plain text is laid out on the character grid; GLIMMER_LAYOUT=rich keeps the rich-text layout
// for it too, so that benchmarks can compare the two.
bool useCellLayout()
{
    static const bool rich = qgetenv("GLIMMER_LAYOUT") == "rich";
    return !rich;
}

// What one pass over plain text learns while it groups the lines into paragraphs (see
// GroupedLength): the longest run without a space, tab or line break, and each paragraph's
// lines for the character grid.
struct PlainShape {
    qsizetype longestRun = 0;
    // Empty when the text holds characters that the document turns into paragraph breaks of its
    // own (carriage returns, paragraph or frame separators): the layout then measures it itself.
    std::vector<CellLayout::Paragraph> paragraphs;
};

PlainShape groupLines(QString& text)
{
    PlainShape shape;
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* const end = begin + text.size();
    const char16_t* paragraphStart = begin;
    qsizetype run = 0;
    int glyphs = 0;
    bool measurable = true;
    CellLayout::Paragraph paragraph;
    for (char16_t* c = begin; c != end; ++c) {
        const char16_t u = *c;
        if (u == u' ' || u == u'\t') {
            shape.longestRun = qMax(shape.longestRun, run);
            run = 0;
            ++glyphs;
            continue;
        }
        if (u != u'\n') {
            ++run;
            if (u == u'\r' || u == QChar::ParagraphSeparator || u == 0xFDD0 || u == 0xFDD1)
                measurable = false;
            glyphs += !QChar::isLowSurrogate(u);
            continue;
        }
        shape.longestRun = qMax(shape.longestRun, run);
        run = 0;
        paragraph.longestLine = qMax(paragraph.longestLine, glyphs);
        glyphs = 0;
        if (c - paragraphStart < GroupedLength) {
            *c = QChar::LineSeparator;
            ++paragraph.lines;
        } else {
            paragraph.length = int(c - paragraphStart);
            shape.paragraphs.push_back(paragraph);
            paragraph = CellLayout::Paragraph();
            paragraphStart = c + 1;
        }
    }
    shape.longestRun = qMax(shape.longestRun, run);
    paragraph.longestLine = qMax(paragraph.longestLine, glyphs);
    paragraph.length = int(end - paragraphStart);
    shape.paragraphs.push_back(paragraph);
    if (!measurable)
        shape.paragraphs.clear();
    return shape;
}
}

DocumentView::DocumentView(QWidget* parent)
    : QTextEdit(parent)
{
    setFont(TerminalFont::font());
    setAcceptRichText(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(DefaultWrap);
    Units::setBackground(viewport(), Units::WindowBackground);
    configureDocument(document(), DefaultWrap);
}

void DocumentView::configureDocument(QTextDocument* doc, QTextOption::WrapMode wrap) const
{
    // Marks and loads are not edits a user can take back; an undo history of them would only
    // grow with every search.
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font());
    doc->setDocumentMargin(2);
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(wrap);
    // Tab stops every eight cells of the view's face, unless the document brings its own.
    if (!doc->property(Rtf::OwnTabStopsProperty).toBool())
        option.setTabStopDistance(8 * QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')));
    doc->setDefaultTextOption(option);
}

QTextDocument* DocumentView::newDocument() const
{
    auto* doc = new QTextDocument;
    configureDocument(doc, DefaultWrap);
    return doc;
}

void DocumentView::setPlainContent(QTextDocument* doc, QString text) const
{
    PlainShape shape = groupLines(text);
    const bool longRun = shape.longestRun > LongestWordWrappedRun;
    configureDocument(doc, longRun ? QTextOption::WrapAnywhere : DefaultWrap);
    {
        // In an edit block the cursor does not ask where its new place is on the screen, which
        // would have the text engine go over the whole of the last paragraph.
        QTextCursor cursor(doc);
        cursor.beginEditBlock();
        cursor.insertText(text);
        cursor.endEditBlock();
    }
    if (useCellLayout()) {
        doc->setDocumentLayout(new CellLayout(doc, std::move(shape.paragraphs)));
        return;
    }
    // A paragraph is laid out as a whole; one that long would be taken apart and shaped afresh
    // for every paint unless its layout is kept.
    for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
        if (block.length() > KeptLayoutLength)
            block.layout()->setCacheEnabled(true);
    }
}

void DocumentView::replaceDocument(QTextDocument* doc)
{
    // The first document belongs to the editor itself, which deletes it on the switch; one we
    // put in place earlier is ours to delete.
    QTextDocument* old = document();
    const bool oldIsOurs = old && old->parent() == this;
    const QTextOption::WrapMode wrap
        = doc->defaultTextOption().wrapMode() == QTextOption::WrapAnywhere
        ? QTextOption::WrapAnywhere
        : DefaultWrap;
    configureDocument(doc, wrap);
    // The view applies its own wrap mode to every document it is given.
    if (wordWrapMode() != wrap)
        setWordWrapMode(wrap);
    doc->setParent(this);
    setDocument(doc);
    if (oldIsOurs)
        delete old;
    moveCursor(QTextCursor::Start);
}

namespace {
// The document's own characters as the program's plain text: paragraph and line separators and
// the marks where a table or cell begins and ends are each one '\n'; everything else, no-break
// spaces included, stays the character it is, so position i of the text is selection position i.
QString plainText(QString raw)
{
    char16_t* c = reinterpret_cast<char16_t*>(raw.data());
    char16_t* const end = c + raw.size();
    for (; c != end; ++c) {
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
    return raw;
}
}

QString DocumentView::Text() const { return plainText(document()->toRawText()); }

void DocumentView::setText(const QString& text)
{
    QTextDocument* doc = newDocument();
    setPlainContent(doc, text);
    replaceDocument(doc);
}

QTextCursor DocumentView::selectionCursor() const
{
    return m_batchDepth > 0 ? m_batchCursor : textCursor();
}

QString DocumentView::SelText() const { return plainText(selectionCursor().selectedText()); }

void DocumentView::setSelText(const QString& text)
{
    m_batchChangedText = true;
    editCursor([&](QTextCursor& c) { c.insertText(text); });
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
    editCursor([&](QTextCursor& c) { c.mergeCharFormat(format); });
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
    }
}

DocumentView::Batch::~Batch()
{
    if (--m_view->m_batchDepth == 0) {
        m_view->applyPendingFormat();
        CellLayout* layout = m_view->cellLayout();
        if (layout)
            layout->expectFormatsOnly(!m_view->m_batchChangedText);
        m_view->m_batchCursor.endEditBlock();
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
    step();
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
    int target = 0;
    switch (e->key()) {
    case Qt::Key_Home:
        target = layout->rowAt(position).start;
        break;
    case Qt::Key_End:
        target = layout->rowAt(position).end;
        break;
    case Qt::Key_Up:
        target = layout->positionRowsAway(position, -1);
        break;
    case Qt::Key_Down:
        target = layout->positionRowsAway(position, 1);
        break;
    case Qt::Key_PageUp:
        target = layout->positionRowsAway(position, -page);
        break;
    case Qt::Key_PageDown:
        target = layout->positionRowsAway(position, page);
        break;
    default:
        return false;
    }
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
        keepCaretInView([&] { textCursor().insertText(source->text()); });
}
