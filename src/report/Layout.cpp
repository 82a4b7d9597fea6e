#include "Layout.h"

#include "DataSet.h"
#include "Render.h"

#include <QRegularExpression>

#include <map>

namespace Report {

namespace {

// Where an aggregate's rows come from and when it starts again from nothing.
enum class AggregateScope {
    Running, // every row so far
    Page,    // the rows on the current page (page and column footers)
    Group,   // the rows of the current group (group headers and footers)
    Final,   // every row of the report, known from the first pass (report title)
};

struct Accumulator
{
    double sum = 0;
    int count = 0;
    QVariant min;
    QVariant max;
};

bool IsNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

bool Less(const QVariant &a, const QVariant &b)
{
    if (IsNumber(a) && IsNumber(b))
        return a.toDouble() < b.toDouble();
    if (a.typeId() == QMetaType::QDateTime && b.typeId() == QMetaType::QDateTime)
        return a.toDateTime() < b.toDateTime();
    return a.toString() < b.toString();
}

bool SameKey(const QVariant &a, const QVariant &b)
{
    if (IsNumber(a) && IsNumber(b))
        return a.toDouble() == b.toDouble();
    if (a.isValid() != b.isValid())
        return false;
    return a == b;
}

const QStringList BuiltIns{QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Page"),
                           QStringLiteral("TotalPages"), QStringLiteral("Line")};

} // namespace

class Engine::Run
{
public:
    Run(Engine &engine, const Document &document) : m_engine(engine), m_document(document), m_js(engine) {}

    struct Piece
    {
        bool expression = false;
        QString text; // literal text, or the expression as written
        int handle = -1;
    };
    struct CompiledObject
    {
        const Object *object = nullptr;
        std::vector<Piece> pieces;
    };
    struct CompiledBand
    {
        std::vector<CompiledObject> objects;
        int condition = -1;
    };
    struct AggregateState
    {
        AggregateCall call;
        const Object *owner = nullptr;
        int argument = -1;
        const Band *dataBand = nullptr;
        AggregateScope scope = AggregateScope::Running;
        const Band *resetBand = nullptr; // Group scope: the band whose start begins a new group
        Accumulator accumulator;
        QVariant final;
    };
    struct Instance
    {
        qreal height = 0;
        std::vector<Object> items;
    };

    bool Compile(QString *error);
    bool Layout();

    Engine &m_engine;
    const Document &m_document;
    ExpressionEngine m_js;
    std::map<const Band *, CompiledBand> m_bands;
    std::vector<AggregateCall> m_calls;
    std::vector<AggregateState> m_aggregates;
    std::map<const TDataSet *, int> m_rows; // the row a data band is on, per data set

    QDateTime m_now;
    int m_pass = 1;
    int m_totalPages = 0;
    bool m_needsSecondPass = false;
    int m_pageNumber = 0;
    int m_line = 0;
    QString m_failure;

private:
    bool CompileText(const Page &page, const Band &band, const Object &object, CompiledObject &compiled,
                     QString *error);
    bool CompileAggregates(const Page &page, const Band &band, const Object *owner, size_t from,
                           QString *error);
    const Band *OwnerData(const Page &page, const Band &band) const;
    const Band *HeaderOfFooter(const Page &page, const Band &footer) const;

    // ---- flow ----
    bool LayoutPage(const Page &page);
    void RunData(const Page &page, size_t index);
    void PrintFooters(const std::vector<const Band *> &footers, int groups, int fromLevel, int toLevel);
    void StartPage(bool firstOfTemplatePage);
    void FinishPage();
    void Break();
    qreal Limit() const;
    void PlaceFixed(const Band &band);
    void PlaceFlowing(const Band &band, const Band *dataRow = nullptr);
    bool Render(const Band &band, Instance &instance);
    void Put(const Instance &instance, qreal top);
    void Accumulate(const Band &dataBand);
    void ResetGroup(const Band &band);
    QString Evaluate(const CompiledObject &compiled);
    QVariant EvaluateHandle(int handle, const QString &source, const QString &owner);
    TDataSet *DataSetOf(const Band &band) const;

