#pragma once
// Qt's own windows (file, print and colour dialogs, the standard buttons and the edit boxes'
// context menus) speak Chinese like the rest of the program.

class QString;

// Loads Qt's Chinese translations from Qt's translations folder into the application; answers
// false when they are not installed (Qt's texts then stay English).
bool InstallChineseTranslations();
// The same from another folder (the tests use it to see a missing file refused).
bool InstallChineseTranslations(const QString &folder);
