#include "ReportStore.h"

#include "Prompter.h"
#include "ReportEngine.h"
#include "ReportModel.h"
#include "Settings.h"

#include <QBuffer>
#include <QFile>

const QString ReportFileFilter = QStringLiteral("报表文件|*.pzr|所有文件|*.*");
const QString ReportFileExt = QStringLiteral("pzr");

namespace {

const QString GroupStatement =
    QStringLiteral("select Id,Title from report where GrpId=:GroupId order by Title");
const QString LoadStatement = QStringLiteral("select * from report where Id=:Id");
const QString HighestIdStatement = QStringLiteral("select top 1 Id from report order by Id desc");
const QString AddStatement = QStringLiteral("insert into report(Id,GrpId,Title)values(:Id,:GroupId,:Title)");
const QString RenameStatement = QStringLiteral("update report set Title=:Title where Id=:Id");
const QString DeleteStatement = QStringLiteral("delete from report where Id=:Id");
const QString ExistsStatement = QStringLiteral("select 1 from report where Id=:Id");
const QString SaveStatement = QStringLiteral("update report set Fr3File=:Fr3File where Id=:Id");
const QString SaveVanishedStatement = QStringLiteral("insert into report (Fr3File,Id)values(:Fr3File,:Id)");

const QString Show1Declaration = QStringLiteral("function Show1(AFieldName: string; l1: Integer): Integer;");

// Text parameters bind non-null, so that a title typed as nothing is stored as empty text.
QVariant Text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

} // namespace

// ---- TRep ----

TRep::TRep() : m_report(std::make_unique<TReportEngine>())
{
    TReportEngine &report = *m_report;
    report.OnGetValue = [this](const QString &name, bool &handled) { return VariableValue(name, handled); };
    // No exception may unwind through the script engine: a Show1 entry that is not a number
    // is reported like any other error, and the call answers 1 as if there were no entry.
    report.RegisterFunction(QStringLiteral("Show1"), Show1Declaration, [this](const QVariantList &arguments) {
        int result = 1;
        Guard([&] { result = Show1(arguments.value(0).toString(), arguments.value(1).toInt()); });
        return QVariant(result);
    });
    report.DesignerNewEnabled = false;
    // The designer calls these from its own command handlers, which must not see an
    // exception; an error is shown as any other and the command counts as not done.
    report.OnDesignerOpen = [this](TReportEngine &) {
        bool loaded = false;
        Guard([&] { loaded = DesignerOpen(); });
        return loaded;
    };
    report.OnDesignerSave = [this](TReportEngine &, bool saveAs) {
        bool saved = false;
        Guard([&] { saved = DesignerSave(saveAs); });
        return saved;
    };
    PublishUserDataSet();
}

TRep::~TRep()
{
    ClearDataSets();
}

void TRep::AddVariable(const QString &name, const QString &value)
{
    if (name.isEmpty())
        return;
    m_names.append(name);
    m_values.append(value.isEmpty() ? QStringLiteral(" ") : value);
    PublishUserDataSet();
}

void TRep::PublishUserDataSet()
{
    m_report->SetUserDataSet(QStringLiteral("u"), m_names,
                             [this](const QString &fieldName) { return UserValue(fieldName); });
}

