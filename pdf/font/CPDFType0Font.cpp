#include "pdf/font/CPDFType0Font.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "pdf/font/CMapFile.h"
#include "pdf/font/CPDFCMap.h"
#include "pdf/font/FontResourceCache.h"
#include "pdf/font/internal/FontText.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "platform/HostText.h"

namespace {

constexpr const char* kClass = "CPDFType0Font";

// CIDs 7887 to 8101 and 8264 to 8358: the CID each stands for (0: none).
constexpr uint16_t kFirstTableStart = 7887;
constexpr uint16_t kFirstTable[] = {
    634,  635,  649,  650,  660,  661,  662,  665,  666,  667,  668,  669,  674,  675,  676,  677,
    678,  679,  680,  681,  682,  683,  684,  685,  686,  687,  688,  689,  690,  691,  697,  842,
    844,  846,  848,  850,  876,  908,  910,  912,  919,  925,  927,  929,  931,  933,  959,  991,
    993,  995,  1002, 1009, 1010, 7585, 7586, 8038, 7588, 8040, 7590, 8042, 7592, 7593, 8044, 7595,
    7596, 8043, 7598, 7599, 8047, 7608, 7609, 0,    852,  858,  1142, 1205, 1237, 1243, 1383, 1660,
    1666, 1722, 1875, 2191, 2591, 2718, 2720, 2721, 2839, 3147, 3296, 3412, 3619, 3750, 4036, 4185,
    4301, 4411, 4447, 4502, 4541, 4647, 4746, 4747, 4943, 5119, 5376, 5459, 5491, 5932, 6001, 6198,
    6390, 6533, 6561, 6562, 7248, 7429, 8005, 8006, 8007, 0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0,    0,    0,    8038, 0,    8040, 0,    8042, 8043, 8044, 0,    0,
    8047, 0,    0,    0,    0,    0,    0,    0,    8055, 0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,
    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    0,    8092, 8093, 8094,
    8095, 8096, 8097, 8098, 8099, 8100, 8101};
constexpr uint16_t kSecondTableStart = 8264;
constexpr uint16_t kSecondTable[] = {
    852,  858,  1133, 3056, 636,  0,    740,  0, 0,    0, 637,  670,  671, 672, 673, 672,
    0,    670,  0,    0,    8284, 8285, 0,    0, 0,    0, 0,    0,    0,   0,   0,   0,
    0,    0,    0,    0,    0,    0,    0,    0, 0,    0, 0,    0,    0,   0,   0,   739,
    738,  0,    0,    0,    0,    2887, 2454, 0, 1991, 0, 0,    8323, 0,   0,   0,   0,
    0,    8038, 0,    0,    0,    0,    0,    0, 0,    0, 8042, 8040, 0,   0,   0,   0,
    8044, 0,    0,    0,    8043, 8047, 0,    0, 0,    0, 0,    0,    0,   0,   0};
static_assert(std::size(kFirstTable) == 215, "CIDs 7887 to 8101");
static_assert(std::size(kSecondTable) == 95, "CIDs 8264 to 8358");

uint16_t FromTables(uint16_t cid) {
  if (cid >= kFirstTableStart && cid < kFirstTableStart + std::size(kFirstTable)) {
    return kFirstTable[cid - kFirstTableStart];
  }
  if (cid >= kSecondTableStart && cid < kSecondTableStart + std::size(kSecondTable)) {
    return kSecondTable[cid - kSecondTableStart];
  }
  return cid;
}

// The proportional and half-width forms of one Roman character are one
// character: CIDs 231-324 and 631 stand as 1-95 do.
uint16_t RomanFolded(uint16_t cid) {
  if (cid >= 231 && cid <= 324) return static_cast<uint16_t>(cid - 230);
  return cid == 631 ? 95 : cid;
}

uint16_t Normalized(uint16_t cid) {
  const uint16_t folded = RomanFolded(cid);
  return folded != cid ? folded : FromTables(cid);
}

uint16_t Denormalized(uint16_t cid) {
  if (cid >= 1 && cid <= 94) return static_cast<uint16_t>(cid + 230);
  if (cid == 95) return 631;
  return FromTables(cid);
}

// CIDs whose table entry is another character that only looks alike: the
// small kana U+3095 and U+3096 (at two CIDs each) are not ka and ke, U+5653
// is not U+5618, and the vertical forms of the paired arrows U+21C4 and
// U+21C6 (drawn as U+21C5 and U+21F5) are not the single arrows down and
// up. The text conversions keep these CIDs as they are, so that no
// character is read or written as another.
constexpr uint16_t kOtherCharacter[] = {7959, 7960, 7963, 8264, 8265, 8311, 8312};

bool IsOtherCharacter(uint16_t cid) {
  return std::find(std::begin(kOtherCharacter), std::end(kOtherCharacter), cid) !=
         std::end(kOtherCharacter);
}

// The substitutions as the text conversions apply them.
uint16_t TextNormalized(uint16_t cid) { return IsOtherCharacter(cid) ? cid : Normalized(cid); }
uint16_t TextDenormalized(uint16_t cid) { return IsOtherCharacter(cid) ? cid : Denormalized(cid); }

template <class Map>
void Substitute(uint8_t* cids, int32_t length, Map map) {
  if (!cids) return;
  for (int32_t i = 0; i + 1 < length; i += 2) {
    const uint16_t cid = map(static_cast<uint16_t>((cids[i] << 8) | cids[i + 1]));
    cids[i] = static_cast<uint8_t>(cid >> 8);
    cids[i + 1] = static_cast<uint8_t>(cid & 0xFF);
  }
}

// The NEC row-13 duplicates of four symbols (host codes 8795, 8796, 8797,
// 879B, 879C): CIDs that no Unicode value maps to, and the CID of the same
// symbol that one does.
constexpr uint16_t kNECDuplicates[][2] = {
    {7626, 765}, {7627, 757}, {7628, 756}, {7631, 748}, {7632, 747}};

uint16_t NECOriginal(uint16_t cid) {
  for (const auto& pair : kNECDuplicates) {
    if (pair[0] == cid) return pair[1];
  }
  return cid;
}

// Which Unicode value of a CID a reader expects, when several map to it
// (lower is preferred): a character of the host encoding first, then any
// other, then CJK compatibility ideographs and forms, last the Kangxi
// radicals and the CJK radicals supplement (which share their CIDs with
// the ideographs they look like).
int32_t UnicodeRank(uint32_t code, int32_t codeLength) {
  if (codeLength != 2) return 4;
  if ((code >= 0x2E80 && code <= 0x2EFF) || (code >= 0x2F00 && code <= 0x2FDF)) return 3;
  if ((code >= 0xF900 && code <= 0xFAFF) || (code >= 0xFE30 && code <= 0xFE4F)) return 2;
  // A character of the host encoding: one that it encodes and decodes
  // back to itself (not one it only folds onto another's code).
  const auto unit = static_cast<char16_t>(code);
  uint8_t host[4];
  const int32_t n = code != 0 ? platform::Utf16ToHost(&unit, 1, host, 4) : -1;
  char16_t back[2];
  return n > 0 && platform::HostToUtf16(host, n, back, 2) == 1 && back[0] == unit ? 0 : 1;
}

using fonttext::Capacity;
using fonttext::CodeLength;
using fonttext::StepFailed;
using fonttext::TextLength;

template <class Unit>
int32_t Emit(Unit* out, int32_t capacity, const Unit* data, size_t n, const char* method) {
  return fonttext::Emit(kClass, method, out, capacity, data, n);
}

// The encoding CMap: a cached one by name, or one read from the embedded
// stream for this call only.
struct EncodingCMap {
  CMapFile* cmap = nullptr;
  std::unique_ptr<CMapFile> local;

