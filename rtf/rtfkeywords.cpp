#include "rtf/rtfkeywords.h"

#include "content/tables.h"

#include <climits>
#include <string_view>
#include <unordered_map>

namespace Rtf {

using Content::CharProps;
using Content::ParaProps;

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

    template <bool CharProps::*Flag> void charToggle(GroupState& s, int param, bool hasParam)
    {
        s.chars.*Flag = isOn(param, hasParam);
    }
    template <bool ParaProps::*Flag> void paraToggle(GroupState& s, int param, bool hasParam)
    {
        s.para.*Flag = isOn(param, hasParam);
    }
    // Sets a field to one value whatever the parameter (\ulnone, \qc, \super, ...).
    template <class T, T CharProps::*Field, T Value> void charConstant(GroupState& s, int, bool)
    {
        s.chars.*Field = Value;
    }
    template <class T, T ParaProps::*Field, T Value> void paraConstant(GroupState& s, int, bool)
    {
        s.para.*Field = Value;
    }
    // Takes the parameter, held within the bounds a damaged document could leave.
    template <int CharProps::*Field, int Min, int Max>
    void charValue(GroupState& s, int param, bool)
    {
        s.chars.*Field = qBound(Min, param, Max);
    }
    template <int ParaProps::*Field, int Min, int Max>
    void paraValue(GroupState& s, int param, bool)
    {
        s.para.*Field = qBound(Min, param, Max);
    }

    void underline(GroupState& s, int param, bool hasParam)
    {
        s.chars.underline = isOn(param, hasParam) ? CharProps::Single : CharProps::NoLine;
    }
    template <CharProps::Underline Style>
    void underlineStyle(GroupState& s, int param, bool hasParam)
    {
        s.chars.underline = isOn(param, hasParam) ? Style : CharProps::NoLine;
    }
    template <CharProps::Caps Caps> void caps(GroupState& s, int param, bool hasParam)
    {
        if (isOn(param, hasParam))
            s.chars.caps = Caps;
        else if (s.chars.caps == Caps)
            s.chars.caps = CharProps::AsWritten;
    }
    void lineSpacing(GroupState& s, int param, bool) { s.para.lineSpacing = param; }
    template <ParaProps::TabKind Kind> void tabKind(GroupState& s, int, bool)
    {
        s.para.nextTabKind = Kind;
    }
    void tabStop(GroupState& s, int param, bool)
    {
        ParaProps& p = s.para;
        if (p.tabCount < ParaProps::MaxTabs && param >= 0) {
            p.tabPositions[p.tabCount] = param;
            p.tabKinds[p.tabCount] = p.nextTabKind;
            p.tabLeaders[p.tabCount] = p.nextTabLeader;
            ++p.tabCount;
        }
        p.nextTabKind = ParaProps::LeftTab;
        p.nextTabLeader = ParaProps::NoLeader;
    }
    template <ParaProps::TabLeader Leader> void tabLeader(GroupState& s, int, bool)
    {
        s.para.nextTabLeader = Leader;
    }
    // A bar tab draws a line and is no stop; its kind word, if any, is used up.
    void barTab(GroupState& s, int, bool) { s.para.nextTabKind = ParaProps::LeftTab; }

    void fontSize(GroupState& s, int param, bool hasParam)
    {
        // Sizes are 16-bit numbers in the file; 0 and below are damage.
        s.chars.halfPoints = hasParam ? qBound(1, param, 65535) : 24;
    }
    void unicodeSkip(GroupState& s, int param, bool) { s.unicodeSkip = qBound(0, param, 16); }
    // Shading of characters and paragraphs: its background, its pattern colour, its percentage.
    template <int Content::Shading::*Field, int Max>
    void charShading(GroupState& s, int param, bool)
    {
        s.chars.shading.*Field = qBound(0, param, Max);
    }
    template <int Content::Shading::*Field, int Max>
    void paraShading(GroupState& s, int param, bool)
    {
        s.para.shading.*Field = qBound(0, param, Max);
    }
    // \upN and \dnN, 3 points when no number is given.
    template <int Sign> void raise(GroupState& s, int param, bool hasParam)
    {
        s.chars.raise = Sign * qBound(-65535, hasParam ? param : 6, 65535);
    }
    // \expnd is in quarter points, \expndtw in twips.
    template <int TwipsPerUnit> void spacing(GroupState& s, int param, bool)
    {
        s.chars.spacing = qBound(-65535, param, 65535) * TwipsPerUnit;
    }
    void paragraphDefaults(GroupState& s, int, bool) { s.para = ParaProps(); }

