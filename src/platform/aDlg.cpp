#include "aDlg.h"

#include "Prompter.h"

#include <QFrame>
#include <QPushButton>

TADlgFrm::TADlgFrm(QWidget *owner) : TaFrm(owner)
{
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(469, 270);
    SetCentring(Centring::Owner);

    BgBevel1 = Bevel(this, QRect(0, 222, 469, 2));
    OkBtn1 = BandButton(this, QStringLiteral("确定(&O)"), QRect(227, 231, 75, 25));
    CancelBtn1 = BandButton(this, QStringLiteral("取消"), QRect(307, 231, 75, 25));
    HelpBtn1 = BandButton(this, QStringLiteral("帮助"), QRect(385, 231, 75, 25));
    OkBtn1->setObjectName(QStringLiteral("OkBtn1"));
    CancelBtn1->setObjectName(QStringLiteral("CancelBtn1"));
    HelpBtn1->setObjectName(QStringLiteral("HelpBtn1"));
    BgBevel1->setObjectName(QStringLiteral("BgBevel1"));
    Anchor(BgBevel1, Qt::LeftEdge | Qt::RightEdge | Qt::BottomEdge);
    for (QPushButton *button : {OkBtn1, CancelBtn1, HelpBtn1})
        Anchor(button, Qt::RightEdge | Qt::BottomEdge);

    // Escape already rejects a QDialog, which is what CancelBtn1 does.
    connect(OkBtn1, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
    connect(CancelBtn1, &QPushButton::clicked, this, [this] { done(QDialog::Rejected); });
    connect(HelpBtn1, &QPushButton::clicked, this, [this] { Guard([this] { ShowHelp(); }); });
}

QPushButton *TADlgFrm::BandButton(QWidget *parent, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setAutoDefault(false);
    button->setDefault(false);
    button->setGeometry(geometry);
    return button;
}

QFrame *TADlgFrm::Bevel(QWidget *parent, const QRect &geometry)
{
    auto *bevel = new QFrame(parent);
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(geometry);
    return bevel;
}