  bool IsIdentity() const {
    const char* name = cmap->GetCMapName().c_str();
    return std::strcmp(name, "Identity-H") == 0 || std::strcmp(name, "Identity-V") == 0;
  }
  const char* Suffix() const { return cmap->GetWMode() == 1 ? "-V" : "-H"; }
  // A Unicode encoding (UCS-2 or UTF-16): a character's code is the
  // character itself.
  bool IsUnicode() const {
    const std::string name = cmap->GetCMapName().c_str();
    return name.find("UCS2") != std::string::npos || name.find("UTF16") != std::string::npos;
  }
};

CMapFile* NamedCMap(const std::string& name, const char* method) {
  CMapFile* cmap = FontResourceCache::Global().GetCMap(name.c_str());
  if (!cmap) {
    CPDFException::ThrowFormat(kClass, method, CPDFException::kUndefined, "undefined CMap: %s",
                               name.c_str());
  }
  return cmap;
}

EncodingCMap LoadEncoding(CPDFType0Font* font, const char* method) {
  EncodingCMap result;
  CPDFObjRegistry* doc = font->GetDoc();
  CPDFObject* encoding = font->Get_Encoding();
  if (!encoding) {
    CPDFException::Throw(kClass, method, CPDFException::kStepFailed,
                         "CPDFType0Font::Get_Encoding()");
  }
  if (auto* name = dynamic_cast<CPDFName*>(encoding)) {
    result.cmap = NamedCMap(name->c_str(), method);
    return result;
  }
  if (auto* stream = dynamic_cast<CPDFStream*>(encoding)) {
    CPDFStream local;
    if (!stream->Duplicate(&local, nullptr, doc, true)) {
      CPDFException::Throw(kClass, method, CPDFException::kStepFailed, "CPDFStream::Duplicate()");
    }
    CPDFException error;
    if (!local.DecodeAllFilter(&error)) {
      if (error.IsError()) throw new CPDFException(error);
      StepFailed("the encoding CMap stream does not decode");
    }
    // A program with the resource header line is read as a CMap file is.
    // Without it, producers' CMaps are read when the program parses and
    // maps codes (CID or notdef ranges, or a usecmap), so that text that is
    // no CMap still fails. A failure carries the text of the shared reader.
    // The stream's /UseCMap key is not consulted; only the program's
    // usecmap.
    const char* data = local.GetData();
    const int32_t length = local.GetDataLength();
    result.local = std::make_unique<CMapFile>();
    bool loaded = data && result.local->LoadStream(data, length, false);
    if (data && !loaded) {
      result.local = std::make_unique<CMapFile>();
      const CMapFile& body = *result.local;
      loaded = result.local->LoadStream(data, length, true) &&
               (body.GetCIDRangeCount() > 0 || body.GetNotdefRangeCount() > 0 || body.GetParent());
    }
    if (!loaded) {
      CPDFException::Throw(kClass, method, CPDFException::kStepFailed, "invalid ToUnicode stream");
    }
    result.cmap = result.local.get();
    return result;
  }
  CPDFException::ThrowFormat(kClass, method, CPDFException::kSyntax, "typecheck: %s",
                             encoding->GetTypeName());
}

CMapFile* UnicodeCMap(const EncodingCMap& encoding, const char* method) {
  return NamedCMap(std::string("UniJIS-UCS2") + encoding.Suffix(), method);
}
CMapFile* HostCMap(const EncodingCMap& encoding, const char* method) {
  return NamedCMap(std::string("90ms-RKSJ") + encoding.Suffix(), method);
}

// Codes to CIDs; a code without a CID reads as CID 0 (.notdef), as a
// reader shows it, and the rest of the text follows.
std::vector<uint8_t> CodesToCIDs(const CMapFile& cmap, const uint8_t* text, size_t n) {
  std::vector<uint8_t> cids(n * 2);
  const int32_t m =
      cmap.CodeToCIDOrNotdef(cids.data(), Capacity(cids.size()), text, Capacity(n), nullptr);
  if (m < 0) StepFailed("codes do not convert to CIDs");
  cids.resize(static_cast<size_t>(m));
  return cids;
}

// Host or Unicode codes to CIDs, a code without one becoming CID 0; adds
// the number of such codes to *replaced.
std::vector<uint8_t> CodesToCIDsOrNotdef(const CMapFile& cmap, const uint8_t* text, size_t n,
                                         int32_t* replaced) {
  std::vector<uint8_t> cids(n * 2);
  int32_t count = 0;
  const int32_t m =
      cmap.CodeToCIDOrNotdef(cids.data(), Capacity(cids.size()), text, Capacity(n), &count);
  if (m < 0) StepFailed("codes do not convert to CIDs");
  cids.resize(static_cast<size_t>(m));
  *replaced += count;
  return cids;
}

uint16_t CIDAt(const std::vector<uint8_t>& cids, size_t i) {
  return static_cast<uint16_t>((cids[2 * i] << 8) | cids[2 * i + 1]);
}

// The Unicode value of a CID, the expected one where several map to it:
// the value of its substitute (the ordinary CID of a proportional,
// vertical or older form), else of a NEC duplicate's original, else of the
// CID itself. A vertical form or a later supplement's character that the
// substitution folds to CID 0 is named by the Unicode CMap itself (the
// vertical degree sign of UniJIS-UCS2-V, say).
bool UnicodeOfCID(const CMapFile& cmap, uint16_t cid, char16_t* unit) {
  const uint16_t normal = TextNormalized(cid);
  for (const uint16_t tried : {normal, NECOriginal(normal), cid}) {
    const uint8_t pair[2] = {static_cast<uint8_t>(tried >> 8), static_cast<uint8_t>(tried & 0xFF)};
    uint8_t value[2];
    if (cmap.CIDToCodeRanked(value, 2, pair, 2, UnicodeRank) == 2) {
      *unit = static_cast<char16_t>((value[0] << 8) | value[1]);
      return true;
    }
  }
  return false;
}

// The CIDs of a text through another CMap, one per code as `count` CIDs
// (bytes) read it; empty when that CMap reads the text otherwise.
std::vector<uint8_t> AlignedCIDs(const CMapFile& cmap, const uint8_t* text, size_t n,
                                 size_t count) {
  std::vector<uint8_t> cids = CodesToCIDs(cmap, text, n);
  if (cids.size() != count) cids.clear();
  return cids;
}

// The horizontal form of a vertical CMap: "X-H" for "X-V", when that is a
// horizontal CMap of the CMap directory; none otherwise.
const CMapFile* HorizontalForm(const CMapFile& cmap) {
  if (cmap.GetWMode() != 1) return nullptr;
  const std::string name = cmap.GetCMapName().c_str();
  if (name.size() < 3 || name.compare(name.size() - 2, 2, "-V") != 0) return nullptr;
  const CMapFile* form =
      FontResourceCache::Global().GetCMap((name.substr(0, name.size() - 2) + "-H").c_str());
  return form && form->GetWMode() != 1 ? form : nullptr;
}

// Whether the code (1 or 2 bytes) has a vertical form: the vertical CMap
// gives it another CID than its horizontal form does.
bool HasVerticalForm(const CMapFile& vertical, const CMapFile& horizontal, const uint8_t* code,
                     int32_t length) {
  uint8_t v[2], h[2];
  return vertical.CodeToCID(v, 2, code, length) == 2 &&
         horizontal.CodeToCID(h, 2, code, length) == 2 && (v[0] != h[0] || v[1] != h[1]);
}

// The Unicode CMaps a text is read through: that of the writing mode, and
// the horizontal one (the same in horizontal writing).
struct UnicodeCMaps {
  const CMapFile* mode = nullptr;
  const CMapFile* horizontal = nullptr;
};

// The Unicode CMaps of the encoding's writing mode; `mode` the one given,
// else looked up (none when missing).
UnicodeCMaps ReadingCMaps(const EncodingCMap& encoding, const CMapFile* mode = nullptr) {
  FontResourceCache& cache = FontResourceCache::Global();
  UnicodeCMaps maps;
  maps.mode = mode ? mode : cache.GetCMap((std::string("UniJIS-UCS2") + encoding.Suffix()).c_str());
  maps.horizontal = encoding.cmap->GetWMode() == 1 ? cache.GetCMap("UniJIS-UCS2-H") : maps.mode;
  return maps;
}

// How the codes of a text read: the CIDs the encoding CMap gives them, one
// per code, and (for a vertical CMap) the CIDs of its horizontal form and
// (for a CMap built on another) the CIDs of that base.
class CodeReading {
 public:
  CodeReading(const EncodingCMap& encoding, const uint8_t* text, size_t n)
      : text_(text), n_(n), cids_(CodesToCIDs(*encoding.cmap, text, n)) {
    if (encoding.IsIdentity()) return;
    ownCodes_ = encoding.IsUnicode() && cids_.size() == n;
    if (const CMapFile* form = HorizontalForm(*encoding.cmap)) {
      horizontal_ = AlignedCIDs(*form, text, n, cids_.size());
    }
    base_ = encoding.cmap->GetParent();
  }
  // Identity: the text's byte pairs are its CIDs (an odd trailing byte is
  // left out).
  explicit CodeReading(std::vector<uint8_t> cids) : cids_(std::move(cids)) {
    cids_.resize(cids_.size() / 2 * 2);
  }

