#pragma once
// The metrics of one font as an AFM (font metrics) text gives them: the
// header values and one entry per glyph, looked up by glyph name, or per CID
// for a CID-keyed font. A record is filled once, from an AFM file or from the
// built-in tables of the sixteen fonts the library knows, and then only read;
// the AFM cache of the environment owns it.
//
// The header fields keep the names of the AFM keys that fill them. Numbers
// are whole numbers in the units of the file (thousandths of the text size),
// read like a 32-bit atol (a fraction is cut, values beyond 32 bits clamp).
#include <cstdint>
#include <map>
#include <memory>

#include "pdf/font/FontResourceCache.h"
#include "pdf/object/TempDict.h"
#include "pdf/object/TempString.h"

class CPDFInStream;
class EncodingTable;
enum class GlyphNameList : uint8_t;

// One glyph.
class AFMCharMetric {
 public:
  virtual ~AFMCharMetric() = default;

  int32_t C = -1;               // character code; -1 for an unencoded glyph
  int32_t WX = 0;               // horizontal advance
  int32_t WY = 0;               // vertical advance
  int32_t VV[2] = {0, 0};       // vertical origin x, y
  TempString N;                 // glyph name; the CID in decimal for a CID font
  int32_t B[4] = {0, 0, 0, 0};  // glyph box llx, lly, urx, ury
};

class AFMFile : public FontCacheItem {
 public:
  // Limits on outside data.
  static constexpr int32_t kMaxFileSize = 16 * 1024 * 1024;  // an AFM file
  static constexpr int32_t kLineSize = 255;                  // a line of 254 bytes and its NUL
  static constexpr int32_t kMaxNameLength = 255;             // a font name joined to the directory
  static constexpr size_t kMaxPathLength = 4095;             // the whole path of FindOrLoad

  using NameMap = TempDict<TempString, AFMCharMetric*, TempDeleteDispose>;

  AFMFile();
  AFMFile(const AFMFile&) = delete;
  AFMFile& operator=(const AFMFile&) = delete;
  ~AFMFile() override;

  // Reads an AFM text. True when it is complete (a "StartFontMetrics" first
  // line, a FontName and a FontBBox that is not all zero); false on any
  // failure, with the record partly filled. Throws nothing.
  bool Parse(CPDFInStream& in);
  // Parse over the regular file at the path (at most kMaxFileSize bytes).
  bool LoadFile(const char* path);
  // The file "<AFM directory><name>.afm" when the directory is set and the
  // name is safe; when that fails or is skipped, the record is reset to its
  // constructed state and the built-in metrics of the name are tried.
  bool FindOrLoad(const char* name);
  // The built-in metrics of one of the sixteen names (exact, case-sensitive);
  // false for any other name.
  bool LoadBuiltIn(const char* name);
  // Whether a name may be joined to the AFM directory: not empty, at most
  // kMaxNameLength bytes, no '/' or '\\', not starting with '.'.
  static bool IsSafeName(const char* name);

  // Back to the constructed state: empty strings, zero numbers, no entries.
  void Reset();

  // The entry of a glyph name, or none.
  AFMCharMetric* GetCharMetric(const char* name) const;
  // The entry of a glyph name, else of a name the metrics hold for the
  // character the name stands for in a font whose names go by the list
  // ("uni0144" finds nacute, "uni0394" Symbol's Delta, "uni2701" a1 in
  // ZapfDingbats), or none.
  AFMCharMetric* FindGlyph(const char* name, GlyphNameList list) const;
  // The encoding of the metrics' own codes: each glyph with a code from 0
  // to 255 at that code (the lowest code of a glyph listed at several).
  // Built on the first call and kept until the record changes. None when
  // memory runs out.
  EncodingTable* CodeEncoding() const;
  int32_t GetCharMetricCount() const { return byName_.GetCount(); }
  // Calls f(const AFMCharMetric&) for every by-name entry in name order.
  template <class F>
  void ForEachCharMetric(F f) const {
    for (auto it = byName_.Begin(); !it.IsEnd(); it.Next())
      f(static_cast<const AFMCharMetric&>(**it.GetValue()));
  }
  // The entry of a CID, or none.
  AFMCharMetric* GetCIDMetric(int32_t cid) const;
  int32_t GetCIDMetricCount() const { return static_cast<int32_t>(byCID_.size()); }
  // Calls f(int32_t cid, const AFMCharMetric&) in ascending CID order.
  template <class F>
  void ForEachCIDMetric(F f) const {
    for (const auto& [cid, metric] : byCID_) f(cid, static_cast<const AFMCharMetric&>(*metric));
  }

  // A new entry under the key (by name) or the CID; an entry already there
  // is replaced and deleted. False, with nothing added, when memory runs out.
  bool AddCharMetric(const char* key, int32_t C, int32_t WX, int32_t WY, int32_t vvx, int32_t vvy,
                     const char* N, int32_t llx, int32_t lly, int32_t urx, int32_t ury);
  bool AddCIDMetric(int32_t cid, int32_t C, int32_t WX, int32_t WY, int32_t vvx, int32_t vvy,
                    const char* N, int32_t llx, int32_t lly, int32_t urx, int32_t ury);

  // The built-in metrics (defined with the metric tables).
  bool FillCourier();
  bool FillCourierBold();
  bool FillCourierBoldOblique();
  bool FillCourierOblique();
  bool FillHelvetica();
  bool FillHelveticaBold();
  bool FillHelveticaBoldOblique();
  bool FillHelveticaOblique();
  bool FillTimesRoman();
  bool FillTimesBold();
  bool FillTimesItalic();
  bool FillTimesBoldItalic();
  bool FillSymbol();
  bool FillZapfDingbats();
  bool FillHeiseiMinW3();
  bool FillHeiseiKakuGoW5();

  // Header values.
  TempString FontName;
  TempString FullName;
  TempString FamilyName;
  TempString Weight;
  int32_t FontBBox[4] = {0, 0, 0, 0};
  TempString Version;
  TempString Notice;
  TempString EncodingScheme;
  int32_t MappingScheme = 0;
  int32_t EscChar = 0;
  TempString CharacterSet;
  int32_t Characters = 0;
  bool IsBaseFont = false;
  int32_t VVector[2] = {0, 0};
  bool IsFixedV = false;
  bool IsCIDFont = false;
  int32_t CapHeight = 0;
  int32_t XHeight = 0;
  int32_t Ascender = 0;
  int32_t Descender = 0;
  int32_t StdHW = 0;
  int32_t StdVW = 0;
  int32_t UnderlinePosition = 0;
  int32_t UnderlineThickness = 0;
  int32_t ItalicAngle = 0;
  int32_t CharWidth[2] = {0, 0};
  bool IsFixedPitch = false;
  int32_t stemV = 0;  // the lower-case key, not StdVW

 private:
  void ParseHeaderLine(char* line, bool& inCharMetrics);
  bool ParseCharMetricLine(char* line);

  NameMap byName_;
  std::map<int32_t, std::unique_ptr<AFMCharMetric>> byCID_;
  mutable std::unique_ptr<EncodingTable> codeEncoding_;  // CodeEncoding, once built
};
