#pragma once

#include <QStringView>
#include <algorithm>
#include <vector>

// Rows of the character grid (view/celllayout.h), worked out from characters alone.
namespace CellRows {

constexpr char16_t LineSeparator = 0x2028;

// Splits a paragraph's characters into rows, one character at a time. Every character is one
// cell, a surrogate pair included. A row that is full takes the spaces that follow it; a word
// that does not fit goes to the next row whole when the row has a space to break after, and is
// cut where the row ends otherwise; a line separator ends its row and belongs to it.
class RowBreaker {
public:
    // Rows are counted from position base on, where a row starts.
    RowBreaker(int columns, bool words, std::vector<int>* starts, int base = 0)
        : m_columns(std::max(columns, 1))
        , m_words(words)
        , m_starts(starts)
        , m_position(base)
        , m_rowStart(base)
    {
    }

    void feed(QStringView text)
    {
        const char16_t* c = text.utf16();
        const char16_t* const end = c + text.size();
        while (c != end) {
            // Most characters are one cell each and neither break a row nor end a line: a run
            // of them fills rows by arithmetic.
            const char16_t* run = c;
            while (run != end && isOrdinary(*run))
                ++run;
            if (run != c) {
                feedOrdinary(int(run - c));
                c = run;
            }
            if (c != end && *c == u' ') {
                const char16_t* spaces = c;
                while (spaces != end && *spaces == u' ')
                    ++spaces;
                feedSpaces(int(spaces - c));
                c = spaces;
                continue;
            }
            if (c != end)
                feed(*c++);
        }
    }

    void feed(char16_t c)
    {
        if (m_pendingHigh && QChar::isLowSurrogate(c)) {
            m_pendingHigh = false;
            ++m_position;
            return;
        }
        m_pendingHigh = false;
        if (c == LineSeparator) {
            m_longestLine = std::max(m_longestLine, m_lineGlyphs);
            m_lineGlyphs = 0;
            ++m_lines;
            ++m_position;
            startRow(m_position);
            return;
        }
        if (m_hanging) {
            if (c == u' ') {
                ++m_position;
                ++m_lineGlyphs;
                return;
            }
            m_hanging = false;
            startRow(m_position);
        }
        if (m_glyphs >= m_columns) {
            if (c == u' ') {
                m_hanging = true;
                ++m_position;
                ++m_lineGlyphs;
                return;
            }
            if (m_words && m_lastBreak > m_rowStart && m_lastBreak < m_position) {
                const int carried = m_glyphsAfterBreak;
                startRow(m_lastBreak);
                m_glyphs = carried;
            } else {
                startRow(m_position);
            }
        }
        ++m_glyphs;
        ++m_glyphsAfterBreak;
        ++m_lineGlyphs;
        if (c == u' ' || c == u'\t') {
            m_lastBreak = m_position + 1;
            m_glyphsAfterBreak = 0;
        }
        m_pendingHigh = QChar::isHighSurrogate(c);
        ++m_position;
    }

    static bool isOrdinary(char16_t c)
    {
        return c != u' ' && c != u'\t' && c != LineSeparator && !QChar::isSurrogate(c);
    }

    // n spaces, as feed(c) would take them one by one: those that fill the row count, and the
    // rest hang at its end, however many.
    void feedSpaces(int n)
    {
        m_pendingHigh = false;
        if (!m_hanging) {
            const int take = std::min(n, std::max(0, m_columns - m_glyphs));
            if (take > 0) {
                m_glyphs += take;
                m_position += take;
                m_lineGlyphs += take;
                m_lastBreak = m_position;
                m_glyphsAfterBreak = 0;
                n -= take;
            }
            m_hanging = n > 0;
        }
        m_position += n;
        m_lineGlyphs += n;
    }

    // n ordinary characters, as feed(c) would take them one by one.
    void feedOrdinary(int n)
    {
        m_pendingHigh = false;
        while (n > 0) {
            if (m_hanging) {
                m_hanging = false;
                startRow(m_position);
            }
            if (m_glyphs >= m_columns) {
                if (m_words && m_lastBreak > m_rowStart && m_lastBreak < m_position) {
                    const int carried = m_glyphsAfterBreak;
                    startRow(m_lastBreak);
                    m_glyphs = carried;
                } else {
                    startRow(m_position);
                }
            }
            const int take = std::min(n, m_columns - m_glyphs);
            m_glyphs += take;
            m_glyphsAfterBreak += take;
            m_lineGlyphs += take;
            m_position += take;
            n -= take;
        }
    }

    int rows() const { return m_rows; }
    int lines() const { return m_lines; }
    int longestLine() const { return std::max(m_longestLine, m_lineGlyphs); }

private:
    void startRow(int position)
    {
        m_rowStart = position;
        m_glyphs = 0;
        m_lastBreak = -1;
        m_glyphsAfterBreak = 0;
        ++m_rows;
        if (m_starts)
            m_starts->push_back(position);
    }

    int m_columns;
    bool m_words;
    std::vector<int>* m_starts;
    int m_position = 0;
    int m_rowStart = 0;
    int m_glyphs = 0;
    int m_lastBreak = -1;
    int m_glyphsAfterBreak = 0;
    bool m_hanging = false;
    bool m_pendingHigh = false;
    int m_rows = 1;
    int m_lines = 1;
    int m_lineGlyphs = 0;
    int m_longestLine = 0;
};

// Cells from the start of text to each character, as RowBreaker counts them.
int glyphCount(QStringView text);

} // namespace CellRows
