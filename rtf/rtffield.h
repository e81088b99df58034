#pragma once

#include "content/resources.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace Rtf {

// Fields: their results are read as text; their codes (\fldinst) are read only for the SYMBOL
// field, whose character is shown when the field's result is empty.
class SymbolField {
public:
    // A field's code starts in the group at this depth.
    void startCode(std::int64_t depth);
    void codeText(QByteArrayView bytes);
    bool endsCode(std::int64_t depth) const { return depth == m_codeDepth; }
    // The code's group ends; face is the font of the text around it.
    void codeEnded(Content::SymbolFace face);

    // Text of the field's result was shown.
    void resultShown()
    {
        if (m_fieldDepth >= 0)
            m_shown = true;
    }
    bool endsField(std::int64_t depth) const { return m_fieldDepth >= 0 && depth == m_fieldDepth; }
    // The field's group ends: the character to show in place of its empty result, 0 for none.
    char32_t fieldEnded();

private:
    QByteArray m_code;
    std::int64_t m_codeDepth = -1;
    char32_t m_symbol = 0;
    std::int64_t m_fieldDepth = -1;
    bool m_shown = false;
};

} // namespace Rtf
