#include "view/terminalfont.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QStringList>

namespace TerminalFont {

namespace {
    void installSubstitution()
    {
        static bool done = false;
        if (done)
            return;
        done = true;
        // Best first: faces drawn on the DOS character grid, then any monospace face.
        const QStringList candidates { QStringLiteral("Px IBM VGA8"),
            QStringLiteral("Px437 IBM VGA8"), QStringLiteral("Px IBM VGA9"),
            QStringLiteral("Px IBM EGA8"), QStringLiteral("DejaVu Sans Mono"),
            QStringLiteral("Liberation Mono"), QStringLiteral("Monospace") };
        QStringList installed;
        const QStringList families = QFontDatabase::families();
        for (const QString& family : candidates) {
            if (families.contains(family))
                installed << family;
        }
        installed << QStringLiteral("Monospace");
        QFont::insertSubstitutions(QString::fromLatin1(Family), installed);
    }
}

QFont font()
{
    installSubstitution();
    QFont f(QString::fromLatin1(Family));
    f.setPixelSize(CellPixels);
    f.setWeight(QFont::Normal);
    // The DOS face needs no shaping (no ligatures, no kerning, one glyph a character); skipping
    // it makes laying out large documents several times faster.
    f.setStyleHint(
        QFont::TypeWriter, QFont::StyleStrategy(QFont::NoAntialias | QFont::PreferNoShaping));
    f.setFixedPitch(true);
    f.setKerning(false);
    return f;
}

QString resolvedFamily() { return QFontInfo(font()).family(); }

} // namespace TerminalFont
