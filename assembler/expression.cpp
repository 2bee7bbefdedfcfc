#include "assembler/expression.h"

#include <array>
#include <limits>

#include "assembler/quoted_text.h"
#include "common/text.h"

namespace tovi {
namespace {

// Deeper nesting is refused, so that no text can exhaust the stack.
constexpr int deepestNesting = 200;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

bool isAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isWindows1252Letter(char16_t c) {
    constexpr std::array<char16_t, 11> others = {u'ª', u'µ', u'º', u'Š', u'š', u'Œ',
                                                 u'œ', u'Ž', u'ž', u'Ÿ', u'ƒ'};
    if (c >= 0xC0 && c <= 0xFF) {
        return c != 0xD7 && c != 0xF7;
    }
    for (const char16_t letter : others) {
        if (c == letter) {
            return true;
        }
    }
    return false;
}

int digitValue(char16_t c) {
    if (isDigit(c)) {
        return c - u'0';
    }
    const char16_t lower = toLowerChar(c);
    if (lower >= u'a' && lower <= u'z') {
        return lower - u'a' + 10;
    }
    return 99;
}

std::optional<std::int32_t> digitsIn(std::u16string_view digits, unsigned base) {
    if (digits.empty()) {
        return std::nullopt;
    }
    std::uint64_t value = 0;
    for (const char16_t c : digits) {
        const auto digit = static_cast<unsigned>(digitValue(c));
        if (digit >= base) {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

bool endsWithLetter(std::u16string_view text, char16_t lower) {
    return !text.empty() && toLowerChar(text.back()) == lower;
}

bool startsWithPrefix(std::u16string_view text, char16_t second) {
    return text.size() > 2 && text[0] == u'0' && toLowerChar(text[1]) == second;
}

enum class Token : std::uint8_t {
    End,
    Number,
    Name,
    Location,
    Open,
    Close,
    Operator,
    Bad,
    Unterminated,
};

struct OperatorSpelling {
    std::u16string_view text;
    Op op;
};

// Symbols first, longer before shorter; words compared without regard to case.
// clang-format off
constexpr std::array<OperatorSpelling, 22> symbolOperators = {{
    {u"<<", Op::ShiftLeft}, {u">>", Op::ShiftRight}, {u"<=", Op::LessEqual},
    {u">=", Op::GreaterEqual}, {u"<>", Op::NotEqual}, {u"!=", Op::NotEqual}, {u"==", Op::Equal},
    {u"&&", Op::BothTrue}, {u"||", Op::EitherTrue},
    {u"+", Op::Add}, {u"-", Op::Subtract}, {u"*", Op::Multiply}, {u"/", Op::Divide},
    {u"~", Op::Complement}, {u"!", Op::LogicalNot}, {u"&", Op::And}, {u"|", Op::Or},
    {u"^", Op::Xor}, {u"=", Op::Equal}, {u"<", Op::Less}, {u">", Op::Greater},
    {u"#", Op::Modulo},
}};
constexpr std::array<OperatorSpelling, 15> wordOperators = {{
    {u"not", Op::Complement}, {u"mod", Op::Modulo}, {u"shl", Op::ShiftLeft},
    {u"shr", Op::ShiftRight}, {u"and", Op::And}, {u"xor", Op::Xor}, {u"or", Op::Or},
    {u"high", Op::High}, {u"low", Op::Low}, {u"eq", Op::Equal}, {u"ne", Op::NotEqual},
    {u"lt", Op::Less}, {u"le", Op::LessEqual}, {u"gt", Op::Greater}, {u"ge", Op::GreaterEqual},
}};
// clang-format on

class Lexer {
public:
    explicit Lexer(std::u16string_view text) : text_(text) { advance(); }

    Token token() const { return token_; }
    Op op() const { return op_; }
    std::int32_t number() const { return number_; }
    std::u16string_view name() const { return name_; }

    void advance() {
        const std::size_t previousEnd = at_;
        const bool afterNumber = token_ == Token::Number;
        while (at_ < text_.size() && text_[at_] == u' ') {
            ++at_;
        }
        // "1#2" and "12#" are numbers as the language once wrote them, which
        // it reads elsewhere or refuses; "x # 8" is a remainder.
        if (afterNumber && at_ == previousEnd && at_ < text_.size() && text_[at_] == u'#') {
            token_ = Token::Bad;
            at_ = text_.size();
            return;
        }
        if (at_ == text_.size()) {
            token_ = Token::End;
            return;
        }
        const char16_t c = text_[at_];
        if (c == u'(' || c == u')') {
            token_ = c == u'(' ? Token::Open : Token::Close;
            ++at_;
            return;
        }
        if (c == u'\'' || c == u'"') {
            return readCharacter();
        }
        if (isDigit(c)) {
            return readDecimalStart();
        }
        if (c == u'$' || c == u'%') {
            return readPrefixed(c);
        }
        if (isNameStart(c)) {
            return readName();
        }
        readSymbolOperator();
    }

private:
    std::size_t runEnd(std::size_t from) const {
        while (from < text_.size() && (isDigit(text_[from]) || isAsciiLetter(text_[from]))) {
            ++from;
        }
        return from;
    }

    void readCharacter() {
        const QuotedText quoted = readQuoted(text_, at_);
        at_ = quoted.end;
        if (!quoted.closed) {
            token_ = Token::Unterminated;
            return;
        }
        token_ = quoted.content.size() == 1 ? Token::Number : Token::Bad;
        number_ = quoted.content.size() == 1 ? quoted.content[0] : 0;
    }

    // A number, or a local label "12$".
    void readDecimalStart() {
        const std::size_t end = runEnd(at_);
        const std::u16string_view run = text_.substr(at_, end - at_);
        if (end < text_.size() && text_[end] == u'$' &&
            isDollarLocal(text_.substr(at_, end + 1 - at_))) {
            name_ = text_.substr(at_, end + 1 - at_);
            at_ = end + 1;
            token_ = Token::Name;
            return;
        }
        at_ = end;
        setNumber(numberValue(run));
    }

    // "$1F" and "%1F" are hexadecimal; "$" alone is the location.
    void readPrefixed(char16_t prefix) {
        const std::size_t end = runEnd(at_ + 1);
        if (prefix == u'$' && (end == at_ + 1 || digitValue(text_[at_ + 1]) >= 16)) {
            ++at_;
            token_ = Token::Location;
            return;
        }
        const std::u16string_view run = text_.substr(at_, end - at_);
        at_ = end;
        setNumber(numberValue(run));
    }

    void setNumber(std::optional<std::int32_t> value) {
        token_ = value ? Token::Number : Token::Bad;
        number_ = value.value_or(0);
    }

    void readName() {
        std::size_t end = at_ + 1;
        while (end < text_.size() && isNameCharacter(text_[end])) {
            ++end;
        }
        name_ = text_.substr(at_, end - at_);
        at_ = end;
        token_ = Token::Name;
        for (const OperatorSpelling& word : wordOperators) {
            if (equalsIgnoringCase(name_, word.text)) {
                token_ = Token::Operator;
                op_ = word.op;
                return;
            }
        }
    }

    void readSymbolOperator() {
        for (const OperatorSpelling& spelling : symbolOperators) {
            if (text_.substr(at_).starts_with(spelling.text)) {
                at_ += spelling.text.size();
                token_ = Token::Operator;
                op_ = spelling.op;
                return;
            }
        }
        token_ = Token::Bad;
        at_ = text_.size();
    }

    std::u16string_view text_;
    std::size_t at_ = 0;
    Token token_ = Token::End;
    Op op_ = Op::Add;
    std::int32_t number_ = 0;
    std::u16string_view name_;
};

// The binary operators and how tightly each binds, loosest first, as in C.
// clang-format off
constexpr std::array<std::pair<Op, int>, 18> binaryOperators = {{
    {Op::EitherTrue, 1},
    {Op::BothTrue, 2},
    {Op::Or, 3},
    {Op::Xor, 4},
    {Op::And, 5},
    {Op::Equal, 6}, {Op::NotEqual, 6}, {Op::Less, 6}, {Op::LessEqual, 6}, {Op::Greater, 6},
    {Op::GreaterEqual, 6},
    {Op::ShiftLeft, 7}, {Op::ShiftRight, 7},
    {Op::Add, 8}, {Op::Subtract, 8},
    {Op::Multiply, 9}, {Op::Divide, 9}, {Op::Modulo, 9},
}};
// clang-format on

int bindingOf(Op op) {
    for (const auto& [binary, level] : binaryOperators) {
        if (binary == op) {
            return level;
        }
    }
    return 0;
}

bool isUnary(Op op) {
    return op == Op::Add || op == Op::Subtract || op == Op::Complement || op == Op::LogicalNot ||
           op == Op::High || op == Op::Low;
}

class Parser {
public:
    Parser(std::u16string_view text, NodePool& pool, const SymbolResolver& symbols)
        : lexer_(text), pool_(pool), symbols_(symbols) {}

    Parsed parse() {
        const std::size_t mark = pool_.size();
        const int root = binary(1, 0);
        if (failure_ == ParseFailure::None && lexer_.token() != Token::End) {
            fail(lexer_.token() == Token::Unterminated ? ParseFailure::UnterminatedString
                                                       : ParseFailure::Syntax);
        }
        if (failure_ != ParseFailure::None) {
            pool_.resize(mark);
            return {-1, failure_};
        }
        return {root, ParseFailure::None};
    }

private:
    // Operators that bind at least as tightly as `level`, left to right.
    int binary(int level, int depth) {
        int left = unary(depth);
        while (failure_ == ParseFailure::None && lexer_.token() == Token::Operator &&
               bindingOf(lexer_.op()) >= level) {
            const Op op = lexer_.op();
            lexer_.advance();
            const int right = binary(bindingOf(op) + 1, depth);
            left = add({op, 0, left, right});
        }
        return left;
    }

    int unary(int depth) {
        if (depth > deepestNesting) {
            return fail(ParseFailure::Syntax);
        }
        if (lexer_.token() == Token::Operator && isUnary(lexer_.op())) {
            const Op written = lexer_.op();
            lexer_.advance();
            const int operand = unary(depth + 1);
            if (written == Op::Add) {
                return operand;
            }
            return add({written == Op::Subtract ? Op::Negate : written, 0, operand, -1});
        }
        return primary(depth);
    }

    int primary(int depth) {
        const Token token = lexer_.token();
        if (token == Token::Open) {
            lexer_.advance();
            const int inner = binary(1, depth + 1);
            if (lexer_.token() != Token::Close) {
                return fail(ParseFailure::Syntax);
            }
            lexer_.advance();
            return inner;
        }
        // "*" where a value stands is the location, as some assemblers write "$".
        const bool star = token == Token::Operator && lexer_.op() == Op::Multiply;
        if (token == Token::Number || token == Token::Location || token == Token::Name || star) {
            const Node leaf = token == Token::Number ? Node{Op::Number, lexer_.number()}
                              : token == Token::Name ? Node{Op::Symbol, symbols_(lexer_.name())}
                                                     : Node{Op::Location};
            lexer_.advance();
            return add(leaf);
        }
        return fail(token == Token::Unterminated ? ParseFailure::UnterminatedString
                                                 : ParseFailure::Syntax);
    }

    int add(const Node& node) {
        if (failure_ != ParseFailure::None) {
            return -1;
        }
        pool_.push_back(node);
        return static_cast<int>(pool_.size() - 1);
    }

    int fail(ParseFailure failure) {
        if (failure_ == ParseFailure::None) {
            failure_ = failure;
        }
        return -1;
    }

    Lexer lexer_;
    NodePool& pool_;
    const SymbolResolver& symbols_;
    ParseFailure failure_ = ParseFailure::None;
};

std::int32_t wrap(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}

Value arithmetic(Op op, std::int32_t l, std::int32_t r) {
    const auto ul = static_cast<std::uint32_t>(l);
    const auto ur = static_cast<std::uint32_t>(r);
    constexpr std::int32_t lowest = std::numeric_limits<std::int32_t>::min();
    switch (op) {
    case Op::Multiply:
        return {wrap(ul * ur)};
    case Op::Divide:
    case Op::Modulo:
        if (r == 0) {
            return {0, Failure::DivisionByZero};
        }
        if (l == lowest && r == -1) {
            return {op == Op::Divide ? lowest : 0};
        }
        return {op == Op::Divide ? l / r : l % r};
    case Op::Add:
        return {wrap(ul + ur)};
    case Op::Subtract:
        return {wrap(ul - ur)};
    case Op::ShiftLeft:
        return {r < 0 || r > 31 ? 0 : wrap(ul << r)};
    case Op::ShiftRight:
        return {r < 0 || r > 31 ? (l < 0 ? -1 : 0) : l >> r};
    case Op::Equal:
        return {l == r};
    case Op::NotEqual:
        return {l != r};
    case Op::Less:
        return {l < r};
    case Op::LessEqual:
        return {l <= r};
    case Op::Greater:
        return {l > r};
    case Op::GreaterEqual:
        return {l >= r};
    case Op::And:
        return {wrap(ul & ur)};
    case Op::Xor:
        return {wrap(ul ^ ur)};
    case Op::BothTrue:
        return {l != 0 && r != 0};
    case Op::EitherTrue:
        return {l != 0 || r != 0};
    default:
        return {wrap(ul | ur)};
    }
}

Value unaryValue(Op op, std::int32_t x) {
    const auto ux = static_cast<std::uint32_t>(x);
    switch (op) {
    case Op::Negate:
        return {wrap(0u - ux)};
    case Op::Complement:
        return {wrap(~ux)};
    case Op::LogicalNot:
        return {x == 0};
    case Op::High:
        return {static_cast<std::int32_t>((ux >> 8) & 0xFF)};
    default:
        return {static_cast<std::int32_t>(ux & 0xFF)};
    }
}

} // namespace

Parsed parseExpression(std::u16string_view text, NodePool& pool, const SymbolResolver& symbols) {
    return Parser(text, pool, symbols).parse();
}

Value evaluate(const NodePool& pool, int root, const EvaluationContext& context) {
    const Node& node = pool[static_cast<std::size_t>(root)];
    switch (node.op) {
    case Op::Number:
        return {node.value};
    case Op::Symbol:
        return context.symbolValue(node.value);
    case Op::Location:
        return context.location ? Value{*context.location} : Value{0, Failure::Unknown};
    case Op::Negate:
    case Op::Complement:
    case Op::LogicalNot:
    case Op::High:
    case Op::Low: {
        const Value operand = evaluate(pool, node.left, context);
        return operand.ok() ? unaryValue(node.op, operand.number) : operand;
    }
    default:
        break;
    }
    const Value left = evaluate(pool, node.left, context);
    if (!left.ok()) {
        return left;
    }
    const Value right = evaluate(pool, node.right, context);
    if (!right.ok()) {
        return right;
    }
    return arithmetic(node.op, left.number, right.number);
}

int loneSymbol(const NodePool& pool, int root) {
    const Node& node = pool[static_cast<std::size_t>(root)];
    return node.op == Op::Symbol ? node.value : -1;
}

std::optional<std::int32_t> numberValue(std::u16string_view text) {
    if (text.empty()) {
        return std::nullopt;
    }
    if (text[0] == u'%' || text[0] == u'$') {
        return digitsIn(text.substr(1), 16);
    }
    if (!isDigit(text[0])) {
        return std::nullopt;
    }
    const std::u16string_view allButLast = text.substr(0, text.size() - 1);
    if (endsWithLetter(text, u'h')) {
        return digitsIn(allButLast, 16);
    }
    if (startsWithPrefix(text, u'x')) {
        return digitsIn(text.substr(2), 16);
    }
    if (startsWithPrefix(text, u'b')) {
        if (const auto binary = digitsIn(text.substr(2), 2)) {
            return binary;
        }
    }
    if (startsWithPrefix(text, u'o') || startsWithPrefix(text, u'q')) {
        return digitsIn(text.substr(2), 8);
    }
    if (startsWithPrefix(text, u'd')) {
        if (const auto decimal = digitsIn(text.substr(2), 10)) {
            return decimal;
        }
    }
    if (endsWithLetter(text, u'b')) {
        return digitsIn(allButLast, 2);
    }
    if (endsWithLetter(text, u'o') || endsWithLetter(text, u'q')) {
        return digitsIn(allButLast, 8);
    }
    if (endsWithLetter(text, u'd')) {
        return digitsIn(allButLast, 10);
    }
    return digitsIn(text, 10);
}

bool isNameStart(char16_t c) {
    return isAsciiLetter(c) || c == u'_' || c == u'.' || c == u'?' || c == u'@' ||
           isWindows1252Letter(c);
}

bool isNameCharacter(char16_t c) {
    // U+0001 joins the name of a label inside a macro to the number of its expansion.
    return isNameStart(c) || isDigit(c) || c == u'\u0001';
}

bool isDollarLocal(std::u16string_view text) {
    if (text.size() < 2 || text.back() != u'$') {
        return false;
    }
    for (const char16_t c : text.substr(0, text.size() - 1)) {
        if (!isDigit(c)) {
            return false;
        }
    }
    return true;
}

bool isName(std::u16string_view text) {
    if (isDollarLocal(text)) {
        return true;
    }
    if (text.empty() || !isNameStart(text[0])) {
        return false;
    }
    for (const char16_t c : text) {
        if (!isNameCharacter(c)) {
            return false;
        }
    }
    return true;
}

} // namespace tovi
