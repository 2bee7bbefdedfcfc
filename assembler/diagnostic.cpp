#include "assembler/diagnostic.h"

#include "common/text.h"

namespace tovi {

std::u16string statusLineOf(const Diagnostic& diagnostic) {
    std::u16string line = u"Zeile: " + decimalText(diagnostic.line);
    if (!diagnostic.file.empty()) {
        line += u" in '" + diagnostic.file + u"'";
    }
    return line + diagnostic.text;
}

std::u16string gnuLineOf(const Diagnostic& diagnostic, std::u16string_view mainPath) {
    constexpr std::u16string_view arrow = u" -> ";
    const std::u16string_view text = diagnostic.text;
    const std::u16string_view what = text.starts_with(arrow) ? text.substr(arrow.size()) : text;
    const std::u16string file =
        diagnostic.file.empty() ? std::u16string(mainPath) : diagnostic.path;
    return file + u":" + decimalText(diagnostic.line) + u": " + std::u16string(what);
}

namespace message {
namespace {

std::u16string quoted(std::u16string_view before, std::u16string_view name,
                      std::u16string_view after) {
    return std::u16string(before) + u"'" + std::u16string(name) + u"'" + std::u16string(after);
}

} // namespace

std::u16string undefinedSymbol(std::u16string_view name) {
    return quoted(u" -> Symbol ", name, u" ist nicht definiert");
}

std::u16string circularSymbol(std::u16string_view name) {
    return quoted(u" -> Symbol ", name, u" hängt von sich selbst ab");
}

std::u16string symbolTooDeep(std::u16string_view name) {
    return quoted(u" -> Symbol ", name, u" ist zu tief verschachtelt definiert");
}

std::u16string unmatched(std::u16string_view directive, std::u16string_view missing) {
    return quoted(u" -> ", directive, quoted(u" ohne ", missing, u""));
}

std::u16string includeMissing(std::u16string_view name) {
    return quoted(u" -> Include-Datei ", name, u" nicht gefunden");
}

std::u16string includeUnreadable(std::u16string_view name) {
    return quoted(u" -> Include-Datei ", name, u" kann nicht gelesen werden");
}

std::u16string includesItself(std::u16string_view name) {
    return quoted(u" -> Include-Datei ", name, u" schließt sich selbst ein");
}

std::u16string tooManyArguments(std::u16string_view macro) {
    return quoted(u" -> zu viele Parameter für Makro ", macro, u"");
}

std::u16string warning(std::u16string_view text) {
    return u" -> Warnung: " + std::u16string(text);
}

} // namespace message
} // namespace tovi
