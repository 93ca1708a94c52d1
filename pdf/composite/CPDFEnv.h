#pragma once
// The library's process-wide environment: the four directories it needs at
// run time, the name-keyed caches of shared font resources, and the factory
// through which callers create and close documents. Use the one instance
// given by CPDFEnv::Global() (built on first use, destroyed at exit).
//
// Directory paths are kept with a trailing '/'; an empty or absent path is
// none. Init also fills the process-wide settings that other parts read
// (the platform's work folder and prefix for the work files of stream
// buffers and filters, platform/TempFile.h; CMap and AFM directories).
#include <cstdint>
#include <memory>
#include <string>

#include "pdf/font/FontResourceCache.h"

class AFMFile;
class CMapFile;
class CPDFDoc;
class CPDFException;
class EncodingTable;
class TrueTypeFontInfo;
class TrueTypeFontSource;

class CPDFEnv {
 public:
  using Cache = FontResourceCache::Cache;

  // An environment with font caches of its own (tests, tools).
  CPDFEnv();
  CPDFEnv(const CPDFEnv&) = delete;
  CPDFEnv& operator=(const CPDFEnv&) = delete;
  // Frees the paths, then every cached object (encoding, CMap, AFM,
  // TrueType caches, in that order).
  ~CPDFEnv();

  // The global instance; its font caches are the process-wide ones that
  // the font classes use (FontResourceCache::Global()).
  static CPDFEnv& Global();
  // Sets the four paths (each may be none or ""); a none temporary directory
  // clears the process-wide temporary directory. Always writes the prefix
  // "pn". True.
  bool Init(const char* tempDir, const char* cmapDir, const char* afmSearchDir, const char* afmDir);

  // Path setters: the old copy is dropped; none or "" leaves the path none;
  // otherwise a '/' is appended when the path does not end in one. The CMap
  // and AFM directory setters also set their process-wide string ("" when
  // none).
  void SetTempDirectory(const char* path);
  void SetCMapDirectory(const char* path);
  void SetAFMSearchDirectory(const char* path);
  void SetAFMDirectory(const char* path);

  // The stored paths; none when not set.
  const char* GetTempDirectory() const { return Path(tempDir_); }
  const char* GetCMapDirectory() const { return Path(cmapDir_); }
  const char* GetAFMSearchDirectory() const { return Path(afmSearchDir_); }
  const char* GetAFMDirectory() const { return Path(afmDir_); }

  // The process-wide settings ("" when not set); the first two are the
  // platform's work-file settings.
  static const std::string& TempDirectorySetting();
  static const std::string& TempPrefixSetting();
  static const std::string& CMapDirectorySetting();
  static const std::string& AFMDirectorySetting();

  // A new document (PDF or FDF of the version), owned by the caller until
  // CloseDoc; none on failure, the document's error copied into *error
  // when given. Defined with the document class.
  CPDFDoc* CreateDoc(bool fdf, bool xrefForFdf, int32_t major, int32_t minor, CPDFException* error);
  // Closes and deletes the document. True.
  bool CloseDoc(CPDFDoc* doc);

  // Font resources by name, loaded on first use and kept in their cache;
  // none when the name cannot be resolved (a miss is not remembered). The
  // cache owns every answer; nothing here throws. FontResourceCache.h says
  // how each is looked up.
  EncodingTable* GetEncoding(const char* name) { return fonts_.GetEncoding(name); }
  CMapFile* GetCMap(const char* name) { return fonts_.GetCMap(name); }
  AFMFile* GetAFM(const char* name) { return fonts_.GetAFM(name); }
  // The AFM search directory, "" when not set.
  const char* GetAFMSearchDir() const {
    const char* dir = GetAFMSearchDirectory();
    return dir ? dir : "";
  }
  TrueTypeFontInfo* GetTrueTypeFontInfo(const char* name) {
    return fonts_.GetTrueTypeFontInfo(name);
  }
  // Replaces the font source (none: the system's fonts again) and empties
  // the TrueType cache, so that the next lookup enumerates the new source.
  void SetTrueTypeFontSource(std::unique_ptr<TrueTypeFontSource> source);
  // Frees everything in the four caches and forgets the AFM scan and the
  // enumeration of the installed fonts, so that the next lookups load again
  // (tests; a host that changes directories). The font source stays.
  void ReleaseFontCaches() { fonts_.Release(); }

  Cache& EncodingCache() { return fonts_.EncodingCache(); }
  Cache& CMapCache() { return fonts_.CMapCache(); }
  Cache& AFMCache() { return fonts_.AFMCache(); }
  Cache& TrueTypeCache() { return fonts_.TrueTypeCache(); }

 private:
  explicit CPDFEnv(FontResourceCache& fonts);

  struct OptionalPath {
    bool set = false;
    std::string text;
  };
  static const char* Path(const OptionalPath& p) { return p.set ? p.text.c_str() : nullptr; }
  static void Store(OptionalPath& target, const char* path);

  OptionalPath tempDir_;
  OptionalPath cmapDir_;
  OptionalPath afmSearchDir_;
  OptionalPath afmDir_;
  std::unique_ptr<FontResourceCache> ownFonts_;  // none for the global instance
  FontResourceCache& fonts_;
};
