#include "Database.h"

#include "ConnectionString.h"

#include "DataSet.h"
#include "Prompts.h"
#include "QuerySets.h"

#include <QFileInfo>
#include <QIODevice>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

TDatabase *Database = nullptr;

namespace {

QString EngineMessage(const QSqlError &error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.text().trimmed();
    if (text.isEmpty())
        text = QStringLiteral("未知的数据库错误");
    return text;
}

int g_connectionCounter = 0;

// Databases laid down before document sizes were 64-bit hold Filebyte as a 32-bit integer,
// which refuses a document of 2 GiB or more. The column is widened once, on the first
// connection that finds it narrow. A login that may not alter the table still works with
// the narrow column, so a refusal is not a connection failure; the lock wait is bounded so
// that another session holding the table cannot stall the start.
void WidenDocumentSizes(QSqlDatabase &db)
{
    QSqlQuery query(db);
    if (!query.exec(
            QStringLiteral("select data_type from information_schema.columns where table_schema = "
                           "current_schema() and table_name = 'archives' and column_name = 'filebyte'")) ||
        !query.next() || query.value(0).toString() != QLatin1String("integer"))
        return;
    query.finish();
    if (!db.transaction())
        return;
    if (query.exec(QStringLiteral("set local lock_timeout = '5s'")) &&
        query.exec(QStringLiteral("alter table archives alter column Filebyte type bigint"))) {
        query.finish();
        if (db.commit())
            return;
    }
    query.finish();
    db.rollback();
}

} // namespace

TDBParameter DBParam(const QString &name, const QVariant &value)
{
    return TDBParameter{name, value};
}

// ---- TDbCommand ----

TDbCommand::TDbCommand(TDatabase *database, const QString &statement)
    : m_database(database), m_statement(statement), m_translated(TranslateSql(statement, database->Engine()))
{
    m_values.resize(m_translated.paramNames.size());
    m_bound.resize(m_translated.paramNames.size());
}

void TDbCommand::Bind(const TDBParameters &params, const TxDBParameters &blobs)
{
    auto assign = [this](const QString &name, const QVariant &value) {
        bool found = false;
        for (qsizetype i = 0; i < m_translated.paramNames.size(); ++i) {
            if (m_translated.paramNames[i].compare(name, Qt::CaseInsensitive) == 0) {
                m_values[i] = value;
                m_bound[i] = true;
                found = true;
            }
        }
        if (!found)
            throw EParamError(QStringLiteral("语句中没有参数 %1。").arg(name));
    };
    for (const TDBParameter &param : params)
        assign(param.Name, m_database->EngineValue(param.Value));
    for (const TxDBParameter &blob : blobs) {
        QByteArray bytes;
        if (blob.Stream) {
            if (!blob.Stream->isOpen() && !blob.Stream->open(QIODevice::ReadOnly))
                throw EParamError(QStringLiteral("无法读取参数 %1 的数据。").arg(blob.Name));
            bytes = blob.Stream->readAll();
        }
        // An empty stream still binds an empty (not null) value.
        if (bytes.isNull())
            bytes = QByteArray("");
        assign(blob.Name, bytes);
    }
}

QSqlQuery TDbCommand::Prepare(bool forwardOnly) const
{
    for (qsizetype i = 0; i < m_bound.size(); ++i)
        if (!m_bound[i])
            throw EDatabaseError(QStringLiteral("没有为参数 %1 提供值。").arg(m_translated.paramNames[i]));
    QSqlQuery query(m_database->Connection());
    query.setForwardOnly(forwardOnly);
    if (!query.prepare(m_translated.text))
        throw EDatabaseError(EngineMessage(query.lastError()));
    for (qsizetype i = 0; i < m_values.size(); ++i)
        query.bindValue(int(i), m_values[i]);
    return query;
}

int TDbCommand::Run()
{
    try {
        QSqlQuery query = Prepare(true);
        if (!query.exec())
            throw EDatabaseError(EngineMessage(query.lastError()));
        const int affected = query.numRowsAffected();
        return affected < 0 ? 0 : affected;
    } catch (const EDatabaseError &e) {
        throw EDatabaseError(e.Message() + QStringLiteral("\r\n") + m_statement);
    }
}

// ---- TDatabase ----

TDatabase::TDatabase() : m_connectionName(QStringLiteral("pzarc-%1").arg(++g_connectionCounter)) {}

