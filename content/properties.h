#pragma once

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>
#include <array>
#include <cstdint>
#include <cstring>
#include <type_traits>

// What a document says of its characters and paragraphs, in the file's own units (half-points,
// twips, numbers into its font and colour tables). Nothing here knows how it will be shown.
namespace Content {

// An array of plain values compared as bytes: paragraphs are compared with the one before for
// every paragraph, and element by element their tab stops cost more than all the rest.
template <typename T, std::size_t N> struct PlainArray : std::array<T, N> {
    static_assert(std::has_unique_object_representations_v<T>);
    bool operator==(const PlainArray& other) const
    {
        return std::memcmp(this->data(), other.data(), sizeof(T) * N) == 0;
    }
};

// A background: a pattern colour laid over a background colour, percent/100 of it (0 to 10000);
// colours are numbers into the colour table, 0 for auto.
struct Shading {
    int background = 0;
    int pattern = 0;
    int percent = 0;

    bool isSet() const { return background > 0 || percent > 0; }
    bool operator==(const Shading&) const = default;
};

// One side of a paragraph, a cell or a row.
struct Border {
    enum Style : std::uint8_t { None, Single, Double, Thick, Dotted, Dashed };
    Style style = None;
    int width = 0; // twips
    int color = 0; // into the colour table, 0 auto
    bool declared = false;

    bool operator==(const Border&) const = default;
};

struct CharProps {
    enum Vertical : std::uint8_t { Baseline, Super, Sub };
    // The underline styles a writer can ask for.
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
    int font = -1; // number in the font table, -1 for none
    int halfPoints = 24; // size
    int color = 0; // into the colour table, 0 auto
    int highlight = 0; // into the colour table, 0 none
    bool bold = false;
    bool italic = false;
    bool strike = false;
    bool hidden = false; // text that is not shown
    bool deleted = false; // a tracked deletion, not part of the text any more
    Underline underline = NoLine;
    Caps caps = AsWritten;
    Vertical vertical = Baseline;
    int raise = 0; // half-points above the baseline (below when negative)
    int scaleX = 100; // width of the characters, percent
    int spacing = 0; // added between characters, twips (negative: condensed)
    Shading shading; // behind the characters

    bool operator==(const CharProps&) const = default;
};

inline size_t qHash(const CharProps& s, size_t seed = 0)
{
    return qHashMulti(seed, s.font, s.halfPoints, s.color, s.highlight, s.raise, s.scaleX,
        s.spacing, s.shading.background, s.shading.pattern, s.shading.percent,
        (s.bold << 0) | (s.italic << 1) | (s.strike << 2) | (s.hidden << 3) | (s.deleted << 4)
            | (int(s.underline) << 8) | (int(s.caps) << 16) | (int(s.vertical) << 24));
}

// Paragraph properties; lengths in twips.
struct ParaProps {
    enum Align : std::uint8_t { Left, Center, Right, Justify };
    Align align = Left;
    int leftIndent = 0;
    int rightIndent = 0;
    int firstIndent = 0;
    int spaceBefore = 0;
    int spaceAfter = 0;
    int nesting = 0; // table depth the paragraph declares
    int lineSpacing = 0; // 0 single; above 0 at least, below 0 exactly that many twips
    bool lineMultiple = false; // lineSpacing is in 240ths of a line instead
    bool inTable = false;
    // Its place in a list: the list override (\ls, 0 none) and level, or a \pn numbering (a
    // number the reader gave it, 0 none).
    int list = 0;
    int listLevel = 0;
    int pn = 0;
    int style = 0; // \s: its paragraph style
    // No space between it and a neighbour of its style (word processors set it for the items of
    // a list).
    bool contextualSpace = false;
    Shading shading; // behind the paragraph
    Border borderTop, borderLeft, borderBottom, borderRight;

    // Tab stops, in twips from the left margin. Writers allow no more than 64; a paragraph with
    // more than MaxTabs keeps its first ones.
    enum TabKind : std::uint8_t { LeftTab, RightTab, CenterTab, DecimalTab };
    static constexpr int MaxTabs = 32;
    PlainArray<std::int32_t, MaxTabs> tabPositions {};
    PlainArray<TabKind, MaxTabs> tabKinds {};
    // What fills the space a tab takes up to the stop: dots in a table of contents, say.
    enum TabLeader : std::uint8_t {
        NoLeader,
        Dots,
        MiddleDots,
        Hyphens,
        Underline,
        ThickLine,
        Equals
    };
    PlainArray<TabLeader, MaxTabs> tabLeaders {};
    TabLeader nextTabLeader = NoLeader;
    std::uint8_t tabCount = 0;
    TabKind nextTabKind = LeftTab; // the kind the next stop gets

    // How many tables deep the paragraph lies.
    int tableLevel() const { return inTable ? qMax(1, nesting) : (nesting > 0 ? nesting : 0); }
    bool operator==(const ParaProps&) const = default;
};

// The number or bullet of a paragraph in a list, as its list level or numbering asks for it. The
// file may carry the label as text of its own (\listtext): those characters, at the start of the
// paragraph, are then the label, and `text` is empty. Otherwise `text` is the label worked out
// from the lists, which is drawn and is no part of the document's text.
struct ListLabel {
    enum Align : std::uint8_t { Left, Center, Right }; // about the first line's indent
    enum Follow : std::uint8_t { Tab, Space, Nothing }; // what parts the label from the text
    QString text;
    int fileLength = 0; // characters of the file's own label, the tab after it included
    int font = -1; // the label's own font, -1 for that of the paragraph's text
    int textFrom = 0; // twips from the margin: the text after a worked-out label starts no nearer
    Align align = Left;
    Follow follow = Tab;

    bool operator==(const ListLabel&) const = default;
};

} // namespace Content
