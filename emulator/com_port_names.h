#pragma once
// Serial ports are named "COM" + a decimal number, as the user knows them from
// the emulator's documentation; on Linux each name stands for a tty device.

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tovi {

inline constexpr int firstComPort = 1;
inline constexpr int lastComPort = 50;

// Where a port name leads: a device path, or nothing for a name that cannot
// be opened.
using PortDeviceMap = std::function<std::optional<std::string>(std::u16string_view portName)>;

// "COM" + number in decimal, without leading zeros.
std::u16string comPortName(int number);

// COM1–COM10 are /dev/ttyS0–/dev/ttyS9, COM11–COM30 /dev/ttyUSB0–/dev/ttyUSB19
// and COM31–COM50 /dev/ttyACM0–/dev/ttyACM19. Any other name (other numbers,
// leading zeros, lower case, blanks) leads nowhere.
std::optional<std::string> linuxDeviceForPort(std::u16string_view portName);

} // namespace tovi
