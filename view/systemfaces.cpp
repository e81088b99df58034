#include "view/systemfaces.h"

#include <QHash>
#include <fontconfig/fontconfig.h>

namespace SystemFaces {

namespace {

    const char* genericName(QFont::StyleHint hint, bool fixedPitch)
    {
        if (fixedPitch || hint == QFont::TypeWriter)
            return "monospace";
        switch (hint) {
        case QFont::Serif:
            return "serif";
        case QFont::Cursive:
            return "cursive";
        case QFont::Fantasy:
            return "fantasy";
        default:
            return "sans-serif";
        }
    }

    QString match(const QStringList& names, QFont::StyleHint hint, bool fixedPitch)
    {
        FcPattern* pattern = FcPatternCreate();
        if (!pattern)
            return QString();
        for (const QString& name : names) {
            const QByteArray utf8 = name.toUtf8();
            if (!utf8.isEmpty())
                FcPatternAddString(
                    pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(utf8.constData()));
        }
        FcPatternAddString(
            pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(genericName(hint, fixedPitch)));
        FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
        FcDefaultSubstitute(pattern);
        FcResult result = FcResultNoMatch;
        FcPattern* found = FcFontMatch(nullptr, pattern, &result);
        QString family;
        FcChar8* name = nullptr;
        if (found && FcPatternGetString(found, FC_FAMILY, 0, &name) == FcResultMatch)
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
        if (found)
            FcPatternDestroy(found);
        FcPatternDestroy(pattern);
        return family;
    }

} // namespace

QString tableFileOf(const QString& family, const QString& style)
{
    static QHash<QString, QString> known;
    const QString key = family + u'/' + style;
    const auto found = known.constFind(key);
    if (found != known.cend())
        return *found;
    QString file;
    const QByteArray familyUtf8 = family.toUtf8();
    const QByteArray styleUtf8 = style.toUtf8();
    FcPattern* pattern = FcPatternCreate();
    FcObjectSet* objects = FcObjectSetBuild(FC_FILE, FC_FONTFORMAT, FC_STYLE, nullptr);
    if (pattern && objects) {
        FcPatternAddString(
            pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(familyUtf8.constData()));
        if (FcFontSet* set = FcFontList(nullptr, pattern, objects)) {
            for (int i = 0; i < set->nfont; ++i) {
                FcChar8* format = nullptr;
                FcChar8* path = nullptr;
                FcChar8* faceStyle = nullptr;
                FcPattern* font = set->fonts[i];
                if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch
                    || FcPatternGetString(font, FC_FILE, 0, &path) != FcResultMatch)
                    continue;
                const QByteArray kind(reinterpret_cast<const char*>(format));
                if (kind != "TrueType" && kind != "CFF")
                    continue;
                const bool sameStyle
                    = FcPatternGetString(font, FC_STYLE, 0, &faceStyle) == FcResultMatch
                    && styleUtf8 == reinterpret_cast<const char*>(faceStyle);
                if (file.isEmpty() || sameStyle)
                    file = QString::fromUtf8(reinterpret_cast<const char*>(path));
                if (sameStyle)
                    break;
            }
            FcFontSetDestroy(set);
        }
    }
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);
    known.insert(key, file);
    return file;
}

QString resolve(const QStringList& names, QFont::StyleHint hint, bool fixedPitch)
{
    // Asking takes a while and the answer does not change while the program runs.
    static QHash<QString, QString> known;
    const QString key
        = names.join(u'\n') + QStringLiteral("\n%1 %2").arg(int(hint)).arg(fixedPitch);
    auto found = known.constFind(key);
    if (found == known.cend())
        found = known.insert(key, match(names, hint, fixedPitch));
    return *found;
}

} // namespace SystemFaces