    const Page *m_page = nullptr;
    QRectF m_content;
    qreal m_y = 0;
    qreal m_bodyTop = 0;
    bool m_footerShown = false;
    bool m_columnFooterPlaced = false;
    bool m_firstOfTemplatePage = false;
};

// ---- compiling ----

bool Engine::Run::Compile(QString *error)
{
    for (const auto &page : m_document.pages) {
        for (const auto &band : page->bands) {
            CompiledBand &compiled = m_bands[band.get()];
            if (band->kind == BandKind::GroupHeader && !band->condition.trimmed().isEmpty()) {
                QString rewritten, message;
                const size_t before = m_calls.size();
                if (!RewriteExpression(band->condition, m_calls, &rewritten, &message) ||
                    (compiled.condition = m_js.Compile(rewritten, &message)) < 0) {
                    *error = QStringLiteral("%1: the condition [%2] is not a valid expression: %3")
                                 .arg(band->name, band->condition, message);
                    return false;
                }
                if (m_calls.size() != before) {
                    *error = QStringLiteral("%1: the condition [%2] cannot use an aggregate")
                                 .arg(band->name, band->condition);
                    return false;
                }
            }
            for (const auto &object : band->objects) {
                if (object->kind != ObjectKind::Text && object->kind != ObjectKind::Barcode) {
                    compiled.objects.push_back({object.get(), {}});
                    continue;
                }
                CompiledObject compiledObject{object.get(), {}};
                if (!CompileText(*page, *band, *object, compiledObject, error))
                    return false;
                compiled.objects.push_back(std::move(compiledObject));
            }
        }
    }
    return true;
}

bool Engine::Run::CompileText(const Page &page, const Band &band, const Object &object,
                              CompiledObject &compiled, QString *error)
{
    std::vector<TextPart> parts;
    QString message;
    if (!SplitTemplateText(object.text, parts, &message)) {
        *error = QStringLiteral("%1: %2 in \"%3\"").arg(object.name, message, object.text);
        return false;
    }
    for (const TextPart &part : parts) {
        Piece piece{part.expression, part.text, -1};
        if (part.expression) {
            QString rewritten;
            const size_t before = m_calls.size();
            if (!RewriteExpression(part.text, m_calls, &rewritten, &message) ||
                (piece.handle = m_js.Compile(rewritten, &message)) < 0) {
                *error = QStringLiteral("%1: the expression [%2] is not valid: %3")
                             .arg(object.name, part.text, message);
                return false;
            }
            if (!CompileAggregates(page, band, &object, before, error))
                return false;
        }
        compiled.pieces.push_back(piece);
    }
    return true;
}

const Band *Engine::Run::OwnerData(const Page &page, const Band &band) const
{
    const auto &bands = page.bands;
    size_t at = 0;
    while (at < bands.size() && bands[at].get() != &band)
        ++at;
    if (at == bands.size())
        return nullptr;
    if (band.kind == BandKind::MasterData)
        return &band;
    if (band.kind == BandKind::GroupHeader) {
        for (size_t i = at + 1; i < bands.size(); ++i) {
            if (bands[i]->kind == BandKind::MasterData)
                return bands[i].get();
            if (bands[i]->kind != BandKind::GroupHeader)
                return nullptr;
        }
    }
    if (band.kind == BandKind::GroupFooter) {
        for (size_t i = at; i-- > 0;) {
            if (bands[i]->kind == BandKind::MasterData)
                return bands[i].get();
            if (bands[i]->kind != BandKind::GroupFooter)
                return nullptr;
        }
    }
    return nullptr;
}

// The header a footer closes: the first footer after the data closes the innermost group.
// Footers beyond the number of groups close the data band as a whole (answered nullptr).
const Band *Engine::Run::HeaderOfFooter(const Page &page, const Band &footer) const
{
    const Band *data = OwnerData(page, footer);
    if (!data)
        return nullptr;
    const auto &bands = page.bands;
    size_t at = 0;
    while (bands[at].get() != data)
        ++at;
    std::vector<const Band *> headers;
    for (size_t i = at; i-- > 0 && bands[i]->kind == BandKind::GroupHeader;)
        headers.push_back(bands[i].get()); // innermost first
    size_t j = 0;
    for (size_t i = at + 1; i < bands.size() && bands[i]->kind == BandKind::GroupFooter; ++i, ++j)
        if (bands[i].get() == &footer)
            return j < headers.size() ? headers[j] : nullptr;
    return nullptr;
}

bool Engine::Run::CompileAggregates(const Page &page, const Band &band, const Object *owner, size_t from,
                                    QString *error)
{
    for (size_t i = from; i < m_calls.size(); ++i) {
        AggregateState state;
        state.call = m_calls[i];
        state.owner = owner;
        const QString where = owner ? owner->name : band.name;
        if (!state.call.argument.isEmpty()) {
            QString message;
            state.argument = m_js.Compile(state.call.argument, &message);
            if (state.argument < 0) {
                *error = QStringLiteral("%1: the argument of %2 [%3] is not valid: %4")
                             .arg(where, state.call.function, state.call.argument, message);
                return false;
            }
        }
        if (!state.call.band.isEmpty()) {
            for (const auto &candidate : page.bands)
                if (candidate->kind == BandKind::MasterData &&
                    (candidate->name.compare(state.call.band, Qt::CaseInsensitive) == 0 ||
                     candidate->dataSet.compare(state.call.band, Qt::CaseInsensitive) == 0))
                    state.dataBand = candidate.get();
            if (!state.dataBand) {
                *error = QStringLiteral("%1: %2 names no data band \"%3\"")
                             .arg(where, state.call.function, state.call.band);
                return false;
            }
        } else if ((state.dataBand = OwnerData(page, band)) == nullptr) {
            // The data band whose data set the argument reads, else the first one.
            for (const auto &candidate : page.bands) {
                if (candidate->kind != BandKind::MasterData)
                    continue;
                if (!state.dataBand)
                    state.dataBand = candidate.get();
                const QRegularExpression reads(QStringLiteral("(^|[^\\w.])%1\\s*[.\\[]")
                                                   .arg(QRegularExpression::escape(candidate->dataSet)),
                                               QRegularExpression::CaseInsensitiveOption);
                if (!candidate->dataSet.isEmpty() && reads.match(state.call.argument).hasMatch()) {
                    state.dataBand = candidate.get();
                    break;
                }
            }
        }
        switch (band.kind) {
        case BandKind::ReportTitle:
            state.scope = AggregateScope::Final;
            break;
        case BandKind::PageFooter:
        case BandKind::ColumnFooter:
            state.scope = AggregateScope::Page;
            break;
        case BandKind::GroupHeader:
            state.scope = AggregateScope::Group;
            state.resetBand = &band;
            break;
        case BandKind::GroupFooter: {
            state.scope = AggregateScope::Group;
            const Band *header = HeaderOfFooter(page, band);
            state.resetBand = header ? header : state.dataBand;
            break;
        }
        default:
            state.scope = AggregateScope::Running;
            break;
        }
        m_aggregates.push_back(std::move(state));
    }
    return true;
}

// ---- evaluation ----

QVariant Engine::Run::EvaluateHandle(int handle, const QString &source, const QString &owner)
{
    QString message;
    QVariant value = m_js.Evaluate(handle, &message);
    if (!message.isEmpty() && m_failure.isEmpty())
        m_failure = QStringLiteral("%1: the expression [%2] failed: %3").arg(owner, source, message);
    return value;
}

QString Engine::Run::Evaluate(const CompiledObject &compiled)
{
    QString text;
    for (const Piece &piece : compiled.pieces) {
        if (!piece.expression)
            text += piece.text;
        else
            text += FormatValue(EvaluateHandle(piece.handle, piece.text, compiled.object->name),
                                compiled.object->format);
    }
    return text;
}

bool Engine::Run::Render(const Band &band, Instance &instance)
{
    instance.items.clear();
    instance.height = band.height;
    const CompiledBand &compiled = m_bands[&band];
    for (const CompiledObject &object : compiled.objects) {
        Object item = *object.object;
        if (item.kind == ObjectKind::Text || item.kind == ObjectKind::Barcode)
            item.text = Evaluate(object);
        if (band.canGrow && item.kind == ObjectKind::Text && item.wordWrap) {
            const qreal needed = TextHeight(item, item.text);
            if (needed > item.rect.height())
                item.rect.setHeight(needed);
        }
        if (band.canGrow)
            instance.height = std::max(instance.height, item.rect.bottom());
        instance.items.push_back(std::move(item));
    }
    return m_failure.isEmpty();
}

void Engine::Run::Accumulate(const Band &dataBand)
{
    for (AggregateState &state : m_aggregates) {
        if (state.dataBand != &dataBand)
            continue;
        Accumulator &acc = state.accumulator;
        if (state.argument < 0) {
            ++acc.count;
            continue;
        }
        const QVariant value = EvaluateHandle(state.argument, state.call.argument,
                                              state.owner ? state.owner->name : dataBand.name);
        if (!value.isValid() || value.isNull() ||
            (value.typeId() == QMetaType::QString && value.toString().isEmpty()))
            continue;
        ++acc.count;
        bool numeric = false;
        const double number = value.toDouble(&numeric);
        if (numeric)
            acc.sum += number;
        if (!acc.min.isValid() || Less(value, acc.min))
            acc.min = value;
        if (!acc.max.isValid() || Less(acc.max, value))
            acc.max = value;
    }
}

void Engine::Run::ResetGroup(const Band &band)
{
    for (AggregateState &state : m_aggregates)
        if (state.scope == AggregateScope::Group && state.resetBand == &band)
            state.accumulator = Accumulator();
}

TDataSet *Engine::Run::DataSetOf(const Band &band) const
{
    for (const Binding &binding : m_engine.dataSets)
        if (binding.name.compare(band.dataSet, Qt::CaseInsensitive) == 0)
            return binding.dataSet;
    return nullptr;
}

// ---- flow ----

bool Engine::Run::Layout()
{
    m_pageNumber = 0;
    m_line = 0;
    m_rows.clear();
    for (AggregateState &state : m_aggregates)
        state.accumulator = Accumulator();
    for (const auto &page : m_document.pages)
        if (!LayoutPage(*page))
            return false;
    return m_failure.isEmpty();
}

bool Engine::Run::LayoutPage(const Page &page)
{
    m_page = &page;
    StartPage(true);
    for (size_t i = 0; i < page.bands.size() && m_failure.isEmpty(); ++i)
        if (page.bands[i]->kind == BandKind::MasterData)
            RunData(page, i);
    if (const Band *columnFooter = page.FindBand(BandKind::ColumnFooter)) {
        PlaceFlowing(*columnFooter);
        m_columnFooterPlaced = true;
    }
    if (const Band *summary = page.FindBand(BandKind::ReportSummary)) {
        if (summary->startNewPage)
            Break();
        PlaceFlowing(*summary);
    }
    FinishPage();
    return m_failure.isEmpty();
}

void Engine::Run::RunData(const Page &page, size_t index)
{
    const Band &band = *page.bands[index];
    std::vector<const Band *> headers; // outermost first
    for (size_t i = index; i-- > 0 && page.bands[i]->kind == BandKind::GroupHeader;)
        headers.insert(headers.begin(), page.bands[i].get());
    std::vector<const Band *> footers; // innermost first
    for (size_t i = index + 1; i < page.bands.size() && page.bands[i]->kind == BandKind::GroupFooter; ++i)
        footers.push_back(page.bands[i].get());

    ResetGroup(band);
    TDataSet *dataSet = DataSetOf(band);
    if (!dataSet || !dataSet->Active())
        return;
    const int rowCount = dataSet->RecordCount();
    const int groups = int(headers.size());
    std::vector<QVariant> keys(static_cast<size_t>(groups));
    m_line = 0;
    for (int row = 0; row < rowCount && m_failure.isEmpty(); ++row) {
        m_rows[dataSet] = row;
        std::vector<QVariant> newKeys(static_cast<size_t>(groups));
        for (int level = 0; level < groups; ++level) {
            const int condition = m_bands[headers[size_t(level)]].condition;
            if (condition >= 0)
                newKeys[size_t(level)] = EvaluateHandle(condition, headers[size_t(level)]->condition,
                                                        headers[size_t(level)]->name);
        }
        int changed = row == 0 ? 0 : groups;
        for (int level = 0; row > 0 && level < groups; ++level) {
            if (!SameKey(keys[size_t(level)], newKeys[size_t(level)])) {
                changed = level;
                break;
            }
        }
        if (row > 0 && changed < groups) {
            // Footers show the group that ends, so they read the row before.
            m_rows[dataSet] = row - 1;
            PrintFooters(footers, groups, groups - 1, changed);
            m_rows[dataSet] = row;
        }
        for (int level = changed; level < groups && m_failure.isEmpty(); ++level) {
            const Band &header = *headers[size_t(level)];
            ResetGroup(header);
            if (header.startNewPage && row > 0)
                Break();
            PlaceFlowing(header);
        }
        if (changed < groups)
            m_line = 0;
        keys = std::move(newKeys);
        if (band.startNewPage && row > 0)
            Break();
        ++m_line;
        PlaceFlowing(band, &band);
    }
    if (rowCount > 0 && m_failure.isEmpty()) {
        m_rows[dataSet] = rowCount - 1;
        PrintFooters(footers, groups, groups - 1, 0);
        for (size_t j = size_t(groups); j < footers.size(); ++j)
            PlaceFlowing(*footers[j]);
    }
    m_rows.erase(dataSet);
}

void Engine::Run::PrintFooters(const std::vector<const Band *> &footers, int groups, int fromLevel,
                               int toLevel)
{
    for (int level = fromLevel; level >= toLevel && m_failure.isEmpty(); --level) {
        const size_t j = size_t(groups - 1 - level);
        if (j < footers.size())
            PlaceFlowing(*footers[j]);
    }
}

void Engine::Run::StartPage(bool firstOfTemplatePage)
{
    m_engine.pages.push_back({m_page->PrintedSize(), {}});
    ++m_pageNumber;
    m_firstOfTemplatePage = firstOfTemplatePage;
    for (AggregateState &state : m_aggregates)
        if (state.scope == AggregateScope::Page)
            state.accumulator = Accumulator();
    m_content = m_page->ContentRect();
    m_y = m_content.top();
    m_columnFooterPlaced = false;
    if (firstOfTemplatePage)
        if (const Band *title = m_page->FindBand(BandKind::ReportTitle))
            PlaceFixed(*title);
    const Band *header = m_page->FindBand(BandKind::PageHeader);
    if (header && (!firstOfTemplatePage || header->printOnFirstPage))
        PlaceFixed(*header);
    if (const Band *columnHeader = m_page->FindBand(BandKind::ColumnHeader))
        PlaceFixed(*columnHeader);
    const Band *footer = m_page->FindBand(BandKind::PageFooter);
    m_footerShown = footer && (!firstOfTemplatePage || footer->printOnFirstPage);
    m_bodyTop = m_y;
}

void Engine::Run::FinishPage()
{
    if (const Band *columnFooter = m_page->FindBand(BandKind::ColumnFooter);
        columnFooter && !m_columnFooterPlaced) {
        PlaceFixed(*columnFooter);
        m_columnFooterPlaced = true;
    }
    if (m_footerShown) {
        const Band &footer = *m_page->FindBand(BandKind::PageFooter);
        Instance instance;
        if (Render(footer, instance))
            Put(instance, m_content.bottom() - instance.height);
    }
}

void Engine::Run::Break()
{
    if (m_y <= m_bodyTop + 1e-6)
        return;
    FinishPage();
    StartPage(false);
}

qreal Engine::Run::Limit() const
{
    qreal limit = m_content.bottom();
    if (m_footerShown)
        limit -= m_page->FindBand(BandKind::PageFooter)->height;
    const Band *columnFooter = m_page->FindBand(BandKind::ColumnFooter);
    if (columnFooter && !m_columnFooterPlaced)
        limit -= columnFooter->height;
    return limit;
}

void Engine::Run::PlaceFixed(const Band &band)
{
    Instance instance;
    if (Render(band, instance)) {
        Put(instance, m_y);
        m_y += instance.height;
    }
}

// Places a band in the flow of the page, moving it whole to a new page when it does not fit.
// A data row is counted into the aggregates only once its page is known, so that page totals
// hold the rows printed on the page.
void Engine::Run::PlaceFlowing(const Band &band, const Band *dataRow)
{
    Instance instance;
    bool rendered = false;
    qreal height = band.height;
    if (band.canGrow) {
        if (!Render(band, instance))
            return;
        rendered = true;
        height = instance.height;
    }
    if (m_y + height > Limit() + 1e-6 && m_y > m_bodyTop + 1e-6) {
        FinishPage();
        StartPage(false);
        rendered = false;
    }
    if (dataRow) {
        Accumulate(*dataRow);
        rendered = false;
    }
    if (!rendered && !Render(band, instance))
        return;
    Put(instance, m_y);
    m_y += instance.height;
}

void Engine::Run::Put(const Instance &instance, qreal top)
{
    PreparedPage &page = m_engine.pages.back();
    for (Object item : instance.items) {
        item.rect.translate(m_content.left(), top);
        page.items.push_back(std::move(item));
    }
}

// ---- engine ----

Engine::Engine() = default;
Engine::~Engine() = default;

bool Engine::Prepare(const Document &document, QString *error)
{
    pages.clear();
    Run run(*this, document);
    m_run = &run;
    struct Detach
    {
        Run *&run;
        ~Detach() { run = nullptr; }
    } detach{m_run};

    QString message;
    if (!run.m_js.RunScript(document.script, &message)) {
        if (error)
            *error = QStringLiteral("The report's script cannot run: %1").arg(message);
        return false;
    }
    if (!run.Compile(&message)) {
        if (error)
            *error = message;
        return false;
    }
    run.m_now = QDateTime::currentDateTime();
    bool ok = run.Layout();
    if (ok && run.m_needsSecondPass) {
        // The first pass counted the pages and the totals that the second one prints.
        run.m_totalPages = int(pages.size());
        for (auto &state : run.m_aggregates)
            state.final = Aggregate(int(&state - run.m_aggregates.data()));
        run.m_pass = 2;
        pages.clear();
        ok = run.Layout();
    }
    if (!ok) {
        pages.clear();
        if (error)
            *error = run.m_failure;
        return false;
    }
    return true;
}

Resolver::NameKind Engine::KindOf(const QString &name)
{
    for (const QString &builtIn : BuiltIns)
        if (builtIn.compare(name, Qt::CaseInsensitive) == 0)
            return NameKind::Value;
    if (!userDataSetName.isEmpty() && userDataSetName.compare(name, Qt::CaseInsensitive) == 0)
        return NameKind::DataSet;
    for (const Binding &binding : dataSets)
        if (binding.name.compare(name, Qt::CaseInsensitive) == 0)
            return NameKind::DataSet;
    for (const Function &function : functions)
        if (function.name.compare(name, Qt::CaseInsensitive) == 0)
            return NameKind::Function;
    return NameKind::None;
}

QVariant Engine::Value(const QString &name)
{
    if (m_run) {
        if (name.compare(QLatin1String("Date"), Qt::CaseInsensitive) == 0)
            return QDateTime(m_run->m_now.date(), QTime(0, 0));
        if (name.compare(QLatin1String("Time"), Qt::CaseInsensitive) == 0)
            return FormatDateTime(m_run->m_now, QStringLiteral("hh:nn:ss"));
        if (name.compare(QLatin1String("Page"), Qt::CaseInsensitive) == 0)
            return m_run->m_pageNumber;
        if (name.compare(QLatin1String("Line"), Qt::CaseInsensitive) == 0)
            return m_run->m_line;
        if (name.compare(QLatin1String("TotalPages"), Qt::CaseInsensitive) == 0) {
            if (m_run->m_pass == 1)
                m_run->m_needsSecondPass = true;
            return m_run->m_totalPages;
        }
    }
    if (getValue) {
        bool handled = false;
        QVariant value = getValue(name, handled);
        if (handled)
            return value;
    }
    return {};
}

QVariant Engine::Field(const QString &dataSet, const QString &fieldName)
{
    if (!userDataSetName.isEmpty() && userDataSetName.compare(dataSet, Qt::CaseInsensitive) == 0)
        return userValue ? userValue(fieldName) : QVariant();
    for (const Binding &binding : dataSets) {
        if (binding.name.compare(dataSet, Qt::CaseInsensitive) != 0)
            continue;
        TDataSet *set = binding.dataSet;
        if (!set || !set->Active())
            return {};
        const TField *field = set->FindField(fieldName);
        if (!field)
            return {};
        QVariant value;
        bool positioned = false;
        if (m_run) {
            if (const auto row = m_run->m_rows.find(set); row != m_run->m_rows.end()) {
                value = set->ValueAt(row->second, field->Index());
                positioned = true;
            }
        }
        // Outside its data band a data set shows the record its owner is on.
        if (!positioned && (set->RecNo() >= 0 || set->State() == DataSetState::Insert))
            value = field->Value();
        if ((!value.isValid() || value.isNull()) && field->IsText())
            return QString();
        return value;
    }
    return {};
}

QVariant Engine::Call(const QString &function, const QVariantList &arguments)
{
    for (const Function &candidate : functions)
        if (candidate.name.compare(function, Qt::CaseInsensitive) == 0)
            return candidate.call ? candidate.call(arguments) : QVariant();
    return {};
}

QVariant Engine::Aggregate(int index)
{
    if (!m_run || index < 0 || index >= int(m_run->m_aggregates.size()))
        return {};
    const Run::AggregateState &state = m_run->m_aggregates[size_t(index)];
    if (state.scope == AggregateScope::Final) {
        if (m_run->m_pass > 1)
            return state.final;
        m_run->m_needsSecondPass = true;
    }
    const Accumulator &acc = state.accumulator;
    const QString &function = state.call.function;
    if (function == QLatin1String("SUM"))
        return acc.sum;
    if (function == QLatin1String("COUNT"))
        return acc.count;
    if (function == QLatin1String("AVG"))
        return acc.count > 0 ? acc.sum / acc.count : 0.0;
    if (function == QLatin1String("MIN"))
        return acc.min;
    if (function == QLatin1String("MAX"))
        return acc.max;
    return {};
}

} // namespace Report
