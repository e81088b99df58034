#include "about/frmabout.h"
#include "app/form1.h"

void Form1::menupadu_Click() { frmAbout::instance().showModeless(); }
