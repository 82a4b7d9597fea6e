#include "Exceptions.h"
#include "Schema.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <map>
#include <memory>
#include <optional>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

enum class Kind { Integer, Text, Memo, DateTime, Float, Boolean, Binary };

struct DescribedColumn
{
    const char *table;
    const char *column;
    Kind kind;
    bool key;
};

// The columns the program reads and writes, with the kind of value each holds.
const DescribedColumn Described[] = {
    {"catas", "Id", Kind::Integer, true},           {"catas", "Code", Kind::Text, false},
    {"catas", "Name", Kind::Text, false},           {"catas", "Note", Kind::Text, false},
    {"catas", "SlfId", Kind::Integer, false},       {"catas", "PrtId", Kind::Integer, false},
    {"archives", "Id", Kind::Integer, true},        {"archives", "CataId", Kind::Integer, false},
    {"archives", "Code", Kind::Text, false},        {"archives", "Name", Kind::Text, false},
    {"archives", "Arcdept", Kind::Text, false},     {"archives", "Arcman", Kind::Text, false},
    {"archives", "Arcdate", Kind::DateTime, false}, {"archives", "Security", Kind::Text, false},
    {"archives", "Copys", Kind::Integer, false},    {"archives", "Layplace", Kind::Text, false},
    {"archives", "Filepath", Kind::Text, false},    {"archives", "Filebyte", Kind::Integer, false},
    {"archives", "Notes", Kind::Memo, false},       {"lends", "Id", Kind::Integer, true},
    {"lends", "ArcId", Kind::Integer, false},       {"lends", "Lendate", Kind::DateTime, false},
    {"lends", "Borrower", Kind::Text, false},       {"lends", "Bordept", Kind::Text, false},
    {"lends", "Checkman", Kind::Text, false},       {"lends", "Headline", Kind::DateTime, false},
    {"lends", "Returndate", Kind::DateTime, false}, {"lends", "Notes", Kind::Text, false},
    {"operator", "LoginId", Kind::Text, true},      {"operator", "Password", Kind::Text, false},
    {"operator", "Name", Kind::Text, false},        {"operator", "Contact", Kind::Text, false},
    {"operator", "Note", Kind::Text, false},        {"operator", "Rights", Kind::Memo, false},
    {"Company", "Id", Kind::Integer, true},         {"Company", "CompanyName", Kind::Text, false},
    {"Company", "Manager", Kind::Text, false},      {"Company", "Tel", Kind::Text, false},
    {"Company", "Fax", Kind::Text, false},          {"Company", "Address", Kind::Text, false},
    {"Company", "Zip", Kind::Text, false},          {"Company", "Profile", Kind::Memo, false},
    {"Company", "Updated", Kind::Boolean, false},   {"keyvalue", "KeyId", Kind::Integer, true},
    {"keyvalue", "Vint", Kind::Integer, false},     {"keyvalue", "Vstr", Kind::Memo, false},
    {"keyvalue", "Vfloat", Kind::Float, false},     {"keyvalue", "Vbool", Kind::Boolean, false},
    {"options", "Key", Kind::Integer, true},        {"options", "Label", Kind::Text, false},
    {"options", "List", Kind::Memo, false},         {"report", "Id", Kind::Integer, true},
    {"report", "GrpId", Kind::Integer, false},      {"report", "Title", Kind::Text, false},
    {"report", "Fr3File", Kind::Binary, false},     {"syscols", "F02", Kind::Integer, true},
    {"syscols", "F06", Kind::Memo, false},          {"backup", "TypeId", Kind::Integer, false},
    {"backup", "BackDir", Kind::Text, false},
};

const char *KindName(Kind kind)
{
    switch (kind) {
    case Kind::Integer:
        return "integer";
    case Kind::Text:
        return "text";
    case Kind::Memo:
        return "memo";
    case Kind::DateTime:
        return "date-time";
    case Kind::Float:
        return "float";
    case Kind::Boolean:
        return "Boolean";
    case Kind::Binary:
        return "binary";
    }
    return "?";
}

// The kind a declared column type stands for in each engine's script; nothing when the type
// belongs to none.
std::optional<Kind> KindOfDeclaredType(Schema::Engine engine, const QString &declared)
{
    const QString type = declared.toLower().simplified();
    struct Mapping
    {
        const char *pattern;
        Kind kind;
    };
    static const Mapping sqlite[] = {
        {"^int(eger)?$", Kind::Integer}, {"^varchar\\(\\d+\\)$", Kind::Text},
        {"^text$", Kind::Memo},          {"^datetime$", Kind::DateTime},
        {"^real$", Kind::Float},         {"^boolean$", Kind::Boolean},
        {"^blob$", Kind::Binary},
    };
    static const Mapping postgres[] = {
        {"^(integer|bigint)$", Kind::Integer},
        {"^varchar\\(\\d+\\)$", Kind::Text},
        {"^text$", Kind::Memo},
        {"^timestamp$", Kind::DateTime},
        {"^double precision$", Kind::Float},
        {"^boolean$", Kind::Boolean},
        {"^bytea$", Kind::Binary},
    };
    static const Mapping sqlServer[] = {
        {"^(int|bigint)$", Kind::Integer},
        {"^nvarchar\\(\\d+\\)$", Kind::Text},
        {"^nvarchar\\(max\\)$", Kind::Memo},
        {"^datetime$", Kind::DateTime},
        {"^float$", Kind::Float},
        {"^bit$", Kind::Boolean},
        {"^varbinary\\(max\\)$", Kind::Binary},
    };
    const Mapping *begin = sqlite;
    const Mapping *end = std::end(sqlite);
    if (engine == Schema::Engine::PostgreSQL) {
        begin = postgres;
        end = std::end(postgres);
    } else if (engine == Schema::Engine::SqlServer) {
        begin = sqlServer;
        end = std::end(sqlServer);
    }
    for (const Mapping *m = begin; m != end; ++m)
        if (QRegularExpression(QLatin1String(m->pattern)).match(type).hasMatch())
            return m->kind;
    return std::nullopt;
}

