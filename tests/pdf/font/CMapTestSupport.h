#pragma once
// Helpers of the CMap tests: CMaps from text, lookups as byte vectors, and
// a scope that points the CMap directory at a folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CMapFile.h"

namespace cmaptest {

using Bytes = std::vector<uint8_t>;

constexpr char kHeader[] = "%!PS-Adobe-3.0 Resource-CMap\n";

// A CMap read from the text; none when the load fails.
inline std::unique_ptr<CMapFile> FromText(const std::string& text, bool stream = true) {
  auto cmap = std::make_unique<CMapFile>();
  if (!cmap->LoadStream(text.data(), static_cast<int32_t>(text.size()), stream)) return nullptr;
  return cmap;
}

enum class Lookup { kCodeToCID, kCIDToCode, kCodeToUnicode, kUnicodeToCode, kCodeToUnicodeOrSkip };

// The lookup's output for the input, with the capacity given (-1: the
// capacity the lookup can need at most), into a heap buffer of exactly
// that size.
inline Bytes Run(const CMapFile& cmap, Lookup lookup, const Bytes& in, int32_t capacity = -1) {
  const auto length = static_cast<int32_t>(in.size());
  if (capacity < 0) {
    capacity = lookup == Lookup::kCodeToCID || lookup == Lookup::kCodeToUnicode ||
                       lookup == Lookup::kCodeToUnicodeOrSkip
                   ? 2 * length
                   : length;
  }
  std::unique_ptr<uint8_t[]> out(new uint8_t[static_cast<size_t>(capacity) + (capacity == 0)]);
  int32_t n = 0;
  switch (lookup) {
    case Lookup::kCodeToCID: n = cmap.CodeToCID(out.get(), capacity, in.data(), length); break;
    case Lookup::kCIDToCode: n = cmap.CIDToCode(out.get(), capacity, in.data(), length); break;
    case Lookup::kCodeToUnicode:
      n = cmap.CodeToUnicode(out.get(), capacity, in.data(), length);
      break;
    case Lookup::kUnicodeToCode:
      n = cmap.UnicodeToCode(out.get(), capacity, in.data(), length);
      break;
    case Lookup::kCodeToUnicodeOrSkip:
      n = cmap.CodeToUnicodeOrSkip(out.get(), capacity, in.data(), length, nullptr);
      break;
  }
  EXPECT_GE(n, 0);
  EXPECT_LE(n, capacity);
  return Bytes(out.get(), out.get() + n);
}

inline Bytes CodeToCID(const CMapFile& c, const Bytes& in) {
  return Run(c, Lookup::kCodeToCID, in);
}
inline Bytes CIDToCode(const CMapFile& c, const Bytes& in) {
  return Run(c, Lookup::kCIDToCode, in);
}
inline Bytes CodeToUnicode(const CMapFile& c, const Bytes& in) {
  return Run(c, Lookup::kCodeToUnicode, in);
}
inline Bytes UnicodeToCode(const CMapFile& c, const Bytes& in) {
  return Run(c, Lookup::kUnicodeToCode, in);
}

// Sets the CMap directory for the scope; restores the unset environment.
class ScopedCMapFolder {
 public:
  explicit ScopedCMapFolder(const std::string& folder) {
    CPDFEnv::Global().Init(nullptr, folder.c_str(), nullptr, nullptr);
  }
  ~ScopedCMapFolder() { CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr); }
  ScopedCMapFolder(const ScopedCMapFolder&) = delete;
  ScopedCMapFolder& operator=(const ScopedCMapFolder&) = delete;
};

inline void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

}  // namespace cmaptest
