#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

class QFileDialog;

// The file dialog of the main window: a filter string of description|pattern pairs, the
// one-based index of the preselected entry, the file name, and ShowOpen, which shows the modal
// dialog for opening a file. A cancelled dialog raises no error and leaves FileName empty.
class CommonDialog : public QObject {
    Q_OBJECT
public:
    explicit CommonDialog(QWidget* owner);

    QString Filter() const { return m_filter; }
    void setFilter(const QString& filter) { m_filter = filter; }
    short FilterIndex() const { return m_filterIndex; }
    void setFilterIndex(short index) { m_filterIndex = index; }
    QString FileName() const { return m_fileName; }
    void setFileName(const QString& name) { m_fileName = name; }

    void ShowOpen();

    // One entry of the filter string: the description shown and its pattern.
    struct FilterEntry {
        QString description;
        QString pattern;
    };
    static QList<FilterEntry> parseFilter(const QString& filter);

    // Tests drive the real dialog: the hook sees it after it is set up and before it is shown,
    // and returns what the user would do (accept with a name, or cancel).
    using Driver = std::function<bool(QFileDialog& dialog)>;
    static void setDriver(Driver driver);

private:
    QWidget* m_owner;
    QString m_filter;
    short m_filterIndex = 0;
    QString m_fileName;
};
