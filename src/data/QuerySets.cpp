#include "QuerySets.h"

#include "Prompts.h"

#include <QScopeGuard>

TRecordSet *SharedRecordSet = nullptr;

QString SqlErrorText(const QString &statement, const QString &message)
{
    return QStringLiteral("SQL语句错误,原文如下:\r\n") + statement + QStringLiteral("\r\n\r\n错误提示:\r\n") +
           message;
}

namespace {

// Shared by the two list kinds: a failing SELECT shows the SQL error box and leaves the set
// closed, so that the row count below raises the closed-data-set error.
int OpenList(TDataSet &dataSet, const QString &statement, const TDBParameters &params, bool fieldsFromResult)
{
    Database->EnsureOpen();
    dataSet.Close();
    try {
        Database->OpenQuery(statement, params, dataSet, fieldsFromResult);
    } catch (const EParamError &) {
        throw;
    } catch (const EDatabaseError &e) {
        dataSet.Close();
        ShowInfo(SqlErrorText(statement, e.Message()));
    }
    return dataSet.RecordCount();
}

} // namespace

// ---- DataSetOwner ----

DataSetOwner::DataSetOwner(QObject *owner) : QObject(owner), m_dataSet(new TDataSet(this)) {}

DataSetOwner::~DataSetOwner() = default;

TField *DataSetOwner::DeclareField(FieldKind kind, const QString &name, bool visible, const QString &caption)
{
    TField *field = m_dataSet->AddField(kind, name);
    field->SetDisplayLabel(caption);
    field->SetVisible(visible);
    return field;
}

TField *DataSetOwner::DeclareListField(FieldKind kind, const QString &name, bool visible,
                                       const QString &caption)
{
    TField *field = DeclareField(kind, name, visible, caption);
    // A list hands its rows back to the edit forms, which write them to the database: a text
    // cut here would be cut in the table too. Lists therefore keep every text whole.
    field->SetSize(0);
    return field;
}

// ---- TQuerySet ----

TQuerySet::TQuerySet(QObject *owner) : DataSetOwner(owner) {}

TQuerySet::~TQuerySet() = default;

int TQuerySet::Open(const QString &statement, const TDBParameters &params)
{
    m_statement = statement;
    m_params = params;
    return OpenList(*m_dataSet, statement, params, false);
}

TField *TQuerySet::AddField(FieldKind kind, const QString &name, int size, bool visible,
                            const QString &caption)
{
    Q_UNUSED(size);
    TField *field = DeclareListField(kind, name, visible, caption);
    field->SetDisplayWidth(75);
    return field;
}

void TQuerySet::Reload(TField *keyField)
{
    QVariant key;
    QString keyName;
    if (keyField) {
        keyName = keyField->FieldName();
        key = keyField->Value();
    }
    if (m_dataSet->Active()) {
        m_dataSet->DisableControls();
        const auto enable = qScopeGuard([this] { m_dataSet->EnableControls(); });
        try {
            Database->OpenQuery(m_statement, m_params, *m_dataSet);
        } catch (...) {
            // A reload is a close and a reopen: the old rows no longer stand for the table, and
            // a list showing them after a failed reopen would pass for current.
            m_dataSet->Close();
            throw;
        }
    }
    if (keyField && m_dataSet->Active())
        m_dataSet->Locate(keyName, key);
}

void TQuerySet::MirrorRow(const QString &keyName, const QVariant &key, const std::function<void()> &fill)
{
    if (!m_dataSet->Active())
        return;
    if (m_dataSet->Locate(keyName, key))
        m_dataSet->Edit();
    else
        m_dataSet->Append();
    fill();
    m_dataSet->Post();
}

// ---- TRecordSet ----

TRecordSet::TRecordSet(QObject *owner) : DataSetOwner(owner) {}

TRecordSet::~TRecordSet() = default;

int TRecordSet::Open(const QString &statement, const TDBParameters &params)
{
    m_statement = statement;
    return OpenList(*m_dataSet, statement, params, !m_declared);
}

TField *TRecordSet::AddField(FieldKind kind, const QString &name, int size, bool visible,
                             const QString &caption)
{
    Q_UNUSED(size);
    m_declared = true;
    return DeclareListField(kind, name, visible, caption);
}

void TRecordSet::DeleteRow()
{
    if (m_dataSet->Active() && !m_dataSet->IsEmpty())
        m_dataSet->Delete();
}

void TRecordSet::ClearRows()
{
    if (m_dataSet->Active())
        m_dataSet->DeleteAll();
}

QString TRecordSet::JoinValues(TField *field, const QString &separator)
{
    if (!m_dataSet->Active() || m_dataSet->IsEmpty())
        return {};
    m_dataSet->First();
    QString result = field->AsString();
    m_dataSet->Next();
    while (!m_dataSet->Eof()) {
        result += separator + field->AsString();
        m_dataSet->Next();
    }
    return result;
}

// ---- TPzClientDataSet ----

TPzClientDataSet::TPzClientDataSet(QObject *owner) : DataSetOwner(owner) {}

TPzClientDataSet::~TPzClientDataSet()
{
    m_dataSet->Close();
}

TField *TPzClientDataSet::AddField(FieldKind kind, const QString &name, bool visible, const QString &caption)
{
    return DeclareField(kind, name, visible, caption);
}

TField *TPzClientDataSet::AddFieldDef(FieldKind kind, const QString &name, int size, bool visible,
                                      const QString &caption)
{
    TField *field = AddField(kind, name, visible, caption);
    if (size > 20)
        field->SetSize(qMin(size, 140));
    return field;
}

// ---- TCustomWhere ----

TCustomWhere::TCustomWhere(QObject *owner) : TPzClientDataSet(owner) {}

void TCustomWhere::CreateRecord()
{
    m_dataSet->CreateDataSet();
    m_dataSet->Append();
}

void TCustomWhere::Reset()
{
    m_dataSet->Cancel();
    m_dataSet->Append();
}

void TCustomWhere::FlushEdits()
{
    const DataSetState state = m_dataSet->State();
    if (state == DataSetState::Edit || state == DataSetState::Insert)
        m_dataSet->UpdateRecord();
}
