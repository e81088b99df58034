#include "app/apperror.h"
#include "app/form1.h"

void Form1::menuFind_Click() { throw AppError(AppError::InvalidProcedureCall, QStringLiteral("Find is not available yet")); }
