# Turns the firmware image into a C++ source holding its bytes: cmake -DINPUT=... -DOUTPUT=... -P
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated from the firmware image at build time.
#include \"resources/EmbeddedFirmware.h\"

namespace {
alignas(16) const std::uint8_t kImage[] = {
${bytes}};
}  // namespace

std::span<const std::uint8_t> embeddedFirmware() { return {kImage, sizeof kImage}; }
")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")
