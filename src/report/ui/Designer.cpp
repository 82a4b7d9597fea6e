#include "Designer.h"

#include "DataSet.h"
#include "DesignerPanel.h"
#include "DesignerScene.h"
#include "Prompter.h"
#include "ReportEngine.h"
#include "ReportModel.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QActionGroup>
#include <QBuffer>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QScrollArea>
#include <QSplitter>
#include <QTabBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>

using namespace Report;

namespace {

const BandKind BandKindsInMenu[] = {BandKind::ReportTitle,  BandKind::PageHeader,    BandKind::ColumnHeader,
                                    BandKind::GroupHeader,  BandKind::MasterData,    BandKind::GroupFooter,
                                    BandKind::ColumnFooter, BandKind::ReportSummary, BandKind::PageFooter};

// Object names start with the kind, as templates written elsewhere name them ("Text1").
QString NamePrefix(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Text:
        return QStringLiteral("Text");
    case ObjectKind::Line:
        return QStringLiteral("Line");
    case ObjectKind::Rect:
        return QStringLiteral("Rect");
    case ObjectKind::Picture:
        return QStringLiteral("Picture");
    case ObjectKind::Barcode:
        return QStringLiteral("Barcode");
    }
    return QStringLiteral("Object");
}

// [d0.Code]; a field name that is not an identifier takes the quoted form [d0."Field name"].
QString FieldExpression(const QString &dataSet, const QString &field)
{
    static const QRegularExpression identifier(QStringLiteral("^[\\p{L}_$][\\p{L}\\p{N}_$]*$"));
    if (identifier.match(field).hasMatch())
        return QStringLiteral("[%1.%2]").arg(dataSet, field);
    return QStringLiteral("[%1.\"%2\"]").arg(dataSet, field);
}

// The data set an expression from the data tree reads ("d0" of "[d0.Code]").
QString DataSetOfExpression(const QString &expression)
{
    const int dot = expression.indexOf(QLatin1Char('.'));
    if (!expression.startsWith(QLatin1Char('[')) || dot < 0)
        return QString();
    return expression.mid(1, dot - 1);
}

QString CaptionOf(const Band &band)
{
    QString caption = QStringLiteral("%1: %2").arg(BandKindTitle(band.kind), band.name);
    if (band.kind == BandKind::MasterData && !band.dataSet.isEmpty())
        caption += QStringLiteral(" (%1)").arg(band.dataSet);
    if (band.kind == BandKind::GroupHeader && !band.condition.isEmpty())
        caption += QStringLiteral(" [%1]").arg(band.condition);
    return caption;
}

void Warn(const QString &text)
{
    Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"), QStringLiteral("\n%1\t").arg(text),
                          {QStringLiteral("确定")});
}

// Fields are dragged as their expression, which is all a band needs to show them.
class FieldTree : public QTreeWidget
{
public:
    using QTreeWidget::QTreeWidget;

protected:
    QStringList mimeTypes() const override { return {FieldMimeType()}; }
    QMimeData *mimeData(const QList<QTreeWidgetItem *> &items) const override
    {
        if (items.isEmpty() || items.front()->data(0, Qt::UserRole).toString().isEmpty())
            return nullptr;
        const QString expression = items.front()->data(0, Qt::UserRole).toString();
        auto *mime = new QMimeData;
        mime->setData(FieldMimeType(), expression.toUtf8());
        mime->setText(expression);
        return mime;
    }
};

} // namespace

void RunDesigner(TReportEngine &engine, QWidget *parent)
{
    TDesignerFrm designer(engine, parent);
    Prompter().ExecDialog(designer);
}

