#include "bench/program_generator.h"

#include <array>
#include <string_view>

#include "common/codepage.h"
#include "common/text.h"

namespace tovi::bench {
namespace {

constexpr int pageSize = 256;
constexpr int pageCount = 8;
constexpr int equateCount = 16;

struct Statement {
    std::string_view
        text; // "{r}" stands for a register number, "{v}" for an equate, "{p}" for the page
    int bytes;
};

// The mix of one- and two-byte instructions that fills each page.
constexpr std::array<Statement, 24> statementMix = {{
    {"    inc r{r}", 1},      {"    add a,r{r}", 1},
    {"    mov a,#VAL{v}", 2}, {"    xch a,@r{b}", 1},
    {"    rl a", 1},          {"    cpl c", 1},
    {"    dec r{r}", 1},      {"    jnz PAGE{p}", 2},
    {"    mov r{r},a", 1},    {"    addc a,@r{b}", 1},
    {"    swap a", 1},        {"    clr c", 1},
    {"    xrl a,r{r}", 1},    {"    djnz r{r},PAGE{p}", 2},
    {"    anl a,r{r}", 1},    {"    movx a,@r{b}", 1},
    {"    rrc a", 1},         {"    outl p1,a", 1},
    {"    orl a,r{r}", 1},    {"    call SUB", 2},
    {"    da a", 1},          {"    inc @r{b}", 1},
    {"    movp a,@a", 1},     {"    nop", 1},
}};

std::string expand(std::string_view pattern, int counter, int page) {
    std::string text;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] != '{') {
            text.push_back(pattern[i]);
            continue;
        }
        const char key = pattern[i + 1];
        i += 2;
        if (key == 'r') {
            text += std::to_string(counter % 8);
        } else if (key == 'b') {
            text += std::to_string(counter % 2);
        } else if (key == 'v') {
            text.push_back(static_cast<char>('A' + counter % equateCount));
        } else {
            text += std::to_string(page);
        }
    }
    return text;
}

void addLine(std::vector<std::u16string>& lines, const std::string& text) {
    lines.push_back(fromUtf8(text));
}

void addPage(std::vector<std::u16string>& lines, int page) {
    addLine(lines, "; Seite " + std::to_string(page));
    addLine(lines, "    org " + std::to_string(page * pageSize));
    addLine(lines, "PAGE" + std::to_string(page) + ":");
    // The last page ends with the subroutine and a jump back to the start.
    const int tail = page == pageCount - 1 ? 4 : 2;
    int used = 0;
    for (int counter = 0;; ++counter) {
        const Statement& statement =
            statementMix[static_cast<std::size_t>(counter) % statementMix.size()];
        if (used + statement.bytes > pageSize - tail) {
            break;
        }
        if (counter % 32 == 0) {
            addLine(lines, "; Block " + std::to_string(counter / 32));
        }
        if (counter % 8 == 0) {
            addLine(lines, "L" + std::to_string(page) + "_" + std::to_string(counter) + ":");
        }
        addLine(lines, expand(statement.text, counter, page));
        used += statement.bytes;
    }
    for (; used < pageSize - tail; ++used) {
        addLine(lines, "    nop");
    }
    if (page == pageCount - 1) {
        addLine(lines, "SUB: ret");
        addLine(lines, "    nop");
    }
    addLine(lines, "    jmp PAGE" + std::to_string((page + 1) % pageCount) + " ; weiter");
}

} // namespace

std::vector<std::u16string> twoKilobyteProgram() {
    std::vector<std::u16string> lines;
    lines.reserve(2200);
    addLine(lines, "; Benchmark: fuellt den Programmspeicher von 000H bis 7FFH");
    for (int i = 0; i < equateCount; ++i) {
        // Letters, not numbers, so that no equate name is a prefix of another.
        const char hex[] = "0123456789ABCDEF";
        const int value = i * 13 + 7;
        addLine(lines, std::string("VAL") + static_cast<char>('A' + i) + " equ 0" +
                           hex[value / 16] + hex[value % 16] + "h");
    }
    for (int page = 0; page < pageCount; ++page) {
        addPage(lines, page);
    }
    addLine(lines, "    end");
    return lines;
}

SourceWithIncludes twentyThousandLines() {
    constexpr int includedFiles = 10;
    constexpr int equatesPerFile = 1'200;
    constexpr int macrosPerFile = 20;
    SourceWithIncludes source;
    for (int file = 0; file < includedFiles; ++file) {
        std::string text = "; Definitionen " + std::to_string(file) + "\r\n";
        for (int i = 0; i < equatesPerFile; ++i) {
            const std::string name = "K" + std::to_string(file) + "_" + std::to_string(i);
            text += name + " equ " + std::to_string(i % 256) + " ; Wert\r\n";
        }
        for (int m = 0; m < macrosPerFile; ++m) {
            text += "warte" + std::to_string(file) + "_" + std::to_string(m) + " macro n, r\r\n" +
                    "        mov r, #n\r\nschleife: djnz r, schleife\r\n        endm\r\n";
        }
        const std::string name = "defs" + std::to_string(file) + ".inc";
        source.files.emplace_back(name, text);
        addLine(source.lines, "        include \"" + name + "\"");
    }
    // Code in every 16th block only, so that all of it fits into 2 KiB; a
    // set symbol counts the blocks.
    addLine(source.lines, "bloecke set 0");
    for (int block = 0; source.lines.size() < 20'000; ++block) {
        const std::string number = std::to_string(block);
        addLine(source.lines, "block" + number + ":");
        addLine(source.lines, "        if bloecke mod 16 = 0");
        addLine(source.lines, "        if ($ and 0FFh) > 0F0h"); // the loops stay in their page
        addLine(source.lines, "        org ($ or 0FFh) + 1");
        addLine(source.lines, "        endif");
        addLine(source.lines, "        warte" + std::to_string(block % includedFiles) + "_" +
                                  std::to_string(block % macrosPerFile) + " K" +
                                  std::to_string(block % includedFiles) + "_" +
                                  std::to_string(block % equatesPerFile) + " and 0FFh, r" +
                                  std::to_string(block % 8));
        addLine(source.lines, ".ende   jnz .ende");
        addLine(source.lines, "        db low(block" + number + "), 1, 2");
        addLine(source.lines, "        else");
        addLine(source.lines, "        ; nichts");
        addLine(source.lines, "        endif");
        addLine(source.lines, "bloecke set bloecke + 1");
    }
    addLine(source.lines, "        end");
    return source;
}

std::string twoKilobyteProgramFile() {
    std::u16string text;
    const auto lines = twoKilobyteProgram();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i != 0) {
            text += u"\r\n";
        }
        text += lines[i];
    }
    return encodeWindows1252(text);
}

} // namespace tovi::bench