struct ScriptColumn
{
    QString declaredType;
    bool notNull = false;
    bool primaryKey = false;
};
// Lower-case table name -> lower-case column name -> column.
using ScriptTables = std::map<QString, std::map<QString, ScriptColumn>>;

QString Unquote(QString name)
{
    name.remove(QLatin1Char('[')).remove(QLatin1Char(']')).remove(QLatin1Char('"'));
    return name.toLower();
}

// Reads the "create table" statements of a script back into tables and columns.
ScriptTables ParseTables(const QString &script)
{
    static const QRegularExpression createTable(QStringLiteral("^create table\\s+(\\S+)\\s*\\((.*)\\)$"),
                                                QRegularExpression::CaseInsensitiveOption |
                                                    QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression columnLine(
        QStringLiteral("^(\\S+)\\s+(.+?)(\\s+NOT NULL)?(\\s+PRIMARY KEY)?"
                       "(\\s+DEFAULT\\s+\\S+)?$"),
        QRegularExpression::CaseInsensitiveOption);
    ScriptTables tables;
    for (const QString &statement : Schema::Statements(script)) {
        const QRegularExpressionMatch table = createTable.match(statement);
        if (!table.hasMatch())
            continue;
        auto &columns = tables[Unquote(table.captured(1))];
        // Split the column list at the commas outside parentheses, such as those of "(max)".
        const QString body = table.captured(2);
        QStringList items;
        int depth = 0;
        QString item;
        for (const QChar c : body) {
            if (c == QLatin1Char('('))
                ++depth;
            else if (c == QLatin1Char(')'))
                --depth;
            if (c == QLatin1Char(',') && depth == 0) {
                items << item.simplified();
                item.clear();
            } else {
                item += c;
            }
        }
        items << item.simplified();
        for (const QString &line : items) {
            const QRegularExpressionMatch column = columnLine.match(line);
            if (!column.hasMatch())
                continue;
            columns[Unquote(column.captured(1))] = {column.captured(2), !column.captured(3).isEmpty(),
                                                    !column.captured(4).isEmpty()};
        }
    }
    return tables;
}

// The seed inserts of a script, with the spelling differences between engines taken out.
QStringList NormalizedInserts(const QString &script)
{
    QStringList inserts;
    for (QString statement : Schema::Statements(script)) {
        if (!statement.startsWith(QLatin1String("insert"), Qt::CaseInsensitive))
            continue;
        statement.remove(QLatin1Char('['))
            .remove(QLatin1Char(']'))
            .replace(QLatin1String("N'"), QLatin1String("'"));
        statement = statement.toLower().simplified();
        statement.replace(QLatin1String("false"), QLatin1String("0"))
            .replace(QLatin1String("true"), QLatin1String("1"));
        // Binary literals: X'..' (SQLite), decode('..', 'hex') (PostgreSQL), 0x.. (SQL Server).
        static const QRegularExpression decoded(QStringLiteral("decode\\('([0-9a-f]*)', 'hex'\\)"));
        static const QRegularExpression prefixed(QStringLiteral("\\b0x([0-9a-f]+)\\b"));
        statement.replace(decoded, QStringLiteral("x'\\1'")).replace(prefixed, QStringLiteral("x'\\1'"));
        inserts << statement;
    }
    return inserts;
}

QStringList Lowered(const QStringList &names)
{
    QStringList lowered;
    for (const QString &name : names)
        lowered << name.toLower();
    lowered.sort();
    return lowered;
}

// A Qt SQL connection to a test database, opened from the connection string TestDb answers.
class TestConnection
{
public:
    explicit TestConnection(const QString &connectionString)
        : m_name(QStringLiteral("tst-schema-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
    {
        QMap<QString, QString> parts;
        for (const QString &part : connectionString.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const qsizetype eq = part.indexOf(QLatin1Char('='));
            if (eq > 0)
                parts.insert(part.left(eq).trimmed().toLower(), part.mid(eq + 1).trimmed());
        }
        if (parts.value(QStringLiteral("provider")) == QLatin1String("PostgreSQL")) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
            db.setHostName(parts.value(QStringLiteral("data source")));
            db.setPort(parts.value(QStringLiteral("port")).toInt());
            db.setDatabaseName(parts.value(QStringLiteral("initial catalog")));
            db.setUserName(parts.value(QStringLiteral("user id")));
            db.setPassword(parts.value(QStringLiteral("password")));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            db.setDatabaseName(parts.value(QStringLiteral("data source")));
        }
        db.open();
    }
    ~TestConnection()
    {
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_name);
    }
    TestConnection(const TestConnection &) = delete;
    TestConnection &operator=(const TestConnection &) = delete;

    QSqlDatabase db;

private:
    QString m_name;
};

// A fresh database of the engine for the current test row, or null after recording a failure.
std::unique_ptr<TestConnection> FreshDatabase(const QString &engine)
{
    QString name = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        name += QLatin1Char('_') + QString::fromLatin1(QTest::currentDataTag());
    try {
        auto connection = std::make_unique<TestConnection>(TestDb::FreshConnectionString(engine, name));
        if (!connection->db.isOpen()) {
            QTest::qFail(qPrintable(connection->db.lastError().text()), __FILE__, __LINE__);
            return nullptr;
        }
        return connection;
    } catch (const std::exception &e) {
        QTest::qFail(e.what(), __FILE__, __LINE__);
        return nullptr;
    }
}

// Runs a statement with positional values; the query tells whether it succeeded.
QSqlQuery Run(QSqlDatabase &db, const QString &statement, const QVariantList &values = {})
{
    QSqlQuery query(db);
    query.prepare(statement);
    for (const QVariant &value : values)
        query.addBindValue(value);
    query.exec();
    return query;
}

#define VERIFY_EXEC(query)                                                                                   \
    QVERIFY2((query).isActive(),                                                                             \
             qPrintable((query).lastError().text() + QStringLiteral(": ") + (query).lastQuery()))

// Sets an environment variable for one scope and puts the old value back afterwards.
class EnvironmentGuard
{
public:
    EnvironmentGuard(const char *name, const QString &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name))
    {
        qputenv(name, value.toLocal8Bit());
    }
    ~EnvironmentGuard()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentGuard(const EnvironmentGuard &) = delete;
    EnvironmentGuard &operator=(const EnvironmentGuard &) = delete;

private:
    const char *m_name;
    bool m_had;
    QByteArray m_old;
};

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Readable and writable by the owner, by no one else.
bool OwnerOnly(const QString &path)
{
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions permissions = QFileInfo(path).permissions();
    return permissions.testFlag(QFileDevice::ReadOwner) && permissions.testFlag(QFileDevice::WriteOwner) &&
           !(permissions & others);
}

