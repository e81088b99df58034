#pragma once

#include <QFont>

// The "Terminal" face of the document view: a monospace face with every DOS glyph whose block
// characters tile without gaps. The program maps the family name to the best such face installed
// (Px IBM VGA8 from the fonts-pc package first) and sets it at the face's own cell height.
namespace TerminalFont {

inline constexpr char Family[] = "Terminal";
inline constexpr int PointSize = 9; // what the window definitions ask for
inline constexpr int CellPixels = 16; // the VGA face's cell, drawn one font pixel to one pixel

// Installs the family mapping (idempotent) and returns the view's font.
QFont font();
// The face that "Terminal" resolves to on this machine.
QString resolvedFamily();

} // namespace TerminalFont
