// The finder: packing of its nine conditions, a fresh finder starting empty, and searches run
// through its callback the way the main window runs them, on a real SQLite database.

#include "ArchiveList.h"
#include "Database.h"
#include "Finder.h"
#include "LayoutCheck.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

using LayoutCheck::Clipped;
using LayoutCheck::EnlargeFont;

namespace {

// What the main window does with the finder's conditions.
bool ApplyWhere(TArchiveList &list, const RArchiveWhere &where)
{
    TArchiveWhere *conditions = list.Where();
    conditions->Reset();
    conditions->IdFld()->SetValue(where.Id);
    conditions->CataCodeFld()->SetAsString(where.CataCode);
    conditions->CodeFld()->SetAsString(where.Code);
    conditions->NameFld()->SetAsString(where.Name);
    conditions->ArcdeptFld()->SetAsString(where.Arcdept);
    conditions->ArcmanFld()->SetAsString(where.Arcman);
    conditions->Arcdate1Fld()->SetValue(where.Arcdate1);
    conditions->Arcdate2Fld()->SetValue(where.Arcdate2);
    conditions->SecurityFld()->SetAsString(where.Security);
    conditions->FilepathFld()->SetAsString(where.Filepath);
    conditions->LayplaceFld()->SetAsString(where.Layplace);
    conditions->KeywordFld()->SetAsString(where.Keyword);
    list.Query();
    return true;
}

QList<int> Ids(TArchiveList &list)
{
    QList<int> ids;
    for (int row = 0; row < list.DataSet()->RecordCount(); ++row)
        ids << list.DataSet()->ValueAt(row, list.IdFld()->Index()).toInt();
    return ids;
}

void SetDate(Uis::TDateTimePicker *picker, const QDate &date)
{
    picker->SetAsDate(QDateTime(date, QTime(15, 30)));
}

} // namespace

class TFinderTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InitDataModule();
        StartServices();
        QVERIFY(TestDb::OpenFresh(QStringLiteral("sqlite"), QStringLiteral("finder")));
        Database->ExecSql(
            QStringLiteral("insert into catas (Id, Code, Name, SlfId, PrtId) values (1, '1.', 'A', 1, 0)"));
        Database->ExecSql(QStringLiteral(
            "insert into archives (Id, CataId, Code, Name, Arcdept, Arcman, Arcdate, Security, Copys, "
            "Layplace, "
            "Filepath) values "
            "(1, 1, 'HT-001', '供货合同', '办公室', '张三', '2013-03-01', '机密', 1, '一号柜', "
            "'/docs/ht1.pdf'),"
            "(2, null, 'HT-002', '租赁合同', '财务部', '李四', '2013-03-02', '秘密', 1, '二号柜', ''),"
            "(3, 1, 'BG-001', '年度报告', '办公室二组', '张三', '2013-03-01', '机密', 2, '一号柜甲', "
            "'/docs/bg.doc'),"
            "(4, null, 'BG-002', '季度报告', '办公室', '王五', null, '', 1, '', '')"));
    }
    void cleanupTestCase()
    {
        StopServices();
        DoneDataModule();
    }

    void packing_data()
    {
        QTest::addColumn<QVariant>("date1");
        QTest::addColumn<QVariant>("date2");
        QTest::addColumn<QVariant>("day1");
        QTest::addColumn<QVariant>("day2");
        QTest::newRow("no dates") << QVariant() << QVariant() << QVariant() << QVariant();
        QTest::newRow("dates with time") << QVariant(QDateTime(QDate(2013, 3, 1), QTime(9, 15)))
                                         << QVariant(QDateTime(QDate(2013, 3, 2), QTime(23, 59)))
                                         << QVariant(QDate(2013, 3, 1)) << QVariant(QDate(2013, 3, 2));
        QTest::newRow("days only") << QVariant(QDate(2012, 12, 31)) << QVariant()
                                   << QVariant(QDate(2012, 12, 31)) << QVariant();
    }
    void packing()
    {
        QFETCH(QVariant, date1);
        QFETCH(QVariant, date2);
        QFETCH(QVariant, day1);
        QFETCH(QVariant, day2);
        TFinderInput input;
        input.Code = QStringLiteral("HT");
        input.Name = QStringLiteral(" 合同 ");
        input.Arcdept = QStringLiteral("办公室");
        input.Arcman = QStringLiteral("张三");
        input.Arcdate1 = date1;
        input.Arcdate2 = date2;
        input.Layplace = QStringLiteral("柜");
        input.Security = QStringLiteral("机密");
        input.Filepath = QStringLiteral(".pdf");
        const RArchiveWhere where = PackFinderWhere(input);
        QVERIFY(where.Id.isNull());
        QCOMPARE(where.CataCode, QString());
        QCOMPARE(where.Keyword, QString());
        QCOMPARE(where.Code, input.Code);
        QCOMPARE(where.Name, input.Name); // nothing is trimmed
        QCOMPARE(where.Arcdept, input.Arcdept);
        QCOMPARE(where.Arcman, input.Arcman);
        QCOMPARE(where.Layplace, input.Layplace);
        QCOMPARE(where.Security, input.Security);
        QCOMPARE(where.Filepath, input.Filepath);
        QCOMPARE(where.Arcdate1, day1);
        QCOMPARE(where.Arcdate2, day2);
    }

    void freshFinderIsEmpty()
    {
        const auto first = TFinderFrm::CreateFinder(nullptr, {});
        QCOMPARE(first->windowTitle(), QStringLiteral("查找"));
        first->edtCode1->setText(QStringLiteral("HT"));
        first->edtArcman1->SetText(QStringLiteral("张三"));
        SetDate(first->edtArcdate1, QDate(2013, 3, 1));

        const auto second = TFinderFrm::CreateFinder(nullptr, {});
        for (QLineEdit *edit :
             {static_cast<QLineEdit *>(second->edtCode1), static_cast<QLineEdit *>(second->edtName1),
              static_cast<QLineEdit *>(second->edtFilepath1)})
            QCOMPARE(edit->text(), QString());
        for (Uis::TComboBox *combo :
             {second->edtArcdept1, second->edtArcman1, second->edtLayplace1, second->edtSecurity1}) {
            QCOMPARE(combo->Text(), QString());
            QCOMPARE(combo->count(), 0);
        }
        QVERIFY(!second->edtArcdate1->CheckBox()->isChecked());
        QVERIFY(!second->edtArcdate2->CheckBox()->isChecked());
        QCOMPARE(second->edtArcdate1->DateTime().date(), QDate::currentDate());
        const RArchiveWhere where = second->Where();
        QVERIFY(where.Arcdate1.isNull());
        QVERIFY(where.Arcdate2.isNull());
        QCOMPARE(where.Code, QString());
    }

    // The code box has the focus as the finder opens, in the focus colour; Tab takes its
    // colour back to what it was before.
    void firstBoxGivesBackFocusColour()
    {
        ScriptedPrompter prompts;
        const auto frm = TFinderFrm::CreateFinder(nullptr, {});
        const QColor before = frm->edtCode1->palette().color(QPalette::Base);
        bool active = false;
        QColor focused;
        QColor left;
        prompts.OnDialog([&](QDialog &dialog) {
            active = QTest::qWaitForWindowActive(&dialog);
            focused = frm->edtCode1->hasFocus() ? frm->edtCode1->palette().color(QPalette::Base) : QColor();
            QTest::keyClick(frm->edtCode1, Qt::Key_Tab);
            left = frm->edtName1->hasFocus() ? frm->edtCode1->palette().color(QPalette::Base) : QColor();
            return int(QDialog::Rejected);
        });
        frm->ShowModal();
        QVERIFY(active);
        QCOMPARE(focused, frm->edtCode1->ColorOnEnter());
        QCOMPARE(left, before);
    }

    void searches_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("untouched: every archive") << ""
                                                  << "" << QList<int>{1, 2, 3, 4};
        QTest::newRow("one day") << "day"
                                 << "2013-03-01" << QList<int>{1, 3};
        QTest::newRow("security typed partially") << "security"
                                                  << "机" << QList<int>{};
        QTest::newRow("security in full") << "security"
                                          << "机密" << QList<int>{1, 3};
        QTest::newRow("storage place contains") << "layplace"
                                                << "一号" << QList<int>{1, 3};
        QTest::newRow("department begins with") << "arcdept"
                                                << "办公室" << QList<int>{1, 3, 4};
        QTest::newRow("person equals") << "arcman"
                                       << "张" << QList<int>{};
        QTest::newRow("code contains") << "code"
                                       << "-00" << QList<int>{1, 2, 3, 4};
        QTest::newRow("name contains") << "name"
                                       << "报告" << QList<int>{3, 4};
        QTest::newRow("document contains") << "filepath"
                                           << ".pdf" << QList<int>{1};
    }
    void searches()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QList<int>, ids);
        ScriptedPrompter prompts;
        TArchiveList list;
        // Whatever the main window searched before does not restrict the finder.
        list.Where()->Reset();
        list.Where()->CataCodeFld()->SetAsString(CataCodeNulled);
        list.Where()->KeywordFld()->SetAsString(QStringLiteral("不存在的词"));
        list.Query();

        RArchiveWhere handed;
        const auto finder = TFinderFrm::CreateFinder(nullptr, [&](const RArchiveWhere &where) {
            handed = where;
            return ApplyWhere(list, where);
        });
        prompts.OnDialog([&](QDialog &dialog) {
            TFinderFrm &form = *finder;
            if (field == QLatin1String("day")) {
                const QDate day = QDate::fromString(value, Qt::ISODate);
                SetDate(form.edtArcdate1, day);
                SetDate(form.edtArcdate2, day);
            } else if (field == QLatin1String("security")) {
                form.edtSecurity1->SetText(value);
            } else if (field == QLatin1String("layplace")) {
                form.edtLayplace1->SetText(value);
            } else if (field == QLatin1String("arcdept")) {
                form.edtArcdept1->SetText(value);
            } else if (field == QLatin1String("arcman")) {
                form.edtArcman1->SetText(value);
            } else if (field == QLatin1String("code")) {
                form.edtCode1->setText(value);
            } else if (field == QLatin1String("name")) {
                form.edtName1->setText(value);
            } else if (field == QLatin1String("filepath")) {
                form.edtFilepath1->setText(value);
            }
            QTest::mouseClick(form.btnOk1, Qt::LeftButton);
            return dialog.isVisible() ? -1 : dialog.result();
        });
        QCOMPARE(finder->ShowModal(), int(QDialog::Accepted));
        QCOMPARE(Ids(list), ids);
        QCOMPARE(handed.CataCode, QString());
        QCOMPARE(handed.Keyword, QString());
        QVERIFY(prompts.Texts().isEmpty());
    }

    void refusedSearchKeepsFinderOpen()
    {
        ScriptedPrompter prompts;
        int calls = 0;
        const auto finder = TFinderFrm::CreateFinder(nullptr, [&](const RArchiveWhere &) {
            ++calls;
            return calls > 1;
        });
        prompts.OnDialog([&](QDialog &dialog) {
            finder->edtName1->setText(QStringLiteral("合同"));
            QTest::mouseClick(finder->btnOk1, Qt::LeftButton);
            if (!dialog.isVisible() || finder->edtName1->text() != QStringLiteral("合同"))
                return -1;
            QTest::mouseClick(finder->btnOk1, Qt::LeftButton);
            return dialog.result();
        });
        QCOMPARE(finder->ShowModal(), int(QDialog::Accepted));
        QCOMPARE(calls, 2);

        // Cancel hands nothing over.
        prompts.OnDialog([&](QDialog &dialog) {
            QTest::mouseClick(finder->CancelButton, Qt::LeftButton);
            return dialog.result();
        });
        QCOMPARE(finder->ShowModal(), int(QDialog::Rejected));
        QCOMPARE(calls, 2);
    }

    // Every caption and condition is whole, at the designed size and with a font half as
    // large again; the finder grows to fit rather than cutting them.
    void nothingClipped()
    {
        const auto finder = TFinderFrm::CreateFinder(nullptr, {});
        TFinderFrm &form = *finder;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.size(), QSize(520, 230));
        QVERIFY2(Clipped(&form).isEmpty(), qPrintable(Clipped(&form).join('\n')));

        const int buttonHeight = form.btnOk1->height();
        EnlargeFont(form);
        QTRY_VERIFY(form.btnOk1->height() > buttonHeight);
        QVERIFY2(Clipped(&form).isEmpty(), qPrintable(Clipped(&form).join('\n')));
    }
};

PZ_TEST(TFinderTest)
#include "tst_finder.moc"