// The usual umask for the scope, so that a file created with the default mode is readable by all.
class UsualUmask
{
public:
    UsualUmask() : m_old(::umask(022)) {}
    ~UsualUmask() { ::umask(m_old); }
    UsualUmask(const UsualUmask &) = delete;
    UsualUmask &operator=(const UsualUmask &) = delete;

private:
    mode_t m_old;
};

// The delivered database, whole: every table of the program's and the "sa" operator.
bool CompleteDatabase(const QString &path, QString *why)
{
    TestConnection connection(QStringLiteral("Provider=SQLite;Data Source=") + path);
    if (!connection.db.isOpen()) {
        *why = connection.db.lastError().text();
        return false;
    }
    const QStringList missing = Schema::MissingTables(connection.db);
    if (!missing.isEmpty()) {
        *why = QStringLiteral("missing tables: ") + missing.join(QLatin1Char(' '));
        return false;
    }
    QSqlQuery sa = Run(connection.db, QStringLiteral("select count(*) from operator where LoginId='sa'"));
    if (!sa.next() || sa.value(0).toInt() != 1) {
        *why = QStringLiteral("no sa operator");
        return false;
    }
    return true;
}

} // namespace

class TSchemaTest : public QObject
{
    Q_OBJECT

private slots:
    void scriptsAgree();
    void statements_data();
    void statements();

    void describedColumns_data() { TestDb::AddEngineRows(); }
    void describedColumns();
    void everyTableStartsAsDelivered_data() { TestDb::AddEngineRows(); }
    void everyTableStartsAsDelivered();
    void seedRows_data() { TestDb::AddEngineRows(); }
    void seedRows();
    void keysAreSuppliedByTheProgram_data() { TestDb::AddEngineRows(); }
    void keysAreSuppliedByTheProgram();
    void newKeyvalueRowHoldsNulls_data() { TestDb::AddEngineRows(); }
    void newKeyvalueRowHoldsNulls();
    void columnNamesIgnoreLetterCase_data() { TestDb::AddEngineRows(); }
    void columnNamesIgnoreLetterCase();
    void valuesRoundTrip_data() { TestDb::AddEngineRows(); }
    void valuesRoundTrip();
    void chineseTextInStatements_data() { TestDb::AddEngineRows(); }
    void chineseTextInStatements();

    void deliveredDatabaseIsOwnerOnly();
    void deliveredDatabaseRefusesExistingPath_data();
    void deliveredDatabaseRefusesExistingPath();
    void deliveredConfigReadsAsSettings();
    void ensureDeliveredFiles_data();
    void ensureDeliveredFiles();
    void killedFirstStartLeavesNothingHalfMade();
};