  size_t Count() const { return cids_.size() / 2; }
  uint16_t CID(size_t i) const { return CIDAt(cids_, i); }
  // The CID of the code's horizontal form when the vertical CMap gives the
  // code a vertical form of its own; 0 otherwise.
  uint16_t HorizontalCID(size_t i) const {
    if (horizontal_.empty()) return 0;
    const uint16_t cid = CIDAt(horizontal_, i);
    return cid != CID(i) ? cid : 0;
  }

  // The code's Unicode value. A vertical CMap only gives some codes the
  // vertical form of their character, so such a code reads first as its
  // horizontal form. A code whose CID no Unicode value names reads as the
  // CMap it builds on reads it (the backslash of the half-width Unicode
  // CMaps, whose proportional CID UniJIS-UCS2 does not name).
  // Through a Unicode encoding, a code that the encoding maps reads as
  // itself, the character it is (also where the Unicode CMap does not name
  // its CID, a character of a later supplement).
  bool Read(size_t i, const UnicodeCMaps& maps, char16_t* unit) const {
    if (ownCodes_ && CID(i) != 0) {
      *unit = static_cast<char16_t>((text_[2 * i] << 8) | text_[2 * i + 1]);
      return true;
    }
    return ReadCID(i, maps, unit);
  }

 private:
  bool ReadCID(size_t i, const UnicodeCMaps& maps, char16_t* unit) const {
    const uint16_t turned = HorizontalCID(i);
    if (turned != 0 && maps.horizontal && UnicodeOfCID(*maps.horizontal, turned, unit)) return true;
    if (maps.mode && UnicodeOfCID(*maps.mode, CID(i), unit)) return true;
    if (!base_) return false;
    if (!baseRead_) {
      baseRead_ = true;
      baseCIDs_ = AlignedCIDs(*base_, text_, n_, cids_.size());
    }
    if (baseCIDs_.empty() || CIDAt(baseCIDs_, i) == CID(i)) return false;
    const CMapFile* through = base_->GetWMode() == 1 ? maps.mode : maps.horizontal;
    return through && UnicodeOfCID(*through, CIDAt(baseCIDs_, i), unit);
  }

