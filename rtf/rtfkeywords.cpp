#include "rtf/rtfkeywords.h"

#include <string_view>
#include <unordered_map>

namespace Rtf {

namespace {

    // Control words are short; FNV-1a over their letters is quicker than the library's hash.
    struct WordHash {
        size_t operator()(std::string_view word) const noexcept
        {
            std::uint32_t h = 2166136261u;
            for (const char c : word)
                h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
            return h;
        }
    };

    using Table = std::unordered_map<std::string_view, Keyword, WordHash>;

    const Table& table()
    {
        static const Table words = [] {
            Table t {
                { "par", Keyword::Par },
                { "line", Keyword::Line },
                { "tab", Keyword::Tab },
                { "page", Keyword::Page },
                { "sect", Keyword::Sect },
                { "column", Keyword::Column },
                { "cell", Keyword::Cell },
                { "row", Keyword::Row },
                { "nestcell", Keyword::NestCell },
                { "nestrow", Keyword::NestRow },
                { "u", Keyword::Unicode },
                { "uc", Keyword::UnicodeSkip },
                { "bin", Keyword::Bin },
                { "chftn", Keyword::FootnoteMark },
                { "plain", Keyword::Plain },
                { "pard", Keyword::Pard },
                { "f", Keyword::Font },
                { "fs", Keyword::FontSize },
                { "b", Keyword::Bold },
                { "i", Keyword::Italic },
                { "ul", Keyword::Underline },
                { "ulnone", Keyword::UnderlineNone },
                { "strike", Keyword::Strike },
                { "striked", Keyword::Strike },
                { "super", Keyword::Super },
                { "sub", Keyword::Sub },
                { "nosupersub", Keyword::NoSuperSub },
                { "cf", Keyword::Color },
                { "highlight", Keyword::Highlight },
                { "cb", Keyword::Highlight },
                { "ql", Keyword::AlignLeft },
                { "qc", Keyword::AlignCenter },
                { "qr", Keyword::AlignRight },
                { "qj", Keyword::AlignJustify },
                { "qd", Keyword::AlignJustify },
                { "li", Keyword::LeftIndent },
                { "lin", Keyword::LeftIndent },
                { "ri", Keyword::RightIndent },
                { "rin", Keyword::RightIndent },
                { "fi", Keyword::FirstIndent },
                { "sb", Keyword::SpaceBefore },
                { "sa", Keyword::SpaceAfter },
                { "intbl", Keyword::InTable },
                { "itap", Keyword::Nesting },
                { "trowd", Keyword::RowDefaults },
                { "ansicpg", Keyword::AnsiCodePage },
                { "deff", Keyword::DefaultFont },
                { "ansi", Keyword::Ansi },
                { "mac", Keyword::Mac },
                { "pc", Keyword::Pc },
                { "pca", Keyword::Pca },
                { "fcharset", Keyword::FontCharset },
                { "cpg", Keyword::FontCodePage },
                { "red", Keyword::Red },
                { "green", Keyword::Green },
                { "blue", Keyword::Blue },
                { "fonttbl", Keyword::FontTable },
                { "colortbl", Keyword::ColorTable },
                { "pict", Keyword::Picture },
                { "shppict", Keyword::ShapePicture },
                { "listtext", Keyword::ListText },
                { "pntext", Keyword::PnText },
                { "fldrslt", Keyword::TextDestination },
                { "result", Keyword::TextDestination },
                { "shprslt", Keyword::TextDestination },
                { "nesttableprops", Keyword::TextDestination },
                { "pngblip", Keyword::PngBlip },
                { "jpegblip", Keyword::JpegBlip },
                { "emfblip", Keyword::OtherBlip },
                { "wmetafile", Keyword::OtherBlip },
                { "dibitmap", Keyword::OtherBlip },
                { "wbitmap", Keyword::OtherBlip },
                { "macpict", Keyword::OtherBlip },
                { "pmmetafile", Keyword::OtherBlip },
                { "picwgoal", Keyword::PicWidthGoal },
                { "pichgoal", Keyword::PicHeightGoal },
                { "picscalex", Keyword::PicScaleX },
                { "picscaley", Keyword::PicScaleY },
                { "picw", Keyword::PicWidth },
                { "pich", Keyword::PicHeight },
            };
            // Characters by name.
            for (const char* name : { "emdash", "endash", "bullet", "lquote", "rquote", "ldblquote",
                     "rdblquote", "emspace", "enspace", "qmspace", "zwj", "zwnj", "zwbo", "zwnbo" })
                t.emplace(name, Keyword::Character);
            // Destinations whose text is not part of the document.
            for (const char* name : { "stylesheet", "info", "header", "headerl", "headerr",
                     "headerf", "footer", "footerl", "footerr", "footerf", "footnote", "annotation",
                     "atnid", "atnauthor", "fldinst", "xe", "tc", "txe", "pn", "pntxta", "pntxtb",
                     "listtable", "listoverridetable", "revtbl", "rsidtbl", "generator", "filetbl",
                     "objdata", "objclass", "objname", "nonshppict", "bkmkstart", "bkmkend",
                     "template", "docvar", "userprops", "themedata", "colorschememapping",
                     "datastore", "latentstyles", "fchars", "lchars", "ftnsep", "ftnsepc", "ftncn",
                     "aftnsep", "aftnsepc", "aftncn", "pgdsctbl", "xmlnstbl", "private", "author",
                     "operator", "title", "subject", "keywords", "comment", "doccomm", "company",
                     "category", "buptim", "creatim", "revtim", "printim", "hlinkbase", "falt",
                     "panose", "fontemb", "fontfile", "sp", "sv", "sn", "shpinst", "blipuid",
                     "picprop", "mmathPr", "listpicture", "background", "formfield", "datafield" })
                t.emplace(name, Keyword::SkippedDestination);
            t.max_load_factor(0.5f);
            t.rehash(t.size() * 2);
            return t;
        }();
        return words;
    }

} // namespace

Keyword keyword(QByteArrayView name)
{
    const Table& words = table();
    const auto found = words.find(std::string_view(name.data(), size_t(name.size())));
    return found == words.end() ? Keyword::Unknown : found->second;
}

char16_t specialCharacter(QByteArrayView name)
{
    static const std::unordered_map<std::string_view, char16_t, WordHash> characters {
        { "emdash", 0x2014 },
        { "endash", 0x2013 },
        { "bullet", 0x2022 },
        { "lquote", 0x2018 },
        { "rquote", 0x2019 },
        { "ldblquote", 0x201C },
        { "rdblquote", 0x201D },
        { "emspace", 0x2003 },
        { "enspace", 0x2002 },
        { "qmspace", 0x2005 },
        { "zwj", 0x200D },
        { "zwnj", 0x200C },
        { "zwbo", 0x200B },
        { "zwnbo", 0xFEFF },
    };
    const auto found = characters.find(std::string_view(name.data(), size_t(name.size())));
    return found == characters.end() ? 0 : found->second;
}

} // namespace Rtf
