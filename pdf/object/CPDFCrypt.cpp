#include "pdf/object/CPDFCrypt.h"

#include <md5.h>

#include <utility>

#include "pdf/object/CPDFObjRef.h"

void MakeObjKey(uint8_t out[kObjKeySize], const uint8_t* documentKey, const CPDFObjRef& ref) {
  for (int i = 0; i < 5; ++i) out[i] = documentKey ? documentKey[i] : 0;
  const uint32_t number = static_cast<uint32_t>(ref.GetNumber());
  const uint32_t generation = static_cast<uint32_t>(ref.GetGeneration());
  out[5] = static_cast<uint8_t>(number & 0xFF);
  out[6] = static_cast<uint8_t>((number >> 8) & 0xFF);
  out[7] = static_cast<uint8_t>((number >> 16) & 0xFF);
  out[8] = static_cast<uint8_t>(generation & 0xFF);
  out[9] = static_cast<uint8_t>((generation >> 8) & 0xFF);
}

void CPDFCrypt::SetKey(const uint8_t* context) {
  state_.reset();
  if (!context) return;
  MD5_CTX md5;
  MD5Init(&md5);
  MD5Update(&md5, context, kObjKeySize);
  uint8_t digest[MD5_DIGEST_LENGTH];
  MD5Final(digest, &md5);
  SetRawKey(digest, kObjKeySize);
}

void CPDFCrypt::SetRawKey(const uint8_t* key, int32_t length) {
  state_.reset();
  if (!key || length <= 0) return;
  state_.reset(new uint8_t[258]);
  uint8_t* s = state_.get();
  for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
  uint8_t j = 0;
  for (int i = 0; i < 256; ++i) {
    j = static_cast<uint8_t>(j + s[i] + key[i % length]);
    std::swap(s[i], s[j]);
  }
  s[256] = 0;
  s[257] = 0;
}

int32_t CPDFCrypt::Crypt(uint8_t* bytes, int32_t n) {
  if (!state_) return -1;
  if (!bytes || n <= 0) return 0;
  uint8_t* s = state_.get();
  uint8_t i = s[256];
  uint8_t j = s[257];
  for (int32_t k = 0; k < n; ++k) {
    i = static_cast<uint8_t>(i + 1);
    j = static_cast<uint8_t>(j + s[i]);
    std::swap(s[i], s[j]);
    bytes[k] ^= s[static_cast<uint8_t>(s[i] + s[j])];
  }
  s[256] = i;
  s[257] = j;
  return n;
}
