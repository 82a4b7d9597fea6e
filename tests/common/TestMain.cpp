#include "TestMain.h"

#include <QApplication>
#include <QTest>

#include <memory>
#include <vector>

namespace {
struct Entry
{
    const char *name;
    std::function<QObject *()> factory;
};

std::vector<Entry> &Entries()
{
    static std::vector<Entry> entries;
    return entries;
}
} // namespace

void TestRegistry::Add(const char *name, std::function<QObject *()> factory)
{
    Entries().push_back({name, std::move(factory)});
}

// Runs every registered class; a first argument naming a class runs that class alone and
// passes the remaining arguments to it.
int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    QString only;
    if (args.size() > 1 && !args[1].startsWith(QLatin1Char('-'))) {
        for (const Entry &entry : Entries()) {
            if (args[1] == QLatin1String(entry.name)) {
                only = args.takeAt(1);
                break;
            }
        }
    }
    int failures = 0;
    for (const Entry &entry : Entries()) {
        if (!only.isEmpty() && only != QLatin1String(entry.name))
            continue;
        std::unique_ptr<QObject> test(entry.factory());
        failures += QTest::qExec(test.get(), args);
    }
    return failures == 0 ? 0 : 1;
}
