#include "SqlDialect.h"

#include <QRegularExpression>

namespace {

bool IsWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// A "#...#" date literal starting at `pos`; answers its length, 0 when there is none.
qsizetype DateLiteralLength(const QString &s, qsizetype pos)
{
    static const QRegularExpression re(
        QStringLiteral("\\G#(\\d{4}-\\d{1,2}-\\d{1,2}(?: \\d{1,2}:\\d{2}(?::\\d{2})?)?)#"));
    const auto m = re.match(s, pos, QRegularExpression::NormalMatch);
    return m.hasMatch() ? m.capturedLength() : 0;
}

// "select [distinct] top N" at the start: removes "top N" and answers N (empty when absent).
QString TakeTop(QString &text)
{
    static const QRegularExpression re(QStringLiteral("^(\\s*select\\s+(?:distinct\\s+)?)top\\s+(\\d+)\\s+"),
                                       QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(text);
    if (!m.hasMatch())
        return {};
    const QString n = m.captured(2);
    text = m.captured(1) + text.mid(m.capturedEnd(0));
    return n;
}

} // namespace

TranslatedSql TranslateSql(const QString &statement, SqlEngine engine)
{
    TranslatedSql out;
    QString &r = out.text;
    r.reserve(statement.size() + 16);
    const qsizetype n = statement.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = statement[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            // A literal or quoted name, copied as it stands; a doubled quote stays inside.
            qsizetype j = i + 1;
            while (j < n) {
                if (statement[j] == c) {
                    if (j + 1 < n && statement[j + 1] == c) {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            r += QStringView(statement).mid(i, qMin(j + 1, n) - i);
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && statement[i + 1] == QLatin1Char('-')) {
            const qsizetype end = statement.indexOf(QLatin1Char('\n'), i);
            const qsizetype stop = end < 0 ? n : end;
            r += QStringView(statement).mid(i, stop - i);
            i = stop;
        } else if (c == QLatin1Char('[')) {
            const qsizetype end = statement.indexOf(QLatin1Char(']'), i + 1);
            if (end < 0) {
                r += QStringView(statement).mid(i);
                break;
            }
            const QString name = statement.mid(i + 1, end - i - 1);
            if (engine == SqlEngine::PostgreSQL)
                r += QLatin1Char('"') + name.toLower() + QLatin1Char('"');
            else if (engine == SqlEngine::SQLite)
                r += QLatin1Char('"') + name + QLatin1Char('"');
            else
                r += QStringView(statement).mid(i, end - i + 1);
            i = end + 1;
        } else if (c == QLatin1Char('#') && DateLiteralLength(statement, i) > 0) {
            const qsizetype len = DateLiteralLength(statement, i);
            r += QLatin1Char('\'');
            r += QStringView(statement).mid(i + 1, len - 2);
            r += QLatin1Char('\'');
            i += len;
        } else if (c == QLatin1Char(':')) {
            if (i + 1 < n && statement[i + 1] == QLatin1Char(':')) {
                r += QStringLiteral("::");
                i += 2;
                continue;
            }
            qsizetype j = i + 1;
            if (j < n && (statement[j].isLetter() || statement[j] == QLatin1Char('_'))) {
                while (j < n && IsWordChar(statement[j]))
                    ++j;
                out.paramNames << statement.mid(i + 1, j - i - 1);
                r += QLatin1Char('?');
                i = j;
            } else {
                r += c;
                ++i;
            }
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype j = i;
            while (j < n && IsWordChar(statement[j]))
                ++j;
            const QStringView word = QStringView(statement).mid(i, j - i);
            if (engine == SqlEngine::PostgreSQL &&
                word.compare(QLatin1String("like"), Qt::CaseInsensitive) == 0)
                r += QStringLiteral("ilike");
            else
                r += word;
            i = j;
        } else {
            r += c;
            ++i;
        }
    }
    if (engine != SqlEngine::SqlServer) {
        const QString top = TakeTop(r);
        if (!top.isEmpty()) {
            while (r.endsWith(QLatin1Char(';')) || (!r.isEmpty() && r.back().isSpace()))
                r.chop(1);
            r += QStringLiteral(" limit ") + top;
        }
    }
    return out;
}

QString SqlDialect::DateLiteral(const QDate &value) const
{
    const QString date = value.toString(QStringLiteral("yyyy-MM-dd"));
    if (hashDates)
        return QLatin1Char('#') + date + QLatin1Char('#');
    return QLatin1Char('\'') + date + QLatin1Char('\'');
}

QString SqlDialect::LikeText(const QString &value) const
{
    QString text = value;
    // SQLite ends a statement at a NUL, and PostgreSQL refuses one: a pasted NUL is dropped.
    text.remove(QChar(0));
    text.replace(QLatin1Char('\''), QLatin1String("''"));
    if (engine == SqlEngine::PostgreSQL)
        text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    return text;
}
