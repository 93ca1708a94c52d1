#include "pdf/font/CPDFFont.h"

#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/font/CMapFile.h"
#include "pdf/font/CPDFEncoding.h"
#include "pdf/font/CPDFTrueTypeFont.h"
#include "pdf/font/CPDFType0Font.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/font/CPDFType3Font.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/font/FontResourceCache.h"
#include "pdf/font/internal/FontText.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "platform/HostText.h"

namespace {

// The members of CreateFont, in ascending bit order.
constexpr CPDFFamilyMember<CPDFFont> kMembers[] = {
    MakeFamilyMember<CPDFFont, CPDFType1Font, CPDFDict>(CPDFFont::kType1Font),
    MakeFamilyMember<CPDFFont, CPDFTrueTypeFont, CPDFDict>(CPDFFont::kTrueTypeFont),
    MakeFamilyMember<CPDFFont, CPDFMMType1Font, CPDFDict>(CPDFFont::kMMType1Font),
    MakeFamilyMember<CPDFFont, CPDFType3Font, CPDFDict>(CPDFFont::kType3Font),
    MakeFamilyMember<CPDFFont, CPDFType0Font, CPDFDict>(CPDFFont::kType0Font),
};

// The cases of a conversion, in the order they are tried: without
// /Encoding the font's built-in encoding when it is known, else host text.
enum class Case { kCMap, kBuiltIn, kHost, kNamed, kDict, kOther };

using fonttext::Capacity;
using fonttext::CodeLength;
using fonttext::StepFailed;
using fonttext::TextLength;

template <class Unit>
int32_t Emit(Unit* out, int32_t capacity, const Unit* data, size_t n, const char* method) {
  return fonttext::Emit("CPDFFont", method, out, capacity, data, n);
}

// Host text to UTF-16 through the host codec, appended to units. A run the
// codec refuses is read character by character: a byte that starts no
// character the code page holds (a lead byte without its trail byte, a
// Latin letter of another code page) is passed over and the text goes on.
void AppendHostRun(const uint8_t* text, size_t n, std::vector<char16_t>& units) {
  const size_t start = units.size();
  units.resize(start + n);  // never more units than bytes
  const int32_t count = platform::HostToUtf16(text, Capacity(n), units.data() + start, Capacity(n));
  if (count >= 0) {
    units.resize(start + static_cast<size_t>(count));
    return;
  }
  size_t written = start;
  for (size_t i = 0; i < n;) {
    const size_t length = fonttext::HostCharacterLength(text, n, i);
    char16_t unit[2];
    const int32_t m = platform::HostToUtf16(text + i, Capacity(length), unit, 2);
    if (m == 1) {
      units[written++] = unit[0];
      i += length;
    } else {
      ++i;
    }
  }
  units.resize(written);
}

// Host text to UTF-16. A 0 byte is U+0000, as the host code page has it,
// and the text goes on after it (the codec itself ends a text there).
std::vector<char16_t> HostToUnits(const uint8_t* text, size_t n) {
  std::vector<char16_t> units;
  units.reserve(n);
  for (size_t i = 0; i < n;) {
    const auto* nul = static_cast<const uint8_t*>(std::memchr(text + i, 0, n - i));
    const size_t end = nul ? static_cast<size_t>(nul - text) : n;
    if (end > i) AppendHostRun(text + i, end - i, units);
    if (nul) units.push_back(0);
    i = nul ? end + 1 : end;
  }
  return units;
}

// UTF-16 to host bytes (at most two per unit). A character the host code
// page has no code for fails, named in the message.
std::vector<uint8_t> UnitsToHost(const char16_t* units, size_t n, const char* method) {
  std::vector<uint8_t> bytes(n * 2);
  const int32_t count =
      platform::Utf16ToHost(units, Capacity(n), bytes.data(), Capacity(bytes.size()));
  if (count >= 0) {
    bytes.resize(static_cast<size_t>(count));
    return bytes;
  }
  for (size_t i = 0; i < n;) {
    const fonttext::Character c = fonttext::CharacterAt(units, n, i);
    uint8_t host[4];
    if (c.lone || platform::Utf16ToHost(units + i, Capacity(c.units), host, 4) < 0) {
      fonttext::NoCodeFor("CPDFFont", method, c);
    }
    i += c.units;
  }
  StepFailed("the text does not convert to host text");
}

// The Unicode text of a ToUnicode CMap as host bytes: U+0000 is the byte 0,
// and a character that the host code page cannot hold (an accented Latin
// letter, U+FFFD) is left out while the rest converts.
std::vector<uint8_t> CMapUnitsToHost(const std::vector<char16_t>& units) {
  std::vector<uint8_t> bytes(units.size() * 2);  // at most two bytes a character
  size_t written = 0;
  auto convert = [&](const char16_t* from, size_t n) {
    const int32_t count = platform::Utf16ToHost(from, Capacity(n), bytes.data() + written,
                                                Capacity(bytes.size() - written));
    if (count > 0) written += static_cast<size_t>(count);
    return count >= 0;
  };
  for (size_t i = 0; i < units.size();) {
    if (units[i] == 0) {
      bytes[written++] = 0;
      ++i;
      continue;
    }
    size_t end = i;
    while (end < units.size() && units[end] != 0) ++end;
    // The run whole; when the codec refuses it, unit by unit.
    if (!convert(units.data() + i, end - i)) {
      for (size_t k = i; k < end; ++k) convert(units.data() + k, 1);
    }
    i = end;
  }
  bytes.resize(written);
  return bytes;
}

// What a conversion works from: the case, and its CMap or tables.
struct Source {
  Case kind = Case::kOther;
  const char* typeName = "Null";               // case (e): the entry's type
  std::shared_ptr<const CMapFile> cmap;        // case (a), the font's parsed CMap
  EncodingTable* table = nullptr;              // the built-in or named table, (d) the base table
  std::unique_ptr<EncodingTable> differences;  // (d) with a Differences array
  GlyphNameList list = GlyphNameList::kAdobe;  // the glyph list the font's names go by
};

// Font codes to Unicode units through a ToUnicode CMap, and back; the CMap
// lookups work in big-endian pairs. A code the CMap does not map is passed
// over and the codes after it convert.
std::vector<char16_t> CMapCodesToUnits(const CMapFile& cmap, const uint8_t* codes, size_t n) {
  std::vector<uint8_t> pairs(n * 2);
  const int32_t m =
      cmap.CodeToUnicodeOrSkip(pairs.data(), Capacity(pairs.size()), codes, Capacity(n), nullptr);
  if (m < 0) StepFailed("codes do not convert through the ToUnicode CMap");
  std::vector<char16_t> units(static_cast<size_t>(m) / 2);
  for (size_t i = 0; i < units.size(); ++i) {
    units[i] = static_cast<char16_t>((pairs[2 * i] << 8) | pairs[2 * i + 1]);
  }
  return units;
}

std::vector<uint8_t> CMapUnitsToCodes(const CMapFile& cmap, const char16_t* units, size_t n) {
  std::vector<uint8_t> pairs(n * 2);
  for (size_t i = 0; i < n; ++i) {
    pairs[2 * i] = static_cast<uint8_t>(units[i] >> 8);
    pairs[2 * i + 1] = static_cast<uint8_t>(units[i] & 0xFF);
  }
  std::vector<uint8_t> codes(pairs.size());
  const int32_t m = cmap.UnicodeToCode(codes.data(), Capacity(codes.size()), pairs.data(),
                                       Capacity(pairs.size()));
  if (m < 0) StepFailed("text does not convert through the ToUnicode CMap");
  codes.resize(static_cast<size_t>(m));
  return codes;
}

EncodingTable* FindEncoding(const char* name, const char* method) {
  EncodingTable* table = FontResourceCache::Global().GetEncoding(name);
  if (!table) {
    CPDFException::ThrowFormat("CPDFFont", method, CPDFException::kUndefined,
                               "undefined Font Encoding: %s", name);
  }
  return table;
}

// The ToUnicode CMap, parsed from a decoded copy of the stream. The copy
// goes to no document, so that nothing it refers to is registered.
std::unique_ptr<CMapFile> LoadToUnicode(CPDFFont* font, CPDFStream* stream, const char* method) {
  CPDFObjRegistry* doc = font->GetDoc();
  CPDFStream local;
  if (!stream || !stream->Duplicate(&local, nullptr, doc, true)) {
    CPDFException::Throw("CPDFFont", method, CPDFException::kStepFailed, "CPDFStream::Duplicate()");
  }
  CPDFException error;
  if (!local.DecodeAllFilter(&error)) {
    if (error.IsError()) throw new CPDFException(error);
    StepFailed("the ToUnicode stream does not decode");
  }
  auto cmap = std::make_unique<CMapFile>();
  const char* data = local.GetData();
  if (!data || !cmap->LoadStream(data, local.GetDataLength(), true)) {
    CPDFException::Throw("CPDFFont", method, CPDFException::kStepFailed,
                         "invalid ToUnicode stream");
  }
  return cmap;
}

// Finds the case of the font and prepares what it needs. The host
// directions copy the text under a named encoding without looking it up
// (namedTable false).
Source Prepare(CPDFFont* font, const char* method, bool namedTable) {
  CPDFObjRegistry* doc = font->GetDoc();
  Source source;
  const CPDFName* baseFont = font->Get_BaseFont();
  source.list = EncodingTable::ListOfFont(baseFont ? baseFont->c_str() : nullptr);
  if (font->HasKey(CPDFFont::Key_ToUnicode())) {
    source.kind = Case::kCMap;
    source.cmap = font->ParsedToUnicode(method);
    return source;
  }
  if (!font->HasKey(CPDFFont::Key_Encoding())) {
    source.table = font->BuiltInEncoding();
    source.kind = source.table ? Case::kBuiltIn : Case::kHost;
    return source;
  }
  CPDFObject* encoding = font->Get_Encoding();
  if (auto* name = dynamic_cast<CPDFName*>(encoding)) {
    source.kind = Case::kNamed;
    if (namedTable) source.table = FindEncoding(name->c_str(), method);
    return source;
  }
  auto* dict = dynamic_cast<CPDFDict*>(encoding);
  if (dict && dict->GetType() == CPDFObject::kDictionary) {
    // Typed as an encoding dictionary or left plain (no /Type): read alike.
    source.kind = Case::kDict;
    // Without /BaseEncoding the font's own encoding is the base (Symbol's
    // codes draw Symbol's glyphs), else StandardEncoding.
    auto* base = PDFGetAs<CPDFName>(dict, doc, CPDFEncoding::Key_BaseEncoding());
    source.table = base ? nullptr : font->BuiltInEncoding();
    if (!source.table)
      source.table = FindEncoding(base ? base->c_str() : "StandardEncoding", method);
    if (auto* differences = PDFGetAs<CPDFArray>(dict, doc, CPDFEncoding::Key_Differences())) {
      source.differences = std::make_unique<EncodingTable>();
      if (!CPDFFont::ApplyDifferences(doc, differences, *source.differences)) {
        StepFailed("the Differences array is not applied");
      }
    }
    return source;
  }
  source.kind = Case::kOther;
  source.typeName = encoding ? encoding->GetTypeName() : "Null";
  return source;
}

[[noreturn]] void TypeCheck(const Source& source, const char* method) {
  CPDFException::ThrowFormat("CPDFFont", method, CPDFException::kSyntax, "typecheck: %s",
                             source.typeName);
}

// The glyph name of a font code: in case (d) the differences' name, else
// the base table's; in case (c) the font table's. False when it has none.
bool GlyphNameOf(const Source& source, uint8_t byte, TempString& name) {
  if (source.differences && source.differences->GetGlyphName(byte, name)) return true;
  return source.table->GetGlyphName(byte, name);
}

// Font codes to Unicode through the tables: a code whose glyph name stands
// for a character in the font (a name of the glyph lists it reads,
// "uniXXXX", "uXXXX") gives it, U+FFFD for one beyond U+FFFF (a code gives
// one unit); a code with another name (a dingbat name outside
// ZapfDingbats among them) is read as host text in the code the base (or
// font) table gives that name, or dropped when it gives none; a code
// without a name is dropped.
std::vector<char16_t> CodesToUnits(const Source& source, const uint8_t* text, size_t n) {
  std::vector<char16_t> units;
  units.reserve(n);
  std::vector<uint8_t> host;
  auto flush = [&] {
    const std::vector<char16_t> read = HostToUnits(host.data(), host.size());
    units.insert(units.end(), read.begin(), read.end());
    host.clear();
  };
  for (size_t i = 0; i < n; ++i) {
    TempString name;
    if (!GlyphNameOf(source, text[i], name)) continue;
    char32_t character = 0;
    uint8_t code = 0;
    if (EncodingTable::UnicodeOfGlyph(name.c_str(), source.list, character)) {
      flush();
      units.push_back(character > 0xFFFF ? u'\uFFFD' : static_cast<char16_t>(character));
    } else if (source.table->GetCode(name.c_str(), code)) {
      host.push_back(code);
    }
  }
  flush();
  return units;
}

// The font code of a character in cases (c) and (d): the code at which the
// font's encoding holds a glyph name of the character (in case (d) a code
// of the differences, or a code of the base table that the differences
// leave as it is). False when the encoding holds none. The names are walked
// in place: nothing is allocated per character.
bool CodeOfCharacter(const Source& source, char32_t character, uint8_t& code) {
  // The code at which the table holds the name now. A name of the walk is
  // never a "G%02X" name, so only the table's own names count.
  auto holds = [](const EncodingTable& table, const char* name, uint8_t& at) {
    const char* there = nullptr;
    return table.GetCode(name, at) && (there = table.FindGlyphName(at)) != nullptr &&
           std::strcmp(name, there) == 0;
  };
  EncodingTable::GlyphNamesOf names(character, source.list);
  while (const char* name = names.Next()) {
    if (source.differences && holds(*source.differences, name, code)) return true;
    if (holds(*source.table, name, code) &&
        !(source.differences && source.differences->FindGlyphName(code))) {
      return true;
    }
  }
  return false;
}

// UTF-16 text to font codes through the tables, each character by its glyph
// name, never through host bytes (a double-byte host character is no pair
// of font codes). A character the encoding does not hold fails, named.
std::vector<uint8_t> UnitsToCodes(const Source& source, const char16_t* text, size_t n,
                                  const char* method) {
  std::vector<uint8_t> codes;
  codes.reserve(n);
  for (size_t i = 0; i < n;) {
    const fonttext::Character c = fonttext::CharacterAt(text, n, i);
    uint8_t code = 0;
    if (c.lone || !CodeOfCharacter(source, c.value, code)) {
      fonttext::NoCodeFor("CPDFFont", method, c);
    }
    codes.push_back(code);
    i += c.units;
  }
  return codes;
}

// Host bytes to font codes in case (d): a byte the base table names gets the
// differences' code of that name, else stays; a byte the base table does not
// name is dropped. Without differences the bytes stay as they are.
std::vector<uint8_t> HostToDictCodes(const Source& source, const uint8_t* text, size_t n) {
  if (!source.differences) return std::vector<uint8_t>(text, text + n);
  std::vector<uint8_t> codes;
  codes.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    TempString name;
    if (!source.table->GetGlyphName(text[i], name)) continue;
    uint8_t code = 0;
    codes.push_back(source.differences->GetCode(name.c_str(), code) ? code : text[i]);
  }
  return codes;
}

