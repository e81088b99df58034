#include "view/documentview.h"

#include "forms/apperror.h"
#include "forms/units.h"
#include "rtf/rtfreader.h"
#include "text/textdecoding.h"
#include "view/terminalfont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHash>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextLayout>

namespace {
// Prose wraps at word boundaries. A run of characters with no break opportunity longer than this
// (a line of block art or a dump without spaces) makes word wrapping try every position of the
// run, which grows with the square of its length; such documents wrap anywhere instead.
constexpr qsizetype LongestWordWrappedRun = 10000;
constexpr QTextOption::WrapMode DefaultWrap = QTextOption::WrapAtWordBoundaryOrAnywhere;

// Lines of plain text are kept together in paragraphs of about this many characters, separated
// within a paragraph by line separators: a document of 600,000 one-line paragraphs takes five
// times as long to build as one of 10,000 grouped ones, and twice the memory once laid out.
// Text() shows both kinds of break as '\n', so positions do not change.
constexpr qsizetype GroupedLength = 4096;
constexpr int KeptLayoutLength = 100000;

void groupLines(QString& text)
{
    char16_t* const begin = reinterpret_cast<char16_t*>(text.data());
    char16_t* const end = begin + text.size();
    const char16_t* paragraphStart = begin;
    for (char16_t* c = begin; c != end; ++c) {
        if (*c != u'\n')
            continue;
        if (c - paragraphStart < GroupedLength)
            *c = QChar::LineSeparator;
        else
            paragraphStart = c + 1;
    }
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
    const bool longRun = TextDecoding::longestUnbrokenRun(text) > LongestWordWrappedRun;
    configureDocument(doc, longRun ? QTextOption::WrapAnywhere : DefaultWrap);
    groupLines(text);
    QTextCursor(doc).insertText(text);
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

QTextCursor DocumentView::cursor() const { return m_batchDepth > 0 ? m_batchCursor : textCursor(); }

QString DocumentView::SelText() const { return plainText(cursor().selectedText()); }

void DocumentView::setSelText(const QString& text)
{
    editCursor([&](QTextCursor& c) { c.insertText(text); });
}

std::int32_t DocumentView::SelStart() const { return cursor().selectionStart(); }

std::int32_t DocumentView::SelLength() const
{
    const QTextCursor c = cursor();
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

void DocumentView::setSelColor(std::uint32_t color)
{
    QTextCharFormat format;
    const QColor c0 = Units::color(color);
    format.setForeground(c0);
    editCursor([&](QTextCursor& c) {
        // Text made bold by an outline keeps its outline in the text's colour.
        if (c.charFormat().hasProperty(QTextFormat::TextOutline))
            format.setTextOutline(QPen(c0, BoldOutlineWidth));
        c.mergeCharFormat(format);
    });
}

void DocumentView::setSelBold(bool bold)
{
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    editCursor([&](QTextCursor& c) {
        const QTextCharFormat current = c.charFormat();
        if (bold && !hasOwnBold(current.font().resolve(document()->defaultFont())))
            format.setTextOutline(QPen(colorAt(current), BoldOutlineWidth));
        else if (current.hasProperty(QTextFormat::TextOutline))
            format.setTextOutline(QPen(Qt::NoPen));
        c.mergeCharFormat(format);
    });
}

DocumentView::Batch::Batch(DocumentView* view)
    : m_view(view)
{
    if (m_view->m_batchDepth++ == 0) {
        m_view->m_batchCursor = m_view->textCursor();
        m_view->m_batchCursor.beginEditBlock();
    }
}

DocumentView::Batch::~Batch()
{
    if (--m_view->m_batchDepth == 0) {
        m_view->m_batchCursor.endEditBlock();
        m_view->setTextCursor(m_view->m_batchCursor);
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
    QTextEdit::keyPressEvent(e);
}

bool DocumentView::canInsertFromMimeData(const QMimeData* source) const
{
    return source->hasText();
}

void DocumentView::insertFromMimeData(const QMimeData* source)
{
    // Only characters come in, never formatting (a middle-click paste of the X selection).
    if (source->hasText())
        textCursor().insertText(source->text());
}
