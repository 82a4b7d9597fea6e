#include "DBConfig.h"

#include "ConnectionString.h"
#include "Database.h"
#include "Exceptions.h"
#include "Gbk.h"
#include "IniFile.h"
#include "Paths.h"
#include "Prompter.h"
#include "Prompts.h"
#include "Schema.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

namespace {

const QByteArray DbSection = QByteArrayLiteral("db");
const QByteArray LoginSection = QByteArrayLiteral("Login");
const QByteArray AliasSection = QByteArrayLiteral("ConnectTo");

// The workstation name is fixed: the server sees it as the client's name.
const QString MsSqlTemplate = QStringLiteral(
    "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=%1;Password=%2;Initial Catalog=%3;"
    "Data Source=%4;Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
    "Workstation ID=PZARC;Use Encryption for Data=False;"
    "Tag with column collation when possible=False");
const QString LocalFileTemplate = QStringLiteral("Provider=SQLite;Mode = ReadWrite;Jet OLEDB:Database "
                                                 "Password=%1;Data Source=%2;Persist Security Info=True");
const QString FetchedTemplate =
    QStringLiteral("Provider=SQLOLEDB.1;Data Source=%1;User ID=%2;Password=%3;Initial Catalog=%4;Persist "
                   "Security Info=True");
const QString PgTemplate =
    QStringLiteral("Provider=PostgreSQL;Data Source=%1;Port=%2;Initial Catalog=%3;User ID=%4;Password=%5");

QString ReadScrambled(const TIniFile &ini, const QByteArray &key)
{
    return Gbk::Decode(Scramble(ini.ReadBytes(DbSection, key)));
}

void WriteScrambled(TIniFile &ini, const QByteArray &key, const QString &value)
{
    ini.WriteBytes(DbSection, key, Scramble(Gbk::Encode(value)));
}

// A GET waited for on the spot: the start-up has nothing else to do until the answer is in,
// and user input stays queued meanwhile. False for a network error, a status other than 2xx
// or no answer within the time-out.
bool HttpGet(const QUrl &url, int timeoutMs, QByteArray &body)
{
    QNetworkAccessManager manager;
    std::unique_ptr<QNetworkReply> reply(manager.get(QNetworkRequest(url)));
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeoutMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!reply->isFinished()) {
        reply->abort();
        return false;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (reply->error() != QNetworkReply::NoError || status < 200 || status > 299)
        return false;
    body = reply->readAll();
    return true;
}

// The answer's lines; the break that ends the last line does not start another one.
QStringList AnswerLines(const QString &answer)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = answer.split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace

// ---- TConfiger ----

QString TConfiger::FileName()
{
    return Paths::DataFile(QStringLiteral("cfg.ini"));
}

TConfiger::TConfiger() : m_ini(std::make_unique<TIniFile>(FileName()))
{
    const TIniFile &ini = *m_ini;
    providerIdx = ini.ReadInteger(DbSection, "providerIdx", MsSqlProvider);
    defaultCon = ini.ReadBool(DbSection, "defaultCon", true);
    mssqlServer = ini.ReadString(DbSection, "mssqlServer");
    mssqlPort = ini.ReadInteger(DbSection, "mssqlPort", 1433);
    mssqlDb = ini.ReadString(DbSection, "mssqlDb");
    mssqlUser = ini.ReadString(DbSection, "mssqlUser");
    mssqlPw = ReadScrambled(ini, "mssqlPw");
    jetfile = ReadScrambled(ini, "jetfile");
    jetUser = ini.ReadString(DbSection, "jetUser");
    jetPw = ReadScrambled(ini, "jetPw");
    dipUrl = ini.ReadString(DbSection, "dipUrl");
    dipUser = ini.ReadString(DbSection, "dipUser");
    pgServer = ini.ReadString(DbSection, "pgServer");
    pgPort = ini.ReadInteger(DbSection, "pgPort", 5432);
    pgDb = ini.ReadString(DbSection, "pgDb");
    pgUser = ini.ReadString(DbSection, "pgUser");
    pgPw = ReadScrambled(ini, "pgPw");
}

TConfiger::~TConfiger() = default;

void TConfiger::Save()
{
    TIniFile &ini = *m_ini;
    // Writing a file that could not be read would drop whatever else it holds.
    if (!ini.Readable())
        throw EFileError(QStringLiteral("无法读取设置文件 %1").arg(ini.FileName()));
    ini.WriteString(DbSection, "mssqlServer", mssqlServer);
    ini.WriteInteger(DbSection, "mssqlPort", mssqlPort);
    ini.WriteString(DbSection, "mssqlDb", mssqlDb);
    ini.WriteString(DbSection, "mssqlUser", mssqlUser);
    WriteScrambled(ini, "mssqlPw", mssqlPw);
    WriteScrambled(ini, "jetfile", jetfile);
    ini.WriteString(DbSection, "jetUser", jetUser);
    WriteScrambled(ini, "jetPw", jetPw);
    ini.WriteString(DbSection, "dipUrl", dipUrl);
    ini.WriteString(DbSection, "dipUser", dipUser);
    ini.WriteString(DbSection, "pgServer", pgServer);
    ini.WriteInteger(DbSection, "pgPort", pgPort);
    ini.WriteString(DbSection, "pgDb", pgDb);
    ini.WriteString(DbSection, "pgUser", pgUser);
    WriteScrambled(ini, "pgPw", pgPw);
    ini.WriteInteger(DbSection, "providerIdx", providerIdx);
    ini.WriteBool(DbSection, "defaultCon", defaultCon);

    // Every typed value is quoted where it needs to be, so that ";", quotes and blanks at
    // either end survive the way back through the parser.
    using ConnStr::QuoteValue;
    QString connection;
    switch (providerIdx) {
    case MsSqlProvider:
        connection = MsSqlTemplate.arg(QuoteValue(mssqlUser), QuoteValue(mssqlPw), QuoteValue(mssqlDb),
                                       QuoteValue(mssqlServer));
        break;
    // The typed string is kept even when the default file is in use, so that unchecking the
    // default later finds it.
    case LocalFileProvider:
        connection = LocalFileTemplate.arg(QuoteValue(jetPw), QuoteValue(jetfile));
        break;
    case PgProvider:
        connection = PgTemplate.arg(QuoteValue(pgServer), QString::number(pgPort), QuoteValue(pgDb),
                                    QuoteValue(pgUser), QuoteValue(pgPw));
        break;
    default:
        break; // the fetched details are asked for at every connection
    }
    WriteScrambled(ini, "ConnStr", connection);

    QString reason;
    if (!ini.UpdateFile(&reason))
        throw EFileError(
            QStringLiteral("无法写入设置文件 %1: %2").arg(ini.FileName(), Paths::FailureReason(reason)));
    if (providerIdx == MsSqlProvider)
        RegisterAlias(mssqlServer, QString::number(mssqlPort), SmartConnect);
}

QString TConfiger::ConnectionString() const
{
    if (providerIdx == LocalFileProvider && defaultCon)
        return ConnStr::DefaultLocalConnectionString(Paths::DataFile(Schema::DefaultDatabaseFileName()));
    if (providerIdx == DipProvider)
        return FetchDip();
    return ReadScrambled(*m_ini, "ConnStr");
}

void TConfiger::RegisterAlias(const QString &server, const QString &port, bool remove)
{
    // Without a name there is nothing the client could look up.
    if (server.isEmpty())
        return;
    TIniFile store(ConnStr::DefaultAliasFile());
    if (!store.Readable())
        return;
    const QByteArray name = Gbk::Encode(server);
    if (remove) {
        if (!store.DeleteKey(AliasSection, name))
            return;
    } else {
        const QString data = port.isEmpty() ? QStringLiteral("DBMSSOCN,%1").arg(server)
                                            : QStringLiteral("DBMSSOCN,%1,%2").arg(server, port);
        store.WriteString(AliasSection, name, data);
    }
    store.UpdateFile();
}

QString TConfiger::FetchDip() const
{
    // The name is sent as GBK bytes, as the service has always received it, but escaped so
    // that blanks, "&" and the like cannot cut the query short.
    const QString address = QStringLiteral("%1?user=%2")
                                .arg(dipUrl, QString::fromLatin1(Gbk::Encode(dipUser).toPercentEncoding()));
    QByteArray answer;
    if (!HttpGet(QUrl(address), FetchTimeout, answer)) {
        ShowInfo(QStringLiteral("无法获得DIP连接信息,请检查网络是否畅通."));
        return {};
    }
    // server, port, login, password, database
    const QStringList lines = AnswerLines(Gbk::Decode(answer));
    if (lines.size() != 5)
        return {};
    RegisterAlias(lines[0], lines[1], false);
    using ConnStr::QuoteValue;
    return FetchedTemplate.arg(QuoteValue(lines[0]), QuoteValue(lines[2]), QuoteValue(lines[3]),
                               QuoteValue(lines[4]));
}

QString TConfiger::ReadLastLoginId()
{
    return TIniFile(FileName()).ReadString(LoginSection, "LastLoginId");
}

void TConfiger::WriteLastLoginId(const QString &loginId)
{
    TIniFile ini(FileName());
    if (!ini.Readable())
        return;
    ini.WriteString(LoginSection, "LastLoginId", loginId);
    ini.UpdateFile();
}
