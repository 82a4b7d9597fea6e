#pragma once
// The report engine: templates in the project's own XML format (see share/reports/FORMAT.md),
// laid out into pages over named data sets, previewed, printed and exported, and edited in
// the designer. This class is what the report runner talks to; the template model, the
// renderer, the preview and the designer sit behind it.

#include <QByteArray>
#include <QObject>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class QPainter;
class QWidget;
class TDataSet;

namespace Report {
class Document; // the template model (ReportModel.h)
class Engine;   // layout and expressions (private)
} // namespace Report

class TReportEngine : public QObject
{
    Q_OBJECT
public:
    explicit TReportEngine(QObject *parent = nullptr);
    ~TReportEngine() override;

    // ---- the template ----
    // An empty report: one A4 portrait page without bands.
    void Clear();
    // Bytes that are empty, truncated or not a template leave an empty report and answer
    // false with a message for the user in `error`.
    bool LoadFromBytes(const QByteArray &bytes, QString *error = nullptr);
    bool LoadFromFile(const QString &path, QString *error = nullptr);
    QByteArray SaveToBytes() const;
    bool SaveToFile(const QString &path, QString *error = nullptr) const;
    // A value the caller keeps with the report (the runner keeps the template's Id).
    QVariant Tag() const { return m_tag; }
    void SetTag(const QVariant &tag) { m_tag = tag; }
    Report::Document &Document();

    // ---- data ----
    // Binds a data set under a name ("d0", "d1", ...): [d0.Code] reads its field Code, and a
    // master-data band bound to "d0" repeats for each of its rows.
    void AddDataSet(const QString &name, TDataSet *dataSet);
    void ClearDataSets();
    QStringList DataSetNames() const;
    TDataSet *DataSetByName(const QString &name) const;
    // The user data set: named fields whose values are asked of the caller ([u.Name]).
    void SetUserDataSet(const QString &name, const QStringList &fieldNames,
                        std::function<QVariant(const QString &fieldName)> value);
    // What the designer lists of the user data set.
    QString UserDataSetName() const;
    QStringList UserFieldNames() const;
    // Asked for a variable the report does not know ([u_Company]); answer handled = false to
    // leave it unknown (it then shows empty).
    std::function<QVariant(const QString &name, bool &handled)> OnGetValue;
    // A function callable from expressions and scripts, e.g. "function Show1(s: String): Integer".
    void RegisterFunction(const QString &name, const QString &declaration,
                          std::function<QVariant(const QVariantList &arguments)> call);

    // ---- output ----
    // Lays the report out into pages. An expression that does not parse fails with an error
    // naming the object and the expression.
    bool Prepare(QString *error = nullptr);
    int PageCount() const;
    QSizeF PageSizeMM(int page) const;
    // Draws a prepared page, scaled to the painter's device at `dpi`.
    void PaintPage(int page, QPainter &painter, qreal dpi) const;
    bool ExportPdf(const QString &path, QString *error = nullptr);
    // One PNG per page: path with "%1" replaced by the 1-based page number.
    bool ExportPng(const QString &pathPattern, int dpi = 150, QString *error = nullptr);
    // Page texts as drawn (for tests and search in the preview).
    QStringList PageTexts(int page) const;

    // ---- windows (modal, through Prompter().ExecDialog) ----
    // The preview and the designer belong to the engine's window library, which installs them
    // here (InstallReportWindows); without them both commands fail with a message.
    struct Windows
    {
        std::function<void(TReportEngine &, QWidget *parent)> preview;
        std::function<void(TReportEngine &, QWidget *parent)> designer;
    };
    static void SetWindows(Windows windows);
    // Prepares and shows the preview: page navigation, zoom, print, export to PDF and PNG.
    void ShowPreview(QWidget *parent = nullptr);
    // The designer. Its open and save commands are answered by the caller: OnDesignerOpen
    // answers whether a report was loaded; OnDesignerSave(saveAs) whether it was saved.
    std::function<bool(TReportEngine &)> OnDesignerOpen;
    std::function<bool(TReportEngine &, bool saveAs)> OnDesignerSave;
    bool DesignerNewEnabled = false;
    void ShowDesigner(QWidget *parent = nullptr);

private:
    std::unique_ptr<Report::Document> m_document;
    std::unique_ptr<Report::Engine> m_engine;
    QVariant m_tag;
};
