// Where a reply ends. Under the silence rule a reply ends after 0.1 s of silence, so every
// exchange costs at least that. Length framing ends a reply once the length its request
// implies has arrived: guarded (the default) then waits out a short guard, and a byte in the
// guard sends the reply back to the silence rule; fast ends it at once. Text and list replies
// and error replies always end with silence.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string_view>

#include "platform/Bytes.h"

namespace harbrix {

enum class Framing { silence, fast, guarded };

// How long the line must stay quiet after a complete reply before guarded framing ends it:
// longer than the 16 ms latency timer of common USB-serial bridges.
constexpr std::chrono::milliseconds kReplyGuard{20};

// The framing chosen by HARBRIX_LINK_FRAMING; guarded when unset or not understood.
Framing framingFromEnvironment();
// "guarded", "silence" or "fast", and back.
std::optional<Framing> framingNamed(std::string_view name);
const char* framingName(Framing framing);

// The full reply length (header included) implied by a request, when it is known.
std::optional<std::size_t> expectedReplyLength(const Bytes& request);

}  // namespace harbrix
