#include "assembler/expansion.h"

#include <map>
#include <optional>
#include <system_error>
#include <unordered_map>
#include <unordered_set>

#include "assembler/evaluator.h"
#include "assembler/operands.h"
#include "assembler/quoted_text.h"
#include "common/file_io.h"
#include "common/source_text.h"
#include "common/text.h"

namespace tovi {
namespace {

constexpr std::size_t deepestInclude = 16;
constexpr int deepestMacro = 64;
// Macros that call themselves twice would expand without end; no real
// program for 2 KiB of program memory reads this many lines.
constexpr std::size_t mostLines = 250'000;
// The same for their text: a macro may double its argument at every call.
constexpr std::size_t mostCharacters = 4'000'000;

// A line as written: the label before its first ":" (outside quotes), and the statement after it.
struct LineShape {
    std::u16string_view label;
    std::u16string_view statement;
    bool startsInFirstColumn = false;
};

LineShape shapeOf(std::u16string_view line) {
    LineShape shape;
    shape.startsInFirstColumn = !line.empty() && line[0] != u' ';
    const std::u16string_view text = trimmed(line);
    const std::size_t colon = labelColon(text);
    if (colon != std::u16string_view::npos && colon > 0) {
        shape.label = text.substr(0, colon);
        // "name::" marks a label other modules see; here it is a label like any.
        const bool global = colon + 1 < text.size() && text[colon + 1] == u':';
        shape.statement = trimmed(text.substr(colon + (global ? 2 : 1)));
        return shape;
    }
    shape.statement = text;
    return shape;
}

// "$include(file)", as Intel's assembler writes it: the word and its file apart.
std::pair<std::u16string_view, std::u16string_view> controlWithArgument(std::u16string_view word,
                                                                        std::u16string_view rest) {
    const std::size_t open = word.find(u'(');
    if (!word.starts_with(u'$') || open == std::u16string_view::npos || !rest.empty()) {
        return {word, rest};
    }
    return {word.substr(0, open), word.substr(open)};
}

std::pair<std::u16string_view, std::u16string_view> splitWord(std::u16string_view text) {
    const std::size_t blank = text.find(u' ');
    if (blank == std::u16string_view::npos) {
        return {text, {}};
    }
    return {text.substr(0, blank), trimmed(text.substr(blank + 1))};
}

// "name = value" (not "=="): the name and the value.
std::optional<std::pair<std::u16string_view, std::u16string_view>>
assignmentIn(std::u16string_view text) {
    std::size_t end = 0;
    while (end < text.size() && isNameCharacter(text[end])) {
        ++end;
    }
    std::size_t at = end;
    while (at < text.size() && text[at] == u' ') {
        ++at;
    }
    if (end == 0 || at >= text.size() || text[at] != u'=' || !isName(text.substr(0, end))) {
        return std::nullopt;
    }
    // "name == value" is the same, for assemblers that make it known to other modules.
    const std::size_t value = at + 1 < text.size() && text[at + 1] == u'=' ? at + 2 : at + 1;
    return std::pair{text.substr(0, end), trimmed(text.substr(value))};
}

bool isDefinitionWord(Directive directive) {
    return directive == Directive::Equate || directive == Directive::Set ||
           directive == Directive::Macro;
}

// Whether a word may be equ, reg, set or macro (with or without a dot): most
// words are none, and this is quicker to tell than the directive.
bool mayDefine(std::u16string_view word) {
    const std::u16string_view letters = word.starts_with(u'.') ? word.substr(1) : word;
    if (letters.size() < 3 || letters.size() > 5) {
        return false;
    }
    const char16_t first = letters[0] | 0x20;
    return first == u'e' || first == u'r' || first == u's' || first == u'm';
}

bool isEqu(std::u16string_view word) {
    return equalsIgnoringCase(word.starts_with(u'.') ? word.substr(1) : word, u"equ");
}

// Whether a word may be if, ifdef, ifndef, elseif, else or endif.
bool mayBeConditional(std::u16string_view word) {
    const std::u16string_view letters =
        word.starts_with(u'.') || word.starts_with(u'#') ? word.substr(1) : word;
    const char16_t first = letters.empty() ? u' ' : letters[0] | 0x20;
    return first == u'i' || first == u'e';
}

// The file name of an include line: in quotes, in angle brackets, or as it stands.
std::u16string includedName(std::u16string_view text) {
    if (!text.empty() && isQuote(text[0])) {
        const QuotedText quoted = readQuoted(text, 0);
        return quoted.closed && trimmed(text.substr(quoted.end)).empty() ? quoted.content
                                                                         : std::u16string();
    }
    const bool enclosed = text.size() >= 2 && ((text.front() == u'<' && text.back() == u'>') ||
                                               (text.front() == u'(' && text.back() == u')'));
    if (enclosed) {
        return includedName(trimmed(text.substr(1, text.size() - 2)));
    }
    // ":F1:CPU.INC": the drive of Intel's development systems is the folder here.
    const bool drive = text.size() > 4 && text[0] == u':' && (text[1] == u'F' || text[1] == u'f') &&
                       text[3] == u':';
    if (drive) {
        return std::u16string(text.substr(4));
    }
    return std::u16string(text);
}

std::u16string withTabsAsBlanks(std::u16string_view line) {
    std::u16string text(line);
    for (char16_t& c : text) {
        if (c == u'\t') {
            c = u' ';
        }
    }
    return text;
}

std::u16string pathText(const std::filesystem::path& path) {
    return fromUtf8(path.string());
}

struct Macro {
    std::vector<std::u16string> parameters;    // lower case
    std::vector<std::u16string> body;          // without comments
    std::unordered_set<std::u16string> labels; // defined in the body, lower case
    // Per body line, where the word that says what the line does begins (an
    // instruction, directive or macro; npos: none). A label of the same name
    // leaves it alone: "fail: FAIL" still calls the macro FAIL.
    std::vector<std::size_t> actionWordAt;
};

struct Source {
    std::vector<std::u16string> owned; // an included file's or an expansion's lines
    const std::u16string* lines = nullptr;
    std::size_t size = 0;
    std::size_t next = 0;
    int file = 0;
    std::filesystem::path folder;
    std::filesystem::path path; // as opened, made absolute: to find an include of itself
    int mainLine = 0;           // an included file: the main line of its include
    bool isMacro = false;
    SourcePlace call; // an expansion: where the outermost macro call stands
    int macroDepth = 0;
    std::size_t conditionalsBelow = 0;
};

struct Conditional {
    bool outerActive = true;
    bool active = true;
    bool taken = false;
    bool elseSeen = false;
    SourcePlace place;
    int order = 0;
};

struct Recording {
    std::u16string name;
    Macro macro;
    std::optional<std::int32_t> repeat; // times a rept block is put in; none for a macro
    SourcePlace place;
    int order = 0;
    int depth = 1;
    std::size_t source = 0; // how many sources were open when it began
};

struct PendingValue {
    SourcePlace place;
    int order = 0;
    int symbol = -1;
};

class Expander {
public:
    Expander(Program& program, const SourceInput& input, Findings& syntax, Findings& values)
        : program_(program), input_(input), syntax_(syntax), values_(values) {}

