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
} // namespace Paths
