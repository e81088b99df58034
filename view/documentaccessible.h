#pragma once

#include <QAccessible>
#include <QAccessibleWidget>
#include <memory>

class DocumentView;

// What assistive technology reads of the document view: the program's plain text, with '\n'
// for every line break, at the view's own positions (character i is document position i), lines
// that end with their break, the caret and the selection, the formatting of each run, and
// changes to the text. Formatting changes (the marks a search paints) are not text changes.
class DocumentAccessible : public QAccessibleWidget,
                           public QAccessibleTextInterface,
                           public QAccessibleEditableTextInterface {
public:
    explicit DocumentAccessible(DocumentView* view);

    // Puts the view's interface and the filter of its change events in place, once.
    static void install();

    // What the view's change event becomes before assistive technology hears of it: a change
    // that only formats becomes an attribute change, and the text of one that inserts is read
    // as the program's plain text. Null: the event goes on as it is.
    static std::unique_ptr<QAccessibleEvent> translate(QAccessibleEvent* event);

    QAccessible::Role role() const override { return QAccessible::EditableText; }
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // QAccessibleTextInterface
    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
        int* startOffset, int* endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
        int* startOffset, int* endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int* startOffset,
        int* endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString& text) override;
    void replaceText(int startOffset, int endOffset, const QString& text) override;

private:
    static void installChangeFilter(); // documentaccessible_events.cpp
    DocumentView* view() const;
    // Words, sentences and characters are looked for in the lines around the offset only.
    enum class Side { Before, At, After };
    QString nearbyText(Side side, int offset, QAccessible::TextBoundaryType boundaryType,
        int* startOffset, int* endOffset) const;
    QRectF documentRect(int offset) const;
};
