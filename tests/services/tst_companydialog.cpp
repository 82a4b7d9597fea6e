// The company dialog on a real SQLite database: what it shows, what it saves, the
// read-only view, and the dialog coming back after the database refused a save.

#include "CompanyDialog.h"
#include "ModulesFixture.h"
#include "ServicesTest.h"
#include "Settings.h"
#include "TestMain.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <optional>

using ServicesTest::Scalar;

namespace {

QString StoredName()
{
    return Scalar(QStringLiteral("select CompanyName from Company")).toString();
}

int ClickOk(TCompanyInfoFrm &dialog)
{
    QTest::mouseClick(dialog.OkBtn1, Qt::LeftButton);
    return dialog.isVisible() ? -1 : dialog.result();
}

int ClickCancel(TCompanyInfoFrm &dialog)
{
    QTest::mouseClick(dialog.CancelBtn1, Qt::LeftButton);
    return dialog.isVisible() ? -1 : dialog.result();
}

} // namespace

class TCompanyFrmTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase() { m_modules.emplace(ModulesFixture::With::DataOnly); }
    void cleanupTestCase() { m_modules.reset(); }
    void init()
    {
        const QString name = QStringLiteral("companyfrm_") +
                             QString::fromLatin1(QTest::currentTestFunction()) +
                             QString::number(qHash(QString::fromUtf8(QTest::currentDataTag())));
        ScriptedPrompter prompts;
        QVERIFY(ServicesTest::OpenFresh(QStringLiteral("sqlite"), name));
        Database->ExecSql(QStringLiteral("update Company set CompanyName='青岫档案馆', Manager='周', "
                                         "Tel='0532-1', Fax='0532-2', Address='青岛', Zip='266000', "
                                         "Profile='简介' where Id=1"));
    }

    void editSaves_data()
    {
        QTest::addColumn<bool>("emptyTable");
        QTest::newRow("the delivered row") << false;
        QTest::newRow("an empty table") << true;
    }
    // The dialog opens on the record and, on OK, every box goes into the record and the
    // database; an empty table gets its row inserted with the record's Id.
    void editSaves()
    {
        QFETCH(bool, emptyTable);
        if (emptyTable)
            Database->ExecSql(QStringLiteral("delete from Company"));
        TCompany company;
        company.LoadCompany();

        ScriptedPrompter prompts;
        QStringList shown;
        prompts.OnDialog([&](QDialog &base) {
            auto &dialog = dynamic_cast<TCompanyInfoFrm &>(base);
            shown << dialog.windowTitle() << dialog.EdtCompany1->text() << dialog.EdtLawMan1->text()
                  << dialog.EdtTel1->text() << dialog.EdtFax1->text() << dialog.EdtAddress1->text()
                  << dialog.edtZip1->text() << dialog.MemIntrol1->toPlainText();
            dialog.EdtCompany1->setText(QStringLiteral("崂山档案管理中心"));
            dialog.EdtLawMan1->setText(QStringLiteral("吴"));
            dialog.EdtTel1->setText(QStringLiteral("1"));
            dialog.EdtFax1->setText(QString());
            dialog.EdtAddress1->setText(QStringLiteral("崂山区"));
            dialog.edtZip1->setText(QStringLiteral("266100"));
            dialog.MemIntrol1->setPlainText(QStringLiteral("第一行\n第二行"));
            return ClickOk(dialog);
        });
        QVERIFY(ShowCompanyInfo(company, false));

        if (emptyTable)
            QCOMPARE(shown, (QStringList{"公司信息", "", "", "", "", "", "", ""}));
        else
            QCOMPARE(shown, (QStringList{"公司信息", "青岫档案馆", "周", "0532-1", "0532-2", "青岛", "266000",
                                         "简介"}));
        QCOMPARE(prompts.Texts(), QStringList());
        QCOMPARE(company.CompanyName, QStringLiteral("崂山档案管理中心"));
        TCompany stored;
        stored.LoadCompany();
        QCOMPARE(stored.Id, emptyTable ? 0 : 1);
        QCOMPARE((QStringList{stored.CompanyName, stored.Manager, stored.Tel, stored.Fax, stored.Address,
                              stored.Zip, stored.Profile}),
                 (QStringList{"崂山档案管理中心", "吴", "1", "", "崂山区", "266100", "第一行\n第二行"}));
        QCOMPARE(Scalar(QStringLiteral("select count(*) from Company")).toInt(), 1);
    }

    // Tab in the profile moves on to OK and leaves the profile as it was.
    void tabLeavesProfile()
    {
        TCompany company;
        company.LoadCompany();
        ScriptedPrompter prompts;
        bool active = false;
        QString focused;
        QString profile;
        prompts.OnDialog([&](QDialog &base) {
            auto &dialog = dynamic_cast<TCompanyInfoFrm &>(base);
            active = QTest::qWaitForWindowActive(&dialog);
            dialog.MemIntrol1->setFocus(Qt::TabFocusReason);
            QTest::keyClick(dialog.MemIntrol1, Qt::Key_Tab);
            focused = QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString();
            profile = dialog.MemIntrol1->toPlainText();
            return ClickCancel(dialog);
        });
        QVERIFY(!ShowCompanyInfo(company, false));
        QVERIFY(active);
        QCOMPARE(focused, QStringLiteral("OkBtn1"));
        QCOMPARE(profile, QStringLiteral("简介"));
    }

    // Read-only, OK cannot be pressed and the boxes take no typing; nothing is written.
    void readOnly()
    {
        TCompany company;
        company.LoadCompany();
        ScriptedPrompter prompts;
        bool okEnabled = true;
        bool stillOpen = false;
        bool boxesLocked = false;
        prompts.OnDialog([&](QDialog &base) {
            auto &dialog = dynamic_cast<TCompanyInfoFrm &>(base);
            okEnabled = dialog.OkBtn1->isEnabled();
            boxesLocked = dialog.EdtCompany1->isReadOnly() && dialog.MemIntrol1->isReadOnly();
            QTest::keyClicks(dialog.EdtCompany1, QStringLiteral("x"));
            stillOpen = ClickOk(dialog) == -1;
            return ClickCancel(dialog);
        });
        QVERIFY(!ShowCompanyInfo(company, true));
        QVERIFY(!okEnabled);
        QVERIFY(boxesLocked);
        QVERIFY(stillOpen);
        QCOMPARE(company.CompanyName, QStringLiteral("青岫档案馆"));
        QCOMPARE(StoredName(), QStringLiteral("青岫档案馆"));
    }

    // Cancel keeps the record and the database as they were, whatever was typed.
    void cancelKeeps()
    {
        TCompany company;
        company.LoadCompany();
        ScriptedPrompter prompts;
        prompts.OnDialog([](QDialog &base) {
            auto &dialog = dynamic_cast<TCompanyInfoFrm &>(base);
            dialog.EdtCompany1->setText(QStringLiteral("别的名称"));
            return ClickCancel(dialog);
        });
        QVERIFY(!ShowCompanyInfo(company, false));
        QCOMPARE(company.CompanyName, QStringLiteral("青岫档案馆"));
        QCOMPARE(StoredName(), QStringLiteral("青岫档案馆"));
    }

    void retryAfterFailedSave_data()
    {
        QTest::addColumn<bool>("retry");
        QTest::newRow("then given up") << false;
        QTest::newRow("then saved") << true;
    }
    // A refused save shows the database's message; the dialog comes back with what was
    // typed while the record holds the stored values again.
    void retryAfterFailedSave()
    {
        QFETCH(bool, retry);
        Database->ExecSql(QStringLiteral("create trigger company_locked before update on Company "
                                         "begin select raise(abort, 'company row locked'); end"));
        TCompany company;
        company.LoadCompany();
        ScriptedPrompter prompts;
        prompts.OnDialog([](QDialog &base) {
            auto &dialog = dynamic_cast<TCompanyInfoFrm &>(base);
            dialog.EdtCompany1->setText(QStringLiteral("崂山档案管理中心"));
            dialog.EdtTel1->setText(QStringLiteral("88"));
            return ClickOk(dialog);
        });
        QStringList shownAgain;
        QString recordDuringRetry;
        prompts.OnDialog([&](QDialog &base) {
            auto &dialog = dynamic_cast<TCompanyInfoFrm &>(base);
            shownAgain << dialog.EdtCompany1->text() << dialog.EdtTel1->text();
            recordDuringRetry = company.CompanyName;
            if (!retry)
                return ClickCancel(dialog);
            Database->ExecSql(QStringLiteral("drop trigger company_locked"));
            return ClickOk(dialog);
        });
        QCOMPARE(ShowCompanyInfo(company, false), retry);

        QCOMPARE(prompts.Dialogs().size(), 2);
        QCOMPARE(prompts.Texts().size(), 1);
        QVERIFY2(prompts.Texts().first().contains(QStringLiteral("company row locked")),
                 qPrintable(prompts.Texts().first()));
        QCOMPARE(prompts.History().first().caption, QStringLiteral("信息"));
        QCOMPARE(shownAgain, (QStringList{"崂山档案管理中心", "88"}));
        QCOMPARE(recordDuringRetry, QStringLiteral("青岫档案馆"));
        const QString expected = retry ? QStringLiteral("崂山档案管理中心") : QStringLiteral("青岫档案馆");
        QCOMPARE(company.CompanyName, expected);
        QCOMPARE(company.Tel, retry ? QStringLiteral("88") : QStringLiteral("0532-1"));
        QCOMPARE(StoredName(), expected);
    }
};

PZ_TEST(TCompanyFrmTest)
#include "tst_companydialog.moc"
