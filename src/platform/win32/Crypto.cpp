#include "platform/Crypto.h"

#include <windows.h>
#include <wincrypt.h>

namespace tailpack {

namespace {

// A verify-only context of the full RSA provider, which offers MD5 and a
// random source.
class TProvider {
 public:
  TProvider() {
    if (!CryptAcquireContextW(&handle_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT | CRYPT_SILENT))
      handle_ = 0;
  }
  ~TProvider() {
    if (handle_) CryptReleaseContext(handle_, 0);
  }
  TProvider(const TProvider&) = delete;
  TProvider& operator=(const TProvider&) = delete;

  HCRYPTPROV Get() const { return handle_; }

 private:
  HCRYPTPROV handle_ = 0;
};

class TCryptoApiMd5 final : public IMd5Hash {
 public:
  TCryptoApiMd5(std::unique_ptr<TProvider> provider, HCRYPTHASH hash) : provider_(std::move(provider)), hash_(hash) {}
  ~TCryptoApiMd5() override { Release(); }

  bool Update(const uint8_t* data, size_t length) override {
    // CryptHashData takes 32-bit lengths.
    while (hash_ && length > 0) {
      DWORD piece = length > 0x40000000 ? 0x40000000 : static_cast<DWORD>(length);
      if (!CryptHashData(hash_, data, piece, 0)) return false;
      data += piece;
      length -= piece;
    }
    return hash_ != 0;
  }

  std::optional<TMd5Digest> Finish() override {
    if (!hash_) return std::nullopt;
    TMd5Digest digest{};
    DWORD length = static_cast<DWORD>(digest.size());
    bool done = CryptGetHashParam(hash_, HP_HASHVAL, digest.data(), &length, 0) && length == digest.size();
    Release();
    if (!done) return std::nullopt;
    return digest;
  }

 private:
  void Release() {
    if (hash_) CryptDestroyHash(hash_);
    hash_ = 0;
  }

  std::unique_ptr<TProvider> provider_;
  HCRYPTHASH hash_;
};

}  // namespace

std::unique_ptr<IMd5Hash> CreateMd5Hash() {
  auto provider = std::make_unique<TProvider>();
  if (!provider->Get()) return nullptr;
  HCRYPTHASH hash = 0;
  if (!CryptCreateHash(provider->Get(), CALG_MD5, 0, 0, &hash)) return nullptr;
  return std::make_unique<TCryptoApiMd5>(std::move(provider), hash);
}

bool RandomBytes(uint8_t* bytes, size_t count) {
  TProvider provider;
  if (!provider.Get()) return false;
  while (count > 0) {
    DWORD piece = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
    if (!CryptGenRandom(provider.Get(), piece, bytes)) return false;
    bytes += piece;
    count -= piece;
  }
  return true;
}

}  // namespace tailpack
