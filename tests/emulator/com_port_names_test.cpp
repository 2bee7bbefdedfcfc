#include <gtest/gtest.h>

#include "common/text.h"

#include "emulator/com_port_names.h"

namespace tovi {
namespace {

struct MappingCase {
    std::u16string_view portName;
    std::optional<std::string> device;
};
// Test names and messages show the case, not its bytes.
void PrintTo(const MappingCase& c, std::ostream* out) {
    *out << tovi::toUtf8(c.portName);
}

class PortMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(PortMapping, MapsNameToDevice) {
    EXPECT_EQ(linuxDeviceForPort(GetParam().portName), GetParam().device);
}

INSTANTIATE_TEST_SUITE_P(RangeEdges, PortMapping,
                         ::testing::Values(MappingCase{u"COM1", "/dev/ttyS0"},
                                           MappingCase{u"COM10", "/dev/ttyS9"},
                                           MappingCase{u"COM11", "/dev/ttyUSB0"},
                                           MappingCase{u"COM30", "/dev/ttyUSB19"},
                                           MappingCase{u"COM31", "/dev/ttyACM0"},
                                           MappingCase{u"COM50", "/dev/ttyACM19"}));

INSTANTIATE_TEST_SUITE_P(
    NamesThatLeadNowhere, PortMapping,
    ::testing::Values(MappingCase{u"", std::nullopt}, MappingCase{u"COM", std::nullopt},
                      MappingCase{u"COM0", std::nullopt}, MappingCase{u"COM51", std::nullopt},
                      MappingCase{u"COM04", std::nullopt}, MappingCase{u"com4", std::nullopt},
                      MappingCase{u"COM4 ", std::nullopt}, MappingCase{u"COM-4", std::nullopt},
                      MappingCase{u"LPT1", std::nullopt}));

} // namespace
} // namespace tovi
