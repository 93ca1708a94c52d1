#include "pdf/font/FontconfigFontSource.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <iconv.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <memory>
#include <tuple>

namespace {

// --- Code pages ---

// The Unicode character of one byte in an iconv code page, 0 when it has
// none.
uint32_t ByteToUnicode(const char* codePage, uint8_t byte) {
  iconv_t cd = iconv_open("UTF-32LE", codePage);
  if (cd == reinterpret_cast<iconv_t>(-1)) return 0;
  char in[1] = {static_cast<char>(byte)};
  unsigned char out[8] = {};
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  size_t inLeft = 1;
  size_t outLeft = sizeof out;
  const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1) || inLeft != 0 || sizeof out - outLeft != 4) return 0;
  return out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24;
}

struct CodePageTable {
  uint32_t unicode[256] = {};
  explicit CodePageTable(const char* codePage, bool singleBytesOf932 = false) {
    for (int code = 0; code < 256; ++code) {
      // In code page 932 only these bytes stand alone; the others lead a
      // two-byte character.
      if (singleBytesOf932 && !((code >= 0x20 && code <= 0x7E) || (code >= 0xA1 && code <= 0xDF)))
        continue;
      unicode[code] = ByteToUnicode(codePage, static_cast<uint8_t>(code));
    }
  }
};

// --- Names ---

// The UTF-8 text in code page 932; false when it has a character that code
// page cannot hold.
bool ToHost(const char* utf8, std::string& host) {
  host.clear();
  if (std::none_of(utf8, utf8 + std::strlen(utf8),
                   [](char c) { return static_cast<unsigned char>(c) >= 0x80; })) {
    host = utf8;
    return true;
  }
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  std::string in = utf8;
  char* inPtr = in.data();
  size_t inLeft = in.size();
  std::string out(in.size() * 2 + 4, '\0');  // never longer than that in CP932
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<size_t>(-1) || inLeft != 0) return false;
  out.resize(out.size() - outLeft);
  host = std::move(out);
  return !host.empty();
}

// The value of a fontconfig string list whose language (in the parallel
// list langObject) is English, else the first; none when there is none.
const char* EnglishString(FcPattern* pattern, const char* object, const char* langObject) {
  FcChar8* first = nullptr;
  if (FcPatternGetString(pattern, object, 0, &first) != FcResultMatch) return nullptr;
  for (int i = 0;; ++i) {
    FcChar8* value = nullptr;
    FcChar8* lang = nullptr;
    if (FcPatternGetString(pattern, object, i, &value) != FcResultMatch) break;
    if (FcPatternGetString(pattern, langObject, i, &lang) == FcResultMatch &&
        std::strcmp(reinterpret_cast<const char*>(lang), "en") == 0)
      return reinterpret_cast<const char*>(value);
  }
  return reinterpret_cast<const char*>(first);
}

struct FaceEntry {
  std::string file;
  int32_t index = 0;
  std::string fullName;  // UTF-8
  std::string family;    // UTF-8
  std::string postScriptName;
};

// Adds the faces of a font set that have TrueType outlines.
void AddFaces(const FcFontSet* set, std::vector<FaceEntry>& faces) {
  for (int i = 0; set && i < set->nfont; ++i) {
    FcPattern* font = set->fonts[i];
    FcChar8* format = nullptr;
    if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) != FcResultMatch ||
        std::strcmp(reinterpret_cast<const char*>(format), "TrueType") != 0)
      continue;
    FcChar8* file = nullptr;
    int index = 0;
    if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch) continue;
    if (FcPatternGetInteger(font, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    const char* fullName = EnglishString(font, FC_FULLNAME, FC_FULLNAMELANG);
    if (!fullName || !*fullName) continue;
    const char* family = EnglishString(font, FC_FAMILY, FC_FAMILYLANG);
    FcChar8* postScript = nullptr;
    if (FcPatternGetString(font, FC_POSTSCRIPT_NAME, 0, &postScript) != FcResultMatch) {
      postScript = nullptr;
    }
    faces.push_back({reinterpret_cast<const char*>(file), index, fullName, family ? family : "",
                     postScript ? reinterpret_cast<const char*>(postScript) : ""});
  }
}

