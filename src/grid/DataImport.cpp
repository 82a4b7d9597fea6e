#include "DataImport.h"

#include "ArchiveImporter.h"
#include "DataGrids.h"
#include "DataSet.h"
#include "Exceptions.h"
#include "FormBuilder.h"
#include "Prompter.h"
#include "Prompts.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include <set>

namespace {

constexpr int PreviewColumnWidth = 80;
constexpr int ReviewColumnWidth = 100;

QLabel *Heading(const QString &text)
{
    auto *label = new QLabel(text);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

QLabel *Wrapped(const QString &text)
{
    auto *label = new QLabel(text);
    label->setWordWrap(true);
    return label;
}

// The hourglass for the length of a scope.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

TDataImportFrm::TDataImportFrm(QWidget *owner) : TaFrm(owner), m_preview(new TDataSet(this))
{
    setObjectName(QStringLiteral("DataImportFrm"));
    setWindowTitle(QStringLiteral("导入"));

    Pages = Form::Named(new QStackedWidget(this), QStringLiteral("Pages"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addWidget(Pages);
    const auto addPage = [this](const QString &name) {
        auto *page = Form::Named(new QWidget, name);
        Pages->addWidget(page);
        auto *pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
        return pageLayout;
    };

    // ---- step one: the file ----
    edtTemplate1 = Form::Named(new QLineEdit, QStringLiteral("edtTemplate1"));
    edtTemplate1->setReadOnly(true);
    btnOpenTemplate1 = Form::Button(QStringLiteral("打开"), QStringLiteral("btnOpenTemplate1"));
    edtFile1 = Form::Named(new QLineEdit, QStringLiteral("edtFile1"));
    btnBrowse1 = Form::Button(QStringLiteral("..."), QStringLiteral("btnBrowse1"));
    btnNext1 = Form::Button(QStringLiteral("下一步"), QStringLiteral("btnNext1"));
    btnCancel1 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnCancel1"));
    auto *templateRow = new QHBoxLayout;
    templateRow->addWidget(edtTemplate1, 1);
    templateRow->addWidget(btnOpenTemplate1);
    auto *fileRow = new QHBoxLayout;
    fileRow->addWidget(edtFile1, 1);
    fileRow->addWidget(btnBrowse1);
    QVBoxLayout *step1 = addPage(QStringLiteral("pnlStep1"));
    step1->addWidget(Heading(QStringLiteral("欢迎使用数据导入向导。")));
    step1->addSpacing(12);
    step1->addWidget(Form::Caption(QStringLiteral("您可以参照此 Excel 模版来制作源文件"), edtTemplate1));
    step1->addLayout(templateRow);
    step1->addSpacing(12);
    step1->addWidget(Form::Caption(QStringLiteral("请选择将要导入的 Excel 文件"), edtFile1));
    step1->addLayout(fileRow);
    step1->addStretch(1);
    step1->addWidget(Form::Bevel());
    step1->addLayout(Form::ButtonRow({}, {btnNext1, btnCancel1}));

    // ---- step two: the sheet ----
    cbSheets1 = Form::Named(new QComboBox, QStringLiteral("cbSheets1"));
    cbSheets1->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    grdSource1 = Form::Named(new TpzDBGrid, QStringLiteral("grdSource1"));
    grdSource1->SetDataSet(m_preview);
    btnPrior2 = Form::Button(QStringLiteral("上一步(&P)"), QStringLiteral("btnPrior2"));
    btnNext2 = Form::Button(QStringLiteral("下一步(&N)"), QStringLiteral("btnNext2"));
    btnCancel2 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnCancel2"));
    auto *sheetRow = new QHBoxLayout;
    sheetRow->addWidget(Form::Caption(QStringLiteral("请选择一个表名："), cbSheets1));
    sheetRow->addWidget(cbSheets1);
    sheetRow->addStretch(1);
    QVBoxLayout *step2 = addPage(QStringLiteral("pnlStep2"));
    step2->addLayout(sheetRow);
    step2->addWidget(grdSource1, 1);
    step2->addWidget(Form::Caption(QStringLiteral("提示：以上是将要导入的数据，请检查是否有误。")));
    step2->addWidget(Form::Bevel());
    step2->addLayout(Form::ButtonRow({}, {btnPrior2, btnNext2, btnCancel2}));

    // ---- step three: the mapping ----
    MappingEditor = Form::Named(new QTableWidget(0, 2), QStringLiteral("MappingEditor"));
    MappingEditor->setHorizontalHeaderLabels({QStringLiteral("目标字段"), QStringLiteral("源字段")});
    MappingEditor->setColumnWidth(0, 150);
    MappingEditor->setColumnWidth(1, 165);
    MappingEditor->horizontalHeader()->setStretchLastSection(true);
    MappingEditor->verticalHeader()->setVisible(false);
    MappingEditor->setSelectionMode(QAbstractItemView::SingleSelection);
    MappingEditor->setEditTriggers(QAbstractItemView::NoEditTriggers);
    pbImport1 = Form::Named(new QProgressBar, QStringLiteral("pbImport1"));
    pbImport1->setValue(0);
    btnPrior3 = Form::Button(QStringLiteral("上一步"), QStringLiteral("btnPrior3"));
    btnNext3 = Form::Button(QStringLiteral("下一步"), QStringLiteral("btnNext3"));
    btnCancel3 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnCancel3"));
    auto *explanation = new QVBoxLayout;
    explanation->addWidget(Heading(QStringLiteral("目标字段")));
    explanation->addWidget(Wrapped(QStringLiteral("是指本系统中该资料的项目名称(中文)")));
    explanation->addSpacing(8);
    explanation->addWidget(Heading(QStringLiteral("源字段")));
    explanation->addWidget(Wrapped(QStringLiteral("是指源文件中各列的标题名称")));
    explanation->addSpacing(8);
    explanation->addWidget(Wrapped(QStringLiteral("请从源字段列表中选择相应的项目来匹配目标字段")));
    explanation->addWidget(Wrapped(QStringLiteral("若没有对应的源字段,则将该源字段设为空白即可")));
    explanation->addWidget(Wrapped(QStringLiteral("但是有些目标字段是必须的")));
    explanation->addStretch(1);
    auto *mappingRow = new QHBoxLayout;
    mappingRow->addWidget(MappingEditor, 3);
    mappingRow->addLayout(explanation, 2);
    QVBoxLayout *step3 = addPage(QStringLiteral("pnlStep3"));
    step3->addWidget(Heading(QStringLiteral("指定对应关系")));
    step3->addLayout(mappingRow, 1);
    step3->addWidget(pbImport1);
    step3->addWidget(Form::Bevel());
    step3->addLayout(Form::ButtonRow({}, {btnPrior3, btnNext3, btnCancel3}));

    // ---- step four: the review ----
    grdRows1 = Form::Named(new TpzDBGrid, QStringLiteral("grdRows1"));
    // The batch change works on the review cache alone; nothing else needs telling.
    grdRows1->SetBatchProc([] {});
    TpzPopupMenu *popup = grdRows1->PopupMenuPz();
    popup->ClearItems();
    popup->AddItem(QStringLiteral("批量修改选中行的该栏值"), false, [this] { grdRows1->BatchUpdateClick(); });
    popup->AddItem(QStringLiteral("删除"), false, [this] { DeleteClick(); });
    pbSave1 = Form::Named(new QProgressBar, QStringLiteral("pbSave1"));
    pbSave1->setVisible(false);
    btnPrior4 = Form::Button(QStringLiteral("上一步"), QStringLiteral("btnPrior4"));
    btnOk4 = Form::Button(QStringLiteral("确定"), QStringLiteral("btnOk4"));
    btnCancel4 = Form::Button(QStringLiteral("取消"), QStringLiteral("btnCancel4"));
    QVBoxLayout *step4 = addPage(QStringLiteral("pnlStep4"));
    step4->addWidget(Heading(QStringLiteral("确认导入以下数据:")));
    step4->addWidget(grdRows1, 1);
    step4->addWidget(pbSave1);
    step4->addWidget(Form::Bevel());
    step4->addLayout(Form::ButtonRow({}, {btnPrior4, btnOk4, btnCancel4}));

    ShowStep(0);
    Form::SetInitialSize(this, 700, 500);

    connect(btnOpenTemplate1, &QPushButton::clicked, this,
            [this] { Guard([this] { OpenTemplateClick(); }); });
    connect(btnBrowse1, &QPushButton::clicked, this, [this] { Guard([this] { BrowseClick(); }); });
    connect(btnNext1, &QPushButton::clicked, this, [this] { Guard([this] { OpenFileClick(); }); });
    connect(cbSheets1, &QComboBox::currentIndexChanged, this,
            [this](int index) { Guard([&] { SelectSheet(index); }); });
    connect(btnPrior2, &QPushButton::clicked, this, [this] { ShowStep(0); });
    connect(btnNext2, &QPushButton::clicked, this, [this] { Guard([this] { BuildMappingClick(); }); });
    connect(btnPrior3, &QPushButton::clicked, this, [this] { ShowStep(1); });
    connect(btnNext3, &QPushButton::clicked, this, [this] { Guard([this] { ImportClick(); }); });
    connect(btnPrior4, &QPushButton::clicked, this, [this] { Guard([this] { BackToMappingClick(); }); });
    connect(btnOk4, &QPushButton::clicked, this, [this] { Guard([this] { SaveClick(); }); });
    for (QPushButton *cancel : {btnCancel1, btnCancel2, btnCancel3, btnCancel4})
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TDataImportFrm::~TDataImportFrm() = default;

void TDataImportFrm::SetTemplatePath(const QString &path)
{
    edtTemplate1->setText(path);
}

void TDataImportFrm::SetTargetDataSet(TDataSet *dataSet)
{
    grdRows1->SetDataSet(dataSet);
}

TDataSet *TDataImportFrm::TargetDataSet() const
{
    return grdRows1->DataSet();
}

int TDataImportFrm::Step() const
{
    return Pages->currentIndex();
}

void TDataImportFrm::ShowStep(int step)
{
    Pages->setCurrentIndex(step);
}

// ---- step one ----

void TDataImportFrm::OpenTemplateClick()
{
    const QString path = edtTemplate1->text();
    if (!path.isEmpty())
        Prompter().OpenUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void TDataImportFrm::BrowseClick()
{
    const QString name = Prompter().OpenFileName(
        QStringLiteral("打开"),
        QStringLiteral("电子表格文件(*.xls;*.xlsx;*.csv)|*.xls;*.xlsx;*.csv|Excel文件(*.xls)|*.xls|"
                       "Excel工作簿(*.xlsx)|*.xlsx|CSV文件(*.csv)|*.csv"),
        edtFile1->text());
    if (!name.isEmpty())
        edtFile1->setText(name);
}

void TDataImportFrm::OpenFileClick()
{
    const QString fileName = edtFile1->text();
    const QFileInfo info(fileName);
    if (fileName.isEmpty() || !info.isFile()) {
        Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                              QStringLiteral("\r\n源文件%1不存在,请检查.").arg(fileName),
                              {QStringLiteral("确定")});
        edtFile1->setFocus();
        return;
    }
    // Read in full before anything changes, so that a file that cannot be read leaves the
    // wizard as it was.
    auto reader = std::make_unique<TWorkbookReader>(fileName);
    const QStringList names = reader->SheetNames();
    TSheet sheet = reader->ReadSheet(0);

    m_reader = std::move(reader);
    m_sheet = std::move(sheet);
    m_sheetIndex = 0;
    {
        const QSignalBlocker blocker(cbSheets1);
        cbSheets1->clear();
        cbSheets1->addItems(names);
        cbSheets1->setCurrentIndex(0);
    }
    FillPreview();
    ShowStep(1);
}

// ---- step two ----

void TDataImportFrm::SelectSheet(int index)
{
    if (!m_reader || index < 0 || index == m_sheetIndex)
        return;
    // A sheet that cannot be read leaves the previous one chosen and shown.
    auto revert = qScopeGuard([this] {
        const QSignalBlocker blocker(cbSheets1);
        cbSheets1->setCurrentIndex(m_sheetIndex);
    });
    m_sheet = m_reader->ReadSheet(index);
    revert.dismiss();
    m_sheetIndex = index;
    FillPreview();
}

void TDataImportFrm::FillPreview()
{
    m_preview->Close();
    m_preview->ClearFields();
    // Sheet titles may repeat or be empty: the fields get numbered names and carry the
    // titles as their labels.
    for (int column = 0; column < m_sheet.ColumnCount(); ++column) {
        TField *field = m_preview->AddField(FieldKind::WideString, QStringLiteral("F%1").arg(column + 1), 0);
        field->SetDisplayLabel(m_sheet.Titles[column]);
        field->SetDisplayWidth(PreviewColumnWidth);
    }
    m_preview->BeginLoad();
    std::vector<QVariant> values(size_t(m_sheet.ColumnCount()));
    for (int row = 0; row < m_sheet.RowCount(); ++row) {
        for (int column = 0; column < m_sheet.ColumnCount(); ++column)
            values[size_t(column)] = CellText(m_sheet.Cell(row, column));
        m_preview->LoadRow(values.data());
    }
    m_preview->EndLoad();
    grdSource1->RebuildColumns();
}

void TDataImportFrm::BuildMappingClick()
{
    if (!m_hooks.GetFields)
        Abort();
    m_targets.clear();
    m_hooks.GetFields(m_targets);
    const QList<Exchange::TFieldMapping> preset = Exchange::PresetMapping(m_targets, m_sheet.Titles);

    // Replaced as a whole each time, so going back and forth never adds columns.
    if (grdRows1->Tag() <= 0) {
        TGridColumns columns;
        for (const TField *field : m_targets)
            columns.append({field->FieldName(), field->DisplayLabel(), ReviewColumnWidth, true});
        grdRows1->SetColumns(columns);
    }

    MappingEditor->setRowCount(0);
    MappingEditor->setRowCount(int(preset.size()));
    for (int row = 0; row < preset.size(); ++row) {
        auto *key = new QTableWidgetItem(preset[row].Target->DisplayLabel());
        key->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        MappingEditor->setItem(row, 0, key);
        auto *source = Form::Named(new QComboBox, QStringLiteral("cbSource%1").arg(row + 1));
        // The empty item first: a field without a sheet column.
        source->addItem(QString());
        source->addItems(m_sheet.Titles);
        source->setCurrentIndex(
            preset[row].Source.isEmpty() ? 0 : int(m_sheet.Titles.indexOf(preset[row].Source)) + 1);
        MappingEditor->setCellWidget(row, 1, source);
    }
    pbImport1->setValue(0);
    ShowStep(2);
}

QList<Exchange::TFieldMapping> TDataImportFrm::Mapping() const
{
    QList<Exchange::TFieldMapping> mapping;
    for (int row = 0; row < MappingEditor->rowCount() && row < m_targets.size(); ++row) {
        const auto *source = qobject_cast<QComboBox *>(MappingEditor->cellWidget(row, 1));
        mapping.append({m_targets[row], source ? source->currentText() : QString()});
    }
    return mapping;
}

// ---- step three ----

void TDataImportFrm::ResetTarget()
{
    TDataSet *target = TargetDataSet();
    if (m_hooks.Reset) {
        m_hooks.Reset();
    } else if (target && target->Active()) {
        target->Close();
        target->CreateDataSet();
    }
}

void TDataImportFrm::ImportClick()
{
    TDataSet *target = TargetDataSet();
    if (!target || !m_hooks.SetValue)
        Abort();
    // Each import starts from an empty target, so importing again never doubles the records.
    ResetTarget();
    const WaitCursor wait;
    pbImport1->setRange(0, std::max(m_sheet.RowCount(), 1));
    pbImport1->setValue(0);
    Exchange::AppendSheetRows(m_sheet, Mapping(), *target, m_hooks.SetValue, [this](qint64 done) {
        pbImport1->setValue(int(std::min<qint64>(done, pbImport1->maximum())));
        return true;
    });
    pbImport1->setValue(pbImport1->maximum());
    pbSave1->setVisible(false);
    ShowStep(3);
}

// ---- step four ----

void TDataImportFrm::DeleteClick()
{
    TDataSet *target = TargetDataSet();
    if (!target || !target->Active())
        return;
    if (Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"),
                              QStringLiteral("确定要删除所选中的行吗?"),
                              {QStringLiteral("确定"), QStringLiteral("取消")}) != 0)
        return;
    // Physical rows stay put while others are deleted; view rows would shift.
    std::set<int> selected;
    for (int row : grdRows1->SelectedRows())
        selected.insert(target->PhysicalRow(row));
    target->DisableControls();
    const auto enable = qScopeGuard([target] { target->EnableControls(); });
    target->First();
    while (!target->Eof() && !target->IsEmpty()) {
        if (selected.erase(target->Bookmark()) > 0)
            target->Delete();
        else
            target->Next();
    }
}

void TDataImportFrm::BackToMappingClick()
{
    ResetTarget();
    pbImport1->setValue(0);
    ShowStep(2);
}

void TDataImportFrm::SaveClick()
{
    if (!m_hooks.Save)
        Abort();
    TDataSet *target = TargetDataSet();
    const int records = target && target->Active() ? target->RecordCount() : 0;
    pbSave1->setRange(0, std::max(records, 1));
    pbSave1->setValue(0);
    pbSave1->setVisible(true);
    bool saved = false;
    {
        const WaitCursor wait;
        const auto hide = qScopeGuard([this] { pbSave1->setVisible(false); });
        saved = m_hooks.Save([this](qint64 done) {
            pbSave1->setValue(int(done));
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        });
    }
    if (!saved)
        return;
    ShowInfo(QStringLiteral("恭喜,数据导入成功.\t"));
    accept();
}

bool RunArchiveImport(TArchiveImporter &importer, QWidget *owner)
{
    TDataImportFrm wizard(owner);
    wizard.SetHooks(importer.Hooks());
    wizard.SetTemplatePath(TArchiveImporter::TemplatePath());
    wizard.SetTargetDataSet(importer.ReviewList()->DataSet());
    return wizard.ShowModal() == QDialog::Accepted;
}
