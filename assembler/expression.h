#pragma once
// Expressions of the source language: numbers in every form, character
// constants, symbols, "$", and C's operators with their precedence. A parsed
// expression is a tree of nodes in a pool shared by one assembly; values are
// 32-bit signed and wrap.

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace tovi {

enum class Op : std::uint8_t {
    Number,
    Symbol,
    Location, // leaves
    Negate,
    Complement,
    LogicalNot,
    High,
    Low, // unary
    Multiply,
    Divide,
    Modulo,
    Add,
    Subtract,
    ShiftLeft,
    ShiftRight,
    Equal,
    NotEqual,
    Less,
    LessEqual,
    Greater,
    GreaterEqual,
    And,
    Xor,
    Or,
    BothTrue,   // &&: 1 or 0
    EitherTrue, // ||: 1 or 0
};

struct Node {
    Op op = Op::Number;
    std::int32_t value = 0; // Number: the value; Symbol: the symbol's id
    int left = -1;          // operands, as indices into the pool
    int right = -1;
};

using NodePool = std::vector<Node>;

enum class ParseFailure : std::uint8_t { None, Syntax, UnterminatedString };

struct Parsed {
    int root = -1; // valid when failure is None
    ParseFailure failure = ParseFailure::None;
};

// The id of the symbol a name stands for in this place (creating it when
// needed); the name as written.
using SymbolResolver = std::function<int(std::u16string_view name)>;

// Parses the whole text as one expression into the pool.
Parsed parseExpression(std::u16string_view text, NodePool& pool, const SymbolResolver& symbols);

// Why a value could not be had.
enum class Failure : std::uint8_t {
    None,
    Unknown,   // a label whose address is not known yet, or "$" before addresses
    Undefined, // a symbol defined nowhere
    Forward,   // a value that depends on a label defined below, where that is not allowed
    Circular,  // a symbol that depends on itself
    DivisionByZero,
    NotANumber, // a symbol that stands for a text such as a register name
    TooDeep,    // symbols defined by symbols, more deeply than can be followed
};

struct Value {
    std::int32_t number = 0;
    Failure failure = Failure::None;
    int symbol = -1; // for Undefined, Forward, Circular, NotANumber: the symbol concerned

    bool ok() const { return failure == Failure::None; }
};

// What an evaluation needs from its surroundings.
struct EvaluationContext {
    std::function<Value(int symbol)> symbolValue;
    std::optional<std::int32_t> location; // "$"; empty: not known yet
};

Value evaluate(const NodePool& pool, int root, const EvaluationContext& context);

// Whether the expression is one symbol and nothing else; its id, or -1.
int loneSymbol(const NodePool& pool, int root);

// The value of a number as the language writes it ("0FFh", "0x1F", "%1F",
// "$1F", "1010b", "0b1010", "17o", "17q", "255d", "42"); nothing when the
// text is no number. Digits accumulate with wrap-around to 32 bits.
std::optional<std::int32_t> numberValue(std::u16string_view text);

// Letters, digits, "_", ".", "?", "@" and the letters of Windows-1252; a name
// does not begin with a digit.
bool isNameCharacter(char16_t c);
bool isNameStart(char16_t c);
// A whole text that is one name, or a local label "12$".
bool isName(std::u16string_view text);
bool isDollarLocal(std::u16string_view text); // digits then "$"

} // namespace tovi