    WordKind kindOf(Keyword word)
    {
        switch (word) {
        case Keyword::Par:
        case Keyword::Line:
        case Keyword::Tab:
        case Keyword::Page:
        case Keyword::Sect:
        case Keyword::Column:
        case Keyword::Cell:
        case Keyword::Row:
        case Keyword::NestCell:
        case Keyword::NestRow:
        case Keyword::Unicode:
        case Keyword::Bin:
            return WordKind::Text;
        case Keyword::DefaultTab:
        case Keyword::Plain:
        case Keyword::Font:
        case Keyword::AnsiCodePage:
        case Keyword::DefaultFont:
        case Keyword::Ansi:
        case Keyword::Mac:
        case Keyword::Pc:
        case Keyword::Pca:
            return WordKind::Document;
        case Keyword::FontCharset:
        case Keyword::FontCodePage:
        case Keyword::FontFamily:
        case Keyword::FontPitch:
            return WordKind::FontTable;
        case Keyword::Red:
        case Keyword::Green:
        case Keyword::Blue:
            return WordKind::ColorTable;
        case Keyword::RowDefaults:
        case Keyword::CellEdge:
        case Keyword::BorderSide:
        case Keyword::BorderStyle:
        case Keyword::BorderWidth:
        case Keyword::BorderColor:
        case Keyword::RowLeft:
        case Keyword::RowGap:
        case Keyword::RowPadding:
        case Keyword::CellPadding:
        case Keyword::CellFlag:
        case Keyword::CellShading:
        case Keyword::RowAlignment:
            return WordKind::Row;
        case Keyword::FootnoteMark:
        case Keyword::NoteKinds:
        case Keyword::FootnoteStyle:
        case Keyword::EndnoteStyle:
        case Keyword::FootnoteStart:
        case Keyword::EndnoteStart:
            return WordKind::Note;
        case Keyword::PngBlip:
        case Keyword::JpegBlip:
        case Keyword::MetafileBlip:
        case Keyword::BitmapBlip:
        case Keyword::PicWidthGoal:
        case Keyword::PicHeightGoal:
        case Keyword::PicScaleX:
        case Keyword::PicScaleY:
        case Keyword::PicWidth:
        case Keyword::PicHeight:
            return WordKind::Picture;
        case Keyword::FontTable:
        case Keyword::FieldInstruction:
        case Keyword::AltFontName:
        case Keyword::ColorTable:
        case Keyword::Picture:
        case Keyword::ShapePicture:
        case Keyword::Shape:
        case Keyword::ShapeInstructions:
        case Keyword::ShapeProperty:
        case Keyword::ShapeName:
        case Keyword::ShapeValue:
        case Keyword::ShapeResult:
        case Keyword::ShapeText:
        case Keyword::ListText:
        case Keyword::PnText:
        case Keyword::SkippedDestination:
        case Keyword::TextDestination:
        case Keyword::ListTable:
        case Keyword::List:
        case Keyword::ListLevel:
        case Keyword::ListOverride:
        case Keyword::LevelText:
        case Keyword::LevelNumbers:
        case Keyword::PnGroup:
        case Keyword::PnTextBefore:
        case Keyword::PnTextAfter:
        case Keyword::FormField:
            return WordKind::Destination;
        case Keyword::ListId:
        case Keyword::LevelFormat:
        case Keyword::LevelAlign:
        case Keyword::LevelStart:
        case Keyword::LevelFollow:
        case Keyword::ListNumber:
        case Keyword::ListLevelNumber:
        case Keyword::PnLevel:
        case Keyword::PnFormat:
        case Keyword::PnStart:
        case Keyword::PnFont:
        case Keyword::PnIndent:
        case Keyword::PnAlign:
        case Keyword::FormFieldType:
        case Keyword::FormFieldResult:
        case Keyword::FormFieldDefault:
            return WordKind::List;
        default: // unknown words; setters and characters are given their kind with their entry
            break;
        }
        return WordKind::Ignored;
    }

