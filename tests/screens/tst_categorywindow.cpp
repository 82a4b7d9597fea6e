// The category window in its four modes, driven as the operator would on a real SQLite
// database: the settings tool buttons with their questions and status line, the adjustment
// tree with its refused drops and the renumbering on OK, the edit mode and the picker.

#include "CategoryWindow.h"
#include "Database.h"
#include "LayoutCheck.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QAction>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolBar>

using LayoutCheck::Clipped;
using LayoutCheck::EnlargeFont;

namespace {

struct StoredCata
{
    int Id;
    const char *Code;
    const char *Name;
    int SlfId;
    int PrtId;
};

void StoreCatas(std::initializer_list<StoredCata> catas)
{
    Database->ExecSql(QStringLiteral("delete from catas"));
    for (const StoredCata &cata : catas)
        Database->ExecSql(QStringLiteral("insert into catas (Id, Code, Name, [Note], SlfId, PrtId) "
                                         "values (:Id, :Code, :Name, '', :SlfId, :PrtId)"),
                          {DBParam(QStringLiteral("Id"), cata.Id),
                           DBParam(QStringLiteral("Code"), QString::fromUtf8(cata.Code)),
                           DBParam(QStringLiteral("Name"), QString::fromUtf8(cata.Name)),
                           DBParam(QStringLiteral("SlfId"), cata.SlfId),
                           DBParam(QStringLiteral("PrtId"), cata.PrtId)});
}

// A(B(C)), D in the canonical numbering.
void StoreSample()
{
    StoreCatas(
        {{11, "1.", "A", 1, 0}, {12, "1.2.", "B", 2, 1}, {13, "1.2.3.", "C", 3, 2}, {14, "4.", "D", 4, 0}});
}

// "Id Name SlfId PrtId Code" of every stored category in SlfId order.
QStringList Stored()
{
    QStringList rows;
    TCataSet catas;
    catas.LoadAll();
    for (catas.DataSet()->First(); !catas.DataSet()->Eof(); catas.DataSet()->Next()) {
        const RCata cata = catas.ReadCata();
        rows << QStringLiteral("%1 %2 %3 %4 %5")
                    .arg(cata.Id)
                    .arg(cata.Name)
                    .arg(cata.SlfId)
                    .arg(cata.PrtId)
                    .arg(cata.Code);
    }
    return rows;
}

QTreeWidgetItem *NodeNamed(Uis::TTreeView *tree, const QString &name)
{
    for (QTreeWidgetItem *node : tree->Nodes())
        if (node->text(0) == name)
            return node;
    return nullptr;
}

QStringList Shape(Uis::TTreeView *tree)
{
    QStringList shape;
    for (QTreeWidgetItem *node : tree->Nodes())
        shape << node->text(0) + QLatin1Char('<') + (node->parent() ? node->parent()->text(0) : QString());
    return shape;
}

TCataRelEditFrm &Frm(QDialog &dialog)
{
    auto *frm = qobject_cast<TCataRelEditFrm *>(&dialog);
    if (!frm)
        throw std::runtime_error("not a category window");
    return *frm;
}

// Clicks a button of a shown window and answers how the window ended (Rejected while open).
int Click(QDialog &dialog, QPushButton *button)
{
    QTest::mouseClick(button, Qt::LeftButton);
    return dialog.isVisible() ? int(QDialog::Rejected) : dialog.result();
}

// Queues an edit window that types the name and note and presses OK.
void QueueEdit(ScriptedPrompter &prompts, const QString &name, const QString &note,
               QString *caption = nullptr)
{
    prompts.OnDialog([=](QDialog &dialog) {
        TCataRelEditFrm &edit = Frm(dialog);
        if (caption)
            *caption = edit.windowTitle();
        edit.edtName1->setText(name);
        edit.edtMemo1->SetText(note);
        return Click(dialog, edit.btnEditOk1);
    });
}

} // namespace

class TCataEditTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        InitDataModule();
        StartServices();
        QVERIFY(TestDb::OpenFresh(QStringLiteral("sqlite"), QStringLiteral("cataedit")));
    }
    void cleanupTestCase()
    {
        StopServices();
        DoneDataModule();
    }
    void init() { StoreSample(); }

    void settingsStatusLine_data()
    {
        QTest::addColumn<int>("shape");
        QTest::addColumn<QString>("status");
        QTest::newRow("A(B), C") << 0 << "总共 3 个类别, 分 1 层子类";
        QTest::newRow("A(B(C)), D") << 1 << "总共 4 个类别, 分 2 层子类";
        QTest::newRow("no sub-categories") << 2 << "总共 2 个类别, 分 0 层子类";
        QTest::newRow("empty") << 3 << "总共 0 个类别, 分 0 层子类";
    }
    void settingsStatusLine()
    {
        QFETCH(int, shape);
        QFETCH(QString, status);
        switch (shape) {
        case 0:
            StoreCatas({{1, "1.", "A", 1, 0}, {2, "1.2.", "B", 2, 1}, {3, "3.", "C", 3, 0}});
            break;
        case 2:
            StoreCatas({{1, "1.", "A", 1, 0}, {3, "3.", "C", 3, 0}});
            break;
        case 3:
            StoreCatas({});
            break;
        default:
            break;
        }
        const auto frm = TCataRelEditFrm::CreateSettings(nullptr);
        QCOMPARE(frm->windowTitle(), QStringLiteral("档案分类设置"));
        QCOMPARE(frm->lblListStatus1->text(), status);
        QVERIFY(!frm->Changed());
        const QStringList tools = [&] {
            QStringList list;
            for (QAction *action : frm->ToolBar1->actions())
                list << (action->isSeparator() ? QStringLiteral("-") : action->text());
            return list;
        }();
        QCOMPARE(tools, QStringList({"添加", "修改", "-", "删除", "-", "移动", "-", "  退出  "}));
    }

    void settingsAdd()
    {
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateSettings(nullptr);
        // Under the selected category.
        frm->TreeView2->SetSelected(NodeNamed(frm->TreeView2, QStringLiteral("A")));
        QString caption;
        QueueEdit(prompts, QStringLiteral("E"), QStringLiteral("新的"), &caption);
        frm->actAdd1->trigger();
        QCOMPARE(caption, QStringLiteral("添加分类"));
        QVERIFY(Stored().contains(QStringLiteral("15 E 5 1 1..5.")));
        QTreeWidgetItem *e = NodeNamed(frm->TreeView2, QStringLiteral("E"));
        QVERIFY(e);
        QCOMPARE(e->parent()->text(0), QStringLiteral("A"));
        QCOMPARE(Uis::TTreeView::NodeData(e)->Note, QStringLiteral("新的"));
        QCOMPARE(frm->lblListStatus1->text(), QStringLiteral("总共 5 个类别, 分 2 层子类"));
        QVERIFY(frm->Changed());

        // With nothing selected the new category goes to the top.
        frm->TreeView2->SetSelected(nullptr);
        QueueEdit(prompts, QStringLiteral("F"), QString());
        frm->actAdd1->trigger();
        QVERIFY(Stored().contains(QStringLiteral("16 F 6 0 .6.")));
        QCOMPARE(NodeNamed(frm->TreeView2, QStringLiteral("F"))->parent(), nullptr);

        // Cancelling the edit window stores nothing.
        prompts.OnDialog([](QDialog &dialog) { return Click(dialog, Frm(dialog).btnEditCancel1); });
        frm->actAdd1->trigger();
        QCOMPARE(Stored().size(), 6);
        QVERIFY(prompts.Texts().isEmpty());
    }

    void settingsModify()
    {
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateSettings(nullptr);
        frm->TreeView2->SetSelected(nullptr);
        frm->actModify1->trigger();
        QCOMPARE(prompts.Texts(), QStringList({"\r\n请选择一个类别再修改\t"}));
        QCOMPARE(prompts.History().first().icon, MsgIcon::Information);
        QVERIFY(prompts.Dialogs().isEmpty());

        frm->TreeView2->SetSelected(NodeNamed(frm->TreeView2, QStringLiteral("B")));
        QString caption;
        QString shownName;
        prompts.OnDialog([&](QDialog &dialog) {
            TCataRelEditFrm &edit = Frm(dialog);
            caption = edit.windowTitle();
            shownName = edit.edtName1->text();
            edit.edtName1->setText(QStringLiteral("乙"));
            edit.edtMemo1->SetText(QStringLiteral("改过"));
            return Click(dialog, edit.btnEditOk1);
        });
        frm->actModify1->trigger();
        QCOMPARE(caption, QStringLiteral("修改分类"));
        QCOMPARE(shownName, QStringLiteral("B"));
        QVERIFY(Stored().contains(QStringLiteral("12 乙 2 1 1.2.")));
        QCOMPARE(frm->TreeView2->Selected()->text(0), QStringLiteral("乙"));
        QCOMPARE(frm->TreeView2->SelectedData()->Note, QStringLiteral("改过"));
        QVERIFY(frm->Changed());
    }

    // The settings tree takes the focus as the window opens, which makes its first node
    // current without highlighting it. Nothing is selected then: deleting offers nothing,
    // adding files the new category at the top, changing asks for a category first.
    void settingsWithoutSelection_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("stored");
        const QStringList sample{"11 A 1 0 1.", "12 B 2 1 1.2.", "13 C 3 2 1.2.3.", "14 D 4 0 4."};
        QTest::newRow("删除") << "delete" << QStringList() << sample;
        QTest::newRow("添加") << "add" << QStringList() << (QStringList(sample) << "15 E 5 0 .5.");
        QTest::newRow("修改") << "modify" << QStringList{"\r\n请选择一个类别再修改\t"} << sample;
    }
    void settingsWithoutSelection()
    {
        QFETCH(QString, command);
        QFETCH(QStringList, texts);
        QFETCH(QStringList, stored);
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateSettings(nullptr);
        bool active = false;
        QString current;
        bool highlighted = true;
        prompts.OnDialog([&](QDialog &dialog) {
            active = QTest::qWaitForWindowActive(&dialog);
            Uis::TTreeView *tree = frm->TreeView2;
            current = tree->hasFocus() && tree->currentItem() ? tree->currentItem()->text(0) : QString();
            highlighted = tree->currentItem() && tree->currentItem()->isSelected();
            QAction *action = command == QLatin1String("delete") ? frm->actDelete1
                              : command == QLatin1String("add")  ? frm->actAdd1
                                                                 : frm->actModify1;
            action->trigger();
            dialog.reject();
            return dialog.result();
        });
        QueueEdit(prompts, QStringLiteral("E"), QString());
        frm->ShowModal();
        QVERIFY(active);
        QCOMPARE(current, QStringLiteral("A"));
        QVERIFY(!highlighted);
        QCOMPARE(prompts.Texts(), texts);
        QCOMPARE(Stored(), stored);
        if (command == QLatin1String("add"))
            QCOMPARE(NodeNamed(frm->TreeView2, QStringLiteral("E"))->parent(), nullptr);
    }

    // The name box has the focus as the edit window opens, in the focus colour; Tab gives it
    // its own colour back.
    void editNameGivesBackFocusColour()
    {
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateEdit(nullptr, RCata(), {});
        const QColor before = frm->edtName1->palette().color(QPalette::Base);
        bool active = false;
        QColor focused;
        QColor left;
        prompts.OnDialog([&](QDialog &dialog) {
            active = QTest::qWaitForWindowActive(&dialog);
            focused = frm->edtName1->hasFocus() ? frm->edtName1->palette().color(QPalette::Base) : QColor();
            QTest::keyClick(frm->edtName1, Qt::Key_Tab);
            left = frm->edtName1->hasFocus() ? QColor() : frm->edtName1->palette().color(QPalette::Base);
            return int(QDialog::Rejected);
        });
        frm->ShowModal();
        QVERIFY(active);
        QCOMPARE(focused, frm->edtName1->ColorOnEnter());
        QCOMPARE(left, before);
    }

    void editWindowStaysOpenWhenNotStored()
    {
        ScriptedPrompter prompts;
        RCata cata;
        cata.Id = 12;
        cata.Name = QStringLiteral("B");
        int calls = 0;
        RCata handed;
        const auto frm = TCataRelEditFrm::CreateEdit(nullptr, cata, [&](RCata &edited) {
            ++calls;
            handed = edited;
            return false;
        });
        QCOMPARE(frm->edtName1->text(), QStringLiteral("B"));
        prompts.OnDialog([&](QDialog &dialog) {
            // A blank name is not the edit window's business.
            frm->edtName1->setText(QStringLiteral("  "));
            const int result = Click(dialog, frm->btnEditOk1);
            return dialog.isVisible() ? 99 : result;
        });
        QCOMPARE(frm->ShowModal(), 99);
        QCOMPARE(calls, 1);
        QCOMPARE(handed.Name, QStringLiteral("  "));
        QCOMPARE(handed.Id, 12);
    }

    void settingsDelete_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("question");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("left");
        QTest::newRow("leaf") << "D"
                              << "\r\n确定要删除 D 吗?\t" << 0
                              << QStringList{"11 A 1 0 1.", "12 B 2 1 1.2.", "13 C 3 2 1.2.3."};
        QTest::newRow("with children")
            << "A"
            << "\r\n确定要删除 A 及其以下所有子项吗?\t" << 0 << QStringList{"14 D 4 0 4."};
        QTest::newRow("cancelled") << "B"
                                   << "\r\n确定要删除 B 及其以下所有子项吗?\t" << 1
                                   << QStringList{"11 A 1 0 1.", "12 B 2 1 1.2.", "13 C 3 2 1.2.3.",
                                                  "14 D 4 0 4."};
    }
    void settingsDelete()
    {
        QFETCH(QString, name);
        QFETCH(QString, question);
        QFETCH(int, answer);
        QFETCH(QStringList, left);
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateSettings(nullptr);
        frm->TreeView2->SetSelected(NodeNamed(frm->TreeView2, name));
        prompts.Answer(answer);
        frm->actDelete1->trigger();
        QCOMPARE(prompts.Texts(), QStringList({question}));
        QCOMPARE(prompts.History().first().buttons, QStringList({"确定", "取消"}));
        QCOMPARE(Stored(), left);
        QCOMPARE(frm->TreeView2->Nodes().size(), left.size());
        QCOMPARE(frm->Changed(), answer == 0);
        QCOMPARE(frm->lblListStatus1->text(), QStringLiteral("总共 %1 个类别, 分 %2 层子类")
                                                  .arg(left.size())
                                                  .arg(frm->TreeView2->DeepestLevel()));
    }

    void deleteIsAllOrNothing()
    {
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateSettings(nullptr);
        // C vanishes behind the window's back: deleting A with everything below it must then
        // delete nothing at all.
        Database->ExecSql(QStringLiteral("delete from catas where Id=13"));
        frm->TreeView2->SetSelected(NodeNamed(frm->TreeView2, QStringLiteral("A")));
        const QStringList shape = Shape(frm->TreeView2);
        prompts.Answer(0);
        frm->actDelete1->trigger();
        QCOMPARE(Stored(), QStringList({"11 A 1 0 1.", "12 B 2 1 1.2.", "14 D 4 0 4."}));
        QCOMPARE(Shape(frm->TreeView2), shape);
        QVERIFY(!frm->Changed());
        QCOMPARE(prompts.Texts().size(), 1);
    }

    void adjustRefusedDrops()
    {
        const auto frm = TCataRelEditFrm::CreateAdjust(nullptr);
        QCOMPARE(frm->windowTitle(), QStringLiteral("档案分类调整"));
        Uis::TTreeView *tree = frm->TreeView1;
        const QStringList shape = Shape(tree);
        struct Case
        {
            const char *dragged;
            const char *target;
            bool accepted;
        };
        const Case cases[] = {
            {"A", "B", false},     {"A", "C", false},    {"B", "A", false}, {"B", "B", false},
            {"A", nullptr, false}, {"B", nullptr, true}, {"C", "D", true},
        };
        for (const Case &c : cases) {
            tree->SetSelected(NodeNamed(tree, QString::fromUtf8(c.dragged)));
            QTreeWidgetItem *target = c.target ? NodeNamed(tree, QString::fromUtf8(c.target)) : nullptr;
            QVERIFY2(frm->TreeView1DragOver(tree, target) == c.accepted, c.dragged);
        }
        // Something that is not a category tree is never taken.
        tree->SetSelected(NodeNamed(tree, QStringLiteral("C")));
        QVERIFY(!frm->TreeView1DragOver(frm.get(), NodeNamed(tree, QStringLiteral("D"))));
        frm->TreeView1DragDrop(frm.get(), NodeNamed(tree, QStringLiteral("D")));
        // A refused drop changes nothing, even when it arrives.
        tree->SetSelected(NodeNamed(tree, QStringLiteral("A")));
        frm->TreeView1DragDrop(tree, NodeNamed(tree, QStringLiteral("C")));
        QCOMPARE(Shape(tree), shape);
        QVERIFY(!frm->Moved());
    }

    void adjustMovesAndRenumbers()
    {
        ScriptedPrompter prompts;
        const auto settings = TCataRelEditFrm::CreateSettings(nullptr);
        prompts.OnDialog([](QDialog &dialog) {
            TCataRelEditFrm &adjust = Frm(dialog);
            Uis::TTreeView *tree = adjust.TreeView1;
            tree->SetSelected(NodeNamed(tree, QStringLiteral("B")));
            adjust.TreeView1DragDrop(tree, nullptr);
            if (!adjust.Moved())
                return -1;
            return Click(dialog, adjust.btnRelOk1);
        });
        settings->actMove1->trigger();
        QCOMPARE(prompts.Dialogs(), QStringList({"TCataRelEditFrm"}));
        QCOMPARE(Stored(), QStringList({"11 A 1 0 1.", "14 D 2 0 2.", "12 B 3 0 3.", "13 C 4 3 3.4."}));
        // The settings tree shows the stored result.
        QCOMPARE(Shape(settings->TreeView2), QStringList({"A<", "D<", "B<", "C<B"}));
        QVERIFY(settings->Changed());
        QVERIFY(prompts.Texts().isEmpty());
    }

    void adjustWithoutMovesWritesNothing()
    {
        // Provisional codes of newly added categories stay as they are when nothing moved.
        StoreCatas({{1, ".1.", "A", 1, 0}, {2, ".1..2.", "B", 2, 1}});
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateAdjust(nullptr);
        prompts.OnDialog([&](QDialog &dialog) { return Click(dialog, frm->btnRelOk1); });
        QCOMPARE(frm->ShowModal(), int(QDialog::Accepted));
        QCOMPARE(Stored(), QStringList({"1 A 1 0 .1.", "2 B 2 1 .1..2."}));
    }

    void adjustBlankNameKeepsWindowOpen()
    {
        StoreCatas({{1, "1.", "A", 1, 0}, {2, "1.2.", "", 2, 1}, {3, "3.", "C", 3, 0}});
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateAdjust(nullptr);
        prompts.OnDialog([&](QDialog &dialog) {
            Uis::TTreeView *tree = frm->TreeView1;
            tree->SetSelected(NodeNamed(tree, QStringLiteral("C")));
            frm->TreeView1DragDrop(tree, NodeNamed(tree, QStringLiteral("A")));
            Click(dialog, frm->btnRelOk1);
            return dialog.isVisible() ? 99 : dialog.result();
        });
        QCOMPARE(frm->ShowModal(), 99);
        QCOMPARE(prompts.Texts(), QStringList({"\r\n分类名称不能是空白,必须填写.\t"}));
        QCOMPARE(Stored(), QStringList({"1 A 1 0 1.", "2  2 1 1.2.", "3 C 3 0 3."}));
    }

    void adjustRenumberRefusedKeepsWindowOpen()
    {
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreateAdjust(nullptr);
        prompts.OnDialog([&](QDialog &dialog) {
            Uis::TTreeView *tree = frm->TreeView1;
            tree->SetSelected(NodeNamed(tree, QStringLiteral("D")));
            frm->TreeView1DragDrop(tree, NodeNamed(tree, QStringLiteral("A")));
            // D is deleted elsewhere: the renumbering pass cannot write it and writes nothing.
            Database->ExecSql(QStringLiteral("delete from catas where Id=14"));
            Click(dialog, frm->btnRelOk1);
            return dialog.isVisible() ? 99 : dialog.result();
        });
        QCOMPARE(frm->ShowModal(), 99);
        QCOMPARE(Stored(), QStringList({"11 A 1 0 1.", "12 B 2 1 1.2.", "13 C 3 2 1.2.3."}));
    }

    void pickerOkNeedsSelection()
    {
        ScriptedPrompter prompts;
        QList<RCata> picked;
        bool answer = false;
        const auto frm = TCataRelEditFrm::CreatePick(nullptr, [&](const RCata &cata) {
            picked << cata;
            return answer;
        });
        QCOMPARE(frm->windowTitle(), QStringLiteral("选择"));
        prompts.OnDialog([&](QDialog &dialog) {
            frm->TreeView3->SetSelected(nullptr);
            if (Click(dialog, frm->btnPickOk1) != QDialog::Rejected || !picked.isEmpty())
                return -1;
            frm->TreeView3->SetSelected(NodeNamed(frm->TreeView3, QStringLiteral("C")));
            // The callback refuses: still open.
            if (Click(dialog, frm->btnPickOk1) != QDialog::Rejected)
                return -2;
            answer = true;
            return Click(dialog, frm->btnPickOk1);
        });
        QCOMPARE(frm->ShowModal(), int(QDialog::Accepted));
        QCOMPARE(picked.size(), 2);
        QCOMPARE(picked.last().Id, 13);
        QCOMPARE(picked.last().Code, QStringLiteral("1.2.3."));
    }

    // The picker's tree takes the focus as it opens; the node that makes current is not
    // highlighted, so OK has nothing to pick.
    void pickerOkIgnoresFocusAlone()
    {
        ScriptedPrompter prompts;
        QList<RCata> picked;
        const auto frm = TCataRelEditFrm::CreatePick(nullptr, [&](const RCata &cata) {
            picked << cata;
            return true;
        });
        bool active = false;
        QString current;
        int afterOk = -1;
        prompts.OnDialog([&](QDialog &dialog) {
            active = QTest::qWaitForWindowActive(&dialog);
            Uis::TTreeView *tree = frm->TreeView3;
            current = tree->hasFocus() && tree->currentItem() && !tree->currentItem()->isSelected()
                          ? tree->currentItem()->text(0)
                          : QString();
            afterOk = Click(dialog, frm->btnPickOk1);
            return Click(dialog, frm->btnPickCancel1);
        });
        QCOMPARE(frm->ShowModal(), int(QDialog::Rejected));
        QVERIFY(active);
        QCOMPARE(current, QStringLiteral("A"));
        QCOMPARE(afterOk, int(QDialog::Rejected));
        QVERIFY(picked.isEmpty());
    }

    void pickerSettingsRebuildsTree()
    {
        ScriptedPrompter prompts;
        const auto frm = TCataRelEditFrm::CreatePick(nullptr, [](const RCata &) { return true; });
        // Shown, as the picker always is when its buttons are pressed: its layout places them.
        frm->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm.get()));
        frm->TreeView3->SetSelected(NodeNamed(frm->TreeView3, QStringLiteral("B")));
        // The settings window adds E under A; then its own edit window is shown.
        prompts.OnDialog([](QDialog &dialog) {
            TCataRelEditFrm &settings = Frm(dialog);
            settings.TreeView2->SetSelected(NodeNamed(settings.TreeView2, QStringLiteral("A")));
            settings.actAdd1->trigger();
            settings.actExit1->trigger();
            return dialog.isVisible() ? -1 : dialog.result();
        });
        QueueEdit(prompts, QStringLiteral("E"), QString());
        QTest::mouseClick(frm->btnPickSettings1, Qt::LeftButton);
        QCOMPARE(prompts.Dialogs(), QStringList({"TCataRelEditFrm", "TCataRelEditFrm"}));
        QTreeWidgetItem *e = NodeNamed(frm->TreeView3, QStringLiteral("E"));
        QVERIFY(e);
        QCOMPARE(e->parent()->text(0), QStringLiteral("A"));
        QCOMPARE(frm->TreeView3->Selected()->text(0), QStringLiteral("B"));
        // Only real categories: no fixed nodes in the picker.
        QVERIFY(!NodeNamed(frm->TreeView3, QStringLiteral("全部")));

        // Settings closed without changes: the tree is left alone (the selection stays).
        frm->TreeView3->SetSelected(NodeNamed(frm->TreeView3, QStringLiteral("C")));
        prompts.OnDialog([](QDialog &) { return int(QDialog::Rejected); });
        QTest::mouseClick(frm->btnPickSettings1, Qt::LeftButton);
        QCOMPARE(frm->TreeView3->Selected()->text(0), QStringLiteral("C"));
    }

    void editBoxPicksThroughPicker()
    {
        InstallCataPicker();
        ScriptedPrompter prompts;
        Uis::TEdit box;
        prompts.OnDialog([](QDialog &dialog) {
            TCataRelEditFrm &picker = Frm(dialog);
            if (picker.WindowMode() != TCataRelEditFrm::Mode::Pick)
                return -1;
            picker.TreeView3->SetSelected(NodeNamed(picker.TreeView3, QStringLiteral("D")));
            return Click(dialog, picker.btnPickOk1);
        });
        box.PickCata();
        QCOMPARE(box.text(), QStringLiteral("D"));
        QCOMPARE(box.HeldId(), QVariant(14));

        // A cancelled picker leaves the box as it was.
        prompts.OnDialog([](QDialog &dialog) { return Click(dialog, Frm(dialog).btnPickCancel1); });
        box.PickCata();
        QCOMPARE(box.HeldId(), QVariant(14));
    }

    void modesClipNothing_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QSize>("designed");
        QTest::newRow("settings") << int(TCataRelEditFrm::Mode::Settings) << QSize(380, 460);
        QTest::newRow("adjustment") << int(TCataRelEditFrm::Mode::Adjust) << QSize(280, 400);
        QTest::newRow("edit") << int(TCataRelEditFrm::Mode::Edit) << QSize(380, 244);
        QTest::newRow("picker") << int(TCataRelEditFrm::Mode::Pick) << QSize(302, 419);
    }
    // Each mode opens at the size it was designed at with every caption and button whole,
    // and keeps them whole with a font half as large again; its list or memo takes the room
    // the window has to spare.
    void modesClipNothing()
    {
        QFETCH(int, mode);
        QFETCH(QSize, designed);
        std::unique_ptr<TCataRelEditFrm> frm;
        QWidget *stretching = nullptr;
        switch (TCataRelEditFrm::Mode(mode)) {
        case TCataRelEditFrm::Mode::Settings:
            frm = TCataRelEditFrm::CreateSettings(nullptr);
            stretching = frm->TreeView2;
            break;
        case TCataRelEditFrm::Mode::Adjust:
            frm = TCataRelEditFrm::CreateAdjust(nullptr);
            stretching = frm->TreeView1;
            break;
        case TCataRelEditFrm::Mode::Edit:
            frm = TCataRelEditFrm::CreateEdit(nullptr, RCata(), {});
            stretching = frm->edtMemo1;
            break;
        case TCataRelEditFrm::Mode::Pick:
            frm = TCataRelEditFrm::CreatePick(nullptr, {});
            stretching = frm->TreeView3;
            break;
        }
        frm->show();
        QVERIFY(QTest::qWaitForWindowExposed(frm.get()));
        QCOMPARE(frm->size(), designed);
        QVERIFY2(Clipped(frm.get()).isEmpty(), qPrintable(Clipped(frm.get()).join('\n')));

        const int stretchingTop = stretching->y();
        EnlargeFont(*frm);
        // The larger font has reached the layout once the list or memo moves down.
        QTRY_VERIFY(stretching->y() > stretchingTop);
        QVERIFY2(Clipped(frm.get()).isEmpty(), qPrintable(Clipped(frm.get()).join('\n')));
        const int height = stretching->height();
        frm->resize(frm->width(), frm->height() + 100);
        QTRY_COMPARE(stretching->height(), height + 100);
    }
};

PZ_TEST(TCataEditTest)
#include "tst_categorywindow.moc"
