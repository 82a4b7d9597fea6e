// The connection form over a real "cfg.ini", and the start-up connect loop on a real SQLite
// file (and PostgreSQL when configured).

#include "ConfigFixture.h"
#include "ConnectionDialog.h"
#include "Database.h"
#include "LayoutCheck.h"
#include "Paths.h"
#include "Schema.h"
#include "ScriptedPrompter.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <optional>

using LayoutCheck::EnlargeFont;

namespace {
const QString OpenFailurePrefix = QStringLiteral("\r\n连接时失败,提示如下:\r\n");

} // namespace

using namespace ConfigFixture;

class TConnectionDialogTest : public QObject
{
    Q_OBJECT

    std::optional<DataHome> m_home;
    QString Home() const { return m_home->Path(); }
    QString CfgFile() const { return m_home->FilePath(QStringLiteral("cfg.ini")); }

private slots:
    void initTestCase() { InitDataModule(); }
    void cleanupTestCase() { DoneDataModule(); }
    void init()
    {
        m_home.emplace();
        QVERIFY(m_home->IsValid());
        QCOMPARE(TConfiger::FileName(), CfgFile());
    }
    void cleanup() { m_home.reset(); }

    void formWithoutFile()
    {
        TDBConfigFrm form;
        QCOMPARE(form.windowTitle(), QString());
        // Opens at its designed size, or larger where its layout needs more.
        QVERIFY(form.width() >= 516 && form.height() >= 368);
        QCOMPARE(form.ProviderBox->currentIndex(), 0);
        QCOMPARE(form.Notebook1->currentWidget()->objectName(), QStringLiteral("mssql"));
        QCOMPARE(form.mssqlPortEdit1->text(), QStringLiteral("1433"));
        QCOMPARE(form.pgPortEdit1->text(), QStringLiteral("5432"));
        QCOMPARE(form.jetDefaultCheckBox1->isChecked(), true);
        QCOMPARE(form.jetfileEdit1->isEnabled(), false);
        QCOMPARE(form.OkButton->text(), QStringLiteral("确定(&Y)"));
        QCOMPARE(form.CancelButton->text(), QStringLiteral("取消"));
        QStringList items;
        for (int i = 0; i < form.ProviderBox->count(); ++i)
            items << form.ProviderBox->itemText(i);
        QCOMPARE(items, (QStringList{"Microsoft OLE DB Provider for Sql Server", "SQLite 本地数据库文件",
                                     "PzSoft Dip Provider for Sql Server", "PostgreSQL 数据库服务器"}));
        for (QLineEdit *secret : {form.mssqlPwEdit1, form.jetPwEdit1, form.pgPwEdit1})
            QCOMPARE(secret->echoMode(), QLineEdit::Password);
    }

    void formShowsSettings()
    {
        {
            TConfiger c;
            FillAll(c);
            c.providerIdx = TConfiger::PgProvider;
            c.defaultCon = false;
            c.SmartConnect = true;
            c.Save();
        }
        TDBConfigFrm form;
        QCOMPARE(form.ProviderBox->currentIndex(), 3);
        QCOMPARE(form.Notebook1->currentWidget()->objectName(), QStringLiteral("pgsql"));
        const QList<QPair<QLineEdit *, QString>> expected{{form.mssqlServerEdit1, "db.example"},
                                                          {form.mssqlPortEdit1, "1500"},
                                                          {form.mssqlDbEdit1, "档案"},
                                                          {form.mssqlUserEdit1, "sa"},
                                                          {form.mssqlPwEdit1, "secret"},
                                                          {form.jetfileEdit1, "/srv/档案.db"},
                                                          {form.jetUserEdit1, "张三"},
                                                          {form.jetPwEdit1, "密码"},
                                                          {form.edtDipUrl1, "http://dip.example/conn"},
                                                          {form.edtDipUser1, "u1"},
                                                          {form.pgServerEdit1, "pg.example"},
                                                          {form.pgPortEdit1, "5433"},
                                                          {form.pgDbEdit1, "arc"},
                                                          {form.pgUserEdit1, "pz"},
                                                          {form.pgPwEdit1, "secret"}};
        for (const auto &[edit, text] : expected)
            QCOMPARE(edit->text(), text);
        // Smart connection is a choice made at each save, never read back.
        QCOMPARE(form.SmartConnectBox->isChecked(), false);
        QCOMPARE(form.jetDefaultCheckBox1->isChecked(), false);
        QCOMPARE(form.ConnectionString(), StoredConnStr());
    }

