#include "DesignerPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace Report {

QString BandKindTitle(BandKind kind)
{
    switch (kind) {
    case BandKind::ReportTitle:
        return QStringLiteral("报表标题");
    case BandKind::PageHeader:
        return QStringLiteral("页眉");
    case BandKind::ColumnHeader:
        return QStringLiteral("列头");
    case BandKind::GroupHeader:
        return QStringLiteral("分组头");
    case BandKind::MasterData:
        return QStringLiteral("主数据");
    case BandKind::GroupFooter:
        return QStringLiteral("分组尾");
    case BandKind::ColumnFooter:
        return QStringLiteral("列尾");
    case BandKind::ReportSummary:
        return QStringLiteral("报表汇总");
    case BandKind::PageFooter:
        return QStringLiteral("页脚");
    }
    return QString();
}

QString ObjectKindTitle(ObjectKind kind)
{
    switch (kind) {
    case ObjectKind::Text:
        return QStringLiteral("文本");
    case ObjectKind::Line:
        return QStringLiteral("线条");
    case ObjectKind::Rect:
        return QStringLiteral("矩形");
    case ObjectKind::Picture:
        return QStringLiteral("图片");
    case ObjectKind::Barcode:
        return QStringLiteral("条码");
    }
    return QString();
}

namespace {

const BandKind AllBandKinds[] = {BandKind::ReportTitle,  BandKind::PageHeader,    BandKind::ColumnHeader,
                                 BandKind::GroupHeader,  BandKind::MasterData,    BandKind::GroupFooter,
                                 BandKind::ColumnFooter, BandKind::ReportSummary, BandKind::PageFooter};

const Qt::Alignment HorizontalAlignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight,
                                              Qt::AlignJustify};
const Qt::Alignment VerticalAlignments[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};

QDoubleSpinBox *LengthBox(const QString &name, qreal minimum, qreal maximum, int decimals = 1)
{
    auto *box = new QDoubleSpinBox;
    box->setObjectName(name);
    box->setRange(minimum, maximum);
    box->setDecimals(decimals);
    box->setSuffix(QStringLiteral(" mm"));
    // One edit per finished value, not one per keystroke: each edit is an undo step.
    box->setKeyboardTracking(false);
    return box;
}

QCheckBox *CheckBox(const QString &name, const QString &text)
{
    auto *box = new QCheckBox(text);
    box->setObjectName(name);
    return box;
}

QLineEdit *LineEdit(const QString &name)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

QComboBox *ComboBox(const QString &name)
{
    auto *box = new QComboBox;
    box->setObjectName(name);
    return box;
}

QWidget *Row(std::initializer_list<QWidget *> widgets)
{
    auto *row = new QWidget;
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget *widget : widgets)
        layout->addWidget(widget);
    layout->addStretch();
    return row;
}

int IndexOfAlignment(const Qt::Alignment *table, int count, Qt::Alignment alignment)
{
    for (int i = 0; i < count; ++i)
        if (alignment & table[i])
            return i;
    return 0;
}

} // namespace

PropertyPanel::PropertyPanel(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    m_title = new QLabel;
    m_title->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    layout->addWidget(m_title);
    m_pages = new QStackedWidget;
    layout->addWidget(m_pages);
    layout->addStretch();
    BuildObjectPage();
    BuildBandPage();
    BuildPage();
}

void PropertyPanel::EditObject(const QString &what, const std::function<void(Object &)> &edit)
{
    if (!m_loading && onObjectEdit)
        onObjectEdit(what, edit);
}

void PropertyPanel::EditBand(const QString &what, const std::function<void(BandSetup &)> &edit)
{
    if (!m_loading && onBandEdit)
        onBandEdit(what, edit);
}

void PropertyPanel::EditPage(const QString &what, const std::function<void(PageSetup &)> &edit)
{
    if (!m_loading && onPageEdit)
        onPageEdit(what, edit);
}

