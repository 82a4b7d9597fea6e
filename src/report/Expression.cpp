#include "Expression.h"

#include "Exceptions.h"

#include <QJSEngine>
#include <QLocale>
#include <QObject>

#include <cmath>

namespace Report {

// The object the script's name look-ups land on. Exceptions from the callbacks must not unwind
// through the script engine's frames, so they become script errors here.
class ScopeHost : public QObject
{
    Q_OBJECT
public:
    ScopeHost(Resolver &resolver, QJSEngine &js) : m_resolver(resolver), m_js(js) {}

    Q_INVOKABLE int kind(const QString &name)
    {
        return Guard(0, [&] { return int(m_resolver.KindOf(name)); });
    }
    Q_INVOKABLE QVariant value(const QString &name)
    {
        return Guard(QVariant(), [&] { return ForScript(m_resolver.Value(name)); });
    }
    Q_INVOKABLE QVariant field(const QString &dataSet, const QString &fieldName)
    {
        return Guard(QVariant(), [&] { return ForScript(m_resolver.Field(dataSet, fieldName)); });
    }
    Q_INVOKABLE QVariant call(const QString &function, const QVariantList &arguments)
    {
        return Guard(QVariant(), [&] { return ForScript(m_resolver.Call(function, arguments)); });
    }
    Q_INVOKABLE QVariant aggregate(int index)
    {
        return Guard(QVariant(), [&] { return ForScript(m_resolver.Aggregate(index)); });
    }

private:
    template <class T, class F> T Guard(T fallback, F body)
    {
        try {
            return body();
        } catch (const Exception &e) {
            m_js.throwError(e.Message());
        } catch (const std::exception &e) {
            m_js.throwError(QString::fromUtf8(e.what()));
        }
        return fallback;
    }

    // The script engine turns a QDate into a date at midnight UTC, which reads as the day
    // before in zones west of Greenwich; a local midnight keeps the day.
    static QVariant ForScript(const QVariant &value)
    {
        if (value.typeId() == QMetaType::QDate)
            return QDateTime(value.toDate(), QTime(0, 0));
        return value;
    }

    Resolver &m_resolver;
    QJSEngine &m_js;
};

namespace {

// Names are resolved through a proxy that the expressions run inside ("with"): the host is
// asked first, then the script's globals, and a name nobody knows is a variable request.
const char *const ScopeSetup = R"JS(
(function (host, global) {
    var dataSets = {};
    var kinds = {};
    function kindOf(name) {
        if (!(name in kinds))
            kinds[name] = host.kind(name);
        return kinds[name];
    }
    global.__agg = function (index) { return host.aggregate(index); };
    global.__scope = new Proxy({}, {
        has: function (target, name) {
            if (typeof name !== 'string' || name.substring(0, 2) === '__')
                return false;
            return kindOf(name) !== 0 || !(name in global);
        },
        get: function (target, name) {
            if (typeof name !== 'string')
                return undefined;
            switch (kindOf(name)) {
            case 2:
                if (!(name in dataSets))
                    dataSets[name] = new Proxy({}, {
                        get: function (t, field) {
                            return typeof field === 'string' ? host.field(name, field) : undefined;
                        }
                    });
                return dataSets[name];
            case 3:
                return function () { return host.call(name, Array.prototype.slice.call(arguments)); };
            default:
                return host.value(name);
            }
        }
    });
})
)JS";

bool IsIdentStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

bool IsIdentChar(QChar c)
{
    return IsIdentStart(c) || c.isDigit();
}

// Index just after the string literal that starts at `i` (the quote), or -1 when unclosed.
int SkipString(const QString &s, int i)
{
    const QChar quote = s[i];
    for (int j = i + 1; j < s.size(); ++j) {
        if (s[j] == QLatin1Char('\\'))
            ++j;
        else if (s[j] == quote)
            return j + 1;
    }
    return -1;
}

// Index of the parenthesis that closes the one at `open`, or -1.
int MatchParen(const QString &s, int open)
{
    int depth = 0;
    for (int i = open; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            const int end = SkipString(s, i);
            if (end < 0)
                return -1;
            i = end - 1;
        } else if (c == QLatin1Char('(')) {
            ++depth;
        } else if (c == QLatin1Char(')')) {
            if (--depth == 0)
                return i;
        }
    }
    return -1;
}

