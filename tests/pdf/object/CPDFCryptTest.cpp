#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "pdf/object/CPDFCrypt.h"
#include "pdf/object/CPDFObjRef.h"

namespace {

// A plain MD5 (RFC 1321) and RC4 written here, independent of the library's
// digest and cipher, so that the per-object key path is checked against a
// second computation rather than against numbers copied from elsewhere.
uint32_t Rotl(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

std::vector<uint8_t> Md5(const std::vector<uint8_t>& input) {
  static const int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
  uint32_t k[64];
  for (int i = 0; i < 64; ++i) {
    k[i] = static_cast<uint32_t>(std::fabs(std::sin(static_cast<double>(i + 1))) * 4294967296.0);
  }
  std::vector<uint8_t> msg = input;
  const uint64_t bits = static_cast<uint64_t>(input.size()) * 8;
  msg.push_back(0x80);
  while (msg.size() % 64 != 56) msg.push_back(0);
  for (int i = 0; i < 8; ++i) msg.push_back(static_cast<uint8_t>(bits >> (8 * i)));
  uint32_t h[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  for (size_t off = 0; off < msg.size(); off += 64) {
    uint32_t w[16];
    for (int i = 0; i < 16; ++i) {
      w[i] = static_cast<uint32_t>(msg[off + 4 * i]) |
             static_cast<uint32_t>(msg[off + 4 * i + 1]) << 8 |
             static_cast<uint32_t>(msg[off + 4 * i + 2]) << 16 |
             static_cast<uint32_t>(msg[off + 4 * i + 3]) << 24;
    }
    uint32_t a = h[0], b = h[1], c = h[2], d = h[3];
    for (int i = 0; i < 64; ++i) {
      uint32_t f;
      int g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (d & b) | (~d & c);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      const uint32_t t = d;
      d = c;
      c = b;
      b = b + Rotl(a + f + k[i] + w[g], kShift[i]);
      a = t;
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
  }
  std::vector<uint8_t> out;
  for (uint32_t v : h) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  return out;
}

std::vector<uint8_t> Rc4(const std::vector<uint8_t>& key, std::vector<uint8_t> data) {
  uint8_t s[256];
  for (int i = 0; i < 256; ++i) s[i] = static_cast<uint8_t>(i);
  for (int i = 0, j = 0; i < 256; ++i) {
    j = (j + s[i] + key[i % key.size()]) & 0xFF;
    std::swap(s[i], s[j]);
  }
  int i = 0, j = 0;
  for (auto& byte : data) {
    i = (i + 1) & 0xFF;
    j = (j + s[i]) & 0xFF;
    std::swap(s[i], s[j]);
    byte ^= s[(s[i] + s[j]) & 0xFF];
  }
  return data;
}

TEST(CPDFCryptTest, ReferenceDigestIsSound) {
  // Known MD5 values keep the reference honest.
  const std::vector<uint8_t> empty;
  const std::vector<uint8_t> abc = {'a', 'b', 'c'};
  const uint8_t emptyDigest[] = {0xd4, 0x1d, 0x8c, 0xd9, 0x8f, 0x00, 0xb2, 0x04,
                                 0xe9, 0x80, 0x09, 0x98, 0xec, 0xf8, 0x42, 0x7e};
  const uint8_t abcDigest[] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                               0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
  EXPECT_EQ(Md5(empty), std::vector<uint8_t>(emptyDigest, emptyDigest + 16));
  EXPECT_EQ(Md5(abc), std::vector<uint8_t>(abcDigest, abcDigest + 16));
}

TEST(CPDFCryptTest, ObjectKeyStreamMatchesIndependentComputation) {
  const uint8_t docKey[5] = {1, 2, 3, 4, 5};
  uint8_t ctx[kObjKeySize];
  MakeObjKey(ctx, docKey, CPDFObjRef(1, 0));
  const std::vector<uint8_t> context(ctx, ctx + kObjKeySize);
  EXPECT_EQ(context, (std::vector<uint8_t>{1, 2, 3, 4, 5, 1, 0, 0, 0, 0}));

  const std::vector<uint8_t> digest = Md5(context);
  const std::vector<uint8_t> rc4Key(digest.begin(), digest.begin() + 10);
  const uint8_t expectedKey[] = {0x7e, 0x1a, 0x77, 0xf3, 0xed, 0xe5, 0x00, 0xfa, 0x21, 0x0b};
  EXPECT_EQ(rc4Key, std::vector<uint8_t>(expectedKey, expectedKey + 10));

  EXPECT_EQ(Rc4(rc4Key, {'a', 'b', 'c'}), (std::vector<uint8_t>{0x70, 0x4C, 0xA1}));

  // Random objects and data of many lengths: the library agrees with the
  // reference, and a second pass restores the input.
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    uint8_t key[5];
    for (auto& b : key) b = static_cast<uint8_t>(rng());
    const CPDFObjRef ref(static_cast<int32_t>(rng() & 0xFFFFFF),
                         static_cast<int32_t>(rng() & 0xFFFF));
    MakeObjKey(ctx, key, ref);
    const std::vector<uint8_t> c(ctx, ctx + kObjKeySize);
    const std::vector<uint8_t> d = Md5(c);
    std::vector<uint8_t> data(rng() % 700);
    for (auto& b : data) b = static_cast<uint8_t>(rng());
    std::vector<uint8_t> mine = data;
    CPDFCrypt(ctx).Crypt(mine.data(), static_cast<int32_t>(mine.size()));
    EXPECT_EQ(mine, Rc4(std::vector<uint8_t>(d.begin(), d.begin() + 10), data)) << round;
    CPDFCrypt(ctx).Crypt(mine.data(), static_cast<int32_t>(mine.size()));
    EXPECT_EQ(mine, data) << round;
  }
}

}  // namespace
