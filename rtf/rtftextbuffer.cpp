#include "rtf/rtftextbuffer.h"

#include "content/sink.h"
#include "rtf/rtffield.h"
#include "rtf/rtfsymbolfonts.h"

namespace Rtf {

namespace {
    bool isShown(const GroupState& state) { return !state.chars.hidden && !state.chars.deleted; }
}

void TextBuffer::addBytes(QByteArrayView bytes, const GroupState& state)
{
    const int page = codePageOf(state);
    if (!m_bytes.isEmpty() && page != m_byteCodePage)
        flush(state);
    m_byteCodePage = page;
    const qsizetype before = m_bytes.size();
    m_bytes.append(bytes);
    // Zero bytes are padding some writers leave; they are no text.
    if (bytes.contains('\0')) {
        m_bytes.truncate(before);
        for (const char c : bytes) {
            if (c != '\0')
                m_bytes.append(c);
        }
    }
    if (!CodePage::isDoubleByte(page))
        return;
    for (const char c : bytes) {
        if (m_waitingForTrailByte)
            m_waitingForTrailByte = false;
        else
            m_waitingForTrailByte = CodePage::isLeadByte(page, static_cast<unsigned char>(c));
    }
}

void TextBuffer::flush(const GroupState& state)
{
    m_waitingForTrailByte = false;
    if (m_bytes.isEmpty())
        return;
    m_decoded.truncate(0);
    m_decoder.decode(m_byteCodePage, m_bytes, &m_decoded);
    m_bytes.truncate(0);
    addText(m_decoded, state);
}

void TextBuffer::addCharacter(char16_t c, const GroupState& state)
{
    flush(state);
    if (QChar::isLowSurrogate(c) && m_highSurrogate) {
        const char16_t pair[2] = { m_highSurrogate, c };
        m_highSurrogate = 0;
        hand(QStringView(pair, 2), state);
        return;
    }
    if (QChar::isHighSurrogate(c)) {
        endDanglingSurrogate(state);
        m_highSurrogate = c;
        return;
    }
    if (QChar::isLowSurrogate(c))
        c = 0xFFFD;
    addText(QStringView(&c, 1), state);
}

void TextBuffer::addText(QStringView text, const GroupState& state)
{
    if (text.isEmpty())
        return;
    endDanglingSurrogate(state);
    if (state.codePage == CodePage::Symbol || state.symbolFace != Content::SymbolFace::None) {
        m_mapped.truncate(0);
        SymbolFont::mapText(state.symbolFace, text, &m_mapped);
        hand(m_mapped, state);
        return;
    }
    hand(text, state);
}

void TextBuffer::endDanglingSurrogate(const GroupState& state)
{
    if (!m_highSurrogate)
        return;
    m_highSurrogate = 0;
    const char16_t replacement = 0xFFFD;
    hand(QStringView(&replacement, 1), state);
}

void TextBuffer::hand(QStringView text, const GroupState& state)
{
    if (!isShown(state))
        return;
    m_field->resultShown();
    m_handed += text.size();
    m_sink->text(text, state.chars);
}

} // namespace Rtf
