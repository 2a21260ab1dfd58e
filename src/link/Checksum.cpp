// MD5 through OpenSSL's EVP interface (the one-shot MD5() call is deprecated in OpenSSL 3).
#include "link/Checksum.h"

#include <openssl/evp.h>

namespace harbrix {

Bytes MD5(const Bytes& bytes) {
    Bytes digest(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &length, EVP_md5(), nullptr) != 1)
        return {};
    digest.resize(length);
    return digest;
}

std::string MD5String(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (std::uint8_t byte : MD5(bytes)) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0xF]);
    }
    return text;
}

std::string checksum(std::uint64_t number) {
    const std::uint64_t hash = number;
    Bytes little(8);
    for (std::size_t i = 0; i < little.size(); ++i)
        little[i] = static_cast<std::uint8_t>(hash >> (8 * i));
    return MD5String(little);
}

}  // namespace harbrix
