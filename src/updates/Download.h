// A plain blocking download of a whole file over HTTPS, with the server's certificate
// verified; redirects are followed to HTTPS addresses only. Used for update manifests and
// payloads.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "platform/Bytes.h"

namespace harbrix {

// The body of a successful (2xx) answer; none on any failure, including a body longer than
// `limit` bytes, which is abandoned as soon as it grows past it.
std::optional<Bytes> downloadURL(const std::string& url, std::size_t limit);

// Whether `url` may be fetched over plain HTTP: only from the server HARBRIX_UPDATE_SERVER
// names, when that is itself plain HTTP on a loopback address (a test server).
bool plainHttpAllowed(const std::string& url);

}  // namespace harbrix