// The SQL Server script cannot run here, so it is held to the two that do: the same tables,
// the same columns with the same kinds and null rules, the same seed rows.
void TSchemaTest::scriptsAgree()
{
    struct Edition
    {
        Schema::Engine engine;
        const char *name;
    };
    const Edition editions[] = {{Schema::Engine::SQLite, "sqlite"},
                                {Schema::Engine::PostgreSQL, "postgresql"},
                                {Schema::Engine::SqlServer, "mssql"}};
    const ScriptTables reference = ParseTables(Schema::Script(Schema::Engine::SQLite));
    const QStringList referenceInserts = NormalizedInserts(Schema::Script(Schema::Engine::SQLite));
    // operator, backup and Company, and the two delivered report templates.
    QCOMPARE(referenceInserts.size(), 5);

    for (const Edition &edition : editions) {
        const ScriptTables tables = ParseTables(Schema::Script(edition.engine));
        QStringList names;
        for (const auto &[name, columns] : tables)
            names << name;
        QCOMPARE(names, Lowered(Schema::TableNames()));

        for (const auto &[table, columns] : tables) {
            const auto &referenceColumns = reference.at(table);
            QVERIFY2(columns.size() == referenceColumns.size(), qPrintable(edition.name + (" " + table)));
            for (const auto &[column, declared] : columns) {
                const QString where =
                    QStringLiteral("%1: %2.%3").arg(QLatin1String(edition.name), table, column);
                QVERIFY2(referenceColumns.count(column) == 1, qPrintable(where));
                const ScriptColumn &expected = referenceColumns.at(column);
                const auto kind = KindOfDeclaredType(edition.engine, declared.declaredType);
                QVERIFY2(kind.has_value(), qPrintable(where + QStringLiteral(" ") + declared.declaredType));
                QVERIFY2(kind == KindOfDeclaredType(Schema::Engine::SQLite, expected.declaredType),
                         qPrintable(where));
                QVERIFY2(declared.notNull == expected.notNull && declared.primaryKey == expected.primaryKey,
                         qPrintable(where));
            }
            // Only keys refuse nulls: every other column may be left unset by an insert.
            for (const auto &[column, declared] : columns)
                QVERIFY2(declared.notNull == declared.primaryKey,
                         qPrintable(table + QLatin1Char('.') + column));
        }

        for (const DescribedColumn &described : Described) {
            const QString table = QString::fromLatin1(described.table).toLower();
            const QString column = QString::fromLatin1(described.column).toLower();
            const QString where = QStringLiteral("%1: %2.%3").arg(QLatin1String(edition.name), table, column);
            QVERIFY2(tables.count(table) && tables.at(table).count(column), qPrintable(where));
            const ScriptColumn &declared = tables.at(table).at(column);
            QVERIFY2(
                KindOfDeclaredType(edition.engine, declared.declaredType) == described.kind,
                qPrintable(where + QStringLiteral(" should be ") + QLatin1String(KindName(described.kind))));
            QCOMPARE(declared.primaryKey, described.key);
        }

        QCOMPARE(NormalizedInserts(Schema::Script(edition.engine)), referenceInserts);
    }
}

void TSchemaTest::statements_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("plain") << QStringLiteral("create table a (x int);\ninsert into a values (1);")
                           << QStringList{QStringLiteral("create table a (x int)"),
                                          QStringLiteral("insert into a values (1)")};
    QTest::newRow("semicolon in literal")
        << QStringLiteral("insert into a values ('x;y');select 1")
        << QStringList{QStringLiteral("insert into a values ('x;y')"), QStringLiteral("select 1")};
    QTest::newRow("doubled quote in literal")
        << QStringLiteral("insert into a values ('it''s;here');select 2;")
        << QStringList{QStringLiteral("insert into a values ('it''s;here')"), QStringLiteral("select 2")};
    QTest::newRow("comments dropped")
        << QStringLiteral("-- heading; with a semicolon\nselect 1; -- trailing; note\n-- last\n")
        << QStringList{QStringLiteral("select 1")};
    QTest::newRow("dashes in literal kept") << QStringLiteral("insert into a values ('--;--');")
                                            << QStringList{QStringLiteral("insert into a values ('--;--')")};
    QTest::newRow("semicolon in quoted name")
        << QStringLiteral("select \"a;b\" from t;") << QStringList{QStringLiteral("select \"a;b\" from t")};
    QTest::newRow("blank statements skipped")
        << QStringLiteral(" ;\n;\n select 3 ;;") << QStringList{QStringLiteral("select 3")};
    QTest::newRow("empty") << QString() << QStringList{};
}

void TSchemaTest::statements()
{
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    QCOMPARE(Schema::Statements(script), expected);
}

