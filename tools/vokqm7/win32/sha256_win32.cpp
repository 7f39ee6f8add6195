// SHA-256 through Windows' own CNG (bcrypt.dll), so that vokqm7.exe brings
// no library of its own for it.
#include "bundle/sha256.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

namespace vok::tool {
namespace {

struct AlgorithmCloser {
  BCRYPT_ALG_HANDLE handle = nullptr;
  ~AlgorithmCloser() {
    if (handle != nullptr) ::BCryptCloseAlgorithmProvider(handle, 0);
  }
};

struct HashCloser {
  BCRYPT_HASH_HANDLE handle = nullptr;
  ~HashCloser() {
    if (handle != nullptr) ::BCryptDestroyHash(handle);
  }
};

bool Succeeded(NTSTATUS status) { return status >= 0; }

}  // namespace

// "" where the system cannot compute it.
std::string Sha256Hex(std::string_view bytes) {
  AlgorithmCloser algorithm;
  if (!Succeeded(::BCryptOpenAlgorithmProvider(&algorithm.handle, BCRYPT_SHA256_ALGORITHM,
                                               nullptr, 0))) {
    return {};
  }
  HashCloser hash;
  if (!Succeeded(::BCryptCreateHash(algorithm.handle, &hash.handle, nullptr, 0, nullptr, 0, 0))) {
    return {};
  }
  // BCryptHashData takes at most 4 GiB a call.
  std::string_view rest = bytes;
  while (!rest.empty()) {
    const ULONG piece = static_cast<ULONG>(rest.size() > 0x40000000 ? 0x40000000 : rest.size());
    if (!Succeeded(::BCryptHashData(hash.handle,
                                    reinterpret_cast<PUCHAR>(const_cast<char*>(rest.data())),
                                    piece, 0))) {
      return {};
    }
    rest.remove_prefix(piece);
  }
  unsigned char digest[32];
  if (!Succeeded(::BCryptFinishHash(hash.handle, digest, sizeof digest, 0))) return {};
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char byte : digest) {
    hex += kHex[byte >> 4];
    hex += kHex[byte & 0xF];
  }
  return hex;
}

}  // namespace vok::tool
