#include "DataExporter.h"

#include "DataSet.h"
#include "Exceptions.h"
#include "FormBuilder.h"
#include "Prompter.h"
#include "TextExport.h"
#include "WorkbookWriter.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {

struct FormatInfo
{
    const char *Item;
    const char *Suffix;
    const char *Filter;
};

// Indexed by TDataExporterFrm::Format.
const FormatInfo Formats[] = {
    {"文本文件 (*.txt)", "txt", "文本文件(*.txt)|*.txt"},
    {"Microsoft Excel电子表格 (*.xls)", "xls", "Microsoft Excel 电子表格 (*.xls)|*.xls"},
    {"网页 (*.html)", "html", "网页文件(*.htm;*.html)|*.htm;*.html"},
    {"CSV文件 (*.csv)", "csv", "CSV文件(*.csv)|*.csv"},
    {"Microsoft Excel工作簿 (*.xlsx)", "xlsx", "Microsoft Excel 工作簿 (*.xlsx)|*.xlsx"},
};
constexpr int FormatCount = int(std::size(Formats));

// Replaces the extension of the file part of `name` (everything from its last dot), or adds
// one when it has none.
QString ChangeFileExt(const QString &name, const QString &suffix)
{
    const qsizetype slash = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > slash ? name.left(dot) : name;
    return stem + QLatin1Char('.') + suffix;
}

constexpr int FieldIndexRole = Qt::UserRole;

} // namespace

