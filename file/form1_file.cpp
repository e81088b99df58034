// File > Open and File > Close File.
#include "app/apperror.h"
#include "app/form1.h"

void Form1::menuOpen_Click()
{
    throw AppError(AppError::InvalidProcedureCall, QStringLiteral("Open is not available yet"));
}

void Form1::closefile_Click()
{
    throw AppError(AppError::InvalidProcedureCall, QStringLiteral("Close File is not available yet"));
}
