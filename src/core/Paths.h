#pragma once
// Where the program finds its delivered files and where it writes its own.

#include <QString>

namespace Paths {
// Directory of the executable.
QString ProgramDir();
// Read-only delivered files: "share" beside the executable, else beside the build tree's source.
QString ShareDir();
// Where "cfg.ini", the default database and the alias store live: $PZARC_HOME when set,
// the program directory when it is writable, otherwise $XDG_DATA_HOME/pzarc. Created on demand.
QString DataDir();
// DataDir() joined with a file name.
QString DataFile(const QString &name);
// The reason a file operation failed, for a message: the common reasons the system reports
// in English (no permission, no such file, a full disk and the like) in Chinese, any other
// text as it stands.
QString FailureReason(const QString &systemText);
} // namespace Paths