    void run() {
        Source main;
        main.lines = input_.lines.data();
        main.size = input_.lines.size();
        main.folder = input_.folder;
        sources_.push_back(std::move(main));
        program_.statements.reserve(input_.lines.size());
        program_.entries.reserve(input_.lines.size());
        while (!sources_.empty() && !stopped_) {
            Source& source = sources_.back();
            if (source.next >= source.size) {
                closeSource();
                continue;
            }
            readLine(source.lines[source.next++]);
        }
        finish();
    }

private:
    // Reading lines
    void readLine(const std::u16string& line) {
        const Source& source = sources_.back();
        const int number = source.isMacro ? 0 : static_cast<int>(source.next);
        order_ = static_cast<int>(program_.entries.size());
        program_.entries.push_back({source.file, number, line, -1, source.isMacro});
        place_ = source.isMacro ? source.call
                                : SourcePlace{source.file, number,
                                              source.file == 0 ? number : source.mainLine};
        if (source.isMacro) {
            macroCharacters_ += line.size();
        }
        if (program_.entries.size() > mostLines || macroCharacters_ > mostCharacters) {
            const std::u16string_view limit =
                program_.entries.size() > mostLines ? message::tooManyLines : message::tooMuchText;
            syntax_.add(program_, place_, order_, std::u16string(limit));
            stopped_ = true;
            return;
        }
        std::u16string blanks; // tabs separate as blanks do
        if (line.find(u'\t') != std::u16string::npos) {
            blanks = withTabsAsBlanks(line);
        }
        const std::u16string_view text = withoutComment(blanks.empty() ? line : blanks);
        if (recording_) {
            record(text);
            return;
        }
        const LineShape shape = shapeOf(text);
        const auto [word, rest] = splitWord(shape.statement);
        const Directive directive = mayBeConditional(word) ? directiveOf(word) : Directive::None;
        if (isConditional(directive)) {
            conditional(directive, rest);
            return;
        }
        if (isActive()) {
            statement(shape);
        }
    }

