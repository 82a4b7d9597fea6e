#pragma once
// The import wizard: four steps over a spreadsheet file (.xls, .xlsx or .csv). Step one picks
// the file, step two a sheet of it (with a preview), step three maps the sheet's columns onto
// the host's target fields, step four shows the records built from the non-blank rows for
// review, lets the user drop some, and asks the host to save them. The wizard knows nothing
// of what the records are: the host's hooks list the fields, store each value and save.

#include "BaseWindow.h"
#include "SheetImport.h"
#include "WorkbookReader.h"

#include <QList>
#include <QPointer>

#include <memory>

class QComboBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class TArchiveImporter;
class TDataSet;
class TpzDBGrid;

class TDataImportFrm : public TaFrm
{
    Q_OBJECT
public:
    explicit TDataImportFrm(QWidget *owner = nullptr);
    ~TDataImportFrm() override;

    // ---- what the host sets before showing the wizard ----
    void SetHooks(const Exchange::TImportHooks &hooks) { m_hooks = hooks; }
    // The sample workbook the user may open from step one.
    void SetTemplatePath(const QString &path);
    // The data set the imported records are appended to and reviewed in (not owned).
    void SetTargetDataSet(TDataSet *dataSet);
    TDataSet *TargetDataSet() const;

    // ---- state, for the host and tests ----
    // The step in front, from 0.
    int Step() const;
    // The sheet read for the preview and the import.
    const TSheet &Sheet() const { return m_sheet; }
    // The mapping as the editor shows it: one row per target field, its source title or empty.
    QList<Exchange::TFieldMapping> Mapping() const;

    QStackedWidget *Pages;
    // Step one: the file.
    QLineEdit *edtTemplate1;
    QPushButton *btnOpenTemplate1;
    QLineEdit *edtFile1;
    QPushButton *btnBrowse1;
    QPushButton *btnNext1;
    QPushButton *btnCancel1;
    // Step two: the sheet.
    QComboBox *cbSheets1;
    TpzDBGrid *grdSource1;
    QPushButton *btnPrior2;
    QPushButton *btnNext2;
    QPushButton *btnCancel2;
    // Step three: the mapping. Column 1 of each row holds a combo box of the sheet's titles,
    // an empty item first.
    QTableWidget *MappingEditor;
    QProgressBar *pbImport1;
    QPushButton *btnPrior3;
    QPushButton *btnNext3;
    QPushButton *btnCancel3;
    // Step four: the review.
    TpzDBGrid *grdRows1;
    QProgressBar *pbSave1;
    QPushButton *btnPrior4;
    QPushButton *btnOk4;
    QPushButton *btnCancel4;

    void OpenTemplateClick();
    void BrowseClick();
    // Opens the file and reads its first sheet; a missing, damaged, encrypted or empty file
    // keeps step one in front.
    void OpenFileClick();
    void SelectSheet(int index);
    void BuildMappingClick();
    void ImportClick();
    // Deletes the review records selected in the grid, after asking.
    void DeleteClick();
    void BackToMappingClick();
    void SaveClick();

private:
    void ShowStep(int step);
    void FillPreview();
    // Empties the target of what an earlier import appended.
    void ResetTarget();

    Exchange::TImportHooks m_hooks;
    std::unique_ptr<TWorkbookReader> m_reader;
    TSheet m_sheet;
    int m_sheetIndex = -1;
    TDataSet *m_preview; // the sheet as the preview grid shows it
    QList<TField *> m_targets;
};

// Runs the wizard for the archive importer: its hooks, its sample workbook and its review
// list. True when the records were saved.
bool RunArchiveImport(TArchiveImporter &importer, QWidget *owner = nullptr);