void PropertyPanel::BuildObjectPage()
{
    m_objectPage = new QWidget;
    m_objectForm = new QFormLayout(m_objectPage);
    m_objectForm->setContentsMargins(0, 0, 0, 0);

    m_objectName = LineEdit(QStringLiteral("edtObjectName"));
    m_text = LineEdit(QStringLiteral("edtText"));
    m_left = LengthBox(QStringLiteral("spnLeft"), -1000, 2000);
    m_top = LengthBox(QStringLiteral("spnTop"), -1000, 2000);
    m_width = LengthBox(QStringLiteral("spnWidth"), 0, 2000);
    m_height = LengthBox(QStringLiteral("spnHeight"), 0, 2000);
    m_fontFamily = new QFontComboBox;
    m_fontFamily->setObjectName(QStringLiteral("cbxFont"));
    m_fontSize = new QDoubleSpinBox;
    m_fontSize->setObjectName(QStringLiteral("spnFontSize"));
    m_fontSize->setRange(1, 300);
    m_fontSize->setDecimals(1);
    m_fontSize->setKeyboardTracking(false);
    m_bold = CheckBox(QStringLiteral("chkBold"), QStringLiteral("粗体"));
    m_italic = CheckBox(QStringLiteral("chkItalic"), QStringLiteral("斜体"));
    m_underline = CheckBox(QStringLiteral("chkUnderline"), QStringLiteral("下划线"));
    m_fontStyle = Row({m_bold, m_italic, m_underline});
    m_hAlign = ComboBox(QStringLiteral("cbxHAlign"));
    m_hAlign->addItems({QStringLiteral("左对齐"), QStringLiteral("居中"), QStringLiteral("右对齐"),
                        QStringLiteral("两端对齐")});
    m_vAlign = ComboBox(QStringLiteral("cbxVAlign"));
    m_vAlign->addItems({QStringLiteral("顶端"), QStringLiteral("居中"), QStringLiteral("底端")});
    m_wordWrap = CheckBox(QStringLiteral("chkWordWrap"), QString());
    m_frameLeft = CheckBox(QStringLiteral("chkFrameLeft"), QStringLiteral("左"));
    m_frameTop = CheckBox(QStringLiteral("chkFrameTop"), QStringLiteral("上"));
    m_frameRight = CheckBox(QStringLiteral("chkFrameRight"), QStringLiteral("右"));
    m_frameBottom = CheckBox(QStringLiteral("chkFrameBottom"), QStringLiteral("下"));
    m_frame = Row({m_frameLeft, m_frameTop, m_frameRight, m_frameBottom});
    m_lineWidth = LengthBox(QStringLiteral("spnLineWidth"), 0, 10, 2);
    m_lineWidth->setSingleStep(0.1);
    m_format = LineEdit(QStringLiteral("edtFormat"));
    m_loadPicture = new QPushButton(QStringLiteral("载入..."));
    m_loadPicture->setObjectName(QStringLiteral("btnLoadPicture"));
    // Return in a line edit must not press this button.
    m_loadPicture->setAutoDefault(false);
    m_keepAspect = CheckBox(QStringLiteral("chkKeepAspect"), QStringLiteral("保持比例"));
    m_picture = Row({m_loadPicture, m_keepAspect});
    m_showText = CheckBox(QStringLiteral("chkShowText"), QString());

    m_objectForm->addRow(QStringLiteral("名称"), m_objectName);
    m_objectForm->addRow(QStringLiteral("文本"), m_text);
    m_objectForm->addRow(QStringLiteral("左"), m_left);
    m_objectForm->addRow(QStringLiteral("上"), m_top);
    m_objectForm->addRow(QStringLiteral("宽"), m_width);
    m_objectForm->addRow(QStringLiteral("高"), m_height);
    m_objectForm->addRow(QStringLiteral("字体"), m_fontFamily);
    m_objectForm->addRow(QStringLiteral("字号"), m_fontSize);
    m_objectForm->addRow(QStringLiteral("字形"), m_fontStyle);
    m_objectForm->addRow(QStringLiteral("水平对齐"), m_hAlign);
    m_objectForm->addRow(QStringLiteral("垂直对齐"), m_vAlign);
    m_objectForm->addRow(QStringLiteral("自动换行"), m_wordWrap);
    m_objectForm->addRow(QStringLiteral("边框"), m_frame);
    m_objectForm->addRow(QStringLiteral("线宽"), m_lineWidth);
    m_objectForm->addRow(QStringLiteral("显示格式"), m_format);
    m_objectForm->addRow(QStringLiteral("图片"), m_picture);
    m_objectForm->addRow(QStringLiteral("显示文字"), m_showText);
    m_pages->addWidget(m_objectPage);

    connect(m_objectName, &QLineEdit::editingFinished, this, [this] {
        const QString name = m_objectName->text().trimmed();
        EditObject(QStringLiteral("改名"), [name](Object &o) { o.name = name; });
    });
    connect(m_text, &QLineEdit::editingFinished, this, [this] {
        const QString text = m_text->text();
        EditObject(QStringLiteral("修改文本"), [text](Object &o) { o.text = text; });
    });
    connect(m_format, &QLineEdit::editingFinished, this, [this] {
        const QString format = m_format->text();
        EditObject(QStringLiteral("修改显示格式"), [format](Object &o) { o.format = format; });
    });
    connect(m_left, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { EditObject(QStringLiteral("移动"), [v](Object &o) { o.rect.moveLeft(v); }); });
    connect(m_top, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { EditObject(QStringLiteral("移动"), [v](Object &o) { o.rect.moveTop(v); }); });
    connect(m_width, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        EditObject(QStringLiteral("调整大小"), [v](Object &o) { o.rect.setWidth(v); });
    });
    connect(m_height, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        EditObject(QStringLiteral("调整大小"), [v](Object &o) { o.rect.setHeight(v); });
    });
    connect(m_fontFamily, &QFontComboBox::currentFontChanged, this, [this](const QFont &font) {
        const QString family = font.family();
        EditObject(QStringLiteral("修改字体"), [family](Object &o) { o.font.family = family; });
    });
    connect(m_fontSize, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        EditObject(QStringLiteral("修改字号"), [v](Object &o) { o.font.size = v; });
    });
    connect(m_bold, &QCheckBox::toggled, this, [this](bool on) {
        EditObject(QStringLiteral("修改字形"), [on](Object &o) { o.font.bold = on; });
    });
    connect(m_italic, &QCheckBox::toggled, this, [this](bool on) {
        EditObject(QStringLiteral("修改字形"), [on](Object &o) { o.font.italic = on; });
    });
    connect(m_underline, &QCheckBox::toggled, this, [this](bool on) {
        EditObject(QStringLiteral("修改字形"), [on](Object &o) { o.font.underline = on; });
    });
    connect(m_hAlign, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        const Qt::Alignment h = HorizontalAlignments[index];
        EditObject(QStringLiteral("对齐"),
                   [h](Object &o) { o.alignment = (o.alignment & ~Qt::AlignHorizontal_Mask) | h; });
    });
    connect(m_vAlign, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        const Qt::Alignment v = VerticalAlignments[index];
        EditObject(QStringLiteral("对齐"),
                   [v](Object &o) { o.alignment = (o.alignment & ~Qt::AlignVertical_Mask) | v; });
    });
    connect(m_wordWrap, &QCheckBox::toggled, this, [this](bool on) {
        EditObject(QStringLiteral("自动换行"), [on](Object &o) { o.wordWrap = on; });
    });
    const std::pair<QCheckBox *, int> sides[] = {{m_frameLeft, FrameLeft},
                                                 {m_frameTop, FrameTop},
                                                 {m_frameRight, FrameRight},
                                                 {m_frameBottom, FrameBottom}};
    for (const auto &[box, side] : sides)
        connect(box, &QCheckBox::toggled, this, [this, side = side](bool on) {
            EditObject(QStringLiteral("边框"),
                       [on, side](Object &o) { o.frame = on ? o.frame | side : o.frame & ~side; });
        });
    connect(m_lineWidth, &QDoubleSpinBox::valueChanged, this,
            [this](double v) { EditObject(QStringLiteral("线宽"), [v](Object &o) { o.lineWidth = v; }); });
    connect(m_keepAspect, &QCheckBox::toggled, this, [this](bool on) {
        EditObject(QStringLiteral("保持比例"), [on](Object &o) { o.keepAspect = on; });
    });
    connect(m_showText, &QCheckBox::toggled, this, [this](bool on) {
        EditObject(QStringLiteral("显示文字"), [on](Object &o) { o.showText = on; });
    });
    connect(m_loadPicture, &QPushButton::clicked, this, [this] {
        if (onLoadPicture)
            onLoadPicture();
    });
}