  const uint8_t* text_ = nullptr;
  bool ownCodes_ = false;  // a Unicode encoding whose codes are all two bytes
  size_t n_ = 0;
  std::vector<uint8_t> cids_;
  std::vector<uint8_t> horizontal_;
  const CMapFile* base_ = nullptr;
  mutable bool baseRead_ = false;
  mutable std::vector<uint8_t> baseCIDs_;
};

// The character a presentation form for vertical writing (U+FE10-FE19,
// U+FE30-FE48) stands for in horizontal text; 0 for any other character.
// Not every form is the vertical form of the glyph that the Adobe-Japan1
// substitution gives it: the vertical em and en dashes are not the
// horizontal bar and the hyphen.
char16_t HorizontalCharacter(char16_t unit) {
  static constexpr char16_t kFE10[] = {u',', u'\u3001', u'\u3002', u':',      u';',
                                       u'!', u'?',      u'\u3016', u'\u3017', u'\u2026'};
  static constexpr char16_t kFE30[] = {u'\u2025', u'\u2014', u'\u2013', u'_',      u'_',
                                       u'(',      u')',      u'{',      u'}',      u'\u3014',
                                       u'\u3015', u'\u3010', u'\u3011', u'\u300A', u'\u300B',
                                       u'\u3008', u'\u3009', u'\u300C', u'\u300D', u'\u300E',
                                       u'\u300F', 0,         0,         u'[',      u']'};
  if (unit >= 0xFE10 && unit < 0xFE10 + std::size(kFE10)) return kFE10[unit - 0xFE10];
  if (unit >= 0xFE30 && unit < 0xFE30 + std::size(kFE30)) return kFE30[unit - 0xFE30];
  return 0;
}

// What a character to be written stands for: its Unicode value (or, for
// host text, the value code page 932 gives it; 0 when none), the character
// a vertical presentation form stands for in horizontal text (whose code,
// or whose full-width form's code, may be written for it), and the CID the
// Unicode or host CMap gives it; 0 where there is none or where only the
// value counts.
struct Written {
  char16_t unit = 0;
  char16_t form = 0;
  uint16_t cid = 0;
};

// Whether the code chosen for a character stands for that character: the
// code, read back as ToUnicode reads it, gives the character; or, through
// an encoding whose codes stand for CIDs (not a Unicode encoding, whose
// codes are characters), the code's CID is the very glyph that the Unicode
// or host CMap gives the character (so the Kangxi radical that shares its
// ideograph's CID is written with that CID's code), the proportional and
// half-width forms of a Roman character counting as one. The code of the
// CID that the Adobe-Japan1 substitution folds the character's CID onto
// (the horizontal ellipsis's for the vertical ellipsis, the horizontal
// bar's for the vertical em dash) stands for it only when it reads back as
// it.
class CodeCheck {
 public:
  CodeCheck(const EncodingCMap& encoding, UnicodeCMaps maps, std::vector<Written> written)
      : encoding_(encoding), maps_(maps), written_(std::move(written)) {}

