#include "workbench/source_format.h"

#include "common/codepage.h"
#include "common/source_text.h"
#include "common/text.h"

#include <pwd.h>
#include <unistd.h>

namespace tovi {
namespace {

std::u16string joinLines(const std::vector<std::u16string>& lines, std::u16string_view separator) {
    std::u16string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += separator;
        }
        text += lines[i];
    }
    return text;
}

std::u16string twoDigits(int value) {
    const std::u16string digits = decimalText(value);
    return digits.size() < 2 ? u"0" + digits : digits;
}

const std::u16string ruler = u";" + std::u16string(60, u'-');

} // namespace

std::string sourceFileBytes(std::u16string_view editorText, bool* lossy) {
    return encodeWindows1252(joinLines(splitLines(editorText), u"\r\n"), lossy);
}

std::u16string editorTextFromFile(std::string_view bytes) {
    return joinLines(splitLines(decodeSourceBytes(bytes)), u"\n");
}

std::u16string_view fileNamePart(std::u16string_view path) {
    const auto separator = path.find_last_of(u"/\\");
    return separator == std::u16string_view::npos ? path : path.substr(separator + 1);
}

std::u16string pathInDirectory(std::u16string_view directory, std::u16string_view name) {
    std::u16string path(directory);
    if (!path.ends_with(u'/')) {
        path += u'/';
    }
    return path + std::u16string(name);
}

std::u16string dateText(int day, int month, int year) {
    std::u16string yearDigits = decimalText(year);
    while (yearDigits.size() < 4) {
        yearDigits.insert(0, 1, u'0');
    }
    return twoDigits(day) + u"." + twoDigits(month) + u"." + yearDigits;
}

std::u16string accountName() {
    const passwd* account = getpwuid(geteuid());
    if (account == nullptr || account->pw_name == nullptr) {
        return {};
    }
    return fromUtf8(account->pw_name);
}

std::vector<std::u16string> helloWorldTemplate(std::u16string_view date,
                                               std::u16string_view author) {
    const std::u16string dateValue(date);
    const std::u16string authorValue(author);
    return {
        ruler,
        u";  Datei:           hallowelt.asm",
        u";  Beschreibung:    automatisch erzeugtes Programmgerüst",
        u";",
        u";  Prozessor:       z.B. 80C49, 2KiB ROM",
        u";  Taktfrequenz:    z.B. 2 MHz",
        u";",
        u";  erzeugt von:     Tovi (tovi.exe)",
        u";  erstellt am:     " + dateValue,
        u";  geändert am:     " + dateValue,
        u";  Autor:           " + authorValue,
        ruler,
        u"",
        u"ORG 0",
        u"   JMP START",
        u"",
        u"ORG 3",
        u"   JMP ISR",
        u"",
        u"ORG 7",
        u"   JMP TIMER",
        u"",
        u"ISR:",
        u"   NOP",
        u"   ;... Dein Code ...",
        u"   RETR",
        u"",
        u"TIMER:",
        u"   NOP",
        u"   ;... Dein Code ...",
        u"   RETR",
        u"",
        u"START:",
        u"   SEL RB0",
        u"   SEL MB0",
        u"",
        u"HAUPT:",
        u"   NOP",
        u"   ;... Dein Code ...",
        u"   JMP HAUPT",
        u"",
        u"END",
    };
}

} // namespace tovi
