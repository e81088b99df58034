#pragma once

#include <QKeySequence>
#include <QList>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cstdint>
#include <functional>
#include <memory>

class CellLayout;
class WindowLayout;

// The main window's document view: the only copy of the document. It offers the operations the
// commands use (Text, SelText, SelStart, SelLength, SelColor, SelBold, LoadFile), with this
// contract: character i of Text() is the character at selection position i, a line break
// counting as one in both.
class DocumentView : public QTextEdit {
    Q_OBJECT
public:
    explicit DocumentView(QWidget* parent = nullptr);

    // The whole text, plain: line breaks as '\n', pictures as U+FFFC, table and cell bounds as
    // '\n'; every other character as it is (a no-break space stays one).
    QString Text() const;
    // Replaces the whole content with plain text; formatting from before is gone.
    void setText(const QString& text);

    QString SelText() const;
    // Replaces the selection (or inserts at the caret) with plain text.
    void setSelText(const QString& text);

    std::int32_t SelStart() const;
    // Moves the caret there (clamped to the text) with nothing selected.
    void setSelStart(std::int32_t position);
    std::int32_t SelLength() const;
    // Selects that many characters from SelStart on (clamped to the text).
    void setSelLength(std::int32_t length);
    // Colour number (red + 256 green + 65536 blue) of the selected characters.
    void setSelColor(std::uint32_t color);
    void setSelBold(bool bold);

    // Replaces the whole content by the file's: RTF with its formatting, anything else as plain
    // text (text/textdecoding.h says how its bytes become characters). Raises AppError and leaves
    // the content as it was when the file cannot be shown: no name, no such file, a folder, no
    // permission, not a regular file, a read error, or larger than MaxFileSize.
    void LoadFile(const QString& path);
    static constexpr qint64 MaxFileSize = qint64(256) * 1024 * 1024;

    // Many operations in a row (a search that marks every match): the selection is moved on the
    // screen once at the end, and the document is laid out again once, not once per operation.
    class Batch {
    public:
        explicit Batch(DocumentView* view);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        DocumentView* m_view;
    };

    // Whether the change the document is making only formats its text (the marks of a search):
    // assistive technology hears of it as such, not as text taken away and put back.
    bool changingFormatsOnly() const { return m_formatsOnly; }

    // Key sequences that belong to the window's menu: the view leaves them to the menu even
    // where it has a binding of its own (Ctrl+A, Ctrl+C, ...).
    void setReservedShortcuts(const QList<QKeySequence>& shortcuts);

    // Keeps the last lines of the document out of the part of the view that lies beyond the
    // window's edge: the lower pixels of the view are not used for text, so the text area ends
    // (with the frame's edge) that many pixels above the view's bottom edge.
    void setHiddenBottom(int pixels);

Q_SIGNALS:
    // A file was dropped on the view (documentview_transfer.cpp); the view itself does nothing
    // with it.
    void fileDropped(const QString& path);

public:
    // Shows a document made for the view (view/documentwriter.h) in place of the one before.
    void showDocument(std::unique_ptr<QTextDocument> document);
    // The same, giving back the document shown before (empty if it was the editor's own).
    std::unique_ptr<QTextDocument> exchangeDocument(std::unique_ptr<QTextDocument> document);

protected:
    bool event(QEvent* event) override;
    // documentview_paint.cpp: the text, then what the text engine cannot draw: the leaders of
    // tabs and the borders of paragraphs.
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool canInsertFromMimeData(const QMimeData* source) const override;
    void insertFromMimeData(const QMimeData* source) override;
    // documentview_transfer.cpp: plain text out, files and plain text in.
    QMimeData* createMimeDataFromSelection() const override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // documentload.cpp: a long document's beginning shown and painted first, then the whole,
    // read with the windows painted now and then.
    using Pace = std::function<void()>;
    void showInSteps(const std::function<std::unique_ptr<QTextDocument>()>& beginning,
        const std::function<std::unique_ptr<QTextDocument>(const Pace&)>& whole);

    // True when it brought the vertical scroll bar for the document.
    bool giveWidth(QTextDocument& document);
    // The cursor whose selection the operations read: the batch's while a batch runs.
    QTextCursor selectionCursor() const;
    QColor colorAt(const QTextCharFormat& format) const;
    // The selection's format, with what a batch has still to apply to it.
    QTextCharFormat selectionFormat() const;
    void mergeSelectionFormat(const QTextCharFormat& format);
    void applyPendingFormat();
    // Changes the selection: in a batch the batch's own cursor, changed in place (a copy would
    // be registered with the document anew for every change), else the view's.
    template <class Change> void editCursor(Change&& change)
    {
        if (m_batchDepth > 0) {
            applyPendingFormat();
            change(m_batchCursor);
            return;
        }
        QTextCursor c = textCursor();
        change(c);
        setTextCursor(c);
    }
    bool isReserved(const QKeyEvent* event) const;
    void paintDecorations(const QRect& area);
    // Plain text is laid out on the character grid (view/celllayout.h); paragraphs too long to
    // be shaped whole have their caret moved and kept in view here.
    CellLayout* cellLayout() const;
    bool caretInLongParagraph() const;
    void showCaret();
    template <class Step> void keepCaretInView(Step&& step);
    // Rich text is laid out a window at a time (view/windowlayout.h): the window follows the
    // part shown and the caret.
    WindowLayout* windowLayout() const;
    void followScroll(int value);
    void followCaret();
    bool moveInLongParagraph(QKeyEvent* event);

    QList<QKeySequence> m_reserved;
    int m_batchDepth = 0;
    QTextCursor m_batchCursor;
    // Formats set on the batch's selection and not yet applied to it.
    QTextCharFormat m_pendingFormat;
    bool m_batchChangedText = false;
    bool m_formatsOnly = false;
    bool m_following = false;
    bool m_loading = false; // a long document is being read
    // Shown while the view changes its wrap mode between two documents.
    QTextDocument m_blank;
};
