#include "Login.h"

#include "DBConfig.h"
#include "Globals.h"
#include "pzProj.h"

#include <QComboBox>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QPushButton>
#include <QStyle>

namespace {
// The picture at the right of the heading band: a stack of archive boxes.
QPixmap HeadingPicture(const QSize &size)
{
    QPixmap picture(size);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(0x3d, 0x7e, 0xc1), QColor(0x5b, 0x9b, 0xd5), QColor(0x9c, 0xc3, 0xe6)};
    for (int i = 0; i < 3; ++i) {
        const QRectF box(18 + i * 24, 12 + (2 - i) * 4, 20, 40 - (2 - i) * 4);
        QLinearGradient shade(box.topLeft(), box.topRight());
        shade.setColorAt(0, colours[i].lighter(130));
        shade.setColorAt(1, colours[i]);
        painter.setPen(colours[i].darker(140));
        painter.setBrush(shade);
        painter.drawRoundedRect(box, 2, 2);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(box.left() + 5, box.top() + 6, box.width() - 10, 6));
    }
    return picture;
}
} // namespace

TLoginFrm::TLoginFrm(QWidget *owner) : TADlgFrm(owner)
{
    setWindowTitle(QStringLiteral("登陆"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setFixedSize(351, 226);
    SetCentring(Centring::Screen);

    Shape1 = new QWidget(this);
    Shape1->setGeometry(0, 0, 351, 60);
    Shape1->setAutoFillBackground(true);
    QPalette white = Shape1->palette();
    white.setColor(QPalette::Window, Qt::white);
    Shape1->setPalette(white);

    Image2 = new QLabel(this);
    Image2->setGeometry(10, 13, 39, 33);
    Image2->setAlignment(Qt::AlignCenter);
    Image2->setPixmap(
        QIcon::fromTheme(QStringLiteral("system-users"), style()->standardIcon(QStyle::SP_ComputerIcon))
            .pixmap(32, 32));

    Label3 = new QLabel(ProductName, this);
    QFont heading = font();
    heading.setPixelSize(16);
    heading.setBold(true);
    Label3->setFont(heading);
    Label3->setGeometry(50, 22, 190, 20);

    Image1 = new QLabel(this);
    Image1->setGeometry(243, 1, 106, 57);
    Image1->setPixmap(HeadingPicture(Image1->size()));

    Bevel1 = Bevel(this, QRect(0, 60, 351, 2));

    Label5 = new QLabel(QStringLiteral("请输入您的用户名和密码:"), this);
    Label5->move(93, 84);
    Label1 = new QLabel(QStringLiteral("用户名(&U)"), this);
    Label1->move(29, 108);
    edtLoginId1 = new QComboBox(this);
    edtLoginId1->setObjectName(QStringLiteral("edtLoginId1"));
    edtLoginId1->setEditable(true);
    // What is typed is a login id to try, not an item to keep.
    edtLoginId1->setInsertPolicy(QComboBox::NoInsert);
    edtLoginId1->setGeometry(93, 106, 200, 20);
    Label1->setBuddy(edtLoginId1);

    Label2 = new QLabel(QStringLiteral("密码(&P)"), this);
    Label2->move(29, 143);
    edtPassword1 = new QLineEdit(this);
    edtPassword1->setObjectName(QStringLiteral("edtPassword1"));
    edtPassword1->setEchoMode(QLineEdit::Password);
    edtPassword1->setGeometry(93, 141, 200, 20);
    Label2->setBuddy(edtPassword1);

    BgBevel1->setGeometry(0, 178, 351, 2);
    OkBtn1->move(111, 191);
    CancelBtn1->move(191, 191);
    HelpBtn1->move(269, 191);
    for (QWidget *control : {static_cast<QWidget *>(BgBevel1), static_cast<QWidget *>(OkBtn1),
                             static_cast<QWidget *>(CancelBtn1), static_cast<QWidget *>(HelpBtn1)})
        Anchor(control, Qt::BottomEdge);

    setTabOrder(edtPassword1, OkBtn1);
    setTabOrder(OkBtn1, CancelBtn1);
    setTabOrder(CancelBtn1, HelpBtn1);
    setTabOrder(HelpBtn1, edtLoginId1);
    edtPassword1->setFocus();

    connect(edtPassword1, &QLineEdit::returnPressed, OkBtn1, &QPushButton::click);

    {
        TOperatorSet operators;
        const QString ids = operators.JoinValues(operators.UserIdField(), QStringLiteral("\r\n"));
        if (!ids.isEmpty())
            edtLoginId1->addItems(ids.split(QStringLiteral("\r\n")));
    }
    const QString last = TConfiger::ReadLastLoginId();
    edtLoginId1->setEditText(last.isEmpty() ? SuperUserId : last);
}

bool TLoginFrm::CanClose(int modalResult)
{
    if (!TADlgFrm::CanClose(modalResult))
        return false;
    if (modalResult != QDialog::Accepted)
        return true;
    m_operator.LoadByLoginId(edtLoginId1->currentText());
    if (!m_operator.CheckPasswd(edtPassword1->text())) {
        edtPassword1->setFocus();
        edtPassword1->selectAll();
        return false;
    }
    CurrentOperator->LoadByLoginId(m_operator.LoginId);
    TConfiger::WriteLastLoginId(CurrentOperator->LoginId);
    return true;
}

bool ShowLogin()
{
    TLoginFrm dialog(TaFrm::MainWindow());
    return dialog.ShowModal() == QDialog::Accepted;
}

bool Login(bool commandLineAllowed, const QStringList &arguments)
{
    if (commandLineAllowed && arguments.size() == 3) {
        const TOperator before = *CurrentOperator;
        CurrentOperator->LoadByLoginId(arguments[0]);
        if (CurrentOperator->CheckPasswd(arguments[1]))
            return true;
        // Only a successful login changes the current operator.
        *CurrentOperator = before;
    }
    return ShowLogin();
}
