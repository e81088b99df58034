#include "app/statusbar.h"

#include "forms/units.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSizeGrip>
#include <QStyle>

StatusBar::StatusBar(QWidget* parent)
    : QWidget(parent)
    , m_text(new QLabel(this))
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 0, 0);
    layout->setSpacing(0);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setMinimumWidth(panelWidth());
    m_text->setFrameShape(QFrame::StyledPanel);
    m_text->setFrameShadow(QFrame::Sunken);
    // A long path is cut at the right rather than stretching the window.
    m_text->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_text, 1);
    layout->addWidget(new QSizeGrip(this), 0, Qt::AlignBottom | Qt::AlignRight);
    setAutoFillBackground(true);
}

QString StatusBar::SimpleText() const { return m_text->text(); }

void StatusBar::setSimpleText(const QString& text)
{
    m_text->setText(text);
    m_text->setToolTip(text);
}

int StatusBar::panelWidth() const { return Units::px(1440); }
