#include "support/testsupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QWidget>
#include <algorithm>

namespace TestSupport {

int MessageBoxes::answer(QMessageBox& box)
{
    ShownBox shown { box.windowTitle(), box.text(), box.icon(), {}, QMessageBox::NoButton,
        QMessageBox::NoButton };
    for (QAbstractButton* button : box.buttons())
        shown.buttons << box.standardButton(button);
    // The desktop style decides the order on screen; keep the set in a fixed order.
    std::sort(shown.buttons.begin(), shown.buttons.end());
    if (box.defaultButton())
        shown.defaultButton = box.standardButton(box.defaultButton());
    if (box.escapeButton())
        shown.escapeButton = box.standardButton(box.escapeButton());
    m_shown << shown;
    return m_answer;
}

EndWatcher::EndWatcher() { Forms::resetEnded(); }

EndWatcher::~EndWatcher() { Forms::resetEnded(); }

void closeAllWindows()
{
    {
        EndWatcher quietly; // the program ends without quitting the test program
        Forms::end(); // nothing asks any more while the windows go
        // Deleting a window deletes the windows it owns: keep guarded pointers to all of them.
        QList<QPointer<QWidget>> windows;
        for (QWidget* window : QApplication::topLevelWidgets())
            windows << window;
        for (const QPointer<QWidget>& window : windows) {
            if (window && !window->parentWidget())
                delete window.data();
        }
    }
    Forms::setMousePointer(Forms::DefaultPointer);
}

ScopedEnvironment::ScopedEnvironment(const char* name, const QByteArray& value)
    : m_name(name)
    , m_previous(qgetenv(name))
    , m_wasSet(qEnvironmentVariableIsSet(name))
{
    qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_wasSet)
        qputenv(m_name, m_previous);
    else
        qunsetenv(m_name);
}

ScopedCurrentDir::ScopedCurrentDir(const QString& path)
    : m_previous(QDir::currentPath())
{
    if (!QDir::setCurrent(path))
        qFatal("cannot change to %s", qPrintable(path));
}

ScopedCurrentDir::~ScopedCurrentDir() { QDir::setCurrent(m_previous); }

QString writeFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    const QString path = QDir(folder).filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray imageData(const char* format, QColor color, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return data;
}

QByteArray utf16WithMark(const QString& text)
{
    QByteArray bytes("\xFF\xFE", 2);
    for (QChar c : text) {
        bytes.append(char(c.unicode() & 0xFF));
        bytes.append(char(c.unicode() >> 8));
    }
    return bytes;
}

QString corpusDir()
{
#ifdef GLIMMER_CORPUS_DIR
    const QString dir = QString::fromUtf8(GLIMMER_CORPUS_DIR);
    if (QDir(dir).exists())
        return QDir(dir).canonicalPath();
#endif
    return QString();
}

} // namespace TestSupport