void TSchemaTest::describedColumns()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    const bool sqlite = engine == QLatin1String("sqlite");

    // What the driver reports for each kind: SQLite keeps dates as text, and neither driver
    // tells a short text from a long one.
    auto expectedType = [&](Kind kind) {
        switch (kind) {
        case Kind::Integer:
            return QMetaType::Int;
        case Kind::Text:
        case Kind::Memo:
            return QMetaType::QString;
        case Kind::DateTime:
            return sqlite ? QMetaType::QString : QMetaType::QDateTime;
        case Kind::Float:
            return QMetaType::Double;
        case Kind::Boolean:
            return QMetaType::Bool;
        case Kind::Binary:
            return QMetaType::QByteArray;
        }
        return QMetaType::UnknownType;
    };
    for (const DescribedColumn &described : Described) {
        QSqlQuery query =
            Run(connection->db, QStringLiteral("select %1 from %2 where 1=0")
                                    .arg(QLatin1String(described.column), QLatin1String(described.table)));
        VERIFY_EXEC(query);
        const QSqlField field = query.record().field(0);
        // Document sizes are 64-bit where the engine declares widths (SQLite's integer is).
        const bool large = !sqlite && QLatin1String(described.column) == QLatin1String("Filebyte");
        QVERIFY2(field.metaType().id() == (large ? QMetaType::LongLong : expectedType(described.kind)),
                 qPrintable(QStringLiteral("%1.%2 reads as %3")
                                .arg(QLatin1String(described.table), QLatin1String(described.column),
                                     QLatin1String(field.metaType().name()))));
    }
}

void TSchemaTest::everyTableStartsAsDelivered()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    const QMap<QString, int> seeded{{QStringLiteral("operator"), 1},
                                    {QStringLiteral("Company"), 1},
                                    {QStringLiteral("backup"), 1},
                                    {QStringLiteral("report"), 2}};
    for (const QString &table : Schema::TableNames()) {
        QSqlQuery query = Run(connection->db, QStringLiteral("select count(*) from %1").arg(table));
        VERIFY_EXEC(query);
        QVERIFY(query.next());
        QVERIFY2(query.value(0).toInt() == seeded.value(table, 0), qPrintable(table));
    }
    // The clear-data command empties its tables in one transaction; every one must take it.
    QVERIFY(connection->db.transaction());
    for (const QString &table : Schema::ClearDataTables()) {
        QSqlQuery query = Run(connection->db, QStringLiteral("delete from ") + table);
        VERIFY_EXEC(query);
    }
    QVERIFY(connection->db.rollback());
}

void TSchemaTest::seedRows()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    QSqlDatabase &db = connection->db;

    QSqlQuery sa = Run(db, QStringLiteral("select Password from operator where LoginId='sa'"));
    VERIFY_EXEC(sa);
    QVERIFY(sa.next());
    // An empty password, not a missing one: the login compares texts.
    QVERIFY(!sa.value(0).isNull());
    QCOMPARE(sa.value(0).toString(), QString());

    QSqlQuery backup = Run(db, QStringLiteral("select TypeId, BackDir from backup"));
    VERIFY_EXEC(backup);
    QVERIFY(backup.next());
    QCOMPARE(backup.value(0).toInt(), 0);
    QVERIFY(!backup.value(1).isNull());
    QVERIFY(!backup.next());

    QSqlQuery company = Run(db, QStringLiteral("select Id, CompanyName, Updated from Company"));
    VERIFY_EXEC(company);
    QVERIFY(company.next());
    QCOMPARE(company.value(0).toInt(), 1);
    QCOMPARE(company.value(1).toString(), QString());
    QVERIFY(!company.value(2).isNull());
    QCOMPARE(company.value(2).toBool(), false);

    // The unconditional backup update must reach the one row and no other.
    QSqlQuery update =
        Run(db, QStringLiteral("update backup set TypeId=?, BackDir=?"), {2, QStringLiteral("/srv/备份/")});
    VERIFY_EXEC(update);
    QCOMPARE(update.numRowsAffected(), 1);
}

void TSchemaTest::keysAreSuppliedByTheProgram()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    QSqlDatabase &db = connection->db;

    struct KeyCase
    {
        const char *table;
        const char *key;
        const char *other; // a text column
        QVariant first;
        QVariant lower;
    };
    const KeyCase cases[] = {
        {"catas", "Id", "Name", 7, 3},
        {"archives", "Id", "Name", 7, 3},
        {"lends", "Id", "Borrower", 7, 3},
        {"report", "Id", "Title", 7, 3},
        {"options", "Key", "List", 7, 3},
        {"keyvalue", "KeyId", "Vstr", 2, 0},
        {"syscols", "F02", "F06", 1005, 1003},
        // The company row the first save makes in an empty table has the key 0.
        {"Company", "Id", "CompanyName", 0, -1},
        {"operator", "LoginId", "Name", QStringLiteral("管理员"), QStringLiteral("abc")},
    };
    for (const KeyCase &c : cases) {
        const QString table = QLatin1String(c.table);
        const QString key = QLatin1String(c.key);
        const QString other = QLatin1String(c.other);
        const QString insert = QStringLiteral("insert into %1 (%2, %3) values (?, ?)").arg(table, key, other);

        // Explicit keys are taken as given, also below one already stored.
        VERIFY_EXEC(Run(db, insert, {c.first, QStringLiteral("a")}));
        VERIFY_EXEC(Run(db, insert, {c.lower, QStringLiteral("b")}));
        QSqlQuery read =
            Run(db, QStringLiteral("select %1 from %2 where %3=?").arg(other, table, key), {c.first});
        VERIFY_EXEC(read);
        QVERIFY2(read.next() && read.value(0).toString() == QLatin1String("a"), c.table);

        // A key is never made up by the database: a missing or null one is refused, and so is
        // a second row with the same key.
        QVERIFY2(!Run(db, QStringLiteral("insert into %1 (%2) values ('c')").arg(table, other)).isActive(),
                 c.table);
        QVERIFY2(!Run(db, insert, {QVariant(), QStringLiteral("d")}).isActive(), c.table);
        QVERIFY2(!Run(db, insert, {c.first, QStringLiteral("e")}).isActive(), c.table);
    }
}

