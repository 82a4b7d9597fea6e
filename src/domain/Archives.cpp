// Archives: the search statement builder, the fresh read with the open-lending count, and
// the writes.

#include "Archive.h"

#include "StatementText.h"

using namespace StatementText;

namespace {

const QString ArchiveSelect = QStringLiteral(
    "select a.*, t.Name as CataName  from (archives a left join catas t on a.CataId=t.Id)  %s order by a.Id");

QVariant VariantOf(const TField *field, FieldKind kind)
{
    return CoerceToKind(field->Value(), kind, 0, field->FieldName());
}

} // namespace

QString ArchiveFilename(const QString &filepath)
{
    qsizetype cut = -1;
    for (const QChar separator : {QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char(':')})
        cut = qMax(cut, filepath.lastIndexOf(separator));
    return filepath.mid(cut + 1);
}

// ---- TArchiveWhere ----

TArchiveWhere::TArchiveWhere(QObject *owner) : TCustomWhere(owner)
{
    m_id = AddFieldDef(FieldKind::Integer, QStringLiteral("Id"), 0, true, QString());
    m_cataCode = AddFieldDef(FieldKind::String, QStringLiteral("CataCode"), 50, true, QString());
    m_code = AddFieldDef(FieldKind::String, QStringLiteral("Code"), 50, true, QString());
    m_name = AddFieldDef(FieldKind::String, QStringLiteral("Name"), 50, true, QString());
    m_arcdept = AddFieldDef(FieldKind::String, QStringLiteral("Arcdept"), 50, true, QString());
    m_arcman = AddFieldDef(FieldKind::String, QStringLiteral("Arcman"), 50, true, QString());
    m_arcdate1 = AddFieldDef(FieldKind::DateTime, QStringLiteral("Arcdate1"), 0, true, QString());
    m_arcdate2 = AddFieldDef(FieldKind::DateTime, QStringLiteral("Arcdate2"), 0, true, QString());
    m_security = AddFieldDef(FieldKind::WideString, QStringLiteral("Security"), 50, true, QString());
    m_filepath = AddFieldDef(FieldKind::WideString, QStringLiteral("Filepath"), 50, true, QString());
    m_layplace = AddFieldDef(FieldKind::WideString, QStringLiteral("Layplace"), 50, true, QString());
    m_keyword = AddFieldDef(FieldKind::WideString, QStringLiteral("Keyword"), 50, true, QString());
    CreateRecord();
}

// ---- TArchiveSet ----

TArchiveSet::TArchiveSet(QObject *owner) : TQuerySet(owner), m_where(new TArchiveWhere(this))
{
    m_id = AddField(FieldKind::Integer, QStringLiteral("Id"), -1, false, QString());
    m_cataId = AddField(FieldKind::Integer, QStringLiteral("CataId"), -1, false, QString());
    m_cataName =
        AddField(FieldKind::WideString, QStringLiteral("CataName"), 50, true, QStringLiteral("分类"));
    m_code = AddField(FieldKind::String, QStringLiteral("Code"), 30, true, QStringLiteral("档案编号"));
    m_name = AddField(FieldKind::WideString, QStringLiteral("Name"), 50, true, QStringLiteral("档案名称"));
    m_arcdept =
        AddField(FieldKind::WideString, QStringLiteral("Arcdept"), 50, true, QStringLiteral("归档部门"));
    m_arcman = AddField(FieldKind::WideString, QStringLiteral("Arcman"), 50, true, QStringLiteral("归档人"));
    m_arcdate =
        AddField(FieldKind::DateTime, QStringLiteral("Arcdate"), -1, true, QStringLiteral("归档日期"));
    m_security =
        AddField(FieldKind::String, QStringLiteral("Security"), 10, true, QStringLiteral("保密级别"));
    m_copys = AddField(FieldKind::Integer, QStringLiteral("Copys"), -1, true, QStringLiteral("档案份数"));
    m_layplace =
        AddField(FieldKind::WideString, QStringLiteral("Layplace"), 50, true, QStringLiteral("存放地点"));
    m_filepath = AddField(FieldKind::WideString, QStringLiteral("Filepath"), 250, false, QString());

    const int filepathIndex = m_filepath->Index();
    TField *filename = m_dataSet->AddCalcField(
        FieldKind::WideString, QStringLiteral("Filename"), [filepathIndex](const TDataSet &dataSet, int row) {
            return QVariant(ArchiveFilename(dataSet.PhysicalValue(row, filepathIndex).toString()));
        });
    filename->SetDisplayLabel(QStringLiteral("电子文档"));
    filename->SetDisplayWidth(75);
    filename->SetSize(0);

    m_filebyte =
        AddField(FieldKind::LargeInt, QStringLiteral("Filebyte"), -1, false, QStringLiteral("文档字节"));
    m_notes = AddField(FieldKind::Memo, QStringLiteral("Notes"), -1, true, QStringLiteral("备注"));
}