void PropertyPanel::BuildBandPage()
{
    m_bandPage = new QWidget;
    m_bandForm = new QFormLayout(m_bandPage);
    m_bandForm->setContentsMargins(0, 0, 0, 0);
    m_bandName = LineEdit(QStringLiteral("edtBandName"));
    m_bandKind = ComboBox(QStringLiteral("cbxBandKind"));
    for (BandKind kind : AllBandKinds)
        m_bandKind->addItem(BandKindTitle(kind), int(kind));
    m_bandHeight = LengthBox(QStringLiteral("spnBandHeight"), 0, 2000);
    m_canGrow = CheckBox(QStringLiteral("chkCanGrow"), QString());
    m_dataSet = ComboBox(QStringLiteral("cbxDataSet"));
    m_condition = LineEdit(QStringLiteral("edtCondition"));
    m_startNewPage = CheckBox(QStringLiteral("chkStartNewPage"), QString());
    m_printOnFirstPage = CheckBox(QStringLiteral("chkPrintOnFirstPage"), QString());

    m_bandForm->addRow(QStringLiteral("名称"), m_bandName);
    m_bandForm->addRow(QStringLiteral("类型"), m_bandKind);
    m_bandForm->addRow(QStringLiteral("高度"), m_bandHeight);
    m_bandForm->addRow(QStringLiteral("可增长"), m_canGrow);
    m_bandForm->addRow(QStringLiteral("数据集"), m_dataSet);
    m_bandForm->addRow(QStringLiteral("分组条件"), m_condition);
    m_bandForm->addRow(QStringLiteral("新页开始"), m_startNewPage);
    m_bandForm->addRow(QStringLiteral("首页打印"), m_printOnFirstPage);
    m_pages->addWidget(m_bandPage);

    connect(m_bandName, &QLineEdit::editingFinished, this, [this] {
        const QString name = m_bandName->text().trimmed();
        EditBand(QStringLiteral("改名"), [name](BandSetup &b) { b.name = name; });
    });
    connect(m_bandKind, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        const auto kind = BandKind(m_bandKind->itemData(index).toInt());
        EditBand(QStringLiteral("修改数据带类型"), [kind](BandSetup &b) { b.kind = kind; });
    });
    connect(m_bandHeight, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        EditBand(QStringLiteral("调整数据带高度"), [v](BandSetup &b) { b.height = v; });
    });
    connect(m_canGrow, &QCheckBox::toggled, this,
            [this](bool on) { EditBand(QStringLiteral("可增长"), [on](BandSetup &b) { b.canGrow = on; }); });
    connect(m_dataSet, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        const QString name = m_dataSet->itemData(index).toString();
        EditBand(QStringLiteral("修改数据集"), [name](BandSetup &b) { b.dataSet = name; });
    });
    connect(m_condition, &QLineEdit::editingFinished, this, [this] {
        const QString condition = m_condition->text().trimmed();
        EditBand(QStringLiteral("修改分组条件"), [condition](BandSetup &b) { b.condition = condition; });
    });
    connect(m_startNewPage, &QCheckBox::toggled, this, [this](bool on) {
        EditBand(QStringLiteral("新页开始"), [on](BandSetup &b) { b.startNewPage = on; });
    });
    connect(m_printOnFirstPage, &QCheckBox::toggled, this, [this](bool on) {
        EditBand(QStringLiteral("首页打印"), [on](BandSetup &b) { b.printOnFirstPage = on; });
    });
}

