#include "rtf/rtfcodepage.h"

#include "text/cp437.h"

namespace Rtf {

namespace CodePage {

    char32_t windowsCharacter(unsigned char byte)
    {
        // The bytes 0x80-0x9F, where Windows-1252 differs from Latin-1 (0 where it has none).
        static constexpr char16_t high[32]
            = { 0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
                  0x2039, 0x0152, 0, 0x017D, 0, 0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013,
                  0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178 };
        return byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : byte;
    }

    int forCharset(int charset)
    {
        switch (charset) {
        case 0:
            return 1252;
        case 2:
            return Symbol;
        case 77:
            return 10000;
        case 128:
            return 932;
        case 129:
            return 949;
        case 130:
            return 1361;
        case 134:
            return 936;
        case 136:
            return 950;
        case 161:
            return 1253;
        case 162:
            return 1254;
        case 163:
            return 1258;
        case 177:
            return 1255;
        case 178:
            return 1256;
        case 186:
            return 1257;
        case 204:
            return 1251;
        case 222:
            return 874;
        case 238:
            return 1250;
        case 254:
            return Oem;
        case 255:
            return Oem;
        default:
            return 0;
        }
    }

    bool isDoubleByte(int codePage)
    {
        return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950
            || codePage == 1361;
    }

    bool isLeadByte(int codePage, unsigned char byte)
    {
        switch (codePage) {
        case 932:
            return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:
        case 949:
        case 950:
            return byte >= 0x81 && byte <= 0xFE;
        case 1361:
            return (byte >= 0x84 && byte <= 0xD3) || (byte >= 0xD8 && byte <= 0xF9);
        default:
            return false;
        }
    }

} // namespace CodePage

namespace {

    // The names ICU knows the code pages by; Windows code pages are tried as windows-N and cpN.
    QByteArray decoderName(int codePage)
    {
        switch (codePage) {
        case 932:
            return "windows-31j";
        case 936:
            return "windows-936";
        case 949:
            return "windows-949";
        case 950:
            return "windows-950";
        case 10000:
            return "macintosh";
        case 1361:
            return "johab";
        default:
            break;
        }
        if (codePage >= 1250 && codePage <= 1258)
            return "windows-" + QByteArray::number(codePage);
        if (codePage == 874)
            return "windows-874";
        return "cp" + QByteArray::number(codePage);
    }

    bool isAscii(QByteArrayView bytes)
    {
        for (const char c : bytes) {
            if (static_cast<unsigned char>(c) >= 0x80)
                return false;
        }
        return true;
    }

} // namespace

QStringDecoder* TextDecoder::decoderFor(int codePage)
{
    // A code page nobody can decode is read as the usual Windows one rather than lost; it shares
    // that decoder, so that a document naming thousands of them does not make thousands.
    if (m_unknown.count(codePage))
        codePage = CodePage::Ansi;
    auto found = m_decoders.find(codePage);
    if (found == m_decoders.end()) {
        QStringDecoder decoder(
            decoderName(codePage).constData(), QStringConverter::Flag::Stateless);
        if (!decoder.isValid() && codePage != CodePage::Ansi) {
            m_unknown.insert(codePage);
            return decoderFor(CodePage::Ansi);
        }
        found = m_decoders.emplace(codePage, std::move(decoder)).first;
    }
    return &found->second;
}

void TextDecoder::decode(int codePage, QByteArrayView bytes, QString* out)
{
    if (bytes.isEmpty())
        return;
    if (codePage == CodePage::Symbol) {
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            out->append(b < 0x20 ? QChar(b) : QChar(char16_t(0xF000 + b)));
        }
        return;
    }
    if (codePage == CodePage::Oem) {
        out->append(Cp437::decode(bytes));
        return;
    }
    if (isAscii(bytes)) {
        out->append(QLatin1StringView(bytes.data(), bytes.size()));
        return;
    }
    // A lead byte with nothing after it is read as a Windows character instead: writers label
    // symbol fonts with a double-byte set and then write single bytes in them.
    bool cutLeadByte = false;
    if (CodePage::isDoubleByte(codePage)) {
        qsizetype i = 0;
        while (i < bytes.size())
            i += CodePage::isLeadByte(codePage, static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i > bytes.size()) {
            bytes.chop(1);
            cutLeadByte = true;
        }
    }
    QStringDecoder* decoder = decoderFor(codePage);
    decoder->resetState();
    out->append(decoder->decode(bytes));
    if (cutLeadByte) {
        const char last = *(bytes.data() + bytes.size());
        decode(CodePage::Ansi, QByteArrayView(&last, 1), out);
    }
}

} // namespace Rtf
