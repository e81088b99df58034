#pragma once

#include "content/sink.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace Content {

// Keeps every event a reader hands on, for tests and for looking at what a reader made of a file
// (dumpview --events). Text that follows text of the same properties is kept as one event.
class Recorder : public Sink {
public:
    struct Event {
        enum Kind : std::uint8_t {
            Font,
            DefaultFont,
            Colors,
            DefaultTab,
            Text,
            Picture,
            Row,
            End,
            Label,
            CheckBox
        };
        Kind kind = Text;
        QString text; // Text; the name of a Font
        CharProps chars; // Text, CheckBox
        ParaProps para; // End
        ParagraphEnd end = ParagraphEnd::Paragraph; // End
        int number = 0; // Font, DefaultFont: the font's number; DefaultTab: twips
        FontEntry fontEntry; // Font
        std::vector<ColorEntry> colors; // Colors
        Content::Picture picture; // Picture
        RowDef row; // Row
        ListLabel label; // Label
        bool checked = false; // CheckBox
    };

    void font(int number, const FontEntry& entry) override;
    void defaultFont(int number) override;
    void colorTable(const std::vector<ColorEntry>& colors) override;
    void defaultTab(int twips) override;
    void text(QStringView text, const CharProps& chars) override;
    void picture(const Content::Picture& picture) override;
    void rowDefinition(const RowDef& row) override;
    void listLabel(const ListLabel& label) override;
    void checkBox(bool checked, const CharProps& chars) override;
    void endParagraph(const ParaProps& para, ParagraphEnd end) override;

    const std::vector<Event>& events() const { return m_events; }
    // The events of one kind, in order.
    std::vector<Event> eventsOf(Event::Kind kind) const;
    // The text as handed on, each end of a paragraph, cell or row as '\n' (none for the end of
    // the document), each picture as U+FFFC.
    QString plainText() const;
    // The properties of the text event holding character i of plainText(); the defaults when
    // none does.
    CharProps charsAt(qsizetype i) const;
    // One line an event, in a form meant for people (see describe()).
    QStringList lines() const;
    static QString describe(const Event& event);

private:
    std::vector<Event> m_events;
};

} // namespace Content