void PropertyPanel::BuildPage()
{
    m_pagePage = new QWidget;
    auto *form = new QFormLayout(m_pagePage);
    form->setContentsMargins(0, 0, 0, 0);
    m_pageName = LineEdit(QStringLiteral("edtPageName"));
    m_paper = ComboBox(QStringLiteral("cbxPaper"));
    for (const QString &name : PaperNames())
        m_paper->addItem(name, name);
    m_paper->addItem(QStringLiteral("自定义"), QString());
    m_paperWidth = LengthBox(QStringLiteral("spnPaperWidth"), 10, 5000);
    m_paperHeight = LengthBox(QStringLiteral("spnPaperHeight"), 10, 5000);
    m_orientation = ComboBox(QStringLiteral("cbxOrientation"));
    m_orientation->addItem(QStringLiteral("纵向"), int(Orientation::Portrait));
    m_orientation->addItem(QStringLiteral("横向"), int(Orientation::Landscape));
    m_marginLeft = LengthBox(QStringLiteral("spnMarginLeft"), 0, 500);
    m_marginTop = LengthBox(QStringLiteral("spnMarginTop"), 0, 500);
    m_marginRight = LengthBox(QStringLiteral("spnMarginRight"), 0, 500);
    m_marginBottom = LengthBox(QStringLiteral("spnMarginBottom"), 0, 500);

    form->addRow(QStringLiteral("名称"), m_pageName);
    form->addRow(QStringLiteral("纸张"), m_paper);
    form->addRow(QStringLiteral("纸宽"), m_paperWidth);
    form->addRow(QStringLiteral("纸高"), m_paperHeight);
    form->addRow(QStringLiteral("方向"), m_orientation);
    form->addRow(QStringLiteral("左边距"), m_marginLeft);
    form->addRow(QStringLiteral("上边距"), m_marginTop);
    form->addRow(QStringLiteral("右边距"), m_marginRight);
    form->addRow(QStringLiteral("下边距"), m_marginBottom);
    m_pages->addWidget(m_pagePage);

    connect(m_pageName, &QLineEdit::editingFinished, this, [this] {
        const QString name = m_pageName->text().trimmed();
        EditPage(QStringLiteral("改名"), [name](PageSetup &p) { p.name = name; });
    });
    connect(m_paper, &QComboBox::currentIndexChanged, this, [this](int index) {
        const auto size = PaperSizeByName(m_paper->itemData(index).toString());
        if (size)
            EditPage(QStringLiteral("修改纸张"), [size](PageSetup &p) { p.paperSize = *size; });
    });
    connect(m_paperWidth, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        EditPage(QStringLiteral("修改纸张"), [v](PageSetup &p) { p.paperSize.setWidth(v); });
    });
    connect(m_paperHeight, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        EditPage(QStringLiteral("修改纸张"), [v](PageSetup &p) { p.paperSize.setHeight(v); });
    });
    connect(m_orientation, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        const auto orientation = Orientation(m_orientation->itemData(index).toInt());
        EditPage(QStringLiteral("修改方向"), [orientation](PageSetup &p) { p.orientation = orientation; });
    });
    const std::pair<QDoubleSpinBox *, void (QMarginsF::*)(qreal)> margins[] = {
        {m_marginLeft, &QMarginsF::setLeft},
        {m_marginTop, &QMarginsF::setTop},
        {m_marginRight, &QMarginsF::setRight},
        {m_marginBottom, &QMarginsF::setBottom}};
    for (const auto &[box, set] : margins)
        connect(box, &QDoubleSpinBox::valueChanged, this, [this, set = set](double v) {
            EditPage(QStringLiteral("修改边距"), [v, set](PageSetup &p) { (p.margins.*set)(v); });
        });
}

