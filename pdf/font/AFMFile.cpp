#include "pdf/font/AFMFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "pdf/font/EncodingTable.h"

#include "pdf/object/CPDFInStream.h"
#include "pdf/object/PDFSyntax.h"

namespace {

enum class HeaderKind { kString, kBox, kPair, kNumber, kFlag };

// One header key and the field it fills (the member of its kind).
struct HeaderKey {
  const char* key;
  HeaderKind kind;
  TempString AFMFile::*text = nullptr;
  int32_t (AFMFile::*box)[4] = nullptr;
  int32_t (AFMFile::*pair)[2] = nullptr;
  int32_t AFMFile::*number = nullptr;
  bool AFMFile::*flag = nullptr;
};

HeaderKey Text(const char* key, TempString AFMFile::*field) {
  return {key, HeaderKind::kString, field};
}
HeaderKey Number(const char* key, int32_t AFMFile::*field) {
  HeaderKey k{key, HeaderKind::kNumber};
  k.number = field;
  return k;
}
HeaderKey Flag(const char* key, bool AFMFile::*field) {
  HeaderKey k{key, HeaderKind::kFlag};
  k.flag = field;
  return k;
}
HeaderKey Pair(const char* key, int32_t (AFMFile::*field)[2]) {
  HeaderKey k{key, HeaderKind::kPair};
  k.pair = field;
  return k;
}

// Compared by prefix in this order, so CharacterSet comes before Characters.
const HeaderKey kHeaderKeys[] = {
    Text("FontName", &AFMFile::FontName),
    Text("FullName", &AFMFile::FullName),
    Text("FamilyName", &AFMFile::FamilyName),
    Text("Weight", &AFMFile::Weight),
    {"FontBBox", HeaderKind::kBox, nullptr, &AFMFile::FontBBox},
    Text("Version", &AFMFile::Version),
    Text("Notice", &AFMFile::Notice),
    Text("EncodingScheme", &AFMFile::EncodingScheme),
    Number("MappingScheme", &AFMFile::MappingScheme),
    Number("EscChar", &AFMFile::EscChar),
    Text("CharacterSet", &AFMFile::CharacterSet),
    Number("Characters", &AFMFile::Characters),
    Flag("IsBaseFont", &AFMFile::IsBaseFont),
    Pair("VVector", &AFMFile::VVector),
    Flag("IsFixedV", &AFMFile::IsFixedV),
    Flag("IsCIDFont", &AFMFile::IsCIDFont),
    Number("CapHeight", &AFMFile::CapHeight),
    Number("XHeight", &AFMFile::XHeight),
    Number("Ascender", &AFMFile::Ascender),
    Number("Descender", &AFMFile::Descender),
    Number("StdHW", &AFMFile::StdHW),
    Number("StdVW", &AFMFile::StdVW),
    Number("UnderlinePosition", &AFMFile::UnderlinePosition),
    Number("UnderlineThickness", &AFMFile::UnderlineThickness),
    Number("ItalicAngle", &AFMFile::ItalicAngle),
    Pair("CharWidth", &AFMFile::CharWidth),
    Flag("IsFixedPitch", &AFMFile::IsFixedPitch),
    Number("stemV", &AFMFile::stemV),
};

// Up to n tokens; answers whether all n were there.
bool Tokens(char* text, char** state, char** out, int n) {
  for (int i = 0; i < n; ++i) {
    out[i] = pdfsyntax::NextBlankToken(i == 0 ? text : nullptr, state);
    if (!out[i]) return false;
  }
  return true;
}

bool Is(const char* token, const char* key) { return std::strcmp(token, key) == 0; }

using FillFunction = bool (AFMFile::*)();
struct BuiltIn {
  const char* name;
  FillFunction fill;
};
const BuiltIn kBuiltIns[] = {
    {"Courier", &AFMFile::FillCourier},
    {"Courier-Bold", &AFMFile::FillCourierBold},
    {"Courier-BoldOblique", &AFMFile::FillCourierBoldOblique},
    {"Courier-Oblique", &AFMFile::FillCourierOblique},
    {"Helvetica", &AFMFile::FillHelvetica},
    {"Helvetica-Bold", &AFMFile::FillHelveticaBold},
    {"Helvetica-BoldOblique", &AFMFile::FillHelveticaBoldOblique},
    {"Helvetica-Oblique", &AFMFile::FillHelveticaOblique},
    {"Times-Roman", &AFMFile::FillTimesRoman},
    {"Times-Bold", &AFMFile::FillTimesBold},
    {"Times-Italic", &AFMFile::FillTimesItalic},
    {"Times-BoldItalic", &AFMFile::FillTimesBoldItalic},
    {"Symbol", &AFMFile::FillSymbol},
    {"ZapfDingbats", &AFMFile::FillZapfDingbats},
    {"HeiseiMin-W3", &AFMFile::FillHeiseiMinW3},
    {"HeiseiKakuGo-W5", &AFMFile::FillHeiseiKakuGoW5},
};

std::unique_ptr<AFMCharMetric> MakeMetric(int32_t C, int32_t WX, int32_t WY, int32_t vvx,
                                          int32_t vvy, const char* N, int32_t llx, int32_t lly,
                                          int32_t urx, int32_t ury) {
  auto metric = std::make_unique<AFMCharMetric>();
  metric->C = C;
  metric->WX = WX;
  metric->WY = WY;
  metric->VV[0] = vvx;
  metric->VV[1] = vvy;
  if (!metric->N.Assign(N ? N : "")) throw std::bad_alloc();
  metric->B[0] = llx;
  metric->B[1] = lly;
  metric->B[2] = urx;
  metric->B[3] = ury;
  return metric;
}

}  // namespace

