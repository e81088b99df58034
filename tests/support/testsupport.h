#pragma once

#include <QColor>
#include <QSize>

#include "forms/forms.h"
#include "forms/msgbox.h"

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

// Shared fixtures of the test programs: message boxes answered without a person, the end of the
// program observed instead of quitting, windows of a previous test closed.
namespace TestSupport {

// One message box the program showed, as it was built.
struct ShownBox {
    QString title;
    QString text;
    QMessageBox::Icon icon;
    QList<QMessageBox::StandardButton> buttons; // in ascending order of their values
    QMessageBox::StandardButton defaultButton;
    QMessageBox::StandardButton escapeButton;
};

// Answers every message box with the given code and records it, for as long as it lives.
class MessageBoxes : private MsgBox::Presenter {
public:
    void answerWith(int answer) { m_answer = answer; }
    const QList<ShownBox>& shown() const { return m_shown; }

private:
    int answer(QMessageBox& box) override;

    int m_answer = 1;
    QList<ShownBox> m_shown;
    MsgBox::Current::Override m_override { *this };
};

// Records calls of the program's end, for as long as it lives; the program is not quit.
class EndWatcher : private Forms::Ending {
public:
    EndWatcher();
    ~EndWatcher();
    int count() const { return m_count; }

private:
    void finish() override { ++m_count; }

    int m_count = 0;
    Forms::CurrentEnding::Override m_override { *this };
};

// Sets an environment variable for its own lifetime; the value before (or its absence) comes
// back when it ends.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const QByteArray& value);
    ~ScopedEnvironment();

private:
    const char* m_name;
    QByteArray m_previous;
    bool m_wasSet;
};

// Changes the working directory for its own lifetime.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const QString& path);
    ~ScopedCurrentDir();

private:
    QString m_previous;
};

// Destroys every top-level window left from a previous test, so each test starts afresh.
void closeAllWindows();

// Writes a file of the given bytes into the folder and returns its path; a failure stops the test.
QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes);

// The text in UTF-16LE after its byte-order mark, as registry exports are written.
QByteArray utf16WithMark(const QString& text);

// A small picture of one colour in an image format ("PNG", "JPG"), as documents embed them.
QByteArray imageData(const char* format, QColor color, QSize size = QSize(4, 3));

// Where the shared corpus lies; empty when it is absent.
QString corpusDir();

} // namespace TestSupport
