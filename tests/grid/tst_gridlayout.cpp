// The grids' texts without a window: layout compose and apply, sort text from title marks,
// the sort dialog's rows and the keyword filter text.

#include "GridLayout.h"
#include "TestMain.h"

#include <QTest>

Q_DECLARE_METATYPE(TGridColumns)

namespace {
TGridColumns Three()
{
    return {{"Code", "编号", 75, true}, {"Name", "名称", 75, true}, {"Arcdept", "部门", 75, true}};
}

// "Code:75 Name:-120 ..." with "-" marking a hidden column, in column order.
QString Describe(const TGridColumns &columns)
{
    QStringList parts;
    for (const TGridColumn &c : columns)
        parts << QStringLiteral("%1:%2%3")
                     .arg(c.FieldName, c.Visible ? QString() : QStringLiteral("-"))
                     .arg(c.Width);
    return parts.join(QLatin1Char(' '));
}
} // namespace

class TGridLayoutTest : public QObject
{
    Q_OBJECT
private slots:
    void compose()
    {
        TGridColumns columns = Three();
        columns[1].Visible = false;
        columns[2].Width = 120;
        QCOMPARE(ComposeLayout(columns),
                 QStringLiteral("Code=True75\r\nName=False75\r\nArcdept=True120\r\n"));
        // A second column of the same field writes its values at the first one's place.
        columns.append({"CODE", "编号2", 33, false});
        QCOMPARE(ComposeLayout(columns),
                 QStringLiteral("CODE=False33\r\nName=False75\r\nArcdept=True120\r\n"));
        QCOMPARE(ComposeLayout({}), QString());
    }

