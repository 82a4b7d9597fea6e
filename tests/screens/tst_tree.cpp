// The category tree view on a real SQLite database: the main window's tree with its two fixed
// nodes, lookup and reselection by code, the renumbering computation after moves, and the
// drop rule that keeps the tree a tree.

#include "ArchiveControls.h"
#include "CategoryTree.h"
#include "Database.h"
#include "ModulesFixture.h"
#include "ScriptedPrompter.h"
#include "Settings.h"
#include "TestDb.h"
#include "TestMain.h"

#include <QApplication>
#include <QTest>

#include <optional>

namespace {

struct StoredCata
{
    int Id;
    const char *Code;
    const char *Name;
    int SlfId;
    int PrtId;
};

// A(B(C)), D in the canonical numbering.
const StoredCata Sample[] = {
    {11, "1.", "A", 1, 0},
    {12, "1.2.", "B", 2, 1},
    {13, "1.2.3.", "C", 3, 2},
    {14, "4.", "D", 4, 0},
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

void StoreSample()
{
    StoreCatas({Sample[0], Sample[1], Sample[2], Sample[3]});
}

QString Caption(QTreeWidgetItem *node)
{
    return node ? node->text(0) : QStringLiteral("<none>");
}

QStringList Captions(QTreeWidgetItem *parent)
{
    QStringList captions;
    for (int i = 0; i < parent->childCount(); ++i)
        captions << parent->child(i)->text(0);
    return captions;
}

QTreeWidgetItem *NodeNamed(Uis::TTreeView &tree, const QString &name)
{
    for (QTreeWidgetItem *node : tree.Nodes())
        if (node->text(0) == name)
            return node;
    return nullptr;
}

// "Name<Parent" of every node in tree order.
QStringList Shape(Uis::TTreeView &tree)
{
    QStringList shape;
    for (QTreeWidgetItem *node : tree.Nodes())
        shape << node->text(0) + QLatin1Char('<') + (node->parent() ? node->parent()->text(0) : QString());
    return shape;
}

// "Name SlfId PrtId Code" of every entry, for compact comparison.
QStringList Numbers(const RCatas &list)
{
    QStringList out;
    for (const RCata &cata : list)
        out << QStringLiteral("%1 %2 %3 %4").arg(cata.Name).arg(cata.SlfId).arg(cata.PrtId).arg(cata.Code);
    return out;
}

} // namespace

class TTreeTest : public QObject
{
    Q_OBJECT

    std::optional<ModulesFixture> m_modules;
private slots:
    void initTestCase()
    {
        m_modules.emplace();
        QVERIFY(TestDb::OpenFresh(QStringLiteral("sqlite"), QStringLiteral("tree")));
    }
    void cleanupTestCase() { m_modules.reset(); }
    void init() { StoreSample(); }

    void fillBuildsFixedNodes()
    {
        Uis::TTreeView tree;
        tree.Fill();
        // "全部" is the only top-level node, selected, holding the categories and then "未分类".
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem *all = tree.topLevelItem(0);
        QCOMPARE(all->text(0), QStringLiteral("全部"));
        QCOMPARE(tree.Selected(), all);
        QCOMPARE(Captions(all), QStringList({"A", "D", "未分类"}));
        QCOMPARE(Captions(all->child(0)), QStringList({"B"}));
        QCOMPARE(Captions(all->child(0)->child(0)), QStringList({"C"}));
        QVERIFY(all->isExpanded());
        QVERIFY(all->child(0)->isExpanded()); // the first child of the root, one level
        QVERIFY(!all->child(0)->child(0)->isExpanded());
        QVERIFY(!tree.rootIsDecorated());

        const RCata *allData = Uis::TTreeView::NodeData(all);
        QCOMPARE(allData->Id, -1);
        QCOMPARE(allData->Code, QStringLiteral("sys-all"));
        QCOMPARE(allData->SlfId, -1);
        const RCata *nulled = Uis::TTreeView::NodeData(all->child(2));
        QCOMPARE(nulled->Code, QStringLiteral("sys-nulled"));
        QCOMPARE(nulled->Path, QStringLiteral("未分类"));
        QCOMPARE(nulled->Id, -1);

        const auto images = [](QTreeWidgetItem *node) {
            const auto *cataNode = static_cast<Uis::TCataNode *>(node);
            return qMakePair(cataNode->ImageIndex, cataNode->SelectedIndex);
        };
        QCOMPARE(images(all), qMakePair(5, 5));
        QCOMPARE(images(all->child(2)), qMakePair(23, 24));
        QCOMPARE(images(all->child(0)->child(0)), qMakePair(23, 24));

        // Every node owns the record read from the database.
        const RCata *c = Uis::TTreeView::NodeData(all->child(0)->child(0)->child(0));
        QCOMPARE(c->Id, 13);
        QCOMPARE(c->Code, QStringLiteral("1.2.3."));
        QCOMPARE(c->Path, QStringLiteral("C"));
    }

