// The start-up up to the login, run against the database it lays down itself in a fresh
// data directory; and the splash on its own.

#include "AppTest.h"
#include "DBConfig.h"
#include "Globals.h"
#include "Login.h"
#include "MainFrm.h"
#include "ModulesFixture.h"
#include "Prompter.h"
#include "Schema.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "Splash.h"
#include "Startup.h"
#include "TestMain.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QWindow>

#include <optional>

namespace {
int LogInAsSa(QDialog &shown)
{
    auto &dialog = static_cast<TLoginFrm &>(shown);
    dialog.edtLoginId1->setEditText(QStringLiteral("sa"));
    QTest::mouseClick(dialog.OkBtn1, Qt::LeftButton);
    return dialog.isVisible() ? -1 : dialog.result();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Whether Qt's application display name has been set: once it is, it no longer follows the
// application name, and the window manager shows it after every window title.
bool DisplayNameSet()
{
    const QString name = QCoreApplication::applicationName();
    const QString probe = QStringLiteral("pzarc-probe");
    QCoreApplication::setApplicationName(probe);
    const bool set = QGuiApplication::applicationDisplayName() != probe;
    QCoreApplication::setApplicationName(name);
    return set;
}

// The title the window system was given for a shown window, next to the window's own.
QString PlatformTitleMismatch(QWidget &window)
{
    if (!window.windowHandle())
        return QStringLiteral("%1 has no platform window").arg(window.metaObject()->className());
    if (window.windowHandle()->title() != window.windowTitle())
        return QStringLiteral("%1: \"%2\" shown as \"%3\"")
            .arg(window.metaObject()->className(), window.windowTitle(), window.windowHandle()->title());
    return {};
}
} // namespace

class TStartupTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase() { m_modules.emplace(); }
    void cleanupTestCase() { m_modules.reset(); }
    void init()
    {
        Database->SetConnected(false);
        CurrentOperator->Clear();
        m_home = std::make_unique<AppTest::THome>();
    }
    void cleanup()
    {
        Database->SetConnected(false);
        m_home.reset();
    }

    // A first start in an empty data directory connects to the database it lays down and
    // reports each step on the splash, which is gone before the login asks.
    void splashReportsEachStep()
    {
        ScriptedPrompter prompts;
        QStringList statuses;
        QPointer<TSplashFrm> splash;
        bool splashGoneAtLogin = false;
        prompts.OnDialog([&](QDialog &shown) {
            splashGoneAtLogin = splash.isNull();
            return LogInAsSa(shown);
        });
        TStartupHooks hooks;
        hooks.WatchSplash = [&](TSplashFrm &shown) {
            splash = &shown;
            statuses << shown.StatusLabel->text();
            connect(&shown, &TSplashFrm::StatusChanged, this, [&](const QString &text) { statuses << text; });
        };
        hooks.InsteadOfEventLoop = [](TmainFrm &) {};
        const int exitCode = RunStartup({}, hooks);
        QCOMPARE(exitCode, 0);
        QCOMPARE(statuses,
                 (QStringList{"正在创建数据连接...", "正在连接数据库,请稍候...", "正在创建公共对象,请稍候...",
                              "正在创建公共对象,请稍候....", "正在创建主程序,请稍候..."}));
        QVERIFY(splashGoneAtLogin);
        QVERIFY(prompts.Texts().isEmpty());
        QCOMPARE(ProgramCaption(), QStringLiteral("青岫档案管理系统"));
        QCOMPARE(ProductName, QStringLiteral("青岫档案管理系统"));
        QCOMPARE(DbBaseName, QStringLiteral("pzarc"));
        QCOMPARE(CurrentOperator->LoginId, QStringLiteral("sa"));
    }