// Runs one conversion: any failure is -1 with the record filled.
template <class Body>
int32_t Convert(CPDFFont* font, const char* method, Body body) {
  return fonttext::Guarded<int32_t>(font->GetDoc(), "CPDFFont", method, -1, body);
}

}  // namespace

CPDFFont* CPDFFont::CreateFont(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFFont::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* dict = dynamic_cast<CPDFDict*>(object);
    if (!dict) return false;
    auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
    return type && type->IsEqual(TypeName()) && PDFGetAs<CPDFName>(dict, doc, Key_BaseFont());
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFFont", "Check");
  }
}

bool CPDFFont::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source);
}

bool CPDFFont::Create(CPDFObjRegistry* doc, const char* baseFont) {
  if (!baseFont || !SetDoc(doc)) return false;
  try {
    return Set_Type() && Set(doc, Key_BaseFont(), std::make_unique<CPDFName>(baseFont));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFFont", "Create");
  }
}

bool CPDFFont::ApplyDifferences(CPDFObjRegistry* doc, CPDFArray* differences,
                                EncodingTable& table) {
  if (!differences || differences->GetCount() < 2) return true;
  bool haveCode = false;
  uint8_t code = 0;
  for (int32_t i = 0; i < differences->GetCount(); ++i) {
    CPDFObject* element = differences->Get(doc, i);
    if (!element) continue;
    if (element->IsType(kNumber | kInteger)) {
      auto* number = dynamic_cast<CPDFNumber*>(element);
      if (!number) continue;
      code = static_cast<uint8_t>(static_cast<uint32_t>(number->GetInt()) & 0xFF);
      haveCode = true;
    } else if (auto* name = dynamic_cast<CPDFName*>(element)) {
      // Names before the first number have no code to go to.
      if (!haveCode) continue;
      if (!table.Add(code, name->c_str())) return false;
      code = static_cast<uint8_t>(code + 1);
    }
  }
  return true;
}