    void closeSource() {
        const Source& source = sources_.back();
        if (recording_ && recording_->source == sources_.size()) {
            syntax_.add(program_, recording_->place, recording_->order,
                        message::unmatched(recording_->repeat ? u"rept" : u"macro", u"endm"));
            recording_.reset();
        }
        while (conditionals_.size() > source.conditionalsBelow) {
            const Conditional& open = conditionals_.back();
            syntax_.add(program_, open.place, open.order, message::unmatched(u"if", u"endif"));
            conditionals_.pop_back();
        }
        sources_.pop_back();
    }

    void finish() {
        for (const PendingValue& pending : pending_) {
            const Symbol& symbol = program_.symbol(pending.symbol);
            values_.add(program_, pending.place, pending.order,
                        symbol.kind == SymbolKind::Referenced
                            ? message::undefinedSymbol(shownName(symbol))
                            : std::u16string(message::forwardReference));
        }
    }

    // Statements
    void statement(const LineShape& shape) {
        if (shape.label.empty() && shape.statement.empty()) {
            return; // blank and comment lines leave a label line's label pending
        }
        std::u16string_view text = shape.statement;
        const auto [word, rest] = splitWord(text);
        const Directive directive = mayDefine(word) ? directiveOf(word) : Directive::None;
        if (!shape.label.empty() && isDefinitionWord(directive) && isName(shape.label)) {
            return definition(shape.label, directive, rest);
        }
        if (!shape.label.empty()) {
            label(shape.label);
        }
        std::u16string_view written = shape.label;
        if (shape.label.empty() && shape.startsInFirstColumn && isColumnLabel(text)) {
            written = splitWord(text).first;
            label(written);
            text = splitWord(text).second;
        }
        action(text);
        labelled_ = -1;
        previousLabelOnly_ = text.empty() ? std::u16string(written) : std::u16string();
    }

    // What a statement after its label does.
    void action(std::u16string_view text) {
        if (text.empty()) {
            return;
        }
        if (const auto assignment = assignmentIn(text)) {
            return definition(assignment->first, Directive::Equate, assignment->second);
        }
        const auto [word, rest] = splitWord(text);
        const auto [second, afterSecond] = splitWord(rest);
        const Directive secondDirective = mayDefine(second) ? directiveOf(second) : Directive::None;
        const bool isInstruction = !formsOf(word).empty();
        // After an instruction only "equ" defines: "jmp set" and "jmp reg" jump to labels.
        const bool defines = isInstruction ? isEqu(second) : isDefinitionWord(secondDirective);
        if (defines) {
            return definition(word, secondDirective, afterSecond);
        }
        if (const Directive directive = directiveOf(word); directive != Directive::None) {
            const auto [control, argument] = controlWithArgument(word, rest);
            if (directiveOf(control) == Directive::Include) {
                return include(argument);
            }
            return this->directive(directive, word, rest);
        }
        const std::u16string lower = macros_.empty() ? std::u16string() : toLowerCase(word);
        if (const auto macro = macros_.find(lower); macro != macros_.end()) {
            return expand(macro->second, lower, rest);
        }
        if (isInstruction) {
            return instruction(word, rest);
        }
        if (isLegacyEquate(word, rest)) {
            return definition(word, Directive::Equate, trimmed(rest.substr(3)));
        }
        syntax_.add(program_, place_, order_, std::u16string(message::syntax));
    }

    // "cnt equ5": an equate as the language has always read it, when the
    // first word is no instruction and the rest begins with "equ".
    static bool isLegacyEquate(std::u16string_view word, std::u16string_view rest) {
        return rest.size() >= 3 && equalsIgnoringCase(rest.substr(0, 3), u"equ") &&
               formsOf(word).empty();
    }

    // A word in the first column that is no instruction, directive, macro or
    // register, and no name being defined, is a label.
    bool isColumnLabel(std::u16string_view text) const {
        const auto [word, rest] = splitWord(text);
        if (!isName(word) || directiveOf(word) != Directive::None || !formsOf(word).empty() ||
            operandKeyword(word) != mcs48::Operand::None ||
            (!macros_.empty() && macros_.contains(toLowerCase(word)))) {
            return false;
        }
        const std::u16string_view second = splitWord(rest).first;
        return !(mayDefine(second) && isDefinitionWord(directiveOf(second))) &&
               !assignmentIn(text) && !isLegacyEquate(word, rest);
    }