    void exitCodes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("badConfig");
        QTest::addColumn<bool>("logIn");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<int>("messages");
        const QStringList login{QStringLiteral("TLoginFrm")};
        // Once in, "sa" is asked for the company name, which the delivered database lacks.
        const QStringList welcome{QStringLiteral("TCompanyInfoFrm")};
        QTest::newRow("command-line login")
            << QStringList{"sa", "", "x"} << false << false << 0 << welcome << 0;
        QTest::newRow("two arguments ask")
            << QStringList{"sa", ""} << false << true << 0 << login + welcome << 0;
        QTest::newRow("four arguments ask")
            << QStringList{"sa", "", "x", "y"} << false << true << 0 << login + welcome << 0;
        QTest::newRow("login cancelled") << QStringList() << false << false << 1 << login << 0;
        // The connection failure is the only message; no login follows the cancelled form.
        QTest::newRow("connection form cancelled") << QStringList{"sa", "", "x"} << true << false << 1
                                                   << QStringList{QStringLiteral("TDBConfigFrm")} << 1;
    }
    void exitCodes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, badConfig);
        QFETCH(bool, logIn);
        QFETCH(int, exitCode);
        QFETCH(QStringList, dialogs);
        QFETCH(int, messages);
        if (badConfig)
            WriteFile(TConfiger::FileName(), "[db]\r\nproviderIdx=0\r\n");
        ScriptedPrompter prompts;
        if (logIn)
            prompts.OnDialog(LogInAsSa);
        bool shownConnected = false;
        TStartupHooks hooks;
        hooks.InsteadOfEventLoop = [&](TmainFrm &shown) {
            shownConnected = shown.isVisible() && Database->Connected();
        };
        QCOMPARE(RunStartup(arguments, hooks), exitCode);
        QCOMPARE(prompts.Dialogs(), dialogs);
        QCOMPARE(prompts.Texts().size(), messages);
        QCOMPARE(shownConnected, exitCode == 0);
        // However the start-up ended, the main window's closing has left no connection open.
        QVERIFY(!Database->Connected());
        QCOMPARE(CurrentOperator->LoginId, exitCode == 0 ? QStringLiteral("sa") : QString());
    }

    // Windows carry exactly their own captions; the product's name captions the error box.
    void captionsAreTheWindowsOwn()
    {
        ScriptedPrompter prompts;
        QStringList mismatches;
        QString loginTitle;
        prompts.OnDialog([&](QDialog &shown) {
            loginTitle = shown.windowTitle();
            mismatches << PlatformTitleMismatch(shown);
            return LogInAsSa(shown);
        });
        TStartupHooks hooks;
        hooks.InsteadOfEventLoop = [&](TmainFrm &shown) { mismatches << PlatformTitleMismatch(shown); };
        QCOMPARE(RunStartup({}, hooks), 0);
        QCOMPARE(loginTitle, QStringLiteral("登陆"));
        mismatches.removeAll(QString());
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join(QStringLiteral("; "))));
        QVERIFY(!DisplayNameSet());
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());

        prompts.Clear();
        ShowErrorBox(QStringLiteral("坏了"));
        QCOMPARE(prompts.History().size(), 1);
        QCOMPARE(prompts.History().first().caption, QStringLiteral("青岫档案管理系统"));
    }

    // A database file that a killed first start left empty, or that is not this system's,
    // fails like any connection and the form is offered; a missing default database is a
    // question: a new empty register there, or another database through the form.
    void damagedOrMissingDatabase_data()
    {
        QTest::addColumn<QString>("database"); // "empty", "foreign" or "missing"
        QTest::addColumn<QVariant>("answer");  // to the question about a missing file
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QStringList>("dialogs");
        QTest::addColumn<bool>("complete"); // a whole register at the default path afterwards
        const QStringList form{QStringLiteral("TDBConfigFrm")};
        const QStringList welcome{QStringLiteral("TCompanyInfoFrm")};
        QTest::newRow("empty file") << "empty" << QVariant() << 1 << form << false;
        QTest::newRow("another program's database") << "foreign" << QVariant() << 1 << form << false;
        QTest::newRow("missing, new register")
            << "missing" << QVariant(QStringLiteral("新建")) << 0 << welcome << true;
        QTest::newRow("missing, another database")
            << "missing" << QVariant(QStringLiteral("选择其他数据库")) << 1 << form << false;
    }
    void damagedOrMissingDatabase()
    {
        QFETCH(QString, database);
        QFETCH(QVariant, answer);
        QFETCH(int, exitCode);
        QFETCH(QStringList, dialogs);
        QFETCH(bool, complete);
        WriteFile(TConfiger::FileName(), Schema::DeliveredConfig());
        const QString file = m_home->File(Schema::DefaultDatabaseFileName());
        if (database == QLatin1String("empty")) {
            WriteFile(file, {});
        } else if (database == QLatin1String("foreign")) {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            other.setDatabaseName(file);
            QVERIFY(other.open());
            QVERIFY(
                QSqlQuery(other).exec(QStringLiteral("create table notes (id integer, text varchar(20))")));
            other.close();
            other = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        }
        ScriptedPrompter prompts;
        if (answer.isValid())
            prompts.Answer(answer);
        TStartupHooks hooks;
        hooks.InsteadOfEventLoop = [](TmainFrm &) {};
        QCOMPARE(RunStartup({QStringLiteral("sa"), QString(), QStringLiteral("x")}, hooks), exitCode);
        QCOMPARE(prompts.Dialogs(), dialogs);
        const QStringList texts = prompts.Texts();
        QCOMPARE(texts.size(), 1);
        if (database == QLatin1String("missing")) {
            const auto &question = prompts.History().first();
            QCOMPARE(question.icon, MsgIcon::Question);
            QVERIFY2(question.text.contains(QDir::toNativeSeparators(file)), qPrintable(question.text));
            QCOMPARE(question.buttons, (QStringList{"新建", "选择其他数据库"}));
        } else {
            QVERIFY2(texts.first().startsWith(QStringLiteral("\r\n连接时失败,提示如下:\r\n")),
                     qPrintable(texts.first()));
            // What the user had is left as it was.
            QVERIFY(QFileInfo(file).isFile());
        }
        QCOMPARE(QFileInfo::exists(file), database != QLatin1String("missing") || complete);
        if (complete) {
            QSqlDatabase made = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("made"));
            made.setDatabaseName(file);
            QVERIFY(made.open());
            QVERIFY(Schema::MissingTables(made).isEmpty());
            made.close();
            made = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("made"));
        }
    }

    void splashPicture_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<int>("pictureHeight");
        QTest::newRow("no splash.jpg") << QByteArray() << 65;
        QTest::newRow("a picture") << QByteArray("JPG") << 180;
        QTest::newRow("a damaged file") << QByteArray("junk") << 65;
    }
    void splashPicture()
    {
        QFETCH(QByteArray, format);
        QFETCH(int, pictureHeight);
        const QString file = m_home->File(QStringLiteral("splash.jpg"));
        if (format == "JPG") {
            QImage picture(386, 180, QImage::Format_RGB32);
            picture.fill(Qt::darkBlue);
            QVERIFY(picture.save(file, "JPG"));
        } else if (!format.isEmpty()) {
            WriteFile(file, QByteArray(2048, 'x'));
        }
        ScriptedPrompter prompts;
        TSplashFrm splash(m_home->Path());
        QCOMPARE(splash.Picture->height(), pictureHeight);
        QCOMPARE(splash.Picture->pixmap().isNull(), pictureHeight == 65);
        QCOMPARE(splash.StatusLabel->text(), QStringLiteral("正在创建数据连接..."));
        QCOMPARE(splash.StatusLabel->pos(), QPoint(6, 208));
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QVERIFY(prompts.History().isEmpty());
    }

private:
    std::unique_ptr<AppTest::THome> m_home;
};

PZ_TEST(TStartupTest)
#include "tst_startup.moc"
