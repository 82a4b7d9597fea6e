#include "ConnectionDialog.h"

#include "DBConfig.h"
#include "Database.h"
#include "Exceptions.h"
#include "Prompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyle>
#include <QVBoxLayout>

namespace {

int StrToInt(const QString &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return value;
}

} // namespace

// ---- TDBConfigFrm ----

TDBConfigFrm::TDBConfigFrm(QWidget *parent) : QDialog(parent), m_configer(std::make_unique<TConfiger>())
{
    BuildControls();

    const TConfiger &c = *m_configer;
    mssqlServerEdit1->setText(c.mssqlServer);
    mssqlPortEdit1->setText(QString::number(c.mssqlPort));
    mssqlDbEdit1->setText(c.mssqlDb);
    mssqlUserEdit1->setText(c.mssqlUser);
    mssqlPwEdit1->setText(c.mssqlPw);
    jetfileEdit1->setText(c.jetfile);
    jetUserEdit1->setText(c.jetUser);
    jetPwEdit1->setText(c.jetPw);
    edtDipUrl1->setText(c.dipUrl);
    edtDipUser1->setText(c.dipUser);
    pgServerEdit1->setText(c.pgServer);
    pgPortEdit1->setText(QString::number(c.pgPort));
    pgDbEdit1->setText(c.pgDb);
    pgUserEdit1->setText(c.pgUser);
    pgPwEdit1->setText(c.pgPw);
    jetDefaultCheckBox1->setChecked(c.defaultCon);
    jetDefaultCheckBox1Click();
    // A number without an item leaves the list without a choice and the first page showing.
    ComboBox1->setCurrentIndex(c.providerIdx);
    ComboBox1Change(c.providerIdx);
}

TDBConfigFrm::~TDBConfigFrm() = default;

