#include "platform/Crypto.h"

#include <openssl/evp.h>
#include <openssl/rand.h>

#include <climits>

namespace tailpack {

namespace {

struct TDigestContextFree {
  void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};

class TOpenSslMd5 final : public IMd5Hash {
 public:
  explicit TOpenSslMd5(EVP_MD_CTX* context) : context_(context) {}

  bool Update(const uint8_t* data, size_t length) override {
    return context_ && EVP_DigestUpdate(context_.get(), data, length) == 1;
  }

  std::optional<TMd5Digest> Finish() override {
    if (!context_) return std::nullopt;
    TMd5Digest digest{};
    unsigned int length = 0;
    bool done = EVP_DigestFinal_ex(context_.get(), digest.data(), &length) == 1 && length == digest.size();
    context_.reset();
    if (!done) return std::nullopt;
    return digest;
  }

 private:
  std::unique_ptr<EVP_MD_CTX, TDigestContextFree> context_;
};

}  // namespace

std::unique_ptr<IMd5Hash> CreateMd5Hash() {
  std::unique_ptr<EVP_MD_CTX, TDigestContextFree> context(EVP_MD_CTX_new());
  if (!context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) return nullptr;
  return std::make_unique<TOpenSslMd5>(context.release());
}

bool RandomBytes(uint8_t* bytes, size_t count) {
  while (count > 0) {
    int piece = count > INT_MAX ? INT_MAX : static_cast<int>(count);
    if (RAND_bytes(bytes, piece) != 1) return false;
    bytes += piece;
    count -= static_cast<size_t>(piece);
  }
  return true;
}

}  // namespace tailpack