  bool StandsFor(size_t i, const uint8_t* code, int32_t length) const {
    if (i >= written_.size()) return false;
    const Written& w = written_[i];
    const CodeReading reading(encoding_, code, static_cast<size_t>(length));
    if (reading.Count() != 1) return false;
    const uint16_t cid = reading.CID(0);
    if (cid == 0) return false;
    if (w.cid != 0 && RomanFolded(cid) == RomanFolded(w.cid)) return true;
    char16_t unit = 0;
    if (w.unit == 0 || !reading.Read(0, maps_, &unit)) return false;
    return unit == w.unit ||
           (w.form != 0 &&
            (unit == w.form || (w.form >= 0x21 && w.form <= 0x7E && unit == w.form + 0xFEE0)));
  }

 private:
  const EncodingCMap& encoding_;
  UnicodeCMaps maps_;
  std::vector<Written> written_;
};

// The host code of a CID through the host CMap; 0 bytes when it has none.
int32_t HostCodeOfCID(const CMapFile& host, uint16_t cid, uint8_t code[2]) {
  const uint8_t pair[2] = {static_cast<uint8_t>(cid >> 8), static_cast<uint8_t>(cid & 0xFF)};
  return host.CIDToCode(code, 2, pair, 2);
}

// The code of a CID in the encoding CMap, else of its substitute (an ASCII
// character reaches the Unicode and host CMaps as a proportional CID that a
// half-width encoding lacks, and the other way round), else of the
// original of a NEC duplicate (which only the host CMap reaches); 0 bytes
// when none has one.
// Where a Unicode encoding (`ranked`) has several codes for the CID, the
// code of the character a reader expects (UnicodeRank): the ideograph, not
// the Kangxi radical of the same glyph.
int32_t CodeOfCID(const CMapFile& cmap, uint16_t cid, uint16_t (*substitute)(uint16_t), bool ranked,
                  uint8_t code[2]) {
  int32_t best = 0, bestRank = 0;
  for (const uint16_t tried : {cid, substitute(cid), NECOriginal(cid)}) {
    const uint8_t pair[2] = {static_cast<uint8_t>(tried >> 8), static_cast<uint8_t>(tried & 0xFF)};
    uint8_t found[2];
    const int32_t m = ranked ? cmap.CIDToCodeRanked(found, 2, pair, 2, UnicodeRank)
                             : cmap.CIDToCode(found, 2, pair, 2);
    if (m <= 0) continue;
    // Through a Unicode encoding, the best ranked of the candidates' codes.
    const int32_t rank =
        ranked ? UnicodeRank(m == 2 ? (found[0] << 8 | found[1]) : found[0], m) : 0;
    if (best == 0 || rank < bestRank) {
      best = m;
      bestRank = rank;
      std::memcpy(code, found, 2);
    }
    if (!ranked) break;
  }
  return best;
}

// What each character stands for (Written): its value from `units` (a
// big-endian pair per character; none when the text read as another number
// of characters), and, unless the encoding is a Unicode one (whose codes
// are characters), the character of a vertical presentation form and its
// CID.
std::vector<Written> Characters(const std::vector<uint8_t>& units, const std::vector<uint8_t>& cids,
                                bool unicodeEncoding) {
  std::vector<Written> written(cids.size() / 2);
  for (size_t i = 0; i < written.size(); ++i) {
    if (units.size() == cids.size()) written[i].unit = CIDAt(units, i);
    if (unicodeEncoding) continue;
    written[i].form = HorizontalCharacter(written[i].unit);
    written[i].cid = CIDAt(cids, i);
  }
  return written;
}

// Each CID through the encoding CMap (CodeOfCID). In vertical writing a
// character's CID is its vertical form, which the encoding CMap may not
// reach (a Shift-JIS vertical CMap has no code for the vertical degree
// sign or quotes): then the character's horizontal CID (the same index of
// `horizontal`, when given) is written, whose code a reader draws in the
// vertical form the CMap gives that code. A code that the vertical CMap
// gives a vertical form of its own stands for its horizontal character, as
// a reader takes it: such a code of the horizontal CID itself (through
// `horizontalForm`, the encoding's horizontal form) is written first, so
// that a vertical CMap whose vertical forms differ from those of the
// Unicode CMap (the quotes of Add-RKSJ-V) does not write another
// character's code. CID 0 (a character already replaced) and a character
// with no code at all are written as a code that the CMap leaves without a
// CID (.notdef), when it has one; each of the latter adds to *replaced.
// A character that `own` marks (through a Unicode encoding that maps the
// character's own code, given in `ownCodes`) is written as that code. Every
// other code is written only when `check` finds that it stands for the
// character; a character no code of which does is replaced.
struct OwnCodes {
  std::vector<uint8_t> codes;  // a big-endian pair per character
  std::vector<bool> mapped;    // whether the encoding maps that code
};

std::vector<uint8_t> EncodeCIDs(const CMapFile& cmap, const std::vector<uint8_t>& cids,
                                const std::vector<uint8_t>* horizontal,
                                const CMapFile* horizontalForm, uint16_t (*substitute)(uint16_t),
                                bool ranked, const OwnCodes* own, const CodeCheck& check,
                                int32_t* replaced) {
  std::vector<uint8_t> codes;
  codes.reserve(cids.size());
  uint8_t notdef[2] = {0, 0};
  int32_t notdefLength = -1;
  for (size_t i = 0; i < cids.size() / 2; ++i) {
    if (own && i < own->mapped.size() && own->mapped[i]) {
      codes.insert(codes.end(), own->codes.begin() + 2 * i, own->codes.begin() + 2 * i + 2);
      continue;
    }
    const uint16_t cid = CIDAt(cids, i);
    const uint16_t flat = cid != 0 && horizontal ? CIDAt(*horizontal, i) : 0;
    uint8_t code[2] = {0, 0};
    int32_t m = 0;
    // CID 0, a character already replaced, is written as the code the
    // CMap gives CID 0 when it has one (Identity's 0000).
    const auto checked = [&](int32_t length) {
      return length > 0 && (cid == 0 || check.StandsFor(i, code, length)) ? length : 0;
    };
    if (flat != 0 && horizontalForm) {
      const uint8_t pair[2] = {static_cast<uint8_t>(flat >> 8), static_cast<uint8_t>(flat & 0xFF)};
      m = horizontalForm->CIDToCode(code, 2, pair, 2);
      if (m > 0 && !HasVerticalForm(cmap, *horizontalForm, code, m)) m = 0;
      m = checked(m);
    }
    if (m <= 0) m = checked(CodeOfCID(cmap, cid, substitute, ranked, code));
    if (m <= 0 && flat != 0 && flat != cid) {
      m = checked(CodeOfCID(cmap, flat, substitute, ranked, code));
    }
    if (m <= 0) {
      if (cid != 0) ++*replaced;
      if (notdefLength < 0 && !cmap.FindNotdefCode(notdef, notdefLength)) notdefLength = 0;
      codes.insert(codes.end(), notdef, notdef + notdefLength);
      continue;
    }
    codes.insert(codes.end(), code, code + m);
  }
  return codes;
}

// The characters of host text as codes of a Unicode encoding, one per host
// code as the host CMap reads it (a lead byte and its trail byte, or one
// byte), marked where the encoding maps them; 0000 for a host code that
// does not decode to one character; none when the host text reads as
// another number of codes than `count`.
OwnCodes HostOwnCodes(const CMapFile& encoding, const uint8_t* text, size_t n, size_t count) {
  OwnCodes own;
  for (size_t i = 0; i < n;) {
    const size_t length = fonttext::HostCharacterLength(text, n, i);
    char16_t unit[2] = {0, 0};
    const bool one = platform::HostToUtf16(text + i, static_cast<int32_t>(length), unit, 2) == 1;
    if (!one) unit[0] = 0;
    const uint8_t pair[2] = {static_cast<uint8_t>(unit[0] >> 8),
                             static_cast<uint8_t>(unit[0] & 0xFF)};
    uint8_t cid[2];
    own.codes.insert(own.codes.end(), pair, pair + 2);
    own.mapped.push_back(one && encoding.CodeToCID(cid, 2, pair, 2) == 2);
    i += length;
  }
  if (own.mapped.size() != count) own = OwnCodes{};
  return own;
}

// For vertical writing, the horizontal CIDs of the same codes through the
// horizontal form of a CMap ("-H" for "-V"): one per CID of `vertical`, or
// none when that CMap is missing or reads the text otherwise.
std::unique_ptr<std::vector<uint8_t>> HorizontalCIDs(const EncodingCMap& encoding,
                                                     const char* cmapName, const uint8_t* text,
                                                     size_t n,
                                                     const std::vector<uint8_t>& vertical) {
  if (encoding.cmap->GetWMode() != 1) return nullptr;
  CMapFile* cmap = FontResourceCache::Global().GetCMap((std::string(cmapName) + "-H").c_str());
  if (!cmap) return nullptr;
  int32_t unused = 0;
  auto cids = std::make_unique<std::vector<uint8_t>>(CodesToCIDsOrNotdef(*cmap, text, n, &unused));
  if (cids->size() != vertical.size()) return nullptr;
  return cids;
}

template <class Body>
auto Guarded(CPDFObjRegistry* doc, const char* method, Body body, decltype(body()) failure) {
  return fonttext::Guarded<decltype(body())>(doc, kClass, method, failure, body);
}

}  // namespace

