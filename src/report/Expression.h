#pragma once
// Expressions of templates: the text between brackets in a text object ("[d0.Code]"), a group
// condition, an aggregate's argument. They are JavaScript run by QJSEngine; every name the
// script does not define itself (fields, variables, built-ins, the caller's functions) is asked
// of a Resolver, which the layout engine implements.

#include <QDateTime>
#include <QJSValue>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

class QJSEngine;

namespace Report {

class Resolver
{
public:
    enum class NameKind { None = 0, Value = 1, DataSet = 2, Function = 3 };
    virtual ~Resolver() = default;
    // None leaves the name to the script (its own functions, Math, ...) when the script knows it,
    // and otherwise asks Value.
    virtual NameKind KindOf(const QString &name) = 0;
    virtual QVariant Value(const QString &name) = 0;
    virtual QVariant Field(const QString &dataSet, const QString &fieldName) = 0;
    virtual QVariant Call(const QString &function, const QVariantList &arguments) = 0;
    // The current value of the aggregate numbered by RewriteExpression.
    virtual QVariant Aggregate(int index) = 0;
};

struct TextPart
{
    bool expression = false;
    QString text;
};
// Splits a text object's content into literal text and bracketed expressions. "[[" and "]]"
// are literal brackets; brackets nest inside an expression (d0["a"] works). A bracket that is
// never closed is an error.
bool SplitTemplateText(const QString &text, std::vector<TextPart> &parts, QString *error);

struct AggregateCall
{
    QString function; // SUM, COUNT, AVG, MIN or MAX
    QString argument; // rewritten source; empty for COUNT() and COUNT(BandName)
    QString band;     // the data band named as second argument (or COUNT's only argument)
};
// Prepares an expression for the script engine: aggregate calls become calls of the engine's
// accumulators, numbered from calls.size() in the order they are appended, and the quoted field
// form d0."Field name" becomes d0["Field name"]. Nested aggregates are an error.
bool RewriteExpression(const QString &source, std::vector<AggregateCall> &calls, QString *rewritten,
                       QString *error);

class ScopeHost;

class ExpressionEngine
{
public:
    explicit ExpressionEngine(Resolver &resolver);
    ~ExpressionEngine();
    ExpressionEngine(const ExpressionEngine &) = delete;
    ExpressionEngine &operator=(const ExpressionEngine &) = delete;

    // Runs the template's script in the global scope so that its functions can be called.
    bool RunScript(const QString &script, QString *error);
    // Compiles a rewritten expression; answers a handle for Evaluate, or -1 with the script
    // engine's message when it does not parse.
    int Compile(const QString &source, QString *error);
    // A runtime error (calling what is not a function, ...) answers a null value and the message.
    QVariant Evaluate(int handle, QString *error);

private:
    std::unique_ptr<QJSEngine> m_js;
    std::unique_ptr<ScopeHost> m_host;
    std::vector<QJSValue> m_compiled;
};

// The text of a value: dates through date patterns (yyyy, yy, mm, m, dd, d, hh, h, nn, n, ss,
// s, zzz; mm right after an hour means minutes), numbers through "#,##0.00" patterns or
// "%.2f" / "%d" / "%.2n" forms. Without a format, dates read "yyyy-mm-dd", with
// " hh:nn:ss" added when there is a time of day.
QString FormatValue(const QVariant &value, const QString &format);
QString FormatDateTime(const QDateTime &value, const QString &pattern);
QString FormatNumber(double value, const QString &format);

} // namespace Report
