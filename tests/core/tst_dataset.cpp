// The client-side data set: cursor, editing of the cache, sort and filter texts, conversions,
// suspended views, and the table model that grids put over it.

#include "DataSet.h"
#include "DataSetModel.h"
#include "Exceptions.h"
#include "TestMain.h"

#include <QAbstractItemModelTester>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <functional>

using DataSetAction = std::function<void(TDataSet &)>;
Q_DECLARE_METATYPE(DataSetAction)

namespace {

const QString Closed = QStringLiteral("数据集已关闭,不能执行此操作");

void Declare(TDataSet &ds)
{
    ds.AddField(FieldKind::String, "Code", 10);
    ds.AddField(FieldKind::WideString, "Name")->SetDisplayLabel(QStringLiteral("名称"));
    ds.AddField(FieldKind::Integer, "Copys");
    ds.AddField(FieldKind::Float, "Price");
    ds.AddField(FieldKind::DateTime, "Made");
    ds.AddField(FieldKind::Boolean, "Done");
    ds.AddField(FieldKind::Memo, "Note");
    ds.AddField(FieldKind::String, "Secret")->SetVisible(false);
}

// Values arrive as a database driver hands them over: dates as ISO texts, numbers as any type.
void LoadSample(TDataSet &ds)
{
    const QVariant null;
    const std::vector<std::vector<QVariant>> rows = {
        {"A1", "合同管理办法", 3, 12.5, "2020-01-05", true, "notes one", "k1"},
        {"A2", "O'Brien letters", 1, 3.25, "2021-06-30 14:30:00", false, null, "k2"},
        {"A3", "alpha report", qlonglong(2), null, QDate(2019, 12, 31), 1, "关于合同", "k3"},
        {"A4", null, null, "7", null, null, "", null},
        {"A5", "Alpha Report", "1", 100, QDateTime(QDate(2020, 1, 5), QTime(0, 0)), "false", "x", "k5"},
        {"A6", "借阅合同", 5.0, 0.5, "2022-02-02T00:00:00", "TRUE", "*star", "k6"},
    };
    ds.BeginLoad();
    for (const std::vector<QVariant> &row : rows)
        ds.LoadRow(row.data());
    ds.EndLoad();
}

QStringList Texts(const TDataSet &ds, const QString &field)
{
    QStringList texts;
    const int index = ds.FieldByName(field)->Index();
    for (int row = 0; row < ds.RecordCount(); ++row)
        texts << ds.DisplayTextAt(row, index);
    return texts;
}

QStringList Codes(const TDataSet &ds)
{
    return Texts(ds, "Code");
}

template <typename Action> QString ErrorOf(Action action)
{
    try {
        action();
    } catch (const Exception &error) {
        return error.Message();
    }
    return QStringLiteral("(no error)");
}

QDateTime At(int y, int m, int d, int hh = 0, int mm = 0, int ss = 0)
{
    return QDateTime(QDate(y, m, d), QTime(hh, mm, ss));
}

} // namespace