TDataExporterFrm::TDataExporterFrm(TDataSet &dataSet, QWidget *owner) : TaFrm(owner), m_dataSet(&dataSet)
{
    setObjectName(QStringLiteral("DataExporterFrm"));
    setWindowTitle(QStringLiteral("导出..."));

    PageControl1 = Form::Named(new QTabWidget(this), QStringLiteral("PageControl1"));
    auto *fieldsPage = new QWidget;
    auto *outputPage = new QWidget;
    PageControl1->addTab(fieldsPage, QStringLiteral("选择数据列"));
    PageControl1->addTab(outputPage, QStringLiteral("输出"));

    // ---- page one ----
    lstAvailable1 = Form::Named(new QListWidget, QStringLiteral("lstAvailable1"));
    lstChosen1 = Form::Named(new QListWidget, QStringLiteral("lstChosen1"));
    btnAdd1 = Form::Button(QStringLiteral(" >"), QStringLiteral("btnAdd1"));
    btnRemove1 = Form::Button(QStringLiteral("< "), QStringLiteral("btnRemove1"));
    btnUp1 = Form::Button(QStringLiteral("上移"), QStringLiteral("btnUp1"));
    btnDown1 = Form::Button(QStringLiteral("下移"), QStringLiteral("btnDown1"));
    for (QPushButton *button : {btnAdd1, btnRemove1, btnUp1, btnDown1})
        button->setEnabled(false);
    auto *instruction =
        new QLabel(QStringLiteral("请从左边列表框中双击或点击") + QStringLiteral("\">\"") +
                   QStringLiteral("按纽选择您将要导出的列,上下移动按纽可以调整列的前后位置."));
    instruction->setWordWrap(true);

    auto *moveButtons = new QVBoxLayout;
    moveButtons->addStretch(1);
    moveButtons->addWidget(btnAdd1);
    moveButtons->addWidget(btnRemove1);
    moveButtons->addStretch(1);
    auto *orderButtons = new QVBoxLayout;
    orderButtons->addStretch(1);
    orderButtons->addWidget(btnUp1);
    orderButtons->addWidget(btnDown1);
    orderButtons->addStretch(1);
    auto *lists = new QGridLayout;
    lists->addWidget(Form::Caption(QStringLiteral("可选项"), lstAvailable1), 0, 0);
    lists->addWidget(lstAvailable1, 1, 0);
    lists->addLayout(moveButtons, 1, 1);
    lists->addWidget(Form::Caption(QStringLiteral("已选项"), lstChosen1), 0, 2);
    lists->addWidget(lstChosen1, 1, 2);
    lists->addLayout(orderButtons, 1, 3);
    lists->setColumnStretch(0, 1);
    lists->setColumnStretch(2, 1);
    lists->setRowStretch(1, 1);
    auto *first = new QVBoxLayout(fieldsPage);
    first->addLayout(lists, 1);
    first->addWidget(instruction);

    // ---- page two ----
    grpFormat1 = Form::Named(new QGroupBox(QStringLiteral("输出格式")), QStringLiteral("grpFormat1"));
    rgFormat1 = new QButtonGroup(this);
    rgFormat1->setObjectName(QStringLiteral("rgFormat1"));
    auto *formatLayout = new QVBoxLayout(grpFormat1);
    for (int i = 0; i < FormatCount; ++i) {
        auto *radio = Form::Named(new QRadioButton(QString::fromUtf8(Formats[i].Item)),
                                  QStringLiteral("rbFormat%1").arg(i));
        rgFormat1->addButton(radio, i);
        formatLayout->addWidget(radio);
    }
    cbEncoding1 = Form::Named(new QComboBox, QStringLiteral("cbEncoding1"));
    cbEncoding1->addItems({QStringLiteral("GBK"), QStringLiteral("UTF-8")});
    auto *encodingRow = new QHBoxLayout;
    encodingRow->addWidget(Form::Caption(QStringLiteral("文件编码"), cbEncoding1));
    encodingRow->addWidget(cbEncoding1);
    encodingRow->addStretch(1);
    formatLayout->addLayout(encodingRow);

    auto *place = Form::Named(new QGroupBox(QStringLiteral("输出位置")), QStringLiteral("grpPlace1"));
    edtFile1 = Form::Named(new QLineEdit, QStringLiteral("edtFile1"));
    btnBrowse1 = Form::Button(QStringLiteral("浏览..."), QStringLiteral("btnBrowse1"));
    auto *placeLayout = new QHBoxLayout(place);
    placeLayout->addWidget(Form::Caption(QStringLiteral("文件"), edtFile1));
    placeLayout->addWidget(edtFile1, 1);
    placeLayout->addWidget(btnBrowse1);

    pbExport1 = Form::Named(new QProgressBar, QStringLiteral("pbExport1"));
    pbExport1->setVisible(false);
    auto *second = new QVBoxLayout(outputPage);
    second->addWidget(grpFormat1);
    second->addWidget(place);
    second->addStretch(1);
    second->addWidget(pbExport1);

    // ---- under the pages ----
    btnCancel1 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnCancel1"));
    btnHelp1 = Form::Button(QStringLiteral("帮助"), QStringLiteral("btnHelp1"));
    btnPrior1 = Form::Button(QStringLiteral("上一步(&P)"), QStringLiteral("btnPrior1"));
    btnNext1 = Form::Button(QStringLiteral("下一步(&N)"), QStringLiteral("btnNext1"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1, 1);
    layout->addLayout(Form::ButtonRow({btnCancel1, btnHelp1}, {btnPrior1, btnNext1}));

    for (int i = 0; i < dataSet.FieldCount(); ++i) {
        auto *item = new QListWidgetItem(dataSet.Field(i)->DisplayLabel(), lstAvailable1);
        item->setData(FieldIndexRole, i);
    }
    ShowPage(0);
    Form::SetInitialSize(this, 578, 431);

    connect(lstAvailable1, &QListWidget::itemSelectionChanged, this, [this] { UpdateAddButton(); });
    connect(lstChosen1, &QListWidget::itemSelectionChanged, this, [this] { UpdateChosenButtons(); });
    connect(lstAvailable1, &QListWidget::itemDoubleClicked, this, [this] { Guard([this] { AddClick(); }); });
    connect(lstChosen1, &QListWidget::itemDoubleClicked, this, [this] { Guard([this] { RemoveClick(); }); });
    connect(btnAdd1, &QPushButton::clicked, this, [this] { Guard([this] { AddClick(); }); });
    connect(btnRemove1, &QPushButton::clicked, this, [this] { Guard([this] { RemoveClick(); }); });
    connect(btnUp1, &QPushButton::clicked, this, [this] { Guard([this] { MoveUpClick(); }); });
    connect(btnDown1, &QPushButton::clicked, this, [this] { Guard([this] { MoveDownClick(); }); });
    connect(rgFormat1, &QButtonGroup::idClicked, this, [this](int id) { Guard([&] { FormatChosen(id); }); });
    connect(btnBrowse1, &QPushButton::clicked, this, [this] { Guard([this] { BrowseClick(); }); });
    connect(btnNext1, &QPushButton::clicked, this, [this] { Guard([this] { NextClick(); }); });
    connect(btnPrior1, &QPushButton::clicked, this, [this] { Guard([this] { PriorClick(); }); });
    connect(btnHelp1, &QPushButton::clicked, this, [this] { Guard([this] { ShowHelp(); }); });
    connect(btnCancel1, &QPushButton::clicked, this, &QDialog::reject);
}

TDataExporterFrm::~TDataExporterFrm() = default;

// ---- the field lists ----

QString TDataExporterFrm::SelectedFields() const
{
    QString text;
    for (int i = 0; i < lstChosen1->count(); ++i)
        text += lstChosen1->item(i)->text() + QStringLiteral("\r\n");
    return text;
}

void TDataExporterFrm::SetSelectedFields(const QString &labels)
{
    if (labels.isEmpty())
        return;
    QStringList lines = labels.split(QLatin1Char('\n'));
    // A text ended by a line break has no further line after it.
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        for (int i = 0; i < lstAvailable1->count(); ++i) {
            if (lstAvailable1->item(i)->text() == line) {
                lstAvailable1->setCurrentRow(i);
                MoveItem(lstAvailable1, lstChosen1);
                break;
            }
        }
    }
}

