// The two grids on real data sets and a real SQLite database: stored layouts, title-click
// sorting, the data-set guard, the popup commands with their dialogs and right tests, the
// keyboard, and the look of the main window's grid.

#include "BatchUpdate.h"
#include "ColumnChooser.h"
#include "DataGrids.h"
#include "DataSetModel.h"
#include "DragRowTable.h"
#include "FilterDialog.h"
#include "LayoutCheck.h"
#include "QuerySets.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "SortDialog.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include <memory>

using LayoutCheck::EnlargeFont;

namespace {

// Types text as key presses, one character each (QTest's own typing knows only ASCII).
void TypeText(QWidget *widget, const QString &text)
{
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, ch.unicode() < 128 ? QChar(ch).toUpper().unicode() : 0,
                        Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, QString(ch));
        QApplication::sendEvent(widget, &release);
    }
}
const QString RefusalText = QStringLiteral("\r\n对不起,您没有该功能的操作权限,请与管理员联系(%1).\t");

QString Info(const QString &message)
{
    return QStringLiteral("\r\n") + message + QStringLiteral("\t");
}

// An archive-like list: a hidden key, four visible columns of three kinds and a memo.
struct Sample
{
    TDataSet ds;
    Sample()
    {
        ds.AddField(FieldKind::Integer, QStringLiteral("Id"))->SetVisible(false);
        Declare(FieldKind::String, "Code", "档案编号", 75, 20);
        Declare(FieldKind::WideString, "Name", "档案名称", 100, 60);
        Declare(FieldKind::WideString, "Arcdept", "归档部门", 80, 30);
        Declare(FieldKind::Integer, "Copys", "份数", 40, -1);
        Declare(FieldKind::Memo, "Notes", "备注", 75, -1);
        ds.BeginLoad();
        Row(1, "B2", "合同甲", "办公室", 1);
        Row(2, "A1", "O'Neil文件", "财务", 2);
        Row(3, "C3", "会议纪要", "办公室", 3);
        Row(4, "A1", "借阅合同", "技术", 4);
        ds.EndLoad();
    }
    void Declare(FieldKind kind, const char *name, const char *label, int width, int size)
    {
        TField *field = ds.AddField(kind, QString::fromUtf8(name), size);
        field->SetDisplayLabel(QString::fromUtf8(label));
        field->SetDisplayWidth(width);
    }
    void Row(int id, const char *code, const char *name, const char *dept, int copys)
    {
        const QVariant values[] = {
            id, QString::fromUtf8(code), QString::fromUtf8(name), QString::fromUtf8(dept), copys, QString()};
        ds.LoadRow(values);
    }
    // The values of one field in the visible order.
    QStringList Column(const QString &name)
    {
        QStringList values;
        const int field = ds.FieldByName(name)->Index();
        for (int row = 0; row < ds.RecordCount(); ++row)
            values << ds.DisplayTextAt(row, field);
        return values;
    }
};

// "Code:75 Name:-100 ..." with "-" marking a hidden column.
QString Describe(const TGridColumns &columns)
{
    QStringList parts;
    for (const TGridColumn &c : columns)
        parts << QStringLiteral("%1:%2%3")
                     .arg(c.FieldName, c.Visible ? QString() : QStringLiteral("-"))
                     .arg(c.Width);
    return parts.join(QLatin1Char(' '));
}

int StoredRows(int key)
{
    TRecordSet rows;
    return rows.Open(QStringLiteral("select F06 from syscols where F02=:K"),
                     {DBParam(QStringLiteral("K"), key)});
}

QString StoredLayout(int key)
{
    TRecordSet rows;
    if (rows.Open(QStringLiteral("select F06 from syscols where F02=:K"),
                  {DBParam(QStringLiteral("K"), key)}) != 1)
        return QStringLiteral("(none)");
    return rows.DataSet()->Field(0)->AsString();
}

void ClickTitle(TpzGridBase &grid, int modelColumn)
{
    QHeaderView *header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(modelColumn) + 5, header->height() / 2));
}

void ClickCell(QTableWidget *table, int row, int column)
{
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                      table->visualRect(table->model()->index(row, column)).center());
}

