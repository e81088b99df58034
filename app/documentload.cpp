// Reading files into the document view.
#include "app/apperror.h"
#include "app/documentview.h"

void DocumentView::LoadFile(const QString& path)
{
    throw AppError(AppError::FileNotFound, QStringLiteral("File not found: %1").arg(path));
}
