// Loads a million rows of fifteen columns into a TDataSet and times what the grids do with
// them: sort by a text, sort by two keys, filter with like '%合同%' and with =. The same text
// sort done with std::stable_sort over a plain vector of QString is the yardstick.
//
// Usage: bench_dataset [rows]

#include "DataSet.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace {

constexpr int ColumnCount = 15;

qint64 ResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

void Declare(TDataSet &ds)
{
    ds.AddField(FieldKind::Integer, "Id");
    ds.AddField(FieldKind::String, "Code", 20);
    ds.AddField(FieldKind::WideString, "Title", 60);
    ds.AddField(FieldKind::Integer, "Category");
    ds.AddField(FieldKind::Integer, "Copies");
    ds.AddField(FieldKind::Float, "Price");
    ds.AddField(FieldKind::DateTime, "Created");
    ds.AddField(FieldKind::DateTime, "Lent");
    ds.AddField(FieldKind::WideString, "Author", 20);
    ds.AddField(FieldKind::WideString, "Keywords", 40);
    ds.AddField(FieldKind::Memo, "Note");
    ds.AddField(FieldKind::Boolean, "Done");
    ds.AddField(FieldKind::Integer, "Pages");
    ds.AddField(FieldKind::String, "Shelf", 20);
    ds.AddField(FieldKind::Memo, "Remark");
}

// Deterministic rows that look like an archive register: Chinese and ASCII words, dates with
// and without a time of day, some nulls.
class RowMaker
{
public:
    void Make(int id, std::array<QVariant, ColumnCount> &row)
    {
        static const QStringList words = {"合同", "档案", "管理", "借阅",     "文件",   "报告",   "会议",
                                          "纪要", "通知", "办法", "project",  "budget", "Annual", "report",
                                          "Plan", "北京", "上海", "contract", "Notice", "审计"};
        static const QStringList names = {"张三", "李四", "王五", "赵六", "Smith", "Brown", "陈晓明", "刘洋"};
        const auto word = [&] { return words[int(m_random.bounded(quint32(words.size())))]; };
        QString title = word();
        const int extra = 1 + int(m_random.bounded(3u));
        for (int i = 0; i < extra; ++i)
            title += (m_random.bounded(2u) ? QStringLiteral(" ") : QString()) + word();
        title += QString::number(m_random.bounded(10000u));

        const QDate day = QDate(2000, 1, 1).addDays(m_random.bounded(8000u));
        row[0] = id;
        row[1] = QStringLiteral("PZ%1-%2")
                     .arg(m_random.bounded(100u), 2, 10, QLatin1Char('0'))
                     .arg(id, 7, 10, QLatin1Char('0'));
        row[2] = title;
        row[3] = int(m_random.bounded(40u));
        row[4] = int(m_random.bounded(5u));
        row[5] = m_random.bounded(100000u) / 100.0;
        row[6] = QDateTime(day, QTime(0, 0));
        row[7] = m_random.bounded(4u) == 0
                     ? QVariant()
                     : QVariant(QDateTime(day.addDays(30),
                                          QTime(int(m_random.bounded(24u)), int(m_random.bounded(60u)))));
        row[8] = names[int(m_random.bounded(quint32(names.size())))];
        row[9] = word() + QLatin1Char(',') + word();
        row[10] = m_random.bounded(3u) == 0 ? QVariant()
                                            : QVariant(title + QStringLiteral("，备注说明 note ") + word());
        row[11] = m_random.bounded(2u) == 0;
        row[12] = int(m_random.bounded(500u));
        row[13] = QStringLiteral("S%1").arg(m_random.bounded(300u));
        row[14] = m_random.bounded(10u) == 0 ? QVariant(QStringLiteral("另见") + word()) : QVariant();
    }

private:
    QRandomGenerator m_random{20130110};
};

double Seconds(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1000000;
    std::printf("rows: %d, columns: %d\n", rows, ColumnCount);

    // Building the values costs the same with any storage: rows are made in batches outside
    // the clock, and only LoadRow is timed.
    TDataSet ds;
    Declare(ds);
    const qint64 before = ResidentBytes();
    RowMaker maker;
    constexpr int Batch = 10000;
    std::vector<std::array<QVariant, ColumnCount>> batch(Batch);
    double loadSeconds = 0;
    QElapsedTimer timer;
    timer.start();
    ds.BeginLoad();
    loadSeconds += Seconds(timer);
    for (int first = 0; first < rows; first += Batch) {
        const int count = std::min(Batch, rows - first);
        for (int i = 0; i < count; ++i)
            maker.Make(first + i, batch[size_t(i)]);
        timer.start();
        for (int i = 0; i < count; ++i)
            ds.LoadRow(batch[size_t(i)].data());
        loadSeconds += Seconds(timer);
    }
    timer.start();
    ds.EndLoad();
    loadSeconds += Seconds(timer);
    batch.clear();
    batch.shrink_to_fit();
    const qint64 after = ResidentBytes();
    std::printf("load:                  %7.3f s\n", loadSeconds);
    std::printf("memory:                %7.1f bytes/row (resident %.0f MB -> %.0f MB)\n",
                double(after - before) / rows, before / 1e6, after / 1e6);

    const auto timed = [&](const char *label, auto action) {
        QElapsedTimer t;
        t.start();
        action();
        const double s = Seconds(t);
        std::printf("%-22s %7.3f s, %d rows visible\n", label, s, ds.RecordCount());
        return s;
    };

    const double textSort = timed("sort Title:", [&] { ds.SetSort("Title"); });
    timed("sort Title DESC:", [&] { ds.SetSort("Title DESC"); });
    const double twoKeys = timed("sort Category, Lent D:", [&] { ds.SetSort("Category, Lent DESC"); });
    timed("sort natural:", [&] { ds.SetSort(QString()); });
    ds.SetFiltered(true);
    const double likeFilter = timed("filter like %合同%:", [&] { ds.SetFilter("Title like '%合同%'"); });
    const double equalsFilter = timed("filter Category = 7:", [&] { ds.SetFilter("Category = 7"); });
    timed("filter and/or/date:", [&] {
        ds.SetFilter("(Category = 7 or Copies > 3) and Created >= #2010-01-01# and Author like '张%'");
    });
    timed("sort + filter:", [&] {
        ds.SetSort("Title");
        ds.SetFilter("Title like '%合同%'");
    });
    ds.SetFilter(QString());
    ds.SetSort(QString());

    // The yardstick: the same ordering of the same texts, held as a plain vector of QString.
    std::vector<QString> texts;
    texts.reserve(size_t(rows));
    for (int r = 0; r < ds.RecordCount(); ++r)
        texts.push_back(ds.DisplayTextAt(r, 2));
    timer.start();
    std::stable_sort(texts.begin(), texts.end(), [](const QString &a, const QString &b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a.compare(b, Qt::CaseSensitive) < 0;
    });
    const double baseline = Seconds(timer);
    std::printf("baseline stable_sort:  %7.3f s over std::vector<QString>\n", baseline);
    std::printf("ratios to baseline:    sort Title %.2f, two keys %.2f, like %.2f, = %.2f\n",
                textSort / baseline, twoKeys / baseline, likeFilter / baseline, equalsFilter / baseline);
    return 0;
}
