#pragma once
// UTF-16 text of the standard-library layers as a QString.

#include <QString>
#include <string_view>

namespace tovi {

inline QString toQString(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tovi
