#include "rtf/rtfcolortable.h"

#include "content/sink.h"

#include <QtGlobal>

namespace Rtf {

void ColorTable::start()
{
    m_colors.clear();
    m_components[Red] = m_components[Green] = m_components[Blue] = -1;
}

void ColorTable::property(Keyword word, int value)
{
    const Component component = word == Keyword::Red ? Red : word == Keyword::Green ? Green : Blue;
    m_components[component] = qBound(0, value, 255);
}

void ColorTable::text(QByteArrayView bytes)
{
    for (const char c : bytes) {
        if (c == ';')
            endEntry();
    }
}

void ColorTable::endEntry()
{
    int* const c = m_components;
    if (int(m_colors.size()) < MaxColors) {
        Content::ColorEntry entry;
        if (c[Red] >= 0 || c[Green] >= 0 || c[Blue] >= 0) {
            entry.automatic = false;
            entry.red = std::uint8_t(qMax(0, c[Red]));
            entry.green = std::uint8_t(qMax(0, c[Green]));
            entry.blue = std::uint8_t(qMax(0, c[Blue]));
        }
        m_colors.push_back(entry);
    }
    c[Red] = c[Green] = c[Blue] = -1;
}

void ColorTable::finish(Content::Sink* sink)
{
    // The last entry may lack its ';'.
    if (m_components[Red] >= 0 || m_components[Green] >= 0 || m_components[Blue] >= 0)
        endEntry();
    sink->colorTable(m_colors);
}

} // namespace Rtf
