#include "DataSetFilter.h"

#include "DataSet.h"
#include "DataSetStorage.h"
#include "Exceptions.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

enum class Op { Equal, NotEqual, Less, Greater, LessEqual, GreaterEqual };

bool Holds(Op op, int comparison)
{
    switch (op) {
    case Op::Equal:
        return comparison == 0;
    case Op::NotEqual:
        return comparison != 0;
    case Op::Less:
        return comparison < 0;
    case Op::Greater:
        return comparison > 0;
    case Op::LessEqual:
        return comparison <= 0;
    case Op::GreaterEqual:
        return comparison >= 0;
    }
    return false;
}

template <typename T> int Compare(T a, T b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

// A like pattern, folded once. The shapes a filter dialog produces ('%x%', 'x%') get a
// direct scan; everything else goes through the general matcher.
class LikePattern
{
public:
    explicit LikePattern(QStringView pattern) : m_table(DataSetText::FoldTable())
    {
        for (qsizetype i = 0; i < pattern.size(); ++i) {
            const char16_t unit = pattern.utf16()[i];
            if (unit == u'%' || unit == u'*') {
                if (m_tokens.empty() || m_tokens.back() != AnyRun)
                    m_tokens.push_back(AnyRun);
            } else if (unit == u'_') {
                m_tokens.push_back(OneChar);
            } else {
                m_tokens.push_back(DataSetText::FoldAt(m_table, pattern.utf16(), pattern.size(), i));
            }
        }
        Classify();
    }

    bool Match(QStringView text) const
    {
        const char16_t *units = text.utf16();
        const qsizetype n = text.size();
        const qsizetype m = qsizetype(m_literal.size());
        switch (m_shape) {
        case Shape::All:
            return true;
        case Shape::Exact:
            return n == m && EqualAt(units, n, 0);
        case Shape::Prefix:
            return n >= m && EqualAt(units, n, 0);
        case Shape::Suffix:
            return n >= m && EqualAt(units, n, n - m);
        case Shape::Contains: {
            const char16_t head = m_literal.front();
            for (qsizetype i = 0; i + m <= n; ++i)
                if (DataSetText::FoldAt(m_table, units, n, i) == head && EqualAt(units, n, i))
                    return true;
            return false;
        }
        case Shape::General:
            return MatchGeneral(units, n);
        }
        return false;
    }

private:
    static constexpr int AnyRun = -1;
    static constexpr int OneChar = -2;
    enum class Shape { All, Exact, Prefix, Suffix, Contains, General };

    void Classify()
    {
        int anyCount = 0;
        bool oneChar = false;
        for (int token : m_tokens) {
            anyCount += token == AnyRun;
            oneChar = oneChar || token == OneChar;
        }
        const bool anyFirst = !m_tokens.empty() && m_tokens.front() == AnyRun;
        const bool anyLast = !m_tokens.empty() && m_tokens.back() == AnyRun;
        if (oneChar) {
            m_shape = Shape::General;
        } else if (anyCount == 0) {
            m_shape = Shape::Exact;
        } else if (m_tokens.size() == 1) {
            m_shape = Shape::All;
        } else if (anyCount == 1 && anyLast) {
            m_shape = Shape::Prefix;
        } else if (anyCount == 1 && anyFirst) {
            m_shape = Shape::Suffix;
        } else if (anyCount == 2 && anyFirst && anyLast) {
            m_shape = Shape::Contains;
        } else {
            m_shape = Shape::General;
        }
        if (m_shape != Shape::General)
            for (int token : m_tokens)
                if (token >= 0)
                    m_literal.push_back(char16_t(token));
    }

    bool EqualAt(const char16_t *units, qsizetype n, qsizetype at) const
    {
        for (size_t j = 0; j < m_literal.size(); ++j)
            if (DataSetText::FoldAt(m_table, units, n, at + qsizetype(j)) != m_literal[j])
                return false;
        return true;
    }

    static qsizetype CharLength(const char16_t *units, qsizetype n, qsizetype at)
    {
        return QChar::isHighSurrogate(units[at]) && at + 1 < n && QChar::isLowSurrogate(units[at + 1]) ? 2
                                                                                                       : 1;
    }

    // Wildcard matching with one point of return for the last any-run seen: linear for the
    // patterns people type, never exponential.
    bool MatchGeneral(const char16_t *units, qsizetype n) const
    {
        const size_t m = m_tokens.size();
        qsizetype i = 0;
        size_t p = 0;
        size_t starToken = size_t(-1);
        qsizetype starText = 0;
        while (i < n) {
            if (p < m && m_tokens[p] == OneChar) {
                i += CharLength(units, n, i);
                ++p;
            } else if (p < m && m_tokens[p] >= 0 &&
                       DataSetText::FoldAt(m_table, units, n, i) == m_tokens[p]) {
                ++i;
                ++p;
            } else if (p < m && m_tokens[p] == AnyRun) {
                starToken = p++;
                starText = i;
            } else if (starToken != size_t(-1)) {
                p = starToken + 1;
                starText += CharLength(units, n, starText);
                i = starText;
            } else {
                return false;
            }
        }
        while (p < m && m_tokens[p] == AnyRun)
            ++p;
        return p == m;
    }

    const char16_t *m_table;
    std::vector<int> m_tokens;
    std::u16string m_literal;
    Shape m_shape = Shape::General;
};

} // namespace