std::shared_ptr<const CMapFile> CPDFFont::ParsedToUnicode(const char* method) {
  CPDFStream* stream = Get_ToUnicode();
  // Parsed once; again only when /ToUnicode is another stream or its data
  // changed length. A failed parse is not kept: it fails again, alike.
  const int32_t length = stream ? stream->GetDataLength() : -1;
  if (toUnicode_.cmap && toUnicode_.stream == stream && toUnicode_.length == length) {
    return toUnicode_.cmap;
  }
  toUnicode_ = {};
  std::shared_ptr<const CMapFile> cmap = LoadToUnicode(this, stream, method);
  toUnicode_.cmap = cmap;
  toUnicode_.stream = stream;
  toUnicode_.length = length;
  return cmap;
}

int32_t CPDFFont::ToUnicode(char16_t* out, int32_t capacity, const uint8_t* text, int32_t length) {
  static constexpr const char* kMethod = "ToUnicode";
  return Convert(this, kMethod, [&]() -> int32_t {
    const size_t n = CodeLength(text, length);
    Source source = Prepare(this, kMethod, true);
    std::vector<char16_t> units;
    switch (source.kind) {
      case Case::kCMap: units = CMapCodesToUnits(*source.cmap, text, n); break;
      case Case::kHost: units = HostToUnits(text, n); break;
      case Case::kBuiltIn:
      case Case::kNamed:
      case Case::kDict: units = CodesToUnits(source, text, n); break;
      case Case::kOther: TypeCheck(source, kMethod);
    }
    return Emit(out, capacity, units.data(), units.size(), kMethod);
  });
}

