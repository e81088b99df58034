#include "rtf/rtfreader.h"

#include "rtf/rtfbuilder.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfformat.h"
#include "rtf/rtfkeywords.h"
#include "rtf/rtfpicture.h"
#include "rtf/rtfstate.h"
#include "rtf/rtftokenizer.h"

#include <QTextDocument>
#include <memory>

namespace Rtf {

namespace {

    // Longer font names are damage; the rest of such a name is dropped.
    constexpr qsizetype MaxFontNameLength = 256;

    // Reads one document: the token loop, the group stack and what each control word does.
    class Reader {
    public:
        Reader(QByteArrayView bytes, QTextDocument* document)
            : m_tokens(bytes)
            , m_document(document)
            , m_builder(document, &m_formats)
        {
        }

        void run();

    private:
        GroupState& state() { return m_stack.top(); }

        void startGroup();
        void endGroup();
        void controlWord(const Token& token);
        void controlSymbol(unsigned char symbol);
        void text(QByteArrayView bytes);
        void byte(unsigned char b);
        void appendBytes(QByteArrayView bytes);
        // Takes the rest of the current group without looking at it (braces counted, \bin data
        // stepped over) and ends it.
        void skipGroup();
        // Reads the fallback characters that follow \uN.
        void skipFallback(int count);
        void enterDestination(Keyword word);

        void flushBytes();
        void appendText(QStringView text);
        void appendChar(char16_t c);
        void endParagraph(DocumentBuilder::End end);
        int currentCodePage() const;

        // Font table and colour table text.
        void fontTableText(QByteArrayView bytes);
        void colorTableText(QByteArrayView bytes);

        Tokenizer m_tokens;
        QTextDocument* m_document;
        Formats m_formats;
        DocumentBuilder m_builder;
        GroupStack m_stack;
        TextDecoder m_decoder;

        int m_documentCodePage = CodePage::Ansi;
        int m_defaultFont = -1;
        bool m_nextIsIgnorable = false; // after \*
        bool m_sawListText = false;
        bool m_groupJustStarted = false;
        int m_footnotes = 0; // \pntext is then a second copy of the label
        // Bytes of text waiting to be decoded together, in m_byteCodePage.
        QByteArray m_bytes;
        int m_byteCodePage = 0;
        bool m_waitingForTrailByte = false;
        char16_t m_highSurrogate = 0;
        // The font being defined in the font table.
        int m_tableFont = 0;
        bool m_fontNameDone = false;
        // The picture being read, with the depth of its group.
        std::unique_ptr<Picture> m_picture;
        std::int64_t m_pictureDepth = -1;
        int m_pictureCount = 0;
        Picture::Budget m_pictureBudget;
        QString m_decoded;
    };