    void directive(Directive directive, std::u16string_view word, std::u16string_view rest) {
        switch (directive) {
        case Directive::Origin:
        case Directive::Reserve:
        case Directive::Align:
            return add(directive == Directive::Origin ? StatementKind::Origin
                                                      : StatementKind::Reserve,
                       directive, word, rest);
        case Directive::Bytes:
        case Directive::Words:
        case Directive::Text:
        case Directive::TextWithZero:
            return add(StatementKind::Data, directive, word, rest);
        case Directive::Equate:
            return dottedEquate(rest);
        case Directive::Define:
            return definition(splitWord(rest).first, Directive::Equate, splitWord(rest).second);
        case Directive::Set:
            return syntax_.add(program_, place_, order_, std::u16string(message::syntax));
        case Directive::Ignored:
            return add(StatementKind::Ignored, directive, word, rest);
        case Directive::End:
            return end(word, rest);
        case Directive::Include:
            return include(rest);
        case Directive::Macro:
            return dottedMacro(rest);
        case Directive::EndMacro:
            return syntax_.add(program_, place_, order_, message::unmatched(u"endm", u"macro"));
        case Directive::Local:
            if (!sources_.back().isMacro) {
                syntax_.add(program_, place_, order_, std::u16string(message::syntax));
            }
            return;
        case Directive::Repeat:
            startRecording(u"rept", u"");
            recording_->repeat = timesToRepeat(rest);
            return;
        default:
            return;
        }
    }

    void instruction(std::u16string_view word, std::u16string_view rest) {
        add(StatementKind::Instruction, Directive::None, word, rest);
    }

    // A statement of its own, carrying the line's label if there is one.
    void add(StatementKind kind, Directive directive, std::u16string_view word,
             std::u16string_view rest) {
        Statement& made = labelled_ >= 0 ? program_.statements[static_cast<std::size_t>(labelled_)]
                                         : newStatement();
        made.kind = kind;
        made.directive = directive;
        made.word = word;
        made.operands = operandsOf(rest);
    }

    Statement& newStatement() {
        Statement made;
        made.place = place_;
        made.entry = order_;
        made.scope = scope_;
        made.address = -1;
        program_.entries.back().statement = static_cast<int>(program_.statements.size());
        program_.statements.push_back(std::move(made));
        return program_.statements.back();
    }

    // Labels
    void label(std::u16string_view text) {
        Statement& carrier = newStatement();
        const int index = static_cast<int>(program_.statements.size() - 1);
        labelled_ = index;
        if (!isName(text)) {
            legacyLabel(text, index);
            return;
        }
        const bool inMacro = text.find(u'\u0001') != std::u16string_view::npos;
        const bool ordinary = !text.starts_with(u'.') && !isDollarLocal(text) && !inMacro;
        const int id = program_.resolve(text, scope_);
        Symbol& symbol = program_.symbol(id);
        if (symbol.kind != SymbolKind::Referenced) {
            // A label written again right below a line with only that label
            // repeats it; it is no second definition to warn about.
            if (text != previousLabelOnly_) {
                program_.redefinitions.push_back({id, index, std::u16string(text)});
            }
        } else {
            symbol.kind = SymbolKind::Label;
            symbol.statement = index;
            symbol.inMacro = inMacro;
            carrier.label = id; // only the first definition gives the label its value
        }
        if (ordinary) {
            scope_.owner = id;
            ++scope_.stretch;
        }
        carrier.scope = scope_;
    }

    // A label text that is no name ("my-label", "loop "): a jump target
    // written exactly so still finds it.
    void legacyLabel(std::u16string_view text, int index) {
        const std::u16string key = toLowerCase(text);
        if (const auto first = program_.legacyLabels.find(key);
            first != program_.legacyLabels.end()) {
            program_.redefinitions.push_back({first->second, index, std::u16string(text)});
            return;
        }
        const int id = program_.symbolFor(u'\u0003' + key, text);
        Symbol& symbol = program_.symbol(id);
        symbol.kind = SymbolKind::Label;
        symbol.statement = index;
        program_.legacyLabels.emplace(key, id);
        program_.statements[static_cast<std::size_t>(index)].label = id;
    }

