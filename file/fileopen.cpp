#include "file/fileopen.h"

#include "forms/forms.h"
#include "forms/msgbox.h"
#include "platform/commondialog.h"
#include "view/documentview.h"

#include <QLabel>

namespace {
QString openFilter()
{
    return QStringLiteral(
        "Batch Files(*.bat)|*.bat|Registry Files(*.reg)|*.reg|Text Files (*.txt) |*.txt|"
        "RTF Files (*.rtf)|*.rtf|NFO Files (*.nfo)|*.nfo|Diz Files (*.diz)|*.diz");
}
constexpr short NfoFilterIndex = 5;

// The arrow with the hourglass while a file is read and laid out, whatever ends the load.
class BusyPointer {
public:
    BusyPointer()
        : m_before(Forms::mousePointer())
    {
        Forms::setMousePointer(Forms::ArrowHourglass);
    }
    ~BusyPointer() { Forms::setMousePointer(m_before); }
    BusyPointer(const BusyPointer&) = delete;
    BusyPointer& operator=(const BusyPointer&) = delete;

private:
    int m_before;
};
} // namespace

namespace FileOpen {

void choose(CommonDialog& dialog)
{
    dialog.setFilter(openFilter());
    dialog.setFilterIndex(NfoFilterIndex);
    dialog.setFileName(QString());
    dialog.ShowOpen();
}

void show(DocumentView& view, const QString& path, const StatusText& status)
{
    // A large file takes a moment to show: the pointer says so meanwhile.
    const BusyPointer busy;
    view.LoadFile(path);
    status(path);
}

void close(DocumentView& view, const StatusText& status)
{
    view.setText(QString());
    status(QString());
}

void reportError(QLabel& caption, const QString& reason, const QString& chosen)
{
    caption.setText(QStringLiteral("Open Error"));
    // The label lies beneath the view, so on its own it would leave the user with no sign that
    // the file could not be shown. A cancelled dialog is no failure to tell about.
    if (!chosen.isEmpty())
        MsgBox::show(QStringLiteral("Open Error\n%1: %2").arg(reason, chosen), MsgBox::Exclamation,
            MsgBox::applicationTitle());
}

} // namespace FileOpen