bool CPDFType0Font::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    if (!CPDFFont::Check(doc, object)) return false;
    auto* dict = dynamic_cast<CPDFDict*>(object);
    auto* subtype = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
    if (!subtype || !subtype->IsEqual(SubtypeName())) return false;
    CPDFObject* fonts = dict->Get(doc, Key_DescendantFonts());
    if (!fonts || fonts->GetType() != kArray) return false;
    CPDFObject* encoding = dict->Get(doc, Key_Encoding());
    return encoding && encoding->IsType(kName | kStream);
  } catch (...) {
    return CPDFException::Absorb(nullptr, kClass, "Check");
  }
}

bool CPDFType0Font::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    CPDFArray* fonts = Get_DescendantFonts();
    if (!fonts) return false;
    for (int32_t i = 0; i < fonts->GetCount(); ++i) {
      if (!fonts->Get(doc, i)) return false;
    }
    return PDFTypeElements(fonts, doc, kDictionary, PDFFactory(&CPDFCIDFont::CreateCIDFont, doc)) &&
           PDFTypeEntry<CPDFCMap>(this, doc, Key_Encoding());
  });
}

bool CPDFType0Font::Create(CPDFObjRegistry* doc, const char* baseFont) {
  return CPDFFont::Create(doc, baseFont) && Set_Subtype();
}

CPDFType0Font* CPDFType0Font::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

const CPDFName& CPDFType0Font::GetNamePrefix() {
  static const CPDFName prefix("G");
  return prefix;
}

CPDFCIDFont* CPDFType0Font::GetDescendantFont() {
  CPDFArray* fonts = Get_DescendantFonts();
  if (!fonts || fonts->GetCount() < 1) return nullptr;
  return dynamic_cast<CPDFCIDFont*>(fonts->Get(GetDoc(), 0));
}

