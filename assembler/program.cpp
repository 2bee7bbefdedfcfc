#include "assembler/program.h"

#include <algorithm>

#include "assembler/findings.h"
#include "common/text.h"

namespace tovi {

int Program::symbolFor(const std::u16string& key, std::u16string_view shownName) {
    const auto [entry, added] = symbolIds.try_emplace(key, static_cast<int>(symbols.size()));
    if (added) {
        Symbol symbol;
        symbol.name = shownName;
        symbols.push_back(std::move(symbol));
    }
    return entry->second;
}

int Program::resolve(std::u16string_view name, const Scope& scope) {
    std::u16string key = toLowerCase(name);
    if (isDollarLocal(name)) {
        key += u'\u0002' + decimalText(scope.stretch);
        return symbolFor(key, name);
    }
    if (name.starts_with(u'.') && scope.owner >= 0) {
        const std::u16string owner = symbol(scope.owner).name;
        return symbolFor(toLowerCase(owner) + key, owner + std::u16string(name));
    }
    return symbolFor(key, name);
}

std::u16string_view shownName(const Symbol& symbol) {
    const std::u16string_view name = symbol.name;
    return name.substr(0, name.find(u'\u0001'));
}

Diagnostic diagnosticAt(const Program& program, const SourcePlace& place, std::u16string text) {
    const SourceFileName& file = program.files[static_cast<std::size_t>(place.file)];
    return {file.name, file.path, place.line, place.mainLine, std::move(text)};
}

std::vector<Diagnostic> Findings::inOrder() const {
    std::vector<Finding> sorted = list_;
    std::ranges::stable_sort(sorted, {}, &Finding::order);
    std::vector<Diagnostic> diagnostics;
    diagnostics.reserve(sorted.size());
    for (Finding& finding : sorted) {
        diagnostics.push_back(std::move(finding.diagnostic));
    }
    return diagnostics;
}

} // namespace tovi
