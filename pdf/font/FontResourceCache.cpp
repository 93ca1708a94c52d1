#include "pdf/font/FontResourceCache.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "pdf/font/AFMFile.h"
#include "pdf/font/CMapFile.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/font/FontconfigFontSource.h"
#include "pdf/font/TrueTypeFontInfo.h"

namespace {

// The cached object of the name, none when absent.
template <class T>
T* Cached(FontResourceCache::Cache& cache, const char* name) {
  FontCacheItem* const* found = cache.Lookup(TempString(name));
  return found ? static_cast<T*>(*found) : nullptr;
}

// Stores the object under the name; the cache owns it from then on.
template <class T>
T* Insert(FontResourceCache::Cache& cache, const char* name, std::unique_ptr<T> item) {
  TempString key;
  if (!key.Assign(name) || !cache.SetAt(key, item.get())) return nullptr;
  return item.release();
}

// The names of the regular files of a folder, sorted.
std::vector<std::string> RegularFiles(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string path = folder + entry->d_name;
    struct stat info;
    // Links are followed: one to a file counts, one to a folder does not.
    if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) names.push_back(entry->d_name);
  }
  ::closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}

// The longest name GetTrueTypeFontInfo accepts.
constexpr size_t kMaxTrueTypeNameLength = 255;

// The name with a blank before every upper-case ASCII letter but the first
// character ("ArialBlack" gives "Arial Black"). Bytes of a multibyte name
// are never letters here.
bool SpacedName(const char* name, TempString& spaced) {
  spaced.Clear();
  for (const char* p = name; *p; ++p) {
    const unsigned char byte = static_cast<unsigned char>(*p);
    if (p != name && byte >= 'A' && byte <= 'Z' && !spaced.Append(1, ' ')) return false;
    if (!spaced.Append(1, *p)) return false;
  }
  return true;
}

// The name without its blanks.
std::string Unspaced(const char* name) {
  std::string out;
  for (const char* p = name; *p; ++p) {
    if (*p != ' ') out += *p;
  }
  return out;
}

// A record known by another name than its full name: its PostScript name
// ("DejaVuSans"), its full name without blanks ("DejaVuSansBold"), or its
// family without blanks when the face is the family's regular one (full
// name the family, or the family and "Regular"). Scans the records: only names that no full name
// matched come here.
TrueTypeFontInfo* FindByOtherName(FontResourceCache::Cache& cache, const char* name) {
  if (!*name) return nullptr;
  TrueTypeFontInfo* unspaced = nullptr;
  TrueTypeFontInfo* family = nullptr;
  for (auto it = cache.Begin(); !it.IsEnd(); it.Next()) {
    auto* info = static_cast<TrueTypeFontInfo*>(*it.GetValue());
    if (std::strcmp(info->postScriptName.c_str(), name) == 0) return info;
    const std::string full = info->logFont.elfFullName.c_str();
    if (!unspaced && Unspaced(full.c_str()) == name) unspaced = info;
    const std::string familyName = info->logFont.lfFaceName.c_str();
    if (!family && !familyName.empty() && Unspaced(familyName.c_str()) == name &&
        (full == familyName || full == familyName + " Regular")) {
      family = info;
    }
  }
  return unspaced ? unspaced : family;
}

// The names a style after a comma is looked up by, joined to the family.
std::vector<const char*> StyleWords(const char* style) {
  if (std::strcmp(style, "Bold") == 0) return {"Bold"};
  if (std::strcmp(style, "Italic") == 0) return {"Italic", "Oblique"};
  if (std::strcmp(style, "BoldItalic") == 0) return {"BoldItalic", "BoldOblique"};
  return {};
}

// The BaseFont without a subset prefix: six upper-case ASCII letters and '+'.
const char* WithoutSubsetPrefix(const char* baseFont) {
  for (int i = 0; i < 6; ++i) {
    if (baseFont[i] < 'A' || baseFont[i] > 'Z') return baseFont;
  }
  return baseFont[6] == '+' ? baseFont + 7 : baseFont;
}

bool IsKeptCharSet(uint8_t charSet) {
  return charSet == kAnsiCharSet || charSet == kMacCharSet || charSet == kShiftJISCharSet;
}

using FaceRecords = std::map<std::string, std::unique_ptr<TrueTypeFontInfo>>;

// Inserts the records, in name order, middle first: the cache's tree is
// not balanced, and names arriving in order would make it a list.
void InsertBalanced(FontResourceCache::Cache& cache, FaceRecords& records) {
  std::vector<FaceRecords::iterator> sorted;
  sorted.reserve(records.size());
  for (auto it = records.begin(); it != records.end(); ++it) sorted.push_back(it);
  struct Span {
    size_t begin;
    size_t end;
  };
  std::vector<Span> spans{{0, sorted.size()}};
  while (!spans.empty()) {
    const Span span = spans.back();
    spans.pop_back();
    if (span.begin >= span.end) continue;
    const size_t middle = span.begin + (span.end - span.begin) / 2;
    Insert(cache, sorted[middle]->first.c_str(), std::move(sorted[middle]->second));
    spans.push_back({middle + 1, span.end});
    spans.push_back({span.begin, middle});
  }
}

// The system's installed faces.
std::unique_ptr<TrueTypeFontSource> MakeDefaultFontSource() {
  return std::make_unique<FontconfigFontSource>();
}

}  // namespace

FontResourceCache::FontResourceCache() = default;

FontResourceCache::~FontResourceCache() {
  encodings_.RemoveAll();
  cmaps_.RemoveAll();
  afms_.RemoveAll();
  trueTypes_.RemoveAll();
}

