// Categories: the tree order, the provisional codes of new categories, and the all-or-nothing
// delete and renumbering passes.

#include "Archive.h"

#include "StatementText.h"

using namespace StatementText;

TCataSet::TCataSet(QObject *owner) : TQuerySet(owner)
{
    m_id = AddField(FieldKind::Integer, QStringLiteral("Id"), -1, false, QString());
    m_code = AddField(FieldKind::WideString, QStringLiteral("Code"), 50, true, QStringLiteral("编码"));
    m_name = AddField(FieldKind::WideString, QStringLiteral("Name"), 30, true, QStringLiteral("类别名称"));
    m_note = AddField(FieldKind::WideString, QStringLiteral("Note"), 50, true, QStringLiteral("备注"));
    m_path = AddField(FieldKind::WideString, QStringLiteral("Path"), 250, true, QStringLiteral("类别全称"));
    m_slfId = AddField(FieldKind::Integer, QStringLiteral("SlfId"), -1, false, QString());
    m_prtId = AddField(FieldKind::Integer, QStringLiteral("PrtId"), -1, false, QString());
}

void TCataSet::LoadAll()
{
    Open(QStringLiteral("select Id, Code, Name, Note, SlfId, PrtId, Name as Path from catas order by SlfId"));
}

RCata TCataSet::ReadCata() const
{
    RCata cata;
    cata.Id = m_id->AsInteger();
    cata.Code = m_code->AsString();
    cata.Name = m_name->AsString();
    cata.Note = m_note->AsString();
    cata.SlfId = m_slfId->AsInteger();
    cata.PrtId = m_prtId->AsInteger();
    cata.Path = m_path->AsString();
    return cata;
}

bool TCataSet::AddCata(RCata &cata)
{
    cata.Id = NextKey(QStringLiteral("select max(Id) from catas"));
    cata.SlfId = NextKey(QStringLiteral("select max(SlfId) from catas"));

    QString parentCode;
    if (SharedRecordSet->Open(QStringLiteral("select Code from catas where SlfId=:SlfId"),
                              {DBParam(QStringLiteral("SlfId"), cata.PrtId)}) > 0) {
        SharedRecordSet->DataSet()->First();
        parentCode = SharedRecordSet->DataSet()->Field(0)->AsString();
    }
    // The extra full stop is how new categories have always been coded; the next renumbering
    // pass gives them the canonical form.
    cata.Code = Format(u"%s.%d.", {parentCode, QString::number(cata.SlfId)});

    return Database->ExecSql(
               QStringLiteral("insert into catas(Code, Name, [Note], SlfId, PrtId, Id)values(:Code, "
                              ":Name, :Note, :SlfId, :PrtId, :Id)"),
               {DBParam(QStringLiteral("Code"), Text(cata.Code)),
                DBParam(QStringLiteral("Name"), Text(cata.Name)),
                DBParam(QStringLiteral("Note"), Text(cata.Note)),
                DBParam(QStringLiteral("SlfId"), cata.SlfId), DBParam(QStringLiteral("PrtId"), cata.PrtId),
                DBParam(QStringLiteral("Id"), cata.Id)}) == 1;
}

bool TCataSet::UpdateCata(const RCata &cata)
{
    return Database->ExecSql(
               QStringLiteral("update catas set Code=:Code, Name=:Name, [Note]=:Note, SlfId=:SlfId, "
                              "PrtId=:PrtId where Id=:Id"),
               {DBParam(QStringLiteral("Code"), Text(cata.Code)),
                DBParam(QStringLiteral("Name"), Text(cata.Name)),
                DBParam(QStringLiteral("Note"), Text(cata.Note)),
                DBParam(QStringLiteral("SlfId"), cata.SlfId), DBParam(QStringLiteral("PrtId"), cata.PrtId),
                DBParam(QStringLiteral("Id"), cata.Id)}) == 1;
}

bool TCataSet::DeleteCatas(const RCatas &catas)
{
    return AllOrNothing([&catas] {
        for (const RCata &cata : catas) {
            if (Database->ExecSql(QStringLiteral("delete from catas where Id=:Id"),
                                  {DBParam(QStringLiteral("Id"), cata.Id)}) != 1)
                return false;
        }
        return true;
    });
}

bool TCataSet::RenumberCatas(const RCatas &catas)
{
    return AllOrNothing([&catas] {
        // Clearing every code first means a stored category missing from the list is left
        // without a code rather than with one that may now belong to another branch.
        Database->ExecSql(QStringLiteral("update catas set Code=null"));
        for (const RCata &cata : catas) {
            if (Database->ExecSql(
                    QStringLiteral("update catas set Code=:Code, SlfId=:SlfId, PrtId=:PrtId where Id=:Id"),
                    {DBParam(QStringLiteral("Code"), Text(cata.Code)),
                     DBParam(QStringLiteral("SlfId"), cata.SlfId),
                     DBParam(QStringLiteral("PrtId"), cata.PrtId), DBParam(QStringLiteral("Id"), cata.Id)}) !=
                1)
                return false;
        }
        return true;
    });
}
