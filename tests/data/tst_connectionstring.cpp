// Values in connection strings: what the connection form saves comes back unchanged however
// awkward it is, strings stored before values were quoted read as they always did, and real
// connections open through quoted values.

#include "ConnectionString.h"
#include "DBConfig.h"
#include "Database.h"
#include "Exceptions.h"
#include "Schema.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using ConnStr::Parse;
using ConnStr::Value;

class TConnectionStringTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_home;

private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }
    void init()
    {
        m_home = std::make_unique<QTemporaryDir>();
        QVERIFY(m_home->isValid());
        qputenv("PZARC_HOME", QFile::encodeName(m_home->path()));
    }
    void cleanup()
    {
        Database->SetConnected(false);
        qunsetenv("PZARC_HOME");
        m_home.reset();
    }

    // Each provider's saved string gives back exactly what was typed into each field.
    void savedValuesComeBack_data()
    {
        QTest::addColumn<QString>("value");
        QTest::newRow("semicolon") << "pa;ss";
        QTest::newRow("leading blank") << " secret";
        QTest::newRow("trailing blank") << "secret ";
        QTest::newRow("double quotes inside") << "say \"hi\"";
        QTest::newRow("single quote inside") << "it's";
        QTest::newRow("in single quotes") << "'both'";
        QTest::newRow("in double quotes") << "\"both\"";
        QTest::newRow("looks like more items") << "x=1;Password=y";
        QTest::newRow("Chinese") << "密码;档案";
        QTest::newRow("plain") << "secret";
    }
    void savedValuesComeBack()
    {
        QFETCH(QString, value);
        const QString aliases = m_home->filePath(QStringLiteral("aliases.ini"));
        auto saved = [](int provider, const std::function<void(TConfiger &)> &fill) {
            TConfiger c;
            c.providerIdx = provider;
            c.defaultCon = false;
            fill(c);
            c.Save();
            return TConfiger().ConnectionString();
        };

        const QString pg = saved(TConfiger::PgProvider, [&](TConfiger &c) {
            c.pgServer = QStringLiteral("pg.example");
            c.pgDb = value;
            c.pgUser = value;
            c.pgPw = value;
        });
        const ConnStr::QtSettings pgSettings = ConnStr::ToQt(pg, aliases);
        QCOMPARE(pgSettings.host, QStringLiteral("pg.example"));
        QCOMPARE(pgSettings.databaseName, value);
        QCOMPARE(pgSettings.user, value);
        QCOMPARE(pgSettings.password, value);

        const QString local = saved(TConfiger::LocalFileProvider, [&](TConfiger &c) {
            c.jetfile = QStringLiteral("/数据/") + value + QStringLiteral(".db");
            c.jetPw = value;
        });
        QCOMPARE(ConnStr::ToQt(local, aliases).databaseName,
                 QStringLiteral("/数据/") + value + QStringLiteral(".db"));
        QCOMPARE(Value(Parse(local), QStringLiteral("Jet OLEDB:Database Password")), value);

        const QString msSql = saved(TConfiger::MsSqlProvider, [&](TConfiger &c) {
            c.mssqlServer = QStringLiteral("ms.example");
            c.mssqlDb = value;
            c.mssqlUser = value;
            c.mssqlPw = value;
        });
        const auto items = Parse(msSql);
        QCOMPARE(Value(items, QStringLiteral("Data Source")), QStringLiteral("ms.example"));
        QCOMPARE(Value(items, QStringLiteral("Initial Catalog")), value);
        QCOMPARE(Value(items, QStringLiteral("User ID")), value);
        QCOMPARE(Value(items, QStringLiteral("Password")), value);
        QCOMPARE(Value(items, QStringLiteral("Workstation ID")), QStringLiteral("PZARC"));
    }

    // Strings as they were stored before values were quoted.
    void unquotedStringsReadAsBefore_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString typed =
            QStringLiteral("Provider=SQLite;Mode = ReadWrite;Jet OLEDB:Database Password=密码;"
                           "Data Source=/srv/档案.db;Persist Security Info=True");
        QTest::newRow("file") << typed << "Data Source"
                              << "/srv/档案.db";
        QTest::newRow("blanks around the =") << typed << "mode"
                                             << "ReadWrite";
        QTest::newRow("last item") << typed << "Persist Security Info"
                                   << "True";
        QTest::newRow("quote inside") << "Provider=PostgreSQL;Password=a'b\"c;User ID=u"
                                      << "Password"
                                      << "a'b\"c";
        QTest::newRow("opening quote only") << "Provider=PostgreSQL;Password='open;User ID=u"
                                            << "Password"
                                            << "'open";
        QTest::newRow("text after the closing quote") << "Provider=PostgreSQL;Password=\"x\"y;User ID=u"
                                                      << "Password"
                                                      << "\"x\"y";
        QTest::newRow("blanks trimmed") << "Provider=SQLite;Data Source=  /a b.db  ;"
                                        << "Data Source"
                                        << "/a b.db";
    }
    void unquotedStringsReadAsBefore()
    {
        QFETCH(QString, connection);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(Value(Parse(connection), key), value);
    }

    void malformedStrings_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("message");
        QTest::newRow("item without =") << "Provider=SQLite;junk;Data Source=/a.db"
                                        << "连接字符串格式不正确: junk";
        QTest::newRow("item without key") << "Provider=SQLite; =x"
                                          << "连接字符串格式不正确: =x";
        QTest::newRow("unclosed quote runs into the next item") << "Password=\"a;b"
                                                                << "连接字符串格式不正确: b";
        QTest::newRow("blank") << "  "
                               << "连接字符串为空。";
    }
    void malformedStrings()
    {
        QFETCH(QString, connection);
        QFETCH(QString, message);
        try {
            Parse(connection);
            QFAIL("parsed");
        } catch (const EDatabaseError &e) {
            QCOMPARE(e.Message(), message);
        }
    }

    // The connection's own reading of a value: the exact key text, the value up to its ";"
    // (none for the last item), quoted values read whole and never searched.
    void valueAfterKey_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString jet = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a.mdb;"
                                           "Persist Security Info=False");
        QTest::newRow("provider") << jet << "Provider"
                                  << "Microsoft.Jet.OLEDB.4.0";
        QTest::newRow("data source") << jet << "Data Source"
                                     << "C:\\a.mdb";
        QTest::newRow("last item, no ;") << jet << "Persist Security Info" << QString();
        QTest::newRow("other letter case") << jet << "provider" << QString();
        QTest::newRow("absent") << jet << "Password" << QString();
        QTest::newRow("quoted with ;")
            << "Provider=SQLite;Data Source=\"/home/a;b/pzarc.db\";Persist Security Info=True"
            << "Data Source"
            << "/home/a;b/pzarc.db";
        QTest::newRow("key text inside a quoted value")
            << "Provider=SQLite;Password=\"Data Source=/evil.db;\";Data Source=/real.db;"
            << "Data Source"
            << "/real.db";
        QTest::newRow("doubled quotes") << "Password=\"say \"\"hi\"\"\";User ID=u"
                                        << "Password"
                                        << "say \"hi\"";
        QTest::newRow("quoted last item") << "Provider=SQLite;Data Source=\"/a;b.db\""
                                          << "Data Source" << QString();
    }
    void valueAfterKey()
    {
        QFETCH(QString, connection);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QCOMPARE(ConnStr::ValueAfterKey(connection, key), value);
    }

    // A data directory whose name holds ";" and quotes: the first start's register opens.
    void defaultDatabaseInAwkwardDirectory()
    {
        const QString home = m_home->filePath(QStringLiteral("档案;备份 'x' \"y\""));
        QVERIFY(QDir().mkpath(home));
        qputenv("PZARC_HOME", QFile::encodeName(home));
        QVERIFY(Schema::EnsureDeliveredFiles());
        const QString connection = TConfiger().ConnectionString();
        ScriptedPrompter prompts;
        QVERIFY2(Database->Open(connection), qPrintable(prompts.Texts().join(QLatin1Char('\n'))));
        QSqlQuery sa(Database->Connection());
        QVERIFY(sa.exec(QStringLiteral("select count(*) from operator where LoginId='sa'")));
        QVERIFY(sa.next());
        QCOMPARE(sa.value(0).toInt(), 1);
        QCOMPARE(ConnStr::ToQt(connection, {}).databaseName,
                 QDir(home).filePath(Schema::DefaultDatabaseFileName()));
    }

    // A server connection whose every value is quoted opens like the plain one.
    void quotedValuesOpenPostgreSQL()
    {
        if (!TestDb::RequireEngine(QStringLiteral("postgresql")))
            return;
        const auto items = Parse(TestDb::FreshConnectionString(QStringLiteral("postgresql"), "connstr"));
        QString quoted = QStringLiteral("Provider=PostgreSQL");
        for (const auto &[key, value] : items) {
            if (key.compare(QLatin1String("Provider"), Qt::CaseInsensitive) == 0)
                continue;
            QString doubled = value;
            doubled.replace(QLatin1Char('"'), QStringLiteral("\"\""));
            quoted += QStringLiteral(";%1=\"%2\"").arg(key, doubled);
        }
        ScriptedPrompter prompts;
        QVERIFY2(Database->Open(quoted), qPrintable(prompts.Texts().join(QLatin1Char('\n'))));
        QSqlQuery sa(Database->Connection());
        QVERIFY(sa.exec(QStringLiteral("select count(*) from operator where LoginId='sa'")));
        QVERIFY(sa.next());
        QCOMPARE(sa.value(0).toInt(), 1);
    }
};

PZ_TEST(TConnectionStringTest)
#include "tst_connectionstring.moc"
