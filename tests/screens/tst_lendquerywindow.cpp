// The lending query window on a real SQLite database: how it opens, each search condition,
// "重置", printing with its right, the grid layout it keeps, and several windows at once.

#include "DataGrids.h"
#include "LendQueryWindow.h"
#include "LendTest.h"
#include "ReportChooser.h"
#include "ReportStore.h"
#include "ReportWindows.h"
#include "Settings.h"
#include "TestMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QHeaderView>
#include <QImage>
#include <QPointer>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>

using namespace LendTest;

namespace {

// The lendings every query test searches. Lending 2 was lent at a time of day; lending 4
// belongs to an archive that no longer exists.
void StoreFixture()
{
    const int first = StoreArchive(QStringLiteral("A-1"), QStringLiteral("档案一"), 5);
    const int second = StoreArchive(QStringLiteral("A-2"), QStringLiteral("档案二"), 5);
    InsertLend(1, first, QDate(2013, 3, 1), QStringLiteral("张三"), QStringLiteral("财务部"));
    InsertLend(2, second, QDateTime(QDate(2013, 3, 1), QTime(9, 30)), QStringLiteral("李四"),
               QStringLiteral("人事部"));
    InsertLend(3, first, QDate(2013, 3, 2), QStringLiteral("张三"), QStringLiteral("人事部"),
               QDate(2013, 3, 4));
    InsertLend(4, 99, QDate(2013, 2, 27), QString(), QStringLiteral("财务"));
    InsertLend(5, second, QDate(2013, 3, 5), QStringLiteral("王五"), QStringLiteral("财务部"));
}

void SetDate(Uis::TDateTimePicker *picker, const QDate &date)
{
    if (date.isNull())
        return;
    picker->CheckBox()->setChecked(true);
    picker->Editor()->setDate(date);
}

QString Cell(TLendQryFrm &window, int row, const QString &field)
{
    TDataSet *rows = window.LendList()->DataSet();
    return rows->DisplayTextAt(row, rows->FieldByName(field)->Index());
}

void FlushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TLendQueryTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InstallReportWindows();
        InitDataModule();
        StartServices();
    }
    void cleanupTestCase()
    {
        StopServices();
        DoneDataModule();
    }
    void init()
    {
        QVERIFY(OpenFresh("lendqry"));
        StoreFixture();
        CurrentOperator->LoadByLoginId(SuperUserId);
    }

    // Cleared conditions, no query yet, maximized, the grid on its layout key.
    void opensCleared()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        window->show();
        QCOMPARE(window->windowTitle(), QStringLiteral("借阅查询"));
        QVERIFY(window->windowState() & Qt::WindowMaximized);
        QVERIFY(!window->isModal());
        QVERIFY(!window->edtLendate1->Checked());
        QVERIFY(!window->edtLendate2->Checked());
        QCOMPARE(window->edtLendate1->DateTime().date(), QDate::currentDate());
        QVERIFY(window->edtLendept1->Text().isEmpty());
        QVERIFY(window->edtBorrower1->Text().isEmpty());
        QVERIFY(!window->LendList()->DataSet()->Active());
        QCOMPARE(window->DBGrid1->Tag(), LendQueryLayoutKey);
        QCOMPARE(window->tbPrint1->text(), QStringLiteral("打印"));
        QCOMPARE(window->tbExit1->text(), QStringLiteral(" 退出 "));
        window->tbExit1->trigger();
        FlushDeletes();
        QVERIFY(window.isNull());
        QVERIFY(prompts.History().isEmpty());
    }

    void conditions_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("until");
        QTest::addColumn<QString>("department");
        QTest::addColumn<QString>("borrower");
        QTest::addColumn<QList<int>>("ids");
        QTest::newRow("nothing set: every lending") << QDate() << QDate() << ""
                                                    << "" << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("from a day on") << QDate(2013, 3, 2) << QDate() << ""
                                       << "" << QList<int>{3, 5};
        QTest::newRow("until a day, that day included") << QDate() << QDate(2013, 3, 2) << ""
                                                        << "" << QList<int>{1, 2, 3, 4};
        QTest::newRow("one day: only lendings without time of day")
            << QDate(2013, 3, 1) << QDate(2013, 3, 1) << ""
            << "" << QList<int>{1};
        QTest::newRow("department, whole name") << QDate() << QDate() << "财务部"
                                                << "" << QList<int>{1, 5};
        QTest::newRow("department, part of a name") << QDate() << QDate() << "财"
                                                    << "" << QList<int>{};
        QTest::newRow("borrower") << QDate() << QDate() << ""
                                  << "张三" << QList<int>{1, 3};
        QTest::newRow("every condition") << QDate(2013, 3, 1) << QDate(2013, 3, 5) << "人事部"
                                         << "张三" << QList<int>{3};
        QTest::newRow("a quote in the borrower") << QDate() << QDate() << ""
                                                 << "O'Brien" << QList<int>{};
    }
    void conditions()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, until);
        QFETCH(QString, department);
        QFETCH(QString, borrower);
        QFETCH(QList<int>, ids);
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        window->show();
        SetDate(window->edtLendate1, from);
        SetDate(window->edtLendate2, until);
        window->edtLendept1->SetText(department);
        window->edtBorrower1->SetText(borrower);
        QTest::mouseClick(window->FindButton, Qt::LeftButton);
        QVERIFY2(prompts.History().isEmpty(), qPrintable(prompts.LastText()));
        QCOMPARE(CachedIds(*window->LendList()->DataSet()), ids);
        QCOMPARE(window->DBGrid1->model()->rowCount(), int(ids.size()));
        window->close();
    }

    // The window is no dialog: Escape, wherever the focus is, leaves it open.
    void escapeKeepsWindowOpen()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        const auto closeAtEnd = qScopeGuard([&window] {
            if (window)
                window->close();
            FlushDeletes();
        });
        window->show();
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::mouseClick(window->FindButton, Qt::LeftButton);
        const QList<QWidget *> controls = {window->edtLendate1->Editor(), window->edtBorrower1->lineEdit(),
                                           window->FindButton, window->DBGrid1, window};
        for (QWidget *control : controls) {
            control->setFocus();
            QTest::keyClick(control, Qt::Key_Escape);
            FlushDeletes();
            QVERIFY2(window && window->isVisible(), qPrintable(control->objectName()));
        }
        QVERIFY(prompts.History().isEmpty());
    }

    // The conditions are whole at the window's own size and with a font half as large again;
    // the grid keeps the room the conditions do not need.
    void nothingClipped()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        const auto closeAtEnd = qScopeGuard([&window] {
            if (window)
                window->close();
            FlushDeletes();
        });
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY2(Clipped(window).isEmpty(), qPrintable(Clipped(window).join('\n')));
        const int panelHeight = window->ConditionsPanel->height();

        EnlargeFont(*window);
        QTRY_VERIFY(window->ConditionsPanel->height() > panelHeight);
        QVERIFY2(Clipped(window).isEmpty(), qPrintable(Clipped(window).join('\n')));
        QCOMPARE(window->DBGrid1->geometry().bottom(), window->rect().bottom());
    }

    // Lendings are shown with their archive's code and name, empty for a deleted archive.
    void archiveColumns()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        QTest::mouseClick(window->FindButton, Qt::LeftButton);
        QCOMPARE(Cell(*window, 0, QStringLiteral("ArcCode")), QStringLiteral("A-1"));
        QCOMPARE(Cell(*window, 1, QStringLiteral("ArcName")), QStringLiteral("档案二"));
        QCOMPARE(Cell(*window, 3, QStringLiteral("ArcCode")), QString());
        window->close();
    }

    // A title clicked for sorting shows its mark clear of its caption, for each column and
    // with the numbers of a sort by two columns.
    void sortMarkClearOfCaption()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QTest::mouseClick(window->FindButton, Qt::LeftButton);
        TpzDBGrid *grid = window->DBGrid1;
        QHeaderView *header = grid->horizontalHeader();
        const auto click = [&](int logical) {
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(logical) + 5, header->height() / 2));
        };
        // The dark pixels in the room a mark takes at the right of a title that lie outside
        // the mark itself: an arrow 9 pixels wide and 7 high, 10 pixels from the right edge,
        // and before it the mark's number when several columns are marked.
        const auto strayInk = [&](int logical, bool numbered) {
            const QImage image = header->viewport()->grab().toImage();
            const int left = header->sectionViewportPosition(logical);
            const int right = left + header->sectionSize(logical) - 1;
            const int middle = (header->height() - 1) / 2;
            const QRect arrow(right - 14, middle - 3, 9, 7);
            const QRect number(right - 26, 0, 11, header->height());
            const int room = numbered ? 28 : 16;
            QStringList stray;
            for (int x = std::max(left, right - room + 1); x <= right; ++x)
                for (int y = 0; y < image.height(); ++y)
                    if (qGray(image.pixel(x, y)) < 100 && !arrow.contains(x, y) &&
                        !(numbered && number.contains(x, y)))
                        stray << QStringLiteral("%1,%2").arg(x - left).arg(y);
            return stray;
        };
        QList<int> shown;
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            if (!header->isSectionHidden(logical) && header->sectionViewportPosition(logical) >= 0 &&
                header->sectionViewportPosition(logical) + header->sectionSize(logical) <=
                    header->viewport()->width())
                shown << logical;
        }
        QVERIFY(shown.size() >= 2);
        for (const int logical : shown) {
            click(logical);
            QCOMPARE(grid->SortMarks().size(), 1);
            const QStringList stray = strayInk(logical, false);
            QVERIFY2(stray.isEmpty(),
                     qPrintable(header->model()->headerData(logical, Qt::Horizontal).toString() +
                                QLatin1Char(' ') + stray.join(QLatin1Char(' '))));
            click(logical);
            click(logical);
            QVERIFY(grid->SortMarks().isEmpty());
        }
        click(shown[0]);
        click(shown[1]);
        for (const int logical : {shown[0], shown[1]}) {
            const QStringList stray = strayInk(logical, true);
            QVERIFY2(stray.isEmpty(), qPrintable(stray.join(QLatin1Char(' '))));
        }
        window->close();
        FlushDeletes();
    }

    // "重置" clears the conditions and leaves the lendings found on screen.
    void reset()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        window->edtBorrower1->SetText(QStringLiteral("张三"));
        QTest::mouseClick(window->FindButton, Qt::LeftButton);
        SetDate(window->edtLendate1, QDate(2013, 1, 1));
        SetDate(window->edtLendate2, QDate(2013, 12, 31));
        window->edtLendept1->SetText(QStringLiteral("财务部"));

        QTest::mouseClick(window->btnReset1, Qt::LeftButton);
        QVERIFY(!window->edtLendate1->Checked());
        QVERIFY(!window->edtLendate2->Checked());
        QCOMPARE(window->edtLendate2->DateTime().date(), QDate::currentDate());
        QVERIFY(window->edtLendept1->Text().isEmpty());
        QVERIFY(window->edtBorrower1->Text().isEmpty());
        QCOMPARE(CachedIds(*window->LendList()->DataSet()), (QList<int>{1, 3}));

        QTest::mouseClick(window->FindButton, Qt::LeftButton);
        QCOMPARE(CachedIds(*window->LendList()->DataSet()).size(), 5);
        window->close();
    }

    // Each window keeps its own conditions and lendings; closing one frees only it.
    void severalWindows()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> first = new TLendQryFrm;
        QPointer<TLendQryFrm> second = new TLendQryFrm;
        first->show();
        second->show();
        first->edtBorrower1->SetText(QStringLiteral("张三"));
        second->edtLendept1->SetText(QStringLiteral("财务部"));
        QTest::mouseClick(first->FindButton, Qt::LeftButton);
        QTest::mouseClick(second->FindButton, Qt::LeftButton);
        QCOMPARE(CachedIds(*first->LendList()->DataSet()), (QList<int>{1, 3}));
        QCOMPARE(CachedIds(*second->LendList()->DataSet()), (QList<int>{1, 5}));
        QVERIFY(first->isVisible() && second->isVisible());

        first->close();
        FlushDeletes();
        QVERIFY(first.isNull());
        QVERIFY(!second.isNull());
        QCOMPARE(CachedIds(*second->LendList()->DataSet()), (QList<int>{1, 5}));
        QTest::mouseClick(second->FindButton, Qt::LeftButton);
        QCOMPARE(CachedIds(*second->LendList()->DataSet()), (QList<int>{1, 5}));
        second->close();
        FlushDeletes();
        QVERIFY(second.isNull());
    }

    // A column layout saved from one query window is the one the next window opens with.
    void layoutKept()
    {
        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> first = new TLendQryFrm;
        TGridColumns columns = first->DBGrid1->Columns();
        QVERIFY(!columns.isEmpty());
        columns[0].Width = 211;
        first->DBGrid1->SetColumns(columns);
        first->DBGrid1->SaveLayoutClick();
        QCOMPARE(Column(QStringLiteral("select F02 from syscols")),
                 QStringList{QString::number(LendQueryLayoutKey)});
        first->close();

        QPointer<TLendQryFrm> second = new TLendQryFrm;
        QCOMPARE(second->DBGrid1->Columns().value(0).Width, 211);
        second->close();
        FlushDeletes();
    }

    // "打印" needs right 10002; the report chooser gets the lendings first, then the
    // conditions, for the lending query's report group.
    void print_data()
    {
        QTest::addColumn<QString>("rights");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("with the print right") << RightItem(RightPrint) << true;
        QTest::newRow("without it") << RightItem(RightPrintDesign) << false;
    }
    void print()
    {
        QFETCH(QString, rights);
        QFETCH(bool, allowed);
        TOperatorSet operators;
        operators.AddOperator(QStringLiteral("clerk"), QString(), rights, {}, {}, QStringLiteral("职员"));
        CurrentOperator->LoadByLoginId(QStringLiteral("clerk"));

        ScriptedPrompter prompts;
        QPointer<TLendQryFrm> window = new TLendQryFrm;
        QTest::mouseClick(window->FindButton, Qt::LeftButton);
        QList<TDataSet *> handed;
        int group = 0;
        prompts.OnDialog([&](QDialog &shown) {
            auto &chooser = dynamic_cast<TReporterFrm &>(shown);
            handed = chooser.Reper()->DataSets();
            group = chooser.GroupId();
            return int(QDialog::Rejected);
        });
        window->tbPrint1->trigger();
        if (allowed) {
            QCOMPARE(prompts.Dialogs(), QStringList{QStringLiteral("TReporterFrm")});
            QCOMPARE(handed, (QList<TDataSet *>{window->LendList()->DataSet(),
                                                window->LendList()->Where()->DataSet()}));
            QCOMPARE(group, LendQueryReportGroup);
            QVERIFY(prompts.History().isEmpty());
        } else {
            QVERIFY(prompts.Dialogs().isEmpty());
            QCOMPARE(prompts.Texts(), QStringList{QStringLiteral(
                                          "\r\n对不起,您没有该功能的操作权限,请与管理员联系(10002).\t")});
        }
        window->close();
        FlushDeletes();
    }
};

PZ_TEST(TLendQueryTest)
#include "tst_lendquerywindow.moc"