// The faces of the system's configuration.
void ListConfiguredFaces(std::vector<FaceEntry>& faces) {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects =
      FcObjectSetBuild(FC_FILE, FC_INDEX, FC_FONTFORMAT, FC_FULLNAME, FC_FULLNAMELANG, FC_FAMILY,
                       FC_FAMILYLANG, FC_POSTSCRIPT_NAME, nullptr);
  FcFontSet* set = nullptr;
  if (pattern && objects &&
      FcPatternAddString(pattern, FC_FONTFORMAT, reinterpret_cast<const FcChar8*>("TrueType")))
    set = FcFontList(config, pattern, objects);
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
  try {
    AddFaces(set, faces);
  } catch (...) {
    if (set) FcFontSetDestroy(set);
    FcConfigDestroy(config);
    throw;
  }
  if (set) FcFontSetDestroy(set);
  FcConfigDestroy(config);
}

// The faces of the regular files of a folder and its subfolders, read
// directly (no configuration, no cache written).
void ListFolderFaces(const std::string& folder, std::vector<FaceEntry>& faces) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::recursive_directory_iterator it(folder, error), end;
  for (; !error && it != end; it.increment(error)) {
    if (!it->is_regular_file(error)) continue;
    const std::string file = it->path().string();
    FcFontSet* set = FcFontSetCreate();
    if (!set) return;
    FcFreeTypeQueryAll(reinterpret_cast<const FcChar8*>(file.c_str()), ~0u, nullptr, nullptr, set);
    try {
      AddFaces(set, faces);
    } catch (...) {
      FcFontSetDestroy(set);
      throw;
    }
    FcFontSetDestroy(set);
  }
}

// Sorted by file and index, so that every run delivers the same order.
void SortFaces(std::vector<FaceEntry>& faces) {
  std::sort(faces.begin(), faces.end(), [](const FaceEntry& a, const FaceEntry& b) {
    return std::tie(a.file, a.index) < std::tie(b.file, b.index);
  });
  faces.erase(std::unique(faces.begin(), faces.end(),
                          [](const FaceEntry& a, const FaceEntry& b) {
                            return a.file == b.file && a.index == b.index;
                          }),
              faces.end());
}

// --- FreeType ---

struct LibraryCloser {
  void operator()(FT_Library library) const { FT_Done_FreeType(library); }
};
struct FaceCloser {
  void operator()(FT_Face face) const { FT_Done_Face(face); }
};
using Library = std::unique_ptr<std::remove_pointer_t<FT_Library>, LibraryCloser>;
using Face = std::unique_ptr<std::remove_pointer_t<FT_Face>, FaceCloser>;

// Font units to thousandths of the em, rounded half away from zero.
int32_t Scale(FT_Long value, FT_UShort unitsPerEm) {
  return static_cast<int32_t>(std::lround(static_cast<double>(value) * 1000.0 / unitsPerEm));
}

bool HasCmap(FT_Face face, FT_UShort platform, FT_UShort encoding) {
  for (FT_Int i = 0; i < face->num_charmaps; ++i) {
    if (face->charmaps[i]->platform_id == platform && face->charmaps[i]->encoding_id == encoding)
      return true;
  }
  return false;
}

// How a code of a record finds its glyph.
enum class GlyphLookup { kUnicode, kSymbol, kMacRoman, kNone };

GlyphLookup SelectCharmap(FT_Face face) {
  if (FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0) return GlyphLookup::kUnicode;
  if (FT_Select_Charmap(face, FT_ENCODING_MS_SYMBOL) == 0) return GlyphLookup::kSymbol;
  if (FT_Select_Charmap(face, FT_ENCODING_APPLE_ROMAN) == 0) return GlyphLookup::kMacRoman;
  return GlyphLookup::kNone;
}

