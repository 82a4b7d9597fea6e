// The connection configuration on real files and a real loopback HTTP service: the bytes of
// "cfg.ini", the connection strings, the alias store and the connection-information request.

#include "ConfigFixture.h"
#include "ConnectionString.h"
#include "DBConfig.h"
#include "Database.h"
#include "Exceptions.h"
#include "Gbk.h"
#include "Paths.h"
#include "Prompts.h"
#include "Schema.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

#include <sys/stat.h>

namespace {

const QString DipFailure = QStringLiteral("\r\n无法获得DIP连接信息,请检查网络是否畅通.\t");

QString Fetched(const QString &server, const QString &user, const QString &password, const QString &database)
{
    return QStringLiteral("Provider=SQLOLEDB.1;Data Source=%1;User ID=%2;Password=%3;Initial Catalog=%4;"
                          "Persist Security Info=True")
        .arg(server, user, password, database);
}

// The connection-information service: answers every request with one status and body, or,
// when silent, reads the request and never answers. Keeps the request lines it received.
class TestHttpServer : public QObject
{
public:
    TestHttpServer(int status, QByteArray body, bool silent = false)
        : m_status(status), m_body(std::move(body)), m_silent(silent)
    {
        if (!m_server.listen(QHostAddress::LocalHost, 0))
            qFatal("cannot listen on 127.0.0.1");
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Read(socket); });
        });
    }
    QString Url() const { return QStringLiteral("http://127.0.0.1:%1/dip").arg(m_server.serverPort()); }
    QList<QByteArray> RequestLines;

private:
    void Read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        if (!buffer.contains("\r\n\r\n"))
            return;
        RequestLines << buffer.left(buffer.indexOf("\r\n"));
        buffer.clear();
        if (m_silent)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(m_status) +
                      " Status\r\nContent-Type: text/plain\r\nContent-Length: " +
                      QByteArray::number(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    int m_status;
    QByteArray m_body;
    bool m_silent;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

QString *Field(TConfiger &c, const QString &name)
{
    if (name == QLatin1String("mssqlPw"))
        return &c.mssqlPw;
    if (name == QLatin1String("jetfile"))
        return &c.jetfile;
    if (name == QLatin1String("jetPw"))
        return &c.jetPw;
    if (name == QLatin1String("pgPw"))
        return &c.pgPw;
    qFatal("no field %s", qPrintable(name));
}

} // namespace

using namespace ConfigFixture;

class TDBConfigTest : public QObject
{
    Q_OBJECT

