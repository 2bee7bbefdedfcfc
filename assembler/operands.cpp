#include "assembler/operands.h"

#include <set>
#include <unordered_map>

#include "assembler/evaluator.h"
#include "assembler/number_literals.h"
#include "assembler/quoted_text.h"
#include "common/codepage.h"
#include "common/mcs48_memory.h"
#include "common/text.h"

namespace tovi {
namespace {

using mcs48::Operand;

constexpr std::int32_t lowestByte = -128;
constexpr std::int32_t highestByte = 255;
constexpr std::int32_t lowestWord = -32768;
constexpr std::int32_t highestWord = 65535;
// Equates put in as text may name each other; a chain of them that doubles
// at each step would grow without end, and no program needs an operand this long.
constexpr std::size_t longestSubstitution = 4096;

// What an operand is, for matching it against the forms.
struct OperandShape {
    Operand keyword = Operand::None; // a register, port or flag word
    bool immediate = false;          // "#…"
    bool empty = false;
};

bool fitsSlot(Operand slot, const OperandShape& operand) {
    if (slot == Operand::Data) {
        return operand.immediate;
    }
    if (slot == Operand::PageTarget || slot == Operand::LongTarget) {
        return !operand.empty;
    }
    return operand.keyword == slot;
}

const InstructionForm* matchForm(std::u16string_view mnemonic,
                                 const std::vector<OperandShape>& operands) {
    for (const InstructionForm& form : formsOf(mnemonic)) {
        if (form.arity() != static_cast<int>(operands.size())) {
            continue;
        }
        const bool firstFits = operands.empty() || fitsSlot(form.first, operands[0]);
        const bool secondFits = operands.size() < 2 || fitsSlot(form.second, operands[1]);
        if (firstFits && secondFits) {
            return &form;
        }
    }
    return nullptr;
}

// JMP and CALL without a target still take their place; the target is missing.
const InstructionForm* missingLongTarget(std::u16string_view mnemonic, std::size_t operands) {
    const auto forms = formsOf(mnemonic);
    if (operands == 0 && !forms.empty() && forms.front().isLongJump()) {
        return &forms.front();
    }
    return nullptr;
}

template <typename Shadowed>
std::vector<OperandShape> shapesOf(const std::vector<std::u16string>& operands,
                                   const Shadowed& shadowed) {
    std::vector<OperandShape> shapes;
    for (const std::u16string& text : operands) {
        OperandShape shape;
        shape.empty = text.empty();
        shape.immediate = text.starts_with(u'#');
        const Operand keyword = shape.immediate ? Operand::None : operandKeyword(text);
        if (keyword != Operand::None && !shadowed(toLowerCase(text))) {
            shape.keyword = keyword;
        }
        shapes.push_back(shape);
    }
    return shapes;
}

bool isOldLiteral(std::u16string_view text) {
    return isNumber(text) || isCharLiteral(text);
}

// A data item written as one quoted text of two characters or more.
struct StringItem {
    bool isString = false;
    bool unterminated = false;
    std::u16string content;
};

StringItem stringIn(std::u16string_view item, bool textDirective) {
    if (item.empty() || !isQuote(item[0])) {
        return {};
    }
    const QuotedText quoted = readQuoted(item, 0);
    if (!quoted.closed) {
        return {false, true, quoted.content};
    }
    const bool whole = quoted.end == item.size();
    const bool isString = whole && (quoted.content.size() >= 2 || textDirective);
    return {isString, false, quoted.content};
}

class Analyser {
public:
    Analyser(Program& program, Findings& syntax)
        : program_(program), syntax_(syntax), constants_(program, Evaluator::Mode::Constants) {}

    void run() {
        classifyEquates();
        constants_.learnEquatesInOrder();
        const bool substitutes = !texts_.empty() || !program_.legacyEquates.empty();
        for (std::size_t i = 0; i < program_.statements.size(); ++i) {
            Statement& statement = program_.statements[i];
            if (substitutes && !substitute(statement)) {
                syntax_.add(program_, statement, std::u16string(message::substitutionTooLong));
                continue;
            }
            analyse(statement, static_cast<int>(i));
        }
    }

private:
    // Equates whose value is no expression, a register word, or another such
    // equate stand for their text.
    void classifyEquates() {
        for (Symbol& symbol : program_.symbols) {
            if (symbol.kind == SymbolKind::Equate &&
                (symbol.root < 0 || operandKeyword(trimmed(symbol.text)) != Operand::None)) {
                symbol.kind = SymbolKind::Text;
            }
        }
        for (bool changed = true; changed;) {
            changed = false;
            for (Symbol& symbol : program_.symbols) {
                if (symbol.kind != SymbolKind::Equate) {
                    continue;
                }
                const int other = loneSymbol(program_.nodes, symbol.root);
                if (other >= 0 && program_.symbol(other).kind == SymbolKind::Text) {
                    symbol.kind = SymbolKind::Text;
                    changed = true;
                }
            }
        }
        for (std::size_t id = 0; id < program_.symbols.size(); ++id) {
            if (program_.symbols[id].kind == SymbolKind::Text) {
                texts_.emplace(static_cast<int>(id), program_.symbols[id].text);
            }
        }
        resolveTexts();
    }

