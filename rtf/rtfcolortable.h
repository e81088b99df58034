#pragma once

#include "content/resources.h"
#include "rtf/rtfkeywords.h"

#include <QByteArrayView>
#include <vector>

namespace Content {
class Sink;
}

namespace Rtf {

// The colour table as it is read. A new table replaces the old one; an entry is ended by ';'; an
// entry with no component given is "auto".
class ColorTable {
public:
    // A document names no more colours than this; entries past it are read and forgotten.
    static constexpr int MaxColors = 1000;

    void start();
    // \red, \green and \blue of the entry.
    void property(Keyword word, int value);
    void text(QByteArrayView bytes);
    // The table has ended: it is handed on.
    void finish(Content::Sink* sink);

private:
    enum Component { Red, Green, Blue };
    void endEntry();

    std::vector<Content::ColorEntry> m_colors;
    int m_components[3] = { -1, -1, -1 };
};

} // namespace Rtf
