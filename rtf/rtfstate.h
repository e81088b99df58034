#pragma once

#include <QtGlobal>
#include <cstdint>
#include <vector>

namespace Rtf {

// Character formatting as the control words set it; converted to Qt formats only when text is
// written (rtfformat.h).
struct CharState {
    enum Vertical : std::uint8_t { Baseline, Super, Sub };
    int font = -1; // \fN, -1 for the view's own font
    int halfPoints = 24; // \fsN
    int color = 0; // \cfN into the colour table, 0 auto
    int highlight = 0; // \highlightN or \cbN, 0 none
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    Vertical vertical = Baseline;

    bool operator==(const CharState&) const = default;
};

// Paragraph formatting; lengths in twips.
struct ParaState {
    enum Align : std::uint8_t { Left, Center, Right, Justify };
    Align align = Left;
    int leftIndent = 0; // \li
    int rightIndent = 0; // \ri
    int firstIndent = 0; // \fi
    int spaceBefore = 0; // \sb
    int spaceAfter = 0; // \sa
    int nesting = 0; // \itap: table depth of the paragraph
    bool inTable = false; // \intbl

    // How many tables deep the paragraph lies.
    int tableLevel() const { return inTable ? qMax(1, nesting) : (nesting > 0 ? nesting : 0); }
    bool operator==(const ParaState&) const = default;
};

// What the text of a group is for.
enum class Destination : std::uint8_t {
    Text, // shown
    FontTable,
    ColorTable,
    Picture,
};

// Everything a group saves and its end restores.
struct GroupState {
    CharState chars;
    ParaState para;
    Destination destination = Destination::Text;
    int unicodeSkip = 1; // \ucN
    int codePage = 0; // of the current font, 0 for the document's
};

// The groups being read, kept on the heap so that any depth of nesting is read without
// recursion. Past MaxDepth the groups share the innermost state: their text is still read, only
// their formatting stops nesting.
class GroupStack {
public:
    static constexpr int MaxDepth = 1000;

    GroupStack() { m_states.emplace_back(); }

    GroupState& top() { return m_states.back(); }
    const GroupState& top() const { return m_states.back(); }
    // The depth of the innermost group, shared groups included.
    std::int64_t depth() const { return std::int64_t(m_states.size()) - 1 + m_shared; }

    void push()
    {
        if (m_states.size() > MaxDepth) {
            ++m_shared;
            return;
        }
        m_states.push_back(m_states.back());
    }
    // Ends a group; a brace with no group to end is ignored and the outermost state stays.
    void pop()
    {
        if (m_shared > 0)
            --m_shared;
        else if (m_states.size() > 1)
            m_states.pop_back();
    }
    bool isShared() const { return m_shared > 0; }

private:
    std::vector<GroupState> m_states;
    std::int64_t m_shared = 0;
};

} // namespace Rtf
