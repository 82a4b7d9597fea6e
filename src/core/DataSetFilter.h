#pragma once
// Filter texts of TDataSet, compiled once into a predicate over physical rows.
//
// Grammar (keywords and field names without regard to letter case):
//   filter     := or-expr
//   or-expr    := and-expr { "or" and-expr }
//   and-expr   := unary { "and" unary }
//   unary      := "not" unary | "(" or-expr ")" | comparison
//   comparison := field op value | field ["not"] "like" value | field "is" ["not"] "null"
//   field      := name | "[" any text "]"
//   op         := "=" | "<>" | "!=" | "<" | ">" | "<=" | ">="
//   value      := 'text' (a quote doubled inside) | number | #yyyy-mm-dd[ hh:nn[:ss]]# | null
//                 | true | false
// Texts compare without regard to letter case; like patterns take % or * for any run of
// characters and _ for one character. A null cell satisfies only "= null" / "is null".
// Rows appended or edited after the filter was applied are not filtered again until the
// filter or the order changes.

#include <QString>

#include <memory>

class TDataSet;

class TDataSetFilter
{
public:
    // Raises EDatabaseError for a text that does not parse or names an unknown field, and for
    // a value that cannot be compared with its field.
    TDataSetFilter(const TDataSet &dataSet, const QString &text);
    ~TDataSetFilter();
    TDataSetFilter(const TDataSetFilter &) = delete;
    TDataSetFilter &operator=(const TDataSetFilter &) = delete;

    bool Accepts(quint32 physicalRow) const;

    struct Node;

private:
    std::unique_ptr<Node> m_root;
};
