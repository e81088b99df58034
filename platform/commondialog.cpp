#include "platform/commondialog.h"

#include <QComboBox>
#include <QFileDialog>
#include <QSettings>

CommonDialog::CommonDialog(QWidget* owner)
    : QObject(owner)
    , m_owner(owner)
{
}

bool CommonDialog::ModalPresenter::run(QFileDialog& dialog)
{
    return dialog.exec() == QDialog::Accepted;
}

QList<CommonDialog::FilterEntry> CommonDialog::parseFilter(const QString& filter)
{
    QList<FilterEntry> entries;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        entries.append({ parts[i], parts[i + 1] });
    return entries;
}

namespace {
// The dialog trims what it shows of each filter ("Text Files (*.txt) " loses its last space);
// the list shows the descriptions exactly as the filter string has them. The dialog goes by
// the position in the list, so the patterns still apply.
void showDescriptionsAsGiven(QFileDialog& dialog, const QList<CommonDialog::FilterEntry>& entries)
{
    auto* types = dialog.findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
    if (!types || types->count() != entries.size())
        return;
    for (int i = 0; i < types->count(); ++i)
        types->setItemText(i, entries[i].description);
}
}

namespace {
// Qt's file dialog keeps its last folder, history and column widths in the user's settings file
// of all Qt programs (~/.config/QtProject.conf), writing it whenever a dialog closes, and has no
// option against it. The program writes no files: the user's settings of Qt programs are looked
// for where no folder can be made (beneath a device file), so the dialog starts afresh each
// time and what it would save goes nowhere.
void keepDialogSettingsNowhere()
{
    static const bool done = [] {
        const QString nowhere = QStringLiteral("/dev/null");
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, nowhere);
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, nowhere);
        return true;
    }();
    Q_UNUSED(done);
}
}

void CommonDialog::ShowOpen()
{
    keepDialogSettingsNowhere();
    const QList<FilterEntry> entries = parseFilter(m_filter);
    QStringList nameFilters;
    for (const FilterEntry& entry : entries) {
        // The dialog shows the description as given and filters by the pattern behind it.
        QString patterns = entry.pattern;
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        nameFilters << entry.description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }

    QFileDialog dialog(m_owner);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setWindowModality(Qt::ApplicationModal);
    if (!nameFilters.isEmpty()) {
        dialog.setNameFilters(nameFilters);
        const int index = qBound(1, int(m_filterIndex), int(nameFilters.size()));
        dialog.selectNameFilter(nameFilters[index - 1]);
        showDescriptionsAsGiven(dialog, entries);
    }
    if (!m_fileName.isEmpty())
        dialog.selectFile(m_fileName);

    const bool accepted = Current::current().run(dialog);
    const QStringList chosen = accepted ? dialog.selectedFiles() : QStringList();
    m_fileName = chosen.isEmpty() ? QString() : chosen.first();
    if (!accepted)
        m_fileName.clear();
}
