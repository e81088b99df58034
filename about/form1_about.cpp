#include "app/apperror.h"
#include "app/form1.h"

void Form1::menupadu_Click() { throw AppError(AppError::InvalidProcedureCall, QStringLiteral("About is not available yet")); }
