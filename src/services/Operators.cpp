#include "Operators.h"

#include "Passwords.h"
#include "Prompts.h"

namespace {

const QString LoadStatement =
    QStringLiteral("select LoginId,Password,Name,Contact,[Note],Rights from operator where LoginId=:LoginId");
const QString ListStatement = QStringLiteral("select * from operator where LoginId<>'sa'");
const QString AddStatement =
    QStringLiteral("insert into operator(LoginId,[Password],Name,Contact,[Note],Rights)values(:"
                   "LoginId,:Password,:Name,:Contact,:Note,:Rights)");
const QString ChangeStatement =
    QStringLiteral("update operator set [Password]=:Password,Name=:Name,Contact=:Contact,["
                   "Note]=:Note,Rights=:Rights where LoginId=:LoginId");
// The change when the editor left the password boxes untouched.
const QString ChangeKeepingPasswdStatement = QStringLiteral(
    "update operator set Name=:Name,Contact=:Contact,[Note]=:Note,Rights=:Rights where LoginId=:LoginId");
const QString DeleteStatement = QStringLiteral("delete from operator where LoginId=:LoginId");
const QString PasswdStatement =
    QStringLiteral("update operator set [Password]=:Password where LoginId=:LoginId");

// Text parameters bind non-null, so that an empty box stores empty text as it always has.
QVariant Text(const QString &value)
{
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

} // namespace

const QList<RightCaption> &RightCaptions()
{
    static const QList<RightCaption> captions = {
        {RightClearData, QStringLiteral("清除数据")},
        {RightCompanyInfo, QStringLiteral("公司信息设置")},
        {RightManageOperators, QStringLiteral("操作员及权限管理")},
        {RightPrint, QStringLiteral("打印")},
        {RightPrintDesign, QStringLiteral("打印设计")},
        {RightDataExport, QStringLiteral("数据导出")},
        {RightColumnSelect, QStringLiteral("列选择")},
        {RightColumnStyleSave, QStringLiteral("列样式保存")},
        {RightBackupSettings, QStringLiteral("备份设置")},
        {RightToolMenu, QStringLiteral("工具菜单设置")},
    };
    return captions;
}

QString RightItem(int rightNo)
{
    return QStringLiteral(",%1,").arg(rightNo);
}

QString AppendRight(const QString &rights, int rightNo)
{
    return rights + RightItem(rightNo);
}

// ---- TOperator ----

void TOperator::Clear()
{
    LoginId.clear();
    Password.clear();
    Name.clear();
    Contact.clear();
    Note.clear();
    Rights.clear();
}

void TOperator::LoadByLoginId(const QString &loginId)
{
    TDataSet *rows = SharedRecordSet->DataSet();
    try {
        if (SharedRecordSet->Open(LoadStatement, {DBParam(QStringLiteral("LoginId"), Text(loginId))}) == 1) {
            rows->First();
            LoginId = rows->Field(0)->AsString();
            Password = rows->Field(1)->AsString();
            Name = rows->Field(2)->AsString();
            Contact = rows->Field(3)->AsString();
            Note = rows->Field(4)->AsString();
            Rights = rows->Field(5)->AsString();
        } else {
            Clear();
        }
    } catch (...) {
        // A failed load must not leave the previous operator's identity in the object.
        Clear();
        rows->Close();
        throw;
    }
    rows->Close();
}

bool TOperator::CheckPasswd(const QString &passwd)
{
    if (LoginId.isEmpty())
        return false;
    if (!Passwords::Matches(Password, passwd))
        return false;
    if (Passwords::IsPlainText(Password)) {
        // The login has succeeded already; a database that refuses the rewrite (read-only,
        // gone away) must not turn it into a failure. The next login tries again.
        try {
            Password = SavePasswd(passwd);
        } catch (const EDatabaseError &) {
        }
    }
    return true;
}

bool TOperator::HasRight(int rightNo) const
{
    return Rights.contains(RightItem(rightNo)) || LoginId == SuperUserId;
}

bool TOperator::CheckRight(int rightNo, bool abandon) const
{
    if (HasRight(rightNo))
        return true;
    ShowInfo(QStringLiteral("对不起,您没有该功能的操作权限,请与管理员联系(%1).").arg(rightNo));
    if (abandon)
        Abort();
    return false;
}

QString TOperator::SavePasswd(const QString &newPasswd)
{
    const QString stored = Passwords::StoredForm(newPasswd);
    Database->ExecSql(PasswdStatement, {DBParam(QStringLiteral("Password"), Text(stored)),
                                        DBParam(QStringLiteral("LoginId"), LoginId)});
    return stored;
}

void TOperator::ReplacePasswd(const QString &prePasswd, const QString &newPasswd)
{
    if (LoginId.isEmpty() || !Passwords::Matches(Password, prePasswd))
        throw Exception(QStringLiteral("当前密码验证失败,请确认并重新输入."));
    Password = SavePasswd(newPasswd);
    ShowInfo(QStringLiteral("密码更改成功! 下次登陆时请使用新密码."));
}

// ---- TOperatorSet ----

TOperatorSet::TOperatorSet(QObject *owner) : TRecordSet(owner)
{
    // A stored digest is far longer than a short text's default size; the list keeps it whole.
    m_userId = AddField(FieldKind::String, QStringLiteral("LoginId"), 255, true, QStringLiteral("登陆名"));
    m_passwd = AddField(FieldKind::String, QStringLiteral("Password"), 255, true, QStringLiteral("密码"));
    m_name = AddField(FieldKind::String, QStringLiteral("Name"), 255, true, QStringLiteral("姓名"));
    m_contact = AddField(FieldKind::String, QStringLiteral("Contact"), 255, true, QStringLiteral("联系方式"));
    m_note = AddField(FieldKind::String, QStringLiteral("Note"), 255, true, QStringLiteral("备注"));
    m_rights = AddField(FieldKind::Memo, QStringLiteral("Rights"), -1, true, QStringLiteral("权限"));
    Open(ListStatement);
}

void TOperatorSet::AddOperator(const QString &loginId, const QString &passwd, const QString &rights,
                               const QString &note, const QString &contact, const QString &name)
{
    const QString stored = Passwords::StoredForm(passwd);
    Database->ExecSql(
        AddStatement,
        {DBParam(QStringLiteral("LoginId"), Text(loginId)), DBParam(QStringLiteral("Password"), Text(stored)),
         DBParam(QStringLiteral("Name"), Text(name)), DBParam(QStringLiteral("Contact"), Text(contact)),
         DBParam(QStringLiteral("Note"), Text(note)), DBParam(QStringLiteral("Rights"), Text(rights))});
    m_dataSet->Append();
    m_userId->SetAsString(loginId);
    m_passwd->SetAsString(stored);
    m_name->SetAsString(name);
    m_contact->SetAsString(contact);
    m_note->SetAsString(note);
    m_rights->SetAsString(rights);
    m_dataSet->Post();
}

void TOperatorSet::UpdateOperator(const QString &loginId, const QString &passwd, const QString &rights,
                                  const QString &note, const QString &contact, const QString &name)
{
    const bool keepPasswd = passwd == UnchangedPasswd();
    TDBParameters params = {
        DBParam(QStringLiteral("Name"), Text(name)), DBParam(QStringLiteral("Contact"), Text(contact)),
        DBParam(QStringLiteral("Note"), Text(note)), DBParam(QStringLiteral("Rights"), Text(rights)),
        DBParam(QStringLiteral("LoginId"), Text(loginId))};
    QString stored;
    if (!keepPasswd) {
        stored = Passwords::StoredForm(passwd);
        params.prepend(DBParam(QStringLiteral("Password"), Text(stored)));
    }
    Database->ExecSql(keepPasswd ? ChangeKeepingPasswdStatement : ChangeStatement, params);
    if (!m_dataSet->Locate(QStringLiteral("LoginId"), loginId))
        return;
    m_dataSet->Edit();
    m_name->SetAsString(name);
    if (!keepPasswd)
        m_passwd->SetAsString(stored);
    m_contact->SetAsString(contact);
    m_note->SetAsString(note);
    m_rights->SetAsString(rights);
    m_dataSet->Post();
}

void TOperatorSet::DeleteOperator(const QString &loginId)
{
    Database->ExecSql(DeleteStatement, {DBParam(QStringLiteral("LoginId"), Text(loginId))});
    if (m_dataSet->Locate(QStringLiteral("LoginId"), loginId))
        DeleteRow();
}

QString TOperatorSet::UnchangedPasswd()
{
    // Private-use characters: no keyboard types them, and a masked box shows eight stars.
    return QString(8, QChar(0xE000));
}

QString TOperatorSet::EditorPasswd(const QString &stored)
{
    return stored.isEmpty() ? QString() : UnchangedPasswd();
}
