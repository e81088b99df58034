#include "platform/commondialog.h"

#include <QComboBox>
#include <QFileDialog>

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

void CommonDialog::ShowOpen()
{
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