CPDFFontDesc* CPDFType0Font::GetFontDescriptor() {
  CPDFCIDFont* font = GetDescendantFont();
  return font ? font->GetFontDescriptor() : nullptr;
}

int32_t CPDFType0Font::SubstitutionTableSize(int32_t table) {
  return table == 0 ? static_cast<int32_t>(std::size(kFirstTable))
                    : static_cast<int32_t>(std::size(kSecondTable));
}

void CPDFType0Font::NormalizeCID(uint8_t* cids, int32_t length) {
  Substitute(cids, length, Normalized);
}

void CPDFType0Font::DenormalizeCID(uint8_t* cids, int32_t length) {
  Substitute(cids, length, Denormalized);
}

int32_t CPDFType0Font::ToUnicode(char16_t* out, int32_t capacity, const uint8_t* text,
                                 int32_t length) {
  if (HasKey(Key_ToUnicode())) return CPDFFont::ToUnicode(out, capacity, text, length);
  static constexpr const char* kMethod = "ToUnicode";
  return Guarded(
      GetDoc(), kMethod,
      [&]() -> int32_t {
        const size_t n = CodeLength(text, length);
        EncodingCMap encoding = LoadEncoding(this, kMethod);
        const UnicodeCMaps maps = ReadingCMaps(encoding, UnicodeCMap(encoding, kMethod));
        const CodeReading reading(encoding, text, n);
        std::vector<char16_t> units;
        units.reserve(reading.Count());
        for (size_t i = 0; i < reading.Count(); ++i) {
          char16_t unit = 0;
          if (reading.Read(i, maps, &unit)) units.push_back(unit);
        }
        return Emit(out, capacity, units.data(), units.size(), kMethod);
      },
      -1);
}

int32_t CPDFType0Font::ToHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                                      int32_t length) {
  if (HasKey(Key_ToUnicode())) return CPDFFont::ToHostEncoding(out, capacity, text, length);
  static constexpr const char* kMethod = "ToHostEncoding";
  return Guarded(
      GetDoc(), kMethod,
      [&]() -> int32_t {
        const size_t n = CodeLength(text, length);
        EncodingCMap encoding = LoadEncoding(this, kMethod);
        CMapFile* host = HostCMap(encoding, kMethod);
        const bool vertical = encoding.cmap->GetWMode() == 1;
        FontResourceCache& cache = FontResourceCache::Global();
        const CMapFile* hostH = vertical ? cache.GetCMap("90ms-RKSJ-H") : host;
        // A work copy: the caller's text stays as it is.
        const CodeReading reading = encoding.IsIdentity()
                                        ? CodeReading(std::vector<uint8_t>(text, text + n))
                                        : CodeReading(encoding, text, n);
        // Looked up for the first CID that the host CMap has no code for.
        UnicodeCMaps maps;
        bool mapsFound = false;
        std::vector<uint8_t> codes;
        codes.reserve(reading.Count() * 2);
        for (size_t i = 0; i < reading.Count(); ++i) {
          // A code with a vertical form reads as its horizontal form; a CID
          // through its substitute.
          uint8_t code[4] = {0, 0, 0, 0};
          int32_t m = 0;
          const uint16_t turned = reading.HorizontalCID(i);
          if (turned != 0 && hostH) m = HostCodeOfCID(*hostH, TextDenormalized(turned), code);
          if (m <= 0) m = HostCodeOfCID(*host, TextDenormalized(reading.CID(i)), code);
          if (m <= 0) {
            // A CID the host CMap has no code for (a vertical form it lacks,
            // a character of a later supplement or of another code page's
            // repertoire): its character in the host code page, when that
            // has it.
            if (!mapsFound) {
              mapsFound = true;
              maps = ReadingCMaps(encoding);
            }
            char16_t unit = 0;
            if (reading.Read(i, maps, &unit)) {
              m = platform::Utf16ToHost(&unit, 1, code, static_cast<int32_t>(sizeof code));
            }
          }
          if (m > 0) codes.insert(codes.end(), code, code + m);
        }
        return Emit(out, capacity, codes.data(), codes.size(), kMethod);
      },
      -1);
}

