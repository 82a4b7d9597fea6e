// The program's entry: module initialisation, the start-up sequence, module finalisation.

#include "DataExporter.h"
#include "DataGrids.h"
#include "Database.h"
#include "GridExport.h"
#include "QtPrompter.h"
#include "ReportWindows.h"
#include "Settings.h"
#include "Startup.h"
#include "Translations.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("pzarc"));
    InstallChineseTranslations();
    QtPrompter windowed;
    SetDefaultPrompter(&windowed);
    InstallReportWindows();
    TpzGridBase::SetExportWizard(ShowDataExporter);
    InstallGridExporters();
    InitDataModule();
    StartServices();

    int exitCode = 1;
    // An error no step catches ends the program after the top-level handler has shown it.
    Guard([&] { exitCode = RunStartup(QCoreApplication::arguments().mid(1)); });

    StopServices();
    DoneDataModule();
    return exitCode;
}
