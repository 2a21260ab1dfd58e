// MD5 digests and the launch-token checksum shared by Harbrix and its installer Tolvane.
// This file and its .cpp depend only on OpenSSL's libcrypto and the standard library, so the
// installer can compile them without the rest of Harbrix.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Bytes.h"

namespace harbrix {

// The 16-byte MD5 digest (RFC 1321); empty only if the crypto library fails.
Bytes MD5(const Bytes& bytes);
// The digest as 32 lower-case hexadecimal digits.
std::string MD5String(const Bytes& bytes);
// MD5String of the 8 little-endian bytes of `number` itself. Both programs must agree on
// this exactly; the integer hash in front of the digest is the identity on purpose, so that
// the installer's side can be written without any platform number-object hash.
std::string checksum(std::uint64_t number);

}  // namespace harbrix
