#pragma once
// What an assembly reports about the source, as data: where (the file, its
// line, and the line of the main source it came in through) and what. The
// texts are formatted only at the edges, for the status list or for editors.

#include <functional>
#include <string>
#include <string_view>

namespace tovi {

struct Diagnostic {
    std::u16string
        file; // an included file's name as its include line wrote it; empty: the main source
    std::u16string path; // that file's path as it was opened; empty for the main source
    int line = 0;        // in that file
    int mainLine = 0;    // the line of the main source: the include or macro call it came through
    std::u16string text; // " -> Syntaxfehler", " -> Warnung: …"
};

using DiagnosticSink = std::function<void(const Diagnostic&)>;

// "Zeile: 12 -> Syntaxfehler", or "Zeile: 7 in 'cpu.inc' -> Syntaxfehler".
std::u16string statusLineOf(const Diagnostic& diagnostic);

// "blink.asm:12: Syntaxfehler" or "inc/cpu.inc:7: Syntaxfehler", the form
// editors jump to; `mainPath` names the main source.
std::u16string gnuLineOf(const Diagnostic& diagnostic, std::u16string_view mainPath);

// The messages, each after "Zeile: N".
namespace message {

inline constexpr std::u16string_view syntax = u" -> Syntaxfehler";
inline constexpr std::u16string_view parameter = u" -> Parameterfehler";
inline constexpr std::u16string_view valueOutOfRange =
    u" -> Wert außerhalb des zulässigen Bereiches";
inline constexpr std::u16string_view addressOutOfRange =
    u" -> Adresse außerhalb des zulässigen Bereiches";
inline constexpr std::u16string_view targetOutOfRange =
    u" -> Sprungziel außerhalb des zulässigen Bereiches";
inline constexpr std::u16string_view targetOutsidePage =
    u" -> Sprungziel außerhalb der aktuellen Seite";
inline constexpr std::u16string_view invalidTarget = u" -> ungültiges Sprungziel";
inline constexpr std::u16string_view divisionByZero = u" -> Division durch null";
inline constexpr std::u16string_view unterminatedString =
    u" -> Zeichenkette ohne schließendes Anführungszeichen";
inline constexpr std::u16string_view forwardReference = u" -> Vorwärtsbezug hier nicht erlaubt";
inline constexpr std::u16string_view includeTooDeep = u" -> Include-Dateien zu tief verschachtelt";
inline constexpr std::u16string_view macroTooDeep = u" -> Makroaufrufe zu tief verschachtelt";
inline constexpr std::u16string_view tooManyLines =
    u" -> mehr als 250000 Zeilen: Makros rufen sich ohne Ende auf";
inline constexpr std::u16string_view tooMuchText =
    u" -> mehr als 4000000 Zeichen: Makros erzeugen zu viel Text";
inline constexpr std::u16string_view substitutionTooLong =
    u" -> Text nach Ersetzung der Equates länger als 4096 Zeichen";

std::u16string undefinedSymbol(std::u16string_view name); // " -> Symbol 'x' ist nicht definiert"
std::u16string
circularSymbol(std::u16string_view name); // " -> Symbol 'x' hängt von sich selbst ab"
std::u16string symbolTooDeep(std::u16string_view name);
std::u16string unmatched(std::u16string_view directive, std::u16string_view missing);
std::u16string includeMissing(std::u16string_view name); // " -> Include-Datei 'x' nicht gefunden"
std::u16string includeUnreadable(std::u16string_view name);
std::u16string includesItself(std::u16string_view name);
std::u16string tooManyArguments(std::u16string_view macro);
std::u16string warning(std::u16string_view text); // " -> Warnung: " + text

} // namespace message

} // namespace tovi
