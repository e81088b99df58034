#include "forms/units.h"

#include <QApplication>
#include <QWidget>

namespace Units {

namespace {
    // System colours are taken from the desktop's palette, so the windows follow its theme.
    QPalette::ColorRole roleFor(std::uint32_t index)
    {
        switch (index) {
        case 4: // menu bar
        case 10: // active border
        case 11: // inactive border
            return QPalette::Window;
        case 5: // window background
            return QPalette::Base;
        case 8: // window text
            return QPalette::Text;
        case 15: // button face
            return QPalette::Button;
        case 18: // button text
            return QPalette::ButtonText;
        default:
            return QPalette::Window;
        }
    }
}

QColor color(std::uint32_t value)
{
    if (value & SystemColorFlag)
        return QApplication::palette().color(roleFor(value & 0xFFu));
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QFont font(const char* family, qreal pointSize, int weight)
{
    QFont f(QString::fromLatin1(family));
    f.setPointSizeF(pointSize);
    f.setWeight(QFont::Weight(weight));
    f.setStyleHint(QFont::SansSerif);
    return f;
}

void setBackground(QWidget* widget, std::uint32_t value)
{
    QPalette palette = widget->palette();
    const QColor c = color(value);
    palette.setColor(QPalette::Window, c);
    palette.setColor(QPalette::Base, c);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

void setForeground(QWidget* widget, std::uint32_t value)
{
    QPalette palette = widget->palette();
    const QColor c = color(value);
    palette.setColor(QPalette::WindowText, c);
    palette.setColor(QPalette::Text, c);
    palette.setColor(QPalette::ButtonText, c);
    widget->setPalette(palette);
}

} // namespace Units
