#pragma once
// The values of expressions in a program, with its symbols: what is known
// before addresses (constants), while addresses are assigned, and at the end.

#include <optional>
#include <unordered_map>
#include <vector>

#include "assembler/program.h"

namespace tovi {

class Evaluator {
public:
    enum class Mode {
        Constants, // labels and "$" are not known yet
        Addresses, // labels and "$" count where their address is known
        Final,     // every label has its address
    };

    Evaluator(const Program& program, Mode mode);

    // The value of an expression in statement `at`. With `forwardLimited`
    // (org, ds, if) a value may not depend on a label defined below `at`.
    // Values are remembered: the program may grow between calls, but only
    // below the statements already asked about.
    Value valueOf(int root, int at, bool forwardLimited = false);
    // The same with "$" given: `at` may be the number of statements, for a
    // value seen from after the last one.
    Value valueAt(int root, int at, std::optional<std::int32_t> location, bool forwardLimited);

    // Takes the equates' values in the order they are defined, so that a long
    // chain of equates each defined by the one before is followed one step
    // at a time.
    void learnEquatesInOrder();

    // The message for a failed value, naming the symbol where there is one.
    std::u16string messageFor(const Value& value) const;

private:
    void forgetFor(int limit);
    Value expressionValue(int root, int setsAt, std::optional<std::int32_t> location);
    Value symbolValue(int id);
    Value labelValue(const Symbol& symbol) const;
    Value equateValue(int id);
    Value setValue(const Symbol& symbol, int id);
    Value setDefinitionValue(int id, std::size_t definition);
    std::optional<std::int32_t> addressOf(int statement) const;

    const Program& program_;
    Mode mode_;
    std::vector<char> visiting_;
    // Values found so far; they hold for one forward limit.
    std::vector<std::optional<Value>> equateCache_;
    struct KnownSets {
        std::vector<Value> values; // by definition
        std::size_t filled = 0;    // the first so many are known
    };
    std::unordered_map<int, KnownSets> setCache_; // by symbol
    int limitAt_ = -1;                            // forward-limited use, or -1
    int setsAt_ = 0;                              // sets take their latest definition above this
    int depth_ = 0;
};

} // namespace tovi
