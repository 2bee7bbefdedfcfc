#pragma once
// One assembly's program: the statements that pass 1 read from the source,
// its included files and its macro expansions, the symbols they define, and
// every line read, for the listing. The later passes fill in the statements'
// forms, addresses and bytes.

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "assembler/diagnostic.h"
#include "assembler/directives.h"
#include "assembler/expression.h"
#include "assembler/instruction_forms.h"

namespace tovi {

// Where a statement stands: the file (0 the main source), its line there, and
// the line of the main source it came in through. A statement of a macro
// expansion stands where the macro was called.
struct SourcePlace {
    int file = 0;
    int line = 0;
    int mainLine = 0;
};

struct SourceFileName {
    std::u16string name; // as the include line wrote it; empty for the main source
    std::u16string path; // as it was opened
};

enum class StatementKind : std::uint8_t {
    Label, // a label alone, or the label of a line that emits nothing
    Instruction,
    Data,       // db, dw, text, asciz
    Reserve,    // ds, align
    Origin,     // org
    Definition, // equ, =, set: no address, no bytes
    Ignored,    // cpu, title …: no address, no bytes
};

// How names in a statement's operands are found: "n$" labels belong to the
// stretch between two ordinary labels, ".name" labels to the ordinary label above.
struct Scope {
    int owner = -1;  // the ordinary label above (a symbol id), or -1
    int stretch = 0; // counts ordinary labels
};

// One value of an operand: an expression, or a value the old literal forms gave.
struct OperandValue {
    int root = -1;            // the expression, or -1
    std::int32_t literal = 0; // when root is -1 and isLiteral
    bool isLiteral = false;   // "ah", "##12", "4294967295": as the language always read them
};

// One item of a data list: a value, or the bytes of a string.
struct DataItem {
    OperandValue value;
    std::string bytes; // Windows-1252; used when isString
    bool isString = false;
};

enum class TargetProblem : std::uint8_t { None, Missing, Immediate, Malformed };

// The bytes "align n" reserves at `location`: up to the next multiple of n.
inline std::int32_t alignment(std::int64_t location, std::int32_t multiple) {
    return static_cast<std::int32_t>((multiple - location % multiple) % multiple);
}

struct Statement {
    SourcePlace place;
    int entry = 0; // the listing entry of its line
    StatementKind kind = StatementKind::Label;
    Directive directive = Directive::None;
    int label = -1;      // the symbol a label on this line defines
    int defines = -1;    // the symbol an equ, = or set line defines
    std::u16string word; // the mnemonic or directive as written
    std::vector<std::u16string> operands;
    Scope scope;

    // Filled by the passes.
    const InstructionForm* form = nullptr;
    OperandValue value; // an instruction's data or target; org's and ds' operand
    TargetProblem targetProblem = TargetProblem::None;
    int legacyTarget = -1;       // a label written in a form no expression reads
    bool loneTargetName = false; // the target is one name: an unknown one is an invalid target
    std::vector<DataItem> items;
    std::int32_t address = 0;
    std::int32_t size = 0;       // bytes it occupies; for ds the bytes it reserves
    std::uint32_t firstByte = 0; // its bytes in Program::bytes
    bool emits = false;          // it has bytes in the image
};

enum class SymbolKind : std::uint8_t {
    Referenced, // used, never defined
    Label,
    Equate, // equ, =
    Set,    // set: may be defined again
    Text,   // an equate that stands for a text such as "p1" or "@r0"
};

struct SetDefinition {
    int statement = 0;
    int root = -1;
    std::u16string text; // the value as written
};

struct Symbol {
    std::u16string name; // as it is shown
    SymbolKind kind = SymbolKind::Referenced;
    int statement = -1;  // where it was (first) defined
    int root = -1;       // Equate: the value
    std::u16string text; // Equate and Text: the value as written
    std::vector<SetDefinition> sets;
    std::int32_t address = 0; // Label
    bool addressKnown = false;
    bool inMacro = false; // a label local to one macro expansion
};

// A line as it was read, for the listing.
struct ListingEntry {
    int file = 0;
    int line = 0; // in that file; 0 for a line of a macro expansion
    std::u16string text;
    int statement = -1; // the statement it produced, or -1
    bool fromMacro = false;
};

// A name defined a second time: the first definition counts.
struct Redefinition {
    int symbol = -1;
    int statement = -1;
    std::u16string name; // as the second definition writes it
};

// An equate whose name is no name ("my-val equ 5"): its value replaces the
// name as text wherever it stands as a word of its own.
struct LegacyEquate {
    std::u16string spelling;
    std::u16string value;
    int statement = -1;
};

struct Program {
    std::vector<SourceFileName> files{{}};
    std::vector<Statement> statements;
    std::vector<ListingEntry> entries;
    std::vector<Symbol> symbols;
    std::unordered_map<std::u16string, int> symbolIds;    // lower-cased key
    std::unordered_map<std::u16string, int> legacyLabels; // label texts that are no names
    std::vector<LegacyEquate> legacyEquates;
    std::vector<Redefinition> redefinitions;
    NodePool nodes;
    std::vector<std::uint8_t> bytes;

    // The id of the symbol with this key, created when it is new.
    int symbolFor(const std::u16string& key, std::u16string_view shownName);
    // The symbol a name written in a statement of this scope stands for.
    int resolve(std::u16string_view name, const Scope& scope);
    const Statement& statement(int index) const {
        return statements[static_cast<std::size_t>(index)];
    }
    Symbol& symbol(int id) { return symbols[static_cast<std::size_t>(id)]; }
    const Symbol& symbol(int id) const { return symbols[static_cast<std::size_t>(id)]; }
};

// A symbol's name as messages show it: a label local to a macro expansion
// without the number of its expansion.
std::u16string_view shownName(const Symbol& symbol);

// A diagnostic together with the place it is reported at.
Diagnostic diagnosticAt(const Program& program, const SourcePlace& place, std::u16string text);

} // namespace tovi