QList<int> TDataExporterFrm::ChosenFieldIndexes() const
{
    QList<int> indexes;
    for (int i = 0; i < lstChosen1->count(); ++i)
        indexes << lstChosen1->item(i)->data(FieldIndexRole).toInt();
    return indexes;
}

bool TDataExporterFrm::MoveItem(QListWidget *from, QListWidget *to)
{
    const QList<QListWidgetItem *> selected = from->selectedItems();
    if (selected.isEmpty())
        return false;
    const int row = from->row(selected.first());
    QListWidgetItem *item = from->takeItem(row);
    to->addItem(item);
    item->setSelected(false);
    // The neighbour takes the selection, so repeated clicks keep moving down the list.
    if (from->count() > 0)
        from->setCurrentRow(std::min(row, from->count() - 1));
    UpdateAddButton();
    UpdateChosenButtons();
    return true;
}

void TDataExporterFrm::AddClick()
{
    if (MoveItem(lstAvailable1, lstChosen1))
        lstAvailable1->setFocus();
}

void TDataExporterFrm::RemoveClick()
{
    if (MoveItem(lstChosen1, lstAvailable1))
        lstChosen1->setFocus();
}

void TDataExporterFrm::MoveUpClick()
{
    const int row = lstChosen1->currentRow();
    if (row <= 0 || lstChosen1->selectedItems().isEmpty())
        return;
    lstChosen1->insertItem(row - 1, lstChosen1->takeItem(row));
    lstChosen1->setCurrentRow(row - 1);
    UpdateChosenButtons();
}

void TDataExporterFrm::MoveDownClick()
{
    const int row = lstChosen1->currentRow();
    if (row < 0 || row >= lstChosen1->count() - 1 || lstChosen1->selectedItems().isEmpty())
        return;
    lstChosen1->insertItem(row + 1, lstChosen1->takeItem(row));
    lstChosen1->setCurrentRow(row + 1);
    UpdateChosenButtons();
}

void TDataExporterFrm::UpdateAddButton()
{
    btnAdd1->setEnabled(!lstAvailable1->selectedItems().isEmpty());
}

void TDataExporterFrm::UpdateChosenButtons()
{
    const bool selected = !lstChosen1->selectedItems().isEmpty();
    btnRemove1->setEnabled(selected);
    btnUp1->setEnabled(selected);
    btnDown1->setEnabled(selected);
}

// ---- pages ----

void TDataExporterFrm::ShowPage(int index)
{
    // Only the current page's tab shows: the pages are steps, not a choice.
    PageControl1->setTabVisible(index, true);
    PageControl1->setCurrentIndex(index);
    for (int i = 0; i < PageControl1->count(); ++i)
        if (i != index)
            PageControl1->setTabVisible(i, false);
    btnPrior1->setEnabled(index > 0);
    btnNext1->setText(index == PageControl1->count() - 1 ? QStringLiteral("确定(&N)")
                                                         : QStringLiteral("下一步(&N)"));
}

void TDataExporterFrm::NextClick()
{
    const int index = PageControl1->currentIndex();
    if (index < PageControl1->count() - 1)
        ShowPage(index + 1);
    else
        done(QDialog::Accepted);
}

void TDataExporterFrm::PriorClick()
{
    const int index = PageControl1->currentIndex();
    if (index > 0)
        ShowPage(index - 1);
}

// ---- the output ----

int TDataExporterFrm::FormatIndex() const
{
    return rgFormat1->checkedId();
}

void TDataExporterFrm::SetFormatIndex(int index)
{
    if (QAbstractButton *radio = rgFormat1->button(index))
        radio->setChecked(true);
    FormatChosen(index);
}

void TDataExporterFrm::FormatChosen(int index)
{
    if (index < 0 || index >= FormatCount)
        return;
    m_filter = QString::fromUtf8(Formats[index].Filter);
    m_defaultExt = QString::fromLatin1(Formats[index].Suffix);
    cbEncoding1->setEnabled(index != Workbook);
    if (!edtFile1->text().isEmpty())
        edtFile1->setText(ChangeFileExt(edtFile1->text(), m_defaultExt));
}

