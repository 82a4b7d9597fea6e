#pragma once
// Where the database is: the settings of section "db" of "cfg.ini" and the connection string
// they give.
// The same file remembers the login id of the last successful login (section "Login").

#include <QString>

#include <memory>

class TIniFile;

class TConfiger
{
public:
    // The provider numbers: the item index of the form's provider list.
    static constexpr int MsSqlProvider = 0;     // SQL Server, details typed in
    static constexpr int LocalFileProvider = 1; // the local SQLite file
    static constexpr int DipProvider = 2;       // SQL Server, details fetched over HTTP
    static constexpr int PgProvider = 3;        // PostgreSQL server

    // Reads section "db" of "cfg.ini" in the data directory; a missing, empty or unreadable
    // file, a missing key or a value that is not a number reads as the default.
    TConfiger();
    ~TConfiger();
    TConfiger(const TConfiger &) = delete;
    TConfiger &operator=(const TConfiger &) = delete;

    // Plain values; the passwords and the file name are unscrambled.
    int providerIdx = MsSqlProvider;
    bool defaultCon = true;
    QString mssqlServer;
    int mssqlPort = 1433;
    QString mssqlDb;
    QString mssqlUser;
    QString mssqlPw;
    QString jetfile;
    QString jetUser; // kept and shown only; a local file has no user
    QString jetPw;
    QString dipUrl;
    QString dipUser;
    QString pgServer;
    int pgPort = 5432;
    QString pgDb;
    QString pgUser;
    QString pgPw;
    // Not stored: let the SQL Server client find the server by itself (removes its alias).
    bool SmartConnect = false;
    // How long FetchDip waits for the connection-information service, in milliseconds.
    int FetchTimeout = 15000;

    // Writes the fields and the connection string built from them ("ConnStr"), then sets or
    // removes the SQL Server alias for provider 0. Raises EFileError when "cfg.ini" cannot
    // be written.
    void Save();
    // The connection string to use now: the default local file, the fetched details, or
    // the string stored by the last save.
    QString ConnectionString() const;
    // Points a SQL Server name at a TCP port in the alias store, or removes its alias. A store
    // that cannot be read or written is left alone without a word.
    static void RegisterAlias(const QString &server, const QString &port, bool remove);
    // Asks the connection-information service for the SQL Server details: a connection
    // string, or empty (after a message when the service could not be asked).
    QString FetchDip() const;

    static QString ReadLastLoginId();
    // Remembering the last login id is a convenience: a file that cannot be written is skipped.
    static void WriteLastLoginId(const QString &loginId);

    // "cfg.ini" in the data directory.
    static QString FileName();

private:
    std::unique_ptr<TIniFile> m_ini;
};
