#pragma once
// The connection form, which edits section "db" of "cfg.ini" when the configured connection
// cannot be opened, and the start-up connect loop that offers it.

#include <QDialog>

#include <memory>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class TConfiger;

// The connection form, shown when the configured connection cannot be opened.
class TDBConfigFrm : public QDialog
{
    Q_OBJECT
public:
    explicit TDBConfigFrm(QWidget *parent = nullptr);
    ~TDBConfigFrm() override;

    QString ConnectionString() const;
    TConfiger &Configer() { return *m_configer; }

    QComboBox *ProviderBox;
    QStackedWidget *Notebook1;
    // page "mssql"
    QLineEdit *mssqlServerEdit1;
    QLineEdit *mssqlPortEdit1;
    QLineEdit *mssqlDbEdit1;
    QLineEdit *mssqlUserEdit1;
    QLineEdit *mssqlPwEdit1;
    QCheckBox *SmartConnectBox;
    // page "jet4"
    QCheckBox *jetDefaultCheckBox1;
    QLineEdit *jetfileEdit1;
    QPushButton *jetFileButton1;
    QLineEdit *jetUserEdit1;
    QLineEdit *jetPwEdit1;
    // page "pzdip"
    QLineEdit *edtDipUrl1;
    QLineEdit *edtDipUser1;
    // page "pgsql"
    QLineEdit *pgServerEdit1;
    QLineEdit *pgPortEdit1;
    QLineEdit *pgDbEdit1;
    QLineEdit *pgUserEdit1;
    QLineEdit *pgPwEdit1;

    QPushButton *OkButton;
    QPushButton *CancelButton;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void BuildControls();
    void ProviderBoxChange(int index);
    void jetDefaultCheckBox1Click();
    void jetFileButton1Click();
    void OkButtonClick();

    std::unique_ptr<TConfiger> m_configer;
};

// Opens Database with the configured connection; after each failure offers the connection
// form and tries again with what it saved. A database without the system's tables is a
// failure too. When the default local file is configured but missing, asks first whether to
// lay down a new empty register there or to go to the form. Answers false when the form was
// cancelled.
bool ConnectDatabase();