    // Definitions
    void definition(std::u16string_view name, Directive directive, std::u16string_view value) {
        if (directive == Directive::Macro) {
            return startRecording(name, value);
        }
        if (findOutsideQuotes(value, u',') != std::u16string_view::npos) {
            return syntax_.add(program_, place_, order_, std::u16string(message::syntax));
        }
        Statement& made = labelled_ >= 0 ? program_.statements[static_cast<std::size_t>(labelled_)]
                                         : newStatement();
        made.kind = StatementKind::Definition;
        made.directive = directive;
        made.word = name;
        const int index = static_cast<int>(&made - program_.statements.data());
        if (!isName(name)) {
            program_.legacyEquates.push_back({std::u16string(name), std::u16string(value), index});
            return;
        }
        const int id = program_.resolve(name, scope_);
        const int root = parseValue(value); // may add symbols: references to them come after
        made.defines = id;
        Symbol& symbol = program_.symbol(id);
        if (directive == Directive::Set) {
            return set(symbol, id, {index, root, std::u16string(value)});
        }
        if (symbol.kind != SymbolKind::Referenced) {
            program_.redefinitions.push_back({id, index, std::u16string(name)});
            return;
        }
        symbol.kind = SymbolKind::Equate;
        symbol.statement = index;
        symbol.text = value;
        symbol.root = root;
    }

    void set(Symbol& symbol, int id, SetDefinition definition) {
        if (symbol.kind != SymbolKind::Referenced && symbol.kind != SymbolKind::Set) {
            program_.redefinitions.push_back({id, definition.statement, symbol.name});
            return;
        }
        if (definition.root < 0) {
            return syntax_.add(program_, place_, order_, std::u16string(message::parameter));
        }
        if (symbol.kind == SymbolKind::Referenced) {
            symbol.kind = SymbolKind::Set;
            symbol.statement = definition.statement;
        }
        symbol.sets.push_back(std::move(definition));
    }

    int parseValue(std::u16string_view value) { return parseValue(value, scope_); }

    int parseValue(std::u16string_view value, const Scope& scope) {
        const Parsed parsed = parseExpression(value, program_.nodes, [&](std::u16string_view name) {
            return program_.resolve(name, scope);
        });
        return parsed.root;
    }

    // ".equ name, value"
    void dottedEquate(std::u16string_view rest) {
        const std::size_t comma = findOutsideQuotes(rest, u',');
        const std::u16string_view name = trimmed(rest.substr(0, comma));
        if (comma == std::u16string_view::npos || !isName(name)) {
            return syntax_.add(program_, place_, order_, std::u16string(message::syntax));
        }
        definition(name, Directive::Equate, trimmed(rest.substr(comma + 1)));
    }

    void end(std::u16string_view word, std::u16string_view rest) {
        if (!rest.empty()) {
            add(StatementKind::Ignored, Directive::End, word, rest);
        }
        Source& source = sources_.back();
        if (source.file == 0 && !source.isMacro) {
            for (std::size_t n = source.next; n < source.size; ++n) {
                program_.entries.push_back(
                    {0, static_cast<int>(n + 1), source.lines[n], -1, false});
            }
        }
        source.next = source.size;
    }

    // Conditional assembly
    bool isActive() const { return conditionals_.empty() || conditionals_.back().active; }

    bool hasOwnConditional() const {
        return conditionals_.size() > sources_.back().conditionalsBelow;
    }

    void conditional(Directive directive, std::u16string_view rest) {
        if (directive == Directive::If || directive == Directive::IfDefined ||
            directive == Directive::IfNotDefined) {
            const bool outer = isActive();
            const bool holds = outer && condition(directive, rest);
            conditionals_.push_back({outer, holds, holds, false, place_, order_});
            return;
        }
        const std::u16string_view name = directive == Directive::ElseIf ? u"elseif"
                                         : directive == Directive::Else ? u"else"
                                                                        : u"endif";
        if (!hasOwnConditional() ||
            (directive != Directive::EndIf && conditionals_.back().elseSeen)) {
            return syntax_.add(program_, place_, order_, message::unmatched(name, u"if"));
        }
        Conditional& open = conditionals_.back();
        if (directive == Directive::EndIf) {
            conditionals_.pop_back();
            return;
        }
        if (directive == Directive::Else) {
            open.active = open.outerActive && !open.taken;
            open.taken = true;
            open.elseSeen = true;
            return;
        }
        open.active = open.outerActive && !open.taken && condition(Directive::If, rest);
        open.taken = open.taken || open.active;
    }

