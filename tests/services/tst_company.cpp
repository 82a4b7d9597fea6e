// The company record: the byte rule of a filled-in name, and loading and saving on real
// engines.

#include "ModulesFixture.h"
#include "ServicesTest.h"
#include "Settings.h"
#include "TestMain.h"

#include <QTest>

#include <optional>

using ServicesTest::OpenFresh;
using ServicesTest::Scalar;

class TCompanyTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase() { m_modules.emplace(ModulesFixture::With::DataOnly); }
    void cleanupTestCase() { m_modules.reset(); }

    void hasLongName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("filledIn");
        QTest::newRow("empty") << "" << false;
        QTest::newRow("three Chinese characters, 6 bytes") << "青岫档" << false;
        QTest::newRow("four Chinese characters, 8 bytes") << "青岫档案" << true;
        QTest::newRow("seven letters") << "Acme Co" << false;
        QTest::newRow("eight letters") << "Acme Co." << true;
        QTest::newRow("mixed, 7 bytes") << "青岫abc" << false;
        QTest::newRow("mixed, 8 bytes") << "青岫abcd" << true;
        // Counted in bytes, not characters: four characters can be enough, seven not.
        QTest::newRow("full-width letters, 8 bytes") << "ＡＢＣＤ" << true;
    }
    void hasLongName()
    {
        QFETCH(QString, name);
        QFETCH(bool, filledIn);
        TCompany company;
        company.CompanyName = name;
        QCOMPARE(company.HasLongName(), filledIn);
    }

    void saveInsertsOrUpdates_data()
    {
        QTest::addColumn<QString>("engine");
        QTest::addColumn<bool>("emptyTable");
        for (const char *engine : {"sqlite", "postgresql"}) {
            QTest::addRow("%s, delivered row", engine) << QString::fromLatin1(engine) << false;
            QTest::addRow("%s, empty table", engine) << QString::fromLatin1(engine) << true;
        }
    }
    void saveInsertsOrUpdates()
    {
        QFETCH(QString, engine);
        QFETCH(bool, emptyTable);
        if (!OpenFresh(engine, QStringLiteral("company_%1_%2").arg(engine).arg(emptyTable)))
            return;
        if (emptyTable)
            Database->ExecSql(QStringLiteral("delete from Company"));
        else
            Database->ExecSql(QStringLiteral("update Company set CompanyName='旧名', Updated=:Updated"),
                              {DBParam(QStringLiteral("Updated"), true)});
        const int expectedId = emptyTable ? 0 : 1;

        TCompany company;
        company.CompanyName = QStringLiteral("残留");
        company.LoadCompany();
        QCOMPARE(company.Id, expectedId);
        QCOMPARE(company.CompanyName, emptyTable ? QString() : QStringLiteral("旧名"));
        QCOMPARE(company.Updated, !emptyTable);
        QCOMPARE(company.CompanyExists(), !emptyTable);

        company.CompanyName = QStringLiteral("青岫档案馆");
        company.Manager = QStringLiteral("张三");
        company.Tel = QStringLiteral("0532-1234567");
        company.Fax = QStringLiteral("0532-7654321");
        company.Address = QStringLiteral("青岛市");
        company.Zip = QStringLiteral("266000");
        company.Profile = QStringLiteral("第一行\r\n第二行");
        company.SaveCompany();
        QVERIFY(company.CompanyExists());
        QCOMPARE(Scalar(QStringLiteral("select count(*) from Company")).toInt(), 1);

        // Saved twice: the second save updates the row the first one wrote.
        company.Tel = QStringLiteral("110");
        company.SaveCompany();
        QCOMPARE(Scalar(QStringLiteral("select count(*) from Company")).toInt(), 1);

        TCompany stored;
        stored.LoadCompany();
        QCOMPARE(stored.Id, expectedId);
        QCOMPARE(stored.CompanyName, company.CompanyName);
        QCOMPARE(stored.Manager, company.Manager);
        QCOMPARE(stored.Tel, QStringLiteral("110"));
        QCOMPARE(stored.Fax, company.Fax);
        QCOMPARE(stored.Address, company.Address);
        QCOMPARE(stored.Zip, company.Zip);
        QCOMPARE(stored.Profile, company.Profile);
        // Nothing here changes Updated; it goes back as it was read.
        QCOMPARE(stored.Updated, !emptyTable);
        QVERIFY(stored.HasLongName());
    }

    void loadingAnEmptyTableEmptiesTheRecord_data() { TestDb::AddEngineRows(); }
    void loadingAnEmptyTableEmptiesTheRecord()
    {
        QFETCH(QString, engine);
        if (!OpenFresh(engine, QStringLiteral("company_empty_") + engine))
            return;
        Database->ExecSql(QStringLiteral("delete from Company"));
        TCompany company;
        company.Id = 5;
        company.CompanyName = QStringLiteral("名称");
        company.Profile = QStringLiteral("简介");
        company.Updated = true;
        company.LoadCompany();
        QCOMPARE(company.Id, 0);
        QVERIFY(company.CompanyName.isEmpty());
        QVERIFY(company.Profile.isEmpty());
        QCOMPARE(company.Updated, false);
    }
};

PZ_TEST(TCompanyTest)
#include "tst_company.moc"