QString TArchiveSet::WhereText(TArchiveWhere &where, const SqlDialect &dialect)
{
    QString text;
    auto add = [&text](QStringView pattern, QStringList values) {
        values.prepend(text);
        text = Format(pattern, values);
    };

    if (!where.IdFld()->IsNull())
        add(u"%s and a.Id=%d", {QString::number(where.IdFld()->AsInteger())});

    const QString cataCode = where.CataCodeFld()->AsString();
    if (cataCode == CataCodeNulled)
        add(u"%s and a.CataId is null", {});
    else if (!cataCode.isEmpty() && cataCode != CataCodeAll)
        add(u"%s and t.Code like '%s%%'", {dialect.LikeText(cataCode)});

    if (const QString v = where.CodeFld()->AsString(); !v.isEmpty())
        add(u"%s and a.Code like '%%%s%%'", {dialect.LikeText(v)});
    if (const QString v = where.NameFld()->AsString(); !v.isEmpty())
        add(u"%s and a.Name like '%%%s%%'", {dialect.LikeText(v)});
    if (const QString v = where.ArcdeptFld()->AsString(); !v.isEmpty())
        add(u"%s and a.Arcdept like '%s%%'", {dialect.LikeText(v)});
    if (const QString v = where.ArcmanFld()->AsString(); !v.isEmpty())
        add(u"%s and a.Arcman='%s'", {Quoted(v)});
    if (!where.Arcdate1Fld()->IsNull())
        add(u"%s and a.Arcdate>=%s", {dialect.DateLiteral(where.Arcdate1Fld()->AsDateTime().date())});
    if (!where.Arcdate2Fld()->IsNull())
        add(u"%s and a.Arcdate<=%s", {dialect.DateLiteral(where.Arcdate2Fld()->AsDateTime().date())});
    if (const QString v = where.SecurityFld()->AsString(); !v.isEmpty())
        add(u"%s and a.Security='%s'", {Quoted(v)});
    // Storage place before document path, whatever order the fields were declared in.
    if (const QString v = where.LayplaceFld()->AsString(); !v.isEmpty())
        add(u"%s and a.Layplace like '%%%s%%'", {dialect.LikeText(v)});
    if (const QString v = where.FilepathFld()->AsString(); !v.isEmpty())
        add(u"%s and a.Filepath like '%%%s%%'", {dialect.LikeText(v)});
    if (const QString v = where.KeywordFld()->AsString(); !v.isEmpty()) {
        const QString like = dialect.LikeText(v);
        const QString equal = Quoted(v);
        add(u"%s and (a.Code like '%%%s%%' or a.Name like '%%%s%%'  or a.Arcdept like '%%%s%%' or "
            u"a.Arcman='%s'  "
            u"or a.Security='%s' or a.Layplace like '%%%s%%'  or a.Filepath like '%%%s%%')",
            {like, like, like, equal, equal, like, like});
    }
    return WhereFromClauses(text);
}

void TArchiveSet::Query()
{
    m_where->FlushEdits();
    Open(Format(ArchiveSelect, {WhereText(*m_where, Database->Dialect())}));
}

RArchive TArchiveSet::AsData() const
{
    const int id = m_dataSet->Active() && !m_dataSet->IsEmpty() ? m_id->AsInteger() : 0;
    RArchive archive;
    LoadArchive(id, archive);
    return archive;
}

void TArchiveSet::SetAsData(const RArchive &archive)
{
    m_id->SetValue(archive.Id);
    m_cataId->SetValue(archive.CataId);
    m_cataName->SetValue(archive.CataName);
    m_code->SetValue(archive.Code);
    m_name->SetValue(archive.Name);
    m_arcdept->SetValue(archive.Arcdept);
    m_arcman->SetValue(archive.Arcman);
    m_arcdate->SetValue(archive.Arcdate);
    m_copys->SetValue(archive.Copys);
    m_security->SetValue(archive.Security);
    m_layplace->SetValue(archive.Layplace);
    m_filepath->SetValue(archive.Filepath);
    m_filebyte->SetValue(archive.Filebyte);
    m_notes->SetValue(archive.Notes);
}

