#include "GridLayout.h"

#include <QRegularExpression>

namespace {
const QString CrLf = QStringLiteral("\r\n");

// The lines of a text as a string list reads them: CR LF, LF or CR end a line, and a
// break at the very end starts no further line.
QStringList SplitLines(const QString &text)
{
    static const QRegularExpression breaks(QStringLiteral("\r\n|\n|\r"));
    QStringList lines = text.split(breaks);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// The name of a "name=value" line; a line without "=" has no name.
QString NameOf(const QString &line)
{
    const qsizetype sign = line.indexOf(QLatin1Char('='));
    return sign < 0 ? QString() : line.left(sign);
}

QString ValueOf(const QString &line)
{
    const qsizetype sign = line.indexOf(QLatin1Char('='));
    return sign < 0 ? QString() : line.mid(sign + 1);
}

int IndexOfName(const QStringList &lines, const QString &name)
{
    for (int i = 0; i < lines.size(); ++i) {
        const qsizetype sign = lines[i].indexOf(QLatin1Char('='));
        if (sign > 0 && QStringView(lines[i]).left(sign).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}
} // namespace

QString ComposeLayout(const TGridColumns &columns)
{
    QStringList lines;
    for (const TGridColumn &column : columns) {
        const QString line = column.FieldName + QLatin1Char('=') +
                             (column.Visible ? QStringLiteral("True") : QStringLiteral("False")) +
                             QString::number(column.Width);
        const int existing = IndexOfName(lines, column.FieldName);
        if (existing >= 0)
            lines[existing] = line;
        else
            lines.append(line);
    }
    QString text;
    for (const QString &line : lines)
        text += line + CrLf;
    return text;
}

bool ApplyLayout(TGridColumns &columns, const QString &layout)
{
    const QStringList lines = SplitLines(layout);
    for (TGridColumn &column : columns) {
        const int index = IndexOfName(lines, column.FieldName);
        if (index < 0)
            continue;
        QString value = ValueOf(lines[index]);
        if (value.isEmpty())
            continue;
        // Shown only for the word as written; the width ignores its letter case.
        column.Visible = value.contains(QStringLiteral("True"));
        value.remove(QStringLiteral("True"), Qt::CaseInsensitive);
        value.remove(QStringLiteral("False"), Qt::CaseInsensitive);
        bool ok = false;
        const int width = value.toInt(&ok, 10);
        if (!ok)
            return false;
        column.Width = width;
    }
    // Places count only the lines that name a column, so a line of a field that is gone is
    // ignored instead of shifting every place after it.
    QStringList placed;
    for (const QString &line : lines) {
        const QString name = NameOf(line);
        for (const TGridColumn &column : columns)
            if (!name.isEmpty() && column.FieldName == name) {
                placed.append(name);
                break;
            }
    }
    for (int place = int(placed.size()) - 1; place >= 0; --place) {
        for (int from = 0; from < columns.size(); ++from) {
            if (columns[from].FieldName != placed[place])
                continue;
            columns.move(from, std::min(place, int(columns.size()) - 1));
            break;
        }
    }
    return true;
}

QString SortTextFromMarks(const QList<TSortMark> &marks)
{
    QString text;
    for (const TSortMark &mark : marks)
        text += mark.Key + (mark.Descending ? QStringLiteral(" DESC , ") : QStringLiteral(", "));
    if (!text.isEmpty())
        text.chop(2);
    return text;
}

QString KeywordFilterText(const QString &fieldName, const QString &keyword)
{
    QString literal = keyword;
    literal.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QStringLiteral("%1 like '%%2%'").arg(fieldName, literal);
}

// ---- sort rows ----

QString TSortRows::DirectionText(const QString &direction)
{
    if (direction == QLatin1String("ASC"))
        return QStringLiteral("升序");
    if (direction == QLatin1String("DESC"))
        return QStringLiteral("降序");
    return {};
}

QString TSortRows::SortString() const
{
    QString text;
    for (const Row &row : m_rows)
        if (!row.Direction.isEmpty())
            text += QLatin1Char(',') + row.Name + QLatin1Char(' ') + row.Direction;
    return text.mid(1);
}

QString TSortRows::SortLabels() const
{
    QString text;
    for (const Row &row : m_rows)
        if (!row.Direction.isEmpty())
            text += QLatin1Char(',') + row.Label + QLatin1Char(' ') + DirectionText(row.Direction);
    return text.mid(1);
}

void TSortRows::SetSortString(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("[, ]"));
    const QStringList tokens = text.split(separators, Qt::SkipEmptyParts);
    int position = 0;
    QString previousField; // the field named by the token just before, if it was one
    for (const QString &token : tokens) {
        if (token == QLatin1String("ASC") || token == QLatin1String("DESC")) {
            for (Row &row : m_rows)
                if (!previousField.isEmpty() && row.Name == previousField)
                    row.Direction = token;
            previousField.clear();
            continue;
        }
        previousField.clear();
        for (int i = 0; i < m_rows.size(); ++i) {
            if (m_rows[i].Name.compare(token, Qt::CaseInsensitive) != 0)
                continue;
            m_rows[i].Direction = QStringLiteral("ASC");
            previousField = m_rows[i].Name;
            m_rows.move(i, std::min(position, int(m_rows.size()) - 1));
            ++position;
            break;
        }
    }
}

void TSortRows::CycleDirection(int index)
{
    if (index < 0 || index >= m_rows.size())
        return;
    QString &direction = m_rows[index].Direction;
    if (direction.isEmpty())
        direction = QStringLiteral("ASC");
    else if (direction == QLatin1String("ASC"))
        direction = QStringLiteral("DESC");
    else
        direction.clear();
}

void TSortRows::Move(int from, int to)
{
    if (from < 0 || from >= m_rows.size() || to < 0 || to >= m_rows.size())
        return;
    m_rows.move(from, to);
}
