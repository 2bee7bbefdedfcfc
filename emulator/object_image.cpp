#include "emulator/object_image.h"

namespace tovi {

ObjectImage buildImage(const LineTable&, std::uint8_t) { return {}; }
std::u16string binaryPathFor(std::u16string_view) { return {}; }
BuiltImage buildObjectImage(const LineTable&, const ImageTarget&, const StatusSink&) { return {}; }

} // namespace tovi
