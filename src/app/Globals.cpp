#include "Globals.h"

QString ProductName;
QString EditionText;
QString BuildText;
QString ProductCode;
QString DbBaseName;

void SetProductGlobals()
{
    ProductName = QStringLiteral("青岫档案管理系统");
    EditionText = QStringLiteral("单机版 2013.1.10.0712");
    BuildText = QStringLiteral("Build130712");
    ProductCode = QStringLiteral("PZARC100");
    DbBaseName = QStringLiteral("pzarc");
}
