// Statement rewriting for the engines, and the mapping of connection strings to Qt settings.

#include "ConnectionString.h"
#include "Exceptions.h"
#include "SqlDialect.h"
#include "TestMain.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(SqlEngine)

class TDialectTest : public QObject
{
    Q_OBJECT
private slots:
    void translate_data()
    {
        QTest::addColumn<SqlEngine>("engine");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QStringList>("params");
        const auto S = SqlEngine::SQLite;
        const auto P = SqlEngine::PostgreSQL;
        const auto M = SqlEngine::SqlServer;

        QTest::newRow("brackets sqlite")
            << S << "update catas set [Note]=:Note where Id=:Id"
            << "update catas set \"Note\"=? where Id=?" << QStringList{"Note", "Id"};
        QTest::newRow("brackets pg fold") << P << "select * from [backup] where [Key]=1"
                                          << "select * from \"backup\" where \"key\"=1" << QStringList{};
        QTest::newRow("brackets mssql kept") << M << "select [Password] from operator"
                                             << "select [Password] from operator" << QStringList{};
        QTest::newRow("top to limit") << S << "select top 1 Id from report order by Id desc"
                                      << "select Id from report order by Id desc limit 1" << QStringList{};
        QTest::newRow("top distinct pg") << P << "SELECT DISTINCT TOP 5 Code FROM archives;"
                                         << "SELECT DISTINCT Code FROM archives limit 5" << QStringList{};
        QTest::newRow("top kept mssql") << M << "select top 1 Id from report"
                                        << "select top 1 Id from report" << QStringList{};
        QTest::newRow("date literal") << S << "select * from lends where Lendate>=#2013-07-12#"
                                      << "select * from lends where Lendate>='2013-07-12'" << QStringList{};
        QTest::newRow("like pg") << P << "select * from archives where Name like '%a%' and Code not LIKE 'b%'"
                                 << "select * from archives where Name ilike '%a%' and Code not ilike 'b%'"
                                 << QStringList{};
        QTest::newRow("like sqlite kept") << S << "where Name like '%a%'"
                                          << "where Name like '%a%'" << QStringList{};
        QTest::newRow("literal untouched")
            << P << "select 'x [y] #2013-01-01# :z like top 1' from t where a=:A"
            << "select 'x [y] #2013-01-01# :z like top 1' from t where a=?" << QStringList{"A"};
        QTest::newRow("doubled quote in literal")
            << S << "select * from t where Name='O''Brien :x' and Id=:Id"
            << "select * from t where Name='O''Brien :x' and Id=?" << QStringList{"Id"};
        QTest::newRow("cast kept") << P << "select Id::text from t where Id=:Id"
                                   << "select Id::text from t where Id=?" << QStringList{"Id"};
        QTest::newRow("repeated param") << S << "insert into t(a,b) values (:X,:X)"
                                        << "insert into t(a,b) values (?,?)" << QStringList{"X", "X"};
        QTest::newRow("word containing like") << P << "select likes, unlike from t"
                                              << "select likes, unlike from t" << QStringList{};
    }
    void translate()
    {
        QFETCH(SqlEngine, engine);
        QFETCH(QString, statement);
        QFETCH(QString, expected);
        QFETCH(QStringList, params);
        const TranslatedSql out = TranslateSql(statement, engine);
        QCOMPARE(out.text, expected);
        QCOMPARE(out.paramNames, params);
    }

    // What a search value becomes inside a LIKE pattern's quotes.
    void likeText_data()
    {
        QTest::addColumn<SqlEngine>("engine");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        const SqlEngine S = SqlEngine::SQLite;
        const SqlEngine P = SqlEngine::PostgreSQL;
        const QString nul = QString(QChar(0));
        QTest::newRow("quote, sqlite") << S << "O'Brien"
                                       << "O''Brien";
        QTest::newRow("backslash, sqlite") << S << "C:\\a"
                                           << "C:\\a";
        QTest::newRow("backslash, pg") << P << "C:\\a"
                                       << "C:\\\\a";
        QTest::newRow("NUL, sqlite") << S << QStringLiteral("合") + nul + QStringLiteral("同") << "合同";
        QTest::newRow("NUL and quote, pg") << P << nul + QStringLiteral("'") + nul << "''";
    }
    void likeText()
    {
        QFETCH(SqlEngine, engine);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        SqlDialect dialect;
        dialect.engine = engine;
        QCOMPARE(dialect.LikeText(value), expected);
    }

