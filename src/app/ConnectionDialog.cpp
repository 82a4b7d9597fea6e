#include "ConnectionDialog.h"

#include "DBConfig.h"
#include "Database.h"
#include "Exceptions.h"
#include "FormBuilder.h"
#include "Paths.h"
#include "Prompter.h"
#include "Prompts.h"
#include "Schema.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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
        throw EConvertError(QStringLiteral("'%1' 不是有效的整数").arg(text));
    return value;
}

// With the default local file chosen and that file missing, asks whether to lay down a new
// empty register there or to choose another database. Answers true when the connection is
// worth trying: the file is there (or has just been laid down).
bool DefaultFileReady(const TConfiger &settings)
{
    if (settings.providerIdx != TConfiger::LocalFileProvider || !settings.defaultCon)
        return true;
    const QString file = Paths::DataFile(Schema::DefaultDatabaseFileName());
    if (QFileInfo::exists(file))
        return true;
    const QString text = QStringLiteral("找不到数据库文件:\r\n%1\r\n\r\n"
                                        "选择“新建”将在该位置建立一个新的空白档案库；"
                                        "选择“选择其他数据库”可在连接设置中指定其他数据库。")
                             .arg(QDir::toNativeSeparators(file));
    // Choosing another database is the default: it changes nothing on disk.
    const int answer = Prompter().MessageBox(MsgIcon::Question, QStringLiteral("确认"), text,
                                             {QStringLiteral("新建"), QStringLiteral("选择其他数据库")}, 1);
    if (answer != 0)
        return false;
    return Guard([&] { Schema::CreateDeliveredDatabase(file); });
}

// An open connection to a database without this system's tables (an empty file, another
// program's database) fails like any connection: a message, the connection closed.
bool HoldsStoredTables()
{
    const QStringList missing = Schema::MissingTables(Database->Connection());
    if (missing.isEmpty())
        return true;
    const QString reason =
        missing.size() == Schema::TableNames().size() - Schema::ClearDataTables().size()
            ? QStringLiteral("数据库中没有本系统的数据表,数据库文件可能不完整或已损坏。")
            : QStringLiteral("数据库缺少数据表: %1").arg(missing.join(QStringLiteral(", ")));
    ShowInfo(QStringLiteral("连接时失败,提示如下:\r\n%1").arg(reason));
    Database->SetConnected(false);
    return false;
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
    ProviderBox->setCurrentIndex(c.providerIdx);
    ProviderBoxChange(c.providerIdx);
}

TDBConfigFrm::~TDBConfigFrm() = default;

