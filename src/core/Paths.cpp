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

QString FailureReason(const QString &systemText)
{
    // Qt passes the C library's wording on, sometimes inside a sentence of its own.
    static const struct
    {
        const char *english;
        const char *chinese;
    } known[] = {
        {"Permission denied", "没有权限"},
        {"Operation not permitted", "没有权限"},
        {"No such file or directory", "文件不存在"},
        {"No space left on device", "磁盘已满"},
        {"Disk quota exceeded", "磁盘已满"},
        {"Read-only file system", "文件系统只读"},
        {"File exists", "文件已存在"},
        {"Is a directory", "这是一个文件夹"},
    };
    for (const auto &reason : known)
        if (systemText.contains(QLatin1String(reason.english), Qt::CaseInsensitive))
            return QString::fromUtf8(reason.chinese);
    return systemText;
}

} // namespace Paths
