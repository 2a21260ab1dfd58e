// AES-128-CBC through OpenSSL's EVP interface; one call over the whole message.
#include "updates/Torque.h"

#include <openssl/evp.h>

#include <memory>
#include <string_view>

namespace harbrix {
namespace {

constexpr std::size_t kBlock = 16;

struct CipherParameters {
    Bytes key;
    Bytes vector;
};

// The key and vector are the characters of these texts themselves, not hexadecimal.
const CipherParameters& parameters() {
    static const CipherParameters made = [] {
        constexpr std::string_view key = "3c5e91d0a7f2846b";
        constexpr std::string_view vector = "e4190b7c2d58fa36";
        return CipherParameters{Bytes(key.begin(), key.end()), Bytes(vector.begin(), vector.end())};
    }();
    return made;
}

using Context = std::unique_ptr<EVP_CIPHER_CTX, decltype(&EVP_CIPHER_CTX_free)>;

}  // namespace

std::optional<Bytes> Torque::up(const Bytes& data) {
    return core(data, kEncrypt);
}

std::optional<Bytes> Torque::down(const Bytes& data) {
    return core(data, kDecrypt);
}

std::optional<Bytes> Torque::core(const Bytes& data, Direction direction) {
    if (data.size() > static_cast<std::size_t>(INT32_MAX) - 2 * kBlock) return std::nullopt;
    const CipherParameters& p = parameters();
    Context context(EVP_CIPHER_CTX_new(), EVP_CIPHER_CTX_free);
    if (!context) return std::nullopt;
    const int encrypt = direction == kEncrypt ? 1 : 0;
    if (EVP_CipherInit_ex(context.get(), EVP_aes_128_cbc(), nullptr, p.key.data(), p.vector.data(),
                          encrypt) != 1)
        return std::nullopt;
    EVP_CIPHER_CTX_set_padding(context.get(), 1);

    Bytes out(data.size() + kBlock, 0);
    int produced = 0;
    if (EVP_CipherUpdate(context.get(), out.data(), &produced, data.data(),
                         static_cast<int>(data.size())) != 1)
        return std::nullopt;
    int last = 0;
    if (EVP_CipherFinal_ex(context.get(), out.data() + produced, &last) != 1) return std::nullopt;
    out.resize(static_cast<std::size_t>(produced + last));
    return out;
}

}  // namespace harbrix
