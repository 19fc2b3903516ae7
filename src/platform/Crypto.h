#pragma once
// The platform's cryptographic service: MD5 digests (the digest of a VFS
// archive) and random bytes. Windows uses CryptoAPI, POSIX OpenSSL's
// libcrypto.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace tailpack {

using TMd5Digest = std::array<uint8_t, 16>;

// One MD5 computation, fed in pieces.
class IMd5Hash {
 public:
  virtual ~IMd5Hash() = default;
  // False when the service failed to take the bytes.
  virtual bool Update(const uint8_t* data, size_t length) = 0;
  // The digest of everything fed so far; nothing when the service failed.
  // The object is used up afterwards.
  virtual std::optional<TMd5Digest> Finish() = 0;
};

// A new computation; null when the service cannot be opened.
std::unique_ptr<IMd5Hash> CreateMd5Hash();

// Fills Bytes from the service's random source; false when it failed.
bool RandomBytes(uint8_t* bytes, size_t count);

}  // namespace tailpack