    bool condition(Directive directive, std::u16string_view text) {
        if (directive != Directive::If) {
            if (!isName(text)) {
                syntax_.add(program_, place_, order_, std::u16string(message::parameter));
                return false;
            }
            const bool defined = isDefined(text);
            return directive == Directive::IfDefined ? defined : !defined;
        }
        return valueHere(text).value_or(0) != 0;
    }

    // The value of an if or rept line, seen from before the next statement:
    // every symbol defined so far counts. Nothing after an error.
    std::optional<std::int32_t> valueHere(std::u16string_view text) {
        const int root = parseValue(text);
        if (root < 0) {
            syntax_.add(program_, place_, order_, std::u16string(message::parameter));
            return std::nullopt;
        }
        catchUp();
        const int at = static_cast<int>(program_.statements.size());
        const Value value = evaluator_.valueAt(root, at, counter_, true);
        if (value.ok()) {
            return value.number;
        }
        if (value.failure == Failure::Undefined) {
            pending_.push_back({place_, order_, value.symbol}); // perhaps defined below
        } else {
            (value.failure == Failure::NotANumber ? syntax_ : values_)
                .add(program_, place_, order_, evaluator_.messageFor(value));
        }
        return std::nullopt;
    }

    bool isDefined(std::u16string_view name) {
        if (macros_.contains(toLowerCase(name))) {
            return true;
        }
        return program_.symbol(program_.resolve(name, scope_)).kind != SymbolKind::Referenced;
    }

    // The location counter as far as pass 1 knows it, for "if" lines that ask
    // for "$" or a label: the statements since the last such line are counted
    // only then, so that sources without them cost nothing here.
    void catchUp() {
        for (; counted_ < program_.statements.size(); ++counted_) {
            Statement& made = program_.statements[counted_];
            made.address = counter_.value_or(-1);
            const int index = static_cast<int>(counted_);
            if (made.kind == StatementKind::Origin) {
                counter_ = counterValue(made, index);
                made.address = counter_.value_or(-1);
            } else if (made.kind == StatementKind::Reserve) {
                const auto count = counterValue(made, index);
                counter_ = counter_ && count ? std::optional(*counter_ + reserved(made, *count))
                                             : std::nullopt;
            } else if (counter_) {
                counter_ = *counter_ + sizeFromText(made);
            }
            if (made.label >= 0) {
                Symbol& label = program_.symbol(made.label);
                label.address = made.address;
                label.addressKnown = made.address >= 0;
            }
        }
    }

    std::int32_t reserved(const Statement& made, std::int32_t count) const {
        if (made.directive != Directive::Align) {
            return count;
        }
        return count > 0 ? alignment(*counter_, count) : 0; // refused later
    }

    std::optional<std::int32_t> counterValue(const Statement& made, int index) {
        if (made.operands.size() != 1) {
            return std::nullopt;
        }
        const int root = parseValue(made.operands[0], made.scope);
        if (root < 0) {
            return std::nullopt;
        }
        const Value value = evaluator_.valueOf(root, index, true);
        return value.ok() ? std::optional(value.number) : std::nullopt;
    }

    // Includes
    void include(std::u16string_view rest) {
        const std::u16string name = includedName(rest);
        if (name.empty()) {
            return syntax_.add(program_, place_, order_, std::u16string(message::parameter));
        }
        if (includeDepth() >= deepestInclude) {
            return syntax_.add(program_, place_, order_, std::u16string(message::includeTooDeep));
        }
        bool unreadable = false;
        for (const std::filesystem::path& candidate : candidatesFor(name)) {
            const FileRead read = input_.read(candidate);
            if (read.status == FileRead::Status::Read) {
                return open(name, candidate, read.bytes);
            }
            unreadable = unreadable || read.status == FileRead::Status::Unreadable;
        }
        syntax_.add(program_, place_, order_,
                    unreadable ? message::includeUnreadable(name) : message::includeMissing(name));
    }

    std::size_t includeDepth() const {
        std::size_t files = 0;
        for (const Source& source : sources_) {
            files += source.isMacro ? 0 : 1;
        }
        return files - 1;
    }

    std::vector<std::filesystem::path> candidatesFor(std::u16string_view name) const {
        const std::filesystem::path relative = toPath(name);
        if (relative.is_absolute()) {
            return {relative};
        }
        std::vector<std::filesystem::path> candidates{sources_.back().folder / relative};
        for (const std::filesystem::path& folder : input_.includeFolders) {
            candidates.push_back(folder / relative);
        }
        return candidates;
    }

