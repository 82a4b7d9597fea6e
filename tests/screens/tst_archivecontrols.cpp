// The archive screens' controls: the edit box that holds a picked record, and the combo
// boxes filled with the values stored so far (on a real SQLite database).

#include "ArchiveControls.h"
#include "ModulesFixture.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QTest>

#include <optional>

class TUisTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase()
    {
        m_modules.emplace();
        ScriptedPrompter prompts;
        QVERIFY(
            Database->Open(TestDb::FreshConnectionString(QStringLiteral("sqlite"), QStringLiteral("uis"))));
    }
    void cleanupTestCase() { m_modules.reset(); }

    void heldCategory()
    {
        Uis::TEdit edit;
        QVERIFY(edit.HeldId().isNull());
        edit.SetCata(7, QStringLiteral("合同类"));
        QCOMPARE(edit.text(), QStringLiteral("合同类"));
        QCOMPARE(edit.HeldId(), QVariant(7));
        QVERIFY(edit.HoldsCata());
        // A category box has no archive to give.
        QCOMPARE(edit.HeldArchive().Id, 0);
        edit.SetCata(QVariant(), QStringLiteral("ignored"));
        QVERIFY(edit.HeldId().isNull());
        QCOMPARE(edit.text(), QString());

        RCata picked;
        picked.Id = 12;
        picked.Code = QStringLiteral("1.2.");
        picked.Name = QStringLiteral("人事档案");
        QVERIFY(edit.SetCataRecord(picked));
        QCOMPARE(edit.text(), QStringLiteral("人事档案"));
        QCOMPARE(edit.HeldId(), QVariant(12));
        edit.Clear();
        QVERIFY(edit.HeldId().isNull());
        QVERIFY(edit.text().isEmpty());
    }

    void heldArchive()
    {
        Uis::TEdit edit;
        edit.SetArchive(5, QStringLiteral("PZ-5"), QStringLiteral("年度报告"));
        QCOMPARE(edit.text(), QStringLiteral("年度报告"));
        QCOMPARE(edit.HeldId(), QVariant(5));
        const RArchive held = edit.HeldArchive();
        QCOMPARE(held.Id, 5);
        QCOMPARE(held.Code, QStringLiteral("PZ-5"));
        // The record decides the value: typing over the name does not change it.
        edit.setText(QStringLiteral("别的"));
        QCOMPARE(edit.HeldArchive().Name, QStringLiteral("年度报告"));
        RArchive other;
        other.Id = 9;
        other.Name = QStringLiteral("会议纪要");
        QVERIFY(edit.SetArchiveRecord(other));
        QCOMPARE(edit.HeldId(), QVariant(9));
        QCOMPARE(edit.HeldArchive().Code, QString());
    }

    void pickCata()
    {
        Uis::TEdit edit;
        // Without the category screens nothing opens and nothing changes.
        Uis::TEdit::SetCataPicker({});
        edit.PickCata();
        QVERIFY(edit.HeldId().isNull());

        QWidget *owner = nullptr;
        Uis::TEdit::SetCataPicker([&](QWidget *from, std::function<bool(const RCata &)> pick) {
            owner = from;
            RCata cata;
            cata.Id = 3;
            cata.Name = QStringLiteral("财务类");
            QVERIFY(pick(cata));
        });
        edit.PickCata();
        Uis::TEdit::SetCataPicker({});
        QCOMPARE(owner, &edit);
        QCOMPARE(edit.HeldId(), QVariant(3));
        QCOMPARE(edit.text(), QStringLiteral("财务类"));
    }

    void fills()
    {
        const auto archive = [](int id, const QString &security, const QString &place) {
            Database->ExecSql(QStringLiteral("insert into archives (Id,Code,Name,Security,Copys,Layplace) "
                                             "values (:Id,'c','n',:S,1,:L)"),
                              {DBParam(QStringLiteral("Id"), id), DBParam(QStringLiteral("S"), security),
                               DBParam(QStringLiteral("L"), place)});
        };
        archive(1, QStringLiteral("秘密"), QStringLiteral("一号柜"));
        archive(2, QStringLiteral("绝密"), QStringLiteral("一号柜"));
        archive(3, QStringLiteral("秘密"), QStringLiteral("二号柜"));
        Database->ExecSql(QStringLiteral(
            "insert into lends (Id,ArcId,Borrower) values (1,1,'张三'),(2,2,'张三'),(3,3,'李四')"));

        Uis::TComboBox combo;
        combo.addItem(QStringLiteral("旧的"));
        const auto items = [&] {
            QStringList list;
            for (int i = 0; i < combo.count(); ++i)
                list << combo.itemText(i);
            list.sort();
            return list;
        };
        const auto sorted = [](QStringList list) {
            list.sort();
            return list;
        };
        // Each fill replaces what was there; distinct values only.
        combo.FillSecuritys();
        QCOMPARE(items(), sorted({"秘密", "绝密"}));
        combo.FillLayplaces();
        QCOMPARE(items(), sorted({"一号柜", "二号柜"}));
        combo.FillBorrowers();
        QCOMPARE(items(), sorted({"张三", "李四"}));
    }
};

PZ_TEST(TUisTest)
#include "tst_archivecontrols.moc"
