#pragma once

#include "content/resources.h"
#include "rtf/rtfkeywords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <cstdint>

namespace Rtf {

// Fields: their results are read as text; their codes (\fldinst) are read only for the SYMBOL
// field, whose character is shown when the field's result is empty, and for the check boxes of
// forms (FORMCHECKBOX), which are drawn where the field stands.
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
    // \fftype, \ffres and \ffdefres of the field's form data.
    void formFieldProperty(Keyword word, int param);
    // Before fieldEnded(): the check box the field shows, 1 checked, 0 not, -1 none.
    int checkBoxEnded() const;

private:
    QByteArray m_code;
    std::int64_t m_codeDepth = -1;
    char32_t m_symbol = 0;
    std::int64_t m_fieldDepth = -1;
    bool m_shown = false;
    bool m_checkBox = false;
    int m_formType = -1;
    int m_formResult = -1;
    int m_formDefault = 0;
};

} // namespace Rtf
