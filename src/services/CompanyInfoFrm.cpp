#include "CompanyInfoFrm.h"

#include "Common.h"
#include "Exceptions.h"
#include "Prompter.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

QLabel *Caption(QWidget *parent, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, parent);
    label->move(x, y + 3);
    return label;
}

QLineEdit *Box(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *box = new QLineEdit(parent);
    box->setObjectName(name);
    box->setGeometry(geometry);
    return box;
}

} // namespace

TCompanyInfoFrm::TCompanyInfoFrm(QWidget *owner) : TADlgFrm(owner)
{
    setObjectName(QStringLiteral("CompanyInfoFrm"));
    setWindowTitle(QStringLiteral("公司信息"));
    setFixedSize(602, 432);

    Label1 = Caption(this, QStringLiteral("企业名称"), 16, 20);
    EdtCompany1 = Box(this, QStringLiteral("EdtCompany1"), QRect(72, 20, 257, 22));
    Label2 = Caption(this, QStringLiteral("负责人"), 345, 20);
    EdtLawMan1 = Box(this, QStringLiteral("EdtLawMan1"), QRect(385, 20, 169, 22));
    Label3 = Caption(this, QStringLiteral("联系电话"), 16, 52);
    EdtTel1 = Box(this, QStringLiteral("EdtTel1"), QRect(72, 52, 273, 22));
    Label4 = Caption(this, QStringLiteral("传真号码"), 357, 52);
    EdtFax1 = Box(this, QStringLiteral("EdtFax1"), QRect(409, 52, 172, 22));
    Label5 = Caption(this, QStringLiteral("地址"), 16, 84);
    EdtAddress1 = Box(this, QStringLiteral("EdtAddress1"), QRect(72, 84, 337, 22));
    Label6 = Caption(this, QStringLiteral("邮编"), 421, 84);
    edtZip1 = Box(this, QStringLiteral("edtZip1"), QRect(449, 84, 121, 22));
    Label7 = Caption(this, QStringLiteral("公司简介"), 16, 116);
    MemIntrol1 = new QPlainTextEdit(this);
    MemIntrol1->setObjectName(QStringLiteral("MemIntrol1"));
    MemIntrol1->setGeometry(72, 116, 449, 179);
    MemIntrol1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    // The button band sits along the bottom of the larger client area.
    BgBevel1->setGeometry(0, 382, 602, 2);
    OkBtn1->move(360, 393);
    CancelBtn1->move(440, 393);
    HelpBtn1->move(518, 393);

    setTabOrder(EdtCompany1, EdtLawMan1);
    setTabOrder(EdtLawMan1, EdtTel1);
    setTabOrder(EdtTel1, EdtFax1);
    setTabOrder(EdtFax1, EdtAddress1);
    setTabOrder(EdtAddress1, edtZip1);
    setTabOrder(edtZip1, MemIntrol1);
    setTabOrder(MemIntrol1, OkBtn1);
    setTabOrder(OkBtn1, CancelBtn1);
    setTabOrder(CancelBtn1, HelpBtn1);
    EdtCompany1->setFocus();
}

QString TCompanyInfoFrm::CompanyName() const
{
    return EdtCompany1->text();
}
void TCompanyInfoFrm::SetCompanyName(const QString &value)
{
    EdtCompany1->setText(value);
}
QString TCompanyInfoFrm::Lawman() const
{
    return EdtLawMan1->text();
}
void TCompanyInfoFrm::SetLawman(const QString &value)
{
    EdtLawMan1->setText(value);
}
QString TCompanyInfoFrm::Tel() const
{
    return EdtTel1->text();
}
void TCompanyInfoFrm::SetTel(const QString &value)
{
    EdtTel1->setText(value);
}
QString TCompanyInfoFrm::Address() const
{
    return EdtAddress1->text();
}
void TCompanyInfoFrm::SetAddress(const QString &value)
{
    EdtAddress1->setText(value);
}
QString TCompanyInfoFrm::Zip() const
{
    return edtZip1->text();
}
void TCompanyInfoFrm::SetZip(const QString &value)
{
    edtZip1->setText(value);
}
QString TCompanyInfoFrm::Fax() const
{
    return EdtFax1->text();
}
void TCompanyInfoFrm::SetFax(const QString &value)
{
    EdtFax1->setText(value);
}
QString TCompanyInfoFrm::Profile() const
{
    return MemIntrol1->toPlainText();
}
void TCompanyInfoFrm::SetProfile(const QString &value)
{
    MemIntrol1->setPlainText(value);
}

void TCompanyInfoFrm::SetReadOnly(bool readOnly)
{
    OkBtn1->setEnabled(!readOnly);
    for (QLineEdit *box : {EdtCompany1, EdtLawMan1, EdtTel1, EdtFax1, EdtAddress1, edtZip1})
        box->setReadOnly(readOnly);
    MemIntrol1->setReadOnly(readOnly);
}

bool ShowCompanyInfo(TCompany &company, bool readOnly)
{
    TCompanyInfoFrm dialog;
    dialog.SetReadOnly(readOnly);
    dialog.SetCompanyName(company.CompanyName);
    dialog.SetLawman(company.Manager);
    dialog.SetTel(company.Tel);
    dialog.SetFax(company.Fax);
    dialog.SetAddress(company.Address);
    dialog.SetZip(company.Zip);
    dialog.SetProfile(company.Profile);
    for (;;) {
        if (dialog.ShowModal() != QDialog::Accepted || readOnly)
            return false;
        try {
            company.CompanyName = dialog.CompanyName();
            company.Manager = dialog.Lawman();
            company.Tel = dialog.Tel();
            company.Fax = dialog.Fax();
            company.Address = dialog.Address();
            company.Zip = dialog.Zip();
            company.Profile = dialog.Profile();
            company.SaveCompany();
            return true;
        } catch (const EAbort &) {
            throw;
        } catch (const Exception &error) {
            ShowInfo(error.Message());
            // The record keeps what is stored, not what was refused; the typed values stay
            // in the dialog for another try. A reload that fails too is reported and the
            // dialog still comes back.
            Guard([&] { company.LoadCompany(); });
        }
    }
}