void SelectRow(TpzGridBase &grid, int row)
{
    grid.selectionModel()->select(grid.model()->index(row, 1),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// The captions of a menu's items, "-" for each separator.
QStringList Captions(const QMenu &menu)
{
    QStringList captions;
    for (QAction *item : menu.actions())
        captions << (item->isSeparator() ? QStringLiteral("-") : item->text());
    return captions;
}

} // namespace

class TGridsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InitDataModule();
        StartServices();
        ScriptedPrompter prompts;
        QVERIFY(
            Database->Open(TestDb::FreshConnectionString(QStringLiteral("sqlite"), QStringLiteral("grids"))));
    }
    void cleanupTestCase()
    {
        StopServices();
        DoneDataModule();
    }
    void init()
    {
        CurrentOperator->LoginId = QStringLiteral("clerk");
        CurrentOperator->Rights = QStringLiteral(",10008,,10006,,10004,");
    }

    void popupItems()
    {
        Sample s;
        TpzDBGrid db;
        TpzGridcx cx;
        const QStringList expected = {
            "排序", "-", "列选择", "保存表格样式", "-", "导出到Excel文档", "导出到Html网页文件"};
        QCOMPARE(Captions(*db.PopupMenuPz()), expected);
        QCOMPARE(Captions(*cx.PopupMenuPz()), expected);
        QVERIFY(db.PopupMenuPz()->actions()[1]->isSeparator());
        // Nothing exports yet: the export commands are there but disabled.
        QVERIFY(!db.PopupMenuPz()->ItemByCaption(QStringLiteral("导出到Excel文档"))->isEnabled());
        QVERIFY(!cx.ActionExport()->isEnabled());
        QCOMPARE(cx.ActionColVisible()->text(), QStringLiteral("列选择"));
        QCOMPARE(cx.ActionTableStyleSave()->text(), QStringLiteral("保存表格样式"));
        QCOMPARE(db.ActionExport2Html()->text(), QStringLiteral("导出到Html网页文件"));
    }

    void noStoredLayout()
    {
        Sample s;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        db.SetLayoutId(1901);
        QCOMPARE(Describe(db.Columns()), QStringLiteral("Code:75 Name:100 Arcdept:80 Copys:40 Notes:75"));
        QCOMPARE(db.Columns()[1].Caption, QStringLiteral("档案名称"));
        QVERIFY(db.horizontalHeader()->isSectionHidden(0));
        TpzGridcx cx;
        cx.SetDataSet(&s.ds);
        QVERIFY(!cx.LoadLayout(1901));
        QCOMPARE(Describe(cx.Columns()), QStringLiteral("Code:75 Name:100 Arcdept:80 Copys:40 Notes:75"));
    }

    void storedLayoutRoundTrip()
    {
        Sample s;
        {
            TpzDBGrid db;
            db.SetDataSet(&s.ds);
            TGridColumns columns = db.Columns();
            columns[1].Visible = false; // Name
            columns[0].Width = 120;     // Code
            columns.move(2, 0);         // Arcdept first
            db.SetColumns(columns);
            QVERIFY(db.SaveLayout(1902));
            QCOMPARE(StoredRows(1902), 1);
            QCOMPARE(
                StoredLayout(1902),
                QStringLiteral(
                    "Arcdept=True80\r\nCode=True120\r\nName=False100\r\nCopys=True40\r\nNotes=True75\r\n"));
            // Saving again updates the one row.
            columns[0].Width = 90;
            db.SetColumns(columns);
            QVERIFY(db.SaveLayout(1902));
            QCOMPARE(StoredRows(1902), 1);
            QVERIFY(StoredLayout(1902).startsWith(QStringLiteral("Arcdept=True90\r\n")));
        }
        // Opened again, both grid kinds show the stored layout.
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        db.SetLayoutId(1902);
        QCOMPARE(Describe(db.Columns()), QStringLiteral("Arcdept:90 Code:120 Name:-100 Copys:40 Notes:75"));
        QVERIFY(db.horizontalHeader()->isSectionHidden(2));
        QCOMPARE(db.horizontalHeader()->visualIndex(3), db.horizontalHeader()->visualIndex(1) - 1);
        QCOMPARE(db.horizontalHeader()->sectionSize(1), 120);
        TpzGridcx cx(nullptr, 1902, &s.ds, nullptr);
        QCOMPARE(cx.Tag(), 1902);
        QCOMPARE(Describe(cx.Columns()), QStringLiteral("Arcdept:90 Code:120 Name:-100 Copys:40 Notes:75"));
    }

    void fieldAddedAfterStoring()
    {
        Sample s;
        Database->ExecSql(QStringLiteral("insert into syscols (F02,F06) values (1903, :S)"),
                          {DBParam(QStringLiteral("S"), QStringLiteral("Name=True50\r\nCode=True60\r\n"))});
        // Arcdept, Copys and Notes have no line: shown in the one grid, hidden in the other.
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        db.SetLayoutId(1903);
        QCOMPARE(Describe(db.Columns()), QStringLiteral("Name:50 Code:60 Arcdept:80 Copys:40 Notes:75"));
        TpzGridcx cx;
        cx.SetDataSet(&s.ds);
        QVERIFY(cx.LoadLayout(1903));
        QCOMPARE(Describe(cx.Columns()), QStringLiteral("Name:50 Code:60 Arcdept:-80 Copys:-40 Notes:-75"));
    }

    void malformedStoredLayout()
    {
        Sample s;
        Database->ExecSql(QStringLiteral("insert into syscols (F02,F06) values (1904, :S)"),
                          {DBParam(QStringLiteral("S"),
                                   QStringLiteral("Code=True10\r\nName=TrueX\r\nArcdept=False30\r\n"))});
        ScriptedPrompter prompts;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        db.SetLayoutId(1904);
        // Applied up to the bad entry, silently.
        QCOMPARE(Describe(db.Columns()), QStringLiteral("Code:10 Name:100 Arcdept:80 Copys:40 Notes:75"));
        QVERIFY(prompts.History().isEmpty());
    }

    void saveLayoutCommand_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<int>("layoutId");
        QTest::addColumn<int>("tag");
        QTest::addColumn<int>("key");
        QTest::newRow("db: layout id") << "db" << 1911 << 5 << 1911;
        QTest::newRow("db: tag when id is 0") << "db" << 0 << 1912 << 1912;
        QTest::newRow("db: tag when id is negative") << "db" << -3 << 1913 << 1913;
        QTest::newRow("db: key 0") << "db" << 0 << 0 << 0;
        QTest::newRow("cx: tag") << "cx" << 0 << 1914 << 1914;
    }
    void saveLayoutCommand()
    {
        QFETCH(QString, grid);
        QFETCH(int, layoutId);
        QFETCH(int, tag);
        QFETCH(int, key);
        Sample s;
        ScriptedPrompter prompts;
        std::unique_ptr<TpzGridBase> g;
        if (grid == QLatin1String("db")) {
            auto db = std::make_unique<TpzDBGrid>();
            db->SetDataSet(&s.ds);
            db->SetLayoutId(layoutId);
            g = std::move(db);
        } else {
            g = std::make_unique<TpzGridcx>();
            g->SetDataSet(&s.ds);
        }
        g->SetTag(tag);
        g->PopupMenuPz()->ItemByCaption(QStringLiteral("保存表格样式"))->trigger();
        QCOMPARE(prompts.Texts(), QStringList{Info(QStringLiteral("列样式保存成功."))});
        QCOMPARE(StoredRows(key), 1);
        QCOMPARE(StoredLayout(key), g->Layout());
        Database->ExecSql(QStringLiteral("delete from syscols where F02=:K"),
                          {DBParam(QStringLiteral("K"), key)});
    }

    void titleClicks()
    {
        Sample s;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        db.resize(700, 300);
        db.show();
        const int code = 1;
        const int name = 2;
        ClickTitle(db, code);
        QCOMPARE(s.ds.Sort(), QStringLiteral("Code"));
        QCOMPARE(s.Column(QStringLiteral("Code")), (QStringList{"A1", "A1", "B2", "C3"}));
        ClickTitle(db, code);
        QCOMPARE(s.ds.Sort(), QStringLiteral("Code DESC "));
        QCOMPARE(s.Column(QStringLiteral("Code")).first(), QStringLiteral("C3"));
        ClickTitle(db, code);
        QCOMPARE(s.ds.Sort(), QString());
        QCOMPARE(s.Column(QStringLiteral("Id")), (QStringList{"1", "2", "3", "4"}));

        // The column marked first stays the first key, wherever it stands on screen.
        db.horizontalHeader()->moveSection(db.horizontalHeader()->visualIndex(name), 0);
        ClickTitle(db, code);
        ClickTitle(db, name);
        ClickTitle(db, name);
        QCOMPARE(s.ds.Sort(), QStringLiteral("Code, Name DESC "));
        QCOMPARE(s.Column(QStringLiteral("Name")).mid(0, 2), (QStringList{"借阅合同", "O'Neil文件"}));
        QCOMPARE(db.SortMarks().size(), 2);
        // Clearing the first mark leaves the second as the only key.
        ClickTitle(db, code);
        ClickTitle(db, code);
        QCOMPARE(s.ds.Sort(), QStringLiteral("Name DESC "));
    }

    void titleClickOnClosedSet()
    {
        Sample s;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        db.resize(700, 300);
        db.show();
        s.ds.Close();
        ClickTitle(db, 1);
        QVERIFY(db.SortMarks().isEmpty());
        QCOMPARE(s.ds.Sort(), QString());
    }

    void checkDataSet_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("message");
        QTest::newRow("db: no data source") << "db"
                                            << "nosource"
                                            << "系统错误: 没有为DBGrid指定DataSource对象,请与作者联系!";
        QTest::newRow("db: no data set") << "db"
                                         << "noset"
                                         << "系统错误: 没有为DBGrid.DataSource指定DataSet对象,请与作者联系!";
        QTest::newRow("db: closed") << "db"
                                    << "closed"
                                    << "系统提示: 请先打开数据再操作!";
        QTest::newRow("db: open") << "db"
                                  << "open"
                                  << "";
        QTest::newRow("cx: no data set")
            << "cx"
            << "noset"
            << "系统错误: 没有为TpzGridcx.DataSource指定DataSet对象,请与作者联系!";
        QTest::newRow("cx: closed") << "cx"
                                    << "closed"
                                    << "系统提示: 请先打开数据再操作!";
        QTest::newRow("cx: open") << "cx"
                                  << "open"
                                  << "";
    }
    void checkDataSet()
    {
        QFETCH(QString, grid);
        QFETCH(QString, state);
        QFETCH(QString, message);
        Sample s;
        ScriptedPrompter prompts;
        std::unique_ptr<TpzGridBase> g;
        if (grid == QLatin1String("db"))
            g = std::make_unique<TpzDBGrid>();
        else
            g = std::make_unique<TpzGridcx>();
        if (state == QLatin1String("nosource"))
            g->SetDataSource(nullptr);
        else if (state != QLatin1String("noset"))
            g->SetDataSet(&s.ds);
        if (state == QLatin1String("closed"))
            s.ds.Close();
        QCOMPARE(g->CheckDataSet(), message.isEmpty());
        QCOMPARE(prompts.Texts(), message.isEmpty() ? QStringList() : QStringList{Info(message)});
        // The sort command stops at the guard without showing its dialog.
        prompts.Clear();
        g->ActionSort()->trigger();
        QCOMPARE(prompts.Texts(), message.isEmpty() ? QStringList() : QStringList{Info(message)});
        QCOMPARE(prompts.Dialogs().isEmpty(), !message.isEmpty() ? true : false);
    }

    void columnChoice_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("shown"); // visible columns afterwards, in column order
        QTest::newRow("untick every row") << "untick all"
                                          << "";
        QTest::newRow("drag A below B, tick only A") << "drag"
                                                     << "Code";
        QTest::newRow("cancel changes nothing") << "cancel"
                                                << "Code,Name,Arcdept,Copys,Notes";
    }
    void columnChoice()
    {
        QFETCH(QString, action);
        QFETCH(QString, shown);
        Sample s;
        ScriptedPrompter prompts;
        TpzGridcx cx;
        cx.SetDataSet(&s.ds);
        QList<RColItem> offered;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = dynamic_cast<TxVisibleFrm &>(dialog);
            TDragRowTable *table = frm.ColumnGrid;
            for (int row = 0; row < table->rowCount(); ++row)
                offered.append({row, table->Caption(row), table->Value(row) == TxVisibleFrm::Tick});
            if (action == QLatin1String("cancel")) {
                ClickCell(table, 0, 1);
                QTest::mouseClick(frm.btnCancel1, Qt::LeftButton);
                return frm.result();
            }
            if (action == QLatin1String("untick all")) {
                for (int row = 0; row < table->rowCount(); ++row)
                    ClickCell(table, row, 1);
            } else {
                // Row of Code (A) dragged below the row of Name (B) by its caption cell.
                const QPoint from = table->visualRect(table->model()->index(0, 0)).center();
                const QPoint to = table->visualRect(table->model()->index(1, 0)).center();
                QTest::mousePress(table->viewport(), Qt::LeftButton, {}, from);
                QTest::mouseRelease(table->viewport(), Qt::LeftButton, {}, to);
                if (table->Caption(1) != QStringLiteral("档案编号"))
                    return int(QDialog::Rejected);
                // Untick everything but the dragged row, now the second.
                for (int row = 0; row < table->rowCount(); ++row)
                    if (row != 1)
                        ClickCell(table, row, 1);
            }
            QTest::mouseClick(frm.btnOk1, Qt::LeftButton);
            return frm.result();
        });
        cx.ActionColVisible()->trigger();
        QCOMPARE(prompts.Dialogs(), QStringList{"TxVisibleFrm"});
        QCOMPARE(offered.size(), 5);
        QCOMPARE(offered[0].Caption, QStringLiteral("档案编号"));
        QVERIFY(offered[0].Visible);
        QStringList visible;
        for (const TGridColumn &c : cx.Columns())
            if (c.Visible)
                visible << c.FieldName;
        QCOMPARE(visible.join(QLatin1Char(',')), shown);
        // Order and widths never change.
        QCOMPARE(cx.Columns()[0].FieldName, QStringLiteral("Code"));
        QCOMPARE(cx.Columns()[1].Width, 100);
    }

    void sortDialog()
    {
        Sample s;
        ScriptedPrompter prompts;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        s.ds.SetSort(QStringLiteral("Code, Name DESC "));
        QStringList labels;
        QStringList directions;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = dynamic_cast<TSortFrm &>(dialog);
            for (int row = 0; row < frm.FieldGrid->rowCount(); ++row) {
                labels << frm.FieldGrid->Caption(row);
                directions << frm.FieldGrid->Value(row);
            }
            // Arcdept (fourth row) gets an ascending mark and moves to the top.
            const QRect cell = frm.FieldGrid->visualRect(frm.FieldGrid->model()->index(3, 1));
            QTest::mouseClick(frm.FieldGrid->viewport(), Qt::LeftButton, {}, cell.center());
            QTest::mouseDClick(frm.FieldGrid->viewport(), Qt::LeftButton, {}, cell.center());
            for (int i = 0; i < 3; ++i)
                QTest::mouseClick(frm.btnUp1, Qt::LeftButton);
            if (frm.btnUp1->isEnabled() || !frm.btnDown1->isEnabled())
                return int(QDialog::Rejected);
            QTest::mouseClick(frm.btnOk1, Qt::LeftButton);
            return frm.result();
        });
        db.ActionSort()->trigger();
        // Every data field but the memo, hidden ones included; the sort keys on top.
        QCOMPARE(labels, (QStringList{"档案编号", "档案名称", "Id", "归档部门", "份数"}));
        QCOMPARE(directions, (QStringList{"升序", "降序", "", "", ""}));
        QCOMPARE(s.ds.Sort(), QStringLiteral("Arcdept ASC,Code ASC,Name DESC"));
        QCOMPARE(s.Column(QStringLiteral("Arcdept")).first(), QStringLiteral("办公室"));
    }

    void sortDialogWithoutDirections()
    {
        Sample s;
        ScriptedPrompter prompts;
        TpzGridcx cx;
        cx.SetDataSet(&s.ds);
        s.ds.SetSort(QStringLiteral("Code"));
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = dynamic_cast<TSortFrm &>(dialog);
            frm.CycleRow(0); // ASC -> DESC
            frm.CycleRow(0); // DESC -> none
            return int(QDialog::Accepted);
        });
        cx.ActionSort()->trigger();
        QCOMPARE(s.ds.Sort(), QString());
        QCOMPARE(s.Column(QStringLiteral("Id")), (QStringList{"1", "2", "3", "4"}));
    }

    void filter_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("keyword anywhere") << "档案名称"
                                          << "合同" << QStringList{"1", "4"};
        QTest::newRow("keyword with a quote") << "档案名称"
                                              << "O'Neil" << QStringList{"2"};
        QTest::newRow("wildcard") << "档案编号"
                                  << "_1" << QStringList{"2", "4"};
        QTest::newRow("empty keyword lets all through") << "归档部门"
                                                        << "" << QStringList{"1", "2", "3", "4"};
    }
    void filter()
    {
        QFETCH(QString, field);
        QFETCH(QString, keyword);
        QFETCH(QStringList, ids);
        Sample s;
        ScriptedPrompter prompts;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        QStringList listed;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = dynamic_cast<TFltrDlgFrm &>(dialog);
            for (int i = 0; i < frm.FieldList->count(); ++i)
                listed << frm.FieldList->item(i)->text();
            QTest::mouseClick(frm.btnNext1, Qt::LeftButton);
            if (frm.Pages->currentIndex() != 0) // nothing chosen yet: no next page
                return -1;
            frm.FieldList->setCurrentItem(frm.FieldList->findItems(field, Qt::MatchExactly).value(0));
            QTest::mouseClick(frm.btnNext1, Qt::LeftButton);
            if (frm.Pages->currentIndex() != 1)
                return -1;
            TypeText(frm.edtKeyword1, keyword);
            QTest::keyClick(frm.edtKeyword1, Qt::Key_Return);
            return frm.result();
        });
        db.FilterClick();
        // Only the visible short-text fields are offered.
        QCOMPARE(listed, (QStringList{"档案编号", "档案名称", "归档部门"}));
        QVERIFY(s.ds.Filtered());
        QCOMPARE(s.Column(QStringLiteral("Id")), ids);
        QVERIFY(prompts.Texts().isEmpty());
    }

    void filterRefusedStaysOpen()
    {
        Sample s;
        ScriptedPrompter prompts;
        TFltrDlgFrm frm;
        frm.SetDataSet(&s.ds);
        frm.FieldList->setCurrentRow(0);
        frm.NextClick();
        // A filter text the data set refuses (a field name it cannot parse) shows the error
        // and keeps the dialog open, the filter unchanged.
        frm.FieldList->currentItem()->setData(Qt::UserRole, QStringLiteral("Code Name"));
        frm.edtKeyword1->setText(QStringLiteral("x"));
        frm.show();
        QTest::mouseClick(frm.btnOk1, Qt::LeftButton);
        QCOMPARE(prompts.Texts().size(), 1);
        QVERIFY(frm.isVisible());
        QVERIFY(!s.ds.Filtered());
    }

    void batchUpdateDbGrid_data()
    {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<QString>("depts");
        QTest::newRow("two selected") << QList<int>{1, 3} << "办公室,档案室,办公室,档案室";
        QTest::newRow("none selected") << QList<int>{} << "办公室,财务,办公室,技术";
    }
    void batchUpdateDbGrid()
    {
        QFETCH(QList<int>, selected);
        QFETCH(QString, depts);
        Sample s;
        ScriptedPrompter prompts;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        int calls = 0;
        db.SetBatchProc([&] { ++calls; });
        db.clearSelection();
        for (int row : selected)
            SelectRow(db, row);
        s.ds.SetRecNo(2);
        QStringList offered;
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = dynamic_cast<TBatchUpdateFrm &>(dialog);
            for (int i = 0; i < frm.ItemCount(); ++i)
                offered << frm.ItemLabel(i);
            // OK waits for a chosen field.
            QTest::mouseClick(frm.btnOk1, Qt::LeftButton);
            if (!frm.isVisible())
                return -1;
            frm.SetItemIndex(2);
            frm.SetValue(QStringLiteral("档案室"));
            QTest::mouseClick(frm.btnOk1, Qt::LeftButton);
            return frm.result();
        });
        db.BatchUpdateClick();
        QCOMPARE(offered, (QStringList{"档案编号", "档案名称", "归档部门", "份数", "备注"}));
        QCOMPARE(s.Column(QStringLiteral("Arcdept")).join(QLatin1Char(',')), depts);
        QCOMPARE(calls, int(selected.size()));
        QCOMPARE(s.ds.RecNo(), 2);
        QVERIFY(!s.ds.ControlsDisabled());
    }

    void batchUpdateRefusals_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<bool>("withSet");
        QTest::addColumn<QString>("message");
        QTest::newRow("db: no data set") << "db" << false << "没有指定数据集DataSet, 操作被取消.";
        QTest::newRow("db: no procedure") << "db" << true << "没有指定更新过程BatchProc, 操作被取消.";
        QTest::newRow("cx: no data set")
            << "cx" << false << "系统错误: 没有为TpzGridcx.DataSource指定DataSet对象,请与作者联系!";
        QTest::newRow("cx: no procedure") << "cx" << true << "没有指定BatchUpdate更新过程, 操作被取消.";
    }
    void batchUpdateRefusals()
    {
        QFETCH(QString, grid);
        QFETCH(bool, withSet);
        QFETCH(QString, message);
        Sample s;
        ScriptedPrompter prompts;
        std::unique_ptr<TpzGridBase> g;
        if (grid == QLatin1String("db"))
            g = std::make_unique<TpzDBGrid>();
        else
            g = std::make_unique<TpzGridcx>();
        if (withSet)
            g->SetDataSet(&s.ds);
        g->BatchUpdateClick();
        QCOMPARE(prompts.Texts(), QStringList{Info(message)});
        QVERIFY(prompts.Dialogs().isEmpty());
    }

    void batchUpdateGridcx()
    {
        Sample s;
        ScriptedPrompter prompts;
        TpzGridcx cx;
        cx.SetDataSet(&s.ds);
        int calls = 0;
        cx.SetBatchProc([&] { ++calls; });
        cx.selectionModel()->setCurrentIndex(cx.model()->index(3, 1), QItemSelectionModel::ClearAndSelect);
        QCOMPARE(cx.SelectedCount(), 1);
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = dynamic_cast<TBatchUpdateFrm &>(dialog);
            frm.SetItemIndex(3); // 份数
            frm.SetValue(QStringLiteral("9"));
            QTest::mouseClick(frm.btnOk1, Qt::LeftButton);
            return frm.result();
        });
        cx.BatchUpdateClick();
        QCOMPARE(s.Column(QStringLiteral("Copys")), (QStringList{"1", "2", "3", "9"}));
        QCOMPARE(calls, 1);
        QCOMPARE(s.ds.RecNo(), 3);

        // Letters for a number: the field's error ends the command; nothing is changed.
        prompts.OnDialog([&](QDialog &dialog) {
            auto &frm = dynamic_cast<TBatchUpdateFrm &>(dialog);
            frm.SetItemIndex(3);
            frm.SetValue(QStringLiteral("abc"));
            QTest::mouseClick(frm.btnOk1, Qt::LeftButton);
            return frm.result();
        });
        Guard([&] { cx.BatchUpdateClick(); });
        QCOMPARE(prompts.Texts().size(), 1);
        QCOMPARE(s.Column(QStringLiteral("Copys")), (QStringList{"1", "2", "3", "9"}));
        QCOMPARE(calls, 1);
        QCOMPARE(s.ds.State(), DataSetState::Browse);
    }

    // Each dialog of the grids, on each of its pages, clips no caption or control at its own
    // font and, once shown, when its font grows by half: the window grows with its layout.
    void dialogsClipNothing_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("page");
        QTest::newRow("filter, field page") << "filter" << 0;
        QTest::newRow("filter, keyword page") << "filter" << 1;
        QTest::newRow("batch update") << "batch update" << 0;
        QTest::newRow("sort") << "sort" << 0;
        QTest::newRow("column choice") << "column choice" << 0;
    }
    void dialogsClipNothing()
    {
        QFETCH(QString, dialog);
        QFETCH(int, page);
        Sample s;
        RColItems items{{0, QStringLiteral("档案编号"), true}, {1, QStringLiteral("档案名称"), false}};
        std::unique_ptr<QDialog> w;
        if (dialog == QLatin1String("filter")) {
            auto filter = std::make_unique<TFltrDlgFrm>();
            filter->SetDataSet(&s.ds);
            filter->Pages->setCurrentIndex(page);
            w = std::move(filter);
        } else if (dialog == QLatin1String("batch update")) {
            auto batch = std::make_unique<TBatchUpdateFrm>();
            batch->AddItem(QStringLiteral("档案名称"), QStringLiteral("Name"));
            w = std::move(batch);
        } else if (dialog == QLatin1String("sort")) {
            auto sort = std::make_unique<TSortFrm>();
            sort->LoadFields(s.ds, true);
            w = std::move(sort);
        } else {
            w = std::make_unique<TxVisibleFrm>(items);
        }
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QStringList clipped = LayoutCheck::Clipped(w.get());
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        const QSize before = w->size();
        EnlargeFont(*w);
        QCoreApplication::processEvents();
        clipped = LayoutCheck::Clipped(w.get());
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
        QVERIFY(w->width() >= before.width() && w->height() >= before.height());
    }

    void rightRefusals_data()
    {
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("right");
        QTest::newRow("db: column choice") << "db"
                                           << "列选择" << 10008;
        QTest::newRow("db: save layout") << "db"
                                         << "保存表格样式" << 10006;
        QTest::newRow("db: excel") << "db"
                                   << "导出到Excel文档" << 10004;
        QTest::newRow("cx: column choice") << "cx"
                                           << "列选择" << 10008;
        QTest::newRow("cx: save layout") << "cx"
                                         << "保存表格样式" << 10006;
        QTest::newRow("cx: html") << "cx"
                                  << "导出到Html网页文件" << 10004;
    }
    void rightRefusals()
    {
        QFETCH(QString, grid);
        QFETCH(QString, item);
        QFETCH(int, right);
        Sample s;
        ScriptedPrompter prompts;
        // Every right but the one tested.
        CurrentOperator->Rights =
            QStringLiteral(",10008,,10006,,10004,").remove(QStringLiteral(",%1,").arg(right));
        QStringList exported;
        TpzGridBase::SetExcelExporter([&](TpzGridBase &) { exported << QStringLiteral("excel"); });
        TpzGridBase::SetHtmlExporter([&](TpzGridBase &) { exported << QStringLiteral("html"); });
        std::unique_ptr<TpzGridBase> g;
        if (grid == QLatin1String("db"))
            g = std::make_unique<TpzDBGrid>();
        else
            g = std::make_unique<TpzGridcx>();
        g->SetDataSet(&s.ds);
        g->SetTag(1920);
        QVERIFY(g->PopupMenuPz()->ItemByCaption(item)->isEnabled());
        g->PopupMenuPz()->ItemByCaption(item)->trigger();
        QCOMPARE(prompts.Texts(), QStringList{RefusalText.arg(right)});
        QVERIFY(prompts.Dialogs().isEmpty());
        QVERIFY(exported.isEmpty());
        QCOMPARE(StoredRows(1920), 0);
        // The superuser passes the same test.
        prompts.Clear();
        CurrentOperator->LoginId = QStringLiteral("sa");
        CurrentOperator->Rights.clear();
        g->PopupMenuPz()->ItemByCaption(item)->trigger();
        QVERIFY(!prompts.Texts().contains(RefusalText.arg(right)));
        QCOMPARE(exported.size(), right == 10004 ? 1 : 0);
        TpzGridBase::SetExcelExporter({});
        TpzGridBase::SetHtmlExporter({});
        Database->ExecSql(QStringLiteral("delete from syscols where F02=1920"));
    }

    void keyboard()
    {
        Sample s;
        TpzDBGrid db;
        db.SetDataSet(&s.ds);
        TGridColumns columns = db.Columns();
        columns[1].Visible = false; // Name hidden between Code and Arcdept
        db.SetColumns(columns);
        db.resize(700, 300);
        db.show();
        QList<int> keys;
        connect(&db, &TpzDBGrid::OnKeyDown, &db, [&](int key) { keys << key; });
        db.setCurrentIndex(db.model()->index(0, 3)); // Arcdept
        QTest::keyClick(&db, Qt::Key_Left);
        QCOMPARE(db.currentIndex().column(), 1); // Code, over the hidden Name
        QTest::keyClick(&db, Qt::Key_Left);
        QCOMPARE(db.currentIndex().column(), 1);
        db.setCurrentIndex(db.model()->index(0, 5)); // Notes, the last column
        QTest::keyClick(&db, Qt::Key_Right);
        QCOMPARE(db.currentIndex().column(), 5);
        QTest::keyClick(&db, Qt::Key_Down);
        QTest::keyClick(&db, Qt::Key_Down);
        QCOMPARE(s.ds.RecNo(), 2);
        QCOMPARE(db.currentIndex().row(), 2);
        QTest::keyClick(&db, Qt::Key_Up);
        QCOMPARE(s.ds.RecNo(), 1);
        QTest::keyClick(&db, Qt::Key_PageDown);
        QCOMPARE(s.ds.RecNo(), 1);
        QCOMPARE(keys, (QList<int>{Qt::Key_Left, Qt::Key_Left, Qt::Key_Right, Qt::Key_Down, Qt::Key_Down,
                                   Qt::Key_Up, Qt::Key_PageDown}));
    }

    void gridcxLook()
    {
        Sample s;
        QWidget host;
        host.resize(600, 300);
        TpzGridcx cx(nullptr, 1930, &s.ds, &host);
        cx.SetIndicatorVisible(true);
        cx.SetRowSelect(true);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QCOMPARE(cx.geometry(), host.rect());
        QCOMPARE(cx.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
        QVERIFY(cx.verticalHeader()->width() >= 30);
        QCOMPARE(cx.RowCount(), 4);
        // Row 0 is current and selected; row 2 is even and cream; row 1 keeps the base colour.
        const QImage image = cx.viewport()->grab().toImage();
        const int x = cx.columnViewportPosition(1) + cx.columnWidth(1) - 3;
        const auto pixelOf = [&](int row) { return QColor(image.pixel(x, cx.rowViewportPosition(row) + 2)); };
        QCOMPARE(pixelOf(2), GridCream);
        QVERIFY(pixelOf(1) != GridCream);
        QVERIFY(pixelOf(0) != GridCream);
    }

    // After a sort each record keeps the colour it had: every other record in the order they
    // were loaded is cream, wherever the sort puts it.
    void gridcxCreamFollowsRecords()
    {
        Sample s;
        QWidget host;
        host.resize(600, 300);
        TpzGridcx cx(nullptr, 1931, &s.ds, &host);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        s.ds.SetSort(QStringLiteral("Code"));
        // Loaded B2, A1, C3, A1 (Id 4); sorted A1, A1 (Id 4), B2, C3.
        QCOMPARE(s.Column(QStringLiteral("Code")), (QStringList{"A1", "A1", "B2", "C3"}));
        s.ds.SetRecNo(0);
        QTRY_COMPARE(cx.currentIndex().row(), 0);
        const QImage image = cx.viewport()->grab().toImage();
        const int x = cx.columnViewportPosition(1) + cx.columnWidth(1) - 3;
        const auto creamAt = [&](int row) {
            return QColor(image.pixel(x, cx.rowViewportPosition(row) + 2)) == GridCream;
        };
        QVERIFY(!creamAt(1)); // an A1: loaded second or fourth
        QVERIFY(creamAt(2));  // loaded first
        QVERIFY(creamAt(3));  // loaded third
    }

    void deleteMakesNextCurrent_data()
    {
        QTest::addColumn<bool>("several"); // TpzDBGrid, where several rows may be selected
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("current");
        for (const bool several : {false, true}) {
            const char *grid = several ? "TpzDBGrid" : "TpzGridcx";
            QTest::addRow("%s, third row", grid) << several << 2 << "R4";
            QTest::addRow("%s, first row", grid) << several << 0 << "R2";
            QTest::addRow("%s, last row", grid) << several << 4 << "R4";
        }
    }
    // Deleting the focused record makes the record after it current (the one before it when
    // it was the last), in the data set and in the grid alike.
    void deleteMakesNextCurrent()
    {
        QFETCH(bool, several);
        QFETCH(int, row);
        QFETCH(QString, current);
        TDataSet ds;
        ds.AddField(FieldKind::String, QStringLiteral("Code"), 10);
        ds.BeginLoad();
        for (int i = 1; i <= 5; ++i) {
            const QVariant values[] = {QStringLiteral("R%1").arg(i)};
            ds.LoadRow(values);
        }
        ds.EndLoad();
        std::unique_ptr<TpzGridBase> grid;
        if (several)
            grid = std::make_unique<TpzDBGrid>();
        else
            grid = std::make_unique<TpzGridcx>();
        grid->SetDataSet(&ds);
        grid->resize(400, 300);
        grid->show();
        QVERIFY(QTest::qWaitForWindowExposed(grid.get()));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          grid->visualRect(grid->model()->index(row, 0)).center());
        QCOMPARE(ds.RecNo(), row);
        ds.Delete();
        QCOMPARE(ds.FieldByName(QStringLiteral("Code"))->AsString(), current);
        QCOMPARE(grid->currentIndex().row(), ds.RecNo());
    }

    void gridcxEvents()
    {
        Sample s;
        TpzGridcx cx;
        cx.SetDataSet(&s.ds);
        cx.resize(600, 300);
        cx.show();
        QList<bool> selects;
        QList<TField *> clicked;
        QStringList order;
        connect(&cx, &TpzGridcx::OnSelectChanged, &cx, [&](bool selected) { selects << selected; });
        connect(&cx, &TpzGridcx::OnCellClick, &cx, [&](TField *field) { clicked << field; });
        connect(&cx, &TpzGridcx::OnDblClick, &cx, [&] { order << QStringLiteral("dbl"); });
        connect(&cx, &TpzGridcx::OnCellDblClick, &cx, [&](TField *field) { order << field->FieldName(); });
        s.ds.SetRecNo(2);
        QCOMPARE(cx.currentIndex().row(), 2);
        QCOMPARE(selects, QList<bool>{true});
        const QRect cell = cx.visualRect(cx.model()->index(1, 2));
        QTest::mouseClick(cx.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(s.ds.RecNo(), 1);
        QCOMPARE(clicked, QList<TField *>{s.ds.FieldByName(QStringLiteral("Name"))});
        QTest::mouseDClick(cx.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(order, (QStringList{"dbl", "Name"}));
    }
};

PZ_TEST(TGridsTest)
#include "tst_grids.moc"