    // A text may name another such equate: followed a few levels, as deep as sources nest them.
    void resolveTexts() {
        constexpr int deepestText = 8;
        std::set<int> tooLong;
        for (int round = 0; round < deepestText; ++round) {
            bool changed = false;
            for (auto& [id, text] : texts_) {
                const Scope scope = program_.statement(program_.symbol(id).statement).scope;
                bool replaced = false;
                std::u16string next = replaceNames(text, replacementIn(scope, id), &replaced);
                if (replaced && next.size() > longestSubstitution) {
                    tooLong.insert(id);
                    continue;
                }
                if (replaced) {
                    text = std::move(next);
                    changed = true;
                }
            }
            if (!changed) {
                break;
            }
        }
        for (const int id : tooLong) {
            syntax_.add(program_, program_.statement(program_.symbol(id).statement),
                        std::u16string(message::substitutionTooLong));
        }
    }

    NameReplacement replacementIn(const Scope& scope, int except = -1) {
        return [this, scope, except](std::u16string_view name) -> const std::u16string* {
            const auto key = program_.symbolIds.find(toLowerCase(name));
            const int id = key != program_.symbolIds.end() ? key->second : -1;
            const int scoped =
                name.starts_with(u'.') || isDollarLocal(name) ? program_.resolve(name, scope) : id;
            if (scoped < 0 || scoped == except) {
                return nullptr;
            }
            const auto text = texts_.find(scoped);
            return text == texts_.end() ? nullptr : &text->second;
        };
    }

    // False when an operand grew too long.
    bool substitute(Statement& statement) {
        const NameReplacement replacement = replacementIn(statement.scope);
        for (std::u16string& operand : statement.operands) {
            const std::size_t limit = std::max(operand.size(), longestSubstitution);
            if (!texts_.empty()) {
                operand = replaceNames(operand, replacement);
            }
            if (!program_.legacyEquates.empty()) {
                operand = withLegacyEquates(operand, limit);
            }
            if (operand.size() > limit) {
                return false;
            }
        }
        return true;
    }

    // Each equate in turn, as they were put in as text. Lines that macros
    // repeat have the same operands, so each text is worked out once.
    std::u16string withLegacyEquates(const std::u16string& operand, std::size_t limit) {
        if (const auto known = legacyResults_.find(operand); known != legacyResults_.end()) {
            return known->second;
        }
        std::u16string result = operand;
        for (const LegacyEquate& equate : program_.legacyEquates) {
            if (result.size() > limit) {
                break;
            }
            result = replaceSpelling(result, equate.spelling, equate.value);
        }
        if (legacyResults_.size() >= mostRemembered) {
            legacyResults_.clear();
        }
        return legacyResults_.emplace(operand, std::move(result)).first->second;
    }

    // A register word that names an equate is that equate's value, as it
    // always was when equates were put in as text.
    bool isNumericSymbol(std::u16string_view lowerName) const {
        const auto found = program_.symbolIds.find(std::u16string(lowerName));
        if (found == program_.symbolIds.end()) {
            return false;
        }
        const SymbolKind kind = program_.symbol(found->second).kind;
        return kind == SymbolKind::Equate || kind == SymbolKind::Set;
    }

    void analyse(Statement& statement, int index) {
        switch (statement.kind) {
        case StatementKind::Instruction:
            return instruction(statement, index);
        case StatementKind::Data:
            return data(statement, index);
        case StatementKind::Origin:
            return origin(statement, index);
        case StatementKind::Reserve:
            return reserve(statement, index);
        default:
            return;
        }
    }

    void fail(const Statement& statement, std::u16string_view text) {
        syntax_.add(program_, statement, std::u16string(text));
        failed_ = true;
    }

    int parse(const Statement& statement, std::u16string_view text, ParseFailure& failure) {
        const Parsed parsed = parseExpression(text, program_.nodes, [&](std::u16string_view name) {
            return program_.resolve(name, statement.scope);
        });
        failure = parsed.failure;
        return parsed.root;
    }