void TDBConfigFrm::BuildControls()
{
    setWindowTitle(QString());
    QFont formFont(QStringLiteral("宋体"));
    formFont.setPixelSize(12);
    setFont(formFont);
    setFixedSize(516, 368);

    auto edit = [](QWidget *page, const char *name, bool password = false) {
        auto *control = new QLineEdit(page);
        control->setObjectName(QLatin1String(name));
        if (password)
            control->setEchoMode(QLineEdit::Password);
        return control;
    };
    auto label = [](QWidget *page, const QString &text) { return new QLabel(text, page); };

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedSize(100, 80);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    auto *notes = new QVBoxLayout;
    for (const QString &line : {QStringLiteral("注意，程序无法正常连接到指定的数据库。"),
                                QStringLiteral("1.单机版用户，请检查数据库文件是否存在或者已被破坏；"),
                                QStringLiteral("2.网络版用户，请检查网络是否畅通以及数据库服务器是否启动。"),
                                QStringLiteral("另外，请检查以下连接参数是否正确：")})
        notes->addWidget(label(this, line));
    auto *top = new QHBoxLayout;
    top->addWidget(Image1, 0, Qt::AlignTop);
    top->addLayout(notes, 1);

    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems(
        {QStringLiteral("Microsoft OLE DB Provider for Sql Server"), QStringLiteral("SQLite 本地数据库文件"),
         QStringLiteral("PzSoft Dip Provider for Sql Server"), QStringLiteral("PostgreSQL 数据库服务器")});
    auto *providerRow = new QHBoxLayout;
    providerRow->addWidget(label(this, QStringLiteral("提供者")));
    providerRow->addWidget(ComboBox1, 1);

    auto *group = new QGroupBox(QStringLiteral("参数"), this);
    Notebook1 = new QStackedWidget(group);
    Notebook1->setObjectName(QStringLiteral("Notebook1"));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(Notebook1);

    auto newPage = [this](const char *name) {
        auto *page = new QWidget(Notebook1);
        page->setObjectName(QLatin1String(name));
        Notebook1->addWidget(page);
        auto *grid = new QGridLayout(page);
        grid->setColumnStretch(1, 1);
        return std::pair{page, grid};
    };

    {
        auto [page, grid] = newPage("mssql");
        grid->addWidget(label(page, QStringLiteral("服务器")), 0, 0);
        grid->addWidget(mssqlServerEdit1 = edit(page, "mssqlServerEdit1"), 0, 1);
        grid->addWidget(label(page, QStringLiteral("端口")), 1, 0);
        grid->addWidget(mssqlPortEdit1 = edit(page, "mssqlPortEdit1"), 1, 1);
        mssqlPortEdit1->setText(QStringLiteral("1433"));
        grid->addWidget(label(page, QStringLiteral("数据库名")), 2, 0);
        grid->addWidget(mssqlDbEdit1 = edit(page, "mssqlDbEdit1"), 2, 1);
        grid->addWidget(label(page, QStringLiteral("登陆名")), 3, 0);
        grid->addWidget(mssqlUserEdit1 = edit(page, "mssqlUserEdit1"), 3, 1);
        grid->addWidget(label(page, QStringLiteral("密 码")), 4, 0);
        grid->addWidget(mssqlPwEdit1 = edit(page, "mssqlPwEdit1", true), 4, 1);
        CheckBox1 = new QCheckBox(QStringLiteral("采用智能连接"), page);
        CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
        grid->addWidget(CheckBox1, 5, 1);
    }
    {
        auto [page, grid] = newPage("jet4");
        jetDefaultCheckBox1 = new QCheckBox(QStringLiteral("使用默认连接"), page);
        jetDefaultCheckBox1->setObjectName(QStringLiteral("jetDefaultCheckBox1"));
        grid->addWidget(jetDefaultCheckBox1, 0, 1);
        grid->addWidget(label(page, QStringLiteral("数据库文件:")), 1, 0);
        auto *fileRow = new QHBoxLayout;
        fileRow->addWidget(jetfileEdit1 = edit(page, "jetfileEdit1"), 1);
        jetFileButton1 = new QPushButton(QStringLiteral("..."), page);
        jetFileButton1->setObjectName(QStringLiteral("jetFileButton1"));
        jetFileButton1->setFixedWidth(28);
        fileRow->addWidget(jetFileButton1);
        grid->addLayout(fileRow, 1, 1);
        grid->addWidget(label(page, QStringLiteral("用户名:")), 2, 0);
        grid->addWidget(jetUserEdit1 = edit(page, "jetUserEdit1"), 2, 1);
        grid->addWidget(label(page, QStringLiteral("密码:")), 3, 0);
        grid->addWidget(jetPwEdit1 = edit(page, "jetPwEdit1", true), 3, 1);
        grid->setRowStretch(4, 1);
    }
    {
        auto [page, grid] = newPage("pzdip");
        grid->addWidget(label(page, QStringLiteral("DIP地址")), 0, 0);
        grid->addWidget(edtDipUrl1 = edit(page, "edtDipUrl1"), 0, 1);
        grid->addWidget(label(page, QStringLiteral("DIP用户")), 1, 0);
        grid->addWidget(edtDipUser1 = edit(page, "edtDipUser1"), 1, 1);
        grid->setRowStretch(2, 1);
    }
    {
        auto [page, grid] = newPage("pgsql");
        grid->addWidget(label(page, QStringLiteral("服务器")), 0, 0);
        grid->addWidget(pgServerEdit1 = edit(page, "pgServerEdit1"), 0, 1);
        grid->addWidget(label(page, QStringLiteral("端口")), 1, 0);
        grid->addWidget(pgPortEdit1 = edit(page, "pgPortEdit1"), 1, 1);
        pgPortEdit1->setText(QStringLiteral("5432"));
        grid->addWidget(label(page, QStringLiteral("数据库名")), 2, 0);
        grid->addWidget(pgDbEdit1 = edit(page, "pgDbEdit1"), 2, 1);
        grid->addWidget(label(page, QStringLiteral("登陆名")), 3, 0);
        grid->addWidget(pgUserEdit1 = edit(page, "pgUserEdit1"), 3, 1);
        grid->addWidget(label(page, QStringLiteral("密 码")), 4, 0);
        grid->addWidget(pgPwEdit1 = edit(page, "pgPwEdit1", true), 4, 1);
        grid->setRowStretch(5, 1);
    }

    Button1 = new QPushButton(QStringLiteral("确定(&Y)"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button2 = new QPushButton(QStringLiteral("取消"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(providerRow);
    layout->addWidget(group, 1);
    layout->addLayout(buttons);

    connect(ComboBox1, &QComboBox::currentIndexChanged, this, [this](int index) { ComboBox1Change(index); });
    connect(jetDefaultCheckBox1, &QCheckBox::toggled, this, [this] { jetDefaultCheckBox1Click(); });
    connect(jetFileButton1, &QPushButton::clicked, this,
            [this] { Guard([this] { jetFileButton1Click(); }); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
}

QString TDBConfigFrm::ConnectionString() const
{
    return m_configer->ConnectionString();
}

void TDBConfigFrm::keyPressEvent(QKeyEvent *event)
{
    // Edits, lists and check boxes pass Enter on; it moves on to the next control instead of
    // closing the form. A focused button takes Enter itself and never gets here.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TDBConfigFrm::ComboBox1Change(int index)
{
    if (index >= 0 && index < Notebook1->count())
        Notebook1->setCurrentIndex(index);
}

void TDBConfigFrm::jetDefaultCheckBox1Click()
{
    const bool useDefault = jetDefaultCheckBox1->isChecked();
    const QColor colour = palette().color(useDefault ? QPalette::Button : QPalette::Base);
    for (QLineEdit *control : {jetfileEdit1, jetUserEdit1, jetPwEdit1}) {
        control->setEnabled(!useDefault);
        QPalette shade = control->palette();
        shade.setColor(QPalette::Base, colour);
        control->setPalette(shade);
    }
    jetFileButton1->setEnabled(!useDefault);
}

void TDBConfigFrm::jetFileButton1Click()
{
    const QString file = Prompter().OpenFileName(QStringLiteral("打开"),
                                                 QStringLiteral("数据库文件|*.db;*.sqlite|所有文件|*.*"),
                                                 jetfileEdit1->text());
    if (!file.isEmpty())
        jetfileEdit1->setText(file);
}

void TDBConfigFrm::Button1Click()
{
    // A port that is not a number is shown and nothing is saved, yet the form still closes
    // with OK: the connect loop tries the unchanged settings and, when they fail, offers the
    // form again with what was typed still in it.
    Guard([this] {
        const int mssqlPort = StrToInt(mssqlPortEdit1->text());
        const int pgPort = StrToInt(pgPortEdit1->text());
        TConfiger &c = *m_configer;
        c.mssqlServer = mssqlServerEdit1->text();
        c.mssqlPort = mssqlPort;
        c.mssqlDb = mssqlDbEdit1->text();
        c.mssqlUser = mssqlUserEdit1->text();
        c.mssqlPw = mssqlPwEdit1->text();
        c.jetfile = jetfileEdit1->text();
        c.jetUser = jetUserEdit1->text();
        c.jetPw = jetPwEdit1->text();
        c.dipUrl = edtDipUrl1->text();
        c.dipUser = edtDipUser1->text();
        c.pgServer = pgServerEdit1->text();
        c.pgPort = pgPort;
        c.pgDb = pgDbEdit1->text();
        c.pgUser = pgUserEdit1->text();
        c.pgPw = pgPwEdit1->text();
        c.SmartConnect = CheckBox1->isChecked();
        c.defaultCon = jetDefaultCheckBox1->isChecked();
        c.providerIdx = ComboBox1->currentIndex();
        c.Save();
    });
    accept();
}

// ---- the start-up connect loop ----

bool ConnectDatabase()
{
    TDBConfigFrm form;
    // Open shows its own message on failure; the form then offers other settings.
    while (!Database->Open(form.ConnectionString())) {
        if (Prompter().ExecDialog(form) != QDialog::Accepted)
            break;
        QCoreApplication::processEvents();
    }
    return Database->Connected();
}
