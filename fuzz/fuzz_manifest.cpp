// Arbitrary bytes down the manifest path: decipher, JSON, entry checks. The first byte
// chooses whether the rest is taken as enciphered (so the cipher's padding check is fuzzed)
// or as plain JSON (so the parser and the entry rules are reached often).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "updates/Torque.h"
#include "updates/UpdateEntry.h"

using namespace harbrix;

namespace {

void checkEntries(const UpdateEntries& entries) {
    for (const UpdateEntry& entry : entries) {
        (void)entry.parsedVersion();
        (void)entry.parsedBaseline();
        (void)entry.sizeInRange();
        (void)entry.hasSafeName();
        if (entry.hasSafeName() && entry.name.find('/') != std::string::npos) __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const Bytes rest(data + 1, data + size);
    if (data[0] & 1) {
        if (const auto entries = Manifest::decipher(rest)) checkEntries(*entries);
        // Whatever deciphers must encipher back to the same bytes.
        if (const auto plain = Torque::down(rest)) {
            const auto again = Torque::up(*plain);
            if (!again || *again != rest) __builtin_trap();
        }
    } else {
        const std::string_view text(reinterpret_cast<const char*>(rest.data()), rest.size());
        if (const auto entries = Manifest::parse(text)) checkEntries(*entries);
    }
    return 0;
}
