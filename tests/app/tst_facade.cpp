// The application facade on a real SQLite database: the start-up prompts by right, company
// name and setting; the right tests of the administrative commands with their refusal and
// silent end; the feedback prompt; the category editor; and lending query windows.

#include "BaseWindow.h"
#include "CompanyDialog.h"
#include "Facade.h"
#include "LendQueryWindow.h"
#include "ModulesFixture.h"
#include "ReportWindows.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QPointer>
#include <QPushButton>
#include <QTest>

#include <optional>

namespace {

// Records when the facade asks for the windows that are not part of the program yet.
class TWatchedMall : public Tmall
{
public:
    QStringList Calls;

protected:
    void OpenDailyTip() override { Calls << QStringLiteral("tip"); }
    void OpenFeedback() override { Calls << QStringLiteral("feedback"); }
};

void LogIn(const QString &loginId, const QString &rights)
{
    Database->ExecSql(QStringLiteral("delete from operator where LoginId<>'sa'"));
    if (loginId != SuperUserId) {
        TOperatorSet operators;
        operators.AddOperator(loginId, QString(), rights, {}, {}, QStringLiteral("职员"));
    }
    CurrentOperator->LoadByLoginId(loginId);
}

void StoreCompanyName(const QString &name)
{
    Database->ExecSql(QStringLiteral("update Company set CompanyName=:Name"),
                      {DBParam(QStringLiteral("Name"), name)});
    Company->LoadCompany();
}

QString Refusal(int right)
{
    return QStringLiteral("\r\n对不起,您没有该功能的操作权限,请与管理员联系(%1).\t").arg(right);
}

void Run(Tmall &mall, const QString &command)
{
    if (command == QLatin1String("ManageOperators"))
        mall.ManageOperators();
    else if (command == QLatin1String("ClearData"))
        mall.ClearData();
    else if (command == QLatin1String("ShowBackup"))
        mall.ShowBackup();
    else if (command == QLatin1String("EditCompany"))
        mall.EditCompany();
    else
        QFAIL("unknown command");
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TFacadeTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase()
    {
        InstallReportWindows();
        m_modules.emplace();
        ScriptedPrompter prompts;
        QVERIFY(TestDb::OpenFresh(QStringLiteral("sqlite"), QStringLiteral("facade")));
    }
    void cleanupTestCase() { m_modules.reset(); }

    void welcome_data()
    {
        QTest::addColumn<QString>("loginId");
        QTest::addColumn<QString>("rights");
        QTest::addColumn<QString>("companyName");
        QTest::addColumn<bool>("dailyTip");
        QTest::addColumn<QStringList>("shown");
        const QString companyRight = RightItem(RightCompanyInfo);
        const QString otherRights = RightItem(RightClearData) + RightItem(RightManageOperators);
        QTest::newRow("sa, empty name, tip set") << "sa"
                                                 << ""
                                                 << "" << true << QStringList{"company", "tip"};
        QTest::newRow("sa, 6-byte name") << "sa"
                                         << ""
                                         << "青岫档" << false << QStringList{"company"};
        QTest::newRow("sa, 7-byte name") << "sa"
                                         << ""
                                         << "青岫abc" << false << QStringList{"company"};
        QTest::newRow("sa, 8-byte name, tip set") << "sa"
                                                  << ""
                                                  << "青岫档案" << true << QStringList{"tip"};
        QTest::newRow("sa, 8-byte name") << "sa"
                                         << ""
                                         << "青岫档案" << false << QStringList{};
        QTest::newRow("right 10000, 6-byte name")
            << "clerk" << companyRight << "青岫档" << true << QStringList{"company", "tip"};
        QTest::newRow("right 10000, 8-byte name")
            << "clerk" << companyRight << "青岫档案" << false << QStringList{};
        QTest::newRow("without 10000, empty name, tip set")
            << "clerk" << otherRights << "" << true << QStringList{"tip"};
        QTest::newRow("without any right, 6-byte name") << "clerk"
                                                        << ""
                                                        << "青岫档" << false << QStringList{};
    }
    // The company editor comes first, and only for an operator allowed to change the
    // company while its name is short; no refusal is ever shown at start-up.
    void welcome()
    {
        QFETCH(QString, loginId);
        QFETCH(QString, rights);
        QFETCH(QString, companyName);
        QFETCH(bool, dailyTip);
        QFETCH(QStringList, shown);
        LogIn(loginId, rights);
        StoreCompanyName(companyName);
        SettingsStore->SetDailyTipPrompt(dailyTip);

        TWatchedMall mall;
        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &dialog) {
            mall.Calls << (qobject_cast<TCompanyInfoFrm *>(&dialog)
                               ? QStringLiteral("company")
                               : QString::fromLatin1(dialog.metaObject()->className()));
            return int(QDialog::Rejected);
        });
        QVERIFY(Guard([&] { mall.Welcome(); }));
        QCOMPARE(mall.Calls, shown);
        QCOMPARE(prompts.Texts(), QStringList());
    }

    // Once the company name is saved long enough, the next start asks no more.
    void welcomeUntilFilledIn()
    {
        LogIn(SuperUserId, {});
        StoreCompanyName(QStringLiteral("青岫"));
        SettingsStore->SetDailyTipPrompt(false);
        TWatchedMall mall;
        ScriptedPrompter prompts;
        prompts.OnDialog([](QDialog &dialog) {
            auto &company = dynamic_cast<TCompanyInfoFrm &>(dialog);
            company.EdtCompany1->setText(QStringLiteral("青岫档案"));
            QTest::mouseClick(company.OkBtn1, Qt::LeftButton);
            return company.result();
        });
        mall.Welcome();
        QCOMPARE(Company->CompanyName, QStringLiteral("青岫档案"));
        mall.Welcome();
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TCompanyInfoFrm")});
    }

    void rightRefusals_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("rights");
        QTest::addColumn<bool>("allowed");
        const struct
        {
            const char *command;
            int right;
        } commands[] = {{"ManageOperators", RightManageOperators},
                        {"ClearData", RightClearData},
                        {"ShowBackup", RightBackupSettings},
                        {"EditCompany", RightCompanyInfo}};
        for (const auto &c : commands) {
            QTest::addRow("%s with its right", c.command)
                << c.command << c.right << RightItem(c.right) << true;
            QTest::addRow("%s with every other right", c.command) << c.command << c.right << [&] {
                QString all;
                for (const RightCaption &item : RightCaptions())
                    if (item.Number != c.right)
                        all = AppendRight(all, item.Number);
                return all;
            }() << false;
        }
    }
    // A refused right shows its message with the number and ends the command silently: the
    // guard sees the silent end, no error box follows and no window opens.
    void rightRefusals()
    {
        QFETCH(QString, command);
        QFETCH(int, right);
        QFETCH(QString, rights);
        QFETCH(bool, allowed);
        LogIn(QStringLiteral("clerk"), rights);
        Tmall mall;
        ScriptedPrompter prompts;
        const bool ranToEnd = Guard([&] { Run(mall, command); });
        QCOMPARE(ranToEnd, allowed);
        QCOMPARE(prompts.Texts(), allowed ? QStringList() : QStringList{Refusal(right)});
        const bool editorOpened = command == QLatin1String("EditCompany") && allowed;
        QCOMPARE(prompts.Dialogs(),
                 editorOpened ? QStringList{QStringLiteral("TCompanyInfoFrm")} : QStringList());
    }

    void askFeedback_data()
    {
        QTest::addColumn<bool>("force");
        QTest::addColumn<bool>("setting");
        QTest::addColumn<bool>("asked");
        QTest::newRow("setting off") << false << false << false;
        QTest::newRow("setting on") << false << true << true;
        QTest::newRow("forced") << true << false << true;
    }
    void askFeedback()
    {
        QFETCH(bool, force);
        QFETCH(bool, setting);
        QFETCH(bool, asked);
        SettingsStore->SetFeedbackPrompt(setting);
        TWatchedMall mall;
        mall.AskFeedback(force);
        QCOMPARE(mall.Calls, asked ? QStringList{QStringLiteral("feedback")} : QStringList());
    }

    // "分类设置" opens the category settings window modally over the main window, for any
    // operator.
    void editCategories()
    {
        LogIn(QStringLiteral("clerk"), {});
        Tmall mall;
        ScriptedPrompter prompts;
        QWidget main;
        TaFrm::SetMainWindow(&main);
        QString caption;
        QWidget *owner = nullptr;
        prompts.OnDialog([&](QDialog &dialog) {
            caption = dialog.windowTitle();
            owner = dialog.parentWidget();
            return int(QDialog::Rejected);
        });
        const bool ranToEnd = Guard([&] { mall.EditCategories(); });
        TaFrm::SetMainWindow(nullptr);
        QVERIFY(ranToEnd);
        QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TCataRelEditFrm")});
        QCOMPARE(caption, QStringLiteral("档案分类设置"));
        QCOMPARE(owner, &main);
        QVERIFY(prompts.History().isEmpty());
    }

    // Each "借阅查询" opens another window at once, without a right test; each lives until
    // it is closed, and at the latest as long as its owner.
    void lendQueryWindows()
    {
        LogIn(QStringLiteral("clerk"), {});
        Tmall mall;
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> first = mall.ShowLendQuery();
        QPointer<TLendQryFrm> second = mall.ShowLendQuery();
        QVERIFY(first && second && first != second);
        QVERIFY(first->isVisible() && second->isVisible());
        QVERIFY(!first->isModal());
        QVERIFY(prompts.Dialogs().isEmpty());
        QVERIFY(prompts.History().isEmpty());
        first->close();
        FlushDeletes();
        QVERIFY(first.isNull());
        QVERIFY(second && second->isVisible());
        second->close();
        FlushDeletes();
        QVERIFY(second.isNull());

        QPointer<TLendQryFrm> owned;
        {
            QWidget owner;
            owned = mall.ShowLendQuery(&owner);
            QVERIFY(owned && owned->isVisible());
        }
        QVERIFY(owned.isNull());
    }
};

PZ_TEST(TFacadeTest)
#include "tst_facade.moc"
