#include "rtf/rtfkeywords.h"

#include <climits>
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

    using Table = std::unordered_map<std::string_view, KeywordInfo, WordHash>;

    // The setters. A toggle without a parameter, or with any but 0, turns its flag on.
    bool isOn(int param, bool hasParam) { return !hasParam || param != 0; }

    template <bool CharState::*Flag> void charToggle(GroupState& s, int param, bool hasParam)
    {
        s.chars.*Flag = isOn(param, hasParam);
    }
    template <bool ParaState::*Flag> void paraToggle(GroupState& s, int param, bool hasParam)
    {
        s.para.*Flag = isOn(param, hasParam);
    }
    // Sets a field to one value whatever the parameter (\ulnone, \qc, \super, ...).
    template <class T, T CharState::*Field, T Value> void charConstant(GroupState& s, int, bool)
    {
        s.chars.*Field = Value;
    }
    template <class T, T ParaState::*Field, T Value> void paraConstant(GroupState& s, int, bool)
    {
        s.para.*Field = Value;
    }
    // Takes the parameter, held within the bounds a damaged document could leave.
    template <int CharState::*Field, int Min, int Max>
    void charValue(GroupState& s, int param, bool)
    {
        s.chars.*Field = qBound(Min, param, Max);
    }
    template <int ParaState::*Field, int Min, int Max>
    void paraValue(GroupState& s, int param, bool)
    {
        s.para.*Field = qBound(Min, param, Max);
    }

    void fontSize(GroupState& s, int param, bool hasParam)
    {
        s.chars.halfPoints = hasParam ? qBound(1, param, 3276) : 24;
    }
    void unicodeSkip(GroupState& s, int param, bool) { s.unicodeSkip = qBound(0, param, 16); }
    void paragraphDefaults(GroupState& s, int, bool) { s.para = ParaState(); }
    void nothing(GroupState&, int, bool) { }

    using V = CharState::Vertical;
    using A = ParaState::Align;

    const Table& table()
    {
        static const Table words = [] {
            Table t;
            auto word = [&t](const char* name, Keyword k) { t.emplace(name, KeywordInfo { k }); };
            auto setter = [&t](const char* name, Setter set) {
                t.emplace(name, KeywordInfo { Keyword::Setter, set });
            };
            auto character = [&t](const char* name, char16_t c) {
                t.emplace(name, KeywordInfo { Keyword::Character, nullptr, c });
            };

            // Text and breaks
            word("par", Keyword::Par);
            word("line", Keyword::Line);
            word("tab", Keyword::Tab);
            word("page", Keyword::Page);
            word("sect", Keyword::Sect);
            word("column", Keyword::Column);
            word("cell", Keyword::Cell);
            word("row", Keyword::Row);
            word("nestcell", Keyword::NestCell);
            word("nestrow", Keyword::NestRow);
            word("u", Keyword::Unicode);
            word("bin", Keyword::Bin);
            word("chftn", Keyword::FootnoteMark);

            // Characters by name
            character("emdash", 0x2014);
            character("endash", 0x2013);
            character("bullet", 0x2022);
            character("lquote", 0x2018);
            character("rquote", 0x2019);
            character("ldblquote", 0x201C);
            character("rdblquote", 0x201D);
            character("emspace", 0x2003);
            character("enspace", 0x2002);
            character("qmspace", 0x2005);
            character("zwj", 0x200D);
            character("zwnj", 0x200C);
            character("zwbo", 0x200B);
            character("zwnbo", 0xFEFF);

            // Character formatting
            word("plain", Keyword::Plain);
            word("f", Keyword::Font);
            setter("fs", fontSize);
            setter("b", charToggle<&CharState::bold>);
            setter("i", charToggle<&CharState::italic>);
            setter("ul", charToggle<&CharState::underline>);
            setter("ulnone", charConstant<bool, &CharState::underline, false>);
            setter("strike", charToggle<&CharState::strike>);
            setter("striked", charToggle<&CharState::strike>);
            setter("super", charConstant<V, &CharState::vertical, V::Super>);
            setter("sub", charConstant<V, &CharState::vertical, V::Sub>);
            setter("nosupersub", charConstant<V, &CharState::vertical, V::Baseline>);
            setter("cf", charValue<&CharState::color, 0, INT_MAX>);
            setter("highlight", charValue<&CharState::highlight, 0, INT_MAX>);
            setter("cb", charValue<&CharState::highlight, 0, INT_MAX>);
            setter("uc", unicodeSkip);

            // Paragraph formatting
            setter("pard", paragraphDefaults);
            setter("ql", paraConstant<A, &ParaState::align, A::Left>);
            setter("qc", paraConstant<A, &ParaState::align, A::Center>);
            setter("qr", paraConstant<A, &ParaState::align, A::Right>);
            setter("qj", paraConstant<A, &ParaState::align, A::Justify>);
            setter("qd", paraConstant<A, &ParaState::align, A::Justify>);
            setter("li", paraValue<&ParaState::leftIndent, INT_MIN, INT_MAX>);
            setter("lin", paraValue<&ParaState::leftIndent, INT_MIN, INT_MAX>);
            setter("ri", paraValue<&ParaState::rightIndent, INT_MIN, INT_MAX>);
            setter("rin", paraValue<&ParaState::rightIndent, INT_MIN, INT_MAX>);
            setter("fi", paraValue<&ParaState::firstIndent, INT_MIN, INT_MAX>);
            setter("sb", paraValue<&ParaState::spaceBefore, INT_MIN, INT_MAX>);
            setter("sa", paraValue<&ParaState::spaceAfter, INT_MIN, INT_MAX>);
            setter("intbl", paraToggle<&ParaState::inTable>);
            setter("itap", paraValue<&ParaState::nesting, 0, 1000>);
            setter("trowd", nothing);

            // Document and font table
            word("ansicpg", Keyword::AnsiCodePage);
            word("deff", Keyword::DefaultFont);
            word("ansi", Keyword::Ansi);
            word("mac", Keyword::Mac);
            word("pc", Keyword::Pc);
            word("pca", Keyword::Pca);
            word("fcharset", Keyword::FontCharset);
            word("cpg", Keyword::FontCodePage);
            word("red", Keyword::Red);
            word("green", Keyword::Green);
            word("blue", Keyword::Blue);

            // Destinations
            word("fonttbl", Keyword::FontTable);
            word("colortbl", Keyword::ColorTable);
            word("pict", Keyword::Picture);
            word("shppict", Keyword::ShapePicture);
            word("listtext", Keyword::ListText);
            word("pntext", Keyword::PnText);
            for (const char* name : { "fldrslt", "result", "shprslt", "nesttableprops" })
                word(name, Keyword::TextDestination);
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
                word(name, Keyword::SkippedDestination);

            // Picture properties
            word("pngblip", Keyword::PngBlip);
            word("jpegblip", Keyword::JpegBlip);
            for (const char* name :
                { "emfblip", "wmetafile", "dibitmap", "wbitmap", "macpict", "pmmetafile" })
                word(name, Keyword::OtherBlip);
            word("picwgoal", Keyword::PicWidthGoal);
            word("pichgoal", Keyword::PicHeightGoal);
            word("picscalex", Keyword::PicScaleX);
            word("picscaley", Keyword::PicScaleY);
            word("picw", Keyword::PicWidth);
            word("pich", Keyword::PicHeight);

            t.max_load_factor(0.5f);
            t.rehash(t.size() * 2);
            return t;
        }();
        return words;
    }

} // namespace

const KeywordInfo& keyword(QByteArrayView name)
{
    static const KeywordInfo unknown;
    const Table& words = table();
    const auto found = words.find(std::string_view(name.data(), size_t(name.size())));
    return found == words.end() ? unknown : found->second;
}

} // namespace Rtf
