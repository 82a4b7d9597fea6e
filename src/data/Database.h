#pragma once
// The one database connection of the process.

#include "ConnectionString.h"
#include "Exceptions.h"
#include "SqlDialect.h"

#include <QDateTime>
#include <QList>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <memory>

class QIODevice;
class TDataSet;

// One named parameter: the name as written after the colon, and its value (a null QVariant
// stores a database null; the variant's type decides the parameter's type).
struct TDBParameter
{
    QString Name;
    QVariant Value;
};

// One named binary parameter: the whole content of the stream (not owned) is bound.
struct TxDBParameter
{
    QString Name;
    QIODevice *Stream = nullptr;
};

using TDBParameters = QList<TDBParameter>;
using TxDBParameters = QList<TxDBParameter>;

TDBParameter DBParam(const QString &name, const QVariant &value);

// A parameter that the statement does not name: raised before the statement runs.
class EParamError : public EDatabaseError
{
public:
    using EDatabaseError::EDatabaseError;
};

class TDatabase;

// A statement ready to run on the connection.
class TDbCommand
{
public:
    const QString &CommandText() const { return m_statement; }
    // Binds the parameters by name (EParamError for a name the statement lacks).
    void Bind(const TDBParameters &params, const TxDBParameters &blobs);
    // Runs the statement; answers the rows affected. A failure raises EDatabaseError with the
    // engine's message, "\r\n" and the statement.
    int Run();

private:
    friend class TDatabase;
    TDbCommand(TDatabase *database, const QString &statement);
    // A prepared query with every value bound; errors carry the engine's message only.
    QSqlQuery Prepare(bool forwardOnly) const;

    TDatabase *m_database;
    QString m_statement;
    TranslatedSql m_translated;
    QVariantList m_values;
    QList<bool> m_bound;
};

class TDatabase
{
public:
    TDatabase();
    ~TDatabase();
    TDatabase(const TDatabase &) = delete;
    TDatabase &operator=(const TDatabase &) = delete;

    // Closes, takes the new string and opens; a failure shows the connection failure with the
    // engine's message and answers false.
    bool Open(const QString &connectionString);
    bool Connected() const;
    // Opens (raising the engine's error when that fails) or closes with the string it holds.
    void SetConnected(bool connected);
    QString ConnectionString() const { return m_connectionString; }

    std::unique_ptr<TDbCommand> CreateCommand(const QString &statement);
    int ExecSql(const QString &statement, const TDBParameters &params = {}, const TxDBParameters &blobs = {});
    void Execute(const QString &statement, const TDBParameters &params = {},
                 const TxDBParameters &blobs = {});

    // The value of a key in the connection string as it stands: from the first occurrence
    // of the exact key text, past the character after it, up to the next ";" (empty when
    // the key is absent or no ";" follows).
    QString ConnectionValue(const QString &key) const;
    QString DataSource() const { return ConnectionValue(QStringLiteral("Data Source")); }
    QString Provider() const { return ConnectionValue(QStringLiteral("Provider")); }
    // "Not the local-file kind": true exactly when the provider is not "SQLite".
    bool IsNotJet() const;
    // The date part as an SQL literal: #yyyy-mm-dd# for the legacy Jet provider, else 'yyyy-mm-dd'.
    QString DateLiteral(const QDateTime &value) const;
    QString DateLiteral(const QDate &value) const;
    // The dialect the statement builders write for on this connection.
    SqlDialect Dialect() const;

    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return m_inTransaction; }

    // For the data sets: the engine of the open connection, the reopen on demand, and the
    // reading of a SELECT into a data set. The data set's declared fields take the columns of
    // their names (EDatabaseError when one is missing); a set without declared fields gets one
    // field per result column. Errors carry the engine's message only.
    SqlEngine Engine() const { return m_engine; }
    void EnsureOpen();
    void OpenQuery(const QString &statement, const TDBParameters &params, TDataSet &dataSet,
                   bool fieldsFromResult = false);
    QSqlDatabase Connection() const;

private:
    friend class TDbCommand;
    void OpenConnection(); // raises EDatabaseError with the engine's message
    QVariant EngineValue(const QVariant &value) const;

    QString m_connectionName;
    QString m_connectionString;
    SqlEngine m_engine = SqlEngine::SQLite;
    bool m_inTransaction = false;
};

// The process-wide connection; exists between InitDataModule and DoneDataModule.
extern TDatabase *Database;

// Creates Database and SharedRecordSet (not connected); DoneDataModule destroys both.
void InitDataModule();
void DoneDataModule();