void TSchemaTest::newKeyvalueRowHoldsNulls()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    QSqlQuery insert(connection->db);
    insert.prepare(QStringLiteral("insert into keyvalue(KeyId) values (:KeyId)"));
    insert.bindValue(QStringLiteral(":KeyId"), 1);
    QVERIFY2(insert.exec(), qPrintable(insert.lastError().text()));

    QSqlQuery read =
        Run(connection->db, QStringLiteral("select Vint, Vstr, Vfloat, Vbool from keyvalue where KeyId=1"));
    VERIFY_EXEC(read);
    QVERIFY(read.next());
    for (int i = 0; i < 4; ++i)
        QVERIFY2(read.value(i).isNull(), qPrintable(read.record().fieldName(i)));
}

void TSchemaTest::columnNamesIgnoreLetterCase()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    QSqlDatabase &db = connection->db;

    VERIFY_EXEC(Run(db, QStringLiteral("insert into archives (Id, Code, Name) values (1, 'A-1', 'x')")));
    VERIFY_EXEC(Run(db, QStringLiteral("insert into lends (Id, ArcId, Borrower) values (1, 1, 'b')")));
    VERIFY_EXEC(Run(db, QStringLiteral("insert into lends (Id, ArcId, Borrower) values (2, 1, 'b')")));
    VERIFY_EXEC(
        Run(db, QStringLiteral("update LENDS set RETURNDATE=? where ID=2"),
            {engine == QLatin1String("sqlite") ? QVariant(QStringLiteral("2013-01-10"))
                                               : QVariant(QDateTime(QDate(2013, 1, 10), QTime(0, 0)))}));

    VERIFY_EXEC(Run(db, QStringLiteral("select ReturnDate, returndate, Returndate from lends")));
    QSqlQuery lends = Run(db, QStringLiteral("select a.Id, (select count(0) from lends where ArcId=a.Id and "
                                             "(ReturnDate is null)) as Lends from archives a"));
    VERIFY_EXEC(lends);
    QVERIFY(lends.next());
    QCOMPARE(lends.value(1).toInt(), 1);
}

void TSchemaTest::valuesRoundTrip()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    QSqlDatabase &db = connection->db;
    const bool sqlite = engine == QLatin1String("sqlite");

    QByteArray everyByte;
    for (int round = 0; round < 64; ++round)
        for (int b = 0; b < 256; ++b)
            everyByte.append(char(b));
    const QDateTime lent(QDate(2013, 1, 10), QTime(8, 30, 15));

    struct RoundTrip
    {
        const char *table;
        const char *key;
        const char *column;
        QVariant value;
    };
    // Texts as long as the lists read, in Chinese, which counts characters, not bytes; the
    // extremes of the numeric kinds; a whole file's bytes with every byte value.
    const RoundTrip cases[] = {
        {"catas", "Id", "Name", QString(30, QChar(0x6863))},
        {"catas", "Id", "Code", QString(50, QLatin1Char('9'))},
        {"archives", "Id", "Filepath", QStringLiteral("/home/档案/") + QString(240, QLatin1Char('f'))},
        {"archives", "Id", "Notes", QString(20000, QChar(0x5377))},
        {"archives", "Id", "Filebyte", 2147483647},
        {"lends", "Id", "Notes", QString(16, QChar(0x501F))},
        {"lends", "Id", "Lendate",
         sqlite ? QVariant(lent.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))) : QVariant(lent)},
        {"operator", "LoginId", "Rights", QString(5000, QLatin1Char('1'))},
        {"keyvalue", "KeyId", "Vint", -2147483647 - 1},
        {"keyvalue", "KeyId", "Vfloat", 0.1 + 0.2},
        {"keyvalue", "KeyId", "Vbool", true},
        {"keyvalue", "KeyId", "Vstr", QStringLiteral("第一行\r\n第二行'\"")},
        {"report", "Id", "Fr3File", everyByte},
        {"Company", "Id", "Profile", QStringLiteral("公司简介")},
        {"Company", "Id", "Updated", true},
    };
    int key = 100;
    for (const RoundTrip &c : cases) {
        ++key;
        const QString table = QLatin1String(c.table);
        const QString keyColumn = QLatin1String(c.key);
        const QString column = QLatin1String(c.column);
        const QVariant keyValue =
            keyColumn == QLatin1String("LoginId") ? QVariant(QString::number(key)) : QVariant(key);
        VERIFY_EXEC(Run(db,
                        QStringLiteral("insert into %1 (%2, %3) values (?, ?)").arg(table, keyColumn, column),
                        {keyValue, c.value}));
        QSqlQuery read =
            Run(db, QStringLiteral("select %1 from %2 where %3=?").arg(column, table, keyColumn), {keyValue});
        VERIFY_EXEC(read);
        QVERIFY(read.next());
        const QVariant back = read.value(0);
        const QString where = table + QLatin1Char('.') + column;
        switch (c.value.metaType().id()) {
        case QMetaType::QString:
            QVERIFY2(back.toString() == c.value.toString(), qPrintable(where));
            break;
        case QMetaType::QByteArray:
            QVERIFY2(back.toByteArray() == c.value.toByteArray(), qPrintable(where));
            break;
        case QMetaType::Double:
            // Exactly: a single-precision column would lose the last digits.
            QVERIFY2(back.toDouble() == c.value.toDouble(), qPrintable(where));
            break;
        case QMetaType::Bool:
            QVERIFY2(back.toBool() == c.value.toBool(), qPrintable(where));
            break;
        case QMetaType::QDateTime:
            QVERIFY2(back.toDateTime() == c.value.toDateTime(), qPrintable(where));
            break;
        default:
            QVERIFY2(back.toLongLong() == c.value.toLongLong(), qPrintable(where));
        }
    }
}

