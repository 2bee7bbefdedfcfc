#pragma once
// The errors and warnings a pass finds, each with its place in reading order
// so that they can be reported in the order of the source.

#include <string>
#include <vector>

#include "assembler/program.h"

namespace tovi {

struct Finding {
    int order = 0; // the listing entry of the line
    Diagnostic diagnostic;
};

class Findings {
public:
    void add(const Program& program, const Statement& statement, std::u16string text) {
        add(program, statement.place, statement.entry, std::move(text));
    }
    void add(const Program& program, const SourcePlace& place, int order, std::u16string text) {
        list_.push_back({order, diagnosticAt(program, place, std::move(text))});
    }
    bool empty() const { return list_.empty(); }
    int count() const { return static_cast<int>(list_.size()); }
    // In the order of the source; those of one line in the order found.
    std::vector<Diagnostic> inOrder() const;

private:
    std::vector<Finding> list_;
};

} // namespace tovi
