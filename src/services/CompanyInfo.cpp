#include "CompanyInfo.h"

#include "Gbk.h"
#include "QuerySets.h"

namespace {

const QString LoadStatement = QStringLiteral("select * from Company");
const QString ExistsStatement = QStringLiteral("select 1 from Company where Id=:Id");
const QString ChangeStatement =
    QStringLiteral("update Company set CompanyName=:CompanyName,Manager=:Manager,Tel=:Tel,Fax=:Fax,Address=:"
                   "Address,Zip=:Zip,Profile=:Profile,Updated=:Updated where Id=:Id");
const QString InsertStatement = QStringLiteral(
    "insert into Company(Id,CompanyName,Manager,Tel,Fax,Address,Zip,Profile,Updated)values(:Id,:"
    "CompanyName,:Manager,:Tel,:Fax,:Address,:Zip,:Profile,:Updated)");

// Text parameters bind non-null, so that an empty box stores empty text.
QVariant Text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

} // namespace

void TCompany::Clear()
{
    Id = 0;
    CompanyName.clear();
    Manager.clear();
    Tel.clear();
    Fax.clear();
    Address.clear();
    Zip.clear();
    Profile.clear();
    Updated = false;
}

void TCompany::LoadCompany()
{
    Clear();
    if (SharedRecordSet->Open(LoadStatement) == 0)
        return;
    TDataSet *rows = SharedRecordSet->DataSet();
    rows->First();
    Id = rows->FieldByName(QStringLiteral("Id"))->AsInteger();
    CompanyName = rows->FieldByName(QStringLiteral("CompanyName"))->AsString();
    Manager = rows->FieldByName(QStringLiteral("Manager"))->AsString();
    Tel = rows->FieldByName(QStringLiteral("Tel"))->AsString();
    Fax = rows->FieldByName(QStringLiteral("Fax"))->AsString();
    Address = rows->FieldByName(QStringLiteral("Address"))->AsString();
    Zip = rows->FieldByName(QStringLiteral("Zip"))->AsString();
    Profile = rows->FieldByName(QStringLiteral("Profile"))->AsString();
    Updated = rows->FieldByName(QStringLiteral("Updated"))->AsBoolean();
}

bool TCompany::CompanyExists()
{
    return SharedRecordSet->Open(ExistsStatement, {DBParam(QStringLiteral("Id"), Id)}) == 1;
}

void TCompany::SaveCompany()
{
    const TDBParameters params = {DBParam(QStringLiteral("CompanyName"), Text(CompanyName)),
                                  DBParam(QStringLiteral("Manager"), Text(Manager)),
                                  DBParam(QStringLiteral("Tel"), Text(Tel)),
                                  DBParam(QStringLiteral("Fax"), Text(Fax)),
                                  DBParam(QStringLiteral("Address"), Text(Address)),
                                  DBParam(QStringLiteral("Zip"), Text(Zip)),
                                  DBParam(QStringLiteral("Profile"), Text(Profile)),
                                  DBParam(QStringLiteral("Updated"), Updated),
                                  DBParam(QStringLiteral("Id"), Id)};
    Database->ExecSql(CompanyExists() ? ChangeStatement : InsertStatement, params);
}

bool TCompany::HasLongName() const
{
    return Gbk::ByteLength(CompanyName) >= 8;
}