void TSchemaTest::chineseTextInStatements()
{
    QFETCH(QString, engine);
    if (!TestDb::RequireEngine(engine))
        return;
    auto connection = FreshDatabase(engine);
    if (!connection)
        return;
    QSqlDatabase &db = connection->db;

    // Searches paste their conditions into the statement text, so Chinese travels there too.
    VERIFY_EXEC(Run(db, QStringLiteral("insert into catas (Id, Name, Note, SlfId, PrtId) values "
                                       "(1, '人事档案', '备注', 1, 0)")));
    QSqlQuery byText = Run(db, QStringLiteral("select Id, Name from catas where Name like '%事档%'"));
    VERIFY_EXEC(byText);
    QVERIFY(byText.next());
    QCOMPARE(byText.value(1).toString(), QStringLiteral("人事档案"));
    QSqlQuery byValue =
        Run(db, QStringLiteral("select Id from catas where Note=?"), {QStringLiteral("备注")});
    VERIFY_EXEC(byValue);
    QVERIFY(byValue.next());
    QCOMPARE(byValue.value(0).toInt(), 1);
}

void TSchemaTest::deliveredDatabaseIsOwnerOnly()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("delivered.db"));
    Schema::CreateDeliveredDatabase(path);

    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                            QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                            QFileDevice::WriteOther | QFileDevice::ExeOther;
    const QFileDevice::Permissions permissions = QFileInfo(path).permissions();
    QVERIFY(permissions.testFlag(QFileDevice::ReadOwner));
    QVERIFY(permissions.testFlag(QFileDevice::WriteOwner));
    QVERIFY(!(permissions & others));
    QVERIFY(!permissions.testFlag(QFileDevice::ExeOwner));

    TestConnection connection(QStringLiteral("Provider=SQLite;Data Source=") + path);
    QVERIFY(connection.db.isOpen());
    QSqlQuery sa = Run(connection.db, QStringLiteral("select count(*) from operator where LoginId='sa'"));
    VERIFY_EXEC(sa);
    QVERIFY(sa.next());
    QCOMPARE(sa.value(0).toInt(), 1);
}

void TSchemaTest::deliveredDatabaseRefusesExistingPath_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("existing");
    QTest::newRow("existing file") << QStringLiteral("taken.db") << QByteArray("someone's data\n");
    QTest::newRow("empty existing file") << QStringLiteral("empty.db") << QByteArray();
    QTest::newRow("missing directory") << QStringLiteral("no-such-dir/new.db") << QByteArray();
}

void TSchemaTest::deliveredDatabaseRefusesExistingPath()
{
    QFETCH(QString, fileName);
    QFETCH(QByteArray, existing);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(fileName);
    const bool present = !fileName.contains(QLatin1Char('/'));
    if (present)
        QVERIFY(WriteAll(path, existing));

    QVERIFY_THROWS_EXCEPTION(Exception, Schema::CreateDeliveredDatabase(path));
    QCOMPARE(QFileInfo::exists(path), present);
    if (present)
        QCOMPARE(ReadAll(path), existing);
}

void TSchemaTest::deliveredConfigReadsAsSettings()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("cfg.ini"));
    QVERIFY(WriteAll(path, Schema::DeliveredConfig()));
    QSettings settings(path, QSettings::IniFormat);
    QCOMPARE(settings.status(), QSettings::NoError);
    // The local file with the default connection, so that the first start needs no form.
    QCOMPARE(settings.value(QStringLiteral("db/providerIdx")).toInt(), 1);
    QCOMPARE(settings.value(QStringLiteral("db/defaultCon")).toInt(), 1);
    QCOMPARE(settings.value(QStringLiteral("db/mssqlPort")).toInt(), 1433);
    QCOMPARE(settings.value(QStringLiteral("db/ConnStr")).toString(), QString());
    QVERIFY(settings.contains(QStringLiteral("Login/LastLoginId")));
}

void TSchemaTest::ensureDeliveredFiles_data()
{
    QTest::addColumn<bool>("configPresent");
    QTest::addColumn<bool>("databasePresent");
    QTest::newRow("first start") << false << false;
    // The missing database is the connect loop's question, not laid down here.
    QTest::newRow("settings only") << true << false;
    QTest::newRow("database only") << false << true;
    QTest::newRow("both present") << true << true;
}