class TDataSetTest : public QObject
{
    Q_OBJECT
private slots:
    void loadedRowsAndTheirValues()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        QCOMPARE(ds.RecordCount(), 6);
        QCOMPARE(ds.RecNo(), 0);
        QCOMPARE(Codes(ds), (QStringList{"A1", "A2", "A3", "A4", "A5", "A6"}));
        QCOMPARE(ds.ValueAt(2, 2), QVariant(2));
        QCOMPARE(ds.ValueAt(4, 2).typeId(), int(QMetaType::Int));
        QCOMPARE(ds.ValueAt(3, 3), QVariant(7.0));
        QCOMPARE(ds.ValueAt(1, 4), QVariant(At(2021, 6, 30, 14, 30)));
        QCOMPARE(ds.ValueAt(2, 4), QVariant(At(2019, 12, 31)));
        QCOMPARE(ds.ValueAt(5, 5), QVariant(true));
        QCOMPARE(ds.ValueAt(4, 5), QVariant(false));
        QVERIFY(ds.ValueAt(3, 1).isNull());
        QVERIFY(ds.ValueAt(1, 6).isNull());
        QCOMPARE(ds.ValueAt(3, 6), QVariant(QString()));
        QVERIFY(!ds.ValueAt(3, 6).isNull());
        QCOMPARE(Texts(ds, "Made"), (QStringList{"2020-01-05", "2021-06-30 14:30:00", "2019-12-31", "",
                                                 "2020-01-05", "2022-02-02"}));
        QCOMPARE(Texts(ds, "Price"), (QStringList{"12.5", "3.25", "", "7", "100", "0.5"}));
        QCOMPARE(Texts(ds, "Done"), (QStringList{"True", "False", "True", "", "False", "True"}));
        QCOMPARE(ds.FieldByName("name")->DisplayLabel(), QStringLiteral("名称"));
        QCOMPARE(ds.FieldByName("copys")->DisplayLabel(), QStringLiteral("Copys"));
        QCOMPARE(ErrorOf([&] { ds.FieldByName("Nope"); }), QStringLiteral("找不到字段 'Nope'"));
        QCOMPARE(ds.FindField("Nope"), nullptr);
    }

    void cursorWalksTheVisibleRows()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        QStringList walked;
        TField *code = ds.FieldByName("Code");
        for (ds.First(); !ds.Eof(); ds.Next())
            walked << code->AsString();
        QCOMPARE(walked, Codes(ds));
        QCOMPARE(ds.RecNo(), 5); // Next past the last row stays on it

        ds.First();
        QVERIFY(ds.Bof());
        QVERIFY(!ds.Eof());
        ds.Next();
        QVERIFY(!ds.Bof());
        QCOMPARE(code->AsString(), QStringLiteral("A2"));
        ds.Prior();
        ds.Prior();
        QVERIFY(ds.Bof());
        QCOMPARE(ds.RecNo(), 0);
        ds.Last();
        QVERIFY(ds.Eof());
        QCOMPARE(code->AsString(), QStringLiteral("A6"));
        ds.MoveBy(-3);
        QCOMPARE(ds.RecNo(), 2);
        QVERIFY(!ds.Eof() && !ds.Bof());
        ds.MoveBy(100);
        QVERIFY(ds.Eof());
        QCOMPARE(ds.RecNo(), 5);
        ds.SetRecNo(3);
        QCOMPARE(code->AsString(), QStringLiteral("A4"));
        QVERIFY(ds.FieldByName("Name")->IsNull());

        QVERIFY(ds.Locate("Name", "借阅合同"));
        QCOMPARE(ds.RecNo(), 5);
        QVERIFY(ds.Locate("copys", "1"));
        QCOMPARE(ds.RecNo(), 1);
        QVERIFY(!ds.Locate("Name", "alpha REPORT")); // exact match only
        QCOMPARE(ds.RecNo(), 1);
        const int bookmark = ds.Bookmark();
        ds.SetSort("Name");
        ds.Last();
        QVERIFY(ds.GotoBookmark(bookmark));
        QCOMPARE(code->AsString(), QStringLiteral("A2"));
        QCOMPARE(ds.PhysicalRow(ds.RecNo()), bookmark);
    }

    void emptySet()
    {
        TDataSet ds;
        Declare(ds);
        ds.CreateDataSet();
        QVERIFY(ds.Active());
        QVERIFY(ds.IsEmpty());
        ds.First();
        QVERIFY(ds.Eof() && ds.Bof());
        ds.Next();
        QVERIFY(ds.Eof() && ds.Bof());
        QCOMPARE(ds.RecNo(), -1);
        QVERIFY(ds.FieldByName("Code")->IsNull());
        QCOMPARE(ErrorOf([&] { ds.Edit(); }), QStringLiteral("数据集为空,不能执行此操作"));
        QCOMPARE(ErrorOf([&] { ds.Delete(); }), QStringLiteral("数据集为空,不能执行此操作"));
        QCOMPARE(ErrorOf([&] { ds.FieldByName("Code")->SetValue("x"); }),
                 QStringLiteral("数据集不在编辑或插入状态"));
    }

    void closedSetRefuses_data()
    {
        QTest::addColumn<DataSetAction>("action");
        QTest::newRow("RecordCount") << DataSetAction([](TDataSet &ds) { ds.RecordCount(); });
        QTest::newRow("First") << DataSetAction([](TDataSet &ds) { ds.First(); });
        QTest::newRow("Next") << DataSetAction([](TDataSet &ds) { ds.Next(); });
        QTest::newRow("Last") << DataSetAction([](TDataSet &ds) { ds.Last(); });
        QTest::newRow("MoveBy") << DataSetAction([](TDataSet &ds) { ds.MoveBy(2); });
        QTest::newRow("SetRecNo") << DataSetAction([](TDataSet &ds) { ds.SetRecNo(0); });
        QTest::newRow("Locate") << DataSetAction([](TDataSet &ds) { ds.Locate("Code", "A1"); });
        QTest::newRow("Append") << DataSetAction([](TDataSet &ds) { ds.Append(); });
        QTest::newRow("Insert") << DataSetAction([](TDataSet &ds) { ds.Insert(); });
        QTest::newRow("Edit") << DataSetAction([](TDataSet &ds) { ds.Edit(); });
        QTest::newRow("Post") << DataSetAction([](TDataSet &ds) { ds.Post(); });
        QTest::newRow("Delete") << DataSetAction([](TDataSet &ds) { ds.Delete(); });
        QTest::newRow("SetValue") << DataSetAction([](TDataSet &ds) { ds.Field(0)->SetValue("x"); });
        QTest::newRow("SetValueAt") << DataSetAction([](TDataSet &ds) { ds.SetValueAt(0, 0, "x"); });
    }

    void closedSetRefuses()
    {
        QFETCH(DataSetAction, action);
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.Close();
        QVERIFY(!ds.Active());
        QCOMPARE(ErrorOf([&] { action(ds); }), Closed);
    }

    void closeDropsRowsSortAndFilter()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetSort("Name");
        ds.SetFilter("Copys = 1");
        ds.SetFiltered(true);
        ds.Close();
        QCOMPARE(ds.Sort(), QString());
        QCOMPARE(ds.Filter(), QString());
        QCOMPARE(ds.FieldCount(), 8);
        QCOMPARE(ErrorOf([&] { ds.AddField(FieldKind::Integer, "CODE"); }),
                 QStringLiteral("字段名 'CODE' 重复"));
        LoadSample(ds);
        QCOMPARE(Codes(ds), (QStringList{"A1", "A2", "A3", "A4", "A5", "A6"}));
        QCOMPARE(ErrorOf([&] { ds.AddField(FieldKind::Integer, "Extra"); }),
                 QStringLiteral("数据集已打开,不能执行此操作"));
    }

    void appendInsertPostCancel()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        TField *code = ds.FieldByName("Code");
        TField *copys = ds.FieldByName("Copys");

        ds.SetRecNo(2);
        ds.Append();
        QCOMPARE(ds.State(), DataSetState::Insert);
        for (int i = 0; i < ds.FieldCount(); ++i)
            QVERIFY(ds.Field(i)->IsNull()); // a fresh buffer, not the current row
        code->SetValue("B1");
        copys->SetAsString("9");
        QCOMPARE(copys->Value(), QVariant(9));
        QCOMPARE(ds.RecordCount(), 6); // not visible before Post
        ds.Post();
        QCOMPARE(ds.State(), DataSetState::Browse);
        QCOMPARE(ds.RecNo(), 6);
        QCOMPARE(code->AsString(), QStringLiteral("B1"));
        QCOMPARE(copys->AsInteger(), 9);

        ds.SetRecNo(1);
        ds.Insert();
        code->SetValue("B2");
        ds.Post();
        QCOMPARE(ds.RecNo(), 1);
        QCOMPARE(Codes(ds), (QStringList{"A1", "B2", "A2", "A3", "A4", "A5", "A6", "B1"}));

        ds.Append();
        code->SetValue("B3");
        ds.Cancel();
        QCOMPARE(ds.State(), DataSetState::Browse);
        QCOMPARE(ds.RecordCount(), 8);
        QCOMPARE(code->AsString(), QStringLiteral("B2"));

        // Moving while inserting posts the record first.
        ds.Append();
        code->SetValue("B4");
        ds.First();
        QCOMPARE(ds.State(), DataSetState::Browse);
        QCOMPARE(Codes(ds).last(), QStringLiteral("B4"));
        QCOMPARE(ErrorOf([&] { ds.Post(); }), QStringLiteral("数据集不在编辑或插入状态"));
    }

    void editPostAndCancel()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        TField *name = ds.FieldByName("Name");
        ds.SetRecNo(2);
        ds.Edit();
        QCOMPARE(name->AsString(), QStringLiteral("alpha report"));
        name->SetValue("changed");
        QCOMPARE(name->AsString(), QStringLiteral("changed"));
        QCOMPARE(ds.DisplayTextAt(2, 1), QStringLiteral("alpha report")); // stored row untouched
        ds.Cancel();
        QCOMPARE(name->AsString(), QStringLiteral("alpha report"));

        ds.Edit();
        name->SetValue("a much longer name than before");
        ds.Next(); // posts
        QCOMPARE(ds.RecNo(), 3);
        QCOMPARE(ds.DisplayTextAt(2, 1), QStringLiteral("a much longer name t"));
        ds.Prior();
        ds.Edit();
        name->SetValue("short");
        name->Clear();
        ds.FieldByName("Copys")->SetValue(42);
        ds.Post();
        QVERIFY(ds.ValueAt(2, 1).isNull());
        QCOMPARE(ds.ValueAt(2, 2), QVariant(42));
        QCOMPARE(ds.ValueAt(2, 0), QVariant("A3")); // fields not set keep their values
    }

    void postAsksBoundControlsFirst()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        TField *name = ds.FieldByName("Name");
        QObject control;
        connect(&ds, &TDataSet::UpdateRecordRequested, &control, [&] { name->SetValue("typed"); });
        ds.Edit();
        ds.Post();
        QCOMPARE(ds.DisplayTextAt(0, 1), QStringLiteral("typed"));
    }

    void deleteKeepsThePosition_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("recNo");
        QTest::addColumn<QString>("current");
        QTest::newRow("first") << 0 << 0 << "A2";
        QTest::newRow("middle") << 3 << 3 << "A5";
        QTest::newRow("last") << 5 << 4 << "A5";
    }

    void deleteKeepsThePosition()
    {
        QFETCH(int, at);
        QFETCH(int, recNo);
        QFETCH(QString, current);
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        QStringList expected = Codes(ds);
        expected.removeAt(at);
        ds.SetRecNo(at);
        ds.Delete();
        QCOMPARE(Codes(ds), expected);
        QCOMPARE(ds.RecNo(), recNo);
        QCOMPARE(ds.FieldByName("Code")->AsString(), current);
        // A deleted row stays gone when the order is rebuilt.
        ds.SetSort("Code DESC");
        QVERIFY(!Codes(ds).contains(QStringLiteral("A%1").arg(at + 1)));
    }

    void deleteEveryRow()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetRecNo(2);
        while (ds.RecordCount() > 0)
            ds.Delete();
        QVERIFY(ds.IsEmpty());
        QVERIFY(ds.Eof() && ds.Bof());
        QCOMPARE(ds.RecNo(), -1);
    }

    // Deleting all at once takes exactly the visible rows, as deleting them one by one would.
    void deleteAllTakesTheVisibleRows()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetFilter(QStringLiteral("Name like '%合同%'"));
        ds.SetFiltered(true);
        QCOMPARE(ds.RecordCount(), 2);
        ds.DeleteAll();
        QVERIFY(ds.IsEmpty());
        ds.SetFiltered(false);
        QCOMPARE(Texts(ds, "Code"), (QStringList{"A2", "A3", "A4", "A5"}));
    }

    void sortTexts_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QStringList>("codes");
        // Names: A1 合同管理办法, A2 O'Brien letters, A3 alpha report, A4 null, A5 Alpha Report, A6 借阅合同.
        QTest::newRow("empty: natural") << "" << QStringList{"A1", "A2", "A3", "A4", "A5", "A6"};
        QTest::newRow("text, case first then ordinal")
            << "Name" << QStringList{"A4", "A5", "A3", "A2", "A6", "A1"};
        QTest::newRow("text DESC") << "Name DESC" << QStringList{"A1", "A6", "A2", "A3", "A5", "A4"};
        QTest::newRow("bracketed") << "[Name]" << QStringList{"A4", "A5", "A3", "A2", "A6", "A1"};
        QTest::newRow("integer, ties stable") << "Copys" << QStringList{"A4", "A2", "A5", "A3", "A1", "A6"};
        QTest::newRow("integer DESC, ties stable")
            << "Copys DESC" << QStringList{"A6", "A1", "A3", "A2", "A5", "A4"};
        QTest::newRow("two keys") << "Copys, Name DESC" << QStringList{"A4", "A2", "A5", "A3", "A1", "A6"};
        QTest::newRow("dialog form") << "Copys ASC,Name DESC"
                                     << QStringList{"A4", "A2", "A5", "A3", "A1", "A6"};
        QTest::newRow("title-click form, trailing comma")
            << "Copys DESC , Name, " << QStringList{"A6", "A1", "A3", "A5", "A2", "A4"};
        QTest::newRow("letter case and empty items")
            << " , copys asc ,, name desc ," << QStringList{"A4", "A2", "A5", "A3", "A1", "A6"};
        QTest::newRow("float, null first") << "Price" << QStringList{"A3", "A6", "A2", "A4", "A1", "A5"};
        QTest::newRow("date then code")
            << "Made, Code DESC" << QStringList{"A4", "A3", "A5", "A1", "A2", "A6"};
        QTest::newRow("boolean") << "Done, Code" << QStringList{"A4", "A2", "A5", "A1", "A3", "A6"};
        QTest::newRow("memo") << "Note" << QStringList{"A2", "A4", "A6", "A1", "A5", "A3"};
    }

    void sortTexts()
    {
        QFETCH(QString, sort);
        QFETCH(QStringList, codes);
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetSort("Code DESC");
        ds.SetSort(sort);
        QCOMPARE(ds.Sort(), sort);
        QCOMPARE(Codes(ds), codes);
    }

    void badSortKeepsTheOldOrder_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("error");
        QTest::newRow("unknown field") << "Copys, Nope DESC"
                                       << "找不到字段 'Nope'";
        QTest::newRow("unknown direction") << "Copys UP"
                                           << "排序条件 'Copys UP' 有误";
    }

    void badSortKeepsTheOldOrder()
    {
        QFETCH(QString, sort);
        QFETCH(QString, error);
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetSort("Name DESC");
        const QStringList before = Codes(ds);
        QCOMPARE(ErrorOf([&] { ds.SetSort(sort); }), error);
        QCOMPARE(ds.Sort(), QStringLiteral("Name DESC"));
        QCOMPARE(Codes(ds), before);
    }

    void sortKeepsTheCurrentRecordAndNewRowsJoinWithoutResorting()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.Locate("Code", "A2");
        ds.SetSort("Name");
        QCOMPARE(ds.FieldByName("Code")->AsString(), QStringLiteral("A2"));
        QCOMPARE(ds.RecNo(), 3);
        ds.Append();
        ds.FieldByName("Code")->SetValue("B1");
        ds.FieldByName("Name")->SetValue("aaa");
        ds.Post();
        ds.First();
        ds.Insert();
        ds.FieldByName("Code")->SetValue("B2");
        ds.FieldByName("Name")->SetValue("zzz");
        ds.Post();
        QCOMPARE(Codes(ds), (QStringList{"B2", "A4", "A5", "A3", "A2", "A6", "A1", "B1"}));
        ds.SetSort("Name");
        QCOMPARE(Codes(ds), (QStringList{"A4", "B1", "A5", "A3", "A2", "B2", "A6", "A1"}));
    }

    void sortAgreesWithAnIndependentComparison_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::newRow("text") << "Text";
        QTest::newRow("text DESC") << "Text DESC";
        QTest::newRow("integer DESC then text") << "Grp DESC, Text";
        QTest::newRow("float, text DESC, integer") << "Amount, Text DESC, Grp";
    }

    // Thousands of random rows whose texts share long prefixes and differ in letter case, with
    // nulls everywhere, checked pair by pair against Qt's own text comparison.
    void sortAgreesWithAnIndependentComparison()
    {
        QFETCH(QString, sort);
        TDataSet ds;
        ds.AddField(FieldKind::Memo, "Text");
        ds.AddField(FieldKind::Integer, "Grp");
        ds.AddField(FieldKind::Float, "Amount");
        ds.AddField(FieldKind::Integer, "Seq");
        QRandomGenerator random(20130110);
        const QString alphabet = QStringLiteral("aAbB合同é\u00C9");
        const auto maybeNull = [&](QVariant value) { return random.bounded(15) == 0 ? QVariant() : value; };
        ds.BeginLoad();
        for (int i = 0; i < 4000; ++i) {
            QString text;
            const int length = random.bounded(9);
            for (int j = 0; j < length; ++j)
                text += alphabet[random.bounded(alphabet.size())];
            const QVariant values[] = {maybeNull(text), maybeNull(random.bounded(-2, 3)),
                                       maybeNull(random.bounded(4) * 0.5 - 1), i};
            ds.LoadRow(values);
        }
        ds.EndLoad();
        ds.SetSort(sort);

        const auto compareField = [&](int row, int other, int field) {
            const QVariant a = ds.ValueAt(row, field);
            const QVariant b = ds.ValueAt(other, field);
            if (a.isNull() || b.isNull())
                return int(b.isNull()) - int(a.isNull());
            if (field != 0)
                return a.toDouble() < b.toDouble() ? -1 : (a.toDouble() > b.toDouble() ? 1 : 0);
            const int folded = a.toString().compare(b.toString(), Qt::CaseInsensitive);
            return folded != 0 ? folded : a.toString().compare(b.toString(), Qt::CaseSensitive);
        };
        for (int row = 1; row < ds.RecordCount(); ++row) {
            int c = 0;
            for (QString key : sort.split(QLatin1Char(','))) {
                key = key.trimmed();
                const bool descending = key.endsWith(QLatin1String(" DESC"));
                c = compareField(row - 1, row, ds.FieldByName(key.section(QLatin1Char(' '), 0, 0))->Index());
                if (descending)
                    c = -c;
                if (c != 0)
                    break;
            }
            QVERIFY2(c < 0 || (c == 0 && ds.ValueAt(row - 1, 3).toInt() < ds.ValueAt(row, 3).toInt()),
                     qPrintable(QStringLiteral("rows %1 and %2 out of order").arg(row - 1).arg(row)));
        }
    }

    void filterTexts_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("like contains, Chinese") << "Name like '%合同%'" << QStringList{"A1", "A6"};
        QTest::newRow("like begins") << "Name like '合同%'" << QStringList{"A1"};
        QTest::newRow("like ends, letter case") << "Name like '%REPORT'" << QStringList{"A3", "A5"};
        QTest::newRow("keywords and fields in any case") << "nAME LIKE '%Report%'" << QStringList{"A3", "A5"};
        QTest::newRow("star wildcard") << "Name like '*合同*'" << QStringList{"A1", "A6"};
        QTest::newRow("one character") << "Name like 'alpha_report'" << QStringList{"A3", "A5"};
        QTest::newRow("inner wildcard") << "Name like 'a%t'" << QStringList{"A3", "A5"};
        QTest::newRow("doubled quote") << "Name like '%O''Brien%'" << QStringList{"A2"};
        QTest::newRow("bracketed field") << "[Name] like '%合同'" << QStringList{"A6"};
        QTest::newRow("memo") << "Note like '%合同%'" << QStringList{"A3"};
        QTest::newRow("not like (null passes)")
            << "not Name like '%合同%'" << QStringList{"A2", "A3", "A4", "A5"};
        QTest::newRow("text equals, letter case") << "Name = 'ALPHA report'" << QStringList{"A3", "A5"};
        QTest::newRow("text differs (null fails)")
            << "Name <> 'alpha report'" << QStringList{"A1", "A2", "A6"};
        QTest::newRow("text range") << "Code >= 'a3' and Code < 'A6'" << QStringList{"A3", "A4", "A5"};
        QTest::newRow("integer equals") << "Copys = 1" << QStringList{"A2", "A5"};
        QTest::newRow("integer at least") << "Copys >= 2" << QStringList{"A1", "A3", "A6"};
        QTest::newRow("integer against a fraction") << "Copys > 1.5" << QStringList{"A1", "A3", "A6"};
        QTest::newRow("integer as quoted text") << "Copys <= '1'" << QStringList{"A2", "A5"};
        QTest::newRow("float") << "Price < 5" << QStringList{"A2", "A6"};
        QTest::newRow("negative number")
            << "Price > -1.5e1 and Price <> 100" << QStringList{"A1", "A2", "A4", "A6"};
        QTest::newRow("date equals") << "Made = #2020-01-05#" << QStringList{"A1", "A5"};
        QTest::newRow("date after") << "Made > #2020-01-05#" << QStringList{"A2", "A6"};
        QTest::newRow("date and time as text") << "Made >= '2021-06-30 14:30:00'" << QStringList{"A2", "A6"};
        QTest::newRow("date-time window")
            << "Made > #2021-06-30# and Made < #2021-06-30 14:30:01#" << QStringList{"A2"};
        QTest::newRow("boolean") << "Done = true" << QStringList{"A1", "A3", "A6"};
        QTest::newRow("or") << "Copys = 1 or Copys = 5" << QStringList{"A2", "A5", "A6"};
        QTest::newRow("and") << "Copys = 1 and Name like 'o%'" << QStringList{"A2"};
        QTest::newRow("and binds before or")
            << "Copys = 1 or Copys = 2 and Name like '%report%'" << QStringList{"A2", "A3", "A5"};
        QTest::newRow("parentheses") << "(Copys = 1 or Copys = 2) and Name like '%report%'"
                                     << QStringList{"A3", "A5"};
        QTest::newRow("nested not") << "not (Copys = 1 or Copys is null)" << QStringList{"A1", "A3", "A6"};
        QTest::newRow("equals null") << "Name = null" << QStringList{"A4"};
        QTest::newRow("differs from null") << "Price <> NULL" << QStringList{"A1", "A2", "A4", "A5", "A6"};
        QTest::newRow("is not null") << "Note is not null" << QStringList{"A1", "A3", "A4", "A5", "A6"};
        QTest::newRow("empty text is not null") << "Note = ''" << QStringList{"A4"};
        QTest::newRow("blank filter") << "   " << QStringList{"A1", "A2", "A3", "A4", "A5", "A6"};
    }

    void filterTexts()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, codes);
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetFilter(filter);
        QCOMPARE(ds.RecordCount(), 6); // not filtered until switched on
        ds.SetFiltered(true);
        QCOMPARE(Codes(ds), codes);
        ds.SetFiltered(false);
        QCOMPARE(ds.RecordCount(), 6);
    }

    void badFilterKeepsTheOldOne_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("error");
        QTest::newRow("quote in a keyword")
            << "Name like '%O'Brien%'"
            << "过滤条件 \"Name like '%O'Brien%'\" 有误:第 20 个字符处不应出现字符 '%'";
        QTest::newRow("unclosed quote")
            << "Name = 'abc"
            << "过滤条件 \"Name = 'abc\" 有误:从第 8 个字符开始的引号文本没有结束";
        QTest::newRow("unknown field") << "Nope = 1"
                                       << "找不到字段 'Nope'";
        QTest::newRow("text into a number") << "Copys = 'abc'"
                                            << "字段 'Copys' 的类型不匹配,应为整数,实为文本";
        QTest::newRow("number into a date") << "Made = 5"
                                            << "字段 'Made' 的类型不匹配,应为日期时间,实为整数";
        QTest::newRow("bad date")
            << "Made = #2020-13-45#"
            << "过滤条件 \"Made = #2020-13-45#\" 有误:第 8 个字符处的 '2020-13-45' 不是有效的日期";
        QTest::newRow("missing value") << "Copys ="
                                       << "过滤条件 \"Copys =\" 有误:第 8 个字符处应为一个值";
        QTest::newRow("missing parenthesis") << "(Copys = 1"
                                             << "过滤条件 \"(Copys = 1\" 有误:第 11 个字符处应为 ')'";
        QTest::newRow("missing and/or")
            << "Copys = 1 Name = 'x'"
            << "过滤条件 \"Copys = 1 Name = 'x'\" 有误:第 11 个字符处不应出现 'Name'";
        QTest::newRow("ordering with null") << "Copys > null"
                                            << "过滤条件 \"Copys > null\" 有误:null 只能用 = 或 <> 比较";
    }

    void badFilterKeepsTheOldOne()
    {
        QFETCH(QString, filter);
        QFETCH(QString, error);
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetFilter("Copys = 1");
        ds.SetFiltered(true);
        QCOMPARE(ErrorOf([&] { ds.SetFilter(filter); }), error);
        QCOMPARE(ds.Filter(), QStringLiteral("Copys = 1"));
        QCOMPARE(Codes(ds), (QStringList{"A2", "A5"}));
    }

    void filterAndSortTogether()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.SetSort("Name DESC");
        ds.SetFiltered(true);
        ds.SetFilter("Copys >= 1");
        QCOMPARE(Codes(ds), (QStringList{"A1", "A6", "A2", "A3", "A5"}));
        ds.SetFilter(QString());
        QCOMPARE(Codes(ds), (QStringList{"A1", "A6", "A2", "A3", "A5", "A4"}));
    }

    void calculatedFields()
    {
        TDataSet ds;
        Declare(ds);
        TField *total = ds.AddCalcField(FieldKind::Float, "Total", [](const TDataSet &set, int row) {
            const QVariant copys = set.PhysicalValue(row, 2);
            const QVariant price = set.PhysicalValue(row, 3);
            return copys.isNull() || price.isNull() ? QVariant() : QVariant(copys.toInt() * price.toDouble());
        });
        LoadSample(ds);
        QVERIFY(total->Calculated());
        QCOMPARE(Texts(ds, "Total"), (QStringList{"37.5", "3.25", "", "", "100", "2.5"}));
        ds.SetSort("Total DESC");
        QCOMPARE(Codes(ds), (QStringList{"A5", "A1", "A2", "A6", "A3", "A4"}));
        ds.SetFilter("Total > 3 and Total < 50");
        ds.SetFiltered(true);
        QCOMPARE(Codes(ds), (QStringList{"A1", "A2"}));
        ds.Edit();
        QCOMPARE(ErrorOf([&] { total->SetValue(1); }), QStringLiteral("字段 'Total' 不能修改"));
    }

    void sizesCutTexts()
    {
        TDataSet ds;
        TField *code = ds.AddField(FieldKind::String, "Code", 3);
        TField *name = ds.AddField(FieldKind::WideString, "Name");
        TField *note = ds.AddField(FieldKind::Memo, "Note");
        QCOMPARE(name->Size(), DefaultStringSize);
        QCOMPARE(note->Size(), 0);
        const QString longText = QStringLiteral("合同").repeated(30);
        ds.BeginLoad();
        const QVariant row[] = {"ABCDEF", longText, longText};
        ds.LoadRow(row);
        ds.EndLoad();
        QCOMPARE(code->AsString(), QStringLiteral("ABC"));
        QCOMPARE(name->AsString(), longText.left(20));
        QCOMPARE(note->AsString(), longText);

        ds.Edit();
        code->SetValue(123456);
        QCOMPARE(code->Value(), QVariant("123"));
        ds.Post();
        QCOMPARE(ds.DisplayTextAt(0, 0), QStringLiteral("123"));

        name->SetSize(4);
        QCOMPARE(ds.ValueAt(0, 1), QVariant(longText.left(4)));
        ds.SetFilter("Name = '合同合同'");
        ds.SetFiltered(true);
        QCOMPARE(ds.RecordCount(), 1);
    }

    void coercion_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<QString>("error");
        const auto kind = [](FieldKind k) { return int(k); };
        QTest::newRow("int from text") << kind(FieldKind::Integer) << QVariant(" 42 ") << QVariant(42) << "";
        QTest::newRow("int from whole float")
            << kind(FieldKind::Integer) << QVariant(3.0) << QVariant(3) << "";
        QTest::newRow("int from bool") << kind(FieldKind::Integer) << QVariant(true) << QVariant(1) << "";
        QTest::newRow("int from empty text") << kind(FieldKind::Integer) << QVariant("") << QVariant() << "";
        QTest::newRow("int from word") << kind(FieldKind::Integer) << QVariant("abc") << QVariant()
                                       << "字段 'F' 的类型不匹配,应为整数,实为文本";
        QTest::newRow("int from date") << kind(FieldKind::Integer) << QVariant(QDate(2020, 1, 1))
                                       << QVariant() << "字段 'F' 的类型不匹配,应为整数,实为日期";
        QTest::newRow("int too large") << kind(FieldKind::Integer) << QVariant(qlonglong(1) << 40)
                                       << QVariant() << "值 1099511627776 超出字段 'F' 的范围";
        QTest::newRow("float from text") << kind(FieldKind::Float) << QVariant("2.5") << QVariant(2.5) << "";
        QTest::newRow("float from int") << kind(FieldKind::Float) << QVariant(3) << QVariant(3.0) << "";
        QTest::newRow("float from word") << kind(FieldKind::Float) << QVariant("x") << QVariant()
                                         << "字段 'F' 的类型不匹配,应为浮点数,实为文本";
        QTest::newRow("bool from text")
            << kind(FieldKind::Boolean) << QVariant("True") << QVariant(true) << "";
        QTest::newRow("bool from FALSE")
            << kind(FieldKind::Boolean) << QVariant("FALSE") << QVariant(false) << "";
        QTest::newRow("bool from 0") << kind(FieldKind::Boolean) << QVariant(0) << QVariant(false) << "";
        QTest::newRow("bool from '1'") << kind(FieldKind::Boolean) << QVariant("1") << QVariant(true) << "";
        QTest::newRow("bool from yes") << kind(FieldKind::Boolean) << QVariant("yes") << QVariant()
                                       << "字段 'F' 的类型不匹配,应为布尔值,实为文本";
        QTest::newRow("date from text")
            << kind(FieldKind::DateTime) << QVariant("2020-01-05") << QVariant(At(2020, 1, 5)) << "";
        QTest::newRow("date-time from text") << kind(FieldKind::DateTime) << QVariant("2020-01-05 13:14:15")
                                             << QVariant(At(2020, 1, 5, 13, 14, 15)) << "";
        QTest::newRow("date-time from ISO")
            << kind(FieldKind::DateTime) << QVariant("2020-01-05T13:14:15.250Z")
            << QVariant(QDateTime(QDate(2020, 1, 5), QTime(13, 14, 15, 250))) << "";
        QTest::newRow("date from QDate")
            << kind(FieldKind::DateTime) << QVariant(QDate(2020, 1, 5)) << QVariant(At(2020, 1, 5)) << "";
        QTest::newRow("date from impossible day")
            << kind(FieldKind::DateTime) << QVariant("2020-02-30") << QVariant()
            << "字段 'F' 的类型不匹配,应为日期时间,实为文本";
        QTest::newRow("date from number") << kind(FieldKind::DateTime) << QVariant(5) << QVariant()
                                          << "字段 'F' 的类型不匹配,应为日期时间,实为整数";
        QTest::newRow("text from number")
            << kind(FieldKind::WideString) << QVariant(2.5) << QVariant("2.5") << "";
        QTest::newRow("text from date")
            << kind(FieldKind::String) << QVariant(QDate(2020, 1, 5)) << QVariant("2020-01-05") << "";
        QTest::newRow("blob from text")
            << kind(FieldKind::Blob) << QVariant("ab") << QVariant(QByteArray("ab")) << "";
        QTest::newRow("variant keeps its type")
            << kind(FieldKind::Variant) << QVariant(QDate(2020, 1, 5)) << QVariant(QDate(2020, 1, 5)) << "";
        QTest::newRow("null stays null") << kind(FieldKind::Integer) << QVariant() << QVariant() << "";
        QTest::newRow("large from text") << kind(FieldKind::LargeInt) << QVariant("5497558138880")
                                         << QVariant(qlonglong(5497558138880)) << "";
        QTest::newRow("large from int")
            << kind(FieldKind::LargeInt) << QVariant(3) << QVariant(qlonglong(3)) << "";
        QTest::newRow("large past 64 bits") << kind(FieldKind::LargeInt) << QVariant("9223372036854775808")
                                            << QVariant() << "字段 'F' 的类型不匹配,应为长整数,实为文本";
    }

    void coercion()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, value);
        QFETCH(QVariant, expected);
        QFETCH(QString, error);
        if (!error.isEmpty()) {
            QCOMPARE(ErrorOf([&] { CoerceToKind(value, FieldKind(kind), 0, "F"); }), error);
            return;
        }
        const QVariant result = CoerceToKind(value, FieldKind(kind), 0, "F");
        QCOMPARE(result, expected);
        QCOMPARE(result.typeId(), expected.typeId());
    }

    void fieldSetterRaisesNamingTheField()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        ds.Edit();
        QCOMPARE(ErrorOf([&] { ds.FieldByName("Copys")->SetAsString("many"); }),
                 QStringLiteral("字段 'Copys' 的类型不匹配,应为整数,实为文本"));
        ds.FieldByName("Copys")->SetAsString("");
        QVERIFY(ds.FieldByName("Copys")->IsNull());
        QCOMPARE(ErrorOf([&] { ds.FieldByName("Name")->AsInteger(); }),
                 QStringLiteral("'合同管理办法' 不是有效的整数"));
        QCOMPARE(ds.FieldByName("Copys")->AsInteger(), 0);
        QVERIFY(!ds.FieldByName("Copys")->AsBoolean());
        QCOMPARE(ds.FieldByName("Made")->AsDateTime(), At(2020, 1, 5));
        QCOMPARE(ds.FieldByName("Made")->AsFloat(), 43835.0); // days since 1899-12-30
        ds.FieldByName("Made")->Clear();
        QVERIFY(!ds.FieldByName("Made")->AsDateTime().isValid());
        QCOMPARE(ds.FieldByName("Price")->AsFloat(), 12.5);
        QCOMPARE(ErrorOf([&] { ds.FieldByName("Code")->AsFloat(); }),
                 QStringLiteral("'A1' 不是有效的浮点数"));
        QVERIFY(ds.FieldByName("Done")->AsBoolean());
    }

    void displayText_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("midnight") << int(FieldKind::DateTime) << QVariant(At(2020, 1, 5)) << "2020-01-05";
        QTest::newRow("time of day") << int(FieldKind::DateTime) << QVariant(At(2020, 1, 5, 9, 8, 7))
                                     << "2020-01-05 09:08:07";
        QTest::newRow("float shortest") << int(FieldKind::Float) << QVariant(0.1 + 0.2) << "0.3";
        QTest::newRow("float whole") << int(FieldKind::Float) << QVariant(100.0) << "100";
        QTest::newRow("float large") << int(FieldKind::Float) << QVariant(1e20) << "1e+20";
        QTest::newRow("true") << int(FieldKind::Boolean) << QVariant(true) << "True";
        QTest::newRow("false") << int(FieldKind::Boolean) << QVariant(false) << "False";
        QTest::newRow("integer") << int(FieldKind::Integer) << QVariant(-42) << "-42";
        QTest::newRow("null") << int(FieldKind::Integer) << QVariant() << "";
        QTest::newRow("variant date")
            << int(FieldKind::Variant) << QVariant(QDate(2020, 1, 5)) << "2020-01-05";
        QTest::newRow("variant float") << int(FieldKind::Variant) << QVariant(2.50) << "2.5";
    }

    void displayText()
    {
        QFETCH(int, kind);
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(DisplayTextOf(value, FieldKind(kind)), text);
    }

    void signalsOfEditsAndMoves()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        QSignalSpy inserted(&ds, &TDataSet::RowInserted);
        QSignalSpy removed(&ds, &TDataSet::RowRemoved);
        QSignalSpy changed(&ds, &TDataSet::RowChanged);
        QSignalSpy current(&ds, &TDataSet::CurrentChanged);
        QSignalSpy reset(&ds, &TDataSet::DataReset);

        ds.SetRecNo(2);
        QCOMPARE(current.takeFirst().at(0).toInt(), 2);
        ds.Insert();
        ds.Field(0)->SetValue("B1");
        ds.Post();
        QCOMPARE(inserted.takeFirst().at(0).toInt(), 2);
        ds.Edit();
        ds.Field(0)->SetValue("B2");
        ds.Post();
        QCOMPARE(changed.takeFirst().at(0).toInt(), 2);
        ds.SetValueAt(4, 1, "x");
        QCOMPARE(changed.takeFirst().at(0).toInt(), 4);
        ds.Last();
        ds.Delete();
        QCOMPARE(removed.takeFirst().at(0).toInt(), 6);
        QCOMPARE(ds.RecNo(), 5);
        QVERIFY(reset.isEmpty());
        ds.SetSort("Name");
        QCOMPARE(reset.size(), 1);
        QVERIFY(inserted.isEmpty() && removed.isEmpty() && changed.isEmpty());
    }

    void disabledControlsHearOneResetAtTheEnd()
    {
        TDataSet ds;
        Declare(ds);
        LoadSample(ds);
        std::vector<std::unique_ptr<QSignalSpy>> spies;
        spies.push_back(std::make_unique<QSignalSpy>(&ds, &TDataSet::RowInserted));
        spies.push_back(std::make_unique<QSignalSpy>(&ds, &TDataSet::RowRemoved));
        spies.push_back(std::make_unique<QSignalSpy>(&ds, &TDataSet::RowChanged));
        spies.push_back(std::make_unique<QSignalSpy>(&ds, &TDataSet::CurrentChanged));
        spies.push_back(std::make_unique<QSignalSpy>(&ds, &TDataSet::StateChanged));
        spies.push_back(std::make_unique<QSignalSpy>(&ds, &TDataSet::FieldChanged));
        QSignalSpy reset(&ds, &TDataSet::DataReset);

        ds.DisableControls();
        ds.DisableControls();
        QVERIFY(ds.ControlsDisabled());
        ds.Append();
        ds.Field(0)->SetValue("B1");
        ds.Post();
        ds.First();
        ds.Edit();
        ds.Field(1)->SetValue("x");
        ds.Post();
        ds.Next();
        ds.Delete();
        ds.SetSort("Name");
        ds.EnableControls();
        QVERIFY(ds.ControlsDisabled());
        QCOMPARE(reset.size(), 0);
        ds.EnableControls();
        QVERIFY(!ds.ControlsDisabled());
        QCOMPARE(reset.size(), 1);
        for (const auto &spy : spies)
            QCOMPARE(spy->size(), 0);

        ds.DisableControls();
        ds.EnableControls();
        QCOMPARE(reset.size(), 1); // nothing happened in between
    }

    // Document sizes pass 2 GiB: a 64-bit field holds, shows, orders, filters and finds them.
    void largeIntegersKeepTheirValue()
    {
        TDataSet ds;
        ds.AddField(FieldKind::String, "Code");
        TField *size = ds.AddField(FieldKind::LargeInt, "Size");
        TDataSetModel model(&ds);
        const QVariant null;
        const std::vector<std::vector<QVariant>> rows = {
            {"3G", qlonglong(3221225472)}, {"5T", "5497558138880"}, {"1K", 1024}, {"none", null},
            {"2G", 2147483648.0},
        };
        ds.BeginLoad();
        for (const std::vector<QVariant> &row : rows)
            ds.LoadRow(row.data());
        ds.EndLoad();

        QCOMPARE(Texts(ds, "Size"), (QStringList{"3221225472", "5497558138880", "1024", "", "2147483648"}));
        QCOMPARE(ds.ValueAt(1, 1), QVariant(qlonglong(5497558138880)));
        QCOMPARE(ds.ValueAt(2, 1).typeId(), int(QMetaType::LongLong));
        QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("3221225472"));
        QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));

        ds.SetSort("Size DESC");
        QCOMPARE(Codes(ds), (QStringList{"5T", "3G", "2G", "1K", "none"}));
        ds.SetFilter("Size > 2147483647 and Size < 5e12");
        ds.SetFiltered(true);
        QCOMPARE(Codes(ds), (QStringList{"3G", "2G"}));
        ds.SetFiltered(false);

        QVERIFY(ds.Locate("Size", "5497558138880"));
        QCOMPARE(size->AsLargeInt(), qint64(5497558138880));
        QCOMPARE(ErrorOf([&] { size->AsInteger(); }), QStringLiteral("'5497558138880' 不是有效的整数"));
        ds.Edit();
        size->SetAsLargeInt(qint64(1) << 50);
        ds.Post();
        QCOMPARE(size->DisplayText(), QStringLiteral("1125899906842624"));
    }

    void modelFollowsTheDataSet()
    {
        TDataSet ds;
        Declare(ds);
        TDataSetModel model(&ds);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 0);
        LoadSample(ds);
        QCOMPARE(model.rowCount(), 6);
        QCOMPARE(model.columnCount(), 8); // the hidden field too
        QCOMPARE(model.DataSet(), &ds);
        QCOMPARE(model.FieldAt(7)->FieldName(), QStringLiteral("Secret"));
        QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("名称"));
        QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("Copys"));
        QCOMPARE(model.index(1, 4).data().toString(), QStringLiteral("2021-06-30 14:30:00"));
        QCOMPARE(model.index(1, 4).data(Qt::EditRole), QVariant(At(2021, 6, 30, 14, 30)));
        QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model.index(0, 3).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QVERIFY(!model.index(0, 1).data(Qt::TextAlignmentRole).isValid());

        ds.SetRecNo(1);
        ds.Insert();
        ds.Field(0)->SetValue("B1");
        ds.Post();
        QCOMPARE(model.rowCount(), 7);
        QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("B1"));
        QCOMPARE(model.index(2, 0).data().toString(), QStringLiteral("A2"));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        ds.Edit();
        ds.Field(1)->SetValue("renamed");
        ds.Post();
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("renamed"));

        ds.First();
        ds.Delete();
        QCOMPARE(model.rowCount(), 6);
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("B1"));

        ds.SetFilter("Copys = 1");
        ds.SetFiltered(true);
        QCOMPARE(model.rowCount(), 2);
        ds.SetSort("Code DESC");
        QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("A5"));

        ds.Close();
        QCOMPARE(model.rowCount(), 0);
    }
};

PZ_TEST(TDataSetTest)

#include "tst_dataset.moc"
