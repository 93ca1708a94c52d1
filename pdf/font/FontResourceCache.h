#pragma once
// The caches of shared font resources: encoding tables, CMap files, AFM
// metrics and the metrics of installed TrueType faces, each found by name
// once and kept until the cache is released or destroyed. A miss is not
// remembered, so a later lookup tries again. Nothing here throws.
//
// The font classes reach the process-wide instance through Global(); the
// environment (CPDFEnv) holds that instance and forwards its lookups and
// directory settings to it. A cache of one's own (tests) is an ordinary
// object.
#include <map>
#include <memory>
#include <string>

#include "pdf/object/TempDict.h"
#include "pdf/object/TempString.h"

class AFMFile;
class CMapFile;
class EncodingTable;
class TrueTypeFontInfo;
class TrueTypeFontSource;

// Base of every object the caches own.
class FontCacheItem {
 public:
  virtual ~FontCacheItem() = default;
};

class FontResourceCache {
 public:
  using Cache = TempDict<TempString, FontCacheItem*, TempDeleteDispose>;

  FontResourceCache();
  FontResourceCache(const FontResourceCache&) = delete;
  FontResourceCache& operator=(const FontResourceCache&) = delete;
  // Frees every cached object: encodings, CMaps, AFM metrics, TrueType
  // records, in that order.
  ~FontResourceCache();

  // The process-wide instance, built on first use.
  static FontResourceCache& Global();

  // The process-wide folders the CMap and AFM readers read ("" when not
  // set; otherwise ending in '/').
  static std::string& CMapDirectory();
  static std::string& AFMDirectory();

  // The folder scanned for AFM files by GetAFM ("" for none; otherwise
  // ending in '/'). Setting it scans again at the next lookup.
  void SetAFMSearchDirectory(const std::string& folder);
  const std::string& AFMSearchDirectory() const { return afmSearchDir_; }

  // The lookups by name; none when the name cannot be resolved.
  EncodingTable* GetEncoding(const char* name);
  CMapFile* GetCMap(const char* name);
  // The AFM search folder is scanned once (until it is set again): each
  // regular file, in name order, that reads as AFM goes in under its
  // FontName; a file that does not is skipped. Then the cache, then the
  // AFM folder and the built-in metrics.
  AFMFile* GetAFM(const char* name);
  // The installed faces are enumerated once, through the font source (the
  // system's fonts unless another source was set); then the name as given,
  // then the name with a blank before every upper-case ASCII letter but the
  // first ("TimesNewRoman" finds "Times New Roman"), then the fixed records
  // of "HeiseiMin-W3" and "HeiseiKakuGo-W5". None for a name longer than
  // 255 bytes or one not found.
  TrueTypeFontInfo* GetTrueTypeFontInfo(const char* name);
  // The installed face a TrueType font's BaseFont names. A subset prefix,
  // six upper-case letters and '+' ("ABCDEF+Arial"), is ignored. A style
  // after the first comma (",Bold", ",Italic", ",BoldItalic") picks the
  // family's face of that style, looked up as the family and the style
  // joined, alone or with a hyphen ("ArialBold" finds "Arial Bold",
  // "DejaVuSans-Bold" the PostScript name; Oblique stands in for Italic).
  // Without such a face, or with any other text after the comma, the
  // family's face as GetTrueTypeFontInfo finds it. None for a BaseFont
  // longer than 255 bytes or a family not found.
  TrueTypeFontInfo* GetTrueTypeFace(const char* baseFont);

  // Replaces the font source (none: the system's fonts again) and empties
  // the TrueType cache, so that the next lookup enumerates the new source.
  void SetTrueTypeFontSource(std::unique_ptr<TrueTypeFontSource> source);
  // Frees everything in the four caches and forgets the AFM scan and the
  // enumeration of the installed fonts. The font source stays.
  void Release();

  Cache& EncodingCache() { return encodings_; }
  Cache& CMapCache() { return cmaps_; }
  Cache& AFMCache() { return afms_; }
  Cache& TrueTypeCache() { return trueTypes_; }

 private:
  Cache encodings_;
  Cache cmaps_;
  Cache afms_;
  Cache trueTypes_;
  std::string afmSearchDir_;
  bool afmScanned_ = false;  // the AFM search folder was scanned
  std::unique_ptr<TrueTypeFontSource> fontSource_;
  bool trueTypeEnumerated_ = false;  // the font source was enumerated
  // The faces GetTrueTypeFace found, by BaseFont; emptied with the TrueType
  // cache, whose records they point to.
  std::map<std::string, TrueTypeFontInfo*> faces_;
};
