// The login on a real SQLite database: the dialog as it opens, the credentials it accepts
// and refuses (staying open with the password selected), the command-line rule of three
// arguments, the remembered login id and the help page.

#include "AppTest.h"
#include "DBConfig.h"
#include "Globals.h"
#include "HelpWindow.h"
#include "Login.h"
#include "ModulesFixture.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <QTextBrowser>
#include <optional>

class TLoginTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase()
    {
        m_modules.emplace();
        SetProductGlobals();
        ScriptedPrompter prompts;
        QVERIFY2(
            Database->Open(TestDb::FreshConnectionString(QStringLiteral("sqlite"), QStringLiteral("login"))),
            qPrintable(prompts.LastText()));
        TOperatorSet operators;
        operators.AddOperator(QStringLiteral("zhang"), QStringLiteral("pw1"), RightItem(RightPrint), {}, {},
                              QStringLiteral("张三"));
        operators.AddOperator(QStringLiteral("li"), QString(), QString(), {}, {}, QStringLiteral("李四"));
    }
    void cleanupTestCase() { m_modules.reset(); }
    void init()
    {
        m_home = std::make_unique<AppTest::THome>();
        CurrentOperator->Clear();
    }
    void cleanup() { m_home.reset(); }

    void dialogOpensReady()
    {
        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &shown) {
            auto &dialog = static_cast<TLoginFrm &>(shown);
            [&] {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("登陆"));
                QCOMPARE(dialog.ProductLabel->text(), QStringLiteral("青岫档案管理系统"));
                QCOMPARE(dialog.edtLoginId1->currentText(), QStringLiteral("sa"));
                QStringList items;
                for (int i = 0; i < dialog.edtLoginId1->count(); ++i)
                    items << dialog.edtLoginId1->itemText(i);
                items.sort();
                QCOMPARE(items, (QStringList{QStringLiteral("li"), QStringLiteral("zhang")}));

                // The password box first, then the buttons, then the login id, and round again.
                QCOMPARE(dialog.focusWidget(), dialog.edtPassword1);
                const QList<QWidget *> order{dialog.OkBtn1, dialog.CancelBtn1, dialog.HelpBtn1,
                                             dialog.edtLoginId1, dialog.edtPassword1};
                for (QWidget *expected : order) {
                    QTest::keyClick(dialog.focusWidget(), Qt::Key_Tab);
                    QWidget *focused = dialog.focusWidget();
                    QVERIFY2(focused == expected || focused->parentWidget() == expected,
                             qPrintable(focused->objectName()));
                }
            }();
            return int(QDialog::Rejected);
        });
        QVERIFY(!ShowLogin());
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TLoginFrm")});
    }

    // A typed password shows one '*' per character.
    void passwordShowsStars()
    {
        ScriptedPrompter prompts;
        QString shown;
        prompts.OnDialog([&](QDialog &base) {
            auto &dialog = static_cast<TLoginFrm &>(base);
            QTest::keyClicks(dialog.edtPassword1, QStringLiteral("pw1"));
            shown = dialog.edtPassword1->displayText();
            return int(QDialog::Rejected);
        });
        QVERIFY(!ShowLogin());
        QCOMPARE(shown, QStringLiteral("***"));
    }

    void credentials_data()
    {
        QTest::addColumn<QString>("loginId");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("sa with its empty password") << "sa"
                                                    << "" << true;
        QTest::newRow("an operator from the list") << "zhang"
                                                   << "pw1" << true;
        QTest::newRow("an operator without password") << "li"
                                                      << "" << true;
        QTest::newRow("password case matters") << "zhang"
                                               << "PW1" << false;
        QTest::newRow("empty for a password") << "zhang"
                                              << "" << false;
        QTest::newRow("sa with a password") << "sa"
                                            << "x" << false;
        QTest::newRow("unknown login id") << "wang"
                                          << "" << false;
    }
    // Enter in the password box asks to close with OK; a refusal keeps the dialog open with
    // the password selected and changes nothing.
    void credentials()
    {
        QFETCH(QString, loginId);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &shown) {
            auto &dialog = static_cast<TLoginFrm &>(shown);
            dialog.edtLoginId1->setEditText(loginId);
            QTest::keyClicks(dialog.edtPassword1, password);
            QTest::keyClick(dialog.edtPassword1, Qt::Key_Return);
            if (!accepted) {
                [&] {
                    QVERIFY(dialog.isVisible());
                    QCOMPARE(dialog.focusWidget(), dialog.edtPassword1);
                    QCOMPARE(dialog.edtPassword1->selectedText(), password);
                    QCOMPARE(dialog.edtPassword1->selectionStart(), password.isEmpty() ? -1 : 0);
                    QVERIFY(CurrentOperator->LoginId.isEmpty());
                    QVERIFY(!QFile::exists(TConfiger::FileName()) || TConfiger::ReadLastLoginId().isEmpty());
                }();
                QTest::keyClick(dialog.edtPassword1, Qt::Key_Escape);
            }
            return dialog.isVisible() ? -1 : dialog.result();
        });
        QCOMPARE(ShowLogin(), accepted);
        QVERIFY(prompts.Texts().isEmpty());
        QCOMPARE(CurrentOperator->LoginId, accepted ? loginId : QString());
        QCOMPARE(TConfiger::ReadLastLoginId(), accepted ? loginId : QString());
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("dialogShown");
        QTest::addColumn<QString>("loggedIn");
        QTest::newRow("three arguments") << QStringList{"sa", "", "x"} << true << false << "sa";
        QTest::newRow("an operator's three")
            << QStringList{"zhang", "pw1", "任意"} << true << false << "zhang";
        QTest::newRow("wrong password") << QStringList{"zhang", "bad", "x"} << true << true << "";
        QTest::newRow("two arguments") << QStringList{"sa", ""} << true << true << "";
        QTest::newRow("four arguments") << QStringList{"sa", "", "x", "y"} << true << true << "";
        QTest::newRow("command line not allowed") << QStringList{"sa", "", "x"} << false << true << "";
    }
    // The dialog, when it comes, is cancelled; a command-line login never writes the last id.
    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(bool, allowed);
        QFETCH(bool, dialogShown);
        QFETCH(QString, loggedIn);
        ScriptedPrompter prompts;
        QCOMPARE(Login(allowed, arguments), !loggedIn.isEmpty());
        QCOMPARE(prompts.Dialogs(), dialogShown ? QStringList{QStringLiteral("TLoginFrm")} : QStringList());
        QCOMPARE(CurrentOperator->LoginId, loggedIn);
        QCOMPARE(TConfiger::ReadLastLoginId(), QString());
    }

    // The next login proposes the last operator; a cancelled re-login keeps him and his rights.
    void reloginKeepsOrProposes()
    {
        ScriptedPrompter prompts;
        prompts.OnDialog([](QDialog &shown) {
            auto &dialog = static_cast<TLoginFrm &>(shown);
            dialog.edtLoginId1->setEditText(QStringLiteral("zhang"));
            dialog.edtPassword1->setText(QStringLiteral("pw1"));
            QTest::mouseClick(dialog.OkBtn1, Qt::LeftButton);
            return dialog.result();
        });
        QVERIFY(Login(false));

        QString proposed;
        prompts.OnDialog([&](QDialog &shown) {
            auto &dialog = static_cast<TLoginFrm &>(shown);
            proposed = dialog.edtLoginId1->currentText();
            QTest::mouseClick(dialog.CancelBtn1, Qt::LeftButton);
            return dialog.isVisible() ? -1 : dialog.result();
        });
        QVERIFY(!Login(false));
        QCOMPARE(proposed, QStringLiteral("zhang"));
        QCOMPARE(CurrentOperator->LoginId, QStringLiteral("zhang"));
        QVERIFY(CurrentOperator->HasRight(RightPrint));
        QVERIFY(!CurrentOperator->HasRight(RightDataExport));
    }

    void helpPage_data()
    {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("F1 in the password box") << true;
        QTest::newRow("the help button") << false;
    }
    void helpPage()
    {
        QFETCH(bool, byKey);
        ScriptedPrompter prompts;
        QString topic;
        QString title;
        bool stayedOpen = false;
        prompts.OnDialog([&](QDialog &shown) {
            auto &dialog = static_cast<TLoginFrm &>(shown);
            if (byKey)
                QTest::keyClick(dialog.edtPassword1, Qt::Key_F1);
            else
                QTest::mouseClick(dialog.HelpBtn1, Qt::LeftButton);
            stayedOpen = dialog.isVisible();
            if (THelpWindow *help = THelpWindow::Of(&dialog)) {
                topic = help->Topic();
                title = help->Browser()->documentTitle();
            }
            return int(QDialog::Rejected);
        });
        ShowLogin();
        QVERIFY(prompts.Texts().isEmpty());
        QVERIFY(stayedOpen);
        QCOMPARE(topic, QStringLiteral("Login"));
        QCOMPARE(title, QStringLiteral("登陆"));
    }

private:
    std::unique_ptr<AppTest::THome> m_home;
};

PZ_TEST(TLoginTest)
#include "tst_login.moc"
