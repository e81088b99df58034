#pragma once

#include "content/properties.h"
#include "content/resources.h"
#include "content/tables.h"

#include <QStringView>
#include <vector>

namespace Content {

// How a paragraph ends: as a paragraph, with the end of a cell or row of its table, or with the
// end of the document.
enum class ParagraphEnd : std::uint8_t { Paragraph, Cell, Row, NestedCell, NestedRow, Document };

// What a reader hands on as it reads, in document order. Tables of fonts and colours come before
// the text that uses them, and again whenever the document defines them anew; a row's definition
// comes before the end of that row. The text is exactly the document's text: nothing is added,
// dropped or changed for the sake of showing it.
class Sink {
public:
    virtual ~Sink() = default;

    virtual void font(int number, const FontEntry& entry) = 0;
    // The font of text that names none, or names one the table does not have.
    virtual void defaultFont(int number) = 0;
    // A new colour table replaces the old one; entry 0 is "auto".
    virtual void colorTable(const std::vector<ColorEntry>& colors) = 0;
    // The distance of the tab stops after a paragraph's own, twips.
    virtual void defaultTab(int twips) = 0;

    virtual void text(QStringView text, const CharProps& chars) = 0;
    virtual void picture(const Picture& picture) = 0;
    virtual void rowDefinition(const RowDef& row) = 0;
    // The paragraph about to end is an item of a list, with this label.
    virtual void listLabel(const ListLabel& label) = 0;
    // A check box (a form field) stands here, between the text before and after it.
    virtual void checkBox(bool checked, const CharProps& chars) = 0;
    // The text given since the last end is one paragraph with these properties.
    virtual void endParagraph(const ParaProps& para, ParagraphEnd end) = 0;
};

} // namespace Content
