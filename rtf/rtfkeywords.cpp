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

    void underline(GroupState& s, int param, bool hasParam)
    {
        s.chars.underline = isOn(param, hasParam) ? CharState::Single : CharState::NoLine;
    }
    template <CharState::Underline Style>
    void underlineStyle(GroupState& s, int param, bool hasParam)
    {
        s.chars.underline = isOn(param, hasParam) ? Style : CharState::NoLine;
    }
    template <CharState::Caps Caps> void caps(GroupState& s, int param, bool hasParam)
    {
        if (isOn(param, hasParam))
            s.chars.caps = Caps;
        else if (s.chars.caps == Caps)
            s.chars.caps = CharState::AsWritten;
    }
    void lineSpacing(GroupState& s, int param, bool)
    {
        // Anything taller than a page is damage.
        s.para.lineSpacing = qBound(-1440 * 22, param, 1440 * 22);
    }
    template <ParaState::TabKind Kind> void tabKind(GroupState& s, int, bool)
    {
        s.para.nextTabKind = Kind;
    }
    void tabStop(GroupState& s, int param, bool)
    {
        ParaState& p = s.para;
        if (p.tabCount < ParaState::MaxTabs && param >= 0) {
            p.tabPositions[p.tabCount] = param;
            p.tabKinds[p.tabCount] = p.nextTabKind;
            ++p.tabCount;
        }
        p.nextTabKind = ParaState::LeftTab;
    }
    // A bar tab draws a line and is no stop; its kind word, if any, is used up.
    void barTab(GroupState& s, int, bool) { s.para.nextTabKind = ParaState::LeftTab; }

    void fontSize(GroupState& s, int param, bool hasParam)
    {
        s.chars.halfPoints = hasParam ? qBound(1, param, CharState::MaxHalfPoints) : 24;
    }
    void unicodeSkip(GroupState& s, int param, bool) { s.unicodeSkip = qBound(0, param, 16); }
    void paragraphDefaults(GroupState& s, int, bool) { s.para = ParaState(); }

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
            auto coded = [&t](const char* name, Keyword k, char16_t code) {
                t.emplace(name, KeywordInfo { k, nullptr, code });
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
            word("deftab", Keyword::DefaultTab);
            word("fet", Keyword::NoteKinds);
            word("ftnstart", Keyword::FootnoteStart);
            word("aftnstart", Keyword::EndnoteStart);
            for (const auto& [name, style] :
                { std::pair { "ftnnar", u'1' }, { "ftnnrlc", u'i' }, { "ftnnruc", u'I' },
                    { "ftnnalc", u'a' }, { "ftnnauc", u'A' }, { "ftnnchi", u'*' } })
                coded(name, Keyword::FootnoteStyle, style);
            for (const auto& [name, style] :
                { std::pair { "aftnnar", u'1' }, { "aftnnrlc", u'i' }, { "aftnnruc", u'I' },
                    { "aftnnalc", u'a' }, { "aftnnauc", u'A' }, { "aftnnchi", u'*' } })
                coded(name, Keyword::EndnoteStyle, style);

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
            using U = CharState::Underline;
            setter("ul", underline);
            setter("ulnone", charConstant<U, &CharState::underline, U::NoLine>);
            setter("uld", underlineStyle<U::Dotted>);
            setter("ulth", underlineStyle<U::Thick>);
            setter("uldb", underlineStyle<U::Double>);
            setter("ulw", underlineStyle<U::Words>);
            setter("uldash", underlineStyle<U::Dash>);
            setter("ulldash", underlineStyle<U::Dash>);
            setter("uldashd", underlineStyle<U::DashDot>);
            setter("uldashdd", underlineStyle<U::DashDotDot>);
            setter("ulwave", underlineStyle<U::Wave>);
            setter("ulhwave", underlineStyle<U::Wave>);
            setter("ululdbwave", underlineStyle<U::Wave>);
            for (const char* name : { "ulthd", "ulthdash", "ulthldash", "ulthdashd", "ulthdashdd" })
                setter(name, underlineStyle<U::Thick>);
            setter("caps", caps<CharState::AllCaps>);
            setter("scaps", caps<CharState::SmallCaps>);
            setter("v", charToggle<&CharState::hidden>);
            setter("deleted", charToggle<&CharState::deleted>);
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
            setter("sl", lineSpacing);
            setter("slmult", paraToggle<&ParaState::lineMultiple>);
            using T = ParaState::TabKind;
            setter("tqr", tabKind<T::RightTab>);
            setter("tqc", tabKind<T::CenterTab>);
            setter("tqdec", tabKind<T::DecimalTab>);
            setter("tx", tabStop);
            setter("tb", barTab);
            setter("intbl", paraToggle<&ParaState::inTable>);
            setter("itap", paraValue<&ParaState::nesting, 0, 1000>);

            // Table rows
            word("trowd", Keyword::RowDefaults);
            word("cellx", Keyword::CellEdge);
            // Lower case for a cell's own side, upper case for the row's (H and V between cells).
            for (const auto& [name, side] : { std::pair { "clbrdrt", u't' }, { "clbrdrl", u'l' },
                     { "clbrdrb", u'b' }, { "clbrdrr", u'r' }, { "trbrdrt", u'T' },
                     { "trbrdrl", u'L' }, { "trbrdrb", u'B' }, { "trbrdrr", u'R' },
                     { "trbrdrh", u'H' }, { "trbrdrv", u'V' } })
                coded(name, Keyword::BorderSide, side);
            // Border styles: 0 none, 1 single, 2 double, 3 thick, 4 dotted, 5 dashed.
            for (const char* name : { "brdrnone", "brdrnil", "brdrtbl" })
                coded(name, Keyword::BorderStyle, 0);
            for (const char* name : { "brdrs", "brdrsh", "brdrengrave", "brdremboss", "brdroutset",
                     "brdrinset", "brdrhair", "brdrframe", "brdrwavy" })
                coded(name, Keyword::BorderStyle, 1);
            for (const char* name : { "brdrdb", "brdrtriple", "brdrwavydb", "brdrtnthsg",
                     "brdrthtnsg", "brdrtnthtnsg", "brdrtnthmg", "brdrthtnmg", "brdrtnthtnmg",
                     "brdrtnthlg", "brdrthtnlg", "brdrtnthtnlg" })
                coded(name, Keyword::BorderStyle, 2);
            coded("brdrth", Keyword::BorderStyle, 3);
            coded("brdrdot", Keyword::BorderStyle, 4);
            for (const char* name :
                { "brdrdash", "brdrdashsm", "brdrdashd", "brdrdashdd", "brdrdashdotstr" })
                coded(name, Keyword::BorderStyle, 5);
            word("brdrw", Keyword::BorderWidth);
            word("brdrcf", Keyword::BorderColor);
            word("trleft", Keyword::RowLeft);
            word("trgaph", Keyword::RowGap);
            coded("clmgf", Keyword::CellFlag, u'F');
            coded("clmrg", Keyword::CellFlag, u'M');
            coded("clvmgf", Keyword::CellFlag, u'f');
            coded("clvmrg", Keyword::CellFlag, u'm');
            coded("clvertalt", Keyword::CellFlag, u't');
            coded("clvertalc", Keyword::CellFlag, u'c');
            coded("clvertalb", Keyword::CellFlag, u'b');

            // Document and font table
            word("ansicpg", Keyword::AnsiCodePage);
            word("deff", Keyword::DefaultFont);
            word("ansi", Keyword::Ansi);
            word("mac", Keyword::Mac);
            word("pc", Keyword::Pc);
            word("pca", Keyword::Pca);
            word("fcharset", Keyword::FontCharset);
            word("cpg", Keyword::FontCodePage);
            word("fprq", Keyword::FontPitch);
            for (const auto& [name, family] : { std::pair { "froman", u'r' }, { "fswiss", u's' },
                     { "fmodern", u'm' }, { "fscript", u'c' }, { "fdecor", u'd' },
                     { "ftech", u't' }, { "fbidi", u'b' }, { "fnil", u'n' } })
                coded(name, Keyword::FontFamily, family);
            word("red", Keyword::Red);
            word("green", Keyword::Green);
            word("blue", Keyword::Blue);

            // Destinations
            word("fonttbl", Keyword::FontTable);
            word("fldinst", Keyword::FieldInstruction);
            word("falt", Keyword::AltFontName);
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
                     "atnid", "atnauthor", "xe", "tc", "txe", "pn", "pntxta", "pntxtb", "listtable",
                     "listoverridetable", "revtbl", "rsidtbl", "generator", "filetbl", "objdata",
                     "objclass", "objname", "nonshppict", "bkmkstart", "bkmkend", "template",
                     "docvar", "userprops", "themedata", "colorschememapping", "datastore",
                     "latentstyles", "fchars", "lchars", "ftnsep", "ftnsepc", "ftncn", "aftnsep",
                     "aftnsepc", "aftncn", "pgdsctbl", "xmlnstbl", "private", "author", "operator",
                     "title", "subject", "keywords", "comment", "doccomm", "company", "category",
                     "buptim", "creatim", "revtim", "printim", "hlinkbase", "panose", "fontemb",
                     "fontfile", "sp", "sv", "sn", "shpinst", "blipuid", "picprop", "mmathPr",
                     "listpicture", "background", "formfield", "datafield" })
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
