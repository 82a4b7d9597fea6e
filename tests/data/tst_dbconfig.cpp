// The connection configuration on real files and a real loopback HTTP service: the bytes of
// "cfg.ini", the connection strings, the alias store, the connection-information request, the
// form, and the start-up connect loop on a real SQLite file (and PostgreSQL when configured).

#include "Common.h"
#include "ConnectionString.h"
#include "DBConfig.h"
#include "Database.h"
#include "Gbk.h"
#include "Paths.h"
#include "Prompter.h"
#include "Schema.h"
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
#include <QStackedWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

namespace {

const QString DipFailure = QStringLiteral("\r\n无法获得DIP连接信息,请检查网络是否畅通.\t");
const QString OpenFailurePrefix = QStringLiteral("\r\n连接时失败,提示如下:\r\n");

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

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

// A configuration with a value in every field.
void FillAll(TConfiger &c)
{
    c.mssqlServer = QStringLiteral("db.example");
    c.mssqlPort = 1500;
    c.mssqlDb = QStringLiteral("档案");
    c.mssqlUser = QStringLiteral("sa");
    c.mssqlPw = QStringLiteral("secret");
    c.jetfile = QStringLiteral("/srv/档案.db");
    c.jetUser = QStringLiteral("张三");
    c.jetPw = QStringLiteral("密码");
    c.dipUrl = QStringLiteral("http://dip.example/conn");
    c.dipUser = QStringLiteral("u1");
    c.pgServer = QStringLiteral("pg.example");
    c.pgPort = 5433;
    c.pgDb = QStringLiteral("arc");
    c.pgUser = QStringLiteral("pz");
    c.pgPw = QStringLiteral("secret");
}

// The connection string stored by the last save, as the connect loop would use it for provider 0.
QString StoredConnStr()
{
    TConfiger c;
    c.providerIdx = TConfiger::MsSqlProvider;
    return c.ConnectionString();
}

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

class TDBConfigTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;
    QString Home() const { return m_home->path(); }
    QString CfgFile() const { return m_home->filePath(QStringLiteral("cfg.ini")); }

private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("PZARC_HOME", QFile::encodeName(Home()));
        QCOMPARE(TConfiger::FileName(), CfgFile());
    }
    void cleanup()
    {
        // The default database file lives in the home directory that goes away now.
        Database->SetConnected(false);
        m_home.reset();
    }

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

    // ---- the form ----

    void formWithoutFile()
    {
        TDBConfigFrm form;
        QCOMPARE(form.windowTitle(), QString());
        QCOMPARE(form.size(), QSize(516, 368));
        QCOMPARE(form.ComboBox1->currentIndex(), 0);
        QCOMPARE(form.Notebook1->currentWidget()->objectName(), QStringLiteral("mssql"));
        QCOMPARE(form.mssqlPortEdit1->text(), QStringLiteral("1433"));
        QCOMPARE(form.pgPortEdit1->text(), QStringLiteral("5432"));
        QCOMPARE(form.jetDefaultCheckBox1->isChecked(), true);
        QCOMPARE(form.jetfileEdit1->isEnabled(), false);
        QCOMPARE(form.Button1->text(), QStringLiteral("确定(&Y)"));
        QCOMPARE(form.Button2->text(), QStringLiteral("取消"));
        QStringList items;
        for (int i = 0; i < form.ComboBox1->count(); ++i)
            items << form.ComboBox1->itemText(i);
        QCOMPARE(items, (QStringList{"Microsoft OLE DB Provider for Sql Server", "SQLite 本地数据库文件",
                                     "PzSoft Dip Provider for Sql Server", "PostgreSQL 数据库服务器"}));
        for (QLineEdit *secret : {form.mssqlPwEdit1, form.jetPwEdit1, form.pgPwEdit1})
            QCOMPARE(secret->echoMode(), QLineEdit::Password);
    }

    void formShowsSettings()
    {
        {
            TConfiger c;
            FillAll(c);
            c.providerIdx = TConfiger::PgProvider;
            c.defaultCon = false;
            c.SmartConnect = true;
            c.Save();
        }
        TDBConfigFrm form;
        QCOMPARE(form.ComboBox1->currentIndex(), 3);
        QCOMPARE(form.Notebook1->currentWidget()->objectName(), QStringLiteral("pgsql"));
        const QList<QPair<QLineEdit *, QString>> expected{{form.mssqlServerEdit1, "db.example"},
                                                          {form.mssqlPortEdit1, "1500"},
                                                          {form.mssqlDbEdit1, "档案"},
                                                          {form.mssqlUserEdit1, "sa"},
                                                          {form.mssqlPwEdit1, "secret"},
                                                          {form.jetfileEdit1, "/srv/档案.db"},
                                                          {form.jetUserEdit1, "张三"},
                                                          {form.jetPwEdit1, "密码"},
                                                          {form.edtDipUrl1, "http://dip.example/conn"},
                                                          {form.edtDipUser1, "u1"},
                                                          {form.pgServerEdit1, "pg.example"},
                                                          {form.pgPortEdit1, "5433"},
                                                          {form.pgDbEdit1, "arc"},
                                                          {form.pgUserEdit1, "pz"},
                                                          {form.pgPwEdit1, "secret"}};
        for (const auto &[edit, text] : expected)
            QCOMPARE(edit->text(), text);
        // Smart connection is a choice made at each save, never read back.
        QCOMPARE(form.CheckBox1->isChecked(), false);
        QCOMPARE(form.jetDefaultCheckBox1->isChecked(), false);
        QCOMPARE(form.ConnectionString(), StoredConnStr());
    }

    void providerPages_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("page");
        QTest::newRow("SQL Server") << 0 << "mssql";
        QTest::newRow("SQLite") << 1 << "jet4";
        QTest::newRow("DIP") << 2 << "pzdip";
        QTest::newRow("PostgreSQL") << 3 << "pgsql";
    }
    void providerPages()
    {
        QFETCH(int, index);
        QFETCH(QString, page);
        TDBConfigFrm form;
        QCOMPARE(form.Notebook1->count(), 4);
        form.ComboBox1->setCurrentIndex(3 - index);
        form.ComboBox1->setCurrentIndex(index);
        QCOMPARE(form.Notebook1->currentWidget()->objectName(), page);
    }

    void enablingRule()
    {
        {
            TConfiger c;
            c.defaultCon = false;
            c.Save();
        }
        TDBConfigFrm form;
        const QColor window = form.palette().color(QPalette::Base);
        const QColor buttonFace = form.palette().color(QPalette::Button);
        QVERIFY(window != buttonFace);
        auto check = [&](bool enabled, const QColor &colour) {
            for (QLineEdit *edit : {form.jetfileEdit1, form.jetUserEdit1, form.jetPwEdit1}) {
                QCOMPARE(edit->isEnabled(), enabled);
                QCOMPARE(edit->palette().color(QPalette::Base), colour);
            }
            QCOMPARE(form.jetFileButton1->isEnabled(), enabled);
        };
        check(true, window);
        form.jetDefaultCheckBox1->click();
        check(false, buttonFace);
        form.jetDefaultCheckBox1->click();
        check(true, window);
    }

    void fileChooser()
    {
        {
            TConfiger c;
            c.defaultCon = false;
            c.jetfile = QStringLiteral("/old.db");
            c.Save();
        }
        TDBConfigFrm form;
        ScriptedPrompter prompts;
        prompts.Answer(QVariant()); // cancelled
        form.jetFileButton1->click();
        QCOMPARE(form.jetfileEdit1->text(), QStringLiteral("/old.db"));
        prompts.Answer(QStringLiteral("/数据/档案.db"));
        form.jetFileButton1->click();
        QCOMPARE(form.jetfileEdit1->text(), QStringLiteral("/数据/档案.db"));
        QCOMPARE(prompts.History().size(), 2);
        QCOMPARE(prompts.History().last().kind, QStringLiteral("open"));
    }

    void okSaves()
    {
        TDBConfigFrm form;
        ScriptedPrompter prompts;
        form.ComboBox1->setCurrentIndex(3);
        form.pgServerEdit1->setText(QStringLiteral("127.0.0.1"));
        form.pgPortEdit1->setText(QStringLiteral("6543"));
        form.pgDbEdit1->setText(QStringLiteral("档案"));
        form.pgUserEdit1->setText(QStringLiteral("pz"));
        form.pgPwEdit1->setText(QStringLiteral("密码"));
        form.mssqlServerEdit1->setText(QStringLiteral("ms"));
        form.jetDefaultCheckBox1->setChecked(false);
        form.Button1->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(prompts.History().size(), 0);
        const QString pg = QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1;Port=6543;Initial "
                                          "Catalog=档案;User ID=pz;Password=密码");
        QCOMPARE(form.ConnectionString(), pg);
        TConfiger back;
        QCOMPARE(back.providerIdx, 3);
        QCOMPARE(back.pgPort, 6543);
        QCOMPARE(back.pgPw, QStringLiteral("密码"));
        QCOMPARE(back.mssqlServer, QStringLiteral("ms"));
        QCOMPARE(back.defaultCon, false);
        QCOMPARE(back.ConnectionString(), pg);
    }

    void okWithBadPort_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::newRow("SQL Server port") << "mssqlPortEdit1"
                                         << "14x3";
        QTest::newRow("empty PostgreSQL port") << "pgPortEdit1"
                                               << "";
    }
    void okWithBadPort()
    {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        {
            TConfiger c;
            FillAll(c);
            c.Save();
        }
        const QByteArray before = ReadAll(CfgFile());
        TDBConfigFrm form;
        ScriptedPrompter prompts;
        form.ComboBox1->setCurrentIndex(1);
        form.findChild<QLineEdit *>(edit)->setText(text);
        form.Button1->click();
        QCOMPARE(prompts.Texts(), QStringList{QStringLiteral("'%1' is not a valid integer value").arg(text)});
        QCOMPARE(prompts.History().first().icon, MsgIcon::Error);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(ReadAll(CfgFile()), before);
        QCOMPARE(form.Configer().providerIdx, 0);
    }

    void enterMovesFocus_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("provider list") << "ComboBox1"
                                       << "mssqlServerEdit1";
        QTest::newRow("edit") << "mssqlServerEdit1"
                              << "mssqlPortEdit1";
        QTest::newRow("password") << "mssqlPwEdit1"
                                  << "CheckBox1";
        QTest::newRow("check box, past the hidden pages") << "CheckBox1"
                                                          << "Button1";
    }
    void enterMovesFocus()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        TDBConfigFrm form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *start = form.findChild<QWidget *>(from);
        start->setFocus();
        QCOMPARE(QApplication::focusWidget(), start);
        QTest::keyClick(start, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), form.findChild<QWidget *>(to));
        QVERIFY(form.isVisible());
        QCOMPARE(form.result(), 0);
    }

    // ---- the start-up connect loop ----

    void connectLoop_data()
    {
        QTest::addColumn<bool>("configured"); // a cfg.ini naming a missing typed file
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("pages"); // page showing as each form opens
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("failures"); // connection failure messages
        QTest::addColumn<int>("errors");   // error boxes
        QTest::newRow("missing file, then the default file")
            << true << QStringList{"default"} << QStringList{"jet4"} << true << 1 << 0;
        QTest::newRow("no cfg.ini, then the default file")
            << false << QStringList{"default"} << QStringList{"mssql"} << true << 1 << 0;
        QTest::newRow("cancelled") << true << QStringList{"cancel"} << QStringList{"jet4"} << false << 1 << 0;
        QTest::newRow("no form handler") << true << QStringList{} << QStringList{} << false << 1 << 0;
        QTest::newRow("OK unchanged, then cancelled")
            << true << QStringList{"ok", "cancel"} << QStringList{"jet4", "jet4"} << false << 2 << 0;
        // The form keeps what was typed: the second round only mends the port.
        QTest::newRow("bad port, then mended")
            << true << QStringList{"badport", "mendport"} << QStringList{"jet4", "jet4"} << true << 2 << 1;
    }
    void connectLoop()
    {
        QFETCH(bool, configured);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, pages);
        QFETCH(bool, connected);
        QFETCH(int, failures);
        QFETCH(int, errors);
        const QString defaultFile = Paths::DataFile(Schema::DefaultDatabaseFileName());
        Schema::CreateDeliveredDatabase(defaultFile);
        if (configured) {
            TConfiger c;
            c.providerIdx = TConfiger::LocalFileProvider;
            c.defaultCon = false;
            c.jetfile = m_home->filePath(QStringLiteral("missing.db"));
            c.Save();
        }
        ScriptedPrompter prompts;
        QStringList shownPages;
        for (const QString &step : steps) {
            prompts.OnDialog([&shownPages, step](QDialog &dialog) {
                auto &form = dynamic_cast<TDBConfigFrm &>(dialog);
                shownPages << form.Notebook1->currentWidget()->objectName();
                if (step == QLatin1String("default")) {
                    form.ComboBox1->setCurrentIndex(TConfiger::LocalFileProvider);
                    form.jetDefaultCheckBox1->setChecked(true);
                    form.Button1->click();
                } else if (step == QLatin1String("mendport")) {
                    form.mssqlPortEdit1->setText(QStringLiteral("1433"));
                    form.Button1->click();
                } else if (step == QLatin1String("ok")) {
                    form.Button1->click();
                } else if (step == QLatin1String("badport")) {
                    form.mssqlPortEdit1->setText(QStringLiteral("x"));
                    form.ComboBox1->setCurrentIndex(TConfiger::LocalFileProvider);
                    form.jetDefaultCheckBox1->setChecked(true);
                    form.Button1->click();
                } else {
                    form.Button2->click();
                }
                return form.result();
            });
        }
        QCOMPARE(ConnectDatabase(), connected);
        QCOMPARE(Database->Connected(), connected);
        QCOMPARE(shownPages, pages);
        QCOMPARE(prompts.Dialogs(), QStringList(pages.size() + (steps.isEmpty() ? 1 : 0), "TDBConfigFrm"));
        int failuresShown = 0;
        int errorsShown = 0;
        for (const auto &shown : prompts.History()) {
            failuresShown += shown.text.startsWith(OpenFailurePrefix) ? 1 : 0;
            errorsShown += shown.icon == MsgIcon::Error ? 1 : 0;
        }
        QCOMPARE(failuresShown, failures);
        QCOMPARE(errorsShown, errors);
        QCOMPARE(prompts.History().size(), failures + errors);
        if (connected) {
            QCOMPARE(Database->DataSource(), defaultFile);
            TConfiger saved;
            QCOMPARE(saved.providerIdx, 1);
            QCOMPARE(saved.defaultCon, true);
        }
    }

    void connectLoopToPostgreSQL()
    {
        if (!TestDb::RequireEngine(QStringLiteral("postgresql")))
            return;
        const auto items =
            ConnStr::Parse(TestDb::FreshConnectionString(QStringLiteral("postgresql"), "dbconfig"));
        auto value = [&](const char *key) { return ConnStr::Value(items, QLatin1String(key)); };
        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<TDBConfigFrm &>(dialog);
            form.ComboBox1->setCurrentIndex(TConfiger::PgProvider);
            form.pgServerEdit1->setText(value("Data Source"));
            const QString port = value("Port");
            form.pgPortEdit1->setText(port.isEmpty() ? QStringLiteral("5432") : port);
            form.pgDbEdit1->setText(value("Initial Catalog"));
            form.pgUserEdit1->setText(value("User ID"));
            form.pgPwEdit1->setText(value("Password"));
            form.Button1->click();
            return form.result();
        });
        QVERIFY(ConnectDatabase());
        QCOMPARE(Database->Provider(), QStringLiteral("PostgreSQL"));
        QCOMPARE(prompts.Dialogs(), QStringList{"TDBConfigFrm"});
        // Saved: the next start connects without the form.
        Database->SetConnected(false);
        prompts.Clear();
        QVERIFY(ConnectDatabase());
        QCOMPARE(prompts.History().size(), 0);
    }
};

PZ_TEST(TDBConfigTest)
#include "tst_dbconfig.moc"
