#include "rtf/rtfreader.h"

#include "content/sink.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfcolortable.h"
#include "rtf/rtffield.h"
#include "rtf/rtffonttable.h"
#include "rtf/rtfkeywords.h"
#include "rtf/rtflists.h"
#include "rtf/rtfnotes.h"
#include "rtf/rtfpicture.h"
#include "rtf/rtfrowdefinition.h"
#include "rtf/rtfshape.h"
#include "rtf/rtfstate.h"
#include "rtf/rtfsymbolfonts.h"
#include "rtf/rtftextbuffer.h"
#include "rtf/rtftokenizer.h"

#include <memory>

namespace Rtf {

namespace {

    using Content::ParagraphEnd;

    // Reads one document: the token loop, the group stack, and the dispatch of each control word
    // to the destination or property it is for.
    class Reader {
    public:
        Reader(QByteArrayView bytes, Content::Sink* sink, const Pace& pace)
            : m_tokens(bytes)
            , m_sink(sink)
            , m_pace(pace)
            , m_text(sink, &m_field)
            , m_fonts(&m_text.decoder())
            , m_lists(&m_fonts, &m_text.decoder())
        {
        }

        void run();

    private:
        GroupState& state() { return m_stack.top(); }
        bool inText() const { return m_stack.top().destination == Destination::Text; }

        void startGroup();
        void endGroup();
        // Ends the destination of the group that is ending.
        void endDestination(Destination ended);
        void controlWord(const Token& token);
        void controlSymbol(unsigned char symbol);
        void enterDestination(Keyword word);
        void text(QByteArrayView bytes);
        void byte(unsigned char b);
        void unicodeCharacter(const Token& token);
        void character(char16_t c);
        void endParagraph(ParagraphEnd end);
        void finishDocument(const Content::ParaProps& lastParagraph);
        // Takes the rest of the current group without looking at it and ends it.
        void skipGroup();

        // Breaks, characters by name or number, \bin data.
        void textWord(const KeywordInfo& info, const Token& token);
        // The document's code page, default font and tab stops, \plain and \f.
        void documentWord(Keyword word, int param);
        void setDocumentCodePage(int codePage);
        void setFont(int number);
        // Border words: of the paragraph's sides, else of the row being defined.
        void borderWord(Keyword word, int param, std::uint8_t value);
        void noteMark();
        void fieldEnded();
        // Words of the lists, of paragraphs' place in them and of form fields.
        void listWord(Keyword word, int param, std::uint8_t value);
        // Hands on the label of the paragraph that ends, if it is an item of a list.
        void handLabel(const Content::ParaProps& para);

        Tokenizer m_tokens;
        Content::Sink* m_sink;
        const Pace& m_pace;
        qsizetype m_nextPace = PaceBytes;
        GroupStack m_stack;
        TextBuffer m_text;
        FontTable m_fonts;
        Lists m_lists;
        ColorTable m_colors;
        RowDefinition m_row;
        NoteMarks m_notes;
        SymbolField m_field;
        ShapeReader m_shape;

        int m_documentCodePage = CodePage::Ansi;
        int m_defaultFont = -1;
        bool m_nextIsIgnorable = false; // after \*
        bool m_groupJustStarted = false;
        bool m_finished = false;
        bool m_sawListText = false; // \pntext is then a second copy of the label
        FileLabel m_fileLabel;
        std::int64_t m_fontTableDepth = -1;
        // The paragraph sides the border words that follow are for; none for a table's.
        BorderSide m_paragraphSide = BorderSide::Other;
        // The picture being read, with the depth of its group.
        std::unique_ptr<PictureReader> m_picture;
        std::int64_t m_pictureDepth = -1;
        Destination m_pictureAround = Destination::Text; // of the group the picture is in
        qint64 m_pictureBytesLeft = PictureReader::MaxDocumentBytes;
    };