// Splits an argument list at its top-level commas.
QStringList SplitArguments(const QString &s)
{
    QStringList parts;
    int depth = 0, start = 0;
    for (int i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            const int end = SkipString(s, i);
            if (end < 0)
                break;
            i = end - 1;
        } else if (c == QLatin1Char('(') || c == QLatin1Char('[') || c == QLatin1Char('{')) {
            ++depth;
        } else if (c == QLatin1Char(')') || c == QLatin1Char(']') || c == QLatin1Char('}')) {
            --depth;
        } else if (c == QLatin1Char(',') && depth == 0) {
            parts << s.mid(start, i - start).trimmed();
            start = i + 1;
        }
    }
    parts << s.mid(start).trimmed();
    if (parts.size() == 1 && parts[0].isEmpty())
        parts.clear();
    return parts;
}

bool IsAggregateName(const QString &upper)
{
    return upper == QLatin1String("SUM") || upper == QLatin1String("COUNT") ||
           upper == QLatin1String("AVG") || upper == QLatin1String("MIN") || upper == QLatin1String("MAX");
}

bool IsPlainIdentifier(const QString &s)
{
    if (s.isEmpty() || !IsIdentStart(s[0]))
        return false;
    for (QChar c : s)
        if (!IsIdentChar(c))
            return false;
    return true;
}