FontResourceCache& FontResourceCache::Global() {
  static FontResourceCache cache;
  return cache;
}

std::string& FontResourceCache::CMapDirectory() {
  static std::string folder;
  return folder;
}

std::string& FontResourceCache::AFMDirectory() {
  static std::string folder;
  return folder;
}

void FontResourceCache::SetAFMSearchDirectory(const std::string& folder) {
  afmSearchDir_ = folder;
  afmScanned_ = false;
}

void FontResourceCache::Release() {
  encodings_.RemoveAll();
  cmaps_.RemoveAll();
  afms_.RemoveAll();
  faces_.clear();
  trueTypes_.RemoveAll();
  afmScanned_ = false;
  trueTypeEnumerated_ = false;
}

EncodingTable* FontResourceCache::GetEncoding(const char* name) {
  if (!name) return nullptr;
  try {
    if (auto* hit = Cached<EncodingTable>(encodings_, name)) return hit;
    auto table = std::make_unique<EncodingTable>();
    if (!table->LoadByName(name)) return nullptr;
    return Insert(encodings_, name, std::move(table));
  } catch (...) {
    return nullptr;
  }
}

CMapFile* FontResourceCache::GetCMap(const char* name) {
  if (!name) return nullptr;
  try {
    if (auto* hit = Cached<CMapFile>(cmaps_, name)) return hit;
    auto cmap = std::make_unique<CMapFile>();
    if (!cmap->Load(name)) return nullptr;
    return Insert(cmaps_, name, std::move(cmap));
  } catch (...) {
    return nullptr;
  }
}

AFMFile* FontResourceCache::GetAFM(const char* name) {
  if (!name) return nullptr;
  try {
    if (!afmScanned_ && !afmSearchDir_.empty()) {
      // Marked first: a failure part way is not retried on every lookup.
      afmScanned_ = true;
      const std::string folder = afmSearchDir_;
      for (const std::string& file : RegularFiles(folder)) {
        auto afm = std::make_unique<AFMFile>();
        if (!afm->LoadFile((folder + file).c_str())) continue;
        const std::string fontName = afm->FontName.c_str();
        Insert(afms_, fontName.c_str(), std::move(afm));
      }
    }
    if (auto* hit = Cached<AFMFile>(afms_, name)) return hit;
    auto afm = std::make_unique<AFMFile>();
    if (!afm->FindOrLoad(name)) return nullptr;
    return Insert(afms_, name, std::move(afm));
  } catch (...) {
    return nullptr;
  }
}

TrueTypeFontInfo* FontResourceCache::GetTrueTypeFontInfo(const char* name) {
  if (!name || std::strlen(name) > kMaxTrueTypeNameLength) return nullptr;
  try {
    if (!trueTypeEnumerated_) {
      // Marked first: a source that fails part way is not asked again.
      trueTypeEnumerated_ = true;
      if (!fontSource_) fontSource_ = MakeDefaultFontSource();
      // A record of the same full name, the same face under another
      // character set, is replaced: the last one delivered stays.
      FaceRecords records;
      try {
        fontSource_->Enumerate([&records](std::unique_ptr<TrueTypeFontInfo> info) {
          if (!info || !IsKeptCharSet(info->logFont.lfCharSet)) return;
          if (info->logFont.elfFullName.IsEmpty()) return;
          std::string key = info->logFont.elfFullName.c_str();
          records[std::move(key)] = std::move(info);
        });
      } catch (...) {
        // What arrived before the failure is kept.
      }
      InsertBalanced(trueTypes_, records);
    }
    if (auto* hit = Cached<TrueTypeFontInfo>(trueTypes_, name)) return hit;
    TempString spaced;
    if (!SpacedName(name, spaced)) return nullptr;
    if (auto* hit = Cached<TrueTypeFontInfo>(trueTypes_, spaced.c_str())) return hit;
    if (auto* hit = FindByOtherName(trueTypes_, name)) return hit;
    std::unique_ptr<TrueTypeFontInfo> fixed = TrueTypeFontInfo::MakeFixed(name);
    if (!fixed) return nullptr;
    return Insert(trueTypes_, name, std::move(fixed));
  } catch (...) {
    return nullptr;
  }
}

TrueTypeFontInfo* FontResourceCache::GetTrueTypeFace(const char* baseFont) {
  if (!baseFont || std::strlen(baseFont) > kMaxTrueTypeNameLength) return nullptr;
  try {
    const auto known = faces_.find(baseFont);
    if (known != faces_.end()) return known->second;
    const std::string name = WithoutSubsetPrefix(baseFont);
    const size_t comma = name.find(',');
    const std::string family = name.substr(0, comma);
    TrueTypeFontInfo* face = nullptr;
    if (comma != std::string::npos) {
      // "DejaVu Sans" and "DejaVuSans" alike give "DejaVuSansBold", which
      // finds the full name "DejaVu Sans Bold" without its blanks.
      const std::string joined = Unspaced(family.c_str());
      for (const char* word : StyleWords(name.c_str() + comma + 1)) {
        for (const char* joint : {"", "-"}) {
          face = GetTrueTypeFontInfo((joined + joint + word).c_str());
          if (face) break;
        }
        if (face) break;
      }
    }
    if (!face) face = GetTrueTypeFontInfo(family.c_str());
    if (face) faces_[baseFont] = face;
    return face;
  } catch (...) {
    return nullptr;
  }
}

void FontResourceCache::SetTrueTypeFontSource(std::unique_ptr<TrueTypeFontSource> source) {
  faces_.clear();
  trueTypes_.RemoveAll();
  trueTypeEnumerated_ = false;
  fontSource_ = std::move(source);
}
