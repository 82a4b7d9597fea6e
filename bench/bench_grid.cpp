// Times what a user does with a grid over a million rows: a title click that sorts, the
// keyword filter through its dialog, and scrolling to the end and the middle. Each is set
// against the bare data-set operation (or one repaint, for scrolling), so the ratios show
// what the grid adds on top of the data set.
//
// Usage: bench_grid [rows]

#include "DataGrids.h"
#include "FilterDialog.h"
#include "ScriptedPrompter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScrollBar>

#include <cstdio>

namespace {

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

void Fill(TDataSet &ds, int rows)
{
    ds.AddField(FieldKind::Integer, QStringLiteral("Id"));
    ds.AddField(FieldKind::String, QStringLiteral("Code"), 20);
    ds.AddField(FieldKind::WideString, QStringLiteral("Title"), 60);
    ds.AddField(FieldKind::WideString, QStringLiteral("Author"), 20);
    ds.AddField(FieldKind::DateTime, QStringLiteral("Created"));
    ds.AddField(FieldKind::Integer, QStringLiteral("Copies"));
    ds.AddField(FieldKind::Memo, QStringLiteral("Note"));
    const QStringList words = {"合同", "档案", "管理",    "借阅",   "文件",   "报告", "会议", "纪要",
                               "通知", "办法", "project", "budget", "Annual", "Plan", "审计"};
    const QStringList names = {"张三", "李四", "王五", "赵六", "Smith", "Brown", "陈晓明", "刘洋"};
    QRandomGenerator random(20130110);
    const auto pick = [&](const QStringList &list) {
        return list[int(random.bounded(quint32(list.size())))];
    };
    ds.BeginLoad();
    QVariant row[7];
    for (int id = 0; id < rows; ++id) {
        row[0] = id;
        row[1] = QStringLiteral("PZ%1").arg(id, 7, 10, QLatin1Char('0'));
        row[2] = pick(words) + pick(words) + QString::number(random.bounded(10000u));
        row[3] = pick(names);
        row[4] = QDateTime(QDate(2000, 1, 1).addDays(random.bounded(8000u)), QTime(0, 0));
        row[5] = int(random.bounded(5u));
        row[6] = random.bounded(3u) == 0 ? QVariant() : QVariant(pick(words));
        ds.LoadRow(row);
    }
    ds.EndLoad();
}

// Runs the step and repaints the grid, as a user would wait for it.
template <class F> double Timed(TpzGridBase &grid, F step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents();
    grid.viewport()->repaint();
    grid.verticalHeader()->viewport()->repaint();
    return Seconds(timer);
}

template <class F> double TimedBare(F step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    return Seconds(timer);
}

void Report(const char *what, double grid, double bare)
{
    std::printf("%-28s grid %8.3f s   bare %8.3f s   ratio %6.2f\n", what, grid, bare,
                bare > 0 ? grid / bare : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    std::printf("rows: %d\n", rows);

    TDataSet ds;
    QElapsedTimer timer;
    timer.start();
    Fill(ds, rows);
    std::printf("%-28s %8.3f s\n", "load (not compared)", Seconds(timer));

    TpzDBGrid grid;
    const double bind = Timed(grid, [&] {
        grid.SetDataSet(&ds);
        grid.resize(1000, 600);
        grid.show();
    });
    std::printf("%-28s %8.3f s\n", "bind and first paint", bind);
    const int title = ds.FieldByName(QStringLiteral("Title"))->Index();
    const auto clickTitle = [&] { grid.TitleClick(title); };

    // Sorting: a title click against SetSort of the same text on the bare set.
    const double bareSort = TimedBare([&] { ds.SetSort(QStringLiteral("Title")); });
    ds.SetSort(QString());
    const double gridSort = Timed(grid, clickTitle);
    Report("title click: ascending", gridSort, bareSort);
    const double bareDesc = TimedBare([&] { ds.SetSort(QStringLiteral("Title DESC ")); });
    ds.SetSort(QStringLiteral("Title"));
    const double gridDesc = Timed(grid, clickTitle);
    Report("title click: descending", gridDesc, bareDesc);
    const double bareNone = TimedBare([&] { ds.SetSort(QString()); });
    ds.SetSort(QStringLiteral("Title DESC "));
    const double gridNone = Timed(grid, clickTitle);
    Report("title click: natural order", gridNone, bareNone);

    // Filtering: the keyword dialog against SetFilter and SetFiltered on the bare set.
    const double bareFilter = TimedBare([&] {
        ds.SetFilter(QStringLiteral("Title like '%合同%'"));
        ds.SetFiltered(true);
    });
    const int kept = ds.RecordCount();
    ds.SetFiltered(false);
    ds.SetFilter(QString());
    ScriptedPrompter prompts;
    prompts.OnDialog([](QDialog &dialog) {
        auto &frm = dynamic_cast<TFltrDlgFrm &>(dialog);
        frm.FieldList->setCurrentItem(
            frm.FieldList->findItems(QStringLiteral("Title"), Qt::MatchExactly).value(0));
        frm.NextClick();
        frm.edtKeyword1->setText(QStringLiteral("合同"));
        frm.btnOk1->click();
        return frm.result();
    });
    const double gridFilter = Timed(grid, [&] { grid.FilterClick(); });
    if (ds.RecordCount() != kept)
        std::printf("filter through the dialog kept %d rows, the bare filter %d\n", ds.RecordCount(), kept);
    Report("keyword filter", gridFilter, bareFilter);
    ds.SetFiltered(false);

    // Scrolling: to the end and to the middle, against one repaint where the view stands.
    QCoreApplication::processEvents();
    const double repaint = Timed(grid, [] {});
    const double toEnd = Timed(grid, [&] { grid.scrollToBottom(); });
    Report("scroll to the end", toEnd, repaint);
    const double toMiddle =
        Timed(grid, [&] { grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->maximum() / 2); });
    Report("scroll to the middle", toMiddle, repaint);
    const double cursorEnd = Timed(grid, [&] { ds.Last(); });
    Report("record pointer to the end", cursorEnd, repaint);
    return 0;
}