    void providerPages_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("page");
        QTest::newRow("SQL Server") << 0 << "mssql";
        QTest::newRow("SQLite") << 1 << "jet4";
        QTest::newRow("DIP") << 2 << "pzdip";
        QTest::newRow("PostgreSQL") << 3 << "pgsql";
    }
    void providerPages()
    {
        QFETCH(int, index);
        QFETCH(QString, page);
        TDBConfigFrm form;
        QCOMPARE(form.Notebook1->count(), 4);
        form.ProviderBox->setCurrentIndex(3 - index);
        form.ProviderBox->setCurrentIndex(index);
        QCOMPARE(form.Notebook1->currentWidget()->objectName(), page);
    }

    void enablingRule()
    {
        {
            TConfiger c;
            c.defaultCon = false;
            c.Save();
        }
        TDBConfigFrm form;
        const QColor window = form.palette().color(QPalette::Base);
        const QColor buttonFace = form.palette().color(QPalette::Button);
        QVERIFY(window != buttonFace);
        auto check = [&](bool enabled, const QColor &colour) {
            for (QLineEdit *edit : {form.jetfileEdit1, form.jetUserEdit1, form.jetPwEdit1}) {
                QCOMPARE(edit->isEnabled(), enabled);
                QCOMPARE(edit->palette().color(QPalette::Base), colour);
            }
            QCOMPARE(form.jetFileButton1->isEnabled(), enabled);
        };
        check(true, window);
        form.jetDefaultCheckBox1->click();
        check(false, buttonFace);
        form.jetDefaultCheckBox1->click();
        check(true, window);
    }

    void fileChooser()
    {
        {
            TConfiger c;
            c.defaultCon = false;
            c.jetfile = QStringLiteral("/old.db");
            c.Save();
        }
        TDBConfigFrm form;
        ScriptedPrompter prompts;
        prompts.Answer(QVariant()); // cancelled
        form.jetFileButton1->click();
        QCOMPARE(form.jetfileEdit1->text(), QStringLiteral("/old.db"));
        prompts.Answer(QStringLiteral("/数据/档案.db"));
        form.jetFileButton1->click();
        QCOMPARE(form.jetfileEdit1->text(), QStringLiteral("/数据/档案.db"));
        QCOMPARE(prompts.History().size(), 2);
        QCOMPARE(prompts.History().last().kind, QStringLiteral("open"));
    }

    void okSaves()
    {
        TDBConfigFrm form;
        ScriptedPrompter prompts;
        form.ProviderBox->setCurrentIndex(3);
        form.pgServerEdit1->setText(QStringLiteral("127.0.0.1"));
        form.pgPortEdit1->setText(QStringLiteral("6543"));
        form.pgDbEdit1->setText(QStringLiteral("档案"));
        form.pgUserEdit1->setText(QStringLiteral("pz"));
        form.pgPwEdit1->setText(QStringLiteral("密码"));
        form.mssqlServerEdit1->setText(QStringLiteral("ms"));
        form.jetDefaultCheckBox1->setChecked(false);
        form.OkButton->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(prompts.History().size(), 0);
        const QString pg = QStringLiteral("Provider=PostgreSQL;Data Source=127.0.0.1;Port=6543;Initial "
                                          "Catalog=档案;User ID=pz;Password=密码");
        QCOMPARE(form.ConnectionString(), pg);
        TConfiger back;
        QCOMPARE(back.providerIdx, 3);
        QCOMPARE(back.pgPort, 6543);
        QCOMPARE(back.pgPw, QStringLiteral("密码"));
        QCOMPARE(back.mssqlServer, QStringLiteral("ms"));
        QCOMPARE(back.defaultCon, false);
        QCOMPARE(back.ConnectionString(), pg);
    }

    void okWithBadPort_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("text");
        QTest::newRow("SQL Server port") << "mssqlPortEdit1"
                                         << "14x3";
        QTest::newRow("empty PostgreSQL port") << "pgPortEdit1"
                                               << "";
    }
    void okWithBadPort()
    {
        QFETCH(QString, edit);
        QFETCH(QString, text);
        {
            TConfiger c;
            FillAll(c);
            c.Save();
        }
        const QByteArray before = ReadAll(CfgFile());
        TDBConfigFrm form;
        ScriptedPrompter prompts;
        form.ProviderBox->setCurrentIndex(1);
        form.findChild<QLineEdit *>(edit)->setText(text);
        form.OkButton->click();
        QCOMPARE(prompts.Texts(), QStringList{QStringLiteral("'%1' 不是有效的整数").arg(text)});
        QCOMPARE(prompts.History().first().icon, MsgIcon::Error);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(ReadAll(CfgFile()), before);
        QCOMPARE(form.Configer().providerIdx, 0);
    }

    void enterMovesFocus_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::newRow("provider list") << "ComboBox1"
                                       << "mssqlServerEdit1";
        QTest::newRow("edit") << "mssqlServerEdit1"
                              << "mssqlPortEdit1";
        QTest::newRow("password") << "mssqlPwEdit1"
                                  << "CheckBox1";
        QTest::newRow("check box, past the hidden pages") << "CheckBox1"
                                                          << "Button1";
    }
    void enterMovesFocus()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        TDBConfigFrm form;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *start = form.findChild<QWidget *>(from);
        start->setFocus();
        QCOMPARE(QApplication::focusWidget(), start);
        QTest::keyClick(start, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), form.findChild<QWidget *>(to));
        QVERIFY(form.isVisible());
        QCOMPARE(form.result(), 0);
    }

    // A focused button takes Enter itself instead of passing it on to move the focus.
    void enterPressesAFocusedButton_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << "Button1" << int(QDialog::Accepted);
        QTest::newRow("Cancel") << "Button2" << int(QDialog::Rejected);
    }
    void enterPressesAFocusedButton()
    {
        QFETCH(QString, button);
        QFETCH(int, result);
        TDBConfigFrm form;
        ScriptedPrompter prompts;
        form.show();
        QApplication::setActiveWindow(&form);
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto *pressed = form.findChild<QPushButton *>(button);
        pressed->setFocus();
        int finished = -1;
        connect(&form, &QDialog::finished, &form, [&finished](int code) { finished = code; });
        QTest::keyClick(pressed, Qt::Key_Return);
        QCOMPARE(finished, result);
        QVERIFY(!form.isVisible());
    }

    // Each provider's page clips no caption or control at the form's font and, once shown,
    // when that font grows by half: the form grows with its layout.
    void pagesClipNothing_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("SQL Server") << 0;
        QTest::newRow("SQLite") << 1;
        QTest::newRow("DIP") << 2;
        QTest::newRow("PostgreSQL") << 3;
    }
    void pagesClipNothing()
    {
        QFETCH(int, index);
        TDBConfigFrm form;
        form.ProviderBox->setCurrentIndex(index);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QStringList clipped = LayoutCheck::Clipped(&form);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        const QSize before = form.size();
        EnlargeFont(form);
        QCoreApplication::processEvents();
        clipped = LayoutCheck::Clipped(&form);
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        QVERIFY(form.width() >= before.width() && form.height() >= before.height());
    }

    // ---- the start-up connect loop ----

    void connectLoop_data()
    {
        QTest::addColumn<bool>("configured"); // a cfg.ini naming a missing typed file
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("pages"); // page showing as each form opens
        QTest::addColumn<bool>("connected");
        QTest::addColumn<int>("failures"); // connection failure messages
        QTest::addColumn<int>("errors");   // error boxes
        QTest::newRow("missing file, then the default file")
            << true << QStringList{"default"} << QStringList{"jet4"} << true << 1 << 0;
        QTest::newRow("no cfg.ini, then the default file")
            << false << QStringList{"default"} << QStringList{"mssql"} << true << 1 << 0;
        QTest::newRow("cancelled") << true << QStringList{"cancel"} << QStringList{"jet4"} << false << 1 << 0;
        QTest::newRow("no form handler") << true << QStringList{} << QStringList{} << false << 1 << 0;
        QTest::newRow("OK unchanged, then cancelled")
            << true << QStringList{"ok", "cancel"} << QStringList{"jet4", "jet4"} << false << 2 << 0;
        // The form keeps what was typed: the second round only mends the port.
        QTest::newRow("bad port, then mended")
            << true << QStringList{"badport", "mendport"} << QStringList{"jet4", "jet4"} << true << 2 << 1;
    }
    void connectLoop()
    {
        QFETCH(bool, configured);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, pages);
        QFETCH(bool, connected);
        QFETCH(int, failures);
        QFETCH(int, errors);
        const QString defaultFile = Paths::DataFile(Schema::DefaultDatabaseFileName());
        Schema::CreateDeliveredDatabase(defaultFile);
        if (configured) {
            TConfiger c;
            c.providerIdx = TConfiger::LocalFileProvider;
            c.defaultCon = false;
            c.jetfile = m_home->FilePath(QStringLiteral("missing.db"));
            c.Save();
        }
        ScriptedPrompter prompts;
        QStringList shownPages;
        for (const QString &step : steps) {
            prompts.OnDialog([&shownPages, step](QDialog &dialog) {
                auto &form = dynamic_cast<TDBConfigFrm &>(dialog);
                shownPages << form.Notebook1->currentWidget()->objectName();
                if (step == QLatin1String("default")) {
                    form.ProviderBox->setCurrentIndex(TConfiger::LocalFileProvider);
                    form.jetDefaultCheckBox1->setChecked(true);
                    form.OkButton->click();
                } else if (step == QLatin1String("mendport")) {
                    form.mssqlPortEdit1->setText(QStringLiteral("1433"));
                    form.OkButton->click();
                } else if (step == QLatin1String("ok")) {
                    form.OkButton->click();
                } else if (step == QLatin1String("badport")) {
                    form.mssqlPortEdit1->setText(QStringLiteral("x"));
                    form.ProviderBox->setCurrentIndex(TConfiger::LocalFileProvider);
                    form.jetDefaultCheckBox1->setChecked(true);
                    form.OkButton->click();
                } else {
                    form.CancelButton->click();
                }
                return form.result();
            });
        }
        QCOMPARE(ConnectDatabase(), connected);
        QCOMPARE(Database->Connected(), connected);
        QCOMPARE(shownPages, pages);
        QCOMPARE(prompts.Dialogs(), QStringList(pages.size() + (steps.isEmpty() ? 1 : 0), "TDBConfigFrm"));
        int failuresShown = 0;
        int errorsShown = 0;
        for (const auto &shown : prompts.History()) {
            failuresShown += shown.text.startsWith(OpenFailurePrefix) ? 1 : 0;
            errorsShown += shown.icon == MsgIcon::Error ? 1 : 0;
        }
        QCOMPARE(failuresShown, failures);
        QCOMPARE(errorsShown, errors);
        QCOMPARE(prompts.History().size(), failures + errors);
        if (connected) {
            QCOMPARE(Database->DataSource(), defaultFile);
            TConfiger saved;
            QCOMPARE(saved.providerIdx, 1);
            QCOMPARE(saved.defaultCon, true);
        }
    }

    // A database without the system's tables fails like a connection that does not open:
    // the failure, then the form, whose default file then connects.
    void refusesDatabaseWithoutTables_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty file") << "empty"
                                    << "数据库中没有本系统的数据表";
        QTest::newRow("another program's database") << "foreign"
                                                    << "数据库中没有本系统的数据表";
        QTest::newRow("a table missing") << "partial"
                                         << "数据库缺少数据表: backup";
    }
    void refusesDatabaseWithoutTables()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString typed = m_home->FilePath(QStringLiteral("typed.db"));
        if (kind == QLatin1String("partial")) {
            Schema::CreateDeliveredDatabase(typed);
        } else {
            QFile empty(typed);
            QVERIFY(empty.open(QIODevice::WriteOnly));
        }
        if (kind != QLatin1String("empty")) {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("typed"));
            db.setDatabaseName(typed);
            QVERIFY(db.open());
            QVERIFY(QSqlQuery(db).exec(kind == QLatin1String("partial")
                                           ? QStringLiteral("drop table backup")
                                           : QStringLiteral("create table notes (id integer)")));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("typed"));
        }
        Schema::CreateDeliveredDatabase(Paths::DataFile(Schema::DefaultDatabaseFileName()));
        {
            TConfiger c;
            c.providerIdx = TConfiger::LocalFileProvider;
            c.defaultCon = false;
            c.jetfile = typed;
            c.Save();
        }
        ScriptedPrompter prompts;
        prompts.OnDialog([](QDialog &dialog) {
            auto &form = dynamic_cast<TDBConfigFrm &>(dialog);
            form.jetDefaultCheckBox1->setChecked(true);
            form.OkButton->click();
            return form.result();
        });
        QVERIFY(ConnectDatabase());
        QCOMPARE(prompts.Dialogs(), QStringList{"TDBConfigFrm"});
        QCOMPARE(prompts.Texts().size(), 1);
        const QString failure = prompts.Texts().first();
        QVERIFY2(failure.startsWith(OpenFailurePrefix + reason), qPrintable(failure));
        QCOMPARE(prompts.History().first().icon, MsgIcon::Information);
        QCOMPARE(Database->DataSource(), Paths::DataFile(Schema::DefaultDatabaseFileName()));
        // The refused file is left as it was.
        QVERIFY(QFileInfo(typed).isFile());
    }

    // The default file missing is asked about before each try: another database leads to the
    // form (without a connection failure), a new register is laid down and connects.
    void missingDefaultFileAsksEachTime()
    {
        {
            TConfiger c;
            c.providerIdx = TConfiger::LocalFileProvider;
            c.defaultCon = true;
            c.Save();
        }
        const QString file = Paths::DataFile(Schema::DefaultDatabaseFileName());
        ScriptedPrompter prompts;
        prompts.Answer(QStringLiteral("选择其他数据库"));
        prompts.Answer(QStringLiteral("新建"));
        prompts.OnDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<TDBConfigFrm &>(dialog);
            // Still no file while the form shows.
            if (QFileInfo::exists(file))
                return int(QDialog::Rejected);
            form.OkButton->click();
            return form.result();
        });
        QVERIFY(ConnectDatabase());
        QCOMPARE(prompts.Dialogs(), QStringList{"TDBConfigFrm"});
        QCOMPARE(prompts.History().size(), 2);
        for (const auto &question : prompts.History()) {
            QCOMPARE(question.icon, MsgIcon::Question);
            QVERIFY(question.text.contains(QDir::toNativeSeparators(file)));
        }
        QCOMPARE(Database->DataSource(), file);
        QVERIFY(Schema::MissingTables(Database->Connection()).isEmpty());
    }

    void connectLoopToPostgreSQL()
    {
        if (!TestDb::RequireEngine(QStringLiteral("postgresql")))
            return;
        const auto items =
            ConnStr::Parse(TestDb::FreshConnectionString(QStringLiteral("postgresql"), "dbconfig"));
        auto value = [&](const char *key) { return ConnStr::Value(items, QLatin1String(key)); };
        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &form = dynamic_cast<TDBConfigFrm &>(dialog);
            form.ProviderBox->setCurrentIndex(TConfiger::PgProvider);
            form.pgServerEdit1->setText(value("Data Source"));
            const QString port = value("Port");
            form.pgPortEdit1->setText(port.isEmpty() ? QStringLiteral("5432") : port);
            form.pgDbEdit1->setText(value("Initial Catalog"));
            form.pgUserEdit1->setText(value("User ID"));
            form.pgPwEdit1->setText(value("Password"));
            form.OkButton->click();
            return form.result();
        });
        QVERIFY(ConnectDatabase());
        QCOMPARE(Database->Provider(), QStringLiteral("PostgreSQL"));
        QCOMPARE(prompts.Dialogs(), QStringList{"TDBConfigFrm"});
        // Saved: the next start connects without the form.
        Database->SetConnected(false);
        prompts.Clear();
        QVERIFY(ConnectDatabase());
        QCOMPARE(prompts.History().size(), 0);
    }
};

PZ_TEST(TConnectionDialogTest)
#include "tst_connectiondialog.moc"
