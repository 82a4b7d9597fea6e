#pragma once
// What the grids do with texts, without a window: the stored column layout, the sort text
// built from title marks, the keyword filter text, and the rows of the sort dialog.

#include <QList>
#include <QString>
#include <QStringList>

// One grid column as the layout sees it.
struct TGridColumn
{
    QString FieldName;
    QString Caption;
    int Width = 0;
    bool Visible = true;
};
using TGridColumns = QList<TGridColumn>;

// The layout text of the columns: one "Name=True75" line per column in column order, each
// ended by CR LF. A second column of the same field (names compared without letter case)
// overwrites the first one's line in place.
QString ComposeLayout(const TGridColumns &columns);

// Applies a non-empty layout text to columns already rebuilt from the data set: shown
// flags and widths from the lines whose names match (without letter case), then the order,
// moving the column of each line (exact name) to the line's place among the lines that name
// a column, the last line first.
// A width that is not a number ends the application there; what was applied stays. Answers
// false when it ended early.
bool ApplyLayout(TGridColumns &columns, const QString &layout);

// The sort text of the title marks, in the order the columns were marked: each key followed
// by ", " or " DESC , ", the last two characters dropped ("Code, Name DESC ").
struct TSortMark
{
    QString Key;
    bool Descending = false;
};
QString SortTextFromMarks(const QList<TSortMark> &marks);

// The filter text of the keyword filter: Name like '%keyword%'. Quotes in the keyword are
// doubled so that it is searched as typed; "%" and "_" keep their wildcard meaning.
QString KeywordFilterText(const QString &fieldName, const QString &keyword);

// The rows of the sort dialog: label, field name and direction ("ASC", "DESC" or empty),
// top row first in priority.
class TSortRows
{
public:
    struct Row
    {
        QString Label;
        QString Name;
        QString Direction;
    };

    void Clear() { m_rows.clear(); }
    void Add(const QString &label, const QString &name) { m_rows.append({label, name, QString()}); }
    int Count() const { return int(m_rows.size()); }
    const Row &At(int index) const { return m_rows[index]; }
    const QList<Row> &Rows() const { return m_rows; }

    // "Code ASC,Name DESC": the rows with a direction, top first.
    QString SortString() const;
    // The same with the fields' labels and the directions' words.
    QString SortLabels() const;
    // Reads a sort text: named fields move to the top in the text's order, each ascending
    // unless DESC follows it; unknown names are skipped. Rows not named keep no direction.
    void SetSortString(const QString &text);
    // empty -> ASC -> DESC -> empty.
    void CycleDirection(int index);
    void Move(int from, int to);

    // The word shown for ASC or DESC; empty for no direction.
    static QString DirectionText(const QString &direction);

private:
    QList<Row> m_rows;
};
