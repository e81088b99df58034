#include "view/linemetrics.h"

#include "view/systemfaces.h"

#include <QHash>
#include <QRawFont>
#include <QtEndian>
#include <cmath>

namespace LineMetrics {

namespace {

    quint16 unsignedAt(const QByteArray& table, qsizetype offset)
    {
        return offset + 2 <= table.size() ? qFromBigEndian<quint16>(table.constData() + offset) : 0;
    }
    qint16 signedAt(const QByteArray& table, qsizetype offset)
    {
        return qint16(unsignedAt(table, offset));
    }

    // A line's parts in units of the em: ascent, descent and line gap as the face's hhea table
    // gives them (the Windows ascent and descent of its OS/2 table where hhea has none). Empty
    // when the face lacks the tables.
    struct EmLine {
        double ascent = 0, descent = 0, gap = 0;
        bool valid() const { return ascent + descent > 0; }
    };

    EmLine emLine(const QRawFont& raw)
    {
        const QByteArray head = raw.fontTable("head");
        const QByteArray os2 = raw.fontTable("OS/2");
        const QByteArray hhea = raw.fontTable("hhea");
        const int unitsPerEm = unsignedAt(head, 18);
        if (unitsPerEm <= 0 || hhea.size() < 10)
            return {};
        int ascent = signedAt(hhea, 4);
        int descent = -signedAt(hhea, 6);
        const int gap = qMax<int>(0, signedAt(hhea, 8));
        if (ascent + descent <= 0 && os2.size() >= 78) {
            ascent = unsignedAt(os2, 74);
            descent = unsignedAt(os2, 76);
        }
        return { double(ascent) / unitsPerEm, double(descent) / unitsPerEm,
            double(gap) / unitsPerEm };
    }

} // namespace

qreal singleLine(const QFont& font)
{
    // The em line of each face, found once: reading its tables takes a while.
    static QHash<QString, EmLine> known;
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid())
        return 0;
    const QString key = raw.familyName() + u'/' + raw.styleName();
    auto found = known.constFind(key);
    if (found == known.cend()) {
        EmLine line = emLine(raw);
        if (!line.valid()) {
            // Drawn from a file without the tables (Type 1): another file of the face has them.
            const QString file = SystemFaces::tableFileOf(raw.familyName(), raw.styleName());
            if (!file.isEmpty())
                line = emLine(QRawFont(file, raw.pixelSize()));
        }
        found = known.insert(key, line);
    }
    if (!found->valid())
        return 0;
    // Each part on whole pixels, as word processors set them.
    const qreal px = raw.pixelSize();
    return std::round(found->ascent * px) + std::round(found->descent * px)
        + std::round(found->gap * px);
}

} // namespace LineMetrics