    using V = CharProps::Vertical;
    using A = ParaProps::Align;

    const Table& table()
    {
        static const Table words = [] {
            Table t;
            auto word = [&t](const char* name, Keyword k) { t.emplace(name, KeywordInfo { k }); };
            auto setter = [&t](const char* name, Setter set) {
                t.emplace(name, KeywordInfo { Keyword::Setter, WordKind::Setter, set });
            };
            auto character = [&t](const char* name, char16_t c) {
                t.emplace(name, KeywordInfo { Keyword::Character, WordKind::Text, nullptr, c });
            };
            auto coded = [&t](const char* name, Keyword k, auto value) {
                t.emplace(
                    name, KeywordInfo { k, WordKind::Ignored, nullptr, 0, std::uint8_t(value) });
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
                coded(name, Keyword::FootnoteStyle, char(style));
            for (const auto& [name, style] :
                { std::pair { "aftnnar", u'1' }, { "aftnnrlc", u'i' }, { "aftnnruc", u'I' },
                    { "aftnnalc", u'a' }, { "aftnnauc", u'A' }, { "aftnnchi", u'*' } })
                coded(name, Keyword::EndnoteStyle, char(style));

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
            setter("b", charToggle<&CharProps::bold>);
            setter("i", charToggle<&CharProps::italic>);
            using U = CharProps::Underline;
            setter("ul", underline);
            setter("ulnone", charConstant<U, &CharProps::underline, U::NoLine>);
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
            setter("caps", caps<CharProps::AllCaps>);
            setter("scaps", caps<CharProps::SmallCaps>);
            setter("v", charToggle<&CharProps::hidden>);
            setter("deleted", charToggle<&CharProps::deleted>);
            setter("strike", charToggle<&CharProps::strike>);
            setter("striked", charToggle<&CharProps::strike>);
            setter("super", charConstant<V, &CharProps::vertical, V::Super>);
            setter("sub", charConstant<V, &CharProps::vertical, V::Sub>);
            setter("nosupersub", charConstant<V, &CharProps::vertical, V::Baseline>);
            setter("up", raise<1>);
            setter("dn", raise<-1>);
            setter("charscalex", charValue<&CharProps::scaleX, 1, 65535>);
            setter("expnd", spacing<5>);
            setter("expndtw", spacing<1>);
            using Sh = Content::Shading;
            setter("chcbpat", charShading<&Sh::background, INT_MAX>);
            setter("chcfpat", charShading<&Sh::pattern, INT_MAX>);
            setter("chshdng", charShading<&Sh::percent, 10000>);
            setter("cbpat", paraShading<&Sh::background, INT_MAX>);
            setter("cfpat", paraShading<&Sh::pattern, INT_MAX>);
            setter("shading", paraShading<&Sh::percent, 10000>);
            coded("clcbpat", Keyword::CellShading, 0);
            coded("clcfpat", Keyword::CellShading, 1);
            coded("clshdng", Keyword::CellShading, 2);
            setter("cf", charValue<&CharProps::color, 0, INT_MAX>);
            setter("highlight", charValue<&CharProps::highlight, 0, INT_MAX>);
            setter("cb", charValue<&CharProps::highlight, 0, INT_MAX>);
            setter("uc", unicodeSkip);

            // Paragraph formatting
            setter("pard", paragraphDefaults);
            setter("ql", paraConstant<A, &ParaProps::align, A::Left>);
            setter("qc", paraConstant<A, &ParaProps::align, A::Center>);
            setter("qr", paraConstant<A, &ParaProps::align, A::Right>);
            setter("qj", paraConstant<A, &ParaProps::align, A::Justify>);
            setter("qd", paraConstant<A, &ParaProps::align, A::Justify>);
            setter("li", paraValue<&ParaProps::leftIndent, INT_MIN, INT_MAX>);
            setter("lin", paraValue<&ParaProps::leftIndent, INT_MIN, INT_MAX>);
            setter("ri", paraValue<&ParaProps::rightIndent, INT_MIN, INT_MAX>);
            setter("rin", paraValue<&ParaProps::rightIndent, INT_MIN, INT_MAX>);
            setter("fi", paraValue<&ParaProps::firstIndent, INT_MIN, INT_MAX>);
            setter("sb", paraValue<&ParaProps::spaceBefore, INT_MIN, INT_MAX>);
            setter("sa", paraValue<&ParaProps::spaceAfter, INT_MIN, INT_MAX>);
            setter("sl", lineSpacing);
            setter("slmult", paraToggle<&ParaProps::lineMultiple>);
            setter("s", paraValue<&ParaProps::style, 0, INT_MAX>);
            setter("contextualspace", paraToggle<&ParaProps::contextualSpace>);
            using T = ParaProps::TabKind;
            setter("tqr", tabKind<T::RightTab>);
            setter("tqc", tabKind<T::CenterTab>);
            setter("tqdec", tabKind<T::DecimalTab>);
            setter("tx", tabStop);
            using L = ParaProps::TabLeader;
            setter("tldot", tabLeader<L::Dots>);
            setter("tlmdot", tabLeader<L::MiddleDots>);
            setter("tlhyph", tabLeader<L::Hyphens>);
            setter("tlul", tabLeader<L::Underline>);
            setter("tlth", tabLeader<L::ThickLine>);
            setter("tleq", tabLeader<L::Equals>);
            setter("tb", barTab);
            setter("intbl", paraToggle<&ParaProps::inTable>);
            setter("itap", paraValue<&ParaProps::nesting, 0, 1000>);

            // Table rows
            word("trowd", Keyword::RowDefaults);
            word("cellx", Keyword::CellEdge);
            // Lower case for a cell's own side, upper case for the row's (H and V between cells).
            using S = BorderSide;
            for (const auto& [name, side] : { std::pair { "clbrdrt", S::CellTop },
                     { "clbrdrl", S::CellLeft }, { "clbrdrb", S::CellBottom },
                     { "clbrdrr", S::CellRight }, { "trbrdrt", S::RowTop },
                     { "trbrdrl", S::RowLeft }, { "trbrdrb", S::RowBottom },
                     { "trbrdrr", S::RowRight }, { "trbrdrh", S::RowInner },
                     { "trbrdrv", S::RowBetween }, { "brdrt", S::ParagraphTop },
                     { "brdrl", S::ParagraphLeft }, { "brdrb", S::ParagraphBottom },
                     { "brdrr", S::ParagraphRight }, { "box", S::ParagraphBox },
                     { "chbrdr", S::Other }, { "brdrbtw", S::Other }, { "brdrbar", S::Other } })
                coded(name, Keyword::BorderSide, side);
            using B = Content::Border;
            for (const char* name : { "brdrnone", "brdrnil", "brdrtbl" })
                coded(name, Keyword::BorderStyle, B::None);
            for (const char* name : { "brdrs", "brdrsh", "brdrengrave", "brdremboss", "brdroutset",
                     "brdrinset", "brdrhair", "brdrframe", "brdrwavy" })
                coded(name, Keyword::BorderStyle, B::Single);
            for (const char* name : { "brdrdb", "brdrtriple", "brdrwavydb", "brdrtnthsg",
                     "brdrthtnsg", "brdrtnthtnsg", "brdrtnthmg", "brdrthtnmg", "brdrtnthtnmg",
                     "brdrtnthlg", "brdrthtnlg", "brdrtnthtnlg" })
                coded(name, Keyword::BorderStyle, B::Double);
            coded("brdrth", Keyword::BorderStyle, B::Thick);
            coded("brdrdot", Keyword::BorderStyle, B::Dotted);
            for (const char* name :
                { "brdrdash", "brdrdashsm", "brdrdashd", "brdrdashdd", "brdrdashdotstr" })
                coded(name, Keyword::BorderStyle, B::Dashed);
            word("brdrw", Keyword::BorderWidth);
            word("brdrcf", Keyword::BorderColor);
            word("trleft", Keyword::RowLeft);
            word("trgaph", Keyword::RowGap);
            using Side = Content::RowDef::Side;
            for (const auto& [name, side] :
                { std::pair { "trpaddt", Side::Top }, { "trpaddl", Side::Left },
                    { "trpaddb", Side::Bottom }, { "trpaddr", Side::Right } })
                coded(name, Keyword::RowPadding, side);
            // Word writes a cell's left space as \clpadt and its top space as \clpadl.
            for (const auto& [name, side] :
                { std::pair { "clpadl", Side::Top }, { "clpadt", Side::Left },
                    { "clpadb", Side::Bottom }, { "clpadr", Side::Right } })
                coded(name, Keyword::CellPadding, side);
            using F = CellFlag;
            coded("trql", Keyword::RowAlignment, Content::RowDef::Left);
            coded("trqc", Keyword::RowAlignment, Content::RowDef::Center);
            coded("trqr", Keyword::RowAlignment, Content::RowDef::Right);
            coded("clmgf", Keyword::CellFlag, F::MergeFirst);
            coded("clmrg", Keyword::CellFlag, F::Merged);
            coded("clvmgf", Keyword::CellFlag, F::VerticalFirst);
            coded("clvmrg", Keyword::CellFlag, F::VerticalMerged);
            coded("clvertalt", Keyword::CellFlag, F::AlignTop);
            coded("clvertalc", Keyword::CellFlag, F::AlignMiddle);
            coded("clvertalb", Keyword::CellFlag, F::AlignBottom);

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
            using Family = Content::FontFamily;
            for (const auto& [name, family] :
                { std::pair { "froman", Family::Roman }, { "fswiss", Family::Swiss },
                    { "fmodern", Family::Modern }, { "fscript", Family::Script },
                    { "fdecor", Family::Decorative }, { "ftech", Family::Technical },
                    { "fbidi", Family::Any }, { "fnil", Family::Any } })
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
            word("shp", Keyword::Shape);
            word("shpinst", Keyword::ShapeInstructions);
            word("sp", Keyword::ShapeProperty);
            word("sn", Keyword::ShapeName);
            word("sv", Keyword::ShapeValue);
            word("shprslt", Keyword::ShapeResult);
            word("shptxt", Keyword::ShapeText);
            for (const char* name : { "fldrslt", "result", "nesttableprops" })
                word(name, Keyword::TextDestination);
            // Destinations whose text is not part of the document.
            for (const char* name :
                { "stylesheet", "info", "header", "headerl", "headerr", "headerf", "footer",
                    "footerl", "footerr", "footerf", "footnote", "annotation", "atnid", "atnauthor",
                    "xe", "tc", "txe", "revtbl", "rsidtbl", "generator", "filetbl", "objdata",
                    "objclass", "objname", "nonshppict", "bkmkstart", "bkmkend", "template",
                    "docvar", "userprops", "themedata", "colorschememapping", "datastore",
                    "latentstyles", "fchars", "lchars", "ftnsep", "ftnsepc", "ftncn", "aftnsep",
                    "aftnsepc", "aftncn", "pgdsctbl", "xmlnstbl", "private", "author", "operator",
                    "title", "subject", "keywords", "comment", "doccomm", "company", "category",
                    "buptim", "creatim", "revtim", "printim", "hlinkbase", "panose", "fontemb",
                    "fontfile", "blipuid", "picprop", "mmathPr", "listpicture", "background",
                    "datafield", "lfolevel", "listname", "pnseclvl", "nonesttables" })
                word(name, Keyword::SkippedDestination);

            // Lists and paragraph numbering
            for (const char* name : { "listtable", "listoverridetable" })
                word(name, Keyword::ListTable);
            word("list", Keyword::List);
            word("listlevel", Keyword::ListLevel);
            word("listoverride", Keyword::ListOverride);
            word("leveltext", Keyword::LevelText);
            word("levelnumbers", Keyword::LevelNumbers);
            word("pn", Keyword::PnGroup);
            word("pntxtb", Keyword::PnTextBefore);
            word("pntxta", Keyword::PnTextAfter);
            word("formfield", Keyword::FormField);
            word("listid", Keyword::ListId);
            for (const char* name : { "levelnfc", "levelnfcn" })
                word(name, Keyword::LevelFormat);
            for (const char* name : { "leveljc", "leveljcn" })
                word(name, Keyword::LevelAlign);
            word("levelstartat", Keyword::LevelStart);
            word("levelfollow", Keyword::LevelFollow);
            word("ls", Keyword::ListNumber);
            word("ilvl", Keyword::ListLevelNumber);
            using P = PnLevelKind;
            coded("pnlvl", Keyword::PnLevel, P::Outline);
            coded("pnlvlblt", Keyword::PnLevel, P::Bullet);
            coded("pnlvlbody", Keyword::PnLevel, P::Body);
            coded("pnlvlcont", Keyword::PnLevel, P::Continued);
            // The number formats of list levels: 0 decimal, 1 and 2 roman, 3 and 4 letters.
            for (const auto& [name, format] :
                { std::pair { "pndec", 0 }, { "pnucrm", 1 }, { "pnlcrm", 2 }, { "pnucltr", 3 },
                    { "pnlcltr", 4 }, { "pnord", 0 }, { "pncard", 0 }, { "pnordt", 0 } })
                coded(name, Keyword::PnFormat, format);
            word("pnstart", Keyword::PnStart);
            word("pnf", Keyword::PnFont);
            word("pnindent", Keyword::PnIndent);
            coded("pnql", Keyword::PnAlign, Content::ListLabel::Left);
            coded("pnqc", Keyword::PnAlign, Content::ListLabel::Center);
            coded("pnqr", Keyword::PnAlign, Content::ListLabel::Right);
            word("fftype", Keyword::FormFieldType);
            word("ffres", Keyword::FormFieldResult);
            word("ffdefres", Keyword::FormFieldDefault);

            // Picture properties
            word("pngblip", Keyword::PngBlip);
            word("jpegblip", Keyword::JpegBlip);
            for (const char* name : { "emfblip", "wmetafile", "macpict", "pmmetafile" })
                word(name, Keyword::MetafileBlip);
            for (const char* name : { "dibitmap", "wbitmap" })
                word(name, Keyword::BitmapBlip);
            word("picwgoal", Keyword::PicWidthGoal);
            word("pichgoal", Keyword::PicHeightGoal);
            word("picscalex", Keyword::PicScaleX);
            word("picscaley", Keyword::PicScaleY);
            word("picw", Keyword::PicWidth);
            word("pich", Keyword::PicHeight);

            for (auto& [name, info] : t)
                if (info.kind == WordKind::Ignored)
                    info.kind = kindOf(info.word);
            t.max_load_factor(0.5f);
            t.rehash(t.size() * 4);
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

bool readsIgnorable(Keyword word)
{
    switch (word) {
    case Keyword::ShapePicture:
    case Keyword::ShapeInstructions:
    case Keyword::ShapeProperty:
    case Keyword::ShapeName:
    case Keyword::ShapeValue:
    case Keyword::ShapeResult:
    case Keyword::ShapeText:
    case Keyword::ListText:
    case Keyword::TextDestination:
    case Keyword::FontTable:
    case Keyword::FieldInstruction:
    case Keyword::AltFontName:
    case Keyword::ColorTable:
    case Keyword::Picture:
    case Keyword::ListTable:
    case Keyword::PnGroup:
    case Keyword::FormField:
        return true;
    default:
        return false;
    }
}

int documentCodePage(Keyword word, int param, int current)
{
    switch (word) {
    case Keyword::AnsiCodePage:
        return param > 0 && param < 65536 ? param : current;
    case Keyword::Ansi:
        return 1252;
    case Keyword::Mac:
        return 10000;
    case Keyword::Pc:
        return 437;
    case Keyword::Pca:
        return 850;
    default:
        return current;
    }
}

} // namespace Rtf
