#include "ReportEngine.h"

#include "DataSet.h"
#include "Exceptions.h"
#include "Layout.h"
#include "Prompter.h"
#include "Render.h"
#include "ReportModel.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

TReportEngine::TReportEngine(QObject *parent)
    : QObject(parent), m_document(std::make_unique<Report::Document>()),
      m_engine(std::make_unique<Report::Engine>())
{
}

TReportEngine::~TReportEngine() = default;

// ---- the template ----

void TReportEngine::Clear()
{
    m_document->Clear();
    m_engine->pages.clear();
}

bool TReportEngine::LoadFromBytes(const QByteArray &bytes, QString *error)
{
    m_engine->pages.clear();
    return m_document->LoadFromXml(bytes, error);
}

bool TReportEngine::LoadFromFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Clear();
        if (error)
            *error = QStringLiteral("The file \"%1\" cannot be read: %2").arg(path, file.errorString());
        return false;
    }
    return LoadFromBytes(file.readAll(), error);
}

QByteArray TReportEngine::SaveToBytes() const
{
    return m_document->SaveToXml();
}

bool TReportEngine::SaveToFile(const QString &path, QString *error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SaveToBytes()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

Report::Document &TReportEngine::Document()
{
    return *m_document;
}

// ---- data ----

void TReportEngine::AddDataSet(const QString &name, TDataSet *dataSet)
{
    for (auto &binding : m_engine->dataSets) {
        if (binding.name.compare(name, Qt::CaseInsensitive) == 0) {
            binding.dataSet = dataSet;
            return;
        }
    }
    m_engine->dataSets.push_back({name, dataSet});
}

void TReportEngine::ClearDataSets()
{
    m_engine->dataSets.clear();
}

QStringList TReportEngine::DataSetNames() const
{
    QStringList names;
    for (const auto &binding : m_engine->dataSets)
        names << binding.name;
    return names;
}

TDataSet *TReportEngine::DataSetByName(const QString &name) const
{
    for (const auto &binding : m_engine->dataSets)
        if (binding.name.compare(name, Qt::CaseInsensitive) == 0)
            return binding.dataSet;
    return nullptr;
}

void TReportEngine::SetUserDataSet(const QString &name, const QStringList &fieldNames,
                                   std::function<QVariant(const QString &fieldName)> value)
{
    m_engine->userDataSetName = name;
    m_engine->userFieldNames = fieldNames;
    m_engine->userValue = std::move(value);
}

QString TReportEngine::UserDataSetName() const
{
    return m_engine->userDataSetName;
}

QStringList TReportEngine::UserFieldNames() const
{
    return m_engine->userFieldNames;
}

void TReportEngine::RegisterFunction(const QString &name, const QString &declaration,
                                     std::function<QVariant(const QVariantList &arguments)> call)
{
    for (auto &function : m_engine->functions) {
        if (function.name.compare(name, Qt::CaseInsensitive) == 0) {
            function.declaration = declaration;
            function.call = std::move(call);
            return;
        }
    }
    m_engine->functions.push_back({name, declaration, std::move(call)});
}

// ---- output ----

bool TReportEngine::Prepare(QString *error)
{
    m_engine->getValue = OnGetValue;
    return m_engine->Prepare(*m_document, error);
}

int TReportEngine::PageCount() const
{
    return int(m_engine->pages.size());
}

QSizeF TReportEngine::PageSizeMM(int page) const
{
    if (page < 0 || page >= PageCount())
        return {};
    return m_engine->pages[size_t(page)].size;
}

void TReportEngine::PaintPage(int page, QPainter &painter, qreal dpi) const
{
    if (page < 0 || page >= PageCount())
        return;
    painter.save();
    painter.scale(dpi / 25.4, dpi / 25.4);
    for (const Report::Object &item : m_engine->pages[size_t(page)].items)
        Report::PaintObject(painter, item);
    painter.restore();
}

bool TReportEngine::ExportPdf(const QString &path, QString *error)
{
    if (PageCount() == 0 && !Prepare(error))
        return false;
    {
        // QPdfWriter says nothing about a file it cannot create; find out first.
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error)
                *error =
                    QStringLiteral("The file \"%1\" cannot be written: %2").arg(path, probe.errorString());
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setResolution(1200);
    writer.setCreator(QStringLiteral("pzarc"));
    writer.setPageLayout(Report::PageLayoutFor(PageSizeMM(0)));
    QPainter painter;
    if (!painter.begin(&writer)) {
        if (error)
            *error = QStringLiteral("The file \"%1\" cannot be written.").arg(path);
        return false;
    }
    for (int i = 0; i < PageCount(); ++i) {
        if (i > 0) {
            writer.setPageLayout(Report::PageLayoutFor(PageSizeMM(i)));
            writer.newPage();
        }
        PaintPage(i, painter, writer.resolution());
    }
    painter.end();
    return true;
}

bool TReportEngine::ExportPng(const QString &pathPattern, int dpi, QString *error)
{
    if (PageCount() == 0 && !Prepare(error))
        return false;
    for (int i = 0; i < PageCount(); ++i) {
        const QSizeF size = PageSizeMM(i);
        QImage image(qRound(size.width() / 25.4 * dpi), qRound(size.height() / 25.4 * dpi),
                     QImage::Format_RGB32);
        image.setDotsPerMeterX(qRound(dpi / 0.0254));
        image.setDotsPerMeterY(qRound(dpi / 0.0254));
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            PaintPage(i, painter, dpi);
        }
        QString path = pathPattern;
        if (path.contains(QLatin1String("%1")))
            path = path.arg(i + 1);
        else if (PageCount() > 1)
            path = QFileInfo(path).path() + QLatin1Char('/') + QFileInfo(path).completeBaseName() +
                   QStringLiteral("-%1.").arg(i + 1) + QFileInfo(path).suffix();
        if (!image.save(path, "PNG")) {
            if (error)
                *error = QStringLiteral("The file \"%1\" cannot be written.").arg(path);
            return false;
        }
    }
    return true;
}

QStringList TReportEngine::PageTexts(int page) const
{
    QStringList texts;
    if (page < 0 || page >= PageCount())
        return texts;
    for (const Report::Object &item : m_engine->pages[size_t(page)].items)
        if ((item.kind == Report::ObjectKind::Text || item.kind == Report::ObjectKind::Barcode) &&
            !item.text.isEmpty())
            texts << item.text;
    return texts;
}

// ---- windows ----

namespace {
TReportEngine::Windows &InstalledWindows()
{
    static TReportEngine::Windows windows;
    return windows;
}
} // namespace

void TReportEngine::SetWindows(Windows windows)
{
    InstalledWindows() = std::move(windows);
}

void TReportEngine::ShowPreview(QWidget *parent)
{
    QString error;
    if (!Prepare(&error)) {
        Prompter().MessageBox(MsgIcon::Warning, QStringLiteral("警告"), error, {QStringLiteral("确定")});
        return;
    }
    if (!InstalledWindows().preview)
        throw Exception(QStringLiteral("报表预览窗口不可用。"));
    InstalledWindows().preview(*this, parent);
}

void TReportEngine::ShowDesigner(QWidget *parent)
{
    if (!InstalledWindows().designer)
        throw Exception(QStringLiteral("报表设计器不可用。"));
    InstalledWindows().designer(*this, parent);
}
