#include "assembler/directives.h"

#include "assembler/keyword.h"

#include <algorithm>
#include <array>
#include <utility>

namespace tovi {
namespace {

// clang-format off
constexpr std::array<std::pair<std::u16string_view, Directive>, 60> directives = {{
    {u"org", Directive::Origin},
    {u"db", Directive::Bytes},        {u"defb", Directive::Bytes},    {u"byte", Directive::Bytes},
    {u"dw", Directive::Words},        {u"defw", Directive::Words},    {u"word", Directive::Words},
    {u"text", Directive::Text},       {u"ascii", Directive::Text},    {u"defm", Directive::Text},
    {u"asciz", Directive::TextWithZero}, {u"asciiz", Directive::TextWithZero},
    {u"ds", Directive::Reserve},      {u"rs", Directive::Reserve},    {u"block", Directive::Reserve},
    {u"defs", Directive::Reserve},    {u"blkb", Directive::Reserve},  {u"align", Directive::Align},
    {u"equ", Directive::Equate},      {u"reg", Directive::Equate},    {u"#define", Directive::Define},
    {u"set", Directive::Set},
    {u"end", Directive::End},
    {u"include", Directive::Include}, {u"$include", Directive::Include},
    {u"#include", Directive::Include},
    {u"if", Directive::If},           {u"ifdef", Directive::IfDefined},
    {u"ifndef", Directive::IfNotDefined},
    {u"elseif", Directive::ElseIf},   {u"else", Directive::Else},     {u"endif", Directive::EndIf},
    {u"macro", Directive::Macro},     {u"endm", Directive::EndMacro}, {u"local", Directive::Local},
    {u"rept", Directive::Repeat},
    {u"cpu", Directive::Ignored},     {u"8048", Directive::Ignored},  {u"8049", Directive::Ignored},
    {u"8039", Directive::Ignored},    {u"8035", Directive::Ignored},  {u"title", Directive::Ignored},
    {u"page", Directive::Ignored},    {u"listing", Directive::Ignored},
    {u"list", Directive::Ignored},    {u"nolist", Directive::Ignored}, {u"nlist", Directive::Ignored},
    {u"name", Directive::Ignored},    {u"subttl", Directive::Ignored},
    {u"sbttl", Directive::Ignored},   {u"eject", Directive::Ignored}, {u"newpage", Directive::Ignored},
    {u"module", Directive::Ignored},  {u"area", Directive::Ignored},  {u"globl", Directive::Ignored},
    {u"relaxed", Directive::Ignored}, {u"macexp", Directive::Ignored},
    {u"padding", Directive::Ignored}, {u"mod48", Directive::Ignored}, {u"mod49", Directive::Ignored},
}};
// clang-format on

// The table by packed name, for a quick search.
constexpr auto byName = [] {
    std::array<std::pair<std::uint64_t, Directive>, directives.size()> packed{};
    for (std::size_t i = 0; i < directives.size(); ++i) {
        packed[i] = {Keyword::pack(directives[i].first), directives[i].second};
    }
    std::ranges::sort(packed);
    return packed;
}();

Directive lookUp(std::u16string_view lowerWord) {
    const std::uint64_t key = Keyword::pack(lowerWord);
    const auto found =
        std::ranges::lower_bound(byName, key, {}, &std::pair<std::uint64_t, Directive>::first);
    return key != 0 && found != byName.end() && found->first == key ? found->second
                                                                    : Directive::None;
}

} // namespace

Directive directiveOf(std::u16string_view word) {
    const Keyword keyword(word);
    std::u16string_view lower = keyword.view();
    if (lower.starts_with(u'.')) {
        lower.remove_prefix(1);
    }
    Directive directive = lookUp(lower);
    if (directive == Directive::None && lower.starts_with(u'#') &&
        isConditional(lookUp(lower.substr(1)))) {
        directive = lookUp(lower.substr(1));
    }
    // "$nolist", "$title('…')": the controls of Intel's assembler change no bytes.
    const char16_t second = word.size() > 1 ? toLowerChar(word[1]) : u' ';
    const bool control = word.starts_with(u'$') && second >= u'a' && second <= u'z';
    return directive == Directive::None && control ? Directive::Ignored : directive;
}

bool isConditional(Directive directive) {
    return directive == Directive::If || directive == Directive::IfDefined ||
           directive == Directive::IfNotDefined || directive == Directive::ElseIf ||
           directive == Directive::Else || directive == Directive::EndIf;
}

} // namespace tovi