    void open(std::u16string_view name, const std::filesystem::path& path,
              const std::string& bytes) {
        std::error_code error;
        const std::filesystem::path absolute =
            std::filesystem::absolute(path, error).lexically_normal();
        for (const Source& source : sources_) {
            if (!source.isMacro && source.path == absolute) {
                return syntax_.add(program_, place_, order_, message::includesItself(name));
            }
        }
        Source included;
        included.owned = splitLines(decodeSourceBytes(bytes));
        included.lines = included.owned.data();
        included.size = included.owned.size();
        included.file = static_cast<int>(program_.files.size());
        included.folder = path.parent_path();
        included.path = absolute;
        included.mainLine = place_.mainLine;
        included.conditionalsBelow = conditionals_.size();
        program_.files.push_back({std::u16string(name), pathText(path)});
        sources_.push_back(std::move(included));
    }

    // Macros
    // ".macro name p1,p2", ".macro name, p1, p2" or ".macro name(p1,p2)".
    void dottedMacro(std::u16string_view rest) {
        std::size_t end = 0;
        while (end < rest.size() && rest[end] != u' ' && rest[end] != u',' && rest[end] != u'(') {
            ++end;
        }
        std::u16string_view parameters = trimmed(rest.substr(end));
        if (parameters.starts_with(u',')) {
            parameters = trimmed(parameters.substr(1));
        } else if (parameters.starts_with(u'(') && parameters.ends_with(u')')) {
            parameters = parameters.substr(1, parameters.size() - 2);
        }
        startRecording(rest.substr(0, end), parameters);
    }

    void startRecording(std::u16string_view name, std::u16string_view parameters) {
        if (!isName(name)) {
            return syntax_.add(program_, place_, order_, std::u16string(message::syntax));
        }
        Recording recording;
        recording.name = toLowerCase(name);
        for (const std::u16string_view parameter : listItems(parameters)) {
            recording.macro.parameters.push_back(toLowerCase(parameter));
        }
        recording.place = place_;
        recording.order = order_;
        recording.source = sources_.size();
        recording_ = std::move(recording);
    }

    void record(std::u16string_view text) {
        const LineShape shape = shapeOf(text);
        const auto [word, rest] = splitWord(shape.statement);
        const Directive first = directiveOf(word);
        const Directive second = directiveOf(splitWord(rest).first);
        if (first == Directive::EndMacro && --recording_->depth == 0) {
            finishRecording();
            return;
        }
        if (first == Directive::Macro || first == Directive::Repeat || second == Directive::Macro) {
            ++recording_->depth;
        }
        recording_->macro.body.emplace_back(text);
    }

    void finishRecording() {
        Macro& macro = recording_->macro;
        for (const std::u16string& line : macro.body) {
            const LineShape shape = shapeOf(line);
            std::u16string_view action = shape.statement;
            if (const auto [word, names] = splitWord(action);
                directiveOf(word) == Directive::Local) {
                for (const std::u16string_view name : listItems(names)) {
                    macro.labels.insert(toLowerCase(name));
                }
            }
            if (!shape.label.empty() && isName(shape.label)) {
                macro.labels.insert(toLowerCase(shape.label));
            } else if (shape.label.empty() && shape.startsInFirstColumn &&
                       isColumnLabel(shape.statement)) {
                macro.labels.insert(toLowerCase(splitWord(shape.statement).first));
                action = splitWord(shape.statement).second;
            }
            macro.actionWordAt.push_back(
                action.empty() ? std::u16string_view::npos
                               : static_cast<std::size_t>(action.data() - line.data()));
        }
        if (recording_->repeat) {
            const Recording block = std::move(*recording_);
            recording_.reset();
            return repeat(block);
        }
        macros_.insert_or_assign(recording_->name, std::move(macro));
        recording_.reset();
    }

    // The count of a rept line, known where it stands; 0 after an error.
    std::int32_t timesToRepeat(std::u16string_view text) {
        const std::optional<std::int32_t> count = valueHere(text);
        if (count && (*count < 0 || static_cast<std::size_t>(*count) > mostLines)) {
            values_.add(program_, place_, order_, std::u16string(message::valueOutOfRange));
            return 0;
        }
        return count.value_or(0);
    }

    void repeat(const Recording& block) {
        const std::size_t lines = block.macro.body.size() * static_cast<std::size_t>(*block.repeat);
        if (lines > mostLines) {
            syntax_.add(program_, block.place, block.order, std::u16string(message::tooManyLines));
            stopped_ = true;
            return;
        }
        if (isTooDeep()) {
            return;
        }
        Source expansion;
        for (std::int32_t time = 0; time < *block.repeat; ++time) {
            appendExpansion(block.macro, {}, expansion.owned);
        }
        enter(std::move(expansion), block.place);
    }