    void apply_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("complete");
        QTest::newRow("round trip") << "Arcdept=True50\r\nCode=False60\r\nName=True70\r\n"
                                    << "Arcdept:50 Code:-60 Name:70" << true;
        QTest::newRow("names ignore case for widths, not for order") << "NAME=True90\r\ncode=True80\r\n"
                                                                     << "Code:80 Name:90 Arcdept:75" << true;
        QTest::newRow("missing line keeps the column as rebuilt") << "Name=False40\r\n"
                                                                  << "Name:-40 Code:75 Arcdept:75" << true;
        QTest::newRow("line of a field that is gone")
            << "Name=True40\r\nGone=True10\r\nArcdept=True20\r\nCode=True30\r\n"
            << "Name:40 Arcdept:20 Code:30" << true;
        QTest::newRow("shown only for True as written") << "Code=true66\r\n"
                                                        << "Code:-66 Name:75 Arcdept:75" << true;
        QTest::newRow("empty value is skipped") << "Code=\r\nName=False5\r\n"
                                                << "Code:75 Name:-5 Arcdept:75" << true;
        QTest::newRow("bad width stops there") << "Code=True10\r\nName=TrueX\r\nArcdept=True30\r\n"
                                               << "Code:10 Name:75 Arcdept:75" << false;
        QTest::newRow("LF only") << "Name=True1\nCode=True2\nArcdept=True3"
                                 << "Name:1 Code:2 Arcdept:3" << true;
    }
    void apply()
    {
        QFETCH(QString, layout);
        QFETCH(QString, result);
        QFETCH(bool, complete);
        TGridColumns columns = Three();
        QCOMPARE(ApplyLayout(columns, layout), complete);
        QCOMPARE(Describe(columns), result);
    }

    void composeThenApply()
    {
        TGridColumns stored = Three();
        stored.move(0, 2);
        stored[0].Visible = false;
        stored[1].Width = 133;
        TGridColumns rebuilt = Three();
        QVERIFY(ApplyLayout(rebuilt, ComposeLayout(stored)));
        QCOMPARE(Describe(rebuilt), Describe(stored));
    }

    void sortMarks_data()
    {
        QTest::addColumn<QStringList>("marks"); // name, "+" or "-" for descending
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QStringList{} << "";
        QTest::newRow("one ascending") << QStringList{"Code+"} << "Code";
        QTest::newRow("one descending") << QStringList{"Code-"} << "Code DESC ";
        QTest::newRow("two") << QStringList{"Code+", "Name-"} << "Code, Name DESC ";
        QTest::newRow("mark order, not column order") << QStringList{"Name-", "Code+"} << "Name DESC , Code";
    }
    void sortMarks()
    {
        QFETCH(QStringList, marks);
        QFETCH(QString, text);
        QList<TSortMark> list;
        for (const QString &mark : marks)
            list.append({mark.chopped(1), mark.endsWith(QLatin1Char('-'))});
        QCOMPARE(SortTextFromMarks(list), text);
    }

    void sortRows_data()
    {
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("order");
        QTest::addColumn<QString>("read");
        QTest::addColumn<QString>("labels");
        QTest::newRow("empty") << ""
                               << "Id,Code,Name,Arcdate"
                               << ""
                               << "";
        QTest::newRow("dialog form") << "Code ASC,Name DESC"
                                     << "Code,Name,Id,Arcdate"
                                     << "Code ASC,Name DESC"
                                     << "档案编号 升序,档案名称 降序";
        QTest::newRow("title-click form") << "Code, Name DESC "
                                          << "Code,Name,Id,Arcdate"
                                          << "Code ASC,Name DESC"
                                          << "档案编号 升序,档案名称 降序";
        QTest::newRow("unknown names skipped") << "Gone DESC,Arcdate DESC"
                                               << "Arcdate,Id,Code,Name"
                                               << "Arcdate DESC"
                                               << "归档日期 降序";
        QTest::newRow("names ignore case") << "name desc"
                                           << "Name,Id,Code,Arcdate"
                                           << "Name ASC"
                                           << "档案名称 升序";
    }
    void sortRows()
    {
        QFETCH(QString, written);
        QFETCH(QString, order);
        QFETCH(QString, read);
        QFETCH(QString, labels);
        TSortRows rows;
        rows.Add(QStringLiteral("序号"), QStringLiteral("Id"));
        rows.Add(QStringLiteral("档案编号"), QStringLiteral("Code"));
        rows.Add(QStringLiteral("档案名称"), QStringLiteral("Name"));
        rows.Add(QStringLiteral("归档日期"), QStringLiteral("Arcdate"));
        rows.SetSortString(written);
        QStringList names;
        for (const TSortRows::Row &row : rows.Rows())
            names << row.Name;
        QCOMPARE(names.join(QLatin1Char(',')), order);
        QCOMPARE(rows.SortString(), read);
        QCOMPARE(rows.SortLabels(), labels);
    }

    void sortRowsEditing()
    {
        TSortRows rows;
        rows.Add(QStringLiteral("A"), QStringLiteral("A"));
        rows.Add(QStringLiteral("B"), QStringLiteral("B"));
        rows.CycleDirection(1);
        QCOMPARE(rows.SortString(), QStringLiteral("B ASC"));
        rows.CycleDirection(0);
        rows.CycleDirection(0);
        QCOMPARE(rows.SortString(), QStringLiteral("A DESC,B ASC"));
        rows.Move(1, 0);
        QCOMPARE(rows.SortString(), QStringLiteral("B ASC,A DESC"));
        rows.CycleDirection(1);
        QCOMPARE(rows.SortString(), QStringLiteral("B ASC"));
    }

    void filterText_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << "合同"
                               << "Name like '%合同%'";
        QTest::newRow("quote doubled") << "O'Neil"
                                       << "Name like '%O''Neil%'";
        QTest::newRow("wildcards kept") << "a%b_"
                                        << "Name like '%a%b_%'";
    }
    void filterText()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, text);
        QCOMPARE(KeywordFilterText(QStringLiteral("Name"), keyword), text);
    }
};

PZ_TEST(TGridLayoutTest)
#include "tst_gridlayout.moc"
