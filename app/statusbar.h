#pragma once

#include <QWidget>

class QLabel;

// The main window's status bar: one panel and the single status text the program writes.
class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(QWidget* parent = nullptr);

    QString SimpleText() const;
    void setSimpleText(const QString& text);

    int panelWidth() const; // in pixels: 1440 twips

private:
    QLabel* m_text;
};
