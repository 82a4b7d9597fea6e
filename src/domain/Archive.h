#pragma once
// The archive domain: categories, archives and lendings as value records and data objects,
// every statement that reads or writes them, and the builders of the search statements.
//
// The lists are client-side copies: writing AsData into a row and posting it never reaches
// the database. The database changes only through the static Add/Update/Save/Delete
// operations, each of which succeeds when exactly one row was affected.

#include "QuerySets.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

// ---- categories ----

struct RCata
{
    int Id = 0; // 0: not stored yet; -1: the two fixed nodes of the tree view
    QString Code;
    QString Name;
    QString Note;
    QString Path;
    int SlfId = 0;
    int PrtId = 0; // SlfId of the parent, 0 at the top level
};

using RCatas = QList<RCata>;

class TCataSet : public TQuerySet
{
    Q_OBJECT
public:
    explicit TCataSet(QObject *owner = nullptr);

    // Every category in ascending SlfId, so that each parent comes before its children.
    void LoadAll();
    RCata ReadCata() const;

    TField *IdFld() const { return m_id; }
    TField *CodeFld() const { return m_code; }
    TField *NameFld() const { return m_name; }
    TField *NoteFld() const { return m_note; }
    TField *PathFld() const { return m_path; }

    // In: Name, Note, PrtId. Out: Id, SlfId and the provisional code "%s.%d." (kept even when
    // the insert fails). True when the row was inserted.
    static bool AddCata(RCata &cata);
    static bool UpdateCata(const RCata &cata);
    // A category followed by everything below it; all rows go or none does.
    static bool DeleteCatas(const RCatas &catas);
    // Every category in depth-first order with canonical SlfId, PrtId and Code already
    // computed; all rows are rewritten or none is.
    static bool RenumberCatas(const RCatas &catas);

private:
    TField *m_id;
    TField *m_code;
    TField *m_name;
    TField *m_note;
    TField *m_path;
    TField *m_slfId;
    TField *m_prtId;
};

// ---- archives ----

// The fixed category codes of the archive search.
inline const QString CataCodeAll = QStringLiteral("sys-all");       // no category condition
inline const QString CataCodeNulled = QStringLiteral("sys-nulled"); // archives without a category

struct RArchive
{
    int Id = 0;      // 0: not stored yet
    QVariant CataId; // integer or null
    QString CataName;
    QString Code;
    QString Name;
    QString Arcdept;
    QString Arcman;
    QVariant Arcdate; // date-time or null
    QString Security;
    int Copys = 0;
    int Lends = 0; // open lendings; filled by LoadArchive only, never stored
    QString Layplace;
    QString Filepath;
    QVariant Filebyte; // whole bytes, 64-bit, or null
    QString Notes;
};

// The finder's conditions in transport form; the main window copies them field by field
// into a TArchiveWhere.
struct RArchiveWhere
{
    QVariant Id;
    QString CataCode;
    QString Code;
    QString Name;
    QString Arcdept;
    QString Arcman;
    QVariant Arcdate1;
    QVariant Arcdate2;
    QString Security;
    QString Filepath;
    QString Layplace;
    QString Keyword;
};

using RSecuritys = QStringList;
using RLayplaces = QStringList;

// Text conditions count as set when not empty (blanks included); numbers and dates when not null.
class TArchiveWhere : public TCustomWhere
{
    Q_OBJECT
public:
    explicit TArchiveWhere(QObject *owner = nullptr);

    TField *IdFld() const { return m_id; }
    TField *CataCodeFld() const { return m_cataCode; }
    TField *CodeFld() const { return m_code; }
    TField *NameFld() const { return m_name; }
    TField *ArcdeptFld() const { return m_arcdept; }
    TField *ArcmanFld() const { return m_arcman; }
    TField *Arcdate1Fld() const { return m_arcdate1; }
    TField *Arcdate2Fld() const { return m_arcdate2; }
    TField *SecurityFld() const { return m_security; }
    TField *FilepathFld() const { return m_filepath; }
    TField *LayplaceFld() const { return m_layplace; }
    TField *KeywordFld() const { return m_keyword; }

private:
    TField *m_id;
    TField *m_cataCode;
    TField *m_code;
    TField *m_name;
    TField *m_arcdept;
    TField *m_arcman;
    TField *m_arcdate1;
    TField *m_arcdate2;
    TField *m_security;
    TField *m_filepath;
    TField *m_layplace;
    TField *m_keyword;
};

class TArchiveSet : public TQuerySet
{
    Q_OBJECT
public:
    explicit TArchiveSet(QObject *owner = nullptr);

