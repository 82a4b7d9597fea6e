// The report designer driven like a user would: the window is shown through the scripted
// prompter, and mouse clicks, keys and typed values go to its real canvas, data tree and
// property panel. Every check reads the engine's template, and the end-to-end test prints it.

#include "DataSet.h"
#include "Designer.h"
#include "DesignerEdit.h"
#include "DesignerPanel.h"
#include "DesignerScene.h"
#include "ReportEngine.h"
#include "ReportModel.h"
#include "ReportWindows.h"
#include "ScriptedPrompter.h"
#include "TestMain.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTreeWidget>
#include <QUndoStack>

#include <algorithm>

using namespace Report;

namespace {

std::unique_ptr<TDataSet> Archives(int rows)
{
    auto ds = std::make_unique<TDataSet>();
    ds->AddField(FieldKind::String, QStringLiteral("Code"), 20);
    ds->AddField(FieldKind::WideString, QStringLiteral("Name"), 100);
    ds->BeginLoad();
    for (int i = 1; i <= rows; ++i) {
        const QVariant values[] = {QStringLiteral("A-%1").arg(i, 4, 10, QLatin1Char('0')),
                                   QStringLiteral("Archive %1").arg(i)};
        ds->LoadRow(values);
    }
    ds->EndLoad();
    return ds;
}

// An engine as the runner sets it up: "d0" bound, the user data set "u" with two variables.
struct Setup
{
    std::unique_ptr<TDataSet> archives = Archives(3);
    TReportEngine engine;
    Setup()
    {
        engine.AddDataSet(QStringLiteral("d0"), archives.get());
        engine.SetUserDataSet(
            QStringLiteral("u"), {QStringLiteral("u_Company"), QStringLiteral("u_Operator")},
            [](const QString &field) { return QVariant(QStringLiteral("<%1>").arg(field)); });
    }
};

Object *AddObject(Band &band, const QString &name, const QRectF &rect, const QString &text = QString())
{
    Object *object = band.AddObject(ObjectKind::Text, name);
    object->rect = rect;
    object->text = text;
    return object;
}

// Shows the designer over the engine and runs `body` while it is open.
void Design(TReportEngine &engine, ScriptedPrompter &prompter,
            const std::function<void(TDesignerFrm &)> &body)
{
    prompter.OnDialog([&](QDialog &dialog) {
        auto *designer = qobject_cast<TDesignerFrm *>(&dialog);
        if (designer != nullptr)
            body(*designer);
        return int(QDialog::Accepted);
    });
    engine.ShowDesigner(nullptr);
}

QPoint ViewPoint(TDesignerFrm &designer, const QPointF &scenePos)
{
    designer.View()->ensureVisible(QRectF(scenePos, QSizeF(1, 1)), 20, 20);
    return designer.View()->mapFromScene(scenePos);
}

void Click(TDesignerFrm &designer, const QPointF &scenePos, Qt::KeyboardModifiers modifiers = {})
{
    QTest::mouseClick(designer.View()->viewport(), Qt::LeftButton, modifiers, ViewPoint(designer, scenePos));
}

// A point of a band's strip given in the band's millimetres.
QPointF InBand(TDesignerFrm &designer, const Band *band, const QPointF &mm)
{
    return designer.ItemOf(band)->mapToScene(mm);
}

QPointF CentreOf(TDesignerFrm &designer, const Object *object)
{
    return designer.ItemOf(object)->mapToScene(QRectF(QPointF(0, 0), object->rect.size()).center());
}

QAction *Action(TDesignerFrm &designer, const char *name)
{
    return designer.findChild<QAction *>(QLatin1String(name));
}

template <class W> W *Control(TDesignerFrm &designer, const char *name)
{
    return designer.findChild<W *>(QLatin1String(name));
}

// Replaces the editor's text and presses Return. Chinese arrives as an input method's commit,
// as it does from a real keyboard.
void Type(QWidget *editor, const QString &text)
{
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    const bool ascii = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
    if (ascii) {
        QTest::keyClicks(editor, text);
    } else {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(editor, &commit);
    }
    QTest::keyClick(editor, Qt::Key_Return);
}

// A click on the box itself: a check box without a text is no wider than that.
void Tick(QCheckBox *box)
{
    QStyleOptionButton option;
    option.initFrom(box);
    const QRect indicator = box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, indicator.center());
}