void TDBConfigFrm::BuildControls()
{
    setWindowTitle(QString());
    QFont formFont(QStringLiteral("宋体"));
    formFont.setPixelSize(12);
    setFont(formFont);

    auto edit = [](const char *name, bool password = false) {
        auto *control = Form::Named(new QLineEdit, QLatin1String(name));
        if (password)
            control->setEchoMode(QLineEdit::Password);
        return control;
    };

    auto *warning = Form::Named(new QLabel(this), QStringLiteral("Image1"));
    warning->setFixedSize(100, 80);
    warning->setAlignment(Qt::AlignCenter);
    warning->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(48, 48));
    auto *notes = new QVBoxLayout;
    for (const QString &line : {QStringLiteral("注意，程序无法正常连接到指定的数据库。"),
                                QStringLiteral("1.单机版用户，请检查数据库文件是否存在或者已被破坏；"),
                                QStringLiteral("2.网络版用户，请检查网络是否畅通以及数据库服务器是否启动。"),
                                QStringLiteral("另外，请检查以下连接参数是否正确：")})
        notes->addWidget(Form::Caption(line));
    auto *top = new QHBoxLayout;
    top->addWidget(warning, 0, Qt::AlignTop);
    top->addLayout(notes, 1);

    ProviderBox = Form::Named(new QComboBox, QStringLiteral("ComboBox1"));
    ProviderBox->addItems(
        {QStringLiteral("Microsoft OLE DB Provider for Sql Server"), QStringLiteral("SQLite 本地数据库文件"),
         QStringLiteral("PzSoft Dip Provider for Sql Server"), QStringLiteral("PostgreSQL 数据库服务器")});
    auto *providerRow = new QHBoxLayout;
    providerRow->addWidget(Form::Caption(QStringLiteral("提供者"), ProviderBox));
    providerRow->addWidget(ProviderBox, 1);

    auto *group = new QGroupBox(QStringLiteral("参数"));
    Notebook1 = Form::Named(new QStackedWidget, QStringLiteral("Notebook1"));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(Notebook1);

    auto newPage = [this](const char *name) {
        auto *page = Form::Named(new QWidget, QLatin1String(name));
        Notebook1->addWidget(page);
        auto *grid = new QGridLayout(page);
        // The group box around the pages gives the margin.
        grid->setContentsMargins(0, 0, 0, 0);
        grid->setColumnStretch(1, 1);
        return grid;
    };
    // One caption and its edit box per row.
    auto addRow = [](QGridLayout *grid, int row, const QString &caption, QLineEdit *box) {
        grid->addWidget(Form::Caption(caption, box), row, 0);
        grid->addWidget(box, row, 1);
        return box;
    };

    {
        QGridLayout *grid = newPage("mssql");
        mssqlServerEdit1 = addRow(grid, 0, QStringLiteral("服务器"), edit("mssqlServerEdit1"));
        mssqlPortEdit1 = addRow(grid, 1, QStringLiteral("端口"), edit("mssqlPortEdit1"));
        mssqlPortEdit1->setText(QStringLiteral("1433"));
        mssqlDbEdit1 = addRow(grid, 2, QStringLiteral("数据库名"), edit("mssqlDbEdit1"));
        mssqlUserEdit1 = addRow(grid, 3, QStringLiteral("登陆名"), edit("mssqlUserEdit1"));
        mssqlPwEdit1 = addRow(grid, 4, QStringLiteral("密 码"), edit("mssqlPwEdit1", true));
        SmartConnectBox =
            Form::Named(new QCheckBox(QStringLiteral("采用智能连接")), QStringLiteral("CheckBox1"));
        grid->addWidget(SmartConnectBox, 5, 1);
    }
    {
        QGridLayout *grid = newPage("jet4");
        jetDefaultCheckBox1 =
            Form::Named(new QCheckBox(QStringLiteral("使用默认连接")), QStringLiteral("jetDefaultCheckBox1"));
        grid->addWidget(jetDefaultCheckBox1, 0, 1);
        jetfileEdit1 = edit("jetfileEdit1");
        grid->addWidget(Form::Caption(QStringLiteral("数据库文件:"), jetfileEdit1), 1, 0);
        // A plain push button, like OK and Cancel: a focused button takes Enter itself.
        jetFileButton1 =
            Form::Named(new QPushButton(QStringLiteral("...")), QStringLiteral("jetFileButton1"));
        auto *fileRow = new QHBoxLayout;
        fileRow->addWidget(jetfileEdit1, 1);
        fileRow->addWidget(jetFileButton1);
        grid->addLayout(fileRow, 1, 1);
        jetUserEdit1 = addRow(grid, 2, QStringLiteral("用户名:"), edit("jetUserEdit1"));
        jetPwEdit1 = addRow(grid, 3, QStringLiteral("密码:"), edit("jetPwEdit1", true));
        grid->setRowStretch(4, 1);
    }
    {
        QGridLayout *grid = newPage("pzdip");
        edtDipUrl1 = addRow(grid, 0, QStringLiteral("DIP地址"), edit("edtDipUrl1"));
        edtDipUser1 = addRow(grid, 1, QStringLiteral("DIP用户"), edit("edtDipUser1"));
        grid->setRowStretch(2, 1);
    }
    {
        QGridLayout *grid = newPage("pgsql");
        pgServerEdit1 = addRow(grid, 0, QStringLiteral("服务器"), edit("pgServerEdit1"));
        pgPortEdit1 = addRow(grid, 1, QStringLiteral("端口"), edit("pgPortEdit1"));
        pgPortEdit1->setText(QStringLiteral("5432"));
        pgDbEdit1 = addRow(grid, 2, QStringLiteral("数据库名"), edit("pgDbEdit1"));
        pgUserEdit1 = addRow(grid, 3, QStringLiteral("登陆名"), edit("pgUserEdit1"));
        pgPwEdit1 = addRow(grid, 4, QStringLiteral("密 码"), edit("pgPwEdit1", true));
        grid->setRowStretch(5, 1);
    }

    // Plain push buttons: Enter on a focused one presses it; elsewhere it moves the focus on
    // (keyPressEvent), so no button is pressed from an edit box.
    OkButton = Form::Named(new QPushButton(QStringLiteral("确定(&Y)")), QStringLiteral("Button1"));
    CancelButton = Form::Named(new QPushButton(QStringLiteral("取消")), QStringLiteral("Button2"));

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(providerRow);
    layout->addWidget(group, 1);
    layout->addLayout(Form::ButtonRow({}, {OkButton, CancelButton}));
    Form::SetInitialSize(this, 516, 368);

    connect(ProviderBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { ProviderBoxChange(index); });
    connect(jetDefaultCheckBox1, &QCheckBox::toggled, this, [this] { jetDefaultCheckBox1Click(); });
    connect(jetFileButton1, &QPushButton::clicked, this,
            [this] { Guard([this] { jetFileButton1Click(); }); });
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
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

void TDBConfigFrm::ProviderBoxChange(int index)
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

void TDBConfigFrm::OkButtonClick()
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
        c.SmartConnect = SmartConnectBox->isChecked();
        c.defaultCon = jetDefaultCheckBox1->isChecked();
        c.providerIdx = ProviderBox->currentIndex();
        c.Save();
    });
    accept();
}

// ---- the start-up connect loop ----

bool ConnectDatabase()
{
    TDBConfigFrm form;
    // Open shows its own message on failure; the form then offers other settings.
    for (;;) {
        if (DefaultFileReady(form.Configer()) && Database->Open(form.ConnectionString()) &&
            HoldsStoredTables())
            break;
        if (Prompter().ExecDialog(form) != QDialog::Accepted)
            break;
        QCoreApplication::processEvents();
    }
    return Database->Connected();
}
