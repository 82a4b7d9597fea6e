#include "Login.h"

#include "DBConfig.h"
#include "FormBuilder.h"
#include "Globals.h"
#include "Settings.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

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

// The look of the desktop, except that each typed character of a password shows as '*'.
class TPasswordStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
} // namespace

TLoginFrm::TLoginFrm(QWidget *owner) : TADlgFrm(owner)
{
    setWindowTitle(QStringLiteral("登陆"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    SetCentring(Centring::Screen);

    // The white heading band: a picture, the product name, the archive boxes.
    auto *heading = new QWidget(Body());
    heading->setAutoFillBackground(true);
    QPalette white = heading->palette();
    white.setColor(QPalette::Window, Qt::white);
    heading->setPalette(white);
    heading->setMinimumHeight(60);
    auto *userPicture = new QLabel(heading);
    userPicture->setAlignment(Qt::AlignCenter);
    userPicture->setPixmap(
        QIcon::fromTheme(QStringLiteral("system-users"), style()->standardIcon(QStyle::SP_ComputerIcon))
            .pixmap(32, 32));
    ProductLabel = new QLabel(ProductName, heading);
    QFont bold = font();
    bold.setPixelSize(16);
    bold.setBold(true);
    ProductLabel->setFont(bold);
    auto *boxes = new QLabel(heading);
    boxes->setPixmap(HeadingPicture(QSize(106, 57)));
    auto *headingRow = new QHBoxLayout(heading);
    headingRow->setContentsMargins(10, 1, 2, 1);
    headingRow->addWidget(userPicture);
    headingRow->addWidget(ProductLabel, 1);
    headingRow->addWidget(boxes);

    edtLoginId1 = Form::Named(new QComboBox, QStringLiteral("edtLoginId1"));
    edtLoginId1->setEditable(true);
    // What is typed is a login id to try, not an item to keep.
    edtLoginId1->setInsertPolicy(QComboBox::NoInsert);
    edtLoginId1->setMinimumWidth(200);
    edtPassword1 = Form::Named(new QLineEdit, QStringLiteral("edtPassword1"));
    edtPassword1->setEchoMode(QLineEdit::Password);
    // A widget does not own its style; the dialog does, and outlives the box.
    auto *passwordStyle = new TPasswordStyle;
    passwordStyle->setParent(this);
    edtPassword1->setStyle(passwordStyle);

    auto *fields = new QGridLayout;
    fields->setContentsMargins(29, 16, 40, 12);
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(12);
    fields->addWidget(new QLabel(QStringLiteral("请输入您的用户名和密码:")), 0, 1);
    fields->addWidget(Form::Caption(QStringLiteral("用户名(&U)"), edtLoginId1), 1, 0);
    fields->addWidget(edtLoginId1, 1, 1);
    fields->addWidget(Form::Caption(QStringLiteral("密码(&P)"), edtPassword1), 2, 0);
    fields->addWidget(edtPassword1, 2, 1);
    fields->setColumnStretch(1, 1);

    auto *body = new QVBoxLayout(Body());
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    body->addWidget(heading);
    body->addWidget(Form::Bevel());
    body->addLayout(fields);
    body->addStretch(1);
    Form::SetInitialSize(this, 351, 226);

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
    TLoginFrm dialog(WindowBehaviour::MainWindow());
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