void PropertyPanel::ShowObjects(const std::vector<Object *> &objects)
{
    if (objects.empty())
        return;
    m_loading = true;
    const Object &o = *objects.front();
    m_title->setText(objects.size() == 1 ? QStringLiteral("%1 %2").arg(ObjectKindTitle(o.kind), o.name)
                                         : QStringLiteral("%1 个对象").arg(objects.size()));
    m_pages->setCurrentWidget(m_objectPage);

    m_objectName->setText(o.name);
    m_objectName->setEnabled(objects.size() == 1);
    m_text->setText(o.text);
    m_left->setValue(o.rect.left());
    m_top->setValue(o.rect.top());
    m_width->setValue(o.rect.width());
    m_height->setValue(o.rect.height());
    m_fontFamily->setCurrentFont(QFont(o.font.family));
    m_fontSize->setValue(o.font.size);
    m_bold->setChecked(o.font.bold);
    m_italic->setChecked(o.font.italic);
    m_underline->setChecked(o.font.underline);
    m_hAlign->setCurrentIndex(IndexOfAlignment(HorizontalAlignments, 4, o.alignment));
    m_vAlign->setCurrentIndex(IndexOfAlignment(VerticalAlignments, 3, o.alignment));
    m_wordWrap->setChecked(o.wordWrap);
    m_frameLeft->setChecked(o.frame & FrameLeft);
    m_frameTop->setChecked(o.frame & FrameTop);
    m_frameRight->setChecked(o.frame & FrameRight);
    m_frameBottom->setChecked(o.frame & FrameBottom);
    m_lineWidth->setValue(o.lineWidth);
    m_format->setText(o.format);
    m_keepAspect->setChecked(o.keepAspect);
    m_showText->setChecked(o.showText);

    const bool text = o.kind == ObjectKind::Text;
    const bool barcode = o.kind == ObjectKind::Barcode;
    const bool picture = o.kind == ObjectKind::Picture;
    const bool framed = text || barcode || picture;
    m_objectForm->setRowVisible(m_text, text || barcode);
    m_objectForm->setRowVisible(m_fontFamily, text || barcode);
    m_objectForm->setRowVisible(m_fontSize, text || barcode);
    m_objectForm->setRowVisible(m_fontStyle, text || barcode);
    m_objectForm->setRowVisible(m_hAlign, text);
    m_objectForm->setRowVisible(m_vAlign, text);
    m_objectForm->setRowVisible(m_wordWrap, text);
    m_objectForm->setRowVisible(m_frame, framed);
    m_objectForm->setRowVisible(m_format, text);
    m_objectForm->setRowVisible(m_picture, picture);
    m_objectForm->setRowVisible(m_showText, barcode);
    m_loading = false;
}

