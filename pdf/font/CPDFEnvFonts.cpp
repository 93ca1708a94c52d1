// The environment's font-resource lookups: they create font-layer objects,
// so they live with the font classes while the caches stay in the
// environment (which sees only CPDFEnvCacheItem).
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "pdf/document/CPDFEnv.h"
#include "pdf/font/AFMFile.h"
#include "pdf/font/CMapFile.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/font/FontconfigFontSource.h"
#include "pdf/font/TrueTypeFontInfo.h"

namespace {

// The cached object of the name, none when absent.
template <class T>
T* Cached(CPDFEnv::Cache& cache, const char* name) {
  CPDFEnvCacheItem* const* found = cache.Lookup(TempString(name));
  return found ? static_cast<T*>(*found) : nullptr;
}

// Stores the object under the name; the cache owns it from then on.
template <class T>
T* Insert(CPDFEnv::Cache& cache, const char* name, std::unique_ptr<T> item) {
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

bool IsKeptCharSet(uint8_t charSet) {
  return charSet == kAnsiCharSet || charSet == kMacCharSet || charSet == kShiftJISCharSet;
}

// The system's installed faces.
std::unique_ptr<TrueTypeFontSource> MakeDefaultFontSource() {
  return std::make_unique<FontconfigFontSource>();
}

}  // namespace

void CPDFEnv::FontSourceDeleter::operator()(TrueTypeFontSource* source) const { delete source; }

EncodingTable* CPDFEnv::GetEncoding(const char* name) {
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

CMapFile* CPDFEnv::GetCMap(const char* name) {
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

AFMFile* CPDFEnv::GetAFM(const char* name) {
  if (!name) return nullptr;
  try {
    const char* searchDir = GetAFMSearchDirectory();
    if (!afmScanned_ && searchDir && *searchDir) {
      // Marked first: a failure part way is not retried on every lookup.
      afmScanned_ = true;
      const std::string folder = searchDir;
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

TrueTypeFontInfo* CPDFEnv::GetTrueTypeFontInfo(const char* name) {
  if (!name || std::strlen(name) > kMaxTrueTypeNameLength) return nullptr;
  try {
    if (!trueTypeEnumerated_) {
      // Marked first: a source that fails part way is not asked again.
      trueTypeEnumerated_ = true;
      if (!fontSource_) fontSource_.reset(MakeDefaultFontSource().release());
      fontSource_->Enumerate([this](std::unique_ptr<TrueTypeFontInfo> info) {
        if (!info || !IsKeptCharSet(info->logFont.lfCharSet)) return;
        if (info->logFont.elfFullName.IsEmpty()) return;
        // A record of the same full name, the same face under another
        // character set, is replaced: the last one delivered stays.
        const TempString key = info->logFont.elfFullName;
        Insert(trueTypes_, key.c_str(), std::move(info));
      });
    }
    if (auto* hit = Cached<TrueTypeFontInfo>(trueTypes_, name)) return hit;
    TempString spaced;
    if (!SpacedName(name, spaced)) return nullptr;
    if (auto* hit = Cached<TrueTypeFontInfo>(trueTypes_, spaced.c_str())) return hit;
    std::unique_ptr<TrueTypeFontInfo> fixed = TrueTypeFontInfo::MakeFixed(name);
    if (!fixed) return nullptr;
    return Insert(trueTypes_, name, std::move(fixed));
  } catch (...) {
    return nullptr;
  }
}

void CPDFEnv::SetTrueTypeFontSource(std::unique_ptr<TrueTypeFontSource> source) {
  trueTypes_.RemoveAll();
  trueTypeEnumerated_ = false;
  fontSource_.reset(source.release());
}
