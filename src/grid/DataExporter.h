#pragma once
// The export wizard: the user picks which fields of a data set go out and in what order, then
// the format, the encoding and the file; the records are written by the exchange library.
// Page one arranges the fields, page two says where they go; OK on page two checks the
// choices, writes the file and offers to open it.

#include "BaseWindow.h"

#include <QList>
#include <QPointer>
#include <QString>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QTabWidget;
class TDataSet;

class TDataExporterFrm : public TaFrm
{
    Q_OBJECT
public:
    // The formats, in the order of their radio items.
    enum Format { TabText = 0, TabSheet = 1, Html = 2, Csv = 3, Workbook = 4 };

    // The data set is not owned and never changed; its current record stays where it was.
    explicit TDataExporterFrm(TDataSet &dataSet, QWidget *owner = nullptr);
    ~TDataExporterFrm() override;

    // The display labels of the chosen fields, each followed by CR LF. Setting it chooses,
    // line by line, the first available field of that label; unknown labels are skipped.
    QString SelectedFields() const;
    void SetSelectedFields(const QString &labels);
    // The chosen fields' indexes in the data set, in export order.
    QList<int> ChosenFieldIndexes() const;

    // -1 while no format is chosen.
    int FormatIndex() const;
    void SetFormatIndex(int index);
    // The save dialog's filter and default extension of the chosen format (empty for none).
    QString SaveFilter() const { return m_filter; }
    QString DefaultExt() const { return m_defaultExt; }

    QTabWidget *PageControl1;
    // Page one: the fields.
    QListWidget *lstAvailable1; // each item carries its field's index
    QListWidget *lstChosen1;
    QPushButton *btnAdd1;
    QPushButton *btnRemove1;
    QPushButton *btnUp1;
    QPushButton *btnDown1;
    // Page two: the output.
    QGroupBox *grpFormat1;
    QButtonGroup *rgFormat1; // ids are the Format values
    QComboBox *cbEncoding1;  // GBK, UTF-8; text formats only
    QLineEdit *edtFile1;
    QPushButton *btnBrowse1;
    QProgressBar *pbExport1; // shown while records are written
    // Under the pages.
    QPushButton *btnCancel1;
    QPushButton *btnHelp1;
    QPushButton *btnPrior1;
    QPushButton *btnNext1;

    void AddClick();
    void RemoveClick();
    void MoveUpClick();
    void MoveDownClick();
    void NextClick();
    void PriorClick();
    void BrowseClick();

protected:
    // OK runs the checks and writes the file; a refused check keeps the window open. While
    // the file is being written, closing asks the writer to stop instead.
    bool CanClose(int modalResult) override;

private:
    void ShowPage(int index);
    void FormatChosen(int index);
    void UpdateAddButton();
    void UpdateChosenButtons();
    // Moves the selected item of `from` to the end of `to`; false when nothing was selected.
    bool MoveItem(QListWidget *from, QListWidget *to);
    void PlainMessage(const QString &text);
    bool Export();
    qint64 WriteFile(const QString &fileName);

    QPointer<TDataSet> m_dataSet;
    QString m_filter;
    QString m_defaultExt;
    bool m_writing = false;
    bool m_cancelWriting = false;
};

// What the grids' export command runs: the wizard over the grid's data set, shown modally.
void ShowDataExporter(TDataSet &dataSet, QWidget *owner);