    void loadAtTopLevel()
    {
        Uis::TTreeView tree;
        tree.LoadCatas(nullptr);
        QCOMPARE(tree.topLevelItemCount(), 2);
        QCOMPARE(Caption(tree.topLevelItem(0)), QStringLiteral("A"));
        QCOMPARE(Caption(tree.topLevelItem(1)), QStringLiteral("D"));
        QVERIFY(tree.rootIsDecorated());
        QVERIFY(tree.topLevelItem(0)->isExpanded());
        QVERIFY(!tree.topLevelItem(0)->child(0)->isExpanded());
        QCOMPARE(tree.DeepestLevel(), 2);

        // A category whose parent is unknown hangs at the top rather than getting lost.
        RCata orphan;
        orphan.Name = QStringLiteral("孤儿");
        orphan.SlfId = 9;
        orphan.PrtId = 77;
        QCOMPARE(tree.AddCataNode(orphan)->parent(), nullptr);
        RCata child;
        child.Name = QStringLiteral("D的子类");
        child.SlfId = 10;
        child.PrtId = 4;
        QCOMPARE(Caption(tree.AddCataNode(child)->parent()), QStringLiteral("D"));
    }

    void selectByCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("selected");
        QTest::newRow("category") << "1.2." << true << "B";
        QTest::newRow("deepest") << "1.2.3." << true << "C";
        QTest::newRow("without category") << "sys-nulled" << true << "未分类";
        QTest::newRow("all") << "sys-all" << true << "全部";
        QTest::newRow("prefix only") << "1" << false << "D";
        QTest::newRow("unknown") << "9." << false << "D";
        QTest::newRow("empty") << "" << false << "D";
    }
    void selectByCode()
    {
        QFETCH(QString, code);
        QFETCH(bool, found);
        QFETCH(QString, selected);
        Uis::TTreeView tree;
        tree.Fill();
        tree.SetSelected(NodeNamed(tree, QStringLiteral("D")));
        QCOMPARE(tree.SelectByCode(code), found);
        QCOMPARE(Caption(tree.Selected()), selected);
        RCata cata;
        tree.SelectedCata(cata);
        QCOMPARE(cata.Name, selected);
        QCOMPARE(tree.SelectedData(), Uis::TTreeView::NodeData(tree.Selected()));
    }

    void nothingSelected()
    {
        Uis::TTreeView tree;
        tree.LoadCatas(nullptr);
        tree.SetSelected(nullptr);
        RCata cata;
        cata.Name = QStringLiteral("留着");
        cata.Id = 5;
        tree.SelectedCata(cata);
        QCOMPARE(cata.Id, -1);
        QCOMPARE(cata.Name, QStringLiteral("留着"));
        QCOMPARE(tree.SelectedData(), nullptr);
    }

