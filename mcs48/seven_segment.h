#pragma once
// A seven-segment digit: the figure a pattern of lit segments shows.

#include <cstdint>
#include <string>

namespace tovi::mcs48 {

// `segments`: bit 0 = a, 1 = b, 2 = c, 3 = d, 4 = e, 5 = f, 6 = g, bit 7 = the
// decimal point. The figure of a–g ("0"–"9", "A", "b", "C", "d", "E", "F", "-"
// for g alone, " " for none), or the value of a–g as two hex digits when they
// form no figure; then "." when the point is lit.
std::string figureOf(std::uint8_t segments);

} // namespace tovi::mcs48