    std::optional<DataHome> m_home;
    QString Home() const { return m_home->Path(); }
    QString CfgFile() const { return m_home->FilePath(QStringLiteral("cfg.ini")); }

private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }
    void init()
    {
        m_home.emplace();
        QVERIFY(m_home->IsValid());
        QCOMPARE(TConfiger::FileName(), CfgFile());
    }
    void cleanup() { m_home.reset(); }

    // ---- the settings file ----

    void defaultsWithoutFile()
    {
        TConfiger c;
        QCOMPARE(c.providerIdx, 0);
        QCOMPARE(c.defaultCon, true);
        QCOMPARE(c.mssqlPort, 1433);
        QCOMPARE(c.pgPort, 5432);
        QCOMPARE(c.SmartConnect, false);
        QVERIFY(c.mssqlServer.isEmpty() && c.mssqlPw.isEmpty() && c.jetfile.isEmpty() && c.dipUrl.isEmpty());
        QCOMPARE(c.ConnectionString(), QString());
        QVERIFY(!QFile::exists(CfgFile()));
    }

    void savedFileBytes()
    {
        TConfiger c;
        FillAll(c);
        c.jetfile.clear();
        c.providerIdx = TConfiger::DipProvider;
        c.defaultCon = false;
        c.Save();
        const QByteArray expected = "[db]\r\n"
                                    "mssqlServer=db.example\r\n"
                                    "mssqlPort=1500\r\n"
                                    "mssqlDb=\xB5\xB5\xB0\xB8\r\n"
                                    "mssqlUser=sa\r\n"
                                    "mssqlPw=tdgz`r\r\n"
                                    "jetfile=\r\n"
                                    "jetUser=\xD5\xC5\xC8\xFD\r\n"
                                    "jetPw=\xC4\xDD\xC6\xE3\r\n"
                                    "dipUrl=http://dip.example/conn\r\n"
                                    "dipUser=u1\r\n"
                                    "pgServer=pg.example\r\n"
                                    "pgPort=5433\r\n"
                                    "pgDb=arc\r\n"
                                    "pgUser=pz\r\n"
                                    "pgPw=tdgz`r\r\n"
                                    "providerIdx=2\r\n"
                                    "defaultCon=0\r\n"
                                    "ConnStr=\r\n";
        QCOMPARE(ReadAll(CfgFile()), expected);

        TConfiger back;
        QCOMPARE(back.mssqlDb, QStringLiteral("档案"));
        QCOMPARE(back.jetUser, QStringLiteral("张三"));
        QCOMPARE(back.jetPw, QStringLiteral("密码"));
        QCOMPARE(back.mssqlPw, QStringLiteral("secret"));
        QCOMPARE(back.pgPw, QStringLiteral("secret"));
        QCOMPARE(back.mssqlPort, 1500);
        QCOMPARE(back.pgPort, 5433);
        QCOMPARE(back.providerIdx, 2);
        QCOMPARE(back.defaultCon, false);
    }

    void scrambledRoundTrip_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::newRow("SQL Server password") << "mssqlPw"
                                             << "p@ss word;x=1";
        QTest::newRow("file name in Chinese") << "jetfile"
                                              << "/数据/档案 2013.db";
        QTest::newRow("password scrambled to a leading blank") << "jetPw"
                                                               << "'quote'";
        QTest::newRow("PostgreSQL password") << "pgPw"
                                             << "密码abc密码abc密码";
    }
    void scrambledRoundTrip()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        {
            TConfiger c;
            *Field(c, field) = value;
            c.providerIdx = TConfiger::LocalFileProvider;
            c.Save();
        }
        const QByteArray file = ReadAll(CfgFile());
        QVERIFY2(!file.contains(Gbk::Encode(value)), file.constData());
        QVERIFY(file.contains("\r\n" + field.toLatin1() + "="));
        TConfiger back;
        QCOMPARE(*Field(back, field), value);
        // The stored connection string is scrambled too.
        QVERIFY(!file.contains("Provider="));
    }

    void rewriteKeepsWhatItDoesNotKnow()
    {
        WriteAll(CfgFile(), "; written by hand\n"
                            "[other]\n"
                            "foo=bar\r\n"
                            "[DB]\n"
                            "PROVIDERIDX=2\r\n"
                            "extra=keep\n"
                            "\n"
                            "[Login]\n"
                            "LastLoginId=admin");
        QCOMPARE(TConfiger::ReadLastLoginId(), QStringLiteral("admin"));
        TConfiger c;
        QCOMPARE(c.providerIdx, 2);
        c.Save();
        const QByteArray expected = "; written by hand\r\n"
                                    "[other]\r\n"
                                    "foo=bar\r\n"
                                    "[DB]\r\n"
                                    "PROVIDERIDX=2\r\n"
                                    "extra=keep\r\n"
                                    "mssqlServer=\r\n"
                                    "mssqlPort=1433\r\n"
                                    "mssqlDb=\r\n"
                                    "mssqlUser=\r\n"
                                    "mssqlPw=\r\n"
                                    "jetfile=\r\n"
                                    "jetUser=\r\n"
                                    "jetPw=\r\n"
                                    "dipUrl=\r\n"
                                    "dipUser=\r\n"
                                    "pgServer=\r\n"
                                    "pgPort=5432\r\n"
                                    "pgDb=\r\n"
                                    "pgUser=\r\n"
                                    "pgPw=\r\n"
                                    "defaultCon=1\r\n"
                                    "ConnStr=\r\n"
                                    "\r\n"
                                    "[Login]\r\n"
                                    "LastLoginId=admin\r\n";
        QCOMPARE(ReadAll(CfgFile()), expected);
    }

    void unusableFilesReadAsDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QByteArray binary;
        for (int i = 0; i < 4096; ++i)
            binary += char((i * 37 + i / 256) & 0xFF);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("binary") << binary;
        QTest::newRow("header without end") << QByteArray("[db\nproviderIdx=1\nmssqlPort=99\n");
        QTest::newRow("lines of equals signs")
            << QByteArray("=\n==\n[]\n[db]\n=1\nproviderIdx\n\xff\xfe=\x00\n");
        QTest::newRow("values that are not numbers")
            << QByteArray("[db]\r\nproviderIdx=abc\r\nmssqlPort=12x\r\npgPort=\r\ndefaultCon=yes\r\n");
        QTest::newRow("numbers too large") << QByteArray("[db]\nproviderIdx=99999999999\nmssqlPort=1e3\n");
        QTest::newRow("one long line") << QByteArray(1 << 20, 'x');
    }
    void unusableFilesReadAsDefaults()
    {
        QFETCH(QByteArray, content);
        WriteAll(CfgFile(), content);
        {
            TConfiger c;
            QCOMPARE(c.providerIdx, 0);
            QCOMPARE(c.defaultCon, true);
            QCOMPARE(c.mssqlPort, 1433);
            QCOMPARE(c.pgPort, 5432);
            QCOMPARE(c.ConnectionString(), QString());
            QCOMPARE(TConfiger::ReadLastLoginId(), QString());
            // The file can still be written, and then reads as written.
            c.providerIdx = TConfiger::PgProvider;
            c.pgServer = QStringLiteral("pg.example");
            c.Save();
        }
        TConfiger back;
        QCOMPARE(back.providerIdx, 3);
        QCOMPARE(back.pgServer, QStringLiteral("pg.example"));
        QVERIFY(
            back.ConnectionString().startsWith(QLatin1String("Provider=PostgreSQL;Data Source=pg.example;")));
    }

    void saveToUnwritableFileFails()
    {
        QVERIFY(QDir().mkpath(CfgFile()));
        TConfiger c;
        QVERIFY_THROWS_EXCEPTION(EFileError, c.Save());
        try {
            c.Save();
        } catch (const EFileError &e) {
            QCOMPARE(e.Message(), QStringLiteral("无法读取设置文件 %1").arg(CfgFile()));
        }
    }

    // The failure names the file and says why in Chinese when the system's reason is a
    // common one.
    void saveFailureSaysWhy()
    {
        // "cfg.ini" stands for a file in a folder that does not exist.
        QVERIFY(QFile::link(m_home->FilePath(QStringLiteral("gone/cfg.ini")), CfgFile()));
        TConfiger c;
        try {
            c.Save();
            QFAIL("saved into a folder that does not exist");
        } catch (const EFileError &e) {
            QCOMPARE(e.Message(), QStringLiteral("无法写入设置文件 %1: 文件不存在").arg(CfgFile()));
        }
    }

    // "cfg.ini" holds the scrambled passwords: whoever writes it leaves it to its owner alone,
    // also when it was readable by all before.
    void settingsFileIsOwnerOnly_data()
    {
        QTest::addColumn<int>("before");   // mode of the file before, 0 for no file
        QTest::addColumn<bool>("loginId"); // written by the login rather than by the form
        QTest::newRow("first save") << 0 << false;
        QTest::newRow("save over a file readable by all") << 0644 << false;
        QTest::newRow("save over an owner-only file") << 0600 << false;
        QTest::newRow("last login id, first time") << 0 << true;
        QTest::newRow("last login id over a file readable by all") << 0644 << true;
    }
    void settingsFileIsOwnerOnly()
    {
        QFETCH(int, before);
        QFETCH(bool, loginId);
        const mode_t oldMask = ::umask(022);
        const auto restore = qScopeGuard([oldMask] { ::umask(oldMask); });
        if (before != 0) {
            WriteAll(CfgFile(), Schema::DeliveredConfig());
            QCOMPARE(::chmod(QFile::encodeName(CfgFile()).constData(), mode_t(before)), 0);
        }
        if (loginId) {
            TConfiger::WriteLastLoginId(QStringLiteral("admin"));
            QCOMPARE(TConfiger::ReadLastLoginId(), QStringLiteral("admin"));
        } else {
            TConfiger c;
            c.pgPw = QStringLiteral("secret");
            c.Save();
            QCOMPARE(TConfiger().pgPw, QStringLiteral("secret"));
        }
        struct stat status = {};
        QCOMPARE(::stat(QFile::encodeName(CfgFile()).constData(), &status), 0);
        QCOMPARE(int(status.st_mode & 0777), 0600);
    }

    // ---- connection strings ----

    void connectionStrings_data()
    {
        QTest::addColumn<int>("provider");
        QTest::addColumn<bool>("useDefault");
        QTest::addColumn<QString>("expected"); // "$HOME" stands for the data directory
        QTest::addColumn<QString>("stored");
        const QString typedLocal =
            QStringLiteral("Provider=SQLite;Mode = ReadWrite;Jet OLEDB:Database Password=密码;"
                           "Data Source=/srv/档案.db;Persist Security Info=True");
        const QString msSql = QStringLiteral(
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=secret;Initial Catalog=档案;"
            "Data Source=db.example;Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
            "Workstation ID=PZARC;Use Encryption for Data=False;Tag with column collation when "
            "possible=False");
        const QString pg = QStringLiteral("Provider=PostgreSQL;Data Source=pg.example;Port=5433;Initial "
                                          "Catalog=arc;User ID=pz;Password=secret");
        QTest::newRow("0 SQL Server") << 0 << true << msSql << msSql;
        QTest::newRow("1 default file")
            << 1 << true
            << "Provider=SQLite;Data Source=$HOME/pzarc.db;Jet OLEDB:Database Password=moltrend;"
               "Persist Security Info=True"
            << typedLocal;
        QTest::newRow("1 typed file") << 1 << false << typedLocal << typedLocal;
        QTest::newRow("2 fetched") << 2 << true << Fetched("srv", "login", "pw", "db") << QString();
        QTest::newRow("3 PostgreSQL") << 3 << true << pg << pg;
        QTest::newRow("7 not a provider") << 7 << true << QString() << QString();
    }
    void connectionStrings()
    {
        QFETCH(int, provider);
        QFETCH(bool, useDefault);
        QFETCH(QString, expected);
        QFETCH(QString, stored);
        TestHttpServer service(200, "srv\r\n1444\r\nlogin\r\npw\r\ndb\r\n");
        ScriptedPrompter prompts;
        {
            TConfiger c;
            FillAll(c);
            c.dipUrl = service.Url();
            c.providerIdx = provider;
            c.defaultCon = useDefault;
            c.Save();
        }
        TConfiger c;
        QCOMPARE(c.ConnectionString(), expected.replace(QLatin1String("$HOME"), Home()));
        QCOMPARE(StoredConnStr(), stored);
        QCOMPARE(prompts.Texts(), QStringList());
    }

    // A number outside the list, or no number at all, uses the stored string like provider 0.
    void unknownProviderUsesStoredString_data()
    {
        QTest::addColumn<QByteArray>("providerIdx");
        QTest::newRow("7") << QByteArray("7");
        QTest::newRow("-1") << QByteArray("-1");
        QTest::newRow("not a number") << QByteArray("sqlite");
    }
    void unknownProviderUsesStoredString()
    {
        QFETCH(QByteArray, providerIdx);
        const QString stored = QStringLiteral("Provider=SQLite;Data Source=/x/档案.db");
        WriteAll(CfgFile(), "[db]\r\nproviderIdx=" + providerIdx +
                                "\r\nConnStr=" + Scramble(Gbk::Encode(stored)) + "\r\n");
        TConfiger c;
        QCOMPARE(c.ConnectionString(), stored);
    }

    // ---- the SQL Server alias store ----

    void aliasStore()
    {
        const QString store = ConnStr::DefaultAliasFile();
        TConfiger c;
        FillAll(c);
        c.Save();
        QCOMPARE(ReadAll(store), QByteArray("[ConnectTo]\r\ndb.example=DBMSSOCN,db.example,1500\r\n"));
        QCOMPARE(ConnStr::AliasPort(store, QStringLiteral("db.example")), QStringLiteral("1500"));

        TConfiger::RegisterAlias(QStringLiteral("服务器"), QString(), false);
        TConfiger::RegisterAlias(QStringLiteral("DB.EXAMPLE"), QStringLiteral("1501"), false);
        QCOMPARE(ReadAll(store),
                 QByteArray("[ConnectTo]\r\n"
                            "db.example=DBMSSOCN,DB.EXAMPLE,1501\r\n"
                            "\xB7\xFE\xCE\xF1\xC6\xF7=DBMSSOCN,\xB7\xFE\xCE\xF1\xC6\xF7\r\n"));

        // "采用智能连接": the client finds the server by itself, so its alias goes.
        c.SmartConnect = true;
        c.Save();
        QCOMPARE(ReadAll(store),
                 QByteArray("[ConnectTo]\r\n\xB7\xFE\xCE\xF1\xC6\xF7=DBMSSOCN,\xB7\xFE\xCE\xF1\xC6\xF7\r\n"));
        QCOMPARE(ConnStr::AliasPort(store, QStringLiteral("db.example")), QString());

        // Other providers leave the store alone.
        c.SmartConnect = false;
        c.providerIdx = TConfiger::PgProvider;
        c.Save();
        QCOMPARE(ConnStr::AliasPort(store, QStringLiteral("db.example")), QString());
    }

    void aliasStoreUnwritable()
    {
        const QString store = ConnStr::DefaultAliasFile();
        QVERIFY(QDir().mkpath(store));
        ScriptedPrompter prompts;
        TConfiger c;
        FillAll(c);
        c.Save();
        TConfiger::RegisterAlias(QStringLiteral("db.example"), QStringLiteral("1500"), true);
        QVERIFY(QFileInfo(store).isDir());
        QCOMPARE(prompts.History().size(), 0);
        QCOMPARE(StoredConnStr().left(20), QStringLiteral("Provider=SQLOLEDB.1;"));
    }

    // ---- the connection-information service ----

    void fetchDip_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<bool>("message");
        QTest::addColumn<QString>("aliasPort");
        const QByteArray five = "srv\r\n1444\r\nlogin\r\npw\r\ndb";
        const QString fetched = Fetched("srv", "login", "pw", "db");
        QTest::newRow("five lines") << 200 << five << fetched << false << "1444";
        QTest::newRow("five lines and a final break") << 200 << five + "\r\n" << fetched << false << "1444";
        QTest::newRow("five LF lines and a final break")
            << 200 << QByteArray("srv\n1444\nlogin\npw\ndb\n") << fetched << false << "1444";
        QTest::newRow("GBK answer") << 200
                                    << QByteArray(
                                           "srv\r\n1444\r\nlogin\r\n\xC3\xDC\xC2\xEB\r\n\xB5\xB5\xB0\xB8\r\n")
                                    << Fetched("srv", "login", "密码", "档案") << false << "1444";
        QTest::newRow("four lines") << 200 << QByteArray("srv\r\n1444\r\nlogin\r\npw\r\n") << QString()
                                    << false << QString();
        QTest::newRow("six lines") << 200 << five + "\r\nmore" << QString() << false << QString();
        QTest::newRow("five lines and a blank line") << 200 << five + "\r\n\r\n"
                                                     << QString() << false << QString();
        QTest::newRow("empty answer") << 200 << QByteArray() << QString() << false << QString();
        QTest::newRow("status 500") << 500 << five << QString() << true << QString();
        QTest::newRow("status 404") << 404 << five << QString() << true << QString();
    }
    void fetchDip()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        QFETCH(bool, message);
        QFETCH(QString, aliasPort);
        TestHttpServer service(status, body);
        ScriptedPrompter prompts;
        TConfiger c;
        c.providerIdx = TConfiger::DipProvider;
        c.dipUrl = service.Url();
        c.dipUser = QStringLiteral("u1");
        QCOMPARE(c.ConnectionString(), expected);
        QCOMPARE(service.RequestLines, QList<QByteArray>{"GET /dip?user=u1 HTTP/1.1"});
        QCOMPARE(prompts.Texts(), message ? QStringList{DipFailure} : QStringList());
        QCOMPARE(ConnStr::AliasPort(ConnStr::DefaultAliasFile(), QStringLiteral("srv")), aliasPort);
    }

    void fetchDipEscapesUser_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QByteArray>("query");
        QTest::newRow("plain") << "u1" << QByteArray("user=u1");
        QTest::newRow("blank, Chinese and ampersand") << "张 三&x" << QByteArray("user=%D5%C5%20%C8%FD%26x");
        QTest::newRow("plus, equals and hash") << "a+b=c#d" << QByteArray("user=a%2Bb%3Dc%23d");
        QTest::newRow("empty") << "" << QByteArray("user=");
    }
    void fetchDipEscapesUser()
    {
        QFETCH(QString, user);
        QFETCH(QByteArray, query);
        TestHttpServer service(200, "srv\r\n1444\r\nlogin\r\npw\r\ndb");
        ScriptedPrompter prompts;
        TConfiger c;
        c.dipUrl = service.Url();
        c.dipUser = user;
        QCOMPARE(c.FetchDip(), Fetched("srv", "login", "pw", "db"));
        QCOMPARE(service.RequestLines, QList<QByteArray>{"GET /dip?" + query + " HTTP/1.1"});
    }

    void fetchDipTimesOut()
    {
        TestHttpServer service(200, {}, true);
        ScriptedPrompter prompts;
        TConfiger c;
        c.dipUrl = service.Url();
        c.FetchTimeout = 300;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(c.FetchDip(), QString());
        QVERIFY2(clock.elapsed() >= 250 && clock.elapsed() < 10000,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(service.RequestLines.size(), 1);
        QCOMPARE(prompts.Texts(), QStringList{DipFailure});
    }

    void fetchDipUnreachable_data()
    {
        QTest::addColumn<QString>("url");
        QTest::newRow("nothing listens") << "CLOSED";
        QTest::newRow("no address") << "";
        QTest::newRow("not HTTP") << "ftp-nonsense://x/";
    }
    void fetchDipUnreachable()
    {
        QFETCH(QString, url);
        if (url == QLatin1String("CLOSED")) {
            QTcpServer probe;
            QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
            url = QStringLiteral("http://127.0.0.1:%1/dip").arg(probe.serverPort());
        }
        ScriptedPrompter prompts;
        TConfiger c;
        c.dipUrl = url;
        QCOMPARE(c.FetchDip(), QString());
        QCOMPARE(prompts.Texts(), QStringList{DipFailure});
    }

    // ---- the last login id ----

    void lastLoginId()
    {
        QCOMPARE(TConfiger::ReadLastLoginId(), QString());
        TConfiger::WriteLastLoginId(QStringLiteral("张三"));
        QCOMPARE(ReadAll(CfgFile()), QByteArray("[Login]\r\nLastLoginId=\xD5\xC5\xC8\xFD\r\n"));
        QCOMPARE(TConfiger::ReadLastLoginId(), QStringLiteral("张三"));

        WriteAll(CfgFile(), Schema::DeliveredConfig());
        TConfiger::WriteLastLoginId(QStringLiteral("admin"));
        QByteArray expected = Schema::DeliveredConfig();
        expected.replace("LastLoginId=\r\n", "LastLoginId=admin\r\n");
        QCOMPARE(ReadAll(CfgFile()), expected);
        QCOMPARE(TConfiger().providerIdx, 1);
    }

    void lastLoginIdUnwritable()
    {
        QVERIFY(QDir().mkpath(CfgFile()));
        TConfiger::WriteLastLoginId(QStringLiteral("admin"));
        QCOMPARE(TConfiger::ReadLastLoginId(), QString());
        QVERIFY(QFileInfo(CfgFile()).isDir());
    }
};

PZ_TEST(TDBConfigTest)
#include "tst_dbconfig.moc"
