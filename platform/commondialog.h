#pragma once

#include "forms/seam.h"

#include <QObject>
#include <QString>
#include <QStringList>

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

    // Who works the dialog once it is set up: the user, through the modal dialog, or in tests
    // a stand-in that sees the real dialog and does what the user would (accept with a name, or
    // cancel). Returns whether the dialog was accepted.
    class Presenter {
    public:
        virtual ~Presenter() = default;
        virtual bool run(QFileDialog& dialog) = 0;
    };
    class ModalPresenter : public Presenter {
    public:
        bool run(QFileDialog& dialog) override;
    };
    using Current = Seam<Presenter, ModalPresenter>;

private:
    QWidget* m_owner;
    QString m_filter;
    short m_filterIndex = 0;
    QString m_fileName;
};
