// The lending list and the lending form on a real SQLite database: the availability rule
// when a lending starts, the form as it opens and what it saves, editing and deleting the
// current lending, and a lending that vanished while its form was open.

#include "ArchiveControls.h"
#include "LendEdit.h"
#include "LendList.h"
#include "LendTest.h"
#include "Settings.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QDateTimeEdit>
#include <QPushButton>
#include <QTest>

using namespace LendTest;

namespace {

const QString NoCopyWarning = QStringLiteral("\r\n没有可以出借的档案份数.\t");
const QString DeleteQuestion = QStringLiteral("\r\n确定要删除记录吗?\t");

// Clicks "确定" and answers what a modal loop would: -1 while the form is still open.
int ClickOk(TLendEditFrm &form)
{
    QTest::mouseClick(form.OkButton, Qt::LeftButton);
    return form.isVisible() ? -1 : form.result();
}

void QueryArchive(TLendList &list, int archiveId)
{
    list.Where()->Reset();
    list.Where()->ArcIdFld()->SetValue(archiveId);
    list.Query();
}

void Tick(Uis::TDateTimePicker *picker, const QDate &date)
{
    picker->CheckBox()->click();
    picker->Editor()->setDate(date);
}

} // namespace

class TLendListTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InitDataModule();
        StartServices();
    }
    void cleanupTestCase()
    {
        StopServices();
        DoneDataModule();
    }
    void init() { QVERIFY(OpenFresh("lend")); }

    void availability_data()
    {
        QTest::addColumn<int>("copys");
        QTest::addColumn<int>("openLends");
        QTest::addColumn<bool>("formOpens");
        QTest::newRow("no copies kept") << 0 << 0 << false;
        QTest::newRow("the only copy is free") << 1 << 0 << true;
        QTest::newRow("every copy is out") << 2 << 2 << false;
        QTest::newRow("one of two is out") << 2 << 1 << true;
    }
    // A returned lending holds no copy; only open ones count against the copies kept.
    void availability()
    {
        QFETCH(int, copys);
        QFETCH(int, openLends);
        QFETCH(bool, formOpens);
        const int archive = StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), copys);
        InsertLend(1, archive, QDate(2013, 1, 5), QStringLiteral("赵六"), {}, QDate(2013, 1, 9));
        for (int i = 0; i < openLends; ++i)
            InsertLend(10 + i, archive, QDate(2013, 2, 1), QStringLiteral("张三"), {});

        ScriptedPrompter prompts;
        TLendList list;
        list.NewLend(LoadedArchive(archive));
        if (formOpens) {
            QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TLendEditFrm")});
            QVERIFY(prompts.History().isEmpty());
        } else {
            QVERIFY(prompts.Dialogs().isEmpty());
            QCOMPARE(prompts.History().size(), 1);
            const ScriptedPrompter::Shown &warning = prompts.History().first();
            QCOMPARE(warning.text, NoCopyWarning);
            QCOMPARE(warning.icon, MsgIcon::Warning);
            QCOMPARE(warning.buttons, QStringList{QStringLiteral("确定")});
        }
        // The form was cancelled: nothing was written either way.
        QCOMPARE(Column(QStringLiteral("select count(*) from lends")).value(0),
                 QString::number(1 + openLends));
    }

    // A new lending opens on today's date and the archive's name with both later dates
    // unticked; "确定" stores it under the next Id and appends it to the list on screen.
    void newLendFormAndSave()
    {
        const int archive = StoreArchive(QStringLiteral("A-7"), QStringLiteral("年度报告"), 3);
        InsertLend(4, 99, QDate(2012, 12, 1), QStringLiteral("李四"), {});
        InsertLend(5, 99, QDate(2012, 12, 2), QStringLiteral("张三"), {});
        TLendList list;
        QueryArchive(list, archive);
        QCOMPARE(list.DataSet()->RecordCount(), 0);

        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &shown) {
            auto &form = static_cast<TLendEditFrm &>(shown);
            [&] {
                QCOMPARE(form.windowTitle(), QStringLiteral("添加"));
                QCOMPARE(form.edtLendate1->AsDate(), QVariant(QDate::currentDate()));
                QCOMPARE(form.edtArcName1->text(), QStringLiteral("年度报告"));
                QVERIFY(form.edtArcName1->isReadOnly());
                QVERIFY(!form.btnArchive1->isEnabled());
                QVERIFY(!form.edtHeadline1->Checked());
                QVERIFY(!form.edtReturndate1->Checked());
                QStringList borrowers;
                for (int i = 0; i < form.edtBorrower1->count(); ++i)
                    borrowers << form.edtBorrower1->itemText(i);
                borrowers.sort();
                QCOMPARE(borrowers, (QStringList{QStringLiteral("张三"), QStringLiteral("李四")}));
            }();
            form.edtBordept1->SetText(QStringLiteral("财务部"));
            form.edtBorrower1->SetText(QStringLiteral("王五"));
            form.edtCheckman1->SetText(QStringLiteral("刘主任"));
            form.edtNotes1->setText(QStringLiteral("复印件"));
            Tick(form.edtHeadline1, QDate(2013, 4, 30));
            return ClickOk(form);
        });
        list.NewLend(LoadedArchive(archive));

        QCOMPARE(Column(QStringLiteral("select Id from lends where ArcId=") + QString::number(archive)),
                 QStringList{QStringLiteral("6")});
        QCOMPARE(Column(QStringLiteral("select Lendate from lends where Id=6")),
                 QStringList{QDate::currentDate().toString(Qt::ISODate)});
        QCOMPARE(Column(QStringLiteral("select Borrower||'|'||Bordept||'|'||Checkman||'|'||Notes||'|'||"
                                       "Headline from lends where Id=6")),
                 QStringList{QStringLiteral("王五|财务部|刘主任|复印件|2013-04-30")});
        QCOMPARE(Column(QStringLiteral("select count(*) from lends where Id=6 and Returndate is null")),
                 QStringList{QStringLiteral("1")});

        QCOMPARE(CachedIds(*list.DataSet()), QList<int>{6});
        const RLend cached = list.AsData();
        QCOMPARE(cached.ArcCode, QStringLiteral("A-7"));
        QCOMPARE(cached.ArcName, QStringLiteral("年度报告"));
        QCOMPARE(cached.Borrower, QStringLiteral("王五"));
        QVERIFY(cached.Returndate.isNull());
    }

    // One copy: lent once, refused while out, lendable again once the lending is returned
    // and the archive read afresh. A record read before the first lending still carries the
    // old count, and the rule goes by the record handed in.
    void returnFreesTheCopy()
    {
        const int archive = StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), 1);
        TLendList list;
        QueryArchive(list, archive);
        const RArchive before = LoadedArchive(archive);

        ScriptedPrompter prompts;
        prompts.OnDialog([](QDialog &shown) {
            auto &form = static_cast<TLendEditFrm &>(shown);
            form.edtBorrower1->SetText(QStringLiteral("张三"));
            return ClickOk(form);
        });
        list.NewLend(before);
        QCOMPARE(CachedIds(*list.DataSet()).size(), 1);
        QCOMPARE(LoadedArchive(archive).Lends, 1);

        list.NewLend(LoadedArchive(archive));
        QCOMPARE(prompts.LastText(), NoCopyWarning);
        QCOMPARE(prompts.Dialogs().size(), 1);

        list.NewLend(before);
        QCOMPARE(prompts.Dialogs().size(), 2);

        prompts.OnDialog([](QDialog &shown) {
            auto &form = static_cast<TLendEditFrm &>(shown);
            Tick(form.edtReturndate1, QDate::currentDate());
            return ClickOk(form);
        });
        list.EditCurrent();
        QCOMPARE(LoadedArchive(archive).Lends, 0);
        QVERIFY(!list.AsData().Returndate.isNull());

        prompts.Clear();
        list.NewLend(LoadedArchive(archive));
        QCOMPARE(prompts.Dialogs().size(), 4);
        QVERIFY(prompts.History().isEmpty());
    }

    void editCurrent_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("confirmed") << true;
        QTest::newRow("cancelled") << false;
    }
    // The form opens on the current row's own values; a confirmed change rewrites that one
    // lending in the database and in its cached row, a cancelled one touches neither.
    void editCurrent()
    {
        QFETCH(bool, confirm);
        const int archive = StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), 5);
        InsertLend(1, archive, QDate(2013, 3, 1), QStringLiteral("张三"), QStringLiteral("财务部"));
        InsertLend(2, archive, QDate(2013, 3, 2), QStringLiteral("李四"), QStringLiteral("人事部"),
                   QDate(2013, 3, 9));
        TLendList list;
        QueryArchive(list, archive);
        list.DataSet()->SetRecNo(1);

        ScriptedPrompter prompts;
        prompts.OnDialog([&](QDialog &shown) {
            auto &form = static_cast<TLendEditFrm &>(shown);
            [&] {
                QCOMPARE(form.windowTitle(), QStringLiteral("修改"));
                QCOMPARE(form.Tag(), 2);
                QCOMPARE(form.edtBorrower1->Text(), QStringLiteral("李四"));
                QCOMPARE(form.edtBordept1->Text(), QStringLiteral("人事部"));
                QCOMPARE(form.edtLendate1->AsDate(), QVariant(QDate(2013, 3, 2)));
                QCOMPARE(form.edtReturndate1->AsDate(), QVariant(QDate(2013, 3, 9)));
                QVERIFY(!form.edtHeadline1->Checked());
                QCOMPARE(form.edtArcName1->text(), QStringLiteral("档案一"));
            }();
            form.edtBorrower1->SetText(QStringLiteral("王五"));
            // Clearing the return date opens the lending again; no availability test applies.
            form.edtReturndate1->CheckBox()->click();
            if (confirm)
                return ClickOk(form);
            QTest::keyClick(form.edtNotes1, Qt::Key_Escape);
            return form.isVisible() ? -1 : form.result();
        });
        list.EditCurrent();

        const QString expected = confirm ? QStringLiteral("王五|1") : QStringLiteral("李四|0");
        QCOMPARE(Column(QStringLiteral("select Borrower||'|'||(Returndate is null) from lends where Id=2")),
                 QStringList{expected});
        QCOMPARE(Column(QStringLiteral("select Borrower from lends where Id=1")),
                 QStringList{QStringLiteral("张三")});
        QCOMPARE(CachedIds(*list.DataSet()), (QList<int>{1, 2}));
        QVERIFY(list.DataSet()->Locate(QStringLiteral("Id"), 2));
        QCOMPARE(list.AsData().Borrower, confirm ? QStringLiteral("王五") : QStringLiteral("李四"));
        QCOMPARE(list.AsData().Returndate.isNull(), confirm);
    }

    void deleteCurrent_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QList<int>>("left");
        QTest::newRow("确定") << 0 << QList<int>{1, 3};
        QTest::newRow("取消") << 1 << QList<int>{1, 2, 3};
        QTest::newRow("box closed") << -1 << QList<int>{1, 2, 3};
    }
    void deleteCurrent()
    {
        QFETCH(int, answer);
        QFETCH(QList<int>, left);
        const int archive = StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), 5);
        for (int id = 1; id <= 3; ++id)
            InsertLend(id, archive, QDate(2013, 3, id), QStringLiteral("张三"), {});
        TLendList list;
        QueryArchive(list, archive);
        list.DataSet()->SetRecNo(1);

        ScriptedPrompter prompts;
        prompts.Answer(answer);
        list.DeleteCurrent();
        QCOMPARE(prompts.History().size(), 1);
        QCOMPARE(prompts.History().first().text, DeleteQuestion);
        QCOMPARE(prompts.History().first().icon, MsgIcon::Warning);
        QCOMPARE(prompts.History().first().buttons,
                 (QStringList{QStringLiteral("确定"), QStringLiteral("取消")}));
        QCOMPARE(CachedIds(*list.DataSet()), left);
        QStringList stored;
        for (int id : left)
            stored << QString::number(id);
        QCOMPARE(Column(QStringLiteral("select Id from lends order by Id")), stored);
    }

    // Without a current row there is nothing to open or to ask about.
    void nothingCurrent()
    {
        const int archive = StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), 1);
        ScriptedPrompter prompts;
        TLendList list;
        list.EditCurrent(); // never queried
        list.DeleteCurrent();
        QueryArchive(list, archive);
        list.EditCurrent(); // queried, empty
        list.DeleteCurrent();
        QVERIFY(prompts.Dialogs().isEmpty());
        QVERIFY(prompts.History().isEmpty());
    }

    // A lending deleted elsewhere after the list was read: its form says so and stays open
    // with what was typed, and deleting it removes nothing from the list.
    void vanishedLending()
    {
        const int archive = StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), 1);
        InsertLend(1, archive, QDate(2013, 3, 1), QStringLiteral("张三"), {});
        TLendList list;
        QueryArchive(list, archive);
        Database->ExecSql(QStringLiteral("delete from lends"));

        ScriptedPrompter prompts;
        bool stayedOpen = false;
        QString kept;
        prompts.OnDialog([&](QDialog &shown) {
            auto &form = static_cast<TLendEditFrm &>(shown);
            form.edtBorrower1->SetText(QStringLiteral("王五"));
            stayedOpen = ClickOk(form) == -1;
            kept = form.edtBorrower1->Text();
            QTest::mouseClick(form.CancelButton, Qt::LeftButton);
            return form.result();
        });
        list.EditCurrent();
        QVERIFY(stayedOpen);
        QCOMPARE(kept, QStringLiteral("王五"));
        QCOMPARE(prompts.Texts().size(), 1);
        QVERIFY(prompts.LastText().contains(QStringLiteral("没有保存")));
        QCOMPARE(Column(QStringLiteral("select count(*) from lends")), QStringList{QStringLiteral("0")});
        QCOMPARE(list.AsData().Borrower, QStringLiteral("张三"));

        prompts.Answer(0);
        list.DeleteCurrent();
        QCOMPARE(CachedIds(*list.DataSet()), QList<int>{1});
    }

    // Every caption and box of the form is whole, at the designed size and with a font half
    // as large again; the form grows to fit rather than cutting them.
    void formClipsNothing()
    {
        RLend lend;
        lend.Id = 3;
        lend.ArcName = QStringLiteral("二〇一三年度财务审计报告及附件");
        lend.Borrower = QStringLiteral("张三");
        TLendEditFrm form;
        form.LoadLend(lend);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(430, 262));
        QVERIFY2(Clipped(&form).isEmpty(), qPrintable(Clipped(&form).join('\n')));

        const int buttonHeight = form.OkButton->height();
        EnlargeFont(form);
        QTRY_VERIFY(form.OkButton->height() > buttonHeight);
        QVERIFY2(Clipped(&form).isEmpty(), qPrintable(Clipped(&form).join('\n')));
    }
};

PZ_TEST(TLendListTest)
#include "tst_lend.moc"