bool AFMFile::IsSafeName(const char* name) {
  if (!name || !*name || name[0] == '.') return false;
  const size_t length = ::strnlen(name, kMaxNameLength + 1);
  if (length > static_cast<size_t>(kMaxNameLength)) return false;
  return std::strpbrk(name, "/\\") == nullptr;
}

AFMFile::AFMFile() = default;
AFMFile::~AFMFile() = default;

void AFMFile::Reset() {
  codeEncoding_.reset();
  for (TempString* s : {&FontName, &FullName, &FamilyName, &Weight, &Version, &Notice,
                        &EncodingScheme, &CharacterSet}) {
    s->Clear();
  }
  for (int32_t* n :
       {&MappingScheme,      &EscChar,     &Characters, &CapHeight,   &XHeight,
        &Ascender,           &Descender,   &StdHW,      &StdVW,       &UnderlinePosition,
        &UnderlineThickness, &ItalicAngle, &stemV,      &FontBBox[0], &FontBBox[1],
        &FontBBox[2],        &FontBBox[3], &VVector[0], &VVector[1],  &CharWidth[0],
        &CharWidth[1]}) {
    *n = 0;
  }
  IsBaseFont = IsFixedV = IsCIDFont = IsFixedPitch = false;
  byName_.RemoveAll();
  byCID_.clear();
}

AFMCharMetric* AFMFile::GetCharMetric(const char* name) const {
  if (!name) return nullptr;
  AFMCharMetric* const* found = byName_.Lookup(TempString(name));
  return found ? *found : nullptr;
}

AFMCharMetric* AFMFile::FindGlyph(const char* name, GlyphNameList list) const {
  if (AFMCharMetric* metric = GetCharMetric(name)) return metric;
  char32_t character = 0;
  if (!EncodingTable::UnicodeOfGlyph(name, list, character)) return nullptr;
  EncodingTable::GlyphNamesOf others(character, list);
  while (const char* other = others.Next()) {
    if (AFMCharMetric* metric = GetCharMetric(other)) return metric;
  }
  return nullptr;
}

