#pragma once
// Source files as the workbench writes and reads them, and the built-in
// example program "hallowelt.asm".

#include <string>
#include <string_view>
#include <vector>

namespace tovi {

inline constexpr std::u16string_view templateFileName = u"hallowelt.asm";

// The editor's text as file bytes: Windows-1252, lines joined by CR LF, no line
// end after the last line. `lossy` is set when a character had to become "?".
std::string sourceFileBytes(std::u16string_view editorText, bool* lossy = nullptr);

// A file's bytes as editor text: up to the first NUL byte, from Windows-1252,
// with CR LF, LF and a lone CR all ending a line.
std::u16string editorTextFromFile(std::string_view bytes);

// The text after the last "/" or "\".
std::u16string_view fileNamePart(std::u16string_view path);

// `directory` followed by `name`, with one "/" between them.
std::u16string pathInDirectory(std::u16string_view directory, std::u16string_view name);

// "dd.mm.yyyy", day and month with two digits.
std::u16string dateText(int day, int month, int year);

// The account name of the user running the program, or an empty text.
std::u16string accountName();

// The 42 lines of "hallowelt.asm" with the date in lines 9 and 10 and the
// author in line 11.
std::vector<std::u16string> helloWorldTemplate(std::u16string_view date,
                                               std::u16string_view author);

} // namespace tovi