TDatabase::~TDatabase()
{
    SetConnected(false);
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase TDatabase::Connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

bool TDatabase::Connected() const
{
    return QSqlDatabase::contains(m_connectionName) && Connection().isOpen();
}

void TDatabase::OpenConnection()
{
    const ConnStr::QtSettings settings = ConnStr::ToQt(m_connectionString, ConnStr::DefaultAliasFile());
    if (!QSqlDatabase::isDriverAvailable(settings.driver))
        throw EDatabaseError(QStringLiteral("数据库驱动 %1 不可用。").arg(settings.driver));
    if (settings.kind == ConnStr::Kind::SQLite && !QFileInfo(settings.databaseName).isFile())
        throw EDatabaseError(QStringLiteral("数据库文件不存在: %1").arg(settings.databaseName));

    if (QSqlDatabase::contains(m_connectionName))
        QSqlDatabase::removeDatabase(m_connectionName);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(settings.driver, m_connectionName);
        db.setDatabaseName(settings.databaseName);
        if (!settings.host.isEmpty())
            db.setHostName(settings.host);
        if (settings.port > 0)
            db.setPort(settings.port);
        db.setUserName(settings.user);
        db.setPassword(settings.password);
        db.setConnectOptions(settings.options);
        if (!db.open())
            throw EDatabaseError(EngineMessage(db.lastError()));
        if (settings.kind == ConnStr::Kind::SQLite) {
            // SQLite opens any file lazily; read its catalogue so that a file that is not a
            // database fails here rather than at the first statement.
            QSqlQuery probe(db);
            if (!probe.exec(QStringLiteral("select count(*) from sqlite_master"))) {
                const QString message = EngineMessage(probe.lastError());
                probe = QSqlQuery();
                db.close();
                throw EDatabaseError(message);
            }
        }
        if (settings.kind == ConnStr::Kind::PostgreSQL)
            WidenDocumentSizes(db);
    }
    switch (settings.kind) {
    case ConnStr::Kind::SQLite:
        m_engine = SqlEngine::SQLite;
        break;
    case ConnStr::Kind::PostgreSQL:
        m_engine = SqlEngine::PostgreSQL;
        break;
    case ConnStr::Kind::SqlServer:
        m_engine = SqlEngine::SqlServer;
        break;
    }
}

bool TDatabase::Open(const QString &connectionString)
{
    SetConnected(false);
    m_connectionString = connectionString;
    try {
        OpenConnection();
    } catch (const Exception &e) {
        ShowInfo(QStringLiteral("连接时失败,提示如下:\r\n%1").arg(e.Message()));
    }
    return Connected();
}

void TDatabase::SetConnected(bool connected)
{
    if (connected == Connected())
        return;
    if (connected) {
        OpenConnection();
        return;
    }
    if (m_inTransaction)
        Connection().rollback();
    m_inTransaction = false;
    Connection().close();
}

void TDatabase::EnsureOpen()
{
    if (!Connected())
        OpenConnection();
}

std::unique_ptr<TDbCommand> TDatabase::CreateCommand(const QString &statement)
{
    EnsureOpen();
    return std::unique_ptr<TDbCommand>(new TDbCommand(this, statement));
}

int TDatabase::ExecSql(const QString &statement, const TDBParameters &params, const TxDBParameters &blobs)
{
    auto command = CreateCommand(statement);
    command->Bind(params, blobs);
    return command->Run();
}

void TDatabase::Execute(const QString &statement, const TDBParameters &params, const TxDBParameters &blobs)
{
    auto command = CreateCommand(statement);
    command->Bind(params, blobs);
    command->Run();
}

QString TDatabase::ConnectionValue(const QString &key) const
{
    return ConnStr::ValueAfterKey(m_connectionString, key);
}

bool TDatabase::IsNotJet() const
{
    return Provider() != QLatin1String("SQLite");
}

SqlDialect TDatabase::Dialect() const
{
    return {m_engine, Provider() == QLatin1String("Microsoft.Jet.OLEDB.4.0")};
}

QString TDatabase::DateLiteral(const QDate &value) const
{
    return Dialect().DateLiteral(value);
}

QString TDatabase::DateLiteral(const QDateTime &value) const
{
    return DateLiteral(value.date());
}

