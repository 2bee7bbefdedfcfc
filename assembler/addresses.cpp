#include "assembler/addresses.h"

#include <algorithm>

#include "assembler/evaluator.h"
#include "common/mcs48_memory.h"

namespace tovi {
namespace {

class AddressPass {
public:
    AddressPass(Program& program, Findings& values)
        : program_(program), values_(values), evaluator_(program, Evaluator::Mode::Addresses) {}

    void run() {
        forgetPassOne();
        for (std::size_t i = 0; i < program_.statements.size(); ++i) {
            place(program_.statements[i], static_cast<int>(i));
        }
        for (const Statement& statement : program_.statements) {
            checkRange(statement);
        }
    }

private:
    // Pass 1 gave provisional addresses; here they count only once given.
    void forgetPassOne() {
        for (Statement& statement : program_.statements) {
            statement.address = -1;
        }
        for (Symbol& symbol : program_.symbols) {
            symbol.addressKnown = false;
        }
    }

    void place(Statement& statement, int index) {
        statement.address = static_cast<std::int32_t>(std::min<std::int64_t>(counter_, 0x7FFFFFFF));
        if (statement.kind == StatementKind::Origin) {
            origin(statement, index);
        } else if (statement.kind == StatementKind::Reserve) {
            reserve(statement, index);
        } else {
            counter_ += statement.size;
        }
        if (statement.label >= 0) {
            Symbol& label = program_.symbol(statement.label);
            label.address = statement.address;
            label.addressKnown = true;
        }
    }

    std::optional<std::int32_t> valueOf(const Statement& statement, int index) {
        if (statement.value.isLiteral) {
            return statement.value.literal;
        }
        if (statement.value.root < 0) {
            return std::nullopt; // refused in stage 1
        }
        const Value value = evaluator_.valueOf(statement.value.root, index, true);
        if (!value.ok()) {
            values_.add(program_, statement, evaluator_.messageFor(value));
            return std::nullopt;
        }
        return value.number;
    }

    void origin(Statement& statement, int index) {
        const auto origin = valueOf(statement, index);
        if (!origin) {
            return;
        }
        if (*origin < 0 || *origin > mcs48::highestImageAddress) {
            values_.add(program_, statement, std::u16string(message::valueOutOfRange));
            return;
        }
        statement.address = *origin;
        counter_ = *origin;
    }

    void reserve(Statement& statement, int index) {
        const auto count = valueOf(statement, index);
        if (!count) {
            return;
        }
        const bool aligns = statement.directive == Directive::Align;
        if (*count < (aligns ? 1 : 0) || *count > mcs48::imageSize) {
            values_.add(program_, statement, std::u16string(message::valueOutOfRange));
            return;
        }
        statement.size = aligns ? alignment(counter_, *count) : *count;
        counter_ += statement.size;
    }

    void checkRange(const Statement& statement) {
        const bool occupies = statement.kind == StatementKind::Instruction ||
                              statement.kind == StatementKind::Data ||
                              statement.kind == StatementKind::Reserve;
        const std::int64_t end = std::int64_t{statement.address} + statement.size;
        if (occupies && statement.size > 0 && end > mcs48::imageSize) {
            values_.add(program_, statement, std::u16string(message::addressOutOfRange));
        }
    }

    Program& program_;
    Findings& values_;
    Evaluator evaluator_;
    std::int64_t counter_ = 0;
};

} // namespace

void assignAddresses(Program& program, Findings& values) {
    AddressPass(program, values).run();
}

} // namespace tovi
