#include "app/form1.h"
#include "find/form2.h"

// Edit > Find: the one find dialog, loaded if need be, shown beside the main window with no
// owner. Choosing Find while it is visible simply shows it again.
void Form1::menuFind_Click() { Form2::instance().showModeless(); }