    // Taking the focus makes the first node current without highlighting it: that node is
    // not selected. A click then selects the node clicked.
    void focusSelectsNothing()
    {
        Uis::TTreeView tree;
        tree.LoadCatas(nullptr);
        tree.show();
        QApplication::setActiveWindow(&tree);
        QVERIFY(QTest::qWaitForWindowActive(&tree));
        tree.setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(tree.hasFocus());
        QVERIFY(tree.currentItem());
        QVERIFY(!tree.currentItem()->isSelected());
        QCOMPARE(tree.Selected(), nullptr);
        QCOMPARE(tree.SelectedData(), nullptr);
        RCata cata;
        cata.Id = 5;
        tree.SelectedCata(cata);
        QCOMPARE(cata.Id, -1);

        QTreeWidgetItem *d = NodeNamed(tree, QStringLiteral("D"));
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(d).center());
        QCOMPARE(Caption(tree.Selected()), QStringLiteral("D"));
        tree.SelectedCata(cata);
        QCOMPARE(cata.Id, 14);
    }

    void refreshReselects_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::newRow("without category") << "未分类"
                                          << "未分类";
        QTest::newRow("unchanged code") << "B"
                                        << "B";
        QTest::newRow("all") << "全部"
                             << "全部";
        // C is renumbered meanwhile: its old code is gone, "全部" stays selected.
        QTest::newRow("code changed") << "C"
                                      << "全部";
    }
    void refreshReselects()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        Uis::TTreeView tree;
        tree.Fill();
        tree.SetSelected(NodeNamed(tree, before));
        StoreCatas({Sample[0], Sample[1], {13, "1.2.9.", "C", 3, 2}, Sample[3], {15, "5.", "E", 5, 0}});

        QStringList selections;
        connect(&tree, &Uis::TTreeView::CataSelected, this,
                [&](const RCata &cata) { selections << cata.Code; });
        tree.Refresh();
        QCOMPARE(Caption(tree.Selected()), after);
        // The new category is there, and the last selection the main window hears of is the
        // reselected node.
        QVERIFY(NodeNamed(tree, QStringLiteral("E")));
        QVERIFY(!selections.isEmpty());
        QCOMPARE(selections.last(), tree.SelectedData()->Code);
    }

    void fixedNodesStayOpen()
    {
        Uis::TTreeView tree;
        tree.Fill();
        QTreeWidgetItem *all = tree.topLevelItem(0);
        QTreeWidgetItem *a = NodeNamed(tree, QStringLiteral("A"));
        QTreeWidgetItem *nulled = NodeNamed(tree, QStringLiteral("未分类"));
        tree.collapseItem(all);
        QVERIFY(all->isExpanded());
        // The keyboard's collapse as well.
        tree.SetSelected(all);
        QTest::keyClick(&tree, Qt::Key_Left);
        QVERIFY(all->isExpanded());
        // "未分类" has nothing to show, but it too stays open when asked to close.
        tree.expandItem(nulled);
        tree.collapseItem(nulled);
        QVERIFY(nulled->isExpanded());
        // Stored categories do collapse.
        QVERIFY(a->isExpanded());
        tree.SetSelected(a);
        QTest::keyClick(&tree, Qt::Key_Left);
        QVERIFY(!a->isExpanded());
    }

    void clearNodes()
    {
        Uis::TTreeView tree;
        tree.Fill();
        QCOMPARE(tree.Nodes().size(), 6);
        // A node keeps itself and loses everything below it.
        QTreeWidgetItem *a = NodeNamed(tree, QStringLiteral("A"));
        tree.ClearNodes(a);
        QCOMPARE(a->childCount(), 0);
        QCOMPARE(tree.Nodes().size(), 4);
        QVERIFY(!NodeNamed(tree, QStringLiteral("C")));
        tree.ClearNodes(nullptr);
        QCOMPARE(tree.topLevelItemCount(), 0);
        // Loading again after a full clear puts categories at the true top level, not under a
        // root that is gone.
        tree.LoadCatas(nullptr);
        QCOMPARE(tree.topLevelItemCount(), 2);
    }

    void flattenComputation_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<int>>("parents");
        QTest::addColumn<int>("blank");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("A(B(C)), D") << QStringList{"A", "B", "C", "D"} << QList<int>{-1, 0, 1, -1} << -1
                                    << QStringList{"A 1 0 1.", "B 2 1 1.2.", "C 3 2 1.2.3.", "D 4 0 4."};
        QTest::newRow("B moved to the top")
            << QStringList{"A", "D", "B", "C"} << QList<int>{-1, -1, -1, 2} << -1
            << QStringList{"A 1 0 1.", "D 2 0 2.", "B 3 0 3.", "C 4 3 3.4."};
        QTest::newRow("siblings under one parent")
            << QStringList{"A", "B", "C", "D"} << QList<int>{-1, 0, 0, 2} << -1
            << QStringList{"A 1 0 1.", "B 2 1 1.2.", "C 3 1 1.3.", "D 4 3 1.3.4."};
        QTest::newRow("blank name stops") << QStringList{"A", "  ", "C"} << QList<int>{-1, 0, 1} << 1
                                          << QStringList{"A 1 0 1.", "   2 1 1.2.", " 0 0 "};
        QTest::newRow("empty tree") << QStringList{} << QList<int>{} << -1 << QStringList{};
    }
    void flattenComputation()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<int>, parents);
        QFETCH(int, blank);
        QFETCH(QStringList, expected);
        QList<Uis::TFlatCata> nodes;
        for (int i = 0; i < int(names.size()); ++i) {
            RCata cata;
            cata.Id = 100 + i;
            cata.Name = names[i];
            cata.Code = QStringLiteral(".old.");
            cata.SlfId = 50 - i;
            cata.PrtId = 7;
            nodes.append({cata, parents[i]});
        }
        RCatas list;
        QCOMPARE(Uis::FlattenCatas(nodes, list), blank);
        QCOMPARE(Numbers(list), expected);
        // Ids go through unchanged: they are what the renumbering pass writes by.
        const int filled = blank < 0 ? int(names.size()) : blank + 1;
        for (int i = 0; i < filled; ++i)
            QCOMPARE(list[i].Id, 100 + i);
    }

    void flattenTreeAndRenumber()
    {
        // Moving B (with C) to the top of the tree and storing the result.
        Uis::TTreeView tree;
        tree.LoadCatas(nullptr);
        QVERIFY(tree.MoveNode(NodeNamed(tree, QStringLiteral("B")), nullptr));
        RCatas list;
        QVERIFY(tree.Flatten(list));
        QCOMPARE(Numbers(list), QStringList({"A 1 0 1.", "D 2 0 2.", "B 3 0 3.", "C 4 3 3.4."}));
        // The nodes carry their new numbers too.
        QCOMPARE(Uis::TTreeView::NodeData(NodeNamed(tree, QStringLiteral("C")))->Code,
                 QStringLiteral("3.4."));
        QVERIFY(TCataSet::RenumberCatas(list));

        Uis::TTreeView reread;
        reread.LoadCatas(nullptr);
        QCOMPARE(Captions(reread.invisibleRootItem()), QStringList({"A", "D", "B"}));
        QCOMPARE(Captions(reread.topLevelItem(2)), QStringList({"C"}));
        QCOMPARE(Uis::TTreeView::NodeData(reread.topLevelItem(2)->child(0))->Code, QStringLiteral("3.4."));
        QCOMPARE(Uis::TTreeView::NodeData(reread.topLevelItem(2)->child(0))->Id, 13);
    }

    void flattenRefusesBlankName()
    {
        StoreCatas({Sample[0], {12, "1.2.", " ", 2, 1}, Sample[2], Sample[3]});
        ScriptedPrompter prompts;
        Uis::TTreeView tree;
        tree.LoadCatas(nullptr);
        tree.SetSelected(NodeNamed(tree, QStringLiteral("D")));
        RCatas list;
        QVERIFY(!tree.Flatten(list));
        QCOMPARE(prompts.Texts(), QStringList({"\r\n分类名称不能是空白,必须填写.\t"}));
        QCOMPARE(prompts.History().first().icon, MsgIcon::Warning);
        QCOMPARE(Caption(tree.Selected()), QStringLiteral(" "));
        QCOMPARE(list.size(), 4);
        QCOMPARE(list[3].Name, QString());
        // The nodes after the blank one keep what they had.
        QCOMPARE(Uis::TTreeView::NodeData(NodeNamed(tree, QStringLiteral("D")))->Code, QStringLiteral("4."));
    }

    void dropRule_data()
    {
        QTest::addColumn<QString>("dragged");
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("onto own child") << "A"
                                        << "B" << false;
        QTest::newRow("onto own grandchild") << "A"
                                             << "C" << false;
        QTest::newRow("onto itself") << "B"
                                     << "B" << false;
        QTest::newRow("onto own parent") << "B"
                                         << "A" << false;
        QTest::newRow("onto grandparent") << "C"
                                          << "A" << true;
        QTest::newRow("onto another branch") << "B"
                                             << "D" << true;
        QTest::newRow("top-level onto a sibling") << "D"
                                                  << "A" << true;
        QTest::newRow("top-level onto empty space") << "A"
                                                    << "" << false;
        QTest::newRow("child onto empty space") << "B"
                                                << "" << true;
        QTest::newRow("nothing dragged") << ""
                                         << "A" << false;
    }
    void dropRule()
    {
        QFETCH(QString, dragged);
        QFETCH(QString, target);
        QFETCH(bool, accepted);
        Uis::TTreeView tree;
        tree.LoadCatas(nullptr);
        QTreeWidgetItem *from = NodeNamed(tree, dragged);
        QTreeWidgetItem *to = NodeNamed(tree, target);
        QCOMPARE(Uis::CataDropAccepted(from, to), accepted);
        // A refused move leaves the tree as it was; an accepted one puts the node last under
        // the target, or last at the top.
        const QStringList before = Shape(tree);
        QCOMPARE(tree.MoveNode(from, to), accepted);
        if (!accepted) {
            QCOMPARE(Shape(tree), before);
            return;
        }
        QTreeWidgetItem *parent = to ? to : tree.invisibleRootItem();
        QCOMPARE(from->parent(), to);
        QCOMPARE(parent->child(parent->childCount() - 1), from);
        QCOMPARE(tree.Nodes().size(), 4);
    }
};

PZ_TEST(TTreeTest)
#include "tst_tree.moc"
