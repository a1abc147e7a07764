// A small recursive-descent compiler and a stack evaluator for the report
// functions' expressions.
#include "report/rp_evaluator.h"

#include "report/rp_functions.h"

namespace {

// Guards against functions that refer to each other in a circle.
constexpr int kMaxDepth = 32;

class TCompiler {
public:
    explicit TCompiler(const QString& text) : text_(text) {}

    std::vector<TRpEvElement> Compile() {
        Sum();
        SkipSpaces();
        if (error_.isEmpty() && at_ < text_.size())
            Fail(QStringLiteral("Unexpected \"%1\"").arg(text_.mid(at_)));
        if (error_.isEmpty() && out_.empty())
            Fail(QStringLiteral("Empty expression"));
        if (!error_.isEmpty())
            return {TRpEvElement{TRpEvElement::ekError, error_, {}}};
        return std::move(out_);
    }

private:
    void SkipSpaces() {
        while (at_ < text_.size() && text_.at(at_).isSpace())
            ++at_;
    }
    bool Take(QChar c) {
        SkipSpaces();
        if (at_ < text_.size() && text_.at(at_) == c) {
            ++at_;
            return true;
        }
        return false;
    }
    void Fail(const QString& message) {
        if (error_.isEmpty())
            error_ = message;
    }

    void Sum() {
        Product();
        for (;;) {
            const QChar op = Take(QLatin1Char('+'))   ? QLatin1Char('+')
                             : Take(QLatin1Char('-')) ? QLatin1Char('-')
                                                      : QChar();
            if (op.isNull() || !error_.isEmpty())
                return;
            Product();
            out_.push_back(TRpEvElement{TRpEvElement::ekOperator, {}, QString(op)});
        }
    }
    void Product() {
        Unary();
        for (;;) {
            const QChar op = Take(QLatin1Char('*'))   ? QLatin1Char('*')
                             : Take(QLatin1Char('/')) ? QLatin1Char('/')
                                                      : QChar();
            if (op.isNull() || !error_.isEmpty())
                return;
            Unary();
            out_.push_back(TRpEvElement{TRpEvElement::ekOperator, {}, QString(op)});
        }
    }
    void Unary() {
        if (Take(QLatin1Char('-'))) {
            Unary();
            out_.push_back(TRpEvElement{TRpEvElement::ekNegate, {}, {}});
            return;
        }
        Primary();
    }
    void Primary() {
        SkipSpaces();
        if (at_ >= text_.size())
            return Fail(QStringLiteral("Unexpected end of expression"));
        const QChar c = text_.at(at_);
        if (c == QLatin1Char('(')) {
            ++at_;
            Sum();
            if (!Take(QLatin1Char(')')))
                Fail(QStringLiteral("Missing \")\""));
        } else if (c == QLatin1Char('\'')) {
            String();
        } else if (c.isDigit()) {
            Number();
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            const qsizetype start = at_;
            while (at_ < text_.size() &&
                   (text_.at(at_).isLetterOrNumber() || text_.at(at_) == QLatin1Char('_')))
                ++at_;
            out_.push_back(TRpEvElement{
                TRpEvElement::ekFunction, {}, text_.mid(start, at_ - start).toUpper()});
        } else {
            Fail(QStringLiteral("Unexpected \"%1\"").arg(c));
        }
    }
    void String() {
        QString value;
        ++at_;
        for (;;) {
            if (at_ >= text_.size())
                return Fail(QStringLiteral("Unterminated string"));
            const QChar c = text_.at(at_++);
            if (c != QLatin1Char('\'')) {
                value += c;
            } else if (at_ < text_.size() && text_.at(at_) == QLatin1Char('\'')) {
                value += c;
                ++at_;
            } else {
                break;
            }
        }
        out_.push_back(TRpEvElement{TRpEvElement::ekConstant, value, {}});
    }
    void Number() {
        const qsizetype start = at_;
        while (at_ < text_.size() && (text_.at(at_).isDigit() || text_.at(at_) == QLatin1Char('.')))
            ++at_;
        const QString digits = text_.mid(start, at_ - start);
        bool ok = false;
        if (!digits.contains(QLatin1Char('.'))) {
            const qint64 value = digits.toLongLong(&ok);
            if (ok)
                return out_.push_back(TRpEvElement{TRpEvElement::ekConstant, value, {}});
        }
        const double value = digits.toDouble(&ok);
        if (!ok)
            return Fail(QStringLiteral("Invalid number \"%1\"").arg(digits));
        out_.push_back(TRpEvElement{TRpEvElement::ekConstant, value, {}});
    }

