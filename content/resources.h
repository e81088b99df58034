#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// What a document's text refers to: entries of its font and colour tables, and its pictures.
namespace Content {

// The families a font table can class a font in.
enum class FontFamily : std::uint8_t { Any, Roman, Swiss, Modern, Script, Decorative, Technical };

// Faces whose bytes stand for pictures and signs rather than letters; their text is given as the
// Unicode characters the glyphs show.
enum class SymbolFace : std::uint8_t {
    None,
    Symbol,
    Wingdings,
    Wingdings2,
    Wingdings3,
    Webdings,
    ZapfDingbats,
};

struct FontEntry {
    QString name;
    QString altName; // the face to try when the first is not installed
    FontFamily family = FontFamily::Any;
    int pitch = 0; // 0 default, 1 fixed, 2 variable
    int codePage = 0; // of the font's text; 0 for the document's
    SymbolFace symbolFace = SymbolFace::None;

    bool operator==(const FontEntry&) const = default;
};

// An entry of the colour table; "auto" where the entry gives no component.
struct ColorEntry {
    bool automatic = true;
    std::uint8_t red = 0, green = 0, blue = 0;

    bool operator==(const ColorEntry&) const = default;
};

// A picture's bytes as the file holds them, with the sizes it declares.
struct Picture {
    // What the file says the data is; the data may say otherwise.
    enum Kind : std::uint8_t { Unknown, Png, Jpeg, Metafile, Bitmap, Gif };
    Kind kind = Unknown;
    QByteArray data;
    int widthGoal = 0, heightGoal = 0; // twips
    int width = 0, height = 0; // the picture's own units
    int scaleX = 100, scaleY = 100; // percent
};

} // namespace Content
