#include "BaseDialog.h"

#include "FormBuilder.h"
#include "Prompter.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

TADlgFrm::TADlgFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetCentring(Centring::Owner);

    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("Body"));
    BgBevel1 = Form::Bevel(QStringLiteral("BgBevel1"));
    OkBtn1 = Form::Button(QStringLiteral("确定(&O)"), QStringLiteral("OkBtn1"));
    CancelBtn1 = Form::Button(QStringLiteral("取消"), QStringLiteral("CancelBtn1"));
    HelpBtn1 = Form::Button(QStringLiteral("帮助"), QStringLiteral("HelpBtn1"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 9);
    layout->addWidget(m_body, 1);
    layout->addWidget(BgBevel1);
    QHBoxLayout *band = Form::ButtonRow({}, {OkBtn1, CancelBtn1, HelpBtn1});
    band->setContentsMargins(9, 0, 9, 0);
    layout->addLayout(band);
    Form::SetInitialSize(this, 469, 270);

    // Escape already rejects a QDialog, which is what CancelBtn1 does.
    connect(OkBtn1, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(CancelBtn1, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(HelpBtn1, &QPushButton::clicked, this, [this] { Guard([this] { ShowHelp(); }); });
}
