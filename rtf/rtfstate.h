#pragma once

#include <QHashFunctions>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <vector>

namespace Rtf {

// Character formatting as the control words set it; converted to Qt formats only when text is
// written (rtfformat.h).
struct CharState {
    enum Vertical : std::uint8_t { Baseline, Super, Sub };
    // The underline styles a writer can ask for; those the view cannot draw show as the nearest.
    enum Underline : std::uint8_t {
        NoLine,
        Single,
        Double,
        Thick,
        Words,
        Dotted,
        Dash,
        DashDot,
        DashDotDot,
        Wave
    };
    enum Caps : std::uint8_t { AsWritten, AllCaps, SmallCaps };
    int font = -1; // \fN, -1 for the view's own font
    int halfPoints = 24; // \fsN
    // The largest size shown, 300 points. Larger text can have single characters wider than
    // the view's lines, which the text engine then lays out in time growing with the square of
    // a run that has no break opportunity.
    static constexpr int MaxHalfPoints = 600;
    int color = 0; // \cfN into the colour table, 0 auto
    int highlight = 0; // \highlightN or \cbN, 0 none
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false; // \v: text that is not shown
    bool deleted = false; // \deleted: a tracked deletion, not part of the text any more
    Underline underline = NoLine;
    Caps caps = AsWritten;
    Vertical vertical = Baseline;

    bool operator==(const CharState&) const = default;
};

inline size_t qHash(const CharState& s, size_t seed = 0)
{
    return qHashMulti(seed, s.font, s.halfPoints, s.color, s.highlight,
        (s.bold << 0) | (s.italic << 1) | (s.strike << 2) | (s.hidden << 3) | (s.deleted << 4)
            | (int(s.underline) << 8) | (int(s.caps) << 16) | (int(s.vertical) << 24));
}

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
    int lineSpacing = 0; // \sl: 0 single; above 0 at least, below 0 exactly that many twips
    bool lineMultiple = false; // \slmult1: \sl is in 240ths of a line instead
    bool inTable = false; // \intbl

    // Tab stops (\tx, with \tqr, \tqc or \tqdec before it), in twips from the left margin. More
    // than MaxTabs are not kept: the writers themselves allow no more than 64, and a paragraph
    // with that many is a table written with tabs.
    enum TabKind : std::uint8_t { LeftTab, RightTab, CenterTab, DecimalTab };
    static constexpr int MaxTabs = 32;
    std::array<std::int32_t, MaxTabs> tabPositions {};
    std::array<TabKind, MaxTabs> tabKinds {};
    std::uint8_t tabCount = 0;
    TabKind nextTabKind = LeftTab;

    // How many tables deep the paragraph lies.
    int tableLevel() const { return inTable ? qMax(1, nesting) : (nesting > 0 ? nesting : 0); }
    bool operator==(const ParaState&) const = default;
};

// What the text of a group is for.
enum class Destination : std::uint8_t {
    Text, // shown
    FontTable,
    AltFontName, // {\*\falt ...} in the font table
    ColorTable,
    Picture,
    FieldInstruction, // the code of a field (\fldinst)
};

// Everything a group saves and its end restores.
struct GroupState {
    CharState chars;
    ParaState para;
    Destination destination = Destination::Text;
    int unicodeSkip = 1; // \ucN
    int codePage = 0; // of the current font, 0 for the document's
    std::uint8_t symbolFace = 0; // SymbolFont::Face of the current font
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
