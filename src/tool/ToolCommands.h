#pragma once
// The administrator's command-line tool: exports the archive search to a file and imports
// archives from a spreadsheet, after a login against the operator table and the same right
// tests the program makes. Nothing here opens a window: every prompt of the libraries below
// goes to the prompter without windows, which writes it to the error stream.
//
// Exit codes: 0 done, 1 failed (a message on the error stream), 2 the command line was not
// understood (a message and the usage text).

#include "Exceptions.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace Tool {

enum ExitCode { ExitSuccess = 0, ExitFailure = 1, ExitUsage = 2 };

// A command line that cannot be run; the usage text goes with its message.
class EUsage : public Exception
{
public:
    using Exception::Exception;
};

struct Options
{
    QString Command; // "export" or "import"
    QString Object;  // "archives"
    QString File;
    QString User;
    QString PasswordFile;
    QString Category;
    QString Keyword;
    QString Encoding; // empty: the format's own default
    QString Sheet;    // empty: the first sheet
    bool DryRun = false;
    bool Help = false;
};

// Reads the arguments after the program name; a command line that cannot be run raises
// EUsage. Options may stand anywhere, as "--name value" or "--name=value".
Options ParseArguments(const QStringList &arguments);

QString UsageText();

// Where the tool talks to: the standard streams and the terminal, or a test's buffers.
struct Io
{
    std::function<void(const QString &)> Out;
    std::function<void(const QString &)> Err;
    // Asks for the password without showing it; nullopt when there is no one to ask.
    std::function<std::optional<QString>()> AskPassword;
};

// The standard streams, and the terminal for the password when standard input is one.
Io StandardIo();

// Runs one command line. The data module and the services must have been started; the
// connection is opened from "cfg.ini" of the data directory and closed again at the end.
int Run(const QStringList &arguments, const Io &io);

} // namespace Tool