struct TDataSetFilter::Node
{
    virtual ~Node() = default;
    virtual bool Match(quint32 row) const = 0;
};

namespace {

using Node = TDataSetFilter::Node;
using NodePtr = std::unique_ptr<Node>;
using Column = TDataSet::Column;

struct AndNode : Node
{
    NodePtr left, right;
    bool Match(quint32 row) const override { return left->Match(row) && right->Match(row); }
};

struct OrNode : Node
{
    NodePtr left, right;
    bool Match(quint32 row) const override { return left->Match(row) || right->Match(row); }
};

struct NotNode : Node
{
    NodePtr operand;
    bool Match(quint32 row) const override { return !operand->Match(row); }
};

struct NullNode : Node
{
    const Column *column;
    bool wantNull;
    bool Match(quint32 row) const override { return column->IsNull(row) == wantNull; }
};

struct IntNode : Node
{
    const Column *column;
    Op op;
    qint64 value;
    bool Match(quint32 row) const override
    {
        return !column->IsNull(row) && Holds(op, Compare(column->ints[row], value));
    }
};

struct FloatNode : Node
{
    const Column *column;
    Op op;
    double value;
    bool Match(quint32 row) const override
    {
        if (column->IsNull(row))
            return false;
        const double cell =
            column->kind == FieldKind::Float ? column->floats[row] : double(column->ints[row]);
        return !std::isnan(cell) && Holds(op, Compare(cell, value));
    }
};

struct TextNode : Node
{
    const Column *column;
    Op op;
    QString value;
    bool Match(quint32 row) const override
    {
        if (column->IsNull(row))
            return false;
        const QStringView cell = column->Text(row);
        if (op == Op::Equal)
            return DataSetText::EqualFolded(cell, value);
        if (op == Op::NotEqual)
            return !DataSetText::EqualFolded(cell, value);
        return Holds(op, DataSetText::CompareFolded(cell, value));
    }
};

struct LikeNode : Node
{
    LikeNode(const Column *c, QStringView pattern) : column(c), like(pattern) {}
    const Column *column;
    LikePattern like;
    bool Match(quint32 row) const override { return !column->IsNull(row) && like.Match(column->Text(row)); }
};

// Fields without typed storage (calculated, Variant, Blob) and like on non-text fields: the
// value is built per row and compared by what the literal is.
struct GenericNode : Node
{
    GenericNode(const TDataSet &d, const TField &f, QStringView pattern)
        : dataSet(d), field(f), like(std::make_unique<LikePattern>(pattern))
    {
    }
    GenericNode(const TDataSet &d, const TField &f, Op o, QVariant v, bool isNull)
        : dataSet(d), field(f), op(o), value(std::move(v)), nullTest(isNull)
    {
    }
    const TDataSet &dataSet;
    const TField &field;
    std::unique_ptr<LikePattern> like;
    Op op = Op::Equal;
    QVariant value;
    bool nullTest = false;

    bool Match(quint32 row) const override
    {
        const QVariant cell = dataSet.PhysicalValue(int(row), field.Index());
        if (nullTest)
            return cell.isNull() == (op == Op::Equal);
        if (cell.isNull())
            return false;
        if (like)
            return like->Match(DisplayTextOf(cell, field.Kind()));
        const int type = value.typeId();
        if (type == QMetaType::Double || type == QMetaType::LongLong || type == QMetaType::Bool) {
            bool ok = false;
            const double number = cell.toDouble(&ok);
            if (ok)
                return Holds(op, Compare(number, value.toDouble()));
        } else if (type == QMetaType::QDateTime) {
            const QDateTime when = cell.toDateTime();
            if (when.isValid())
                return Holds(op, Compare(NaiveMsecs(when), NaiveMsecs(value.toDateTime())));
        }
        return Holds(op, DataSetText::CompareFolded(DisplayTextOf(cell, field.Kind()), value.toString()));
    }
};

enum class Tok { Name, Text, Number, Date, Op, Open, Close, End };

struct Token
{
    Tok kind;
    QString text;
    qsizetype position; // 1-based, for messages
    bool bracketed = false;
};

struct Literal
{
    enum Kind { Text, Number, Date, Null, Bool } kind;
    QString source;
    QVariant value;
};

class Parser
{
public:
    // `columns` is empty while the data set is closed: the text is then only checked.
    Parser(const TDataSet &dataSet, const QString &text, std::vector<const Column *> columns)
        : m_dataSet(dataSet), m_text(text), m_columns(std::move(columns))
    {
        Lex();
    }