int TRep::VariableIndex(const QString &name) const
{
    for (int i = 0; i < m_names.size(); ++i)
        if (m_names[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant TRep::VariableValue(const QString &name, bool &handled) const
{
    const int index = VariableIndex(name);
    handled = index >= 0;
    return handled ? QVariant(m_values[index]) : QVariant();
}

QVariant TRep::UserValue(const QString &fieldName) const
{
    const int index = VariableIndex(fieldName);
    return index >= 0 ? m_values[index] : fieldName;
}

int TRep::Show1(const QString &fieldName, int l1) const
{
    const QString key = fieldName + QString::number(l1);
    for (const QString &entry : m_show1) {
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        if (equals < 0 || entry.left(equals).compare(key, Qt::CaseInsensitive) != 0)
            continue;
        const QString value = entry.mid(equals + 1);
        bool ok = false;
        const int result = value.trimmed().toInt(&ok);
        if (!ok)
            throw EConvertError(QStringLiteral("\"%1\" 不是有效的整数.").arg(value));
        return result;
    }
    return 1;
}

void TRep::SetDataSets(const QList<TDataSet *> &dataSets)
{
    for (TDataSet *dataSet : dataSets) {
        m_report->AddDataSet(QStringLiteral("d%1").arg(m_dataSets.size()), dataSet);
        m_dataSets.append(dataSet);
    }
}

void TRep::ClearDataSets()
{
    m_report->ClearDataSets();
    m_dataSets.clear();
}

void TRep::LoadReport(int id)
{
    m_report->Clear();
    QByteArray bytes;
    if (SharedRecordSet->Open(LoadStatement, {DBParam(QStringLiteral("Id"), id)}) > 0) {
        TDataSet *rows = SharedRecordSet->DataSet();
        rows->First();
        bytes = rows->FieldByName(QStringLiteral("Fr3File"))->Value().toByteArray();
    }
    if (!bytes.isEmpty()) {
        QString error;
        // A damaged template would otherwise preview as an empty page without a word.
        if (!m_report->LoadFromBytes(bytes, &error))
            ShowErrorBox(error);
    }
    m_report->SetTag(id);
}

int TRep::AddReport(const QString &title, int groupId)
{
    int id = 1;
    if (SharedRecordSet->Open(HighestIdStatement) > 0) {
        TDataSet *rows = SharedRecordSet->DataSet();
        rows->First();
        id = rows->Field(0)->AsInteger() + 1;
    }
    Database->ExecSql(AddStatement,
                      {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("GroupId"), groupId),
                       DBParam(QStringLiteral("Title"), Text(title))});
    return id;
}

void TRep::RenameReport(int id, const QString &title)
{
    Database->ExecSql(RenameStatement,
                      {DBParam(QStringLiteral("Title"), Text(title)), DBParam(QStringLiteral("Id"), id)});
}

void TRep::DeleteReport(int id)
{
    Database->ExecSql(DeleteStatement, {DBParam(QStringLiteral("Id"), id)});
}

void TRep::Preview(int id)
{
    LoadReport(id);
    m_report->ShowPreview();
}

void TRep::Design(int id)
{
    LoadReport(id);
    m_report->ShowDesigner();
}

bool TRep::DesignerOpen()
{
    const QVariant tag = m_report->Tag();
    const QString path = Prompter().OpenFileName(QStringLiteral("打开"), ReportFileFilter);
    if (path.isEmpty())
        return false;
    if (QFile::exists(path)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw EFileError(
                QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString()));
        const QByteArray bytes = file.readAll();
        // Read on the side first, so that a file that is no template keeps the design on
        // screen instead of emptying it.
        Report::Document probe;
        QString error;
        if (!probe.LoadFromXml(bytes, &error)) {
            ShowErrorBox(error);
            return false;
        }
        m_report->LoadFromBytes(bytes);
    }
    m_report->SetTag(tag);
    return true;
}

bool TRep::DesignerSave(bool saveAs)
{
    if (saveAs) {
        const QString path =
            Prompter().SaveFileName(QStringLiteral("另存为"), ReportFileFilter, ReportFileExt);
        QString error;
        if (!path.isEmpty() && !m_report->SaveToFile(path, &error))
            ShowErrorBox(error);
        return true;
    }

    QByteArray bytes = m_report->SaveToBytes();
    QBuffer stream(&bytes);
    stream.open(QIODevice::ReadOnly);
    const QVariant id = m_report->Tag().toInt();
    const bool exists = SharedRecordSet->Open(ExistsStatement, {DBParam(QStringLiteral("Id"), id)}) > 0;
    Database->ExecSql(exists ? SaveStatement : SaveVanishedStatement, {DBParam(QStringLiteral("Id"), id)},
                      {TxDBParameter{QStringLiteral("Fr3File"), &stream}});
    return true;
}

// ---- TProjRep ----

TProjRep::TProjRep()
{
    AddVariable(QStringLiteral("u_Company"), Company->CompanyName);
    AddVariable(QStringLiteral("u_Tel"), Company->Tel);
    AddVariable(QStringLiteral("u_Fax"), Company->Fax);
    AddVariable(QStringLiteral("u_Address"), Company->Address);
    AddVariable(QStringLiteral("u_Zip"), Company->Zip);
    AddVariable(QStringLiteral("u_Operator"), CurrentOperator->LoginId);
}

// ---- TRepSet ----

TRepSet::TRepSet(QObject *owner) : TRecordSet(owner)
{
    m_id = AddField(FieldKind::Integer, QStringLiteral("Id"), -1, true, QStringLiteral("Id"));
    m_title = AddField(FieldKind::WideString, QStringLiteral("Title"), -1, true, QStringLiteral("标题"));
}

int TRepSet::OpenGroup(int groupId)
{
    return Open(GroupStatement, {DBParam(QStringLiteral("GroupId"), groupId)});
}
