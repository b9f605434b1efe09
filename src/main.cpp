#include "gui/ToolTable.h"
#include "gui/shell/Startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Startup startup(programTools());
    startup.Main();
    return app.exec();
}