int TDatabase::BeginTrans()
{
    EnsureOpen();
    QSqlDatabase db = Connection();
    if (!db.transaction())
        throw EDatabaseError(EngineMessage(db.lastError()));
    m_inTransaction = true;
    return 1;
}

void TDatabase::CommitTrans()
{
    QSqlDatabase db = Connection();
    if (!db.commit()) {
        // SQLite keeps the transaction open when COMMIT fails (a reader holding the file past
        // the busy timeout); left so, every later write would join it and be lost at exit.
        // Rolling back here ends it on every engine, and the commit's error is what the
        // caller hears.
        const QString message = EngineMessage(db.lastError());
        db.rollback();
        m_inTransaction = false;
        throw EDatabaseError(message);
    }
    m_inTransaction = false;
}

void TDatabase::RollbackTrans()
{
    QSqlDatabase db = Connection();
    m_inTransaction = false;
    if (!db.rollback())
        throw EDatabaseError(EngineMessage(db.lastError()));
}

QVariant TDatabase::EngineValue(const QVariant &value) const
{
    if (value.isNull())
        return value;
    // A NUL pasted into a text box is never meant as content, and PostgreSQL text cannot hold
    // one at all: texts go to every engine without it. Blobs travel as bytes, untouched.
    if (value.typeId() == QMetaType::QString) {
        const QString &text = *static_cast<const QString *>(value.constData());
        if (text.contains(QChar(0)))
            return QString(text).remove(QChar(0));
        return value;
    }
    if (m_engine == SqlEngine::SqlServer)
        return value;
    // Dates travel as ISO text: "yyyy-mm-dd" for a date without time of day (SQLite only),
    // "yyyy-mm-dd hh:nn:ss" otherwise, so that text comparisons with date bounds hold.
    if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate) {
        const QDateTime dt =
            value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
        if (m_engine == SqlEngine::SQLite && dt.time() == QTime(0, 0))
            return dt.toString(QStringLiteral("yyyy-MM-dd"));
        return dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    return value;
}

void TDatabase::OpenQuery(const QString &statement, const TDBParameters &params, TDataSet &dataSet,
                          bool fieldsFromResult)
{
    auto command = CreateCommand(statement);
    command->Bind(params, {});
    QSqlQuery query = command->Prepare(true);
    if (!query.exec())
        throw EDatabaseError(EngineMessage(query.lastError()));

    const QSqlRecord record = query.record();
    dataSet.Close();
    if (fieldsFromResult) {
        dataSet.ClearFields();
        for (int c = 0; c < record.count(); ++c)
            dataSet.AddField(FieldKind::Variant, record.fieldName(c));
    }
    std::vector<int> columns(size_t(dataSet.FieldCount()), -1);
    for (int f = 0; f < dataSet.FieldCount(); ++f) {
        const TField *field = dataSet.Field(f);
        if (field->Calculated())
            continue;
        for (int c = 0; c < record.count(); ++c) {
            if (record.fieldName(c).compare(field->FieldName(), Qt::CaseInsensitive) == 0) {
                columns[size_t(f)] = c;
                break;
            }
        }
        if (columns[size_t(f)] < 0)
            throw EDatabaseError(QStringLiteral("找不到字段 '%1'").arg(field->FieldName()));
    }

    std::vector<QVariant> values(columns.size());
    dataSet.BeginLoad();
    try {
        while (query.next()) {
            for (size_t f = 0; f < columns.size(); ++f)
                values[f] = columns[f] < 0 ? QVariant() : query.value(columns[f]);
            dataSet.LoadRow(values.data());
        }
        if (query.lastError().isValid())
            throw EDatabaseError(EngineMessage(query.lastError()));
    } catch (...) {
        dataSet.Close();
        throw;
    }
    dataSet.EndLoad();
}

namespace {
std::unique_ptr<TDatabase> g_database;
std::unique_ptr<TRecordSet> g_sharedRecordSet;
} // namespace

void InitDataModule()
{
    if (!g_database)
        g_database = std::make_unique<TDatabase>();
    if (!g_sharedRecordSet)
        g_sharedRecordSet = std::make_unique<TRecordSet>();
    Database = g_database.get();
    SharedRecordSet = g_sharedRecordSet.get();
}

void DoneDataModule()
{
    Database = nullptr;
    g_database.reset();
    SharedRecordSet = nullptr;
    g_sharedRecordSet.reset();
}