EncodingTable* AFMFile::CodeEncoding() const {
  if (codeEncoding_) return codeEncoding_.get();
  try {
    std::vector<std::pair<int32_t, const char*>> coded;
    ForEachCharMetric([&](const AFMCharMetric& metric) {
      if (metric.C >= 0 && metric.C <= 255) coded.emplace_back(metric.C, metric.N.c_str());
    });
    // From the highest code down: a glyph at several codes ends at the
    // lowest, as in the predefined encodings.
    std::sort(coded.begin(), coded.end(), [](const auto& a, const auto& b) {
      return a.first != b.first ? a.first > b.first : std::strcmp(a.second, b.second) > 0;
    });
    auto table = std::make_unique<EncodingTable>();
    for (const auto& [code, name] : coded) {
      if (!table->Add(static_cast<uint8_t>(code), name)) return nullptr;
    }
    codeEncoding_ = std::move(table);
    return codeEncoding_.get();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

AFMCharMetric* AFMFile::GetCIDMetric(int32_t cid) const {
  const auto it = byCID_.find(cid);
  return it == byCID_.end() ? nullptr : it->second.get();
}

bool AFMFile::AddCharMetric(const char* key, int32_t C, int32_t WX, int32_t WY, int32_t vvx,
                            int32_t vvy, const char* N, int32_t llx, int32_t lly, int32_t urx,
                            int32_t ury) {
  if (!key) return false;
  codeEncoding_.reset();
  try {
    auto metric = MakeMetric(C, WX, WY, vvx, vvy, N, llx, lly, urx, ury);
    TempString name;
    if (!name.Assign(key)) return false;
    if (!byName_.SetAt(name, metric.get())) return false;
    metric.release();  // the map owns it now
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

bool AFMFile::AddCIDMetric(int32_t cid, int32_t C, int32_t WX, int32_t WY, int32_t vvx, int32_t vvy,
                           const char* N, int32_t llx, int32_t lly, int32_t urx, int32_t ury) {
  try {
    auto metric = MakeMetric(C, WX, WY, vvx, vvy, N, llx, lly, urx, ury);
    // Ascending CIDs (the built-in tables) go in at the end in constant time.
    byCID_.insert_or_assign(byCID_.end(), cid, std::move(metric));
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  }
}

void AFMFile::ParseHeaderLine(char* line, bool& inCharMetrics) {
  for (const HeaderKey& k : kHeaderKeys) {
    const size_t length = std::strlen(k.key);
    if (std::strncmp(line, k.key, length) != 0) continue;
    char* rest = line + length;
    char* state = nullptr;
    char* tokens[4];
    switch (k.kind) {
      case HeaderKind::kString: {
        const char* value = pdfsyntax::SkipBlanks(rest);
        if (value && !(this->*k.text).Assign(value)) throw std::bad_alloc();
        break;
      }
      case HeaderKind::kBox:
        if (Tokens(rest, &state, tokens, 4)) {
          for (int i = 0; i < 4; ++i) (this->*k.box)[i] = pdfsyntax::ParseLong(tokens[i]);
        }
        break;
      case HeaderKind::kPair:
        if (Tokens(rest, &state, tokens, 2)) {
          for (int i = 0; i < 2; ++i) (this->*k.pair)[i] = pdfsyntax::ParseLong(tokens[i]);
        }
        break;
      case HeaderKind::kNumber:
        if (Tokens(rest, &state, tokens, 1)) this->*k.number = pdfsyntax::ParseLong(tokens[0]);
        break;
      case HeaderKind::kFlag:
        if (Tokens(rest, &state, tokens, 1)) this->*k.flag = Is(tokens[0], "true");
        break;
    }
    return;
  }
  char* state = nullptr;
  const char* first = pdfsyntax::NextBlankToken(line, &state);
  if (first && Is(first, "StartCharMetrics")) inCharMetrics = true;
}

bool AFMFile::ParseCharMetricLine(char* line) {
  int32_t C = -1, WX = 0, WY = 0, VV[2] = {0, 0}, B[4] = {0, 0, 0, 0};
  const char* N = "";
  char* state = nullptr;
  char* v[4];
  for (char* token = pdfsyntax::NextBlankToken(line, &state); token;
       token = pdfsyntax::NextBlankToken(nullptr, &state)) {
    if (Is(token, "C")) {
      if (Tokens(nullptr, &state, v, 1)) C = pdfsyntax::ParseLong(v[0]);
    } else if (Is(token, "CH")) {
      if (Tokens(nullptr, &state, v, 1)) {
        TempString bytes;
        pdfsyntax::UnescapeString(bytes, v[0], static_cast<int32_t>(std::strlen(v[0])));
        const auto* b = reinterpret_cast<const uint8_t*>(bytes.c_str());
        C = bytes.GetLength() == 1 ? b[0] : bytes.GetLength() == 2 ? b[0] * 256 + b[1] : 0;
      }
    } else if (Is(token, "WX") || Is(token, "W0X") || Is(token, "W1X")) {
      if (Tokens(nullptr, &state, v, 1)) WX = pdfsyntax::ParseLong(v[0]);
    } else if (Is(token, "WY") || Is(token, "W0Y") || Is(token, "W1Y")) {
      if (Tokens(nullptr, &state, v, 1)) WY = pdfsyntax::ParseLong(v[0]);
    } else if (Is(token, "W") || Is(token, "W0") || Is(token, "W1")) {
      if (Tokens(nullptr, &state, v, 2)) {
        WX = pdfsyntax::ParseLong(v[0]);
        WY = pdfsyntax::ParseLong(v[1]);
      }
    } else if (Is(token, "VV")) {
      if (Tokens(nullptr, &state, v, 2)) {
        VV[0] = pdfsyntax::ParseLong(v[0]);
        VV[1] = pdfsyntax::ParseLong(v[1]);
      }
    } else if (Is(token, "N")) {
      if (Tokens(nullptr, &state, v, 1)) N = v[0];
    } else if (Is(token, "B")) {
      if (Tokens(nullptr, &state, v, 4)) {
        for (int i = 0; i < 4; ++i) B[i] = pdfsyntax::ParseLong(v[i]);
      }
    }
    // Anything else (";", a ligature "L" and its names, unknown keys) is
    // passed over token by token.
  }
  if (!*N) return false;
  if (IsCIDFont) {
    return AddCIDMetric(pdfsyntax::ParseLong(N), C, WX, WY, VV[0], VV[1], N, B[0], B[1], B[2],
                        B[3]);
  }
  return AddCharMetric(N, C, WX, WY, VV[0], VV[1], N, B[0], B[1], B[2], B[3]);
}

bool AFMFile::Parse(CPDFInStream& in) {
  try {
    char line[kLineSize];
    if (in.ReadLine(line, kLineSize) <= 0) return false;
    if (std::strncmp(line, "StartFontMetrics", 16) != 0) return false;
    bool inCharMetrics = false;
    while (in.ReadLine(line, kLineSize) > 0) {
      if (std::strcmp(line, "EndFontMetrics") == 0) break;
      const char* start = pdfsyntax::SkipBlanks(line);
      if (!start) continue;
      char* text = line + (start - line);
      if (!inCharMetrics) {
        ParseHeaderLine(text, inCharMetrics);
        continue;
      }
      if (text[0] == '%') continue;
      char probe[kLineSize];
      std::memcpy(probe, text, std::strlen(text) + 1);
      char* state = nullptr;
      const char* first = pdfsyntax::NextBlankToken(probe, &state);
      if (first && Is(first, "EndCharMetrics")) {
        inCharMetrics = false;
      } else if (!ParseCharMetricLine(text)) {
        return false;
      }
    }
    if (FontName.IsEmpty()) return false;
    if (FontBBox[0] == 0 && FontBBox[1] == 0 && FontBBox[2] == 0 && FontBBox[3] == 0) return false;
    return true;
  } catch (...) {
    return false;
  }
}

bool AFMFile::LoadFile(const char* path) {
  if (!path) return false;
  try {
    struct stat info;
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize) {
      return false;
    }
    CPDFFileInStream in;
    if (!in.Open(path, "rb")) return false;
    const bool ok = Parse(in);
    in.Close();
    return ok;
  } catch (...) {
    return false;
  }
}

bool AFMFile::FindOrLoad(const char* name) {
  try {
    const std::string& folder = FontResourceCache::AFMDirectory();
    if (IsSafeName(name) && !folder.empty()) {
      const std::string path = folder + name + ".afm";
      if (path.size() <= kMaxPathLength && LoadFile(path.c_str())) return true;
    }
    // Nothing a failed file left behind may mix with the built-in metrics.
    Reset();
    return LoadBuiltIn(name);
  } catch (...) {
    return false;
  }
}

bool AFMFile::LoadBuiltIn(const char* name) {
  if (!name) return false;
  try {
    for (const BuiltIn& b : kBuiltIns) {
      if (std::strcmp(name, b.name) == 0) return (this->*b.fill)();
    }
  } catch (...) {
  }
  return false;
}
