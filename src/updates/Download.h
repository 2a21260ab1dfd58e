// A plain blocking download of a whole file over HTTP(S), with the server's certificate
// verified. Used for update manifests and payloads.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Bytes.h"

namespace harbrix {

// The body of a successful (2xx) answer; none on any failure, including a body longer than
// `limit` bytes, which is abandoned as soon as it grows past it.
std::optional<Bytes> downloadURL(const std::string& url, std::size_t limit);

}  // namespace harbrix