    void connectionKinds_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("sqlite") << "Provider=SQLite;Data Source=/tmp/a.db;Jet OLEDB:Database Password=x"
                                << "QSQLITE"
                                << "/tmp/a.db"
                                << "" << -1;
        QTest::newRow("legacy jet")
            << "Provider=Microsoft.Jet.OLEDB.4.0;Mode = ReadWrite;Data Source=/x/a.mdb"
            << "QSQLITE"
            << "/x/a.mdb"
            << "" << -1;
        QTest::newRow("postgresql")
            << "Provider=PostgreSQL;Data Source=db.local;Port=5433;Initial Catalog=arc;User ID=u;Password=p"
            << "QPSQL"
            << "arc"
            << "db.local" << 5433;
        QTest::newRow("postgresql default port") << "Provider=PostgreSQL;Data Source=h;Initial Catalog=arc"
                                                 << "QPSQL"
                                                 << "arc"
                                                 << "h" << 5432;
    }
    void connectionKinds()
    {
        QFETCH(QString, connection);
        QFETCH(QString, driver);
        QFETCH(QString, database);
        QFETCH(QString, host);
        QFETCH(int, port);
        const ConnStr::QtSettings s = ConnStr::ToQt(connection, QString());
        QCOMPARE(s.driver, driver);
        QCOMPARE(s.databaseName, database);
        QCOMPARE(s.host, host);
        QCOMPARE(s.port, port);
    }

    void badConnectionStrings_data()
    {
        QTest::addColumn<QString>("connection");
        QTest::newRow("empty") << "";
        QTest::newRow("blank") << "  ;  ";
        QTest::newRow("no equals") << "Provider=SQLite;garbage";
        QTest::newRow("unknown provider") << "Provider=Oracle;Data Source=x";
        QTest::newRow("no provider") << "Data Source=x";
        QTest::newRow("no file") << "Provider=SQLite;Persist Security Info=True";
        QTest::newRow("bad port") << "Provider=PostgreSQL;Data Source=h;Port=abc";
    }
    void badConnectionStrings()
    {
        QFETCH(QString, connection);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ConnStr::ToQt(connection, QString()));
    }

    // SQL Server goes through ODBC and FreeTDS; the port comes from the alias store.
    void sqlServerMapping()
    {
        QTemporaryDir dir;
        const QString aliases = dir.filePath(QStringLiteral("mssql-aliases.ini"));
        QFile file(aliases);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[ConnectTo]\r\ndbhost=DBMSSOCN,dbhost,1533\r\nnoport=DBMSSOCN,noport\r\n");
        file.close();

        const QString typed = QStringLiteral(
            "Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Password=pa;ss;Initial Catalog=arc;"
            "Data Source=dbhost;Use Procedure for Prepare=1;Auto Translate=True;Packet Size=4096;"
            "Workstation ID=PZ;Use Encryption for Data=False;Tag with column collation when possible=False");
        // "pa;ss" cannot stand in an OLE DB string either: the password is "pa" and "ss" is an
        // item without "=", which the parser refuses.
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, ConnStr::ToQt(typed, aliases));

        QString fixedTyped = typed;
        fixedTyped.replace(QStringLiteral("pa;ss"), QStringLiteral("p}w"));
        ConnStr::QtSettings s = ConnStr::ToQt(fixedTyped, aliases);
        QCOMPARE(s.driver, QStringLiteral("QODBC"));
        QCOMPARE(s.databaseName,
                 QStringLiteral("DRIVER={FreeTDS};SERVER=dbhost;PORT=1533;DATABASE=arc;UID=sa;"
                                "PWD={p}}w};TDS_Version=7.3;ClientCharset=UTF-8"));

        const QString fetched =
            QStringLiteral("Provider=SQLOLEDB.1;Data Source=noport;User ID=u;Password=p;Initial "
                           "Catalog=c;Persist Security Info=True");
        s = ConnStr::ToQt(fetched, aliases);
        QCOMPARE(s.databaseName, QStringLiteral("DRIVER={FreeTDS};SERVER=noport;DATABASE=c;UID=u;PWD=p;"
                                                "TDS_Version=7.3;ClientCharset=UTF-8"));
        QVERIFY(ConnStr::AliasPort(aliases, QStringLiteral("unknown")).isEmpty());
        QCOMPARE(ConnStr::AliasPort(aliases, QStringLiteral("DBHOST")), QStringLiteral("1533"));

        s = ConnStr::ToQt(QStringLiteral("Provider=SQLOLEDB.1;Data Source=h,1444;Initial Catalog=c"),
                          aliases);
        QVERIFY(s.databaseName.contains(QStringLiteral("SERVER=h;PORT=1444;")));
    }
};

PZ_TEST(TDialectTest)
#include "tst_dialect.moc"