void TDataExporterFrm::BrowseClick()
{
    const QString name =
        Prompter().SaveFileName(QStringLiteral("另存为"), m_filter, m_defaultExt, edtFile1->text());
    if (!name.isEmpty())
        edtFile1->setText(name);
}

void TDataExporterFrm::PlainMessage(const QString &text)
{
    Prompter().MessageBox(MsgIcon::None, ProgramCaption(), text, {QStringLiteral("确定")});
}

bool TDataExporterFrm::CanClose(int modalResult)
{
    if (m_writing) {
        // The writer looks at this between records and stops, leaving the target untouched.
        if (modalResult != QDialog::Accepted)
            m_cancelWriting = true;
        return false;
    }
    if (modalResult != QDialog::Accepted)
        return true;
    return Export();
}

bool TDataExporterFrm::Export()
{
    if (lstChosen1->count() == 0) {
        PlainMessage(QStringLiteral("没有选择任何要导出的列,请返回上一步并选择."));
        return false;
    }
    if (FormatIndex() < 0) {
        PlainMessage(QStringLiteral("必须指定要导出的格式."));
        return false;
    }
    const QString fileName = edtFile1->text();
    if (fileName.trimmed().isEmpty()) {
        PlainMessage(QStringLiteral("必须指定要导出的文件位置."));
        edtFile1->setFocus();
        return false;
    }
    if (QFileInfo::exists(fileName)) {
        const int answer = Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                                                 QStringLiteral("\r\n该文件已经存在,是否继续执行并覆盖文件?"),
                                                 {QStringLiteral("是"), QStringLiteral("否")}, 1);
        if (answer != 0)
            return false;
    }
    const qint64 written = WriteFile(fileName);
    const QString question = QStringLiteral("\r\n数据导出成功,共 ") + QString::number(written) +
                             QStringLiteral("条记录,是否现在就打开?    ");
    if (Prompter().MessageBox(MsgIcon::Question, QStringLiteral("确认"), question,
                              {QStringLiteral("确定"), QStringLiteral("取消")}) == 0)
        Prompter().OpenUrl(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    return true;
}

qint64 TDataExporterFrm::WriteFile(const QString &fileName)
{
    if (!m_dataSet)
        Abort();
    const TDataSet &dataSet = *m_dataSet;
    const QList<int> fields = ChosenFieldIndexes();
    const QStringList header = Exchange::DataSetHeader(dataSet, fields);
    const Exchange::RowSource rows = Exchange::DataSetRows(dataSet, fields);

    m_writing = true;
    m_cancelWriting = false;
    pbExport1->setRange(0, std::max(dataSet.RecordCount(), 1));
    pbExport1->setValue(0);
    pbExport1->setVisible(true);
    for (QWidget *control : {static_cast<QWidget *>(PageControl1), static_cast<QWidget *>(btnPrior1),
                             static_cast<QWidget *>(btnNext1), static_cast<QWidget *>(btnHelp1)})
        control->setEnabled(false);
    const auto restore = qScopeGuard([this] {
        m_writing = false;
        pbExport1->setVisible(false);
        PageControl1->setEnabled(true);
        btnNext1->setEnabled(true);
        btnHelp1->setEnabled(true);
        btnPrior1->setEnabled(PageControl1->currentIndex() > 0);
    });
    // Between records the window stays live, so that "取消" can stop a long list.
    const Exchange::ProgressProc progress = [this](qint64 done) {
        pbExport1->setValue(int(std::min<qint64>(done, pbExport1->maximum())));
        QCoreApplication::processEvents();
        return !m_cancelWriting;
    };

    const Exchange::TextEncoding encoding =
        cbEncoding1->currentIndex() == 1 ? Exchange::TextEncoding::Utf8 : Exchange::TextEncoding::Gbk;
    switch (FormatIndex()) {
    case TabText:
    case TabSheet:
        return Exchange::ExportText(fileName, Exchange::TextFormat::Tab, encoding, header, rows, progress);
    case Html:
        return Exchange::ExportText(fileName, Exchange::TextFormat::Html, encoding, header, rows, progress);
    case Csv:
        return Exchange::ExportText(fileName, Exchange::TextFormat::Csv, encoding, header, rows, progress);
    case Workbook:
        return ExportWorkbook(fileName, header, rows, progress);
    default:
        Abort();
    }
}

void ShowDataExporter(TDataSet &dataSet, QWidget *owner)
{
    TDataExporterFrm dialog(dataSet, owner);
    dialog.ShowModal();
}
