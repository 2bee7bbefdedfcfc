#include "emulator/com_port_names.h"

#include <array>

#include "common/text.h"

namespace tovi {
namespace {

struct DeviceRange {
    int firstNumber;
    int lastNumber;
    std::string_view devicePrefix; // the first number of the range is device 0
};

constexpr std::array<DeviceRange, 3> deviceRanges{{
    {1, 10, "/dev/ttyS"},
    {11, 30, "/dev/ttyUSB"},
    {31, 50, "/dev/ttyACM"},
}};

constexpr std::u16string_view comPrefix = u"COM";

// The number of a well-formed name, or nothing.
std::optional<int> portNumber(std::u16string_view portName) {
    if (!portName.starts_with(comPrefix)) {
        return std::nullopt;
    }
    const std::u16string_view digits = portName.substr(comPrefix.size());
    if (digits.empty() || digits.size() > 2 || digits.front() == u'0') {
        return std::nullopt;
    }
    int number = 0;
    for (const char16_t c : digits) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        number = number * 10 + (c - u'0');
    }
    return number;
}

} // namespace

std::u16string comPortName(int number) {
    return std::u16string(comPrefix) + decimalText(number);
}

std::optional<std::string> linuxDeviceForPort(std::u16string_view portName) {
    const auto number = portNumber(portName);
    if (!number) {
        return std::nullopt;
    }
    for (const DeviceRange& range : deviceRanges) {
        if (*number >= range.firstNumber && *number <= range.lastNumber) {
            return std::string(range.devicePrefix) + std::to_string(*number - range.firstNumber);
        }
    }
    return std::nullopt;
}

} // namespace tovi