int32_t CPDFFont::ToHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                                 int32_t length) {
  static constexpr const char* kMethod = "ToHostEncoding";
  return Convert(this, kMethod, [&]() -> int32_t {
    const size_t n = CodeLength(text, length);
    Source source = Prepare(this, kMethod, false);
    switch (source.kind) {
      case Case::kCMap: {
        // Font codes to Unicode through the CMap, then to host bytes.
        const std::vector<char16_t> units = CMapCodesToUnits(*source.cmap, text, n);
        const std::vector<uint8_t> host = CMapUnitsToHost(units);
        return Emit(out, capacity, host.data(), host.size(), kMethod);
      }
      case Case::kBuiltIn: {
        // The codes by their glyph names, then to host bytes.
        const std::vector<uint8_t> host = CMapUnitsToHost(CodesToUnits(source, text, n));
        return Emit(out, capacity, host.data(), host.size(), kMethod);
      }
      case Case::kDict:
        if (source.differences) {
          // A byte the differences name becomes the base code of that name
          // (nothing when the base has none); other bytes stay.
          std::vector<uint8_t> host;
          host.reserve(n);
          for (size_t i = 0; i < n; ++i) {
            TempString name;
            uint8_t code = 0;
            if (!source.differences->GetGlyphName(text[i], name)) {
              host.push_back(text[i]);
            } else if (source.table->GetCode(name.c_str(), code)) {
              host.push_back(code);
            }
          }
          return Emit(out, capacity, host.data(), host.size(), kMethod);
        }
        [[fallthrough]];
      case Case::kHost:
      case Case::kNamed:
      case Case::kOther: return Emit(out, capacity, text, n, kMethod);
    }
    StepFailed("the font's encoding is of no known kind");
  });
}