// A widget's double click as the window system delivers it: press, release, double click.
void DoubleClick(QTreeWidget *tree, QTreeWidgetItem *item)
{
    const QPoint at = tree->visualItemRect(item).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, at);
}

QTreeWidgetItem *TreeItem(QTreeWidget *tree, const QString &set, const QString &field)
{
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        QTreeWidgetItem *top = tree->topLevelItem(i);
        if (top->text(0) != set)
            continue;
        for (int j = 0; j < top->childCount(); ++j)
            if (top->child(j)->text(0) == field)
                return top->child(j);
    }
    return nullptr;
}

QStringList AllTexts(const TReportEngine &engine)
{
    QStringList texts;
    for (int page = 0; page < engine.PageCount(); ++page)
        texts << engine.PageTexts(page);
    return texts;
}

} // namespace

class TestDesigner : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallReportWindows(); }
    // Each tool places its kind of object where the band is clicked; a click beside the bands
    // places nothing and keeps the tool.
    void toolPlacesObjectInBand_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("name");
        QTest::newRow("text") << "actText" << int(ObjectKind::Text) << "Text1";
        QTest::newRow("line") << "actLine" << int(ObjectKind::Line) << "Line1";
        QTest::newRow("rectangle") << "actRect" << int(ObjectKind::Rect) << "Rect1";
        QTest::newRow("barcode") << "actBarcode" << int(ObjectKind::Barcode) << "Barcode1";
    }
    void toolPlacesObjectInBand()
    {
        QFETCH(QString, tool);
        QFETCH(int, kind);
        QFETCH(QString, name);
        Setup setup;
        Page &page = *setup.engine.Document().pages.front();
        Band *header = page.AddBand(BandKind::PageHeader, QStringLiteral("PageHeader1"));
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d0");
        data->height = 20;

        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            QAction *action = designer.findChild<QAction *>(tool);
            QVERIFY(action);
            action->trigger();
            QVERIFY(action->isChecked());
            // The top margin of the paper: no band there.
            Click(designer, QPointF(50, 3));
            QVERIFY(action->isChecked());
            Click(designer, InBand(designer, data, QPointF(20.2, 3.9)));
            QVERIFY(!action->isChecked());
            QCOMPARE(data->objects.size(), size_t(1));
            const Object &placed = *data->objects.front();
            QCOMPARE(int(placed.kind), kind);
            QCOMPARE(placed.name, name);
            QCOMPARE(placed.rect.topLeft(), QPointF(20, 4));
            QVERIFY(header->objects.empty());
            QCOMPARE(designer.SelectedObjects(), std::vector<Object *>{data->objects.front().get()});
        });
        QCOMPARE(prompter.Dialogs(), QStringList{QStringLiteral("TDesignerFrm")});
    }

    // A new text object takes its text from the panel, where the focus waits for it.
    void newTextTakesTypedText()
    {
        Setup setup;
        Band *data = setup.engine.Document().pages.front()->AddBand(BandKind::MasterData,
                                                                    QStringLiteral("MasterData1"));
        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            Action(designer, "actText")->trigger();
            Click(designer, InBand(designer, data, QPointF(2, 2)));
            QCOMPARE(data->objects.size(), size_t(1));
            auto *text = Control<QLineEdit>(designer, "edtText");
            Type(text, QStringLiteral("合计"));
            QCOMPARE(data->objects.front()->text, QStringLiteral("合计"));
            QCOMPARE(designer.UndoStack()->count(), 2);
        });
    }

    // Double-clicking a field puts "[set.field]" into the first data band (binding a band that
    // has no data set yet) and lines fields up left to right; the user data set's fields too.
    // Dropping a field puts it where it is dropped, in the band under the point.
    void fieldsFromDataTree()
    {
        Setup setup;
        Page &page = *setup.engine.Document().pages.front();
        Band *header = page.AddBand(BandKind::PageHeader, QStringLiteral("PageHeader1"));
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            QTreeWidget *tree = designer.DataTree();
            QTreeWidgetItem *code = TreeItem(tree, QStringLiteral("d0"), QStringLiteral("Code"));
            QTreeWidgetItem *name = TreeItem(tree, QStringLiteral("d0"), QStringLiteral("Name"));
            QTreeWidgetItem *company = TreeItem(tree, QStringLiteral("u"), QStringLiteral("u_Company"));
            QVERIFY(code && name && company);

            DoubleClick(tree, code);
            QCOMPARE(data->objects.size(), size_t(1));
            QCOMPARE(data->objects[0]->text, QStringLiteral("[d0.Code]"));
            QCOMPARE(data->objects[0]->rect.topLeft(), QPointF(0, 0));
            QCOMPARE(data->dataSet, QStringLiteral("d0"));

            DoubleClick(tree, company);
            QCOMPARE(data->objects.size(), size_t(2));
            QCOMPARE(data->objects[1]->text, QStringLiteral("[u.u_Company]"));
            QCOMPARE(data->objects[1]->rect.left(), data->objects[0]->rect.right());

            // The drag carries what the tree itself hands out.
            std::unique_ptr<QMimeData> mime(tree->model()->mimeData({tree->indexFromItem(name)}));
            QVERIFY(mime);
            const QPoint at = ViewPoint(designer, InBand(designer, header, QPointF(30.3, 2)));
            QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            QApplication::sendEvent(designer.View()->viewport(), &enter);
            QDragMoveEvent move(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            QApplication::sendEvent(designer.View()->viewport(), &move);
            QVERIFY(move.isAccepted());
            QDropEvent drop(at, Qt::CopyAction, mime.get(), Qt::LeftButton, {});
            QApplication::sendEvent(designer.View()->viewport(), &drop);
            QCOMPARE(header->objects.size(), size_t(1));
            QCOMPARE(header->objects[0]->text, QStringLiteral("[d0.Name]"));
            QCOMPARE(header->objects[0]->rect.topLeft(), QPointF(30, 2));
            QCOMPARE(data->objects.size(), size_t(2));

            // Three insertions, and the band's binding went with the first.
            QCOMPARE(designer.UndoStack()->count(), 3);
            designer.UndoStack()->undo();
            designer.UndoStack()->undo();
            designer.UndoStack()->undo();
            QVERIFY(data->objects.empty());
            QVERIFY(data->dataSet.isEmpty());
        });
    }

    // Arrows move the selection by one grid step, Shift+arrows resize it; undo puts it back.
    void keysMoveAndResize_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<QRectF>("expected");
        QTest::newRow("right") << int(Qt::Key_Right) << false << QRectF(11, 2, 40, 6);
        QTest::newRow("left") << int(Qt::Key_Left) << false << QRectF(9, 2, 40, 6);
        QTest::newRow("down") << int(Qt::Key_Down) << false << QRectF(10, 3, 40, 6);
        QTest::newRow("up") << int(Qt::Key_Up) << false << QRectF(10, 1, 40, 6);
        QTest::newRow("wider") << int(Qt::Key_Right) << true << QRectF(10, 2, 41, 6);
        QTest::newRow("narrower") << int(Qt::Key_Left) << true << QRectF(10, 2, 39, 6);
        QTest::newRow("taller") << int(Qt::Key_Down) << true << QRectF(10, 2, 40, 7);
        QTest::newRow("lower") << int(Qt::Key_Up) << true << QRectF(10, 2, 40, 5);
    }
    void keysMoveAndResize()
    {
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(QRectF, expected);
        Setup setup;
        Band *data = setup.engine.Document().pages.front()->AddBand(BandKind::MasterData,
                                                                    QStringLiteral("MasterData1"));
        data->height = 12;
        Object *first = AddObject(*data, QStringLiteral("Text1"), QRectF(10, 2, 40, 6));
        AddObject(*data, QStringLiteral("Text2"), QRectF(60, 2, 40, 6));
        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            Click(designer, CentreOf(designer, first));
            QCOMPARE(designer.SelectedObjects(), std::vector<Object *>{first});
            QTest::keyClick(designer.View(), Qt::Key(key), shift ? Qt::ShiftModifier : Qt::NoModifier);
            QCOMPARE(data->objects[0]->rect, expected);
            QCOMPARE(data->objects[1]->rect, QRectF(60, 2, 40, 6));
            QTest::keyClick(designer.View(), Qt::Key(key), shift ? Qt::ShiftModifier : Qt::NoModifier);
            designer.UndoStack()->undo();
            QCOMPARE(data->objects[0]->rect, expected);
            designer.UndoStack()->undo();
            QCOMPARE(data->objects[0]->rect, QRectF(10, 2, 40, 6));
        });
    }

    // Delete takes out the selected objects and bands (a band with its objects); undo brings
    // back exactly the template there was, redo exactly the template without them.
    void deleteUndoRedo()
    {
        Setup setup;
        Document &doc = setup.engine.Document();
        Page &page = *doc.pages.front();
        Band *title = page.AddBand(BandKind::ReportTitle, QStringLiteral("ReportTitle1"));
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->dataSet = QStringLiteral("d0");
        Band *footer = page.AddBand(BandKind::PageFooter, QStringLiteral("PageFooter1"));
        AddObject(*title, QStringLiteral("Title"), QRectF(0, 0, 100, 8), QStringLiteral("Archives"));
        Object *code =
            AddObject(*data, QStringLiteral("Code"), QRectF(0, 0, 30, 6), QStringLiteral("[d0.Code]"));
        AddObject(*data, QStringLiteral("Name"), QRectF(30, 0, 60, 6), QStringLiteral("[d0.Name]"));
        Object *pageNo =
            AddObject(*footer, QStringLiteral("PageNo"), QRectF(150, 0, 30, 6), QStringLiteral("[Page#]"));
        const QByteArray original = doc.SaveToXml();

        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            Click(designer, CentreOf(designer, code));
            Click(designer, CentreOf(designer, pageNo), Qt::ControlModifier);
            QCOMPARE(designer.SelectedObjects().size(), size_t(2));
            QTest::keyClick(designer.View(), Qt::Key_Delete);
            QCOMPARE(doc.FindObject(QStringLiteral("Code")), nullptr);
            QCOMPARE(doc.FindObject(QStringLiteral("PageNo")), nullptr);
            QVERIFY(doc.FindObject(QStringLiteral("Name")));
            const QByteArray withoutTwo = doc.SaveToXml();

            designer.UndoStack()->undo();
            QCOMPARE(doc.SaveToXml(), original);
            QCOMPARE(designer.SelectedObjects().size(), size_t(2));
            designer.UndoStack()->redo();
            QCOMPARE(doc.SaveToXml(), withoutTwo);

            // The band is picked by its caption bar.
            Click(designer, InBand(designer, doc.FindBand(QStringLiteral("MasterData1")), QPointF(50, -2)));
            QCOMPARE(designer.SelectedBands().size(), size_t(1));
            QVERIFY(Action(designer, "actDelete")->isEnabled());
            Action(designer, "actDelete")->trigger();
            QCOMPARE(doc.FindBand(QStringLiteral("MasterData1")), nullptr);
            QCOMPARE(doc.FindObject(QStringLiteral("Name")), nullptr);
            QCOMPARE(page.bands.size(), size_t(2));

            designer.UndoStack()->undo();
            QCOMPARE(doc.SaveToXml(), withoutTwo);
            designer.UndoStack()->undo();
            QCOMPARE(doc.SaveToXml(), original);
            designer.UndoStack()->redo();
            designer.UndoStack()->redo();
            QCOMPARE(page.bands.size(), size_t(2));
            QCOMPARE(page.bands[1]->objects.size(), size_t(0));
        });
    }

    // Dragging with the mouse: the body moves the object (to another band when let go over
    // it), a corner handle resizes it, the band's lower edge stretches the band; all snap to
    // the millimetre grid.
    void mouseMovesAndResizes()
    {
        Setup setup;
        Document &doc = setup.engine.Document();
        Page &page = *doc.pages.front();
        Band *header = page.AddBand(BandKind::PageHeader, QStringLiteral("PageHeader1"));
        header->height = 15;
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        data->height = 15;
        AddObject(*header, QStringLiteral("Text1"), QRectF(10, 2, 40, 6));

        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            QWidget *viewport = designer.View()->viewport();
            auto drag = [&](const QPointF &from, const QPointF &to) {
                const QPoint a = ViewPoint(designer, from);
                const QPoint b = designer.View()->mapFromScene(to);
                QTest::mousePress(viewport, Qt::LeftButton, {}, a);
                QTest::mouseMove(viewport, (a + b) / 2);
                QTest::mouseMove(viewport, b);
                QTest::mouseRelease(viewport, Qt::LeftButton, {}, b);
            };
            Object *text = header->objects.front().get();
            drag(CentreOf(designer, text), CentreOf(designer, text) + QPointF(5, 2));
            text = header->objects.front().get();
            QCOMPARE(text->rect, QRectF(15, 4, 40, 6));

            // Over the data band it changes bands and keeps its place on the paper.
            drag(CentreOf(designer, text), CentreOf(designer, text) + QPointF(0, 15 + BandCaptionMM));
            QVERIFY(header->objects.empty());
            QCOMPARE(data->objects.size(), size_t(1));
            text = data->objects.front().get();
            QCOMPARE(text->rect, QRectF(15, 4, 40, 6));

            // The object is selected after its move, so its handles are live.
            const QPointF corner = designer.ItemOf(text)->mapToScene(QPointF(40, 6));
            drag(corner, corner + QPointF(10, 2));
            text = data->objects.front().get();
            QCOMPARE(text->rect, QRectF(15, 4, 50, 8));

            const QPointF edge = designer.ItemOf(data)->mapToScene(QPointF(100, 15));
            drag(edge, edge + QPointF(0, 5));
            QCOMPARE(data->height, 20.0);

            designer.UndoStack()->undo();
            QCOMPARE(data->height, 15.0);
            designer.UndoStack()->undo();
            designer.UndoStack()->undo();
            designer.UndoStack()->undo();
            QCOMPARE(header->objects.size(), size_t(1));
            QCOMPARE(header->objects.front()->rect, QRectF(10, 2, 40, 6));
        });
    }

    // What is typed, ticked or chosen in the panel lands in the selected object, band or page,
    // one undo step each.
    void panelEditsReachModel()
    {
        Setup setup;
        Document &doc = setup.engine.Document();
        Page &page = *doc.pages.front();
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        Object *first = AddObject(*data, QStringLiteral("Text1"), QRectF(0, 0, 40, 6));
        AddObject(*data, QStringLiteral("Text2"), QRectF(50, 0, 40, 6));

        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            Click(designer, CentreOf(designer, first));
            Type(Control<QLineEdit>(designer, "edtText"), QStringLiteral("No. [d0.Code]"));
            Type(Control<QDoubleSpinBox>(designer, "spnLeft"), QStringLiteral("12.5"));
            Type(Control<QDoubleSpinBox>(designer, "spnWidth"), QStringLiteral("33"));
            Type(Control<QDoubleSpinBox>(designer, "spnFontSize"), QStringLiteral("14"));
            Tick(Control<QCheckBox>(designer, "chkBold"));
            Tick(Control<QCheckBox>(designer, "chkWordWrap"));
            Tick(Control<QCheckBox>(designer, "chkFrameBottom"));
            Control<QComboBox>(designer, "cbxHAlign")->setCurrentIndex(2);

            Object &text = *data->objects[0];
            QCOMPARE(text.text, QStringLiteral("No. [d0.Code]"));
            QCOMPARE(text.rect, QRectF(12.5, 0, 33, 6));
            QCOMPARE(text.font.size, 14.0);
            QVERIFY(text.font.bold);
            QVERIFY(text.wordWrap);
            QCOMPARE(text.frame, int(FrameBottom));
            QCOMPARE(text.alignment, Qt::AlignRight | Qt::AlignTop);
            QCOMPARE(designer.UndoStack()->count(), 8);

            // Another object's name is refused with a message, and nothing changes.
            Type(Control<QLineEdit>(designer, "edtObjectName"), QStringLiteral("Text2"));
            QCOMPARE(data->objects[0]->name, QStringLiteral("Text1"));
            QCOMPARE(prompter.History().size(), qsizetype(1));
            QVERIFY(prompter.LastText().contains(QStringLiteral("Text2")));
            QCOMPARE(Control<QLineEdit>(designer, "edtObjectName")->text(), QStringLiteral("Text1"));
            QCOMPARE(designer.UndoStack()->count(), 8);

            Click(designer, InBand(designer, data, QPointF(120, -2)));
            QCOMPARE(designer.SelectedBands(), std::vector<Band *>{data});
            Type(Control<QDoubleSpinBox>(designer, "spnBandHeight"), QStringLiteral("9"));
            Tick(Control<QCheckBox>(designer, "chkCanGrow"));
            auto *dataSets = Control<QComboBox>(designer, "cbxDataSet");
            dataSets->setCurrentIndex(dataSets->findData(QStringLiteral("d0")));
            QCOMPARE(data->height, 9.0);
            QVERIFY(data->canGrow);
            QCOMPARE(data->dataSet, QStringLiteral("d0"));

            // With nothing selected the panel edits the page.
            QTest::keyClick(designer.View(), Qt::Key_Escape);
            Type(Control<QDoubleSpinBox>(designer, "spnMarginLeft"), QStringLiteral("25"));
            auto *orientation = Control<QComboBox>(designer, "cbxOrientation");
            orientation->setCurrentIndex(orientation->findData(int(Orientation::Landscape)));
            QCOMPARE(page.margins.left(), 25.0);
            QCOMPARE(page.orientation, Orientation::Landscape);

            QCOMPARE(designer.UndoStack()->count(), 13);
            designer.UndoStack()->undo();
            QCOMPARE(page.orientation, Orientation::Portrait);
        });
    }

    void newCommandFollowsEngine_data()
    {
        QTest::addColumn<bool>("enabled");
        QTest::newRow("disabled") << false;
        QTest::newRow("enabled") << true;
    }
    void newCommandFollowsEngine()
    {
        QFETCH(bool, enabled);
        Setup setup;
        setup.engine.DesignerNewEnabled = enabled;
        Band *data = setup.engine.Document().pages.front()->AddBand(BandKind::MasterData,
                                                                    QStringLiteral("MasterData1"));
        AddObject(*data, QStringLiteral("Text1"), QRectF(0, 0, 40, 6));
        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            QAction *create = Action(designer, "actNew");
            QCOMPARE(create->isEnabled(), enabled);
            create->trigger();
            const auto &pages = setup.engine.Document().pages;
            QCOMPARE(pages.size(), size_t(1));
            QCOMPARE(pages.front()->bands.empty(), enabled);
        });
    }

    // Open and save are the caller's: the designer passes the flag, shows what open loaded
    // with a fresh history, and hands over a value still being typed.
    void openAndSaveReachCaller()
    {
        Setup setup;
        Document &doc = setup.engine.Document();
        Band *data = doc.pages.front()->AddBand(BandKind::MasterData, QStringLiteral("MasterData1"));
        Object *first = AddObject(*data, QStringLiteral("Text1"), QRectF(0, 0, 40, 6));

        Document other;
        AddObject(*other.pages.front()->AddBand(BandKind::ReportTitle, QStringLiteral("Loaded")),
                  QStringLiteral("FromFile"), QRectF(0, 0, 60, 8), QStringLiteral("From the file"));
        const QByteArray file = other.SaveToXml();

        QList<bool> saves;
        QStringList textsAtSave;
        QList<bool> openAnswers = {false, true};
        int opens = 0;
        setup.engine.OnDesignerSave = [&](TReportEngine &engine, bool saveAs) {
            saves << saveAs;
            textsAtSave << engine.Document().pages.front()->bands.front()->objects.front()->text;
            return true;
        };
        setup.engine.OnDesignerOpen = [&](TReportEngine &engine) {
            ++opens;
            const bool chosen = openAnswers.takeFirst();
            if (chosen)
                engine.LoadFromBytes(file);
            return chosen;
        };

        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            QVERIFY(QTest::qWaitForWindowActive(&designer));
            Click(designer, CentreOf(designer, first));
            auto *text = Control<QLineEdit>(designer, "edtText");
            text->setFocus();
            QTest::keyClicks(text, QStringLiteral("typed"));
            Action(designer, "actSave")->trigger();
            Action(designer, "actSaveAs")->trigger();
            QCOMPARE(saves, (QList<bool>{false, true}));
            QCOMPARE(textsAtSave, (QStringList{QStringLiteral("typed"), QStringLiteral("typed")}));
            QVERIFY(designer.UndoStack()->isClean());

            Action(designer, "actOpen")->trigger();
            QCOMPARE(opens, 1);
            QCOMPARE(designer.UndoStack()->count(), 1);
            QVERIFY(designer.ItemOf(data));

            Action(designer, "actOpen")->trigger();
            QCOMPARE(opens, 2);
            QCOMPARE(designer.UndoStack()->count(), 0);
            Band *loaded = setup.engine.Document().FindBand(QStringLiteral("Loaded"));
            QVERIFY(loaded);
            QVERIFY(designer.ItemOf(loaded));
            QVERIFY(designer.ItemOf(loaded->objects.front().get()));
        });
    }

    // The end to end case: a template built in the designer, saved to bytes by the caller,
    // loaded into another engine, prints what was designed; the designer's preview shows it too.
    void designedTemplatePrints()
    {
        Setup setup;
        QByteArray saved;
        setup.engine.OnDesignerSave = [&](TReportEngine &engine, bool) {
            saved = engine.SaveToBytes();
            return true;
        };
        QStringList previewed;
        ScriptedPrompter prompter;
        Design(setup.engine, prompter, [&](TDesignerFrm &designer) {
            designer.findChild<QAction *>(QStringLiteral("actBandReportTitle"))->trigger();
            designer.findChild<QAction *>(QStringLiteral("actBandMasterData"))->trigger();
            const Page &page = *setup.engine.Document().pages.front();
            QCOMPARE(page.bands.size(), size_t(2));
            Band *title = page.bands[0].get();
            Band *data = page.bands[1].get();
            QCOMPARE(title->kind, BandKind::ReportTitle);
            QCOMPARE(data->dataSet, QStringLiteral("d0"));
            QVERIFY(!designer.findChild<QAction *>(QStringLiteral("actBandReportTitle"))->isEnabled());

            Action(designer, "actText")->trigger();
            Click(designer, InBand(designer, title, QPointF(2, 2)));
            Type(Control<QLineEdit>(designer, "edtText"), QStringLiteral("档案清单 [u.u_Company]"));

            QTreeWidget *tree = designer.DataTree();
            Click(designer, InBand(designer, data, QPointF(150, -2)));
            for (const char *field : {"Code", "Name"}) {
                QTreeWidgetItem *item = TreeItem(tree, QStringLiteral("d0"), QLatin1String(field));
                DoubleClick(tree, item);
                Click(designer, InBand(designer, data, QPointF(150, -2)));
            }
            QCOMPARE(data->objects.size(), size_t(2));

            prompter.OnDialog([&](QDialog &) {
                previewed = AllTexts(setup.engine);
                return int(QDialog::Rejected);
            });
            Action(designer, "actPreview")->trigger();
            Action(designer, "actSave")->trigger();
        });
        QCOMPARE(prompter.Dialogs(),
                 (QStringList{QStringLiteral("TDesignerFrm"), QStringLiteral("TReportPreview")}));
        QVERIFY2(previewed.contains(QStringLiteral("档案清单 <u_Company>")), qPrintable(previewed.join('|')));
        QVERIFY(!saved.isEmpty());

        auto archives = Archives(3);
        TReportEngine printer;
        printer.AddDataSet(QStringLiteral("d0"), archives.get());
        printer.SetUserDataSet(QStringLiteral("u"), {QStringLiteral("u_Company")},
                               [](const QString &) { return QVariant(QStringLiteral("青岫")); });
        QString error;
        QVERIFY2(printer.LoadFromBytes(saved, &error), qPrintable(error));
        QVERIFY2(printer.Prepare(&error), qPrintable(error));
        const QStringList texts = AllTexts(printer);
        for (const QString &expected :
             {QStringLiteral("档案清单 青岫"), QStringLiteral("A-0001"), QStringLiteral("Archive 1"),
              QStringLiteral("A-0003"), QStringLiteral("Archive 3")})
            QVERIFY2(texts.contains(expected),
                     qPrintable(expected + QStringLiteral(" not in ") + texts.join('|')));
    }

    // Changes applied and reverted on a plain document: what a revert gives back is the
    // template byte for byte, whatever mix of moves, removals and insertions the change holds.
    void changesRevertExactly_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("remove two of a band") << "remove A1 A3";
        QTest::newRow("swap bands") << "move A2 to B, B1 to A";
        QTest::newRow("band and object") << "remove band B, A1";
        QTest::newRow("change one, remove another") << "change A3, remove A1";
        QTest::newRow("add band") << "add band";
    }
    void changesRevertExactly()
    {
        QFETCH(QString, change);
        Document doc;
        Page &page = *doc.pages.front();
        Band *a = page.AddBand(BandKind::MasterData, QStringLiteral("A"));
        Band *b = page.AddBand(BandKind::PageFooter, QStringLiteral("B"));
        for (int i = 1; i <= 3; ++i)
            AddObject(*a, QStringLiteral("A%1").arg(i), QRectF(i * 10, 0, 10, 5));
        for (int i = 1; i <= 2; ++i)
            AddObject(*b, QStringLiteral("B%1").arg(i), QRectF(i * 10, 0, 10, 5));
        const QByteArray original = doc.SaveToXml();
        auto find = [&](const char *name) { return doc.FindObject(QLatin1String(name)); };

        DocumentChange edit;
        QStringList expectedA, expectedB;
        if (change == QLatin1String("remove A1 A3")) {
            edit.Remove(doc, {find("A1"), find("A3")}, {});
            expectedA = {QStringLiteral("A2")};
            expectedB = {QStringLiteral("B1"), QStringLiteral("B2")};
        } else if (change == QLatin1String("move A2 to B, B1 to A")) {
            Object movedA = *find("A2");
            movedA.rect.moveTop(1);
            Object movedB = *find("B1");
            movedB.rect.moveTop(2);
            const Object *a2 = find("A2");
            const Object *b1 = find("B1");
            edit.MoveObject(doc, a2, b, movedA);
            edit.MoveObject(doc, b1, a, movedB);
            expectedA = {QStringLiteral("A1"), QStringLiteral("A3"), QStringLiteral("B1")};
            expectedB = {QStringLiteral("B2"), QStringLiteral("A2")};
        } else if (change == QLatin1String("remove band B, A1")) {
            edit.Remove(doc, {find("A1"), find("B2")}, {b});
            expectedA = {QStringLiteral("A2"), QStringLiteral("A3")};
        } else if (change == QLatin1String("change A3, remove A1")) {
            Object changed = *find("A3");
            changed.name = QStringLiteral("A3b");
            edit.ChangeObject(doc, find("A3"), changed);
            edit.Remove(doc, {find("A1")}, {});
            expectedA = {QStringLiteral("A2"), QStringLiteral("A3b")};
            expectedB = {QStringLiteral("B1"), QStringLiteral("B2")};
        } else {
            auto header = std::make_unique<Band>(BandKind::GroupHeader);
            header->name = QStringLiteral("G");
            header->objects.push_back(std::make_unique<Object>());
            edit.AddBand(0, 1, std::move(header));
            expectedA = {QStringLiteral("A1"), QStringLiteral("A2"), QStringLiteral("A3")};
            expectedB = {QStringLiteral("B1"), QStringLiteral("B2")};
        }

        auto names = [&](const char *band) {
            QStringList result;
            if (const Band *found = doc.FindBand(QLatin1String(band)))
                for (const auto &object : found->objects)
                    result << object->name;
            return result;
        };
        for (int round = 0; round < 2; ++round) {
            edit.Apply(doc);
            QCOMPARE(names("A"), expectedA);
            QCOMPARE(names("B"), expectedB);
            edit.Revert(doc);
            QCOMPARE(doc.SaveToXml(), original);
        }
    }

    // Where a new band goes among the bands a page has.
    void bandInsertIndex_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("withData");
        QTest::addColumn<int>("index");
        QTest::newRow("title first") << int(BandKind::ReportTitle) << false << 0;
        QTest::newRow("column header after page header") << int(BandKind::ColumnHeader) << false << 1;
        QTest::newRow("group header before its data") << int(BandKind::GroupHeader) << true << 1;
        QTest::newRow("group footer after its data") << int(BandKind::GroupFooter) << true << 2;
        QTest::newRow("group header without data") << int(BandKind::GroupHeader) << false << 1;
        QTest::newRow("second data after the first") << int(BandKind::MasterData) << false << 2;
        QTest::newRow("summary before page footer") << int(BandKind::ReportSummary) << false << 2;
    }
    void bandInsertIndex()
    {
        QFETCH(int, kind);
        QFETCH(bool, withData);
        QFETCH(int, index);
        Page page;
        page.AddBand(BandKind::PageHeader, QStringLiteral("H"));
        Band *data = page.AddBand(BandKind::MasterData, QStringLiteral("D"));
        page.AddBand(BandKind::PageFooter, QStringLiteral("F"));
        QCOMPARE(BandInsertIndex(page, BandKind(kind), withData ? data : nullptr), index);
    }
};

PZ_TEST(TestDesigner)
#include "tst_designer.moc"
