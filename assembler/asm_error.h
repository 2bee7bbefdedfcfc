#pragma once
// Assembly errors are lines of the status list: "Zeile: " + line number + message.

#include <string_view>

#include "common/text.h"

namespace tovi {

inline constexpr std::u16string_view syntaxError = u" -> Syntaxfehler";
inline constexpr std::u16string_view parameterError = u" -> Parameterfehler";
inline constexpr std::u16string_view valueOutOfRange =
    u" -> Wert außerhalb des zulässigen Bereiches";
inline constexpr std::u16string_view addressOutOfRange =
    u" -> Adresse außerhalb des zulässigen Bereiches";
inline constexpr std::u16string_view targetOutOfRange =
    u" -> Sprungziel außerhalb des zulässigen Bereiches";
inline constexpr std::u16string_view targetOutsidePage =
    u" -> Sprungziel außerhalb der aktuellen Seite";
inline constexpr std::u16string_view invalidTarget = u" -> ungültiges Sprungziel";

// Appends "Zeile: <lineNumber><message>" to the status list.
void reportLineError(const StatusSink& appendStatus, int lineNumber, std::u16string_view message);

} // namespace tovi
