#pragma once

#include "content/properties.h"
#include "content/resources.h"

#include <QtGlobal>
#include <cstdint>
#include <vector>

namespace Rtf {

// What the text of a group is for.
enum class Destination : std::uint8_t {
    Text, // shown
    FontTable,
    AltFontName, // {\*\falt ...} in the font table
    ColorTable,
    Picture,
    FieldInstruction, // the code of a field (\fldinst)
    ShapeProperties, // {\*\shpinst ...}: not shown, but a picture in it may be
    ShapeName, // {\sn ...} of a shape's property
    Numbering, // the list tables and \pn groups: their words, no text
    NumberingText, // \leveltext, \levelnumbers, \pntxtb, \pntxta
    FormField, // {\*\formfield ...} in a field's code
};

// Everything a group saves and its end restores.
struct GroupState {
    Content::CharProps chars;
    Content::ParaProps para;
    Destination destination = Destination::Text;
    int unicodeSkip = 1; // \ucN
    int codePage = 0; // of the current font, 0 for the document's
    Content::SymbolFace symbolFace = Content::SymbolFace::None; // of the current font
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
