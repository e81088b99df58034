#include "rtf/rtfreader.h"

#include "rtf/rtfbuilder.h"
#include "rtf/rtfcodepage.h"
#include "rtf/rtfformat.h"
#include "rtf/rtfkeywords.h"
#include "rtf/rtfpicture.h"
#include "rtf/rtfstate.h"
#include "rtf/rtfsymbolfonts.h"
#include "rtf/rtftokenizer.h"

#include "forms/units.h"

#include <QTextDocument>
#include <QTextOption>
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
        // Whether \* before the word still lets the reader read its group.
        static bool isReadDestination(Keyword word);
        void unicodeCharacter(const Token& token);
        // Document code pages, the font table, \f and \plain, and the colour table.
        void fontsAndColors(Keyword word, int param);
        // \deftab as the document's default tab stop distance.
        void setDefaultTabs();
        void fontClass(Keyword word, int param, char16_t code);
        void setFont(int number);
        // Row definitions: \trowd, \cellx, borders and merges.
        void rowProperty(Keyword word, int param, char16_t code);
        void borderSide(char16_t side);
        // Footnote and endnote marks, each kind counted on its own.
        void noteProperty(Keyword word, int param, char16_t code);
        void noteMark();
        bool markIsEndnote();
        // A field's code: a SYMBOL field shows its character when its result is empty.
        void fieldInstructionEnded();
        void fieldEnded();
        // Text in a symbol face as the characters its glyphs show.
        void symbolText(QStringView text, QString* out) const;
        void pictureProperty(Keyword word, int param);
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
        bool isShown() const;
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
        // Notes: \pntext is then a second copy of the label.
        int m_footnotes = 0;
        int m_endnotes = 0;
        int m_footnoteStart = 1, m_endnoteStart = 1;
        char16_t m_footnoteStyle = u'1', m_endnoteStyle = u'i';
        bool m_endnotesOnly = false;
        // The row being defined, and the border its next style, width and colour words are for.
        RowDef m_row;
        Border* m_border = nullptr;
        // The code of the field being read, with the depth of its group; then the character a
        // SYMBOL field shows if its result turns out empty, with the depth of the field's group.
        QByteArray m_fieldCode;
        std::int64_t m_fieldCodeDepth = -1;
        char32_t m_symbol = 0;
        std::int64_t m_symbolDepth = -1;
        bool m_symbolShown = false;
        QString m_symbolText;
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
                setDefaultTabs();
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
            const auto image = m_picture->finish(m_document, ++m_pictureCount, &m_pictureBudget);
            m_stack.pop();
            if (image)
                m_builder.addImage(*image);
            m_picture.reset();
            m_pictureDepth = -1;
            return;
        }
        if (ended == Destination::ColorTable)
            m_formats.endColorTable();
        if (ended == Destination::FieldInstruction && m_stack.depth() == m_fieldCodeDepth)
            fieldInstructionEnded();
        if (m_symbolDepth >= 0 && m_stack.depth() == m_symbolDepth)
            fieldEnded();
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
        case Keyword::AltFontName:
            if (state().destination != Destination::FontTable) {
                skipGroup();
                return;
            }
            state().destination = Destination::AltFontName;
            break;
        case Keyword::FieldInstruction:
            state().destination = Destination::FieldInstruction;
            m_fieldCode.clear();
            m_fieldCodeDepth = m_stack.depth();
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
        case Destination::AltFontName: {
            QString& alt = m_formats.font(m_tableFont).altName;
            if (alt.size() < 256)
                alt.append(QString::fromLatin1(bytes).remove(u';').trimmed());
            break;
        }
        case Destination::FieldInstruction:
            if (m_fieldCode.size() < 1024)
                m_fieldCode.append(bytes);
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
        if (d == Destination::FieldInstruction && m_fieldCode.size() < 1024)
            m_fieldCode.append(char(b));
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

    bool Reader::isShown() const
    {
        const CharState& c = m_stack.top().chars;
        return !c.hidden && !c.deleted;
    }

    void Reader::appendText(QStringView text)
    {
        if (text.isEmpty() || !isShown())
            return;
        if (m_symbolDepth >= 0)
            m_symbolShown = true;
        if (state().codePage == CodePage::Symbol || state().symbolFace != SymbolFont::None) {
            QString mapped;
            symbolText(text, &mapped);
            m_symbolText.swap(mapped);
            text = m_symbolText;
        }
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
            if (isShown())
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
            return; // \:, \| and the like: nothing to show
        }
    }

    void Reader::controlWord(const Token& token)
    {
        const KeywordInfo& info = keyword(token.text);
        const Keyword word = info.word;
        const bool ignorable = m_nextIsIgnorable;
        m_nextIsIgnorable = false;

        if (ignorable && !isReadDestination(word)) {
            // \* before a word this reader does not read as a destination: the group is skipped.
            skipGroup();
            return;
        }
        if (word != Keyword::Unicode && word != Keyword::Character && word != Keyword::Bin)
            flushBytes();

        switch (word) {
        case Keyword::Unknown:
            return;
        case Keyword::Setter:
            info.set(state(), token.param, token.hasParam);
            return;
        case Keyword::Character:
            appendChar(info.character);
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
            m_builder.setRowDef(m_row);
            endParagraph(DocumentBuilder::End::Row);
            return;
        case Keyword::NestCell:
            endParagraph(DocumentBuilder::End::NestedCell);
            return;
        case Keyword::NestRow:
            m_builder.setRowDef(m_row);
            endParagraph(DocumentBuilder::End::NestedRow);
            return;
        case Keyword::Unicode:
            unicodeCharacter(token);
            return;
        case Keyword::Bin: {
            const QByteArrayView data = m_tokens.takeBytes(token.hasParam ? token.param : 0);
            if (state().destination == Destination::Picture && m_picture)
                m_picture->addBinary(data);
            return;
        }
        case Keyword::FootnoteMark:
            noteMark();
            return;
        case Keyword::DefaultTab:
            m_formats.setDefaultTab(token.param);
            return;
        case Keyword::NoteKinds:
        case Keyword::FootnoteStyle:
        case Keyword::EndnoteStyle:
        case Keyword::FootnoteStart:
        case Keyword::EndnoteStart:
            noteProperty(word, token.param, info.character);
            return;
        case Keyword::FontFamily:
        case Keyword::FontPitch:
            fontClass(word, token.param, info.character);
            return;
        case Keyword::RowDefaults:
        case Keyword::CellEdge:
        case Keyword::BorderSide:
        case Keyword::BorderStyle:
        case Keyword::BorderWidth:
        case Keyword::BorderColor:
        case Keyword::RowLeft:
        case Keyword::RowGap:
        case Keyword::CellFlag:
            rowProperty(word, token.param, info.character);
            return;
        case Keyword::Plain:
        case Keyword::Font:
        case Keyword::AnsiCodePage:
        case Keyword::DefaultFont:
        case Keyword::Ansi:
        case Keyword::Mac:
        case Keyword::Pc:
        case Keyword::Pca:
        case Keyword::FontCharset:
        case Keyword::FontCodePage:
        case Keyword::Red:
        case Keyword::Green:
        case Keyword::Blue:
            fontsAndColors(word, token.param);
            return;
        case Keyword::FontTable:
        case Keyword::FieldInstruction:
        case Keyword::AltFontName:
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
        case Keyword::PicWidthGoal:
        case Keyword::PicHeightGoal:
        case Keyword::PicScaleX:
        case Keyword::PicScaleY:
        case Keyword::PicWidth:
        case Keyword::PicHeight:
            pictureProperty(word, token.param);
            return;
        }
    }

    bool Reader::isReadDestination(Keyword word)
    {
        switch (word) {
        case Keyword::ShapePicture:
        case Keyword::ListText:
        case Keyword::TextDestination:
        case Keyword::FontTable:
        case Keyword::FieldInstruction:
        case Keyword::AltFontName:
        case Keyword::ColorTable:
        case Keyword::Picture:
            return true;
        default:
            return false;
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
        appendChar(char16_t(param < 0 ? param + 65536 : param));
        skipFallback(state().unicodeSkip);
    }

    void Reader::fontsAndColors(Keyword word, int param)
    {
        GroupState& s = state();
        const bool inFontTable = s.destination == Destination::FontTable;
        const bool inColorTable = s.destination == Destination::ColorTable;
        switch (word) {
        case Keyword::Plain:
            s.chars = CharState();
            setFont(m_defaultFont);
            return;
        case Keyword::Font:
            if (inFontTable) {
                m_tableFont = param;
                m_formats.font(param) = FontEntry();
                m_fontNameDone = false;
                return;
            }
            setFont(param);
            return;
        case Keyword::AnsiCodePage:
            if (param > 0 && param < 65536)
                m_documentCodePage = param;
            return;
        case Keyword::DefaultFont:
            m_defaultFont = param;
            if (s.chars.font < 0)
                setFont(param);
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
            if (inFontTable) {
                FontEntry& font = m_formats.font(m_tableFont);
                // \cpg, where given, names the code page more exactly than the set.
                if (font.codePage == 0 || font.codePage == CodePage::forCharset(0))
                    font.codePage = CodePage::forCharset(param);
            }
            return;
        case Keyword::FontCodePage:
            if (inFontTable && param > 0 && param < 65536)
                m_formats.font(m_tableFont).codePage = param;
            return;
        case Keyword::Red:
        case Keyword::Green:
        case Keyword::Blue:
            if (inColorTable)
                m_formats.setColorComponent(word == Keyword::Red ? 0
                        : word == Keyword::Green                 ? 8
                                                                 : 16,
                    param);
            return;
        default:
            return;
        }
    }

    void Reader::pictureProperty(Keyword word, int param)
    {
        if (!m_picture || state().destination != Destination::Picture)
            return;
        Picture& p = *m_picture;
        switch (word) {
        case Keyword::PngBlip:
            p.setKind(Picture::Png);
            return;
        case Keyword::JpegBlip:
            p.setKind(Picture::Jpeg);
            return;
        case Keyword::OtherBlip:
            p.setKind(Picture::Other);
            return;
        case Keyword::PicWidthGoal:
            p.widthGoal = param;
            return;
        case Keyword::PicHeightGoal:
            p.heightGoal = param;
            return;
        case Keyword::PicScaleX:
            p.scaleX = param;
            return;
        case Keyword::PicScaleY:
            p.scaleY = param;
            return;
        case Keyword::PicWidth:
            p.width = param;
            return;
        case Keyword::PicHeight:
            p.height = param;
            return;
        default:
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
                font.symbolFace = SymbolFont::forName(font.name);
                // A symbol face's bytes are its glyphs, whatever character set it is given.
                if (font.symbolFace != SymbolFont::None)
                    font.codePage = CodePage::Symbol;
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

    void Reader::setDefaultTabs()
    {
        QTextOption option = m_document->defaultTextOption();
        option.setTabStopDistance(Units::px(m_formats.defaultTab()));
        m_document->setDefaultTextOption(option);
        m_document->setProperty(OwnTabStopsProperty, true);
    }

    void Reader::setFont(int number)
    {
        GroupState& s = state();
        s.chars.font = number;
        s.codePage = m_formats.codePageOf(number);
        s.symbolFace = m_formats.symbolFaceOf(number);
    }

    void Reader::fontClass(Keyword word, int param, char16_t code)
    {
        if (state().destination != Destination::FontTable)
            return;
        FontEntry& font = m_formats.font(m_tableFont);
        if (word == Keyword::FontPitch) {
            font.pitch = qBound(0, param, 2);
            return;
        }
        switch (code) {
        case u'r':
            font.hint = QFont::Serif;
            break;
        case u's':
            font.hint = QFont::SansSerif;
            break;
        case u'm':
            font.hint = QFont::TypeWriter;
            break;
        case u'c':
            font.hint = QFont::Cursive;
            break;
        case u'd':
            font.hint = QFont::Decorative;
            break;
        default:
            font.hint = QFont::AnyStyle;
            break;
        }
    }

    void Reader::symbolText(QStringView text, QString* out) const
    {
        // Bytes in a symbol face arrive as U+F000 + byte. Faces this reader knows become their
        // glyphs' characters; other faces marked as symbol sets keep the Windows meaning of the
        // byte, the best guess without the face.
        const auto face = SymbolFont::Face(m_stack.top().symbolFace);
        out->reserve(text.size());
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u < 0xF020 || u > 0xF0FF) {
                out->append(c);
                continue;
            }
            const auto byte = static_cast<unsigned char>(u - 0xF000);
            char32_t mapped = SymbolFont::character(face, byte);
            if (face == SymbolFont::None)
                mapped = CodePage::windowsCharacter(byte);
            if (mapped == 0)
                mapped = 0xFFFD;
            const char32_t one[1] = { mapped };
            out->append(QString::fromUcs4(one, 1));
        }
    }

    void Reader::rowProperty(Keyword word, int param, char16_t code)
    {
        switch (word) {
        case Keyword::RowDefaults:
            m_row = RowDef();
            m_border = nullptr;
            return;
        case Keyword::CellEdge:
            m_row.pending.rightEdge = param;
            if (int(m_row.cells.size()) < RowDef::MaxCells)
                m_row.cells.push_back(m_row.pending);
            m_row.pending = CellDef();
            m_border = nullptr;
            return;
        case Keyword::BorderSide:
            borderSide(code);
            return;
        case Keyword::BorderStyle:
            if (m_border)
                m_border->style = Border::Style(code);
            return;
        case Keyword::BorderWidth:
            if (m_border)
                m_border->width = param;
            return;
        case Keyword::BorderColor:
            if (m_border)
                m_border->color = param;
            return;
        case Keyword::RowLeft:
            m_row.rowLeft = param;
            return;
        case Keyword::RowGap:
            m_row.gap = param;
            return;
        case Keyword::CellFlag: {
            CellDef& cell = m_row.pending;
            cell.mergeFirst = cell.mergeFirst || code == u'F';
            cell.merged = cell.merged || code == u'M';
            cell.verticalFirst = cell.verticalFirst || code == u'f';
            cell.verticalMerged = cell.verticalMerged || code == u'm';
            if (code == u't' || code == u'c' || code == u'b')
                cell.alignment = code == u't' ? CellDef::Top
                    : code == u'c'            ? CellDef::Middle
                                              : CellDef::Bottom;
            return;
        }
        default:
            return;
        }
    }

    void Reader::borderSide(char16_t side)
    {
        // Lower case: the cell being defined; upper case: the row; anything else (paragraph and
        // character borders) takes the border words that follow away from the table.
        CellDef& cell = m_row.pending;
        switch (side) {
        case u't':
            m_border = &cell.top;
            break;
        case u'l':
            m_border = &cell.left;
            break;
        case u'b':
            m_border = &cell.bottom;
            break;
        case u'r':
            m_border = &cell.right;
            break;
        case u'T':
            m_border = &m_row.top;
            break;
        case u'L':
            m_border = &m_row.left;
            break;
        case u'B':
            m_border = &m_row.bottom;
            break;
        case u'R':
            m_border = &m_row.right;
            break;
        case u'H':
            m_border = &m_row.inner;
            break;
        case u'V':
            m_border = &m_row.between;
            break;
        default:
            m_border = nullptr;
            return;
        }
        *m_border = Border();
        m_border->declared = true;
    }

    void Reader::noteProperty(Keyword word, int param, char16_t code)
    {
        switch (word) {
        case Keyword::NoteKinds:
            m_endnotesOnly = param == 1;
            return;
        case Keyword::FootnoteStyle:
            m_footnoteStyle = code;
            return;
        case Keyword::EndnoteStyle:
            m_endnoteStyle = code;
            return;
        case Keyword::FootnoteStart:
            m_footnoteStart = qBound(1, param, 1000000);
            return;
        case Keyword::EndnoteStart:
            m_endnoteStart = qBound(1, param, 1000000);
            return;
        default:
            return;
        }
    }

    QString noteNumber(int n, char16_t style)
    {
        switch (style) {
        case u'i':
        case u'I': {
            if (n >= 4000)
                break;
            static const char* const parts[]
                = { "m", "cm", "d", "cd", "c", "xc", "l", "xl", "x", "ix", "v", "iv", "i" };
            static const int values[] = { 1000, 900, 500, 400, 100, 90, 50, 40, 10, 9, 5, 4, 1 };
            QString roman;
            for (int i = 0; i < 13; ++i) {
                for (; n >= values[i]; n -= values[i])
                    roman += QLatin1String(parts[i]);
            }
            return style == u'I' ? roman.toUpper() : roman;
        }
        case u'a':
        case u'A':
            // a ... z, then aa ... zz, and so on.
            return QString((n - 1) / 26 + 1, QChar(char16_t(style + (n - 1) % 26)));
        case u'*': {
            static const char16_t signs[] = { u'*', 0x2020, 0x2021, 0x00A7 };
            return QString((n - 1) / 4 + 1, QChar(signs[(n - 1) % 4]));
        }
        default:
            break;
        }
        return QString::number(n);
    }

    void Reader::noteMark()
    {
        // The mark in the text numbers the note; the body (and its own mark) is skipped.
        if (state().destination != Destination::Text)
            return;
        if (markIsEndnote())
            appendText(noteNumber(m_endnoteStart + m_endnotes++, m_endnoteStyle));
        else
            appendText(noteNumber(m_footnoteStart + m_footnotes++, m_footnoteStyle));
    }

    bool Reader::markIsEndnote()
    {
        if (m_endnotesOnly)
            return true;
        // The note's group follows its mark: {\footnote\ftnalt ...} is an endnote. A few tokens
        // ahead are enough to tell, and the reader goes back to where it was.
        const qsizetype at = m_tokens.position();
        bool inNote = false;
        bool endnote = false;
        for (int i = 0; i < 16; ++i) {
            const Token t = m_tokens.next();
            if (t.kind == Token::End || (inNote && t.kind == Token::Text))
                break;
            if (t.kind != Token::Word)
                continue;
            if (t.text == "footnote") {
                inNote = true;
            } else if (inNote && t.text == "ftnalt") {
                endnote = true;
                break;
            } else if (t.text == "chftn") {
                break; // another mark
            }
        }
        m_tokens.rewind(at);
        return endnote;
    }

    void Reader::fieldInstructionEnded()
    {
        m_fieldCodeDepth = -1;
        // SYMBOL number [\f "face"] [\a | \j | \u] [\s size] [\h]
        const QString code = QString::fromLatin1(m_fieldCode).simplified();
        m_fieldCode.clear();
        if (!code.startsWith(QLatin1String("SYMBOL "), Qt::CaseInsensitive))
            return;
        const QStringList parts = code.split(u' ');
        bool ok = false;
        const QString number = parts.value(1);
        const uint value = number.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)
            ? number.mid(2).toUInt(&ok, 16)
            : number.toUInt(&ok, 10);
        if (!ok || value == 0 || value > 0x10FFFF)
            return;
        auto face = SymbolFont::Face(state().symbolFace);
        bool unicode = false;
        for (qsizetype i = 2; i < parts.size(); ++i) {
            if (parts[i] == QLatin1String("\\u"))
                unicode = true;
            else if (parts[i] == QLatin1String("\\f") && i + 1 < parts.size())
                face = SymbolFont::forName(QString(parts[i + 1]).remove(u'"'));
        }
        char32_t c = value;
        if (!unicode && value < 0x100)
            c = face != SymbolFont::None ? SymbolFont::character(face, uchar(value))
                                         : CodePage::windowsCharacter(uchar(value));
        else if (value >= 0xF020 && value <= 0xF0FF && face != SymbolFont::None)
            c = SymbolFont::character(face, uchar(value - 0xF000));
        if (c == 0 || (c >= 0xE000 && c <= 0xF8FF) || c < 0x20)
            return;
        m_symbol = c;
        m_symbolDepth = m_stack.depth() - 1; // the field's own group
        m_symbolShown = false;
    }

    void Reader::fieldEnded()
    {
        flushBytes();
        const char32_t c = m_symbol;
        const bool shown = m_symbolShown;
        m_symbolDepth = -1;
        m_symbol = 0;
        if (shown || state().destination != Destination::Text || !isShown())
            return;
        const char32_t one[1] = { c };
        m_builder.addText(QString::fromUcs4(one, 1), state().chars);
    }

} // namespace

bool looksLikeRtf(const QByteArray& bytes) { return bytes.startsWith("{\\rtf"); }

void read(const QByteArray& bytes, QTextDocument* document) { Reader(bytes, document).run(); }

} // namespace Rtf
