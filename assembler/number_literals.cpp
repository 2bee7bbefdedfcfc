#include "assembler/number_literals.h"

namespace tovi {

bool isNumber(std::u16string_view) { return false; }
bool isCharLiteral(std::u16string_view) { return false; }
std::int32_t valueOf(std::u16string_view) { return 0; }
std::u16string bitsText(std::int64_t, int) { return {}; }

} // namespace tovi
