#include "app/form1.h"
#include "resources/identity.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    Identity::apply();
    Form1::instance().show();
    return app.exec();
}
