#include "Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallChineseTranslations()
{
    return InstallChineseTranslations(QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

bool InstallChineseTranslations(const QString &folder)
{
    // Owned by the application, which keeps them for as long as it runs.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}
