#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace Paths {

QString ProgramDir()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QDir::currentPath();
}

QString ShareDir()
{
    const QString beside = ProgramDir() + QStringLiteral("/share");
    if (QFileInfo(beside).isDir())
        return beside;
#ifdef PZARC_SOURCE_SHARE_DIR
    return QStringLiteral(PZARC_SOURCE_SHARE_DIR);
#else
    return beside;
#endif
}

QString DataDir()
{
    QString dir = qEnvironmentVariable("PZARC_HOME");
    if (dir.isEmpty()) {
        const QFileInfo program(ProgramDir());
        if (program.isDir() && program.isWritable())
            dir = program.absoluteFilePath();
        else
            dir = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                  QStringLiteral("/pzarc");
    }
    QDir().mkpath(dir);
    return QDir(dir).absolutePath();
}

QString DataFile(const QString &name)
{
    return DataDir() + QLatin1Char('/') + name;
}

} // namespace Paths
