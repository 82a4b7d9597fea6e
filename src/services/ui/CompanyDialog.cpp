#include "CompanyDialog.h"

#include "Exceptions.h"
#include "FormBuilder.h"
#include "Prompter.h"
#include "Prompts.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <utility>

namespace {

QLineEdit *Box(const QString &name, int minimumWidth)
{
    auto *box = Form::Named(new QLineEdit, name);
    box->setMinimumWidth(minimumWidth);
    return box;
}

} // namespace

TCompanyInfoFrm::TCompanyInfoFrm(QWidget *owner) : TADlgFrm(owner)
{
    setObjectName(QStringLiteral("CompanyInfoFrm"));
    setWindowTitle(QStringLiteral("公司信息"));
    EdtCompany1 = Box(QStringLiteral("EdtCompany1"), 257);
    EdtLawMan1 = Box(QStringLiteral("EdtLawMan1"), 169);
    EdtTel1 = Box(QStringLiteral("EdtTel1"), 257);
    EdtFax1 = Box(QStringLiteral("EdtFax1"), 169);
    EdtAddress1 = Box(QStringLiteral("EdtAddress1"), 257);
    edtZip1 = Box(QStringLiteral("edtZip1"), 121);
    MemIntrol1 = Form::Named(new QPlainTextEdit, QStringLiteral("MemIntrol1"));
    MemIntrol1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    MemIntrol1->setMinimumHeight(179);
    // Tab moves on to the buttons, as from every other box; the profile holds no tabs.
    MemIntrol1->setTabChangesFocus(true);

    auto *grid = new QGridLayout(Body());
    grid->setContentsMargins(16, 20, 20, 12);
    grid->setVerticalSpacing(10);
    grid->setHorizontalSpacing(8);
    const std::pair<const char *, QWidget *> rows[][2] = {
        {{"企业名称", EdtCompany1}, {"负责人", EdtLawMan1}},
        {{"联系电话", EdtTel1}, {"传真号码", EdtFax1}},
        {{"地址", EdtAddress1}, {"邮编", edtZip1}},
    };
    int row = 0;
    for (const auto &pair : rows) {
        for (int side = 0; side < 2; ++side) {
            QWidget *box = pair[side].second;
            grid->addWidget(Form::Caption(QString::fromUtf8(pair[side].first), box), row, side * 2);
            grid->addWidget(box, row, side * 2 + 1);
        }
        ++row;
    }
    auto *introCaption = Form::Caption(QStringLiteral("公司简介"), MemIntrol1);
    grid->addWidget(introCaption, row, 0, Qt::AlignTop);
    grid->addWidget(MemIntrol1, row, 1, 1, 3);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
    grid->setRowStretch(row, 1);
    Form::SetInitialSize(this, 602, 432);

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
