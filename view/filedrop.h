#pragma once

#include <QString>
#include <optional>

class QMimeData;

// What a drag brings to the main window: files (from a file manager) or text.
namespace FileDrop {

// True when the drag carries links: files or other addresses. Such a drop never becomes text.
bool carriesLinks(const QMimeData* data);

// The file to open: the first link, when it names a file on this machine. Several files bring
// the first one; an address of anything else (a web page) brings nothing.
std::optional<QString> fileToOpen(const QMimeData* data);

} // namespace FileDrop
