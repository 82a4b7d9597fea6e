#pragma once
// The product's identity, set once at start-up (SetProductGlobals) and never changed.

#include <QString>

extern QString ProductName; // the application title and the login heading
extern QString EditionText;
extern QString BuildText;
extern QString ProductCode;
extern QString DbBaseName; // base name of the default local database file

void SetProductGlobals();