int32_t CPDFFont::FromUnicode(uint8_t* out, int32_t capacity, const char16_t* text,
                              int32_t length) {
  static constexpr const char* kMethod = "FromUnicode";
  return Convert(this, kMethod, [&]() -> int32_t {
    const size_t n = TextLength(text, length);
    Source source = Prepare(this, kMethod, true);
    std::vector<uint8_t> codes;
    switch (source.kind) {
      case Case::kCMap: codes = CMapUnitsToCodes(*source.cmap, text, n); break;
      case Case::kHost: codes = UnitsToHost(text, n, kMethod); break;
      case Case::kBuiltIn:
      case Case::kNamed:
      case Case::kDict: codes = UnitsToCodes(source, text, n, kMethod); break;
      case Case::kOther: TypeCheck(source, kMethod);
    }
    return Emit(out, capacity, codes.data(), codes.size(), kMethod);
  });
}

int32_t CPDFFont::FromHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                                   int32_t length) {
  static constexpr const char* kMethod = "FromHostEncoding";
  return Convert(this, kMethod, [&]() -> int32_t {
    const size_t n = TextLength(text, length);
    Source source = Prepare(this, kMethod, false);
    switch (source.kind) {
      case Case::kCMap: {
        // Host text to Unicode, then to font codes through the CMap.
        const std::vector<char16_t> units = HostToUnits(text, n);
        const std::vector<uint8_t> codes =
            CMapUnitsToCodes(*source.cmap, units.data(), units.size());
        return Emit(out, capacity, codes.data(), codes.size(), kMethod);
      }
      case Case::kBuiltIn: {
        // The host characters by their glyph names in the built-in encoding.
        const std::vector<char16_t> units = HostToUnits(text, n);
        const std::vector<uint8_t> codes =
            UnitsToCodes(source, units.data(), units.size(), kMethod);
        return Emit(out, capacity, codes.data(), codes.size(), kMethod);
      }
      case Case::kDict: {
        const std::vector<uint8_t> codes = HostToDictCodes(source, text, n);
        return Emit(out, capacity, codes.data(), codes.size(), kMethod);
      }
      case Case::kHost:
      case Case::kNamed:
      case Case::kOther: return Emit(out, capacity, text, n, kMethod);
    }
    StepFailed("the font's encoding is of no known kind");
  });
}

int32_t CPDFFont::CalcStringWidth(const uint8_t*, int32_t) { return 0; }
