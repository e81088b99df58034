#include "view/filedrop.h"

#include <QMimeData>
#include <QUrl>

namespace FileDrop {

bool carriesLinks(const QMimeData* data) { return data && !data->urls().isEmpty(); }

std::optional<QString> fileToOpen(const QMimeData* data)
{
    if (!carriesLinks(data))
        return std::nullopt;
    const QUrl first = data->urls().constFirst();
    if (!first.isLocalFile() || first.toLocalFile().isEmpty())
        return std::nullopt;
    return first.toLocalFile();
}

} // namespace FileDrop