void TArchiveSet::LoadArchive(int id, RArchive &archive)
{
    QString statement =
        QStringLiteral("select a.*, t.Name as CataName,  (select count(0) from lends where ArcId=a.Id and "
                       "(ReturnDate is null)) as "
                       "Lends  from (archives a left join catas t on a.CataId=t.Id)  where a.Id=%Id");
    statement.replace(statement.indexOf(QLatin1String("%Id")), 3, QString::number(id));
    if (SharedRecordSet->Open(statement) != 1)
        return;

    const TDataSet &row = *SharedRecordSet->DataSet();
    auto field = [&row](const char *name) { return row.FieldByName(QLatin1String(name)); };
    archive.Id = field("Id")->AsInteger();
    archive.CataId = VariantOf(field("CataId"), FieldKind::Integer);
    archive.CataName = field("CataName")->AsString();
    archive.Code = field("Code")->AsString();
    archive.Name = field("Name")->AsString();
    archive.Arcdept = field("Arcdept")->AsString();
    archive.Arcman = field("Arcman")->AsString();
    archive.Arcdate = VariantOf(field("Arcdate"), FieldKind::DateTime);
    archive.Security = field("Security")->AsString();
    archive.Copys = field("Copys")->AsInteger();
    archive.Lends = field("Lends")->AsInteger();
    archive.Layplace = field("Layplace")->AsString();
    archive.Filepath = field("Filepath")->AsString();
    archive.Filebyte = VariantOf(field("Filebyte"), FieldKind::LargeInt);
    archive.Notes = field("Notes")->AsString();
}

bool TArchiveSet::SaveArchive(RArchive &archive)
{
    const bool isNew = archive.Id <= 0;
    QString statement;
    int id = archive.Id;
    if (!isNew) {
        statement = QStringLiteral(
            "update archives set CataId=:CataId, Code=:Code, Name=:Name, Arcdept=:Arcdept, Arcman=:Arcman, "
            "Arcdate=:Arcdate, Security=:Security, Copys=:Copys, Layplace=:Layplace, Filepath=:Filepath, "
            "Filebyte=:Filebyte, Notes=:Notes where Id=:Id");
    } else {
        statement = QStringLiteral("insert into archives(CataId, Code, Name, Arcdept, Arcman, Arcdate, "
                                   "Security, Copys, Layplace, Filepath, "
                                   "Filebyte, Notes, Id)values(:CataId,:Code,:Name,:Arcdept, :Arcman, "
                                   ":Arcdate,:Security,:Copys,:Layplace,:Filepath,:Filebyte,:Notes,:Id)");
        id = NextKey(QStringLiteral("select max(Id) from archives"));
    }
    const int affected =
        Database->ExecSql(statement, {DBParam(QStringLiteral("CataId"), archive.CataId),
                                      DBParam(QStringLiteral("Code"), Text(archive.Code)),
                                      DBParam(QStringLiteral("Name"), Text(archive.Name)),
                                      DBParam(QStringLiteral("Arcdept"), Text(archive.Arcdept)),
                                      DBParam(QStringLiteral("Arcman"), Text(archive.Arcman)),
                                      DBParam(QStringLiteral("Arcdate"), archive.Arcdate),
                                      DBParam(QStringLiteral("Security"), Text(archive.Security)),
                                      DBParam(QStringLiteral("Copys"), archive.Copys),
                                      DBParam(QStringLiteral("Layplace"), Text(archive.Layplace)),
                                      DBParam(QStringLiteral("Filepath"), Text(archive.Filepath)),
                                      DBParam(QStringLiteral("Filebyte"), archive.Filebyte),
                                      DBParam(QStringLiteral("Notes"), Text(archive.Notes)),
                                      DBParam(QStringLiteral("Id"), id)});
    if (affected == 1 && isNew)
        archive.Id = id;
    return affected == 1;
}

bool TArchiveSet::DeleteArchive(int id)
{
    return Database->ExecSql(QStringLiteral("delete from archives where Id=:Id"),
                             {DBParam(QStringLiteral("Id"), id)}) == 1;
}

int TArchiveSet::GetSecuritys(RSecuritys &list)
{
    return DistinctValues(QStringLiteral("select distinct Security from archives"), list);
}

int TArchiveSet::GetLayplaces(RLayplaces &list)
{
    return DistinctValues(QStringLiteral("select distinct Layplace from archives"), list);
}
