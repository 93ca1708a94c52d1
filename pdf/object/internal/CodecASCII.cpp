#include "pdf/object/internal/CodecASCII.h"

#include <algorithm>
#include <string>

using codec_detail::CodecOutput;

namespace {

// Bytes that the two text decoders pass over.
bool IsSkippedWhiteSpace(uint8_t c) {
  return c == '\t' || c == '\f' || c == ' ' || c == '\r' || c == '\n' || c == '\0';
}

std::string InvalidCharacter(uint8_t c, size_t offset) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text = "invalid character 0x";
  text += kHex[c >> 4];
  text += kHex[c & 15];
  text += " at offset " + std::to_string(offset);
  return text;
}

int HexValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

CodecResult ASCIIHexEncodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  static const char kDigits[] = "0123456789ABCDEF";
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  uint8_t work[2 * kCodecPieceSize];
  for (size_t start = 0; start < n; start += kCodecPieceSize) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    for (size_t i = 0; i < count; ++i) {
      work[2 * i] = static_cast<uint8_t>(kDigits[in[start + i] >> 4]);
      work[2 * i + 1] = static_cast<uint8_t>(kDigits[in[start + i] & 15]);
    }
    if (CodecResult r = output.Put(work, 2 * count); !r.ok) return r;
  }
  const uint8_t end = '>';
  return output.Put(&end, 1);
}

CodecResult ASCIIHexDecodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  uint8_t work[kCodecPieceSize / 2 + 1];
  int held = -1;  // first digit of a pair, carried across pieces
  bool ended = false;
  for (size_t start = 0; start < n && !ended; start += kCodecPieceSize) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    size_t produced = 0;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t c = in[start + i];
      if (IsSkippedWhiteSpace(c)) continue;
      if (c == '>') {
        ended = true;
        break;
      }
      const int value = HexValue(c);
      if (value < 0) return CodecResult::Failure(InvalidCharacter(c, start + i));
      if (held < 0) {
        held = value;
      } else {
        work[produced++] = static_cast<uint8_t>(held * 16 + value);
        held = -1;
      }
    }
    if (ended && held >= 0) {
      work[produced++] = static_cast<uint8_t>(held * 16);
      held = -1;
    }
    if (CodecResult r = output.Put(work, produced); !r.ok) return r;
  }
  if (held >= 0) {
    const uint8_t last = static_cast<uint8_t>(held * 16);
    return output.Put(&last, 1);
  }
  return CodecResult::Success();
}

namespace {

// Writes the base-85 digits of one group, most significant first.
void Base85Digits(uint32_t value, uint8_t digits[5]) {
  for (int i = 4; i >= 0; --i) {
    digits[i] = static_cast<uint8_t>('!' + value % 85);
    value /= 85;
  }
}

uint32_t BigEndian(const uint8_t bytes[4]) {
  return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
         uint32_t{bytes[3]};
}

}  // namespace

CodecResult ASCII85EncodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  uint8_t work[2 * kCodecPieceSize];
  uint8_t group[4];
  size_t pending = 0;  // bytes of a group carried across pieces
  for (size_t start = 0; start < n; start += kCodecPieceSize) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    size_t produced = 0;
    for (size_t i = 0; i < count; ++i) {
      group[pending++] = in[start + i];
      if (pending < 4) continue;
      pending = 0;
      const uint32_t value = BigEndian(group);
      if (value == 0) {
        work[produced++] = 'z';
      } else {
        Base85Digits(value, work + produced);
        produced += 5;
      }
    }
    if (CodecResult r = output.Put(work, produced); !r.ok) return r;
  }
  uint8_t tail[5 + 2];
  size_t tailSize = 0;
  if (pending > 0) {
    // A final partial group is padded with zero bytes and never written as 'z'.
    std::fill(group + pending, group + 4, 0);
    Base85Digits(BigEndian(group), tail);
    tailSize = pending + 1;
  }
  tail[tailSize++] = '~';
  tail[tailSize++] = '>';
  return output.Put(tail, tailSize);
}

namespace {

// Turns k digits (2 to 5; missing ones count as 'u') into k - 1 bytes.
// False when the group's value does not fit in 32 bits.
bool DecodeGroup(const uint8_t digits[5], size_t k, uint8_t* bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < 5; ++i) value = value * 85 + (i < k ? digits[i] : 84);
  if (value > 0xFFFFFFFFu) return false;
  for (size_t i = 0; i + 1 < k; ++i) bytes[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
  return true;
}

}  // namespace

CodecResult ASCII85DecodeBytes(const uint8_t* in, size_t n, ByteSink& out) {
  if (n == 0) return CodecResult::Success();
  CodecOutput output(out, kCodecMaxOutput);
  uint8_t work[4 * kCodecPieceSize];
  uint8_t digits[5];
  size_t pending = 0;   // digits of a group carried across pieces
  bool marked = false;  // a '~' was seen
  bool ended = false;
  for (size_t start = 0; start < n && !ended; start += kCodecPieceSize) {
    const size_t count = std::min(kCodecPieceSize, n - start);
    size_t produced = 0;
    for (size_t i = 0; i < count; ++i) {
      const uint8_t c = in[start + i];
      if (IsSkippedWhiteSpace(c)) continue;
      if (c == '~') {
        if (marked) return CodecResult::Failure(InvalidCharacter(c, start + i));
        marked = true;
        continue;
      }
      if (marked) {
        // '~' only starts the end marker: what follows it must be '>'.
        if (c != '>') return CodecResult::Failure(InvalidCharacter(c, start + i));
        ended = true;
        break;
      }
      if (c == 'z') {
        if (pending != 0) {
          return CodecResult::Failure("'z' inside a group at offset " + std::to_string(start + i));
        }
        std::fill(work + produced, work + produced + 4, 0);
        produced += 4;
        continue;
      }
      if (c < '!' || c > 'u') return CodecResult::Failure(InvalidCharacter(c, start + i));
      digits[pending++] = static_cast<uint8_t>(c - '!');
      if (pending == 5) {
        if (!DecodeGroup(digits, 5, work + produced)) {
          return CodecResult::Failure("group value above 32 bits ending at offset " +
                                      std::to_string(start + i));
        }
        produced += 4;
        pending = 0;
      }
    }
    if (CodecResult r = output.Put(work, produced); !r.ok) return r;
  }
  if (pending == 1) return CodecResult::Failure("a single digit in the last group");
  if (pending > 1) {
    uint8_t bytes[4];
    if (!DecodeGroup(digits, pending, bytes)) {
      return CodecResult::Failure("last group value above 32 bits");
    }
    return output.Put(bytes, pending - 1);
  }
  return CodecResult::Success();
}