    NodePtr Parse()
    {
        NodePtr root = ParseOr();
        if (Peek().kind != Tok::End)
            Fail(QStringLiteral("第 %2 个字符处不应出现 '%1'").arg(Peek().text).arg(Peek().position));
        return root;
    }

private:
    [[noreturn]] void Fail(const QString &reason) const
    {
        throw EDatabaseError(QStringLiteral("过滤条件 \"%1\" 有误:%2").arg(m_text, reason));
    }

    void Lex()
    {
        const QString &s = m_text;
        qsizetype i = 0;
        while (i < s.size()) {
            const QChar c = s[i];
            const qsizetype start = i;
            if (c.isSpace()) {
                ++i;
            } else if (c == u'(' || c == u')') {
                m_tokens.push_back({c == u'(' ? Tok::Open : Tok::Close, QString(c), start + 1});
                ++i;
            } else if (c == u'\'') {
                QString value;
                ++i;
                for (;;) {
                    if (i >= s.size())
                        Fail(QStringLiteral("从第 %1 个字符开始的引号文本没有结束").arg(start + 1));
                    if (s[i] == u'\'') {
                        if (i + 1 < s.size() && s[i + 1] == u'\'') {
                            value += u'\'';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    value += s[i++];
                }
                m_tokens.push_back({Tok::Text, value, start + 1});
            } else if (c == u'#') {
                const qsizetype close = s.indexOf(u'#', i + 1);
                if (close < 0)
                    Fail(QStringLiteral("从第 %1 个字符开始的日期没有结束").arg(start + 1));
                m_tokens.push_back({Tok::Date, s.mid(i + 1, close - i - 1), start + 1});
                i = close + 1;
            } else if (c == u'[') {
                const qsizetype close = s.indexOf(u']', i + 1);
                if (close < 0)
                    Fail(QStringLiteral("从第 %1 个字符开始的字段名没有结束").arg(start + 1));
                m_tokens.push_back({Tok::Name, s.mid(i + 1, close - i - 1), start + 1, true});
                i = close + 1;
            } else if (IsNumberStart(s, i)) {
                if (c == u'-' || c == u'+')
                    ++i;
                while (i < s.size() && (IsAsciiDigit(s[i]) || s[i] == u'.'))
                    ++i;
                if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
                    qsizetype j = i + 1;
                    if (j < s.size() && (s[j] == u'-' || s[j] == u'+'))
                        ++j;
                    if (j < s.size() && IsAsciiDigit(s[j])) {
                        i = j;
                        while (i < s.size() && IsAsciiDigit(s[i]))
                            ++i;
                    }
                }
                m_tokens.push_back({Tok::Number, s.mid(start, i - start), start + 1});
            } else if (c == u'<' || c == u'>' || c == u'=' || c == u'!') {
                QString op(c);
                ++i;
                if (i < s.size() && (s[i] == u'=' || (c == u'<' && s[i] == u'>'))) {
                    op += s[i];
                    ++i;
                }
                if (op == u"!")
                    Fail(QStringLiteral("第 %1 个字符处不应出现 '!'").arg(start + 1));
                m_tokens.push_back({Tok::Op, op, start + 1});
            } else if (c.isLetterOrNumber() || c == u'_' || c.isHighSurrogate()) {
                while (i < s.size() && (s[i].isLetterOrNumber() || s[i] == u'_' || s[i].isSurrogate()))
                    ++i;
                m_tokens.push_back({Tok::Name, s.mid(start, i - start), start + 1});
            } else {
                Fail(QStringLiteral("第 %2 个字符处不应出现字符 '%1'").arg(c).arg(start + 1));
            }
        }
        m_tokens.push_back({Tok::End, QStringLiteral("文本结尾"), s.size() + 1});
    }

    static bool IsAsciiDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

    static bool IsNumberStart(const QString &s, qsizetype i)
    {
        qsizetype j = i;
        if (s[j] == u'-' || s[j] == u'+')
            ++j;
        if (j < s.size() && s[j] == u'.')
            ++j;
        return j < s.size() && IsAsciiDigit(s[j]);
    }

    const Token &Peek() const { return m_tokens[m_at]; }
    const Token &Take() { return m_tokens[m_at < m_tokens.size() - 1 ? m_at++ : m_at]; }

    bool IsKeyword(const Token &token, const char16_t *word) const
    {
        return token.kind == Tok::Name && !token.bracketed &&
               token.text.compare(word, Qt::CaseInsensitive) == 0;
    }

    bool TakeKeyword(const char16_t *word)
    {
        if (!IsKeyword(Peek(), word))
            return false;
        Take();
        return true;
    }

    NodePtr ParseOr()
    {
        NodePtr left = ParseAnd();
        while (TakeKeyword(u"or")) {
            auto node = std::make_unique<OrNode>();
            node->left = std::move(left);
            node->right = ParseAnd();
            left = std::move(node);
        }
        return left;
    }

    NodePtr ParseAnd()
    {
        NodePtr left = ParseUnary();
        while (TakeKeyword(u"and")) {
            auto node = std::make_unique<AndNode>();
            node->left = std::move(left);
            node->right = ParseUnary();
            left = std::move(node);
        }
        return left;
    }

    NodePtr ParseUnary()
    {
        if (TakeKeyword(u"not")) {
            auto node = std::make_unique<NotNode>();
            node->operand = ParseUnary();
            return node;
        }
        if (Peek().kind == Tok::Open) {
            Take();
            NodePtr inner = ParseOr();
            if (Peek().kind != Tok::Close)
                Fail(QStringLiteral("第 %1 个字符处应为 ')'").arg(Peek().position));
            Take();
            return inner;
        }
        return ParseComparison();
    }

    NodePtr ParseComparison()
    {
        const Token name = Take();
        if (name.kind != Tok::Name)
            Fail(QStringLiteral("第 %1 个字符处应为字段名").arg(name.position));
        const TField *field = m_dataSet.FieldByName(name.text);

        if (TakeKeyword(u"is")) {
            const bool negated = TakeKeyword(u"not");
            if (!TakeKeyword(u"null"))
                Fail(QStringLiteral("第 %1 个字符处应为 'null'").arg(Peek().position));
            return NullTest(*field, !negated);
        }
        const bool notLike = IsKeyword(Peek(), u"not");
        if (notLike)
            Take();
        if (TakeKeyword(u"like")) {
            const Literal pattern = TakeLiteral();
            if (pattern.kind == Literal::Null)
                Fail(QStringLiteral("like 的匹配模式不能为 null"));
            NodePtr node = Like(*field, pattern.source);
            if (!notLike)
                return node;
            auto negation = std::make_unique<NotNode>();
            negation->operand = std::move(node);
            return negation;
        }
        if (notLike)
            Fail(QStringLiteral("第 %1 个字符处应为 'like'").arg(Peek().position));

        const Token opToken = Take();
        if (opToken.kind != Tok::Op)
            Fail(
                QStringLiteral("'%1' 之后第 %2 个字符处应为比较运算符").arg(name.text).arg(opToken.position));
        const Op op = ToOp(opToken.text);
        const Literal literal = TakeLiteral();
        if (literal.kind == Literal::Null) {
            if (op != Op::Equal && op != Op::NotEqual)
                Fail(QStringLiteral("null 只能用 = 或 <> 比较"));
            return NullTest(*field, op == Op::Equal);
        }
        return Comparison(*field, op, literal);
    }

    static Op ToOp(const QString &text)
    {
        if (text == u"=")
            return Op::Equal;
        if (text == u"<>" || text == u"!=")
            return Op::NotEqual;
        if (text == u"<")
            return Op::Less;
        if (text == u">")
            return Op::Greater;
        if (text == u"<=")
            return Op::LessEqual;
        return Op::GreaterEqual;
    }

    Literal TakeLiteral()
    {
        const Token token = Take();
        switch (token.kind) {
        case Tok::Text:
            return {Literal::Text, token.text, token.text};
        case Tok::Number: {
            bool ok = false;
            const qlonglong whole = token.text.toLongLong(&ok);
            if (ok)
                return {Literal::Number, token.text, whole};
            const double number = token.text.toDouble(&ok);
            if (!ok)
                Fail(QStringLiteral("第 %2 个字符处的 '%1' 不是有效的数字")
                         .arg(token.text)
                         .arg(token.position));
            return {Literal::Number, token.text, number};
        }
        case Tok::Date: {
            QVariant when;
            try {
                when = CoerceToKind(token.text, FieldKind::DateTime, 0, QString());
            } catch (const EDatabaseError &) {
            }
            if (when.isNull())
                Fail(QStringLiteral("第 %2 个字符处的 '%1' 不是有效的日期")
                         .arg(token.text)
                         .arg(token.position));
            return {Literal::Date, token.text, when};
        }
        case Tok::Name:
            if (IsKeyword(token, u"null"))
                return {Literal::Null, token.text, QVariant()};
            if (IsKeyword(token, u"true") || IsKeyword(token, u"false"))
                return {Literal::Bool, token.text, IsKeyword(token, u"true")};
            break;
        default:
            break;
        }
        Fail(QStringLiteral("第 %1 个字符处应为一个值").arg(token.position));
    }

    const Column *ColumnOf(const TField &field) const
    {
        return m_columns.empty() ? nullptr : m_columns[size_t(field.Index())];
    }

    static bool HasTypedStorage(const TField &field)
    {
        return !field.Calculated() && field.Kind() != FieldKind::Variant && field.Kind() != FieldKind::Blob;
    }

    NodePtr NullTest(const TField &field, bool wantNull) const
    {
        if (field.Calculated())
            return std::make_unique<GenericNode>(m_dataSet, field, wantNull ? Op::Equal : Op::NotEqual,
                                                 QVariant(), true);
        auto node = std::make_unique<NullNode>();
        node->column = ColumnOf(field);
        node->wantNull = wantNull;
        return node;
    }

    NodePtr Like(const TField &field, const QString &pattern) const
    {
        if (field.IsText() && HasTypedStorage(field))
            return std::make_unique<LikeNode>(ColumnOf(field), pattern);
        return std::make_unique<GenericNode>(m_dataSet, field, pattern);
    }

    NodePtr Comparison(const TField &field, Op op, const Literal &literal) const
    {
        if (!HasTypedStorage(field)) {
            QVariant value = literal.value;
            if (literal.kind == Literal::Number)
                value = value.toDouble();
            return std::make_unique<GenericNode>(m_dataSet, field, op, value, false);
        }
        if (field.IsText()) {
            auto node = std::make_unique<TextNode>();
            node->column = ColumnOf(field);
            node->op = op;
            node->value = literal.source;
            return node;
        }
        if (literal.kind == Literal::Number && literal.value.typeId() == QMetaType::Double &&
            (field.Kind() == FieldKind::Integer || field.Kind() == FieldKind::LargeInt ||
             field.Kind() == FieldKind::Float)) {
            auto node = std::make_unique<FloatNode>();
            node->column = ColumnOf(field);
            node->op = op;
            node->value = literal.value.toDouble();
            return node;
        }
        const QVariant value = CoerceToKind(literal.value, field.Kind(), 0, field.FieldName());
        if (value.isNull()) {
            if (op != Op::Equal && op != Op::NotEqual)
                Fail(QStringLiteral("空值只能用 = 或 <> 比较"));
            return NullTest(field, op == Op::Equal);
        }
        if (field.Kind() == FieldKind::Float) {
            auto node = std::make_unique<FloatNode>();
            node->column = ColumnOf(field);
            node->op = op;
            node->value = value.toDouble();
            return node;
        }
        auto node = std::make_unique<IntNode>();
        node->column = ColumnOf(field);
        node->op = op;
        if (field.Kind() == FieldKind::DateTime)
            node->value = NaiveMsecs(value.toDateTime());
        else if (field.Kind() == FieldKind::Boolean)
            node->value = value.toBool() ? 1 : 0;
        else
            node->value = value.toLongLong();
        return node;
    }

    const TDataSet &m_dataSet;
    const QString &m_text;
    std::vector<const Column *> m_columns;
    std::vector<Token> m_tokens;
    size_t m_at = 0;
};

} // namespace

TDataSetFilter::TDataSetFilter(const TDataSet &dataSet, const QString &text)
{
    std::vector<const TDataSet::Column *> columns;
    if (dataSet.m_storage)
        for (const TDataSet::Column &column : dataSet.m_storage->columns)
            columns.push_back(&column);
    m_root = Parser(dataSet, text, std::move(columns)).Parse();
}

TDataSetFilter::~TDataSetFilter() = default;

bool TDataSetFilter::Accepts(quint32 physicalRow) const
{
    return m_root->Match(physicalRow);
}
