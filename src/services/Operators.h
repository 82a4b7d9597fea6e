#pragma once
// Operators, their rights and their passwords.
//
// A rights list is a text holding one item ",N," per granted right, items simply
// concatenated (",10000,,10002,"). The commas on both sides keep the item for 100 from
// matching inside 10000 or 100001.

#include "QuerySets.h"

#include <QList>
#include <QString>

// The right numbers. The operator-management right has six digits; nothing uses 10001.
constexpr int RightClearData = 100;
constexpr int RightCompanyInfo = 10000;
constexpr int RightManageOperators = 100001;
constexpr int RightPrint = 10002;
constexpr int RightPrintDesign = 10003;
constexpr int RightDataExport = 10004;
constexpr int RightColumnSelect = 10008;
constexpr int RightColumnStyleSave = 10006;
constexpr int RightBackupSettings = 10005;
constexpr int RightToolMenu = 10007; // offered in the editor; no command tests it

// The superuser holds every right whatever his rights list says.
inline const QString SuperUserId = QStringLiteral("sa");

struct RightCaption
{
    int Number;
    QString Caption;
};
// Every right with the caption the operator editor shows for it, in the editor's order.
const QList<RightCaption> &RightCaptions();

// The item of one right: ",N,".
QString RightItem(int rightNo);
// The list with one more item appended ("%s,%d,").
QString AppendRight(const QString &rights, int rightNo);

class TOperator
{
public:
    QString LoginId;
    // The stored text: a digest, empty for "no password", or a password kept as typed by an
    // older database (see Passwords.h).
    QString Password;
    QString Name;
    QString Contact;
    QString Note;
    QString Rights;

    // Loads the operator with that login id; an unknown id (or more than one row) leaves the
    // object empty. The login id kept is the one read from the row.
    void LoadByLoginId(const QString &loginId);
    // Empties every field.
    void Clear();
    // Whether the object holds an operator and the typed password is his. A password still
    // kept as typed is rewritten as a digest once it has matched.
    bool CheckPasswd(const QString &passwd);
    // The silent test.
    bool HasRight(int rightNo) const;
    // The checking test: a refused right shows the refusal naming the right's number and
    // then, with abandon, ends the user command silently (EAbort); without, answers false.
    bool CheckRight(int rightNo, bool abandon = true) const;
    // Writes a new password for the operator in the object and answers the stored text. The
    // object's own Password is left as it was; the caller decides when it changes.
    QString SavePasswd(const QString &newPasswd);
    // The password change once its dialog has been confirmed: a wrong current password raises
    // an Exception; otherwise the new password is saved, the object takes it and the
    // information box confirms the change.
    void ReplacePasswd(const QString &prePasswd, const QString &newPasswd);
};

// The cached list of every operator except the superuser.
class TOperatorSet : public TRecordSet
{
    Q_OBJECT
public:
    // Creates the six fields and opens the list.
    explicit TOperatorSet(QObject *owner = nullptr);

    TField *UserIdField() const { return m_userId; }
    TField *PasswdField() const { return m_passwd; }
    TField *NameField() const { return m_name; }
    TField *ContactField() const { return m_contact; }
    TField *NoteField() const { return m_note; }
    TField *RightsField() const { return m_rights; }

    // A stored duplicate login id is refused by the table's key as a database error.
    void AddOperator(const QString &loginId, const QString &passwd, const QString &rights,
                     const QString &note, const QString &contact, const QString &name);
    // The login id selects the row. Given UnchangedPasswd() as the password, the stored
    // password stays as it is.
    void UpdateOperator(const QString &loginId, const QString &passwd, const QString &rights,
                        const QString &note, const QString &contact, const QString &name);
    void DeleteOperator(const QString &loginId);

    // What an editor puts in its masked password boxes for an existing operator: empty for
    // an operator without password, otherwise UnchangedPasswd(), which no keyboard produces,
    // so that untouched boxes hand it back and the stored password is kept.
    static QString EditorPasswd(const QString &stored);
    static QString UnchangedPasswd();

private:
    TField *m_userId;
    TField *m_passwd;
    TField *m_name;
    TField *m_contact;
    TField *m_note;
    TField *m_rights;
};
