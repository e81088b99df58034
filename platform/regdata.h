#pragma once

#include "platform/regfile.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

// What a value line of a registry export writes after its '=': quoted text, a number or bytes
// in hexadecimal, read into the value the registry would hold (text as UTF-16LE code units).
// Part of the export reader (platform/regfile.cpp), which alone uses it; quoted text is read
// here for the names of values as well.
namespace RegFile {

// Where the quoted text starting at text[pos] == '"' ends, behind its closing quote; only
// \\ and \" are escapes.
std::optional<qsizetype> quotedEnd(QStringView text, qsizetype pos);

// The text between the quotes, its escapes undone, into out.
void unquote(QStringView inside, QString& out);

// Text data ("...") or a 32-bit number (dword:1 to 8 hexadecimal digits); scratch is a
// buffer kept from value to value.
std::optional<Value> parseData(QStringView data, QString& scratch);

// The data of a value written in hexadecimal, given piece by piece as its lines are joined:
// what follows "hex" is an optional type in hexadecimal in parentheses (binary, 3, without
// it), a colon, and bytes of one or two hexadecimal digits separated by commas, blanks allowed
// around each. A blank list holds no bytes; an empty item spoils the list.
class HexData {
public:
    explicit HexData(bool ansiText)
        : m_ansiText(ansiText)
    {
    }

    void feed(QStringView text);
    std::optional<Value> finish();

private:
    // Start: behind "hex"; Type: in the parentheses; Lead, Digits, Trail: before, in and
    // after the digits of one byte.
    enum class State { Start, Type, AfterType, Lead, Digits, Trail, Invalid };

    void step(QChar c);
    void typeDigit(QChar c, int digit);
    void listCharacter(QChar c, int digit);

    bool m_ansiText;
    State m_state = State::Start;
    std::uint32_t m_type = 3; // binary
    std::uint32_t m_typeRead = 0;
    int m_typeDigits = 0;
    int m_byte = 0;
    int m_byteDigits = 0;
    qsizetype m_items = 0; // commas so far
    QByteArray m_bytes;
};

} // namespace RegFile
