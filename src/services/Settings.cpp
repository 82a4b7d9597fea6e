#include "Settings.h"

#include <memory>

TCompany *Company = nullptr;
TKeyValue2 *SettingsStore = nullptr;
TPickListSet *PickListStore = nullptr;
TOperator *CurrentOperator = nullptr;

namespace {

std::unique_ptr<TCompany> g_company;
std::unique_ptr<TKeyValue2> g_settingsStore;
std::unique_ptr<TPickListSet> g_pickListStore;
std::unique_ptr<TOperator> g_currentOperator;

const QString SettingsOpen = QStringLiteral("select * from keyvalue");
const QString SettingsCreate = QStringLiteral("insert into keyvalue(KeyId) values (:KeyId)");
const QString SettingsWrite = QStringLiteral(
    "update keyvalue set Vstr=:Vstr, Vint=:Vint, Vfloat=:Vfloat, Vbool=:Vbool where KeyId=:KeyId");
const QString SettingsWriteMissing = QStringLiteral(
    "insert into keyvalue(Vstr, Vint, Vfloat, Vbool, KeyId)values(:Vstr, :Vint, :Vfloat, :Vbool, :KeyId)");
const QString ListsOpen = QStringLiteral("select * from options order by [Key]");
const QString ListsHighestKey = QStringLiteral("select max([Key]) from options");
const QString ListsAdd = QStringLiteral("insert into options([Key], List) values (:Key, :List)");

} // namespace

// ---- TKeyValue2 ----

TKeyValue2::TKeyValue2(QObject *owner) : TRecordSet(owner)
{
    m_keyId = AddField(FieldKind::Integer, QStringLiteral("KeyId"), -1, true, QString());
    m_vint = AddField(FieldKind::Integer, QStringLiteral("Vint"), -1, true, QString());
    m_vstr = AddField(FieldKind::Memo, QStringLiteral("Vstr"), -1, true, QString());
    m_vfloat = AddField(FieldKind::Float, QStringLiteral("Vfloat"), -1, true, QString());
    m_vbool = AddField(FieldKind::Boolean, QStringLiteral("Vbool"), -1, true, QString());
}

void TKeyValue2::SelectKey(int keyId)
{
    // One insert is all it takes; a row that still cannot be found after it means the
    // table does not hold what was written, and going round again would never end.
    for (bool inserted = false;; inserted = true) {
        if (!m_dataSet->Active())
            Open(SettingsOpen);
        if (m_dataSet->Locate(QStringLiteral("KeyId"), keyId))
            return;
        if (inserted)
            throw EDatabaseError(QStringLiteral("设置项 %1 写入 keyvalue 表后仍然找不到").arg(keyId));
        m_dataSet->Close();
        Database->ExecSql(SettingsCreate, {DBParam(QStringLiteral("KeyId"), keyId)});
    }
}

bool TKeyValue2::GetByIndex(int keyId)
{
    SelectKey(keyId);
    return m_vbool->AsBoolean();
}

void TKeyValue2::SetByIndex(int keyId, bool value)
{
    SelectKey(keyId);
    WriteValues(keyId, QString(), 0, 0, value);
}

bool TKeyValue2::WriteValues(int keyId, const QString &vstr, int vint, double vfloat, bool vbool)
{
    const TDBParameters params = {
        DBParam(QStringLiteral("Vstr"), vstr.isNull() ? QVariant(QStringLiteral("")) : QVariant(vstr)),
        DBParam(QStringLiteral("Vint"), vint), DBParam(QStringLiteral("Vfloat"), vfloat),
        DBParam(QStringLiteral("Vbool"), vbool), DBParam(QStringLiteral("KeyId"), keyId)};
    bool written = Database->ExecSql(SettingsWrite, params) == 1;
    if (!written)
        written = Database->ExecSql(SettingsWriteMissing, params) == 1;
    if (written) {
        m_dataSet->Edit();
        m_vstr->SetAsString(vstr);
        m_vint->SetAsInteger(vint);
        m_vfloat->SetAsFloat(vfloat);
        m_vbool->SetAsBoolean(vbool);
        m_dataSet->Post();
    }
    return written;
}

// ---- TPickListSet ----

TPickListSet::TPickListSet(QObject *owner) : TRecordSet(owner)
{
    m_key = AddField(FieldKind::Integer, QStringLiteral("Key"), -1, true, QString());
    m_label = AddField(FieldKind::WideString, QStringLiteral("Label"), 255, true, QString());
    m_list = AddField(FieldKind::Memo, QStringLiteral("List"), -1, true, QString());
}

void TPickListSet::OpenLists(bool reload)
{
    if (reload || !m_dataSet->Active())
        Open(ListsOpen);
}

int TPickListSet::GetCount()
{
    OpenLists(false);
    return m_dataSet->RecordCount();
}

void TPickListSet::SetCount(int count)
{
    OpenLists(false);
    if (m_dataSet->RecordCount() >= count)
        return;
    SharedRecordSet->Open(ListsHighestKey);
    int highest = SharedRecordSet->DataSet()->Field(0)->AsInteger();
    while (m_dataSet->RecordCount() < count) {
        ++highest;
        Database->ExecSql(ListsAdd,
                          {DBParam(QStringLiteral("Key"), highest), DBParam(QStringLiteral("List"), {})});
        m_dataSet->Append();
        m_key->SetAsInteger(highest);
        m_list->SetAsString(QString());
        m_dataSet->Post();
    }
}

// ---- start and stop ----

void StartServices()
{
    SetDateFormats();
    NullStrictConvert = false;
    g_company = std::make_unique<TCompany>();
    g_settingsStore = std::make_unique<TKeyValue2>();
    g_pickListStore = std::make_unique<TPickListSet>();
    g_currentOperator = std::make_unique<TOperator>();
    Company = g_company.get();
    SettingsStore = g_settingsStore.get();
    PickListStore = g_pickListStore.get();
    CurrentOperator = g_currentOperator.get();
}

void StopServices()
{
    Company = nullptr;
    g_company.reset();
    SettingsStore = nullptr;
    g_settingsStore.reset();
    PickListStore = nullptr;
    g_pickListStore.reset();
    CurrentOperator = nullptr;
    g_currentOperator.reset();
}
