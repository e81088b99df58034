#include "app/documentview.h"

#include "app/apperror.h"
#include "app/terminalfont.h"
#include "app/units.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextDocumentFragment>

DocumentView::DocumentView(QWidget* parent)
    : QTextEdit(parent)
{
    setFont(TerminalFont::font());
    setAcceptRichText(false);
    setContextMenuPolicy(Qt::NoContextMenu);
    setLineWrapMode(QTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    Units::setBackground(viewport(), Units::WindowBackground);
    configureDocument(document());
}

void DocumentView::configureDocument(QTextDocument* doc) const
{
    // Marks and loads are not edits a user can take back; an undo history of them would only
    // grow with every search.
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(font());
    doc->setDocumentMargin(2);
    QTextOption option = doc->defaultTextOption();
    option.setWrapMode(wordWrapMode());
    option.setTabStopDistance(8 * QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')));
    doc->setDefaultTextOption(option);
}

QTextDocument* DocumentView::newDocument() const
{
    auto* doc = new QTextDocument;
    configureDocument(doc);
    return doc;
}

void DocumentView::replaceDocument(QTextDocument* doc)
{
    // The first document belongs to the editor itself, which deletes it on the switch; one we
    // put in place earlier is ours to delete.
    QTextDocument* old = document();
    const bool oldIsOurs = old && old->parent() == this;
    configureDocument(doc);
    doc->setParent(this);
    setDocument(doc);
    if (oldIsOurs)
        delete old;
    moveCursor(QTextCursor::Start);
}

QString DocumentView::Text() const { return document()->toPlainText(); }

void DocumentView::setText(const QString& text)
{
    QTextDocument* doc = newDocument();
    QTextCursor(doc).insertText(text);
    replaceDocument(doc);
}

QTextCursor DocumentView::cursor() const { return m_batchDepth > 0 ? m_batchCursor : textCursor(); }

void DocumentView::applyCursor(const QTextCursor& c)
{
    if (m_batchDepth > 0)
        m_batchCursor = c;
    else
        setTextCursor(c);
}

QString DocumentView::SelText() const
{
    // The fragment turns paragraph separators and no-break spaces into what Text() shows.
    return cursor().selection().toPlainText();
}

void DocumentView::setSelText(const QString& text)
{
    QTextCursor c = cursor();
    c.insertText(text);
    applyCursor(c);
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
    QTextCursor c = cursor();
    const int end = document()->characterCount() - 1;
    c.setPosition(qMin(position, end));
    applyCursor(c);
}

void DocumentView::setSelLength(std::int32_t length)
{
    if (length < 0)
        throw AppError(AppError::InvalidPropertyValue, QStringLiteral("Invalid property value"));
    QTextCursor c = cursor();
    const int start = c.selectionStart();
    const int end = document()->characterCount() - 1;
    c.setPosition(start);
    c.setPosition(int(qMin<std::int64_t>(std::int64_t(start) + length, end)), QTextCursor::KeepAnchor);
    applyCursor(c);
}

void DocumentView::setSelColor(std::uint32_t color)
{
    QTextCharFormat format;
    format.setForeground(Units::color(color));
    QTextCursor c = cursor();
    c.mergeCharFormat(format);
    applyCursor(c);
}

void DocumentView::setSelBold(bool bold)
{
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    QTextCursor c = cursor();
    c.mergeCharFormat(format);
    applyCursor(c);
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
