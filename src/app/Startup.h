#pragma once
// The start-up sequence: the application's identity, the database, the long-lived windows,
// the login and the event loop.

#include <QStringList>

#include <functional>

class TSplashFrm;
class TmainFrm;

struct TStartupHooks
{
    // Called with the splash as soon as it exists.
    std::function<void(TSplashFrm &)> WatchSplash;
    // When given, runs in place of the event loop, with the main window shown and welcomed;
    // afterwards the window is closed (when it is still open) and released as at the end of
    // the event loop.
    std::function<void(TmainFrm &)> InsteadOfEventLoop;
};

// Runs the start-up with the command-line `arguments` (without the program name) and answers
// the process's exit code: 0 when an operator logged in and the main window has closed again,
// 1 when the connection form or the login was cancelled. Expects the data module and the
// project services to be started; the facade is created on the first run.
int RunStartup(const QStringList &arguments, const TStartupHooks &hooks = {});