int32_t CPDFType0Font::FromUnicode(uint8_t* out, int32_t capacity, const char16_t* text,
                                   int32_t length) {
  replaced_ = 0;
  if (HasKey(Key_ToUnicode())) return CPDFFont::FromUnicode(out, capacity, text, length);
  static constexpr const char* kMethod = "FromUnicode";
  return Guarded(
      GetDoc(), kMethod,
      [&]() -> int32_t {
        const size_t n = TextLength(text, length);
        EncodingCMap encoding = LoadEncoding(this, kMethod);
        CMapFile* unicode = UnicodeCMap(encoding, kMethod);
        // One big-endian pair per character. A character beyond U+FFFF and
        // a lone surrogate, which a UCS-2 CMap cannot read, stand as one
        // U+FFFF each and are replaced once, as one character.
        std::vector<uint8_t> pairs;
        std::vector<size_t> beyond;
        pairs.reserve(n * 2);
        for (size_t i = 0; i < n;) {
          const fonttext::Character c = fonttext::CharacterAt(text, n, i);
          const char16_t unit = c.units == 1 && !c.lone ? text[i] : u'\uFFFF';
          if (unit == u'\uFFFF') beyond.push_back(pairs.size() / 2);
          pairs.push_back(static_cast<uint8_t>(unit >> 8));
          pairs.push_back(static_cast<uint8_t>(unit & 0xFF));
          i += c.units;
        }
        std::vector<uint8_t> cids =
            CodesToCIDsOrNotdef(*unicode, pairs.data(), pairs.size(), &replaced_);
        auto horizontal = HorizontalCIDs(encoding, "UniJIS-UCS2", pairs.data(), pairs.size(), cids);
        for (const size_t at : beyond) {
          if (2 * at + 1 >= cids.size()) continue;
          if (CIDAt(cids, at) != 0) ++replaced_;
          cids[2 * at] = cids[2 * at + 1] = 0;
          if (horizontal) (*horizontal)[2 * at] = (*horizontal)[2 * at + 1] = 0;
        }
        // Through a Unicode encoding a character is written as its own
        // code wherever the encoding maps that code.
        OwnCodes own;
        const bool unicodeEncoding = !encoding.IsIdentity() && encoding.IsUnicode();
        if (unicodeEncoding) {
          own.codes = pairs;
          own.mapped.assign(pairs.size() / 2, false);
          size_t next = 0;
          for (size_t i = 0; i < own.mapped.size(); ++i) {
            if (next < beyond.size() && beyond[next] == i) {
              ++next;
              continue;
            }
            uint8_t cid[2];
            own.mapped[i] = encoding.cmap->CodeToCID(cid, 2, pairs.data() + 2 * i, 2) == 2;
            if (own.mapped[i] && CIDAt(cids, i) == 0) --replaced_;
          }
        }
        const CodeCheck check(encoding, ReadingCMaps(encoding, unicode),
                              Characters(pairs, cids, unicodeEncoding));
        const CMapFile* form = encoding.IsIdentity() ? nullptr : HorizontalForm(*encoding.cmap);
        const std::vector<uint8_t> codes =
            EncodeCIDs(*encoding.cmap, cids, horizontal.get(), form, TextDenormalized,
                       unicodeEncoding, unicodeEncoding ? &own : nullptr, check, &replaced_);
        return Emit(out, capacity, codes.data(), codes.size(), kMethod);
      },
      -1);
}

int32_t CPDFType0Font::FromHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                                        int32_t length) {
  replaced_ = 0;
  if (HasKey(Key_ToUnicode())) return CPDFFont::FromHostEncoding(out, capacity, text, length);
  static constexpr const char* kMethod = "FromHostEncoding";
  return Guarded(
      GetDoc(), kMethod,
      [&]() -> int32_t {
        const size_t n = TextLength(text, length);
        EncodingCMap encoding = LoadEncoding(this, kMethod);
        CMapFile* host = HostCMap(encoding, kMethod);
        const std::vector<uint8_t> cids = CodesToCIDsOrNotdef(*host, text, n, &replaced_);
        if (encoding.IsIdentity()) return Emit(out, capacity, cids.data(), cids.size(), kMethod);
        const auto horizontal = HorizontalCIDs(encoding, "90ms-RKSJ", text, n, cids);
        // Through a Unicode encoding each host character is written as its
        // own code wherever the encoding maps it.
        const bool unicodeEncoding = encoding.IsUnicode();
        const OwnCodes own = HostOwnCodes(*encoding.cmap, text, n, cids.size() / 2);
        const CodeCheck check(encoding, ReadingCMaps(encoding),
                              Characters(own.codes, cids, unicodeEncoding));
        const std::vector<uint8_t> codes = EncodeCIDs(
            *encoding.cmap, cids, horizontal.get(), HorizontalForm(*encoding.cmap), TextNormalized,
            unicodeEncoding, unicodeEncoding ? &own : nullptr, check, &replaced_);
        return Emit(out, capacity, codes.data(), codes.size(), kMethod);
      },
      -1);
}

int32_t CPDFType0Font::CalcStringWidth(const uint8_t* text, int32_t length) {
  static constexpr const char* kMethod = "CalcStringWidth";
  return Guarded(
      GetDoc(), kMethod,
      [&]() -> int32_t {
        CPDFCIDFont* font = GetDescendantFont();
        if (!font) {
          CPDFException::Throw(kClass, kMethod, CPDFException::kStepFailed,
                               "CPDFType0Font::GetDescendantFont()");
        }
        const size_t n = CodeLength(text, length);
        EncodingCMap encoding = LoadEncoding(this, kMethod);
        const std::vector<uint8_t> cids = CodesToCIDs(*encoding.cmap, text, n);
        // The descendant fills the record itself when it answers -1.
        return font->CalcStringWidth(cids.data(), Capacity(cids.size()));
      },
      -1);
}

bool CPDFType0Font::UpdateCharWidth() {
  static constexpr const char* kMethod = "UpdateCharWidth";
  CPDFObjRegistry* doc = GetDoc();
  return Guarded(
      doc, kMethod,
      [&]() -> bool {
        CPDFArray* fonts = Get_DescendantFonts();
        if (!fonts) {
          CPDFException::Throw(kClass, kMethod, CPDFException::kStepFailed,
                               "CPDFType0Font::Get_DescendantFonts()");
        }
        for (int32_t i = 0; i < fonts->GetCount(); ++i) {
          CPDFObjRef ref;
          CPDFObject* element = fonts->Get(doc, i, &ref);
          if (ref.IsDefined() && (!doc || !doc->UpdateObj(ref))) StepFailed();
          // Only CID fonts: a dictionary Load left plain has no widths to write.
          auto* font = dynamic_cast<CPDFCIDFont*>(element);
          if (!font || !font->UpdateCharWidth()) {
            CPDFException::Throw(kClass, kMethod, CPDFException::kStepFailed,
                                 "CPDFCIDFont::UpdateCharWidth()");
          }
        }
        return true;
      },
      false);
}
