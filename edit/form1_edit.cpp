// The Edit menu's clipboard, line-selection and date/time commands.
#include "app/apperror.h"
#include "app/form1.h"

static void notYet() { throw AppError(AppError::InvalidProcedureCall, QStringLiteral("This command is not available yet")); }

void Form1::menucut_Click() { notYet(); }
void Form1::menucopy_Click() { notYet(); }
void Form1::menuPaste_Click() { notYet(); }
void Form1::menuselectall_Click() { notYet(); }
void Form1::menuinsertdate_Click() { notYet(); }
