#include "assembler/code.h"

#include "assembler/evaluator.h"
#include "common/mcs48_memory.h"

namespace tovi {
namespace {

constexpr std::int32_t lowestByte = -128;
constexpr std::int32_t highestByte = 255;
constexpr std::int32_t lowestWord = -32768;
constexpr std::int32_t highestWord = 65535;

class CodePass {
public:
    CodePass(Program& program, Findings& values)
        : program_(program), values_(values), evaluator_(program, Evaluator::Mode::Final) {}

    void run() {
        evaluator_.learnEquatesInOrder();
        for (std::size_t i = 0; i < program_.statements.size(); ++i) {
            Statement& statement = program_.statements[i];
            if (statement.kind != StatementKind::Instruction &&
                statement.kind != StatementKind::Data) {
                continue;
            }
            bytes_.clear();
            const bool made = statement.kind == StatementKind::Instruction
                                  ? instruction(statement, static_cast<int>(i))
                                  : data(statement, static_cast<int>(i));
            if (made) {
                statement.firstByte = static_cast<std::uint32_t>(program_.bytes.size());
                statement.emits = !bytes_.empty();
                program_.bytes.insert(program_.bytes.end(), bytes_.begin(), bytes_.end());
            }
        }
    }

private:
    bool report(const Statement& statement, std::u16string text) {
        values_.add(program_, statement, std::move(text));
        return false;
    }

    // The value of an operand, in range, or nothing after reporting why not.
    std::optional<std::int32_t> valueOf(const Statement& statement, const OperandValue& operand,
                                        int index, std::int32_t lowest, std::int32_t highest) {
        if (operand.isLiteral) {
            return operand.literal; // its range was checked as the language always did
        }
        const Value value = evaluator_.valueOf(operand.root, index);
        if (!value.ok()) {
            report(statement, evaluator_.messageFor(value));
            return std::nullopt;
        }
        if (value.number < lowest || value.number > highest) {
            report(statement, std::u16string(message::valueOutOfRange));
            return std::nullopt;
        }
        return value.number;
    }

    bool instruction(const Statement& statement, int index) {
        const InstructionForm& form = *statement.form;
        if (form.isLongJump() || form.isPageJump()) {
            return jump(statement, index);
        }
        bytes_.push_back(form.opcode);
        if (form.length == 2) {
            const auto value = valueOf(statement, statement.value, index, lowestByte, highestByte);
            if (!value) {
                return false;
            }
            bytes_.push_back(static_cast<std::uint8_t>(*value));
        }
        return true;
    }

    bool jump(const Statement& statement, int index) {
        const auto target = targetOf(statement, index);
        if (!target) {
            return false;
        }
        const InstructionForm& form = *statement.form;
        if (form.isLongJump()) {
            if (*target < 0 || *target > mcs48::highestImageAddress) {
                return report(statement, std::u16string(message::targetOutOfRange));
            }
            bytes_.push_back(static_cast<std::uint8_t>(form.opcode | (*target >> 8) << 5));
            bytes_.push_back(static_cast<std::uint8_t>(*target));
            return true;
        }
        // The page is the one of the second byte, where the program counter stands.
        if (*target < 0 || mcs48::pageOf(*target) != mcs48::pageOf(statement.address + 1)) {
            return report(statement, std::u16string(message::targetOutsidePage));
        }
        bytes_.push_back(form.opcode);
        bytes_.push_back(static_cast<std::uint8_t>(*target));
        return true;
    }

    std::optional<std::int32_t> targetOf(const Statement& statement, int index) {
        if (statement.targetProblem != TargetProblem::None) {
            report(statement, std::u16string(message::invalidTarget));
            return std::nullopt;
        }
        if (statement.legacyTarget >= 0) {
            return program_.symbol(statement.legacyTarget).address;
        }
        const Value value = evaluator_.valueOf(statement.value.root, index);
        if (value.ok()) {
            return value.number;
        }
        // A name alone that is no symbol is the invalid target it always was.
        const bool invalid = statement.loneTargetName && value.failure == Failure::Undefined;
        report(statement,
               invalid ? std::u16string(message::invalidTarget) : evaluator_.messageFor(value));
        return std::nullopt;
    }

    bool data(const Statement& statement, int index) {
        const bool words = statement.directive == Directive::Words;
        for (const DataItem& item : statement.items) {
            if (item.isString) {
                for (const char byte : item.bytes) {
                    put(static_cast<std::uint8_t>(byte), words);
                }
                continue;
            }
            const auto value =
                valueOf(statement, item.value, index, words ? lowestWord : lowestByte,
                        words ? highestWord : highestByte);
            if (!value) {
                return false; // one report per line
            }
            put(static_cast<std::uint16_t>(*value), words);
        }
        return true;
    }

    // A byte, or a word low byte first.
    void put(std::uint16_t value, bool word) {
        bytes_.push_back(static_cast<std::uint8_t>(value));
        if (word) {
            bytes_.push_back(static_cast<std::uint8_t>(value >> 8));
        }
    }

    Program& program_;
    Findings& values_;
    Evaluator evaluator_;
    std::vector<std::uint8_t> bytes_;
};

} // namespace

void generateCode(Program& program, Findings& values) {
    CodePass(program, values).run();
}

} // namespace tovi
