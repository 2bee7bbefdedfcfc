#include "settings/eprom_types.h"

#include <algorithm>

namespace tovi {

bool isEpromTypeCode(std::u16string_view code) {
    return std::ranges::find(epromTypes, code, &EpromType::code) != epromTypes.end();
}

std::u16string epromRowText(const EpromType& type) {
    return std::u16string(type.partNumber) + std::u16string(11, u' ') + u";" +
           std::u16string(type.code);
}

} // namespace tovi
