#pragma once
// Where the database is: the settings of section "db" of "cfg.ini", the connection string
// they give, the form that edits them when connecting fails, and the start-up connect loop.
// The same file remembers the login id of the last successful login (section "Login").

#include <QDialog>
#include <QString>

#include <memory>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
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

// The connection form, shown when the configured connection cannot be opened.
class TDBConfigFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TDBConfigFrm(QWidget *parent = nullptr);
    ~TDBConfigFrm() override;

    QString ConnectionString() const;
    TConfiger &Configer() { return *m_configer; }

    QLabel *Image1;
    QComboBox *ComboBox1;
    QStackedWidget *Notebook1;
    // page "mssql"
    QLineEdit *mssqlServerEdit1;
    QLineEdit *mssqlPortEdit1;
    QLineEdit *mssqlDbEdit1;
    QLineEdit *mssqlUserEdit1;
    QLineEdit *mssqlPwEdit1;
    QCheckBox *CheckBox1;
    // page "jet4"
    QCheckBox *jetDefaultCheckBox1;
    QLineEdit *jetfileEdit1;
    QPushButton *jetFileButton1;
    QLineEdit *jetUserEdit1;
    QLineEdit *jetPwEdit1;
    // page "pzdip"
    QLineEdit *edtDipUrl1;
    QLineEdit *edtDipUser1;
    // page "pgsql"
    QLineEdit *pgServerEdit1;
    QLineEdit *pgPortEdit1;
    QLineEdit *pgDbEdit1;
    QLineEdit *pgUserEdit1;
    QLineEdit *pgPwEdit1;

    QPushButton *Button1; // "确定(&Y)"
    QPushButton *Button2; // "取消"

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    void ComboBox1Change(int index);
    void jetDefaultCheckBox1Click();
    void jetFileButton1Click();
    void Button1Click();

    std::unique_ptr<TConfiger> m_configer;
};

// Opens Database with the configured connection; after each failure offers the connection
// form and tries again with what it saved. Answers false when the form was cancelled.
bool ConnectDatabase();