FT_UInt GlyphOf(FT_Face face, GlyphLookup lookup, uint8_t charSet, uint8_t code) {
  switch (lookup) {
    case GlyphLookup::kUnicode: {
      const uint32_t unicode = FontconfigFontSource::CodeToUnicode(charSet, code);
      return unicode ? FT_Get_Char_Index(face, unicode) : 0;
    }
    case GlyphLookup::kSymbol:
      // A symbol font places its glyphs at U+F000 and up.
      return FT_Get_Char_Index(face, 0xF000 + code);
    case GlyphLookup::kMacRoman: return charSet == kMacCharSet ? FT_Get_Char_Index(face, code) : 0;
    case GlyphLookup::kNone: break;
  }
  return 0;
}

// The widths of a glyph; glyph 0 is the face's default glyph. Zero when the
// glyph cannot be loaded.
ABC GlyphWidths(FT_Face face, FT_UInt glyph) {
  ABC abc;
  if (FT_Load_Glyph(face, glyph, FT_LOAD_NO_SCALE) != 0) return abc;
  const FT_Glyph_Metrics& m = face->glyph->metrics;
  const FT_UShort upem = face->units_per_EM;
  abc.A = Scale(m.horiBearingX, upem);
  const int32_t width = Scale(m.width, upem);
  abc.B = static_cast<uint32_t>(std::max(width, 0));
  // C makes A + B + C the rounded advance.
  abc.C = Scale(m.horiAdvance, upem) - abc.A - static_cast<int32_t>(abc.B);
  return abc;
}

void FillOutlineMetrics(FT_Face face, TrueTypeOutlineMetric& out) {
  const FT_UShort upem = face->units_per_EM;
  out.otmrcFontBox = {Scale(face->bbox.xMin, upem), Scale(face->bbox.yMax, upem),
                      Scale(face->bbox.xMax, upem), Scale(face->bbox.yMin, upem)};
  if (auto* hhea = static_cast<TT_HoriHeader*>(FT_Get_Sfnt_Table(face, FT_SFNT_HHEA))) {
    out.otmMacAscent = Scale(hhea->Ascender, upem);
    out.otmMacDescent = Scale(hhea->Descender, upem);
  }
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST))) {
    // 16.16 degrees to tenths of a degree.
    out.otmItalicAngle =
        static_cast<int32_t>(std::lround(static_cast<double>(post->italicAngle) * 10.0 / 65536.0));
  }
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)))
    std::memcpy(out.otmPanoseNumber, os2->panose, sizeof out.otmPanoseNumber);
}

void EnumerateOpenFace(FT_Face face, const char* fullName, const char* familyName,
                       const TrueTypeFontSource::AddRecord& add) {
  if (!FT_IS_SFNT(face) || !FT_IS_SCALABLE(face) || face->units_per_EM == 0) return;
  FontconfigFontSource::CharSetSource source;
  auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  if (os2 && os2->version >= 1 && os2->version != 0xFFFF) {
    source.hasCodePages = true;
    source.codePageRange1 = static_cast<uint32_t>(os2->ulCodePageRange1);
  }
  source.hasWindowsUnicode = HasCmap(face, 3, 1);
  source.hasMacRoman = HasCmap(face, 1, 0);
  const std::vector<uint8_t> charSets = FontconfigFontSource::CharSetsOf(source);
  if (charSets.empty()) return;

  const GlyphLookup lookup = SelectCharmap(face);
  TrueTypeOutlineMetric outline;
  FillOutlineMetrics(face, outline);
  for (uint8_t charSet : charSets) {
    auto info = std::make_unique<TrueTypeFontInfo>();
    if (!info->logFont.elfFullName.Assign(fullName) || !info->logFont.lfFaceName.Assign(familyName))
      return;
    info->logFont.lfHeight = -1000;
    info->logFont.lfWidth = 0;
    info->logFont.lfCharSet = charSet;
    info->textMetric.tmFirstChar = FontconfigFontSource::kFirstCode;
    info->textMetric.tmLastChar = FontconfigFontSource::kLastCode;
    info->outlineMetric = outline;
    if (info->AllocWidths()) {
      for (int code = FontconfigFontSource::kFirstCode; code <= FontconfigFontSource::kLastCode;
           ++code) {
        const uint8_t c = static_cast<uint8_t>(code);
        *info->GetABC(c) = GlyphWidths(face, GlyphOf(face, lookup, charSet, c));
      }
    }
    add(std::move(info));
  }
}

