#pragma once

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QRect>
#include <QSize>
#include <cstdint>

// Window definitions keep lengths in twips and colours as 32-bit numbers; this is the one place
// where they become Qt's logical pixels and colours.
namespace Units {

constexpr int TwipsPerPixel = 15; // 1440 twips an inch at 96 logical pixels an inch

constexpr int px(int twips)
{
    return (twips + (twips >= 0 ? TwipsPerPixel / 2 : -TwipsPerPixel / 2)) / TwipsPerPixel;
}
inline QRect rect(int left, int top, int width, int height)
{
    return QRect(px(left), px(top), px(width), px(height));
}
inline QSize size(int width, int height) { return QSize(px(width), px(height)); }

// Colour numbers: red + 256 * green + 65536 * blue, or 0x80000000 + n for system colour n.
constexpr std::uint32_t SystemColorFlag = 0x80000000u;
enum SystemColor : std::uint32_t {
    MenuBar = SystemColorFlag + 4,
    WindowBackground = SystemColorFlag + 5,
    ActiveBorder = SystemColorFlag + 10,
    InactiveBorder = SystemColorFlag + 11,
};
constexpr std::uint32_t rgb(int red, int green, int blue)
{
    return std::uint32_t(red) | (std::uint32_t(green) << 8) | (std::uint32_t(blue) << 16);
}
QColor color(std::uint32_t value);

// A font setting of a window definition: face, point size and weight (400 regular, 700 bold).
// A face that is not installed falls back to the desktop's sans-serif face.
QFont font(const char* family, qreal pointSize, int weight);

// Gives a widget a background colour number, system colours following the desktop's palette.
void setBackground(QWidget* widget, std::uint32_t value);
void setForeground(QWidget* widget, std::uint32_t value);

} // namespace Units
