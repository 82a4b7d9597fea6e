// The program's entry: sets its identity, makes sure the delivered files are in the data
// directory, and opens the database.

#include "Common.h"
#include "ConnectionString.h"
#include "Database.h"
#include "Paths.h"
#include "Prompter.h"
#include "Schema.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pzarc"));
    QApplication::setApplicationDisplayName(QStringLiteral("青岫档案管理系统"));
    InitDataModule();

    int exitCode = 1;
    Guard([&] {
        Schema::EnsureDeliveredFiles();
        const QString file = Paths::DataFile(Schema::DefaultDatabaseFileName());
        if (Database->Open(ConnStr::DefaultLocalConnectionString(file)))
            exitCode = 0;
    });

    DoneDataModule();
    return exitCode;
}
