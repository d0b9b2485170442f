#include "app/platform.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include <openssl/evp.h>
#include <openssl/x509.h>

// An installer is trusted when "<installer>.sig" beside it holds the
// Ed25519 signature, by the update key, of the installer's SHA-256 digest.
// The public half of the key is built in (VESK_UPDATE_PUBLIC_KEY, base64
// DER); release builds set the release key.

namespace {

constexpr char publicKeyBase64[] = VESK_UPDATE_PUBLIC_KEY;
constexpr size_t signatureSize = 64;
constexpr size_t digestSize = 32;

using KeyPtr = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using DigestPtr = std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)>;

KeyPtr updateKey()
{
    const std::string text = publicKeyBase64;
    std::vector<unsigned char> der(text.size());
    const int length =
        EVP_DecodeBlock(der.data(), reinterpret_cast<const unsigned char *>(text.data()), int(text.size()));
    const unsigned char *p = der.data();
    // EVP_DecodeBlock counts the padding as bytes; DER carries its own length.
    return KeyPtr(length > 0 ? d2i_PUBKEY(nullptr, &p, length) : nullptr, &EVP_PKEY_free);
}

bool sha256Of(const std::string &path, unsigned char *digest)
{
    std::ifstream in(path, std::ios::binary);
    DigestPtr context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!in || !context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1)
        return false;
    std::vector<char> buffer(1 << 16);
    while (in.read(buffer.data(), std::streamsize(buffer.size())) || in.gcount() > 0) {
        if (EVP_DigestUpdate(context.get(), buffer.data(), size_t(in.gcount())) != 1)
            return false;
    }
    unsigned int length = 0;
    return in.eof() && EVP_DigestFinal_ex(context.get(), digest, &length) == 1 && length == digestSize;
}

} // namespace

bool verifyProgramSignature(const std::string &utf8Path, std::string *why)
{
    const auto refuse = [why](const char *reason) {
        if (why)
            *why = reason;
        return false;
    };
    std::ifstream signatureFile(utf8Path + ".sig", std::ios::binary);
    const std::string signature((std::istreambuf_iterator<char>(signatureFile)),
                                std::istreambuf_iterator<char>());
    if (signature.size() != signatureSize)
        return refuse(signature.empty() ? "it carries no signature" : "its signature is malformed");
    unsigned char digest[digestSize];
    if (!sha256Of(utf8Path, digest))
        return refuse("it cannot be read");
    const KeyPtr key = updateKey();
    DigestPtr context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!key || !context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1)
        return refuse("the built-in update key is unusable");
    if (EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char *>(signature.data()),
                         signatureSize, digest, digestSize) != 1)
        return refuse("its signature does not match (changed after it was signed, or signed by another key)");
    writePlatformLog("installer signature verified: " + utf8Path);
    return true;
}
