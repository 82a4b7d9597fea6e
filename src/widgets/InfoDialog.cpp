#include "InfoDialog.h"

#include "FormBuilder.h"
#include "Prompter.h"

#include <QFrame>
#include <QPushButton>
#include <QVBoxLayout>

TAInfoDlgFrm::TAInfoDlgFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    SetCentring(Centring::MainWindow);

    m_body = new QWidget(this);
    m_body->setObjectName(QStringLiteral("Body"));
    BgBevel1 = Form::Bevel(QStringLiteral("BgBevel1"));
    CloseBtn1 = Form::Button(QStringLiteral("关闭"), QStringLiteral("CloseBtn1"));
    HelpBtn1 = Form::Button(QStringLiteral("帮助"), QStringLiteral("HelpBtn1"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 9);
    layout->addWidget(m_body, 1);
    layout->addWidget(BgBevel1);
    QHBoxLayout *band = Form::ButtonRow({}, {CloseBtn1, HelpBtn1});
    band->setContentsMargins(9, 0, 9, 0);
    layout->addLayout(band);
    Form::SetInitialSize(this, 469, 265);

    connect(CloseBtn1, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(HelpBtn1, &QPushButton::clicked, this, [this] { Guard([this] { ShowHelp(); }); });
}