    void Reader::run()
    {
        for (;;) {
            // In a double-byte code page the byte after a lead byte is a character's second half,
            // even where it looks like a brace or a backslash.
            unsigned char trail = 0;
            if (m_waitingForTrailByte && m_tokens.takeRawTrailByte(&trail)) {
                byte(trail);
                continue;
            }
            const Token token = m_tokens.next();
            const bool groupJustStarted = m_groupJustStarted;
            m_groupJustStarted = false;
            switch (token.kind) {
            case Token::End:
                flushBytes();
                if (m_highSurrogate)
                    appendChar(0xFFFD);
                m_builder.endParagraph(state().para, DocumentBuilder::End::Document);
                return;
            case Token::GroupStart:
                startGroup();
                m_groupJustStarted = true;
                break;
            case Token::GroupEnd: {
                const bool closesDocument = m_stack.depth() == 1;
                endGroup();
                // Whatever follows the brace that closes the document is not part of it (a brace
                // with no group open is ignored).
                if (closesDocument)
                    m_tokens.rewind(m_tokens.size());
                break;
            }
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

    void Reader::startGroup()
    {
        flushBytes();
        m_nextIsIgnorable = false;
        m_stack.push();
    }

    void Reader::endGroup()
    {
        flushBytes();
        m_nextIsIgnorable = false;
        const Destination ended = state().destination;
        if (ended == Destination::Picture && m_picture && m_stack.depth() == m_pictureDepth) {
            if (auto image = m_picture->finish(m_document, ++m_pictureCount, &m_pictureBudget)) {
                m_stack.pop();
                m_builder.addImage(*image);
            } else {
                m_stack.pop();
            }
            m_picture.reset();
            m_pictureDepth = -1;
            return;
        }
        if (ended == Destination::ColorTable)
            m_formats.endColorTable();
        m_stack.pop();
    }

    void Reader::skipGroup()
    {
        flushBytes();
        m_nextIsIgnorable = false;
        std::int64_t depth = 1;
        for (;;) {
            const Token token = m_tokens.next();
            switch (token.kind) {
            case Token::End:
                return; // run() ends the document on the next token
            case Token::GroupStart:
                ++depth;
                break;
            case Token::GroupEnd:
                if (--depth == 0) {
                    m_stack.pop();
                    return;
                }
                break;
            case Token::Word:
                if (token.text == "bin" && token.hasParam)
                    m_tokens.takeBytes(token.param);
                break;
            default:
                break;
            }
        }
    }

    void Reader::skipFallback(int count)
    {
        // Each \'hh, control word, control symbol and character counts as one; a brace ends the
        // fallback early and is read as usual.
        while (count > 0) {
            const qsizetype before = m_tokens.position();
            const Token token = m_tokens.next();
            switch (token.kind) {
            case Token::End:
                return;
            case Token::GroupStart:
            case Token::GroupEnd:
                // Not consumed: step back so that the main loop reads it.
                m_tokens.rewind(before);
                return;
            case Token::Text:
                if (token.text.size() > count) {
                    text(token.text.sliced(count));
                    return;
                }
                count -= int(token.text.size());
                break;
            case Token::Word:
                if (token.text == "bin" && token.hasParam)
                    m_tokens.takeBytes(token.param);
                --count;
                break;
            default:
                --count;
                break;
            }
        }
    }

    void Reader::enterDestination(Keyword word)
    {
        flushBytes();
        // Past the depth where groups share one state, a destination could not be ended again:
        // tables and pictures there are skipped, text destinations keep the text they are in.
        if (m_stack.isShared()) {
            if (word == Keyword::FontTable || word == Keyword::ColorTable
                || word == Keyword::Picture)
                skipGroup();
            return;
        }
        switch (word) {
        case Keyword::FontTable:
            state().destination = Destination::FontTable;
            break;
        case Keyword::ColorTable:
            state().destination = Destination::ColorTable;
            m_formats.startColorTable();
            break;
        case Keyword::Picture:
            if (m_picture) { // a picture inside a picture is damage
                skipGroup();
                return;
            }
            state().destination = Destination::Picture;
            m_picture = std::make_unique<Picture>();
            m_pictureDepth = m_stack.depth();
            break;
        case Keyword::ListText:
            m_sawListText = true;
            state().destination = Destination::Text;
            break;
        case Keyword::PnText:
            if (m_sawListText) {
                skipGroup();
                return;
            }
            state().destination = Destination::Text;
            break;
        default:
            state().destination = Destination::Text;
            break;
        }
    }

    int Reader::currentCodePage() const
    {
        const int page = m_stack.top().codePage;
        return page ? page : m_documentCodePage;
    }

    void Reader::text(QByteArrayView bytes)
    {
        switch (state().destination) {
        case Destination::Text:
            if (bytes.contains('\0')) {
                // Zero bytes are padding some writers leave; they are no text.
                QByteArray kept = bytes.toByteArray();
                kept.replace('\0', QByteArrayView());
                appendBytes(kept);
            } else {
                appendBytes(bytes);
            }
            break;
        case Destination::FontTable:
            fontTableText(bytes);
            break;
        case Destination::ColorTable:
            colorTableText(bytes);
            break;
        case Destination::Picture:
            if (m_picture)
                m_picture->addHex(bytes);
            break;
        }
    }

    void Reader::byte(unsigned char b)
    {
        const Destination d = state().destination;
        if (d == Destination::FontTable) {
            const char c = char(b);
            fontTableText(QByteArrayView(&c, 1));
            return;
        }
        if (d != Destination::Text)
            return;
        const char c = char(b);
        appendBytes(QByteArrayView(&c, 1));
    }

    void Reader::appendBytes(QByteArrayView bytes)
    {
        // Bytes are gathered and decoded together, so that double-byte characters stay whole.
        const int page = currentCodePage();
        if (!m_bytes.isEmpty() && page != m_byteCodePage)
            flushBytes();
        m_byteCodePage = page;
        m_bytes.append(bytes);
        if (!CodePage::isDoubleByte(page))
            return;
        for (const char c : bytes) {
            if (m_waitingForTrailByte)
                m_waitingForTrailByte = false;
            else
                m_waitingForTrailByte = CodePage::isLeadByte(page, static_cast<unsigned char>(c));
        }
    }

    void Reader::flushBytes()
    {
        m_waitingForTrailByte = false;
        if (m_bytes.isEmpty())
            return;
        m_decoded.clear();
        m_decoder.decode(m_byteCodePage, m_bytes, &m_decoded);
        m_bytes.clear();
        appendText(m_decoded);
    }

    void Reader::appendText(QStringView text)
    {
        if (text.isEmpty())
            return;
        if (m_highSurrogate) {
            // A high surrogate that no low one followed.
            m_highSurrogate = 0;
            const char16_t replacement = 0xFFFD;
            m_builder.addText(QStringView(&replacement, 1), state().chars);
        }
        m_builder.addText(text, state().chars);
    }

    void Reader::appendChar(char16_t c)
    {
        if (state().destination != Destination::Text)
            return;
        flushBytes();
        if (QChar::isLowSurrogate(c) && m_highSurrogate) {
            const char16_t pair[2] = { m_highSurrogate, c };
            m_highSurrogate = 0;
            m_builder.addText(QStringView(pair, 2), state().chars);
            return;
        }
        if (QChar::isHighSurrogate(c)) {
            if (m_highSurrogate)
                appendChar(0xFFFD);
            m_highSurrogate = c;
            return;
        }
        if (QChar::isLowSurrogate(c))
            c = 0xFFFD;
        appendText(QStringView(&c, 1));
    }

    void Reader::endParagraph(DocumentBuilder::End end)
    {
        if (state().destination != Destination::Text)
            return;
        flushBytes();
        if (m_highSurrogate)
            appendText(QString());
        m_builder.endParagraph(state().para, end);
    }

    void Reader::controlSymbol(unsigned char symbol)
    {
        const bool ignorable = m_nextIsIgnorable;
        m_nextIsIgnorable = false;
        switch (symbol) {
        case '\\':
        case '{':
        case '}':
            byte(symbol);
            return;
        case '*':
            m_nextIsIgnorable = true;
            return;
        case '~':
            appendChar(0x00A0);
            return;
        case '_':
            appendChar(0x2011);
            return;
        case '-':
            appendChar(0x00AD);
            return;
        case '\t':
            appendChar(u'\t');
            return;
        case '\r':
        case '\n':
            endParagraph(DocumentBuilder::End::Paragraph);
            return;
        default:
            (void)ignorable;
            return; // \:, \| and the like: nothing to show
        }
    }

    void Reader::controlWord(const Token& token)
    {
        const Keyword word = keyword(token.text);
        const bool ignorable = m_nextIsIgnorable;
        m_nextIsIgnorable = false;
        const int param = token.param;
        const bool on = !token.hasParam || param != 0;
        GroupState& s = state();

        if (ignorable) {
            // \* before a word this reader does not read as a destination: the group is skipped.
            switch (word) {
            case Keyword::ShapePicture:
            case Keyword::ListText:
            case Keyword::TextDestination:
            case Keyword::FontTable:
            case Keyword::ColorTable:
            case Keyword::Picture:
                break;
            default:
                skipGroup();
                return;
            }
        }
        if (word != Keyword::Unicode && word != Keyword::Character && word != Keyword::Bin)
            flushBytes();

        switch (word) {
        case Keyword::Unknown:
            return;
        case Keyword::Par:
        case Keyword::Page:
        case Keyword::Sect:
        case Keyword::Column:
            endParagraph(DocumentBuilder::End::Paragraph);
            return;
        case Keyword::Line:
            appendChar(QChar::LineSeparator);
            return;
        case Keyword::Tab:
            appendChar(u'\t');
            return;
        case Keyword::Cell:
            endParagraph(DocumentBuilder::End::Cell);
            return;
        case Keyword::Row:
            endParagraph(DocumentBuilder::End::Row);
            return;
        case Keyword::NestCell:
            endParagraph(DocumentBuilder::End::NestedCell);
            return;
        case Keyword::NestRow:
            endParagraph(DocumentBuilder::End::NestedRow);
            return;
        case Keyword::Unicode:
            // Negative numbers are how 16-bit writers give the upper half. A number outside 16
            // bits is damage: the fallback that follows is then the best text there is.
            if (token.hasParam && param >= -32768 && param <= 65535) {
                appendChar(char16_t(param < 0 ? param + 65536 : param));
                skipFallback(s.unicodeSkip);
            }
            return;
        case Keyword::UnicodeSkip:
            s.unicodeSkip = qBound(0, param, 16);
            return;
        case Keyword::Bin: {
            const QByteArrayView data = m_tokens.takeBytes(token.hasParam ? param : 0);
            if (s.destination == Destination::Picture && m_picture)
                m_picture->addBinary(data);
            return;
        }
        case Keyword::Character:
            appendChar(specialCharacter(token.text));
            return;
        case Keyword::FootnoteMark:
            // The mark in the text numbers the footnotes; the body (and its own mark) is skipped.
            if (s.destination == Destination::Text)
                appendText(QString::number(++m_footnotes));
            return;
        case Keyword::Plain:
            s.chars = CharState();
            s.chars.font = m_defaultFont;
            s.codePage = m_formats.codePageOf(m_defaultFont);
            return;
        case Keyword::Pard:
            s.para = ParaState();
            return;
        case Keyword::Font:
            if (s.destination == Destination::FontTable) {
                m_tableFont = param;
                m_formats.font(param) = FontEntry();
                m_fontNameDone = false;
                return;
            }
            s.chars.font = param;
            s.codePage = m_formats.codePageOf(param);
            return;
        case Keyword::FontSize:
            s.chars.halfPoints = token.hasParam ? qBound(1, param, 3276) : 24;
            return;
        case Keyword::Bold:
            s.chars.bold = on;
            return;
        case Keyword::Italic:
            s.chars.italic = on;
            return;
        case Keyword::Underline:
            s.chars.underline = on;
            return;
        case Keyword::UnderlineNone:
            s.chars.underline = false;
            return;
        case Keyword::Strike:
            s.chars.strike = on;
            return;
        case Keyword::Super:
            s.chars.vertical = CharState::Super;
            return;
        case Keyword::Sub:
            s.chars.vertical = CharState::Sub;
            return;
        case Keyword::NoSuperSub:
            s.chars.vertical = CharState::Baseline;
            return;
        case Keyword::Color:
            s.chars.color = qMax(0, param);
            return;
        case Keyword::Highlight:
            s.chars.highlight = qMax(0, param);
            return;
        case Keyword::AlignLeft:
            s.para.align = ParaState::Left;
            return;
        case Keyword::AlignCenter:
            s.para.align = ParaState::Center;
            return;
        case Keyword::AlignRight:
            s.para.align = ParaState::Right;
            return;
        case Keyword::AlignJustify:
            s.para.align = ParaState::Justify;
            return;
        case Keyword::LeftIndent:
            s.para.leftIndent = param;
            return;
        case Keyword::RightIndent:
            s.para.rightIndent = param;
            return;
        case Keyword::FirstIndent:
            s.para.firstIndent = param;
            return;
        case Keyword::SpaceBefore:
            s.para.spaceBefore = param;
            return;
        case Keyword::SpaceAfter:
            s.para.spaceAfter = param;
            return;
        case Keyword::InTable:
            s.para.inTable = on;
            return;
        case Keyword::Nesting:
            s.para.nesting = qBound(0, param, 1000);
            return;
        case Keyword::RowDefaults:
            return;
        case Keyword::AnsiCodePage:
            if (param > 0 && param < 65536)
                m_documentCodePage = param;
            return;
        case Keyword::DefaultFont:
            m_defaultFont = param;
            if (s.chars.font < 0) {
                s.chars.font = param;
                s.codePage = m_formats.codePageOf(param);
            }
            return;
        case Keyword::Ansi:
            m_documentCodePage = CodePage::Ansi;
            return;
        case Keyword::Mac:
            m_documentCodePage = 10000;
            return;
        case Keyword::Pc:
            m_documentCodePage = CodePage::Oem;
            return;
        case Keyword::Pca:
            m_documentCodePage = 850;
            return;
        case Keyword::FontCharset:
            if (s.destination == Destination::FontTable) {
                FontEntry& font = m_formats.font(m_tableFont);
                // \cpg, where given, names the code page more exactly than the set.
                if (font.codePage == 0 || font.codePage == CodePage::forCharset(0))
                    font.codePage = CodePage::forCharset(param);
            }
            return;
        case Keyword::FontCodePage:
            if (s.destination == Destination::FontTable && param > 0 && param < 65536)
                m_formats.font(m_tableFont).codePage = param;
            return;
        case Keyword::Red:
            if (s.destination == Destination::ColorTable)
                m_formats.setColorComponent(0, param);
            return;
        case Keyword::Green:
            if (s.destination == Destination::ColorTable)
                m_formats.setColorComponent(8, param);
            return;
        case Keyword::Blue:
            if (s.destination == Destination::ColorTable)
                m_formats.setColorComponent(16, param);
            return;
        case Keyword::FontTable:
        case Keyword::ColorTable:
        case Keyword::Picture:
        case Keyword::ListText:
        case Keyword::PnText:
        case Keyword::TextDestination:
            enterDestination(word);
            return;
        case Keyword::ShapePicture:
            return; // its \pict is read as any other
        case Keyword::SkippedDestination:
            skipGroup();
            return;
        case Keyword::PngBlip:
        case Keyword::JpegBlip:
        case Keyword::OtherBlip:
            if (m_picture && s.destination == Destination::Picture)
                m_picture->setKind(word == Keyword::PngBlip ? Picture::Png
                        : word == Keyword::JpegBlip         ? Picture::Jpeg
                                                            : Picture::Other);
            return;
        case Keyword::PicWidthGoal:
        case Keyword::PicHeightGoal:
        case Keyword::PicScaleX:
        case Keyword::PicScaleY:
        case Keyword::PicWidth:
        case Keyword::PicHeight:
            if (m_picture && s.destination == Destination::Picture) {
                Picture& p = *m_picture;
                int* field = word == Keyword::PicWidthGoal ? &p.widthGoal
                    : word == Keyword::PicHeightGoal       ? &p.heightGoal
                    : word == Keyword::PicScaleX           ? &p.scaleX
                    : word == Keyword::PicScaleY           ? &p.scaleY
                    : word == Keyword::PicWidth            ? &p.width
                                                           : &p.height;
                *field = param;
            }
            return;
        }
    }

    void Reader::fontTableText(QByteArrayView bytes)
    {
        // A font's name runs up to ';'. Names are kept as Latin-1 bytes until then, decoded when
        // the entry ends in the font's own code page.
        FontEntry& font = m_formats.font(m_tableFont);
        for (const char c : bytes) {
            if (c == ';') {
                int page = font.codePage ? font.codePage : m_documentCodePage;
                if (page == CodePage::Symbol)
                    page = m_documentCodePage;
                QString name;
                m_decoder.decode(page, font.name.toLatin1(), &name);
                font.name = name.trimmed();
                m_fontNameDone = true;
                continue;
            }
            if (!m_fontNameDone && font.name.size() < MaxFontNameLength)
                font.name.append(QLatin1Char(c));
        }
    }

    void Reader::colorTableText(QByteArrayView bytes)
    {
        for (const char c : bytes) {
            if (c == ';')
                m_formats.endColor();
        }
    }

} // namespace

bool looksLikeRtf(const QByteArray& bytes) { return bytes.startsWith("{\\rtf"); }

void read(const QByteArray& bytes, QTextDocument* document) { Reader(bytes, document).run(); }

} // namespace Rtf
