#pragma once
// The company dialog: shows the company record, and lets it be changed unless it is opened
// for reading only. A save the database refuses brings the dialog back with what was typed.

#include "BaseDialog.h"
#include "CompanyInfo.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;

class TCompanyInfoFrm : public TADlgFrm
{
    Q_OBJECT
public:
    explicit TCompanyInfoFrm(QWidget *owner = nullptr);

    // Each value reads and writes its box directly.
    QString CompanyName() const;
    void SetCompanyName(const QString &value);
    // The person in charge: the record's Manager.
    QString Lawman() const;
    void SetLawman(const QString &value);
    QString Tel() const;
    void SetTel(const QString &value);
    QString Address() const;
    void SetAddress(const QString &value);
    QString Zip() const;
    void SetZip(const QString &value);
    QString Fax() const;
    void SetFax(const QString &value);
    QString Profile() const;
    void SetProfile(const QString &value);

    // Read-only: OK is disabled and the boxes only show their values.
    void SetReadOnly(bool readOnly);

    QLineEdit *EdtCompany1;
    QLineEdit *EdtLawMan1;
    QLineEdit *EdtTel1;
    QLineEdit *EdtFax1;
    QLineEdit *EdtAddress1;
    QLineEdit *edtZip1;
    QPlainTextEdit *MemIntrol1;
};

// Shows the company dialog on the record. Editable, each OK copies the dialog into the
// record and saves it; when the save fails its message is shown, the record is read back
// from the database and the dialog comes again with what was typed, until a save succeeds
// or the operator gives up. Answers whether the record was saved.
bool ShowCompanyInfo(TCompany &company, bool readOnly);