    bool isTooDeep() {
        if (sources_.back().macroDepth < deepestMacro) {
            return false;
        }
        syntax_.add(program_, place_, order_, std::u16string(message::macroTooDeep));
        stopped_ = true; // a macro that calls itself: nothing after it can be read
        return true;
    }

    void expand(const Macro& macro, std::u16string_view name, std::u16string_view rest) {
        const std::vector<std::u16string> arguments = operandsOf(rest);
        if (arguments.size() > macro.parameters.size()) {
            return syntax_.add(program_, place_, order_, message::tooManyArguments(name));
        }
        if (isTooDeep()) {
            return;
        }
        Source expansion;
        appendExpansion(macro, arguments, expansion.owned);
        enter(std::move(expansion), place_);
    }

    // The macro's lines with the arguments in place of its parameters and its
    // labels made its own, one suffix per expansion.
    void appendExpansion(const Macro& macro, const std::vector<std::u16string>& arguments,
                         std::vector<std::u16string>& lines) {
        const std::u16string suffix = u'\u0001' + decimalText(++expansions_);
        std::unordered_map<std::u16string, std::u16string> replacements;
        for (std::size_t i = 0; i < macro.parameters.size(); ++i) {
            replacements[macro.parameters[i]] = i < arguments.size() ? arguments[i] : u"";
        }
        std::unordered_map<std::u16string, std::u16string> locals;
        for (const std::u16string& local : macro.labels) {
            if (!replacements.contains(local)) {
                locals.emplace(local, local + suffix);
            }
        }
        const char16_t* actionWord = nullptr; // of the line being expanded
        const NameReplacement replacementFor =
            [&](std::u16string_view word) -> const std::u16string* {
            const std::u16string lower = toLowerCase(word);
            if (const auto found = replacements.find(lower); found != replacements.end()) {
                return &found->second;
            }
            const auto local = locals.find(lower);
            return local == locals.end() || word.data() == actionWord ? nullptr : &local->second;
        };
        for (std::size_t line = 0; line < macro.body.size(); ++line) {
            const std::u16string& text = macro.body[line];
            const std::size_t at = macro.actionWordAt[line];
            actionWord = at == std::u16string_view::npos ? nullptr : text.data() + at;
            lines.push_back(replaceNames(text, replacementFor));
        }
    }

    // Reads an expansion next, its errors reported at `call`.
    void enter(Source expansion, const SourcePlace& call) {
        const Source& caller = sources_.back();
        expansion.lines = expansion.owned.data();
        expansion.size = expansion.owned.size();
        expansion.file = caller.file;
        expansion.folder = caller.folder;
        expansion.mainLine = caller.mainLine;
        expansion.isMacro = true;
        expansion.call = caller.isMacro ? caller.call : call;
        expansion.macroDepth = caller.macroDepth + 1;
        expansion.conditionalsBelow = conditionals_.size();
        sources_.push_back(std::move(expansion));
    }

    Program& program_;
    const SourceInput& input_;
    Findings& syntax_;
    Findings& values_;
    Evaluator evaluator_{program_, Evaluator::Mode::Addresses}; // for if, org and ds as read
    std::vector<Source> sources_;
    std::vector<Conditional> conditionals_;
    std::unordered_map<std::u16string, Macro> macros_;
    std::optional<Recording> recording_;
    std::vector<PendingValue> pending_;
    Scope scope_;
    std::optional<std::int32_t> counter_ = 0; // after the counted statements
    std::size_t counted_ = 0;
    SourcePlace place_;
    int order_ = 0;
    int labelled_ = -1;                // the statement the current line's label made
    std::u16string previousLabelOnly_; // the label of the line before, when it had nothing else
    int expansions_ = 0;
    bool stopped_ = false;
    std::size_t macroCharacters_ = 0; // of all lines macros put in
};

} // namespace

std::vector<std::u16string> operandsOf(std::u16string_view text) {
    std::vector<std::u16string_view> items = listItems(text);
    while (!items.empty() && items.back().empty()) {
        items.pop_back();
    }
    return {items.begin(), items.end()};
}

void expandSource(Program& program, const SourceInput& input, Findings& syntax, Findings& values) {
    Expander(program, input, syntax, values).run();
}

} // namespace tovi