    const QString& text_;
    qsizetype at_ = 0;
    QString error_;
    std::vector<TRpEvElement> out_;
};

bool IsNumber(const QVariant& v) {
    return v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double;
}

TRpEvValue Apply(const QString& op, const QVariant& a, const QVariant& b) {
    if (op == QLatin1String("+") && a.typeId() == QMetaType::QString &&
        b.typeId() == QMetaType::QString)
        return {a.toString() + b.toString(), {}};
    if (!IsNumber(a) || !IsNumber(b))
        return {{}, QStringLiteral("Type mismatch in \"%1\"").arg(op)};
    if (a.typeId() == QMetaType::LongLong && b.typeId() == QMetaType::LongLong &&
        op != QLatin1String("/")) {
        const qint64 x = a.toLongLong(), y = b.toLongLong();
        return {op == QLatin1String("+") ? x + y : op == QLatin1String("-") ? x - y : x * y, {}};
    }
    const double x = a.toDouble(), y = b.toDouble();
    if (op == QLatin1String("/")) {
        if (y == 0)
            return {{}, QStringLiteral("Division by zero")};
        return {x / y, {}};
    }
    return {op == QLatin1String("+") ? x + y : op == QLatin1String("-") ? x - y : x * y, {}};
}

} // namespace

bool TRpEvElement::IsNumericConstant() const {
    return Kind == ekConstant && IsNumber(Value);
}

bool TRpEvElement::IsStringConstant() const {
    return Kind == ekConstant && Value.typeId() == QMetaType::QString;
}

std::vector<TRpEvElement> RpCompileExpression(const QString& text) {
    return TCompiler(text).Compile();
}

TRpEvValue RpEvaluate(const std::vector<TRpEvElement>& elements, const TRpEvEnvironment& env,
                      int depth) {
    if (depth > kMaxDepth)
        return {{}, QStringLiteral("Functions refer to each other in a circle")};
    std::vector<QVariant> stack;
    for (const TRpEvElement& e : elements) {
        switch (e.Kind) {
        case TRpEvElement::ekError:
            return {{}, e.Value.toString()};
        case TRpEvElement::ekConstant:
            stack.push_back(e.Value);
            break;
        case TRpEvElement::ekFunction: {
            const TRpEvValue v = env.Value(e.Name, depth + 1);
            if (v.IsError())
                return v;
            stack.push_back(v.Value);
            break;
        }
        case TRpEvElement::ekNegate: {
            if (stack.empty() || !IsNumber(stack.back()))
                return {{}, QStringLiteral("Type mismatch in \"-\"")};
            QVariant& top = stack.back();
            top = top.typeId() == QMetaType::LongLong ? QVariant(-top.toLongLong())
                                                      : QVariant(-top.toDouble());
            break;
        }
        case TRpEvElement::ekOperator: {
            if (stack.size() < 2)
                return {{}, QStringLiteral("Missing operand of \"%1\"").arg(e.Name)};
            const QVariant b = stack.back();
            stack.pop_back();
            const TRpEvValue r = Apply(e.Name, stack.back(), b);
            if (r.IsError())
                return r;
            stack.back() = r.Value;
            break;
        }
        }
    }
    if (stack.size() != 1)
        return {{}, QStringLiteral("Invalid expression")};
    return {stack.back(), {}};
}
