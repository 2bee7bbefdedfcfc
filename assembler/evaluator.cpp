#include "assembler/evaluator.h"

#include <algorithm>

#include "common/text.h"

namespace tovi {
namespace {

// Symbols defined by symbols are followed this deep; a chain this long is a mistake.
constexpr int deepestDefinition = 1000;

} // namespace

Evaluator::Evaluator(const Program& program, Mode mode)
    : program_(program), mode_(mode), visiting_(program.symbols.size(), 0),
      equateCache_(program.symbols.size()) {}

Value Evaluator::valueOf(int root, int at, bool forwardLimited) {
    return valueAt(root, at, addressOf(at), forwardLimited);
}

Value Evaluator::valueAt(int root, int at, std::optional<std::int32_t> location,
                         bool forwardLimited) {
    const int limit = forwardLimited ? at : -1;
    if (limit != limitAt_) {
        forgetFor(limit);
        limitAt_ = limit;
    }
    return expressionValue(root, at, mode_ == Mode::Constants ? std::nullopt : location);
}

// A value found under one forward limit holds under a later limit or none,
// as the program grows below that limit: only a failure may turn out
// otherwise. Under an earlier limit a label it uses may lie below.
void Evaluator::forgetFor(int limit) {
    const bool later = limit < 0 || (limitAt_ >= 0 && limit > limitAt_);
    if (!later) {
        std::fill(equateCache_.begin(), equateCache_.end(), std::nullopt);
        setCache_.clear();
        return;
    }
    for (std::optional<Value>& value : equateCache_) {
        if (value && !value->ok()) {
            value.reset();
        }
    }
    for (auto& [id, known] : setCache_) {
        const auto failed = std::find_if(known.values.begin(),
                                         known.values.begin() + static_cast<long>(known.filled),
                                         [](const Value& value) { return !value.ok(); });
        known.filled = static_cast<std::size_t>(failed - known.values.begin());
    }
}

void Evaluator::learnEquatesInOrder() {
    limitAt_ = -1;
    for (const Statement& statement : program_.statements) {
        if (statement.defines >= 0 &&
            program_.symbol(statement.defines).kind == SymbolKind::Equate &&
            program_.symbol(statement.defines).statement ==
                &statement - program_.statements.data()) {
            equateValue(statement.defines);
        }
    }
}

std::optional<std::int32_t> Evaluator::addressOf(int statement) const {
    if (mode_ == Mode::Constants || statement < 0) {
        return std::nullopt;
    }
    const Statement& s = program_.statement(statement);
    if (s.address < 0) {
        return std::nullopt;
    }
    return s.address;
}

Value Evaluator::expressionValue(int root, int setsAt, std::optional<std::int32_t> location) {
    const int outerSetsAt = setsAt_;
    setsAt_ = setsAt;
    const EvaluationContext context{[this](int id) { return symbolValue(id); }, location};
    const Value value = evaluate(program_.nodes, root, context);
    setsAt_ = outerSetsAt;
    return value;
}

Value Evaluator::symbolValue(int id) {
    if (static_cast<std::size_t>(id) >= visiting_.size()) { // symbols made since it began
        visiting_.resize(program_.symbols.size(), 0);
        equateCache_.resize(program_.symbols.size());
    }
    const Symbol& symbol = program_.symbol(id);
    switch (symbol.kind) {
    case SymbolKind::Referenced:
        return {0, Failure::Undefined, id};
    case SymbolKind::Label:
        return labelValue(symbol);
    case SymbolKind::Equate:
        return equateValue(id);
    case SymbolKind::Set:
        return setValue(symbol, id);
    case SymbolKind::Text:
        break;
    }
    return {0, Failure::NotANumber, id};
}

Value Evaluator::labelValue(const Symbol& symbol) const {
    const int id = static_cast<int>(&symbol - program_.symbols.data());
    if (limitAt_ >= 0 && symbol.statement > limitAt_) {
        return {0, Failure::Forward, id};
    }
    if (mode_ == Mode::Constants || !symbol.addressKnown) {
        return {0, limitAt_ >= 0 ? Failure::Forward : Failure::Unknown, id};
    }
    return {symbol.address};
}

Value Evaluator::equateValue(int id) {
    const Symbol& symbol = program_.symbol(id);
    const auto index = static_cast<std::size_t>(id);
    if (equateCache_[index]) {
        return *equateCache_[index];
    }
    if (symbol.root < 0) {
        return {0, Failure::NotANumber, id};
    }
    if (visiting_[index] != 0) {
        return {0, Failure::Circular, id};
    }
    if (depth_ >= deepestDefinition) {
        return {0, Failure::TooDeep, id};
    }
    visiting_[index] = 1;
    ++depth_;
    Value value = expressionValue(symbol.root, symbol.statement, addressOf(symbol.statement));
    --depth_;
    visiting_[index] = 0;
    if (value.failure == Failure::TooDeep) {
        value.symbol = id; // the message names the outermost symbol
    }
    equateCache_[index] = value;
    return value;
}

// The latest definition above the statement that uses it. Definitions are
// taken in order, so that one that uses the symbol itself finds the one
// before it already known, however long the chain.
Value Evaluator::setValue(const Symbol& symbol, int id) {
    const auto above = std::ranges::partition_point(
        symbol.sets, [this](const SetDefinition& set) { return set.statement < setsAt_; });
    const auto count = static_cast<std::size_t>(above - symbol.sets.begin());
    if (count == 0) {
        return {0, Failure::Forward, id};
    }
    KnownSets& known = setCache_[id];
    known.values.resize(symbol.sets.size());
    while (known.filled < count) {
        const std::size_t definition = known.filled;
        known.values[definition] = setDefinitionValue(id, definition);
        known.filled = std::max(known.filled, definition + 1);
    }
    return known.values[count - 1];
}

Value Evaluator::setDefinitionValue(int id, std::size_t definition) {
    const SetDefinition& set = program_.symbol(id).sets[definition];
    if (depth_ >= deepestDefinition) {
        return {0, Failure::TooDeep, id};
    }
    ++depth_;
    const Value value = expressionValue(set.root, set.statement, addressOf(set.statement));
    --depth_;
    return value;
}

std::u16string Evaluator::messageFor(const Value& value) const {
    const std::u16string name =
        value.symbol >= 0 ? std::u16string(shownName(program_.symbol(value.symbol))) : u"$";
    switch (value.failure) {
    case Failure::Undefined:
        // A register word where a value belongs is the wrong kind of operand.
        if (operandKeyword(name) != mcs48::Operand::None) {
            break;
        }
        return message::undefinedSymbol(name);
    case Failure::Forward:
    case Failure::Unknown:
        return std::u16string(message::forwardReference);
    case Failure::Circular:
        return message::circularSymbol(name);
    case Failure::TooDeep:
        return message::symbolTooDeep(name);
    case Failure::DivisionByZero:
        return std::u16string(message::divisionByZero);
    case Failure::NotANumber:
    case Failure::None:
        break;
    }
    return std::u16string(message::parameter);
}

} // namespace tovi