    void Reader::run()
    {
        for (;;) {
            // In a double-byte code page the byte after a lead byte is a character's second half,
            // even where it looks like a brace or a backslash.
            unsigned char trail = 0;
            if (m_text.waitsForTrailByte() && m_tokens.takeRawTrailByte(&trail)) {
                byte(trail);
                continue;
            }
            if (m_tokens.position() >= m_nextPace && m_pace) {
                m_nextPace = m_tokens.position() + PaceBytes;
                m_pace();
            }
            const Token token = m_tokens.next();
            const bool groupJustStarted = m_groupJustStarted;
            m_groupJustStarted = false;
            switch (token.kind) {
            case Token::End:
                if (!m_finished)
                    finishDocument(state().para);
                return;
            case Token::GroupStart:
                startGroup();
                m_groupJustStarted = true;
                break;
            case Token::GroupEnd:
                // The brace that closes the document ends its last paragraph, with the properties
                // it has there; whatever follows is not part of the document (a brace with no
                // group open is ignored).
                if (m_stack.depth() == 1) {
                    const Content::ParaProps last = state().para;
                    endGroup();
                    finishDocument(last);
                    m_tokens.rewind(m_tokens.size());
                    break;
                }
                endGroup();
                break;
            case Token::Word:
                controlWord(token);
                break;
            case Token::Symbol:
                // \* marks a destination only right after the brace that opens its group;
                // elsewhere writers put it before words of their own, and it means nothing.
                if (token.byte == '*' && !groupJustStarted)
                    break;
                controlSymbol(token.byte);
                break;
            case Token::Hex:
                byte(token.byte);
                break;
            case Token::Text:
                text(token.text);
                break;
            }
        }
    }

    void Reader::finishDocument(const Content::ParaProps& lastParagraph)
    {
        m_finished = true;
        m_text.flush(state());
        m_text.endDanglingSurrogate(state());
        if (m_fontTableDepth >= 0)
            m_fonts.finish(m_sink);
        // The last paragraph, when it holds anything, is an item like any other.
        if (m_fileLabel.paragraphHasAny(m_text.handed()))
            handLabel(lastParagraph);
        m_sink->endParagraph(lastParagraph, ParagraphEnd::Document);
    }

    void Reader::startGroup()
    {
        m_text.flush(state());
        m_nextIsIgnorable = false;
        m_stack.push();
    }

    void Reader::endGroup()
    {
        m_text.flush(state());
        m_nextIsIgnorable = false;
        endDestination(state().destination);
        if (m_field.endsField(m_stack.depth()))
            fieldEnded();
        m_shape.groupEnded(m_stack.depth());
        m_fileLabel.groupEnded(m_stack.depth(), m_text.handed());
        const int pn = m_lists.groupEnded(m_stack.depth());
        m_stack.pop();
        if (pn > 0)
            state().para.pn = pn;
    }

    void Reader::endDestination(Destination ended)
    {
        const std::int64_t depth = m_stack.depth();
        switch (ended) {
        case Destination::Picture:
            if (m_picture && depth == m_pictureDepth) {
                m_shape.pictureEnded(m_pictureAround);
                m_sink->picture(m_picture->picture());
                m_picture.reset();
                m_pictureDepth = -1;
            }
            return;
        case Destination::ColorTable:
            m_colors.finish(m_sink);
            return;
        case Destination::FontTable:
            if (depth == m_fontTableDepth) {
                m_fonts.finish(m_sink);
                m_fontTableDepth = -1;
            }
            return;
        case Destination::FieldInstruction:
            if (m_field.endsCode(depth))
                m_field.codeEnded(state().symbolFace);
            return;
        default:
            return;
        }
    }

    void Reader::skipGroup()
    {
        m_text.flush(state());
        m_nextIsIgnorable = false;
        if (m_tokens.skipGroup())
            m_stack.pop();
        // else the bytes have ended: run() ends the document on the next token
    }