TDesignerFrm::TDesignerFrm(TReportEngine &engine, QWidget *parent) : QDialog(parent), m_engine(engine)
{
    setObjectName(QStringLiteral("DesignerFrm"));
    setWindowTitle(QStringLiteral("报表设计"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    setSizeGripEnabled(true);
    resize(1000, 700);

    m_undo = new QUndoStack(this);
    m_scene = new DesignScene(this);
    m_view = new DesignView(m_scene);
    m_view->setObjectName(QStringLiteral("viewPage"));
    m_pageTabs = new QTabBar;
    m_pageTabs->setObjectName(QStringLiteral("tabPages"));
    m_tree = new FieldTree;
    m_tree->setObjectName(QStringLiteral("treeData"));
    m_panel = new PropertyPanel;
    m_panel->setObjectName(QStringLiteral("pnlProperties"));
    m_status = new QLabel;
    m_status->setObjectName(QStringLiteral("lblStatus"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    auto *toolBar = new QToolBar;
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    layout->addWidget(toolBar);

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(m_tree);
    auto *centre = new QWidget;
    auto *centreLayout = new QVBoxLayout(centre);
    centreLayout->setContentsMargins(0, 0, 0, 0);
    centreLayout->setSpacing(0);
    centreLayout->addWidget(m_pageTabs);
    centreLayout->addWidget(m_view);
    splitter->addWidget(centre);
    auto *scroll = new QScrollArea;
    scroll->setWidget(m_panel);
    scroll->setWidgetResizable(true);
    splitter->addWidget(scroll);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setStretchFactor(2, 0);
    splitter->setSizes({180, 560, 260});
    layout->addWidget(splitter, 1);
    layout->addWidget(m_status);

    BuildActions();
    auto add = [&](const char *name) {
        if (auto *action = findChild<QAction *>(QLatin1String(name)))
            toolBar->addAction(action);
    };
    add("actNew");
    add("actOpen");
    add("actSave");
    add("actSaveAs");
    toolBar->addSeparator();
    add("actUndo");
    add("actRedo");
    toolBar->addSeparator();
    for (const auto &[kind, action] : m_toolActions)
        toolBar->addAction(action);
    auto *bandButton = new QToolButton;
    bandButton->setObjectName(QStringLiteral("btnAddBand"));
    bandButton->setText(QStringLiteral("添加数据带"));
    bandButton->setPopupMode(QToolButton::InstantPopup);
    auto *bandMenu = new QMenu(bandButton);
    for (const auto &[kind, action] : m_bandActions)
        bandMenu->addAction(action);
    bandButton->setMenu(bandMenu);
    toolBar->addWidget(bandButton);
    add("actDelete");
    toolBar->addSeparator();
    add("actPreview");
    toolBar->addSeparator();
    auto *zoom = new QComboBox;
    zoom->setObjectName(QStringLiteral("cbxZoom"));
    for (int percent : {50, 75, 100, 150, 200})
        zoom->addItem(QStringLiteral("%1%").arg(percent), percent);
    zoom->setCurrentIndex(2);
    toolBar->addWidget(zoom);
    auto applyZoom = [this, zoom] {
        const qreal pixels = zoom->currentData().toInt() / 100.0 * logicalDpiX() / 25.4;
        m_scene->SetPixelsPerMM(pixels);
        m_view->setTransform(QTransform::fromScale(pixels, pixels));
        RebuildKeepingSelection();
    };
    connect(zoom, &QComboBox::currentIndexChanged, this, applyZoom);

    BuildDataTree();

    m_view->onPlace = [this](const QPointF &pos) { return PlaceAt(pos); };
    m_view->onKey = [this](QKeyEvent *event) { return HandleKey(event); };
    m_view->onField = [this](const QString &expression, const QPointF &pos, bool drop) {
        return HandleField(expression, pos, drop);
    };
    connect(m_scene, &QGraphicsScene::selectionChanged, this, [this] { SelectionChanged(); });
    connect(m_scene, &DesignScene::ObjectsDragged, this, Guarded([this] { ObjectsDragged(); }));
    connect(m_scene, &DesignScene::ObjectResized, this, Guarded([this](Object *object, const QRectF &rect) {
                DocumentChange change;
                Object value = *object;
                value.rect = rect;
                change.ChangeObject(Doc(), object, value);
                Push(QStringLiteral("调整大小"), std::move(change));
            }));
    connect(m_scene, &DesignScene::BandResized, this, Guarded([this](Band *band, qreal height) {
                DocumentChange change;
                BandSetup setup = SetupOf(*band);
                setup.height = height;
                change.ChangeBand(Doc(), band, setup);
                Push(QStringLiteral("调整数据带高度"), std::move(change));
            }));
    connect(m_pageTabs, &QTabBar::currentChanged, this, [this](int index) {
        if (m_rebuilding || index < 0)
            return;
        m_page = index;
        Rebuild({});
    });

    m_panel->onObjectEdit = [this](const QString &what, const std::function<void(Object &)> &edit) {
        Guard([&] { EditObjects(what, edit); });
    };
    m_panel->onBandEdit = [this](const QString &what, const std::function<void(BandSetup &)> &edit) {
        Guard([&] { EditBand(what, edit); });
    };
    m_panel->onPageEdit = [this](const QString &what, const std::function<void(PageSetup &)> &edit) {
        Guard([&] { EditPage(what, edit); });
    };
    m_panel->onLoadPicture = [this] { Guard([&] { LoadPicture(); }); };

    applyZoom();
}

TDesignerFrm::~TDesignerFrm()
{
    // The undo commands and the scene, which dies among the children, call back into this
    // window; neither may reach it once its members are gone.
    m_undo->clear();
    disconnect(m_scene, nullptr, this, nullptr);
    m_objectItems.clear();
    m_bandItems.clear();
}

Document &TDesignerFrm::Doc()
{
    return m_engine.Document();
}

void TDesignerFrm::BuildActions()
{
    auto make = [this](const char *name, const QString &text, const QKeySequence &shortcut, auto slot) {
        auto *action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty())
            action->setShortcut(shortcut);
        connect(action, &QAction::triggered, this, Guarded([slot](bool) { slot(); }));
        addAction(action);
        return action;
    };
    m_actNew = make("actNew", QStringLiteral("新建"), QKeySequence::New, [this] { NewReport(); });
    m_actOpen = make("actOpen", QStringLiteral("打开"), QKeySequence::Open, [this] { OpenReport(); });
    m_actSave = make("actSave", QStringLiteral("保存"), QKeySequence::Save, [this] { SaveReport(false); });
    m_actSaveAs = make("actSaveAs", QStringLiteral("另存为"), QKeySequence(), [this] { SaveReport(true); });
    m_actDelete = make("actDelete", QStringLiteral("删除"), QKeySequence(), [this] { DeleteSelection(); });
    m_actPreview =
        make("actPreview", QStringLiteral("预览"), QKeySequence(Qt::CTRL | Qt::Key_P), [this] { Preview(); });

    QAction *undo = m_undo->createUndoAction(this, QStringLiteral("撤销"));
    undo->setObjectName(QStringLiteral("actUndo"));
    undo->setShortcut(QKeySequence::Undo);
    addAction(undo);
    QAction *redo = m_undo->createRedoAction(this, QStringLiteral("重做"));
    redo->setObjectName(QStringLiteral("actRedo"));
    redo->setShortcut(QKeySequence::Redo);
    addAction(redo);

    auto *tools = new QActionGroup(this);
    tools->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    const std::pair<ObjectKind, const char *> kinds[] = {{ObjectKind::Text, "actText"},
                                                         {ObjectKind::Line, "actLine"},
                                                         {ObjectKind::Rect, "actRect"},
                                                         {ObjectKind::Picture, "actPicture"},
                                                         {ObjectKind::Barcode, "actBarcode"}};
    for (const auto &[kind, name] : kinds) {
        auto *action = new QAction(ObjectKindTitle(kind), tools);
        action->setObjectName(QLatin1String(name));
        action->setCheckable(true);
        connect(action, &QAction::toggled, this, Guarded([this, kind = kind](bool on) {
                    if (on)
                        StartPlacing(kind);
                    else if (m_placing && m_placing->kind == kind)
                        m_placing.reset();
                    m_view->viewport()->setCursor(m_placing ? Qt::CrossCursor : Qt::ArrowCursor);
                }));
        m_toolActions.emplace_back(kind, action);
    }

    for (BandKind kind : BandKindsInMenu) {
        auto *action = new QAction(BandKindTitle(kind), this);
        action->setObjectName(QStringLiteral("actBand%1").arg(BandKindName(kind)));
        connect(action, &QAction::triggered, this, Guarded([this, kind](bool) { AddBand(kind); }));
        m_bandActions.emplace_back(kind, action);
    }
}

void TDesignerFrm::BuildDataTree()
{
    m_tree->setHeaderHidden(true);
    m_tree->setDragEnabled(true);
    m_tree->setDragDropMode(QAbstractItemView::DragOnly);
    auto addSet = [this](const QString &name, const QStringList &fields) {
        auto *top = new QTreeWidgetItem(m_tree, {name});
        top->setFlags(Qt::ItemIsEnabled);
        for (const QString &field : fields) {
            auto *item = new QTreeWidgetItem(top, {field});
            item->setData(0, Qt::UserRole, FieldExpression(name, field));
            item->setToolTip(0, FieldExpression(name, field));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled);
        }
        top->setExpanded(true);
    };
    for (const QString &name : m_engine.DataSetNames()) {
        QStringList fields;
        if (const TDataSet *dataSet = m_engine.DataSetByName(name))
            for (int i = 0; i < dataSet->FieldCount(); ++i)
                fields << dataSet->Field(i)->FieldName();
        addSet(name, fields);
    }
    if (!m_engine.UserDataSetName().isEmpty())
        addSet(m_engine.UserDataSetName(), m_engine.UserFieldNames());

    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, Guarded([this](QTreeWidgetItem *item, int) {
                const QString expression = item->data(0, Qt::UserRole).toString();
                if (!expression.isEmpty())
                    InsertField(expression);
            }));
}

// ---- canvas ----

void TDesignerFrm::Rebuild(const Selection &selection)
{
    m_rebuilding = true;
    if (m_pageItem != nullptr) {
        m_scene->removeItem(m_pageItem);
        m_retired.emplace_back(m_pageItem);
        m_pageItem = nullptr;
        QTimer::singleShot(0, this, [this] { m_retired.clear(); });
    }
    m_bandItems.clear();
    m_objectItems.clear();

    Document &doc = Doc();
    // A cleared or empty template still opens with a page to design on.
    if (doc.pages.empty())
        doc.AddPage(doc.UniqueName(QStringLiteral("Page")));
    m_page = std::clamp(m_page, 0, int(doc.pages.size()) - 1);
    while (m_pageTabs->count() > 0)
        m_pageTabs->removeTab(0);
    for (size_t i = 0; i < doc.pages.size(); ++i)
        m_pageTabs->addTab(doc.pages[i]->name.isEmpty() ? QStringLiteral("第%1页").arg(i + 1)
                                                        : doc.pages[i]->name);
    m_pageTabs->setCurrentIndex(m_page);
    m_pageTabs->setVisible(doc.pages.size() > 1);

    Page &page = *doc.pages[size_t(m_page)];
    const QRectF content = page.ContentRect();
    qreal bottom = content.top();
    for (const auto &band : page.bands)
        bottom += BandCaptionMM + band->height;
    const QSizeF printed = page.PrintedSize();
    const QRectF paper(0, 0, printed.width(), std::max(printed.height(), bottom + page.margins.bottom()));
    const QRectF area(content.left(), content.top(), content.width(),
                      std::max(content.height(), bottom - content.top()));
    m_pageItem = new PageItem(paper, area);
    m_scene->addItem(m_pageItem);

    qreal y = content.top();
    for (const auto &band : page.bands) {
        y += BandCaptionMM;
        auto *bandItem = new BandItem(band.get(), content.width(), CaptionOf(*band), m_pageItem);
        bandItem->setPos(content.left(), y);
        // Each band above the next: its lower edge overlaps the next band's caption bar.
        bandItem->setZValue(-qreal(m_bandItems.size()));
        m_bandItems.push_back(bandItem);
        for (const auto &object : band->objects)
            m_objectItems.push_back(new ObjectItem(object.get(), bandItem));
        y += band->height;
    }
    m_scene->setSceneRect(paper.adjusted(-8, -8, 8, 8));

    for (const Object *object : selection.objects)
        if (ObjectItem *item = ItemOf(object))
            item->setSelected(true);
    if (selection.objects.empty())
        for (const Band *band : selection.bands)
            if (BandItem *item = ItemOf(band))
                item->setSelected(true);
    m_rebuilding = false;
    SelectionChanged();
}

void TDesignerFrm::RebuildKeepingSelection()
{
    Rebuild(Selection{SelectedObjects(), SelectedBands()});
}

std::vector<Object *> TDesignerFrm::SelectedObjects() const
{
    std::vector<Object *> objects;
    for (ObjectItem *item : m_objectItems)
        if (item->isSelected())
            objects.push_back(item->GetObject());
    return objects;
}

std::vector<Band *> TDesignerFrm::SelectedBands() const
{
    std::vector<Band *> bands;
    for (BandItem *item : m_bandItems)
        if (item->isSelected())
            bands.push_back(item->GetBand());
    return bands;
}

void TDesignerFrm::Select(const Selection &selection)
{
    m_rebuilding = true;
    m_scene->clearSelection();
    for (const Object *object : selection.objects)
        if (ObjectItem *item = ItemOf(object))
            item->setSelected(true);
    for (const Band *band : selection.bands)
        if (BandItem *item = ItemOf(band))
            item->setSelected(true);
    m_rebuilding = false;
    SelectionChanged();
}

ObjectItem *TDesignerFrm::ItemOf(const Object *object) const
{
    for (ObjectItem *item : m_objectItems)
        if (item->GetObject() == object)
            return item;
    return nullptr;
}

BandItem *TDesignerFrm::ItemOf(const Band *band) const
{
    for (BandItem *item : m_bandItems)
        if (item->GetBand() == band)
            return item;
    return nullptr;
}

void TDesignerFrm::SelectionChanged()
{
    if (m_rebuilding)
        return;
    const auto objects = SelectedObjects();
    const auto bands = SelectedBands();
    if (!objects.empty()) {
        m_panel->ShowObjects(objects);
        const QRectF r = objects.front()->rect;
        m_status->setText(QStringLiteral("%1  左 %2  上 %3  宽 %4  高 %5 mm")
                              .arg(objects.front()->name)
                              .arg(r.left())
                              .arg(r.top())
                              .arg(r.width())
                              .arg(r.height()));
    } else if (!bands.empty()) {
        m_panel->ShowBand(*bands.front(), m_engine.DataSetNames());
        m_status->setText(QStringLiteral("%1  高 %2 mm").arg(bands.front()->name).arg(bands.front()->height));
    } else {
        m_panel->ShowPage(*Doc().pages[size_t(m_page)]);
        m_status->clear();
    }
    UpdateActions();
}

void TDesignerFrm::UpdateActions()
{
    m_actNew->setEnabled(m_engine.DesignerNewEnabled);
    m_actOpen->setEnabled(bool(m_engine.OnDesignerOpen));
    m_actSave->setEnabled(bool(m_engine.OnDesignerSave));
    m_actSaveAs->setEnabled(bool(m_engine.OnDesignerSave));
    m_actDelete->setEnabled(!SelectedObjects().empty() || !SelectedBands().empty());
    const Page &page = *Doc().pages[size_t(m_page)];
    for (const auto &[kind, action] : m_bandActions)
        action->setEnabled(!BandKindIsSingle(kind) || page.FindBand(kind) == nullptr);
}

void TDesignerFrm::Push(const QString &text, DocumentChange change)
{
    if (change.IsEmpty())
        return;
    m_undo->push(new DesignCommand(
        text, std::move(change), [this]() -> Document & { return Doc(); },
        [this](const Selection &selection) { Rebuild(selection); }));
}

// ---- placing and editing ----

void TDesignerFrm::StartPlacing(ObjectKind kind)
{
    Object object;
    object.kind = kind;
    switch (kind) {
    case ObjectKind::Text:
        break;
    case ObjectKind::Line:
        object.rect = QRectF(0, 0, 40, 0);
        break;
    case ObjectKind::Rect:
        object.rect = QRectF(0, 0, 40, 20);
        break;
    case ObjectKind::Barcode:
        object.rect = QRectF(0, 0, 50, 15);
        object.text = QStringLiteral("12345678");
        break;
    case ObjectKind::Picture: {
        QSize size;
        const auto image = AskPicture(&size);
        if (!image) {
            for (const auto &[toolKind, action] : m_toolActions)
                if (toolKind == kind)
                    action->setChecked(false);
            return;
        }
        object.image = *image;
        const qreal width = 30;
        object.rect =
            QRectF(0, 0, width, std::clamp(width * size.height() / std::max(1, size.width()), 1.0, 200.0));
        break;
    }
    }
    m_placing = object;
    m_status->setText(QStringLiteral("单击数据带放置%1").arg(ObjectKindTitle(kind)));
}

bool TDesignerFrm::PlaceAt(const QPointF &scenePos)
{
    if (!m_placing)
        return false;
    BandItem *bandItem = m_view->BandAt(scenePos);
    // A click beside the bands keeps the tool: the object needs a band to live in.
    if (bandItem == nullptr)
        return true;
    Object object = *m_placing;
    object.name = Doc().UniqueName(NamePrefix(object.kind));
    const QPointF at = m_scene->Snap(bandItem->mapFromScene(scenePos));
    object.rect.moveTopLeft(QPointF(std::max<qreal>(0, at.x()), std::max<qreal>(0, at.y())));
    for (const auto &[kind, action] : m_toolActions)
        action->setChecked(false);
    m_placing.reset();

    DocumentChange change;
    change.AddObject(Doc(), bandItem->GetBand(), object);
    Guard([&] { Push(QStringLiteral("插入%1").arg(ObjectKindTitle(object.kind)), std::move(change)); });
    if (object.kind == ObjectKind::Text || object.kind == ObjectKind::Barcode) {
        // What a new text object needs first is its text.
        m_panel->TextEditor()->setFocus();
        m_panel->TextEditor()->selectAll();
    }
    return true;
}

Band *TDesignerFrm::TargetBand() const
{
    const auto bands = SelectedBands();
    if (!bands.empty())
        return bands.front();
    const auto objects = SelectedObjects();
    if (!objects.empty())
        return m_engine.Document().BandOf(objects.front());
    const Page &page = *m_engine.Document().pages[size_t(m_page)];
    if (Band *data = page.FindBand(BandKind::MasterData))
        return data;
    return page.bands.empty() ? nullptr : page.bands.front().get();
}

Band *TDesignerFrm::SelectedDataBand() const
{
    Band *band = nullptr;
    if (const auto bands = SelectedBands(); !bands.empty())
        band = bands.front();
    else if (const auto objects = SelectedObjects(); !objects.empty())
        band = m_engine.Document().BandOf(objects.front());
    if (band != nullptr && band->kind == BandKind::MasterData)
        return band;
    return m_engine.Document().pages[size_t(m_page)]->FindBand(BandKind::MasterData);
}

void TDesignerFrm::InsertField(const QString &expression, Band *band, std::optional<QPointF> at)
{
    if (band == nullptr)
        band = TargetBand();
    if (band == nullptr) {
        Warn(QStringLiteral("请先添加一个数据带。"));
        return;
    }
    Document &doc = Doc();
    Object object;
    object.kind = ObjectKind::Text;
    object.name = doc.UniqueName(NamePrefix(object.kind));
    object.text = expression;
    if (at) {
        object.rect.moveTopLeft(QPointF(std::max<qreal>(0, at->x()), std::max<qreal>(0, at->y())));
    } else {
        // Fields added one after another line up left to right, as a row of a list is read.
        qreal x = 0;
        for (const auto &other : band->objects)
            x = std::max(x, other->rect.right());
        x = m_scene->Snap(x);
        if (x + object.rect.width() > doc.pages[size_t(m_page)]->ContentRect().width())
            x = 0;
        object.rect.moveTopLeft(QPointF(x, 0));
    }

    DocumentChange change;
    // A data band without a data set prints once; the first field dropped into it says which
    // rows it is meant to repeat for.
    const QString dataSet = DataSetOfExpression(expression);
    if (band->kind == BandKind::MasterData && band->dataSet.isEmpty() &&
        m_engine.DataSetNames().contains(dataSet)) {
        BandSetup setup = SetupOf(*band);
        setup.dataSet = dataSet;
        change.ChangeBand(doc, band, setup);
    }
    change.AddObject(doc, band, object);
    Push(QStringLiteral("插入字段"), std::move(change));
    if (Object *added = doc.FindObject(object.name))
        Select(Selection{{added}, {}});
}

void TDesignerFrm::DeleteSelection()
{
    const auto objects = SelectedObjects();
    const auto bands = SelectedBands();
    DocumentChange change;
    change.Remove(Doc(), std::vector<const Object *>(objects.begin(), objects.end()),
                  std::vector<const Band *>(bands.begin(), bands.end()));
    Push(QStringLiteral("删除"), std::move(change));
}

void TDesignerFrm::AddBand(BandKind kind)
{
    Document &doc = Doc();
    const Page &page = *doc.pages[size_t(m_page)];
    if (BandKindIsSingle(kind) && page.FindBand(kind) != nullptr)
        return;
    const int index = BandInsertIndex(page, kind, SelectedDataBand());
    auto band = std::make_unique<Band>(kind);
    band->name = doc.UniqueName(BandKindName(kind));
    if (kind == BandKind::MasterData && !m_engine.DataSetNames().isEmpty())
        band->dataSet = m_engine.DataSetNames().front();
    DocumentChange change;
    change.AddBand(m_page, index, std::move(band));
    Push(QStringLiteral("添加%1").arg(BandKindTitle(kind)), std::move(change));
}

bool TDesignerFrm::HandleKey(QKeyEvent *event)
{
    const int key = event->key();
    if (key == Qt::Key_Delete) {
        DeleteSelection();
        return true;
    }
    if (key == Qt::Key_Escape) {
        // Escape must not close the designer: it drops the tool, or else the selection.
        if (m_placing) {
            for (const auto &[kind, action] : m_toolActions)
                action->setChecked(false);
            m_placing.reset();
        } else {
            m_scene->clearSelection();
        }
        return true;
    }
    qreal dx = 0, dy = 0;
    const qreal step = m_scene->Grid();
    switch (key) {
    case Qt::Key_Left:
        dx = -step;
        break;
    case Qt::Key_Right:
        dx = step;
        break;
    case Qt::Key_Up:
        dy = -step;
        break;
    case Qt::Key_Down:
        dy = step;
        break;
    default:
        return false;
    }
    const bool resize = event->modifiers() & Qt::ShiftModifier;
    Document &doc = Doc();
    DocumentChange change;
    const auto objects = SelectedObjects();
    if (!objects.empty()) {
        for (const Object *object : objects) {
            Object value = *object;
            if (resize) {
                const qreal least = object->kind == ObjectKind::Line ? 0 : step;
                value.rect.setWidth(std::max(least, value.rect.width() + dx));
                value.rect.setHeight(std::max(least, value.rect.height() + dy));
            } else {
                value.rect.translate(dx, dy);
            }
            if (!(value == *object))
                change.ChangeObject(doc, object, value);
        }
        Push(resize ? QStringLiteral("调整大小") : QStringLiteral("移动"), std::move(change));
        return true;
    }
    const auto bands = SelectedBands();
    if (!bands.empty() && resize && dy != 0) {
        for (const Band *band : bands) {
            BandSetup setup = SetupOf(*band);
            setup.height = std::max(step, setup.height + dy);
            change.ChangeBand(doc, band, setup);
        }
        Push(QStringLiteral("调整数据带高度"), std::move(change));
        return true;
    }
    return false;
}

bool TDesignerFrm::HandleField(const QString &expression, const QPointF &scenePos, bool drop)
{
    BandItem *bandItem = m_view->BandAt(scenePos);
    if (bandItem == nullptr)
        return false;
    if (drop)
        Guard([&] {
            InsertField(expression, bandItem->GetBand(), m_scene->Snap(bandItem->mapFromScene(scenePos)));
        });
    return true;
}

void TDesignerFrm::ObjectsDragged()
{
    Document &doc = Doc();
    DocumentChange change;
    for (ObjectItem *item : m_objectItems) {
        if (!item->isSelected())
            continue;
        QRectF rect = item->CurrentRect();
        if (rect == item->GetObject()->rect)
            continue;
        // The band under the object's centre takes it; dropped beside every band, it stays.
        BandItem *target = m_view->BandAt(item->mapToScene(QRectF(QPointF(0, 0), rect.size()).center()));
        if (target != nullptr && target != item->Owner())
            rect.moveTopLeft(m_scene->Snap(target->mapFromScene(item->scenePos())));
        Object value = *item->GetObject();
        value.rect = rect;
        change.MoveObject(doc, item->GetObject(), target ? target->GetBand() : nullptr, value);
    }
    Push(QStringLiteral("移动"), std::move(change));
}

bool TDesignerFrm::NameIsFree(const QString &name, const void *owner) const
{
    if (name.isEmpty())
        return false;
    const Document &doc = m_engine.Document();
    if (const Object *object = doc.FindObject(name); object != nullptr && object != owner)
        return false;
    if (const Band *band = doc.FindBand(name); band != nullptr && band != owner)
        return false;
    for (const auto &page : doc.pages)
        if (page->name == name && page.get() != owner)
            return false;
    return true;
}

void TDesignerFrm::EditObjects(const QString &what, const std::function<void(Object &)> &edit)
{
    Document &doc = Doc();
    DocumentChange change;
    for (const Object *object : SelectedObjects()) {
        Object value = *object;
        edit(value);
        if (value.name != object->name && !NameIsFree(value.name, object)) {
            Warn(QStringLiteral("名称\"%1\"为空或已被使用。").arg(value.name));
            SelectionChanged();
            return;
        }
        if (!(value == *object))
            change.ChangeObject(doc, object, value);
    }
    Push(what, std::move(change));
}

void TDesignerFrm::EditBand(const QString &what, const std::function<void(BandSetup &)> &edit)
{
    Document &doc = Doc();
    DocumentChange change;
    for (const Band *band : SelectedBands()) {
        BandSetup setup = SetupOf(*band);
        edit(setup);
        if (setup.name != band->name && !NameIsFree(setup.name, band)) {
            Warn(QStringLiteral("名称\"%1\"为空或已被使用。").arg(setup.name));
            SelectionChanged();
            return;
        }
        if (!(setup == SetupOf(*band)))
            change.ChangeBand(doc, band, setup);
    }
    Push(what, std::move(change));
}

void TDesignerFrm::EditPage(const QString &what, const std::function<void(PageSetup &)> &edit)
{
    Document &doc = Doc();
    const Page &page = *doc.pages[size_t(m_page)];
    PageSetup setup = SetupOf(page);
    edit(setup);
    if (setup.name != page.name && !setup.name.isEmpty() && !NameIsFree(setup.name, &page)) {
        Warn(QStringLiteral("名称\"%1\"已被使用。").arg(setup.name));
        SelectionChanged();
        return;
    }
    if (setup == SetupOf(page))
        return;
    DocumentChange change;
    change.ChangePage(doc, m_page, setup);
    Push(what, std::move(change));
}

std::optional<QByteArray> TDesignerFrm::AskPicture(QSize *size)
{
    const QString path = Prompter().OpenFileName(
        QStringLiteral("打开图片"), QStringLiteral("图片文件|*.png;*.jpg;*.jpeg;*.bmp;*.gif|所有文件|*.*"));
    if (path.isEmpty())
        return std::nullopt;
    QFile file(path);
    QByteArray bytes;
    if (file.open(QIODevice::ReadOnly))
        bytes = file.readAll();
    QImage image;
    if (bytes.isEmpty() || !image.loadFromData(bytes)) {
        Warn(QStringLiteral("无法读取图片文件\"%1\"。").arg(path));
        return std::nullopt;
    }
    QBuffer buffer(&bytes);
    const QByteArray format = QImageReader::imageFormat(&buffer);
    // Templates keep PNG or JPEG only; anything else is stored as PNG.
    if (format != "png" && format != "jpeg") {
        QByteArray png;
        QBuffer out(&png);
        out.open(QIODevice::WriteOnly);
        image.save(&out, "PNG");
        bytes = png;
    }
    *size = image.size();
    return bytes;
}

void TDesignerFrm::LoadPicture()
{
    QSize size;
    const auto image = AskPicture(&size);
    if (!image)
        return;
    EditObjects(QStringLiteral("载入图片"), [&](Object &object) {
        if (object.kind == ObjectKind::Picture)
            object.image = *image;
    });
}

// ---- commands answered by the caller ----

void TDesignerFrm::CommitPendingEdit()
{
    // A toolbar click leaves the focus where it was, so the typed value has not been taken yet.
    QWidget *focus = focusWidget();
    if (focus == nullptr || !m_panel->isAncestorOf(focus))
        return;
    if (auto *edit = qobject_cast<QLineEdit *>(focus); edit != nullptr && edit->isModified())
        emit edit->editingFinished();
    else if (auto *spin = qobject_cast<QAbstractSpinBox *>(focus))
        spin->interpretText();
}

void TDesignerFrm::AfterDocumentReplaced()
{
    // The history speaks of places in the template that is gone.
    m_undo->clear();
    m_page = 0;
    for (const auto &[kind, action] : m_toolActions)
        action->setChecked(false);
    m_placing.reset();
    Rebuild({});
}

void TDesignerFrm::OpenReport()
{
    CommitPendingEdit();
    if (m_engine.OnDesignerOpen && m_engine.OnDesignerOpen(m_engine))
        AfterDocumentReplaced();
}

void TDesignerFrm::SaveReport(bool saveAs)
{
    CommitPendingEdit();
    if (!m_engine.OnDesignerSave)
        return;
    if (m_engine.OnDesignerSave(m_engine, saveAs) && !saveAs)
        m_undo->setClean();
}

void TDesignerFrm::NewReport()
{
    if (!m_engine.DesignerNewEnabled)
        return;
    m_engine.Clear();
    AfterDocumentReplaced();
}

void TDesignerFrm::Preview()
{
    CommitPendingEdit();
    m_engine.ShowPreview(this);
}