void EnumerateFile(FT_Library library, const char* file, int32_t index, const char* fullName,
                   const char* familyName, const TrueTypeFontSource::AddRecord& add) {
  FT_Face raw = nullptr;
  if (FT_New_Face(library, file, index, &raw) != 0) return;
  Face face(raw);
  EnumerateOpenFace(face.get(), fullName, familyName, add);
}

void EnumerateList(const std::vector<FaceEntry>& faces, const TrueTypeFontSource::AddRecord& add) {
  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) return;
  Library library(raw);
  for (const FaceEntry& entry : faces) {
    std::string fullName;
    // A name the host encoding cannot hold could not be asked for.
    if (!ToHost(entry.fullName.c_str(), fullName)) continue;
    std::string family;
    if (!ToHost(entry.family.c_str(), family)) family.clear();
    std::string postScript;
    if (!ToHost(entry.postScriptName.c_str(), postScript)) postScript.clear();
    EnumerateFile(library.get(), entry.file.c_str(), entry.index, fullName.c_str(), family.c_str(),
                  [&](std::unique_ptr<TrueTypeFontInfo> info) {
                    if (info && !info->postScriptName.Assign(postScript.c_str())) return;
                    add(std::move(info));
                  });
  }
}

}  // namespace

std::vector<uint8_t> FontconfigFontSource::CharSetsOf(const CharSetSource& face) {
  std::vector<uint8_t> charSets;
  if (face.hasCodePages && face.codePageRange1 != 0) {
    if (face.codePageRange1 & (1u << 17)) charSets.push_back(kShiftJISCharSet);
    if (face.codePageRange1 & (1u << 29)) charSets.push_back(kMacCharSet);
    if (face.codePageRange1 & 1u) charSets.push_back(kAnsiCharSet);
    return charSets;
  }
  if (face.hasMacRoman) charSets.push_back(kMacCharSet);
  if (face.hasWindowsUnicode) charSets.push_back(kAnsiCharSet);
  return charSets;
}

uint32_t FontconfigFontSource::CodeToUnicode(uint8_t charSet, uint8_t code) {
  static const CodePageTable ansi("CP1252");
  static const CodePageTable mac("MACINTOSH");
  static const CodePageTable shiftJIS("CP932", true);
  switch (charSet) {
    case kAnsiCharSet: return ansi.unicode[code];
    case kMacCharSet: return mac.unicode[code];
    case kShiftJISCharSet: return shiftJIS.unicode[code];
    default: return 0;
  }
}

void FontconfigFontSource::EnumerateFace(const char* file, int32_t index, const char* fullName,
                                         const char* familyName, const AddRecord& add) {
  if (!file || !fullName) return;
  FT_Library raw = nullptr;
  if (FT_Init_FreeType(&raw) != 0) return;
  Library library(raw);
  EnumerateFile(library.get(), file, index, fullName, familyName ? familyName : "", add);
}

void FontconfigFontSource::Enumerate(const AddRecord& add) {
  std::vector<FaceEntry> faces;
  if (folder_.empty())
    ListConfiguredFaces(faces);
  else
    ListFolderFaces(folder_, faces);
  SortFaces(faces);
  EnumerateList(faces, add);
}
