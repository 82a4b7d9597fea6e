#pragma once
// Shared steps of the application-shell tests: a data directory of the test's own, so that
// "cfg.ini" and the delivered database never touch the build tree.

#include <QTemporaryDir>
#include <QtGlobal>

#include <memory>

namespace AppTest {

// A fresh data directory, made the program's through PZARC_HOME while the object lives.
class THome
{
public:
    THome() : m_dir(std::make_unique<QTemporaryDir>()) { qputenv("PZARC_HOME", m_dir->path().toLocal8Bit()); }
    ~THome() { qunsetenv("PZARC_HOME"); }
    QString Path() const { return m_dir->path(); }
    QString File(const QString &name) const { return m_dir->filePath(name); }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

} // namespace AppTest
