// Lendings: the lending search, the writes, and the list of borrowers.

#include "Archive.h"

#include "StatementText.h"

using namespace StatementText;

// ---- TLendWhere ----

TLendWhere::TLendWhere(QObject *owner) : TCustomWhere(owner)
{
    m_id = AddFieldDef(FieldKind::Integer, QStringLiteral("Id"), 0, true, QString());
    m_arcId = AddFieldDef(FieldKind::Integer, QStringLiteral("ArcId"), 0, true, QString());
    m_lendate1 = AddFieldDef(FieldKind::DateTime, QStringLiteral("Lendate1"), 0, true, QString());
    m_lendate2 = AddFieldDef(FieldKind::DateTime, QStringLiteral("Lendate2"), 0, true, QString());
    m_lendept = AddFieldDef(FieldKind::WideString, QStringLiteral("Lendept"), 50, true, QString());
    m_borrower = AddFieldDef(FieldKind::WideString, QStringLiteral("Borrower"), 50, true, QString());
    CreateRecord();
}

// ---- TLendSet ----

TLendSet::TLendSet(QObject *owner) : TQuerySet(owner), m_where(new TLendWhere(this))
{
    m_id = AddField(FieldKind::Integer, QStringLiteral("Id"), -1, false, QString());
    m_arcId = AddField(FieldKind::Integer, QStringLiteral("ArcId"), -1, false, QString());
    m_arcCode = AddField(FieldKind::String, QStringLiteral("ArcCode"), 30, true, QStringLiteral("档案编号"));
    m_arcName =
        AddField(FieldKind::WideString, QStringLiteral("ArcName"), 50, true, QStringLiteral("档案名称"));
    m_lendate =
        AddField(FieldKind::DateTime, QStringLiteral("Lendate"), -1, true, QStringLiteral("借出日期"));
    m_borrower =
        AddField(FieldKind::WideString, QStringLiteral("Borrower"), 50, true, QStringLiteral("借阅人"));
    m_bordept =
        AddField(FieldKind::WideString, QStringLiteral("Bordept"), 50, true, QStringLiteral("借阅部门"));
    m_checkman =
        AddField(FieldKind::WideString, QStringLiteral("Checkman"), 50, true, QStringLiteral("审核人"));
    m_headline =
        AddField(FieldKind::DateTime, QStringLiteral("Headline"), -1, true, QStringLiteral("归还期限"));
    m_returndate =
        AddField(FieldKind::DateTime, QStringLiteral("Returndate"), -1, true, QStringLiteral("归还日期"));
    m_notes = AddField(FieldKind::WideString, QStringLiteral("Notes"), 16, true, QStringLiteral("备注"));
}

QString TLendSet::WhereText(TLendWhere &where, const SqlDialect &dialect)
{
    QString text;
    auto add = [&text](QStringView pattern, const QString &value) { text = Format(pattern, {text, value}); };

    if (!where.IdFld()->IsNull())
        add(u"%s and l.Id=%d", QString::number(where.IdFld()->AsInteger()));
    if (!where.ArcIdFld()->IsNull())
        add(u"%s and l.ArcId=%d", QString::number(where.ArcIdFld()->AsInteger()));
    if (!where.Lendate1Fld()->IsNull())
        add(u"%s and l.Lendate>=%s", dialect.DateLiteral(where.Lendate1Fld()->AsDateTime().date()));
    if (!where.Lendate2Fld()->IsNull())
        add(u"%s and l.Lendate<=%s", dialect.DateLiteral(where.Lendate2Fld()->AsDateTime().date()));
    if (const QString v = where.LendeptFld()->AsString(); !v.isEmpty())
        add(u"%s and l.Bordept='%s'", Quoted(v));
    if (const QString v = where.BorrowerFld()->AsString(); !v.isEmpty())
        add(u"%s and l.Borrower='%s'", Quoted(v));

    return WhereFromClauses(text);
}

void TLendSet::Query()
{
    m_where->FlushEdits();
    Open(Format(u"select l.*, a.Code as ArcCode, a.Name as ArcName  from (lends l left join archives a on "
                u"l.ArcId=a.Id)  %s order by l.Id",
                {WhereText(*m_where, Database->Dialect())}));
}

RLend TLendSet::AsData() const
{
    RLend lend;
    lend.Id = m_id->AsInteger();
    lend.ArcId = m_arcId->AsInteger();
    lend.ArcCode = m_arcCode->AsString();
    lend.ArcName = m_arcName->AsString();
    lend.Lendate = m_lendate->Value();
    lend.Borrower = m_borrower->AsString();
    lend.Bordept = m_bordept->AsString();
    lend.Checkman = m_checkman->AsString();
    lend.Headline = m_headline->Value();
    lend.Returndate = m_returndate->Value();
    lend.Notes = m_notes->AsString();
    return lend;
}

void TLendSet::SetAsData(const RLend &lend)
{
    m_id->SetValue(lend.Id);
    m_arcId->SetValue(lend.ArcId);
    m_arcCode->SetValue(lend.ArcCode);
    m_arcName->SetValue(lend.ArcName);
    m_lendate->SetValue(lend.Lendate);
    m_borrower->SetValue(lend.Borrower);
    m_bordept->SetValue(lend.Bordept);
    m_checkman->SetValue(lend.Checkman);
    m_headline->SetValue(lend.Headline);
    m_returndate->SetValue(lend.Returndate);
    m_notes->SetValue(lend.Notes);
}

bool TLendSet::SaveLend(RLend &lend)
{
    QString statement;
    int id = lend.Id;
    if (lend.Id > 0) {
        statement = QStringLiteral("update lends set ArcId=:ArcId, Lendate=:Lendate, Borrower=:Borrower, "
                                   "Bordept=:Bordept, Checkman=:Checkman, Headline=:Headline, "
                                   "Returndate=:Returndate, Notes=:Notes where Id=:Id");
    } else {
        statement =
            QStringLiteral("insert into lends(ArcId, Lendate, Borrower,Bordept,Checkman, Headline, "
                           "Returndate, Notes, Id)values(:ArcId,:Lendate,:Borrower,:Bordept,:Checkman,"
                           ":Headline,:Returndate,:Notes,:Id)");
        id = NextKey(QStringLiteral("select max(Id) from lends"));
    }
    const int affected = Database->ExecSql(
        statement,
        {DBParam(QStringLiteral("ArcId"), lend.ArcId), DBParam(QStringLiteral("Lendate"), lend.Lendate),
         DBParam(QStringLiteral("Borrower"), Text(lend.Borrower)),
         DBParam(QStringLiteral("Bordept"), Text(lend.Bordept)),
         DBParam(QStringLiteral("Checkman"), Text(lend.Checkman)),
         DBParam(QStringLiteral("Headline"), lend.Headline),
         DBParam(QStringLiteral("Returndate"), lend.Returndate),
         DBParam(QStringLiteral("Notes"), Text(lend.Notes)), DBParam(QStringLiteral("Id"), id)});
    if (affected == 1)
        lend.Id = id;
    return affected == 1;
}

bool TLendSet::DeleteLend(int id)
{
    return Database->ExecSql(QStringLiteral("delete from lends where Id=:Id"),
                             {DBParam(QStringLiteral("Id"), id)}) == 1;
}

int TLendSet::GetBorrowers(RBorrowers &list)
{
    return DistinctValues(QStringLiteral("select distinct Borrower from lends"), list);
}