    // Checks a value that needs no symbols now; one that needs them waits.
    void checkConstant(const Statement& statement, int root, int index, std::int32_t lowest,
                       std::int32_t highest) {
        const Value value = constants_.valueOf(root, index);
        if (value.failure == Failure::DivisionByZero) {
            return fail(statement, message::divisionByZero);
        }
        if (value.ok() && (value.number < lowest || value.number > highest)) {
            fail(statement, message::valueOutOfRange);
        }
    }

    // Instructions
    void instruction(Statement& statement, int index) {
        const std::u16string lower = toLowerCase(statement.word);
        const auto shapes = shapesOf(
            statement.operands, [this](std::u16string_view name) { return isNumericSymbol(name); });
        statement.form = matchForm(lower, shapes);
        if (statement.form == nullptr) {
            statement.form = missingLongTarget(lower, statement.operands.size());
            if (statement.form == nullptr) {
                return fail(statement, message::parameter);
            }
            statement.targetProblem = TargetProblem::Missing;
        }
        statement.size = statement.form->length;
        const InstructionForm& form = *statement.form;
        for (std::size_t slot = 0; slot < statement.operands.size(); ++slot) {
            const Operand kind = slot == 0 ? form.first : form.second;
            if (kind == Operand::Data) {
                immediate(statement, statement.operands[slot], index);
            } else if (kind == Operand::PageTarget || kind == Operand::LongTarget) {
                target(statement, statement.operands[slot]);
            }
        }
    }

    void immediate(Statement& statement, std::u16string_view text, int index) {
        const std::u16string_view digits = trimmed(text.substr(1));
        if (digits.find(u'#') != std::u16string_view::npos && oldImmediate(statement, text)) {
            return; // "##12", "#1#2": read as they always were
        }
        if (isOldLiteral(digits) && !isNumericSymbol(toLowerCase(digits))) {
            const std::int32_t value = valueOf(digits);
            statement.value = {-1, value, true};
            if (value > highestByte) {
                fail(statement, message::valueOutOfRange);
            }
            return;
        }
        ParseFailure failure = ParseFailure::None;
        statement.value.root = parse(statement, digits, failure);
        if (failure != ParseFailure::None) {
            return fail(statement, message::parameter);
        }
        checkConstant(statement, statement.value.root, index, lowestByte, highestByte);
    }

    // Whether the text is a number or character with "#" in it, which the
    // language has always read without them ("#'#'" is none); "#(10 # 8)" is
    // an expression.
    bool oldImmediate(Statement& statement, std::u16string_view text) {
        std::u16string digits;
        for (const char16_t c : text) {
            if (c != u'#') {
                digits.push_back(c);
            }
        }
        if (!isNumber(text) && !isCharLiteral(digits)) {
            const bool quoted = text.find(u'\'') != std::u16string_view::npos;
            if (quoted) {
                fail(statement, message::parameter);
            }
            return quoted;
        }
        statement.value = {-1, valueOf(digits), true};
        if (statement.value.literal > highestByte) {
            fail(statement, message::valueOutOfRange);
        }
        return true;
    }

    void target(Statement& statement, std::u16string_view text) {
        if (text.starts_with(u'#')) {
            statement.targetProblem = TargetProblem::Immediate;
            return;
        }
        if (const auto legacy = program_.legacyLabels.find(toLowerCase(text));
            legacy != program_.legacyLabels.end()) {
            statement.legacyTarget = legacy->second;
            return;
        }
        ParseFailure failure = ParseFailure::None;
        statement.value.root = parse(statement, text, failure);
        statement.loneTargetName = isName(text);
        if (failure != ParseFailure::None) {
            statement.targetProblem = TargetProblem::Malformed;
        }
    }

    // Data lists
    void data(Statement& statement, int index) {
        if (statement.operands.empty()) {
            return fail(statement, message::parameter);
        }
        const bool words = statement.directive == Directive::Words;
        const bool text = statement.directive == Directive::Text ||
                          statement.directive == Directive::TextWithZero;
        const bool single =
            statement.operands.size() == 1 && statement.directive == Directive::Bytes;
        failed_ = false;
        for (const std::u16string& item : statement.operands) {
            dataItem(statement, item, index, words, text, single);
            if (failed_) {
                return;
            }
        }
        if (statement.directive == Directive::TextWithZero) {
            statement.items.push_back({{-1, 0, true}, {}, false});
        }
        std::int32_t size = 0;
        for (const DataItem& item : statement.items) {
            size +=
                static_cast<std::int32_t>(item.isString ? item.bytes.size() : 1) * (words ? 2 : 1);
        }
        statement.size = size;
    }

