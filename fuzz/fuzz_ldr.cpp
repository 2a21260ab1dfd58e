// Feeds arbitrary bytes to the LDR check and conversion. Beyond memory safety it checks what
// the two promise each other: a converted image has at least 100 bytes, never more than one
// per four input bytes, and when the input passes the check its first 20 bytes are the
// values of the first 20 lines.
#include <cstddef>
#include <cstdint>

#include "link/FirmwareImage.h"

namespace {

int digit(std::uint8_t c) {
    return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const harbrix::Bytes input(data, data + size);
    const bool ldr = harbrix::isLDR(input);
    const auto image = harbrix::dataFromLDR(input);
    if (ldr && size < 120) __builtin_trap();
    if (!image) return 0;
    if (image->size() < 100 || image->size() > size / 4) __builtin_trap();
    if (ldr) {
        for (std::size_t line = 0; line < 20; ++line) {
            const std::size_t at = line * 6;
            const int value = digit(data[at + 2]) << 4 | digit(data[at + 3]);
            if ((*image)[line] != value) __builtin_trap();
        }
    }
    return 0;
}