    void Reader::enterDestination(Keyword word)
    {
        if (word == Keyword::ShapePicture)
            return; // its \pict is read as any other
        if (word == Keyword::SkippedDestination)
            return skipGroup();
        m_text.flush(state());
        // Past the depth where groups share one state, a destination could not be ended again:
        // tables and pictures there are skipped, text destinations keep the text they are in.
        if (m_stack.isShared()) {
            if (word == Keyword::FontTable || word == Keyword::ColorTable
                || word == Keyword::Picture)
                skipGroup();
            return;
        }
        Destination& destination = state().destination;
        switch (word) {
        case Keyword::FontTable:
            destination = Destination::FontTable;
            if (m_fontTableDepth < 0)
                m_fontTableDepth = m_stack.depth();
            return;
        case Keyword::AltFontName:
            if (destination != Destination::FontTable)
                return skipGroup();
            destination = Destination::AltFontName;
            return;
        case Keyword::FieldInstruction:
            destination = Destination::FieldInstruction;
            m_field.startCode(m_stack.depth());
            return;
        case Keyword::ColorTable:
            destination = Destination::ColorTable;
            m_colors.start();
            return;
        case Keyword::Picture:
            if (m_picture) // a picture inside a picture is damage
                return skipGroup();
            m_pictureAround = destination; // the group's, from the group around it
            destination = Destination::Picture;
            m_picture = std::make_unique<PictureReader>(&m_pictureBytesLeft);
            m_pictureDepth = m_stack.depth();
            return;
        case Keyword::Shape:
        case Keyword::ShapeInstructions:
        case Keyword::ShapeProperty:
        case Keyword::ShapeName:
        case Keyword::ShapeValue:
        case Keyword::ShapeResult:
        case Keyword::ShapeText:
            if (!m_shape.enter(word, m_stack.depth(), &destination))
                return skipGroup();
            return;
        case Keyword::ListText:
            m_sawListText = true;
            destination = Destination::Text;
            return m_fileLabel.starts(m_stack.depth(), m_text.handed());
        case Keyword::PnText:
            if (m_sawListText)
                return skipGroup();
            destination = Destination::Text;
            return m_fileLabel.starts(m_stack.depth(), m_text.handed());
        case Keyword::ListTable:
        case Keyword::List:
        case Keyword::ListLevel:
        case Keyword::ListOverride:
        case Keyword::LevelText:
        case Keyword::LevelNumbers:
        case Keyword::PnGroup:
        case Keyword::PnTextBefore:
        case Keyword::PnTextAfter:
            if (!m_lists.enter(word, m_stack.depth(), &destination))
                return skipGroup();
            return;
        case Keyword::FormField:
            if (destination != Destination::FieldInstruction)
                return skipGroup();
            destination = Destination::FormField;
            return;
        default:
            destination = Destination::Text;
            return;
        }
    }

    void Reader::text(QByteArrayView bytes)
    {
        switch (state().destination) {
        case Destination::Text:
            m_text.addBytes(bytes, state());
            return;
        case Destination::FontTable:
            m_fonts.text(bytes);
            return;
        case Destination::AltFontName:
            m_fonts.altText(bytes);
            return;
        case Destination::ColorTable:
            m_colors.text(bytes);
            return;
        case Destination::Picture:
            if (m_picture)
                m_picture->addHex(bytes);
            return;
        case Destination::FieldInstruction:
            m_field.codeText(bytes);
            return;
        case Destination::ShapeName:
            m_shape.nameText(bytes);
            return;
        case Destination::NumberingText:
            m_lists.text(bytes);
            return;
        case Destination::ShapeProperties:
        case Destination::Numbering:
        case Destination::FormField:
            return;
        }
    }

    void Reader::byte(unsigned char b)
    {
        // A byte given as \'hh is text in the text destinations, never syntax.
        const char c = char(b);
        const Destination d = state().destination;
        if (d == Destination::Text)
            m_text.addBytes(QByteArrayView(&c, 1), state());
        else if (d == Destination::FontTable)
            m_fonts.text(QByteArrayView(&c, 1));
        else if (d == Destination::FieldInstruction)
            m_field.codeText(QByteArrayView(&c, 1));
        else if (d == Destination::NumberingText)
            m_lists.text(QByteArrayView(&c, 1));
    }

    void Reader::character(char16_t c)
    {
        if (inText())
            m_text.addCharacter(c, state());
        else if (state().destination == Destination::NumberingText)
            m_lists.character(c);
    }