    void dataItem(Statement& statement, std::u16string_view item, int index, bool words, bool text,
                  bool single) {
        if (item.empty()) {
            return fail(statement, message::parameter);
        }
        const StringItem string = stringIn(item, text);
        if (string.unterminated) {
            const bool isNewForm = item[0] == u'"' || string.content.size() >= 2;
            return fail(statement, isNewForm ? message::unterminatedString : message::parameter);
        }
        if (string.isString) {
            bool lossy = false;
            statement.items.push_back({{}, encodeWindows1252(string.content, &lossy), true});
            if (lossy) {
                fail(statement, message::valueOutOfRange);
            }
            return;
        }
        const bool hashFree = item.find(u'#') == std::u16string_view::npos || isCharLiteral(item);
        if (single && hashFree && isOldLiteral(item) && !isNumericSymbol(toLowerCase(item))) {
            const std::int32_t value = valueOf(item);
            statement.items.push_back({{-1, value, true}, {}, false});
            if (value < 0 || value > highestByte) {
                fail(statement, message::valueOutOfRange);
            }
            return;
        }
        ParseFailure failure = ParseFailure::None;
        const int root = parse(statement, item, failure);
        if (failure != ParseFailure::None) {
            const bool unterminated = failure == ParseFailure::UnterminatedString;
            return fail(statement, unterminated ? message::unterminatedString : message::parameter);
        }
        statement.items.push_back({{root, 0, false}, {}, false});
        checkConstant(statement, root, index, words ? lowestWord : lowestByte,
                      words ? highestWord : highestByte);
    }

    // org and ds
    void origin(Statement& statement, int index) {
        if (statement.operands.size() != 1) {
            return fail(statement, message::parameter);
        }
        const std::u16string& text = statement.operands[0];
        if (isNumber(text) && text.find(u'#') == std::u16string::npos &&
            !isNumericSymbol(toLowerCase(text))) {
            statement.value = {-1, valueOf(text), true};
            const std::int32_t origin = statement.value.literal;
            if (origin < 0 || origin > mcs48::highestImageAddress) {
                fail(statement, message::valueOutOfRange);
            }
            return;
        }
        singleValue(statement, index, 0, mcs48::highestImageAddress);
    }

    void reserve(Statement& statement, int index) {
        if (statement.operands.size() != 1) {
            return fail(statement, message::parameter);
        }
        singleValue(statement, index, statement.directive == Directive::Align ? 1 : 0,
                    mcs48::imageSize);
    }

    void singleValue(Statement& statement, int index, std::int32_t lowest, std::int32_t highest) {
        ParseFailure failure = ParseFailure::None;
        statement.value.root = parse(statement, statement.operands[0], failure);
        if (failure != ParseFailure::None) {
            return fail(statement, message::parameter);
        }
        checkConstant(statement, statement.value.root, index, lowest, highest);
    }

    Program& program_;
    Findings& syntax_;
    Evaluator constants_;
    std::unordered_map<int, std::u16string> texts_; // equates that stand for texts, by symbol
    std::unordered_map<std::u16string, std::u16string> legacyResults_; // by operand
    static constexpr std::size_t mostRemembered = 1 << 16;
    bool failed_ = false;
};

std::int32_t sizeOfData(const Statement& statement) {
    const bool words = statement.directive == Directive::Words;
    const bool text =
        statement.directive == Directive::Text || statement.directive == Directive::TextWithZero;
    std::int32_t units = statement.directive == Directive::TextWithZero ? 1 : 0;
    for (const std::u16string& item : statement.operands) {
        const StringItem string = stringIn(item, text);
        units += string.isString ? static_cast<std::int32_t>(string.content.size()) : 1;
    }
    return units * (words ? 2 : 1);
}

} // namespace

void analyseStatements(Program& program, Findings& syntax) {
    Analyser(program, syntax).run();
}

std::int32_t sizeFromText(const Statement& statement) {
    if (statement.kind == StatementKind::Data) {
        return sizeOfData(statement);
    }
    if (statement.kind != StatementKind::Instruction) {
        return 0;
    }
    const auto shapes = shapesOf(statement.operands, [](std::u16string_view) { return false; });
    const InstructionForm* form = matchForm(statement.word, shapes);
    if (form == nullptr) {
        form = missingLongTarget(statement.word, statement.operands.size());
    }
    return form != nullptr ? form->length : 0;
}

} // namespace tovi
