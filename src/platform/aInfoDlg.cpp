#include "aInfoDlg.h"

#include "Prompter.h"

#include <QFrame>
#include <QPushButton>

TAInfoDlgFrm::TAInfoDlgFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(469, 265);
    SetCentring(Centring::MainWindow);

    BgBevel1 = new QFrame(this);
    BgBevel1->setObjectName(QStringLiteral("BgBevel1"));
    BgBevel1->setFrameShape(QFrame::HLine);
    BgBevel1->setFrameShadow(QFrame::Sunken);
    BgBevel1->setGeometry(0, 217, 469, 2);
    Anchor(BgBevel1, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);

    CloseBtn1 = new QPushButton(QStringLiteral("关闭"), this);
    CloseBtn1->setObjectName(QStringLiteral("CloseBtn1"));
    CloseBtn1->setGeometry(307, 228, 75, 25);
    HelpBtn1 = new QPushButton(QStringLiteral("帮助"), this);
    HelpBtn1->setObjectName(QStringLiteral("HelpBtn1"));
    HelpBtn1->setGeometry(385, 228, 75, 25);
    for (QPushButton *button : {CloseBtn1, HelpBtn1}) {
        button->setAutoDefault(false);
        Anchor(button, Qt::RightEdge | Qt::BottomEdge);
    }

    connect(CloseBtn1, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(HelpBtn1, &QPushButton::clicked, this, [this] { Guard([this] { ShowHelp(); }); });
}
