#pragma once
// The EPROM types the emulator can stand in for, and the emulator settings a
// run uses when the settings file gives none.

#include <array>
#include <string>
#include <string_view>

namespace tovi {

struct EpromType {
    std::u16string_view partNumber;
    std::u16string_view code; // sent to the emulator in ":ini<code>"; capacity in kilobits
};

// clang-format off
inline constexpr std::array<EpromType, 8> epromTypes{{
    // part       code
    {u"2716",    u"16"},
    {u"2732",    u"32"},
    {u"2764",    u"64"},
    {u"28C64",   u"E64"},
    {u"27128",   u"128"},
    {u"27256",   u"256"},
    {u"28C256",  u"E256"},
    {u"27512",   u"512"},
}};
// clang-format on

inline constexpr std::u16string_view defaultComPort = u"COM4";
inline constexpr std::u16string_view defaultEpromType = u"64";

bool isEpromTypeCode(std::u16string_view code);

// A row of the dialog's EPROM list: the part number, eleven blanks, ";" and the code.
std::u16string epromRowText(const EpromType& type);

} // namespace tovi