void PropertyPanel::ShowBand(const Band &band, const QStringList &dataSets)
{
    m_loading = true;
    m_title->setText(QStringLiteral("%1 %2").arg(BandKindTitle(band.kind), band.name));
    m_pages->setCurrentWidget(m_bandPage);
    m_bandName->setText(band.name);
    m_bandKind->setCurrentIndex(m_bandKind->findData(int(band.kind)));
    m_bandHeight->setValue(band.height);
    m_canGrow->setChecked(band.canGrow);
    m_dataSet->clear();
    m_dataSet->addItem(QStringLiteral("(无)"), QString());
    for (const QString &name : dataSets)
        m_dataSet->addItem(name, name);
    // A template may name a data set that this caller does not hand over.
    if (!band.dataSet.isEmpty() && m_dataSet->findData(band.dataSet) < 0)
        m_dataSet->addItem(band.dataSet, band.dataSet);
    m_dataSet->setCurrentIndex(m_dataSet->findData(band.dataSet));
    m_condition->setText(band.condition);
    m_startNewPage->setChecked(band.startNewPage);
    m_printOnFirstPage->setChecked(band.printOnFirstPage);

    const bool data = band.kind == BandKind::MasterData;
    m_bandForm->setRowVisible(m_dataSet, data);
    m_bandForm->setRowVisible(m_condition, band.kind == BandKind::GroupHeader);
    m_bandForm->setRowVisible(m_startNewPage, data || band.kind == BandKind::GroupHeader ||
                                                  band.kind == BandKind::ReportSummary);
    m_bandForm->setRowVisible(m_printOnFirstPage,
                              band.kind == BandKind::PageHeader || band.kind == BandKind::PageFooter);
    m_loading = false;
}

void PropertyPanel::ShowPage(const Page &page)
{
    m_loading = true;
    m_title->setText(QStringLiteral("页面 %1").arg(page.name));
    m_pages->setCurrentWidget(m_pagePage);
    m_pageName->setText(page.name);
    m_paper->setCurrentIndex(m_paper->findData(PaperNameOf(page.paperSize)));
    m_paperWidth->setValue(page.paperSize.width());
    m_paperHeight->setValue(page.paperSize.height());
    m_orientation->setCurrentIndex(m_orientation->findData(int(page.orientation)));
    m_marginLeft->setValue(page.margins.left());
    m_marginTop->setValue(page.margins.top());
    m_marginRight->setValue(page.margins.right());
    m_marginBottom->setValue(page.margins.bottom());
    m_loading = false;
}

} // namespace Report