void TSchemaTest::ensureDeliveredFiles()
{
    QFETCH(bool, configPresent);
    QFETCH(bool, databasePresent);
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const EnvironmentGuard guard("PZARC_HOME", home.path());
    const UsualUmask umask;
    const QString config = home.filePath(QStringLiteral("cfg.ini"));
    const QString database = home.filePath(Schema::DefaultDatabaseFileName());
    const QByteArray ownConfig("[db]\r\nproviderIdx=3\r\n");
    const QByteArray ownDatabase("the user's own database\n");
    if (configPresent)
        QVERIFY(WriteAll(config, ownConfig));
    if (databasePresent)
        QVERIFY(WriteAll(database, ownDatabase));

    QCOMPARE(Schema::EnsureDeliveredFiles(), !configPresent);
    QCOMPARE(ReadAll(config), configPresent ? ownConfig : Schema::DeliveredConfig());
    if (!configPresent)
        QVERIFY2(OwnerOnly(config), "cfg.ini holds the scrambled passwords");
    if (databasePresent) {
        QCOMPARE(ReadAll(database), ownDatabase);
    } else if (configPresent) {
        QVERIFY(!QFileInfo::exists(database));
    } else {
        QString why;
        QVERIFY2(CompleteDatabase(database, &why), qPrintable(why));
        QVERIFY(OwnerOnly(database));
    }
    // Nothing but the two files is left behind.
    QStringList expected{QStringLiteral("cfg.ini")};
    if (databasePresent || !configPresent)
        expected << Schema::DefaultDatabaseFileName();
    QCOMPARE(QDir(home.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);

    QCOMPARE(Schema::EnsureDeliveredFiles(), false);
}

// A first start killed at any moment while it lays down its files leaves either nothing the
// next start could mistake for them, or the complete files; the next start then ends with
// both complete. The laying down runs in a child process that is killed after a growing delay.
void TSchemaTest::killedFirstStartLeavesNothingHalfMade()
{
    QTemporaryDir root;
    QVERIFY(root.isValid());
    // Runs the first start in a child and kills it after `delayUs` (never, when negative);
    // answers the microseconds the child ran, or -1 when it could not be run.
    auto layDownInChild = [](qint64 delayUs) -> qint64 {
        QElapsedTimer clock;
        clock.start();
        const pid_t pid = ::fork();
        if (pid < 0)
            return -1;
        if (pid == 0) {
            int code = 0;
            try {
                Schema::EnsureDeliveredFiles();
            } catch (...) {
                code = 1;
            }
            ::_exit(code);
        }
        if (delayUs >= 0) {
            ::usleep(useconds_t(delayUs));
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        // A child that does not finish within half a minute is stuck: killed, it fails the test.
        while (::waitpid(pid, &status, WNOHANG) == 0) {
            if (clock.elapsed() > 30000) {
                ::kill(pid, SIGKILL);
                ::waitpid(pid, &status, 0);
                return -1;
            }
            ::usleep(200);
        }
        if (delayUs < 0 && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
            return -1;
        return clock.nsecsElapsed() / 1000;
    };

    // One whole run gives the time the killing delays are spread over.
    qint64 wholeRun = 0;
    {
        const QString home = root.filePath(QStringLiteral("whole"));
        QVERIFY(QDir().mkpath(home));
        const EnvironmentGuard guard("PZARC_HOME", home);
        wholeRun = layDownInChild(-1);
        QVERIFY(wholeRun > 0);
        QString why;
        QVERIFY2(CompleteDatabase(QDir(home).filePath(Schema::DefaultDatabaseFileName()), &why),
                 qPrintable(why));
    }

    const int rounds = 16;
    int killedWhileBuilding = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString home = root.filePath(QStringLiteral("round%1").arg(round));
        QVERIFY(QDir().mkpath(home));
        const EnvironmentGuard guard("PZARC_HOME", home);
        const QString config = QDir(home).filePath(QStringLiteral("cfg.ini"));
        const QString database = QDir(home).filePath(Schema::DefaultDatabaseFileName());
        QVERIFY(layDownInChild(wholeRun * round / (rounds - 2)) >= 0);

        const QString tag = QStringLiteral("round %1: ").arg(round);
        QString why;
        if (QFileInfo::exists(config)) {
            QCOMPARE(ReadAll(config), Schema::DeliveredConfig());
            QVERIFY2(QFileInfo::exists(database),
                     qPrintable(tag + QStringLiteral("settings without database")));
        }
        if (QFileInfo::exists(database))
            QVERIFY2(CompleteDatabase(database, &why), qPrintable(tag + why));
        else if (!QDir(home).entryList({QStringLiteral("pzarc.db*")}, QDir::Files).isEmpty())
            ++killedWhileBuilding;

        // The next start.
        Schema::EnsureDeliveredFiles();
        QCOMPARE(ReadAll(config), Schema::DeliveredConfig());
        QVERIFY2(CompleteDatabase(database, &why), qPrintable(tag + why));
    }
    // Some kill came while the database was being built, or the test proved nothing.
    QVERIFY(killedWhileBuilding > 0);
}

PZ_TEST(TSchemaTest)
#include "tst_schema.moc"
