// Where a reply ends. By default a reply ends after 0.1 s of silence, so every exchange
// costs at least that. Fast framing (HARBRIX_LINK_FRAMING=fast) ends a reply as soon as the
// length its request implies has arrived, and keeps the silence rule for text and list
// replies and for error replies.
#pragma once

#include <cstddef>
#include <optional>

#include "platform/Bytes.h"

namespace harbrix {

enum class Framing { silence, fast };

// The framing chosen by the environment.
Framing framingFromEnvironment();

// The full reply length (header included) implied by a request, when it is known.
std::optional<std::size_t> expectedReplyLength(const Bytes& request);

}  // namespace harbrix
