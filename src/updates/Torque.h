// The manifest cipher: AES-128 in CBC mode with PKCS#7 padding under one fixed key and
// initialisation vector, so that update manifests are not published in plain text.
#pragma once

#include <optional>

#include "platform/Bytes.h"

namespace harbrix {

class Torque {
  public:
    enum Direction { kEncrypt = 0, kDecrypt = 1 };

    Torque() = delete;

    // Encrypting n bytes gives 16 * (n / 16 + 1) bytes; an empty input gives one block.
    static std::optional<Bytes> up(const Bytes& data);
    // None for an input whose length is not a multiple of 16 or whose padding is bad.
    static std::optional<Bytes> down(const Bytes& data);
    static std::optional<Bytes> core(const Bytes& data, Direction direction);
};

}  // namespace harbrix