    void Reader::endParagraph(ParagraphEnd end)
    {
        if (!inText())
            return;
        m_text.flush(state());
        m_text.endDanglingSurrogate(state());
        handLabel(state().para);
        m_sink->endParagraph(state().para, end);
    }

    void Reader::handLabel(const Content::ParaProps& para)
    {
        const FileLabel::Taken own = m_fileLabel.paragraphEnds(m_text.handed());
        if (!own.present && para.list <= 0 && para.pn <= 0)
            return m_lists.unnumberedParagraph(); // most paragraphs: no list, no label
        Content::ListLabel label;
        if (m_lists.endParagraph(para, own.present, &label)) {
            label.fileLength = own.length;
            m_sink->listLabel(label);
        }
    }

    void Reader::controlSymbol(unsigned char symbol)
    {
        m_nextIsIgnorable = false;
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            return byte(symbol);
        case '*':
            m_nextIsIgnorable = true;
            return;
        case '~':
            return character(0x00A0);
        case '_':
            return character(0x2011);
        case '-':
            return character(0x00AD);
        case '\t':
            return character(u'\t');
        case '\r':
        case '\n':
            return endParagraph(ParagraphEnd::Paragraph);
        default:
            return; // \:, \| and the like: nothing to show
        }
    }

    void Reader::controlWord(const Token& token)
    {
        const KeywordInfo& info = keyword(token.text);
        const bool ignorable = m_nextIsIgnorable;
        m_nextIsIgnorable = false;
        if (ignorable && !readsIgnorable(info.word))
            return skipGroup(); // \* before a word this reader does not read as a destination
        // Bytes waiting to be decoded belong to the formatting before the word; characters given
        // by name or number join them.
        const Keyword word = info.word;
        if (word != Keyword::Unicode && word != Keyword::Character && word != Keyword::Bin)
            m_text.flush(state());
        const Destination destination = state().destination;
        switch (info.kind) {
        case WordKind::Ignored:
            return;
        case WordKind::Setter:
            return info.set(state(), token.param, token.hasParam);
        case WordKind::Text:
            return textWord(info, token);
        case WordKind::Document:
            return documentWord(info.word, token.param);
        case WordKind::FontTable:
            if (destination == Destination::FontTable)
                m_fonts.property(info.word, token.param, info.value);
            return;
        case WordKind::ColorTable:
            if (destination == Destination::ColorTable)
                m_colors.property(info.word, token.param);
            return;
        case WordKind::Row:
            return borderWord(info.word, token.param, info.value);
        case WordKind::Note:
            if (info.word == Keyword::FootnoteMark)
                return noteMark();
            return m_notes.property(info.word, token.param, char(info.value));
        case WordKind::Picture:
            if (m_picture && destination == Destination::Picture)
                m_picture->property(info.word, token.param);
            return;
        case WordKind::Destination:
            return enterDestination(info.word);
        case WordKind::List:
            return listWord(info.word, token.param, info.value);
        }
    }

    void Reader::listWord(Keyword word, int param, std::uint8_t value)
    {
        switch (state().destination) {
        case Destination::Numbering:
            return m_lists.property(word, param, value);
        case Destination::FormField:
            return m_field.formFieldProperty(word, param);
        default:
            break;
        }
        if (word == Keyword::ListNumber)
            state().para.list = qMax(0, param);
        else if (word == Keyword::ListLevelNumber)
            state().para.listLevel = qBound(0, param, Lists::Levels - 1);
    }

    void Reader::textWord(const KeywordInfo& info, const Token& token)
    {
        switch (info.word) {
        case Keyword::Character:
            return character(info.character);
        case Keyword::Line:
            return character(QChar::LineSeparator);
        case Keyword::Tab:
            return character(u'\t');
        case Keyword::Unicode:
            return unicodeCharacter(token);
        case Keyword::Bin: {
            const QByteArrayView data = m_tokens.takeBytes(token.hasParam ? token.param : 0);
            if (state().destination == Destination::Picture && m_picture)
                m_picture->addBinary(data);
            return;
        }
        case Keyword::Cell:
            // A row defined before its cells, as writers mostly do: its definition is known
            // from its first cell on (unless a nested row has used the words since).
            if (inText() && m_row.isNew()) {
                m_row.used();
                m_sink->rowDefinition(m_row.row());
            }
            return endParagraph(ParagraphEnd::Cell);
        case Keyword::NestCell:
            return endParagraph(ParagraphEnd::NestedCell);
        case Keyword::Row:
        case Keyword::NestRow:
            if (inText()) {
                m_row.used();
                m_sink->rowDefinition(m_row.row());
            }
            return endParagraph(
                info.word == Keyword::Row ? ParagraphEnd::Row : ParagraphEnd::NestedRow);
        default: // \par, \page, \sect, \column
            return endParagraph(ParagraphEnd::Paragraph);
        }
    }