bool Rewrite(const QString &source, std::vector<AggregateCall> *calls, QString *out, QString *error)
{
    QString result;
    result.reserve(source.size() + 16);
    int i = 0;
    while (i < source.size()) {
        const QChar c = source[i];
        if (c == QLatin1Char('"') && i > 0 && source[i - 1] == QLatin1Char('.') && i > 1 &&
            IsIdentChar(source[i - 2])) {
            // d0."Field name": the dot already copied becomes a subscript.
            const int end = SkipString(source, i);
            if (end < 0) {
                *error = QStringLiteral("a quoted name is not closed");
                return false;
            }
            result.chop(1);
            result += QLatin1Char('[') + source.mid(i, end - i) + QLatin1Char(']');
            i = end;
        } else if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`')) {
            const int end = SkipString(source, i);
            if (end < 0) {
                *error = QStringLiteral("a quoted text is not closed");
                return false;
            }
            result += source.mid(i, end - i);
            i = end;
        } else if (IsIdentStart(c)) {
            int end = i;
            while (end < source.size() && IsIdentChar(source[end]))
                ++end;
            const QString word = source.mid(i, end - i);
            int next = end;
            while (next < source.size() && source[next].isSpace())
                ++next;
            int before = i - 1;
            while (before >= 0 && source[before].isSpace())
                --before;
            const bool member = before >= 0 && source[before] == QLatin1Char('.');
            const QString upper = word.toUpper();
            if (!member && IsAggregateName(upper) && next < source.size() &&
                source[next] == QLatin1Char('(')) {
                const int close = MatchParen(source, next);
                if (close < 0) {
                    *error = QStringLiteral("the parenthesis after %1 is not closed").arg(word);
                    return false;
                }
                if (!calls) {
                    *error = QStringLiteral("an aggregate cannot be inside another");
                    return false;
                }
                const QStringList arguments = SplitArguments(source.mid(next + 1, close - next - 1));
                AggregateCall call;
                call.function = upper;
                if (arguments.size() > 2 || (arguments.isEmpty() && upper != QLatin1String("COUNT"))) {
                    *error = QStringLiteral("%1 takes an expression and optionally a band name").arg(upper);
                    return false;
                }
                if (upper == QLatin1String("COUNT") && arguments.size() == 1 &&
                    IsPlainIdentifier(arguments[0])) {
                    call.band = arguments[0];
                } else if (!arguments.isEmpty()) {
                    if (!Rewrite(arguments[0], nullptr, &call.argument, error))
                        return false;
                    if (arguments.size() == 2)
                        call.band = arguments[1];
                }
                result += QStringLiteral("__agg(%1)").arg(calls->size());
                calls->push_back(call);
                i = close + 1;
            } else {
                result += word;
                i = end;
            }
        } else {
            result += c;
            ++i;
        }
    }
    *out = result;
    return true;
}

QString Pad(qint64 value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString Grouped(const QString &digits)
{
    QString out;
    const int n = int(digits.size());
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += QLatin1Char(',');
        out += digits[i];
    }
    return out;
}

// Fixed-point text with between minDecimals and maxDecimals decimals, optionally grouped.
QString Fixed(double value, int minDecimals, int maxDecimals, bool grouping, int minIntegerDigits)
{
    QString text = QString::number(std::fabs(value), 'f', maxDecimals);
    QString integral = text, fraction;
    const auto dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        integral = text.left(dot);
        fraction = text.mid(dot + 1);
    }
    while (fraction.size() > minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    while (integral.size() < minIntegerDigits)
        integral.prepend(QLatin1Char('0'));
    if (minIntegerDigits == 0 && integral == QLatin1String("0") && !fraction.isEmpty())
        integral.clear();
    if (grouping)
        integral = Grouped(integral);
    QString result = integral;
    if (!fraction.isEmpty())
        result += QLatin1Char('.') + fraction;
    if (result.isEmpty())
        result = QStringLiteral("0");
    const bool zero =
        QString(result).remove(QLatin1Char('0')).remove(QLatin1Char('.')).remove(QLatin1Char(',')).isEmpty();
    if (value < 0 && !zero)
        result.prepend(QLatin1Char('-'));
    return result;
}

QString PlainNumber(double value)
{
    if (std::isfinite(value) && std::fabs(value) < 1e15 && value == std::floor(value))
        return QString::number(qint64(value));
    return QString::number(value, 'g', 15);
}

} // namespace

bool SplitTemplateText(const QString &text, std::vector<TextPart> &parts, QString *error)
{
    parts.clear();
    QString literal;
    int i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (c == QLatin1Char('[') && i + 1 < text.size() && text[i + 1] == QLatin1Char('[')) {
            literal += c;
            i += 2;
        } else if (c == QLatin1Char(']') && i + 1 < text.size() && text[i + 1] == QLatin1Char(']')) {
            literal += c;
            i += 2;
        } else if (c == QLatin1Char('[')) {
            int depth = 1;
            int j = i + 1;
            for (; j < text.size() && depth > 0; ++j) {
                const QChar d = text[j];
                if (d == QLatin1Char('\'') || d == QLatin1Char('"')) {
                    const int end = SkipString(text, j);
                    if (end < 0)
                        break;
                    j = end - 1;
                } else if (d == QLatin1Char('[')) {
                    ++depth;
                } else if (d == QLatin1Char(']')) {
                    --depth;
                }
            }
            if (depth > 0) {
                if (error)
                    *error =
                        QStringLiteral("the bracket opened at \"%1\" is not closed").arg(text.mid(i, 20));
                return false;
            }
            if (!literal.isEmpty())
                parts.push_back({false, literal});
            literal.clear();
            parts.push_back({true, text.mid(i + 1, j - i - 2)});
            i = j;
        } else {
            literal += c;
            ++i;
        }
    }
    if (!literal.isEmpty())
        parts.push_back({false, literal});
    return true;
}

bool RewriteExpression(const QString &source, std::vector<AggregateCall> &calls, QString *rewritten,
                       QString *error)
{
    QString message;
    QString out;
    const auto before = calls.size();
    if (!Rewrite(source, &calls, &out, &message)) {
        calls.resize(before);
        if (error)
            *error = message;
        return false;
    }
    *rewritten = out;
    return true;
}

// ---- the script engine ----

ExpressionEngine::ExpressionEngine(Resolver &resolver)
    : m_js(std::make_unique<QJSEngine>()), m_host(std::make_unique<ScopeHost>(resolver, *m_js))
{
    m_js->installExtensions(QJSEngine::ConsoleExtension);
    QJSEngine::setObjectOwnership(m_host.get(), QJSEngine::CppOwnership);
    QJSValue setup = m_js->evaluate(QString::fromLatin1(ScopeSetup));
    setup.call({m_js->newQObject(m_host.get()), m_js->globalObject()});
}

ExpressionEngine::~ExpressionEngine()
{
    m_compiled.clear();
    // The engine goes first: it still refers to the host.
    m_js.reset();
}

bool ExpressionEngine::RunScript(const QString &script, QString *error)
{
    if (script.trimmed().isEmpty())
        return true;
    const QJSValue result = m_js->evaluate(script, QStringLiteral("script"));
    if (result.isError()) {
        if (error)
            *error = QStringLiteral("%1 (script line %2)")
                         .arg(result.toString())
                         .arg(result.property(QStringLiteral("lineNumber")).toInt());
        return false;
    }
    return true;
}

int ExpressionEngine::Compile(const QString &source, QString *error)
{
    if (source.trimmed().isEmpty()) {
        if (error)
            *error = QStringLiteral("the expression is empty");
        return -1;
    }
    const QJSValue function =
        m_js->evaluate(QStringLiteral("(function () { with (__scope) { return (%1\n); } })").arg(source));
    if (function.isError() || !function.isCallable()) {
        if (error)
            *error = function.toString();
        return -1;
    }
    m_compiled.push_back(function);
    return int(m_compiled.size()) - 1;
}

QVariant ExpressionEngine::Evaluate(int handle, QString *error)
{
    if (handle < 0 || handle >= int(m_compiled.size()))
        return {};
    const QJSValue result = m_compiled[size_t(handle)].call();
    if (result.isError()) {
        if (error)
            *error = result.toString();
        return {};
    }
    if (result.isUndefined() || result.isNull())
        return {};
    return result.toVariant();
}

// ---- formatting ----

QString FormatDateTime(const QDateTime &value, const QString &pattern)
{
    QString out;
    const QString p = pattern;
    bool afterHour = false;
    int i = 0;
    auto run = [&](QChar c) {
        int n = 0;
        while (i + n < p.size() && p[i + n].toLower() == c)
            ++n;
        return n;
    };
    const QDate date = value.date();
    const QTime time = value.time();
    while (i < p.size()) {
        const QChar c = p[i].toLower();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const auto end = p.indexOf(p[i], i + 1);
            out += p.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? int(p.size()) : int(end) + 1;
            continue;
        }
        const int n =
            (c == QLatin1Char('y') || c == QLatin1Char('m') || c == QLatin1Char('d') ||
             c == QLatin1Char('h') || c == QLatin1Char('n') || c == QLatin1Char('s') || c == QLatin1Char('z'))
                ? run(c)
                : 0;
        if (n == 0) {
            out += p[i++];
            continue;
        }
        if (c == QLatin1Char('y')) {
            out += n <= 2 ? Pad(date.year() % 100, 2) : Pad(date.year(), 4);
        } else if (c == QLatin1Char('m')) {
            if (afterHour)
                out += n >= 2 ? Pad(time.minute(), 2) : QString::number(time.minute());
            else
                out += n >= 2 ? Pad(date.month(), 2) : QString::number(date.month());
        } else if (c == QLatin1Char('d')) {
            out += n >= 2 ? Pad(date.day(), 2) : QString::number(date.day());
        } else if (c == QLatin1Char('h')) {
            out += n >= 2 ? Pad(time.hour(), 2) : QString::number(time.hour());
        } else if (c == QLatin1Char('n')) {
            out += n >= 2 ? Pad(time.minute(), 2) : QString::number(time.minute());
        } else if (c == QLatin1Char('s')) {
            out += n >= 2 ? Pad(time.second(), 2) : QString::number(time.second());
        } else {
            out += Pad(time.msec(), 3);
        }
        afterHour = c == QLatin1Char('h');
        i += n;
    }
    return out;
}

QString FormatNumber(double value, const QString &format)
{
    if (format.isEmpty())
        return PlainNumber(value);
    const auto percent = format.indexOf(QLatin1Char('%'));
    if (percent >= 0 && percent + 1 < format.size() && format[percent + 1] != QLatin1Char('%')) {
        // printf-like: %d, %.2f, %.2n (grouped), with text around it.
        int i = int(percent) + 1;
        while (i < format.size() && (format[i].isDigit() || format[i] == QLatin1Char('-')))
            ++i;
        int decimals = -1;
        if (i < format.size() && format[i] == QLatin1Char('.')) {
            const int start = ++i;
            while (i < format.size() && format[i].isDigit())
                ++i;
            decimals = format.mid(start, i - start).toInt();
        }
        if (i < format.size()) {
            const QChar conversion = format[i].toLower();
            QString number;
            if (conversion == QLatin1Char('d'))
                number = Fixed(value, 0, 0, false, 1);
            else if (conversion == QLatin1Char('f'))
                number = Fixed(value, decimals < 0 ? 2 : decimals, decimals < 0 ? 2 : decimals, false, 1);
            else if (conversion == QLatin1Char('n'))
                number = Fixed(value, decimals < 0 ? 2 : decimals, decimals < 0 ? 2 : decimals, true, 1);
            else if (conversion == QLatin1Char('e'))
                number = QString::number(value, 'e', decimals < 0 ? 6 : decimals);
            else if (conversion == QLatin1Char('g'))
                number = PlainNumber(value);
            if (!number.isEmpty())
                return format.left(percent) + number + format.mid(i + 1);
        }
        return PlainNumber(value);
    }
    // Picture form: prefix, a run of # 0 , . and a suffix.
    int start = -1, end = -1;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == QLatin1Char('#') || c == QLatin1Char('0')) {
            if (start < 0)
                start = i;
            end = i + 1;
        } else if ((c == QLatin1Char(',') || c == QLatin1Char('.')) && start >= 0) {
            end = i + 1;
        } else if (start >= 0) {
            break;
        }
    }
    if (start < 0)
        return format + PlainNumber(value);
    // The run may have taken a trailing separator that belongs to the suffix.
    while (end > start && (format[end - 1] == QLatin1Char(',') || format[end - 1] == QLatin1Char('.')))
        --end;
    const QString picture = format.mid(start, end - start);
    const auto dot = picture.indexOf(QLatin1Char('.'));
    const QString integral = dot < 0 ? picture : picture.left(dot);
    const QString fraction = dot < 0 ? QString() : picture.mid(dot + 1);
    const int minDecimals = int(fraction.count(QLatin1Char('0')));
    const int maxDecimals = minDecimals + int(fraction.count(QLatin1Char('#')));
    const bool grouping = integral.contains(QLatin1Char(','));
    const int minInteger = int(integral.count(QLatin1Char('0')));
    return format.left(start) + Fixed(value, minDecimals, maxDecimals, grouping, minInteger) +
           format.mid(end);
}

QString FormatValue(const QVariant &value, const QString &format)
{
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::QDateTime: {
        const QDateTime dt = value.toDateTime().toLocalTime();
        if (!format.isEmpty())
            return FormatDateTime(dt, format);
        return FormatDateTime(dt, dt.time() == QTime(0, 0) ? QStringLiteral("yyyy-mm-dd")
                                                           : QStringLiteral("yyyy-mm-dd hh:nn:ss"));
    }
    case QMetaType::QDate:
        return FormatDateTime(QDateTime(value.toDate(), QTime(0, 0)),
                              format.isEmpty() ? QStringLiteral("yyyy-mm-dd") : format);
    case QMetaType::QTime:
        return FormatDateTime(QDateTime(QDate(2000, 1, 1), value.toTime()),
                              format.isEmpty() ? QStringLiteral("hh:nn:ss") : format);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return FormatNumber(value.toDouble(), format);
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::QVariantList: {
        QStringList items;
        for (const QVariant &item : value.toList())
            items << FormatValue(item, format);
        return items.join(QStringLiteral(", "));
    }
    default:
        return value.toString();
    }
}

} // namespace Report

#include "Expression.moc"