    TArchiveWhere *Where() const { return m_where; }
    // Builds the statement from Where and opens the set with it.
    void Query();
    // The archive of the current row, loaded afresh (with CataName and Lends); Id 0 on an
    // empty list.
    RArchive AsData() const;
    // Stores the record into the current row, which the caller has put into editing or
    // appending and posts afterwards.
    void SetAsData(const RArchive &archive);

    TField *IdFld() const { return m_id; }
    TField *CataIdFld() const { return m_cataId; }
    TField *CataNameFld() const { return m_cataName; }
    TField *CodeFld() const { return m_code; }
    TField *NameFld() const { return m_name; }
    TField *ArcdateFld() const { return m_arcdate; }
    TField *SecurityFld() const { return m_security; }
    TField *LayplaceFld() const { return m_layplace; }
    TField *NotesFld() const { return m_notes; }

    // The condition text of the search statement, " where ..." or empty.
    static QString WhereText(TArchiveWhere &where, const SqlDialect &dialect);
    // Fills the record when exactly one archive has the Id; otherwise leaves it as it is.
    static void LoadArchive(int id, RArchive &archive);
    // Updates when Id > 0, else inserts with the highest Id + 1 and writes that Id back.
    static bool SaveArchive(RArchive &archive);
    // Lendings of the archive stay in lends.
    static bool DeleteArchive(int id);
    static int GetSecuritys(RSecuritys &list);
    static int GetLayplaces(RLayplaces &list);

private:
    TArchiveWhere *m_where;
    TField *m_id;
    TField *m_cataId;
    TField *m_cataName;
    TField *m_code;
    TField *m_name;
    TField *m_arcdept;
    TField *m_arcman;
    TField *m_arcdate;
    TField *m_security;
    TField *m_copys;
    TField *m_layplace;
    TField *m_filepath;
    TField *m_filebyte;
    TField *m_notes;
};

// The document name shown for a path: the text after the last "\", "/" or ":".
QString ArchiveFilename(const QString &filepath);

// ---- lendings ----

struct RLend
{
    int Id = 0; // 0: not stored yet
    QVariant ArcId;
    QString ArcCode; // read through the join, never stored with the lending
    QString ArcName; // read through the join, never stored with the lending
    QVariant Lendate;
    QString Borrower;
    QString Bordept;
    QString Checkman;
    QVariant Headline;
    QVariant Returndate; // null while the lending is open
    QString Notes;
};

using RBorrowers = QStringList;

class TLendWhere : public TCustomWhere
{
    Q_OBJECT
public:
    explicit TLendWhere(QObject *owner = nullptr);

    TField *IdFld() const { return m_id; }
    TField *ArcIdFld() const { return m_arcId; }
    TField *Lendate1Fld() const { return m_lendate1; }
    TField *Lendate2Fld() const { return m_lendate2; }
    // Compared with the column Bordept.
    TField *LendeptFld() const { return m_lendept; }
    TField *BorrowerFld() const { return m_borrower; }

private:
    TField *m_id;
    TField *m_arcId;
    TField *m_lendate1;
    TField *m_lendate2;
    TField *m_lendept;
    TField *m_borrower;
};

class TLendSet : public TQuerySet
{
    Q_OBJECT
public:
    explicit TLendSet(QObject *owner = nullptr);

    TLendWhere *Where() const { return m_where; }
    void Query();
    // Unlike the archive set, both directions work on the current row only.
    RLend AsData() const;
    void SetAsData(const RLend &lend);

    TField *IdFld() const { return m_id; }

    static QString WhereText(TLendWhere &where, const SqlDialect &dialect);
    // Updates when Id > 0, else inserts with the highest Id + 1; on success the record's Id
    // is the Id used.
    static bool SaveLend(RLend &lend);
    static bool DeleteLend(int id);
    static int GetBorrowers(RBorrowers &list);

private:
    TLendWhere *m_where;
    TField *m_id;
    TField *m_arcId;
    TField *m_arcCode;
    TField *m_arcName;
    TField *m_lendate;
    TField *m_borrower;
    TField *m_bordept;
    TField *m_checkman;
    TField *m_headline;
    TField *m_returndate;
    TField *m_notes;
};

// Another copy may be lent only while the open lendings are fewer than the copies kept; an
// archive with no copies can never be lent. The record must come fresh from LoadArchive.
bool CanLend(const RArchive &archive);
// The same rule on the archive as stored now; false for an archive that no longer exists.
bool CanLendArchive(int archiveId);