    void Reader::unicodeCharacter(const Token& token)
    {
        if (!token.hasParam)
            return;
        // Negative numbers are how 16-bit writers give the upper half. A number outside 16 bits
        // is damage: the fallback that follows is then the best text there is.
        const int param = token.param;
        if (param < -32768 || param > 65535)
            return;
        character(char16_t(param < 0 ? param + 65536 : param));
        const QByteArrayView rest = m_tokens.skipFallback(state().unicodeSkip);
        if (!rest.isEmpty())
            text(rest);
    }

    void Reader::documentWord(Keyword word, int param)
    {
        GroupState& s = state();
        switch (word) {
        case Keyword::DefaultTab:
            return m_sink->defaultTab(param);
        case Keyword::Plain:
            s.chars = Content::CharProps();
            return setFont(m_defaultFont);
        case Keyword::Font:
            if (s.destination == Destination::FontTable)
                return m_fonts.beginEntry(param);
            if (s.destination == Destination::Numbering)
                m_lists.levelFont(param);
            return setFont(param);
        case Keyword::DefaultFont:
            m_defaultFont = param;
            m_sink->defaultFont(param);
            if (s.chars.font < 0)
                setFont(param);
            return;
        default:
            return setDocumentCodePage(documentCodePage(word, param, m_documentCodePage));
        }
    }

    void Reader::setDocumentCodePage(int codePage)
    {
        m_documentCodePage = codePage;
        m_text.setDocumentCodePage(codePage);
        m_fonts.setDocumentCodePage(codePage);
        m_lists.setDocumentCodePage(codePage);
    }

    void Reader::setFont(int number)
    {
        GroupState& s = state();
        s.chars.font = number;
        s.codePage = m_fonts.codePageOf(number);
        s.symbolFace = m_fonts.symbolFaceOf(number);
    }

    void Reader::borderWord(Keyword word, int param, std::uint8_t value)
    {
        if (word == Keyword::BorderSide) {
            const auto side = BorderSide(value);
            const bool paragraph
                = side >= BorderSide::ParagraphTop && side <= BorderSide::ParagraphBox;
            m_paragraphSide = paragraph ? side : BorderSide::Other;
            if (!paragraph)
                return m_row.property(word, param, value);
        }
        const bool styleWord = word == Keyword::BorderStyle || word == Keyword::BorderWidth
            || word == Keyword::BorderColor || word == Keyword::BorderSide;
        if (!styleWord || m_paragraphSide == BorderSide::Other)
            return m_row.property(word, param, value);
        setParagraphBorder(state().para, m_paragraphSide, word, param, value);
    }

    void Reader::noteMark()
    {
        // The mark in the text numbers the note; the note's own group is skipped.
        if (inText())
            m_text.addText(m_notes.next(m_tokens), state());
    }

    void Reader::fieldEnded()
    {
        m_text.flush(state());
        const int box = m_field.checkBoxEnded();
        if (box >= 0 && inText())
            m_sink->checkBox(box > 0, state().chars);
        const char32_t c = m_field.fieldEnded();
        if (c == 0 || !inText())
            return;
        const char32_t one[1] = { c };
        m_text.addText(QString::fromUcs4(one, 1), state());
    }

} // namespace

bool looksLikeRtf(QByteArrayView bytes) { return bytes.startsWith("{\\rtf"); }

void read(QByteArrayView bytes, Content::Sink* sink, const Pace& pace)
{
    Reader(bytes, sink, pace).run();
}

} // namespace Rtf
