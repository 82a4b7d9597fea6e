#pragma once
// The layout engine: binds data sets and callbacks, lays a document out into prepared pages
// (two passes when the total page count or a final total is printed) and answers the names
// that expressions use.

#include "Expression.h"
#include "ReportModel.h"

#include <QPointer>
#include <QSizeF>

#include <functional>
#include <vector>

class TDataSet;

namespace Report {

// A laid-out page: objects with absolute positions in millimetres and evaluated texts.
struct PreparedPage
{
    QSizeF size;
    std::vector<Object> items;
};

class Engine : public Resolver
{
public:
    Engine();
    ~Engine() override;

    struct Binding
    {
        QString name;
        QPointer<TDataSet> dataSet;
    };
    std::vector<Binding> dataSets;

    QString userDataSetName;
    QStringList userFieldNames;
    std::function<QVariant(const QString &fieldName)> userValue;

    std::function<QVariant(const QString &name, bool &handled)> getValue;

    struct Function
    {
        QString name;
        QString declaration;
        std::function<QVariant(const QVariantList &arguments)> call;
    };
    std::vector<Function> functions;

    std::vector<PreparedPage> pages;

    // Lays the document out into `pages`; on failure `pages` is empty and `error` says why.
    // The bound data sets' cursors are never moved: rows are read by position.
    bool Prepare(const Document &document, QString *error);

    // ---- Resolver ----
    NameKind KindOf(const QString &name) override;
    QVariant Value(const QString &name) override;
    QVariant Field(const QString &dataSet, const QString &fieldName) override;
    QVariant Call(const QString &function, const QVariantList &arguments) override;
    QVariant Aggregate(int index) override;

private:
    class Run;
    friend class Run;
    Run *m_run = nullptr; // the layout in progress, for the name look-ups
};

} // namespace Report
