#pragma once
// The start-up sequence from the application's identity to the login.

#include <QStringList>

#include <functional>

class TSplashFrm;

// Runs the start-up with the command-line `arguments` (without the program name) and answers
// the process's exit code: 0 when an operator logged in, 1 when the connection form or the
// login was cancelled. Expects the data module and the project services to be started.
// `watchSplash`, when given, is called with the splash as soon as it exists.
int RunStartup(const QStringList &arguments, const std::function<void(TSplashFrm &)> &watchSplash = {});
