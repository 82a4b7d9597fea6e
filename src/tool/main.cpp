// The administrator's command-line tool: the program's module initialisation without any
// window, one command, and the module finalisation.

#include "Database.h"
#include "Settings.h"
#include "ToolCommands.h"

#include <QCoreApplication>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pzarc-tool"));
    InitDataModule();
    StartServices();
    const int exitCode = Tool::Run(QCoreApplication::arguments().mid(1), Tool::StandardIo());
    StopServices();
    DoneDataModule();
    return exitCode;
}
