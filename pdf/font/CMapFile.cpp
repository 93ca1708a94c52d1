#include "pdf/font/CMapFile.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>

#include "pdf/font/internal/CMapIndex.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/PDFSyntax.h"

namespace {

constexpr char kHeader[] = "%!PS-Adobe-3.0 Resource-CMap";

// The sections of a CMap program.
enum Section : int32_t {
  kOutside,
  kCodespace,
  kNotdef,
  kCIDRange,
  kCIDChar,
  kBfChar,
  kBfRange,
};

struct SectionWords {
  Section section;
  const char* begin;
  const char* end;
  int32_t operands;  // tokens of one entry after its first
};

constexpr SectionWords kSections[] = {
    {kCodespace, "begincodespacerange", "endcodespacerange", 1},
    {kNotdef, "beginnotdefrange", "endnotdefrange", 2},
    {kCIDRange, "begincidrange", "endcidrange", 2},
    {kCIDChar, "begincidchar", "endcidchar", 1},
    {kBfChar, "beginbfchar", "endbfchar", 1},
    {kBfRange, "beginbfrange", "endbfrange", 2},
};

const SectionWords* WordsOf(int32_t section) {
  for (const SectionWords& w : kSections) {
    if (w.section == section) return &w;
  }
  return nullptr;
}

// The bytes of a <hex> or (literal) token; none for other text.
TempString TokenBytes(const char* text) {
  TempString bytes;
  if (text) pdfsyntax::UnescapeString(bytes, text, static_cast<int32_t>(std::strlen(text)));
  return bytes;
}

// A code of 1 or 2 bytes; false for other lengths.
bool CodeOf(const TempString& bytes, uint32_t& code, int32_t& length) {
  const auto* b = reinterpret_cast<const uint8_t*>(bytes.c_str());
  length = bytes.GetLength();
  if (length == 1) {
    code = b[0];
    return true;
  }
  if (length == 2) {
    code = static_cast<uint32_t>(b[0] << 8 | b[1]);
    return true;
  }
  return false;
}

constexpr uint32_t kReplacement = 0xFFFD;

bool IsSurrogate(uint32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

// The bf destination: one UTF-16 unit, the first two bytes big-endian; a
// one-byte destination is that byte's value. A surrogate (the first half of
// a pair, or a lone one) cannot stand alone in a two-byte value: it reads
// as U+FFFD. An empty destination, or a token that is no string, maps to
// nothing: -1.
int64_t BfDestOf(const char* text) {
  const TempString bytes = TokenBytes(text);
  const auto* b = reinterpret_cast<const uint8_t*>(bytes.c_str());
  if (bytes.GetLength() <= 0) return -1;
  const uint32_t value = bytes.GetLength() == 1 ? b[0] : static_cast<uint32_t>(b[0] << 8 | b[1]);
  return IsSurrogate(value) ? kReplacement : value;
}

// PDF white space (NUL included) and the bytes that end a regular token.
bool IsWhite(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\0';
}
bool IsDelimiter(char c) {
  switch (c) {
    case '(':
    case ')':
    case '<':
    case '>':
    case '[':
    case ']':
    case '{':
    case '}':
    case '/':
    case '%': return true;
    default: return false;
  }
}
bool IsEndOfLine(char c) { return c == '\r' || c == '\n'; }

// The tokens of a CMap program over the whole data, as PDF syntax delimits
// them; line breaks are white space like any other. White space ends a
// token, and so do '<', '>', '[', ']', '(', ')', '{', '}' and '/', each
// starting a token of its own; "<...>" and "(...)" (nested, with backslash
// escapes) are one token each, white space and line breaks inside them
// included, "<<" and ">>" too; '%' starts a comment that runs to the end of
// its line. Two comments that begin a line are read: "%%Title:" gives its
// rest, and "%%EOF" ends the program. A string not closed before the data
// ends is a fault: the data does not parse.
class ProgramTokens {
 public:
  enum Kind { kToken, kTitle, kEnd };

  ProgramTokens(const char* data, size_t size) : begin_(data), p_(data), end_(data + size) {}

  // Passes the first line (after any empty lines) when it is exactly the
  // resource header; false otherwise.
  bool SkipHeader() {
    while (p_ < end_ && IsEndOfLine(*p_)) ++p_;
    const char* eol = EndOfLine(p_);
    if (std::string_view(p_, static_cast<size_t>(eol - p_)) != kHeader) return false;
    p_ = eol;
    return true;
  }

  // The next token (kToken), the rest of a title comment (kTitle), or the
  // end of the program (kEnd: the end of the data, "%%EOF" or a fault).
  Kind Next(std::string_view& text) {
    while (p_ < end_) {
      const char c = *p_;
      if (IsWhite(c)) {
        ++p_;
        continue;
      }
      const char* start = p_;
      if (c == '%') {
        const bool lineStart = p_ == begin_ || IsEndOfLine(p_[-1]);
        p_ = EndOfLine(p_);
        if (!lineStart) continue;
        const std::string_view comment(start, static_cast<size_t>(p_ - start));
        if (comment == "%%EOF") {
          p_ = end_;
          return kEnd;
        }
        if (comment.substr(0, 8) == "%%Title:") {
          text = comment.substr(8);
          return kTitle;
        }
        continue;
      }
      ++p_;
      if (c == '(') {
        if (!SkipLiteral()) return Fail();
      } else if (c == '<') {
        if (p_ < end_ && *p_ == '<') {
          ++p_;
        } else {
          const void* close = std::memchr(p_, '>', static_cast<size_t>(end_ - p_));
          if (!close) return Fail();
          p_ = static_cast<const char*>(close) + 1;
        }
      } else if (c == '>') {
        if (p_ < end_ && *p_ == '>') ++p_;
      } else if (c != '[' && c != ']' && c != '{' && c != '}' && c != ')') {
        // A regular token, or a name: '/' and the regular bytes after it.
        while (p_ < end_ && !IsWhite(*p_) && !IsDelimiter(*p_)) ++p_;
      }
      text = std::string_view(start, static_cast<size_t>(p_ - start));
      return kToken;
    }
    return kEnd;
  }

  bool Failed() const { return failed_; }

 private:
  const char* EndOfLine(const char* p) const {
    while (p < end_ && !IsEndOfLine(*p)) ++p;
    return p;
  }
  // Past the ')' that closes the literal string whose '(' was just read.
  bool SkipLiteral() {
    for (int64_t depth = 1; p_ < end_;) {
      const char c = *p_++;
      if (c == '\\') {
        if (p_ < end_) ++p_;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')' && --depth == 0) {
        return true;
      }
    }
    return false;
  }
  Kind Fail() {
    failed_ = true;
    p_ = end_;
    return kEnd;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
  bool failed_ = false;
};

// A name token ("/Name" with #XX escapes) as text; false for other tokens.
bool NameOf(const char* token, TempString& out) {
  TempString name;
  if (!token || !pdfsyntax::UnescapeName(name, token, static_cast<int32_t>(std::strlen(token)))) {
    return false;
  }
  out = name;
  return true;
}

template <class R>
std::vector<CMapSpan> SpansOf(const std::vector<R>& list) {
  std::vector<CMapSpan> spans;
  spans.reserve(list.size());
  for (const R& r : list) {
    spans.push_back({r.GetLow(), r.GetHigh(), r.GetDestStart(), r.GetDestEnd(), r.GetCodeLength()});
  }
  return spans;
}

template <class R>
const R* At(const std::vector<R>& list, int32_t index) {
  return index < 0 ? nullptr : &list[static_cast<size_t>(index)];
}

}  // namespace

// ---------------------------------------------------------------- entries

CMapRange::CMapRange(const char* low, const char* high, const char* dest, bool destIsRange) {
  uint32_t lowCode = 0, highCode = 0;
  int32_t lowLength = 0, highLength = 0;
  const bool ok = CodeOf(TokenBytes(low), lowCode, lowLength) &&
                  CodeOf(TokenBytes(high), highCode, highLength) && lowLength == highLength;
  const int64_t cid = dest ? pdfsyntax::ParseLong(dest) : 0;
  Set(lowCode, highCode, ok ? lowLength : 0, cid, destIsRange);
}

CMapRange::CMapRange(uint16_t low, uint16_t high, int32_t codeLength, uint16_t destStart,
                     bool destIsRange) {
  Set(low, high, codeLength, destStart, destIsRange);
}

void CMapRange::Set(uint32_t low, uint32_t high, int32_t codeLength, int64_t destStart,
                    bool destIsRange) {
  const uint32_t maxCode = codeLength == 1 ? 0xFF : 0xFFFF;
  const int64_t destEnd = destIsRange ? destStart + (int64_t{high} - int64_t{low}) : destStart;
  if ((codeLength != 1 && codeLength != 2) || high < low || high > maxCode || destStart < 0 ||
      destEnd > 0xFFFF) {
    return;  // unusable: matches nothing
  }
  low_ = static_cast<uint16_t>(low);
  high_ = static_cast<uint16_t>(high);
  destStart_ = static_cast<uint16_t>(destStart);
  destEnd_ = static_cast<uint16_t>(destEnd);
  codeLength_ = codeLength;
}

bool CMapRange::ContainsCode(const uint8_t* bytes, int32_t length) const {
  if (!bytes) return false;
  uint32_t code;
  if (codeLength_ == 1 && length >= 1) {
    code = bytes[0];
  } else if (codeLength_ == 2 && length >= 2) {
    code = static_cast<uint32_t>(bytes[0] << 8 | bytes[1]);
  } else {
    return false;
  }
  return code >= low_ && code <= high_;
}

bool CMapRange::ContainsDest(const uint8_t* bytes, int32_t length) const {
  if (!bytes || length < 2 || !IsUsable()) return false;
  const auto value = static_cast<uint32_t>(bytes[0] << 8 | bytes[1]);
  return value >= destStart_ && value <= destEnd_;
}

int32_t CMapRange::Map(uint8_t* out, const uint8_t* in) const {
  if (!IsUsable()) return 0;
  const uint32_t code = codeLength_ == 1 ? in[0] : static_cast<uint32_t>(in[0] << 8 | in[1]);
  const uint32_t value = destStart_ == destEnd_ ? destStart_ : (code - low_ + destStart_) & 0xFFFF;
  out[0] = static_cast<uint8_t>(value >> 8);
  out[1] = static_cast<uint8_t>(value);
  return codeLength_;
}

int32_t CMapRange::Unmap(uint8_t* out, const uint8_t* in) const {
  if (!IsUsable()) return 0;
  const auto value = static_cast<uint32_t>(in[0] << 8 | in[1]);
  const uint32_t code = (value - destStart_ + low_) & 0xFFFF;
  if (codeLength_ == 1) {
    out[0] = static_cast<uint8_t>(code);
    return 1;
  }
  out[0] = static_cast<uint8_t>(code >> 8);
  out[1] = static_cast<uint8_t>(code);
  return 2;
}

CMapBfRange::CMapBfRange(const char* code, const char* dest) {
  uint32_t value = 0;
  int32_t length = 0;
  const bool ok = CodeOf(TokenBytes(code), value, length);
  Set(value, value, ok ? length : 0, BfDestOf(dest), false);
}

CMapBfRange::CMapBfRange(const char* low, const char* high, const char* dest) {
  uint32_t lowCode = 0, highCode = 0;
  int32_t lowLength = 0, highLength = 0;
  const bool ok = CodeOf(TokenBytes(low), lowCode, lowLength) &&
                  CodeOf(TokenBytes(high), highCode, highLength) && lowLength == highLength;
  // A range of characters beyond U+FFFF all read as U+FFFD; a range to an
  // empty destination maps nothing.
  const int64_t first = BfDestOf(dest);
  Set(lowCode, highCode, ok ? lowLength : 0, first, first != kReplacement);
}

CMapBfRange::CMapBfRange(uint16_t code, int32_t codeLength, uint16_t dest)
    : CMapRange(code, code, codeLength, dest, false) {}

// ---------------------------------------------------------------- loading

struct CMapFile::Indexes {
  CMapListIndex notdef, cid, bfChar, bfRange, codespace;
  bool oneByteCodespace[256] = {};
  // Whether usable bf entries of one and of two bytes exist.
  bool oneByteBf = false;
  bool twoByteBf = false;
  bool stale = true;
};

struct CMapFile::RankedCodes {
  CodeRank rank = nullptr;
  bool complete = false;  // false: the ranges were too many to rank
  // By CID: the code, its length in the top bits (0: none).
  std::vector<uint32_t> codes;
};

CMapFile::CMapFile() : indexes_(std::make_unique<Indexes>()) {}
CMapFile::~CMapFile() = default;

void CMapFile::Reset() {
  cmapName_.Clear();
  registry_.Clear();
  ordering_.Clear();
  supplement_ = cmapVersion_ = cmapMode_ = wmode_ = 0;
  useCMapName_.Clear();
  parent_.reset();
  codespaceRanges_.clear();
  notdefRanges_.clear();
  cidRanges_.clear();
  bfChars_.clear();
  bfRanges_.clear();
  indexes_->stale = true;
  ranked_.reset();
}

bool CMapFile::IsSafeName(const char* name) {
  if (!name || !*name || name[0] == '.') return false;
  const size_t length = ::strnlen(name, kMaxNameLength + 1);
  if (length > static_cast<size_t>(kMaxNameLength)) return false;
  return std::strpbrk(name, "/\\") == nullptr;
}

bool CMapFile::Load(const char* name) {
  try {
    loadName_ = name ? name : "";
    const std::string& folder = FontResourceCache::CMapDirectory();
    if (IsSafeName(name) && !folder.empty()) {
      if (LoadFile((folder + name).c_str(), false)) return true;
      Reset();
    }
    return LoadPredefined(name);
  } catch (...) {
    return false;
  }
}

bool CMapFile::LoadPredefined(const char* name) {
  if (!name) return false;
  try {
    const bool horizontal = std::strcmp(name, "Identity-H") == 0;
    if (!horizontal && std::strcmp(name, "Identity-V") != 0) return false;
    cmapName_ = name;
    registry_ = "Adobe";
    ordering_ = "Identity";
    supplement_ = 0;
    if (horizontal) {
      wmode_ = 0;
      ReserveCodespaceRanges(1);
      AddCodespaceRange(0x0000, 0xFFFF, 2);
      ReserveCIDRanges(1);
      AddCIDRange(0x0000, 0xFFFF, 2, 0);
      return true;
    }
    wmode_ = 1;
    useCMapName_ = "Identity-H";
    return LoadUseCMap();
  } catch (...) {
    return false;
  }
}

bool CMapFile::LoadFile(const char* path, bool stream) {
  if (!path) return false;
  try {
    struct stat info;
    if (::stat(path, &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxDataSize) {
      return false;
    }
    CPDFFileInStream in;
    if (!in.Open(path, "rb")) return false;
    const bool ok = Parse(in, stream);
    in.Close();
    return ok;
  } catch (...) {
    return false;
  }
}

bool CMapFile::LoadStream(const char* data, int32_t length, bool stream) {
  if (!data || length < 0 || length > kMaxDataSize) return false;
  try {
    return ParseProgram(data, static_cast<size_t>(length), stream);
  } catch (...) {
    return false;
  }
}

bool CMapFile::LoadUseCMap() {
  try {
    parent_.reset();
    if (useCMapName_.IsEmpty()) return false;
    const std::string wanted(useCMapName_.c_str(), static_cast<size_t>(useCMapName_.GetLength()));
    if (wanted.find('\0') != std::string::npos) return false;  // a #00 escape cuts no name short
    const Chain here{loadName_, cmapName_.c_str(), chain_, chain_ ? chain_->depth + 1 : 1};
    if (here.depth >= kMaxChain) return false;
    for (const Chain* c = &here; c; c = c->outer) {
      if (wanted == c->loadName || wanted == c->cmapName) return false;
    }
    auto parent = std::make_unique<CMapFile>();
    parent->chain_ = &here;
    const bool ok = parent->Load(wanted.c_str());
    parent->chain_ = nullptr;
    if (!ok) return false;
    parent_ = std::move(parent);
    return true;
  } catch (...) {
    parent_.reset();
    return false;
  }
}

bool CMapFile::Parse(CPDFInStream& in, bool stream) {
  if (in.GetSize() > kMaxDataSize) return false;
  // The program is read whole: a token may span any number of lines.
  std::string data;
  constexpr int32_t kPiece = 64 * 1024;
  for (;;) {
    const size_t have = data.size();
    data.resize(have + kPiece);
    const int32_t n = in.Read(data.data() + have, kPiece);
    data.resize(have + static_cast<size_t>(n > 0 ? n : 0));
    if (data.size() > static_cast<size_t>(kMaxDataSize)) return false;
    if (n <= 0) break;
  }
  return ParseProgram(data.data(), data.size(), stream);
}

void CMapFile::ParseTitle(std::string_view rest) {
  std::string copy(rest);
  char* text = const_cast<char*>(pdfsyntax::SkipBlanks(copy.c_str()));
  if (!text || text[0] != '(') return;
  const size_t length = std::strlen(text);
  if (length < 2 || text[length - 1] != ')') return;
  text[length - 1] = '\0';
  char* state = nullptr;
  char* words[4];
  for (int i = 0; i < 4; ++i) {
    words[i] = pdfsyntax::NextBlankToken(i == 0 ? text + 1 : nullptr, &state);
    if (!words[i]) return;
  }
  cmapName_ = words[0];
  registry_ = words[1];
  ordering_ = words[2];
  supplement_ = pdfsyntax::ParseLong(words[3]);
}

namespace {

// The program's tokens with a look-ahead of up to two; title comments go to
// the CMap as they are met.
template <class OnTitle>
class TokenQueue {
 public:
  TokenQueue(ProgramTokens& tokens, OnTitle onTitle) : tokens_(tokens), onTitle_(onTitle) {}

  // The token n places ahead (0: the next), without taking it; false when
  // the program ends first.
  bool Peek(int32_t n, std::string_view& token) {
    while (count_ <= n) {
      std::string_view t;
      if (!Read(t)) return false;
      ahead_[(first_ + count_++) % 2] = t;
    }
    token = ahead_[(first_ + n) % 2];
    return true;
  }
  bool Take(std::string_view& token) {
    if (!Peek(0, token)) return false;
    first_ = (first_ + 1) % 2;
    --count_;
    return true;
  }

 private:
  bool Read(std::string_view& token) {
    for (;;) {
      switch (tokens_.Next(token)) {
        case ProgramTokens::kToken: return true;
        case ProgramTokens::kTitle: onTitle_(token); continue;
        case ProgramTokens::kEnd: return false;
      }
    }
  }

  ProgramTokens& tokens_;
  OnTitle onTitle_;
  std::string_view ahead_[2];
  int32_t first_ = 0;
  int32_t count_ = 0;
};

bool HasPrefix(std::string_view token, std::string_view key) {
  return token.substr(0, key.size()) == key;
}

// The token as a NUL-terminated text, in a buffer kept for reuse.
const char* Text(std::string& buffer, std::string_view token) {
  buffer.assign(token);
  return buffer.c_str();
}

}  // namespace

bool CMapFile::ParseProgram(const char* data, size_t size, bool stream) {
  ProgramTokens program(data, size);
  if (!stream && !program.SkipHeader()) return false;
  TokenQueue tokens(program, [this](std::string_view rest) { ParseTitle(rest); });
  std::string registry, ordering;
  int32_t supplement = -1;
  int32_t section = kOutside;
  std::string a, b, c;  // operand texts
  std::vector<std::string> dests;
  std::string_view token;
  while (tokens.Take(token)) {
    if (section != kOutside) {
      const SectionWords* words = WordsOf(section);
      // The end keyword closes the section, also where an entry's operand
      // was due: the entry it cuts short is dropped.
      std::string_view first, second, third;
      if (token == words->end) {
        section = kOutside;
        continue;
      }
      if (!tokens.Take(second)) break;
      if (second == words->end) {
        section = kOutside;
        continue;
      }
      first = token;
      if (words->operands == 2) {
        if (!tokens.Take(third)) break;
        if (third == words->end) {
          section = kOutside;
          continue;
        }
      }
      if (section == kBfRange && third == "[") {
        // One destination per code: <low> <high> [<dest> <dest> ...].
        dests.clear();
        std::string_view dest;
        bool closed = false;
        while (tokens.Take(dest)) {
          if (dest == "]" || dest == words->end) {
            closed = dest == "]";
            break;
          }
          dests.emplace_back(dest);
        }
        if (!closed) {
          section = kOutside;
          continue;
        }
        std::vector<const char*> texts;
        texts.reserve(dests.size());
        for (const std::string& d : dests) texts.push_back(d.c_str());
        AddBfRangeArray(Text(a, first), Text(b, second), texts.data(),
                        static_cast<int32_t>(texts.size()));
        continue;
      }
      switch (section) {
        case kCodespace: AddCodespaceRange(Text(a, first), Text(b, second)); break;
        case kNotdef: AddNotdefRange(Text(a, first), Text(b, second), Text(c, third)); break;
        case kCIDRange: AddCIDRange(Text(a, first), Text(b, second), Text(c, third)); break;
        case kCIDChar: AddCIDRange(Text(a, first), Text(a, first), Text(b, second)); break;
        case kBfChar: AddBfChar(Text(a, first), Text(b, second)); break;
        case kBfRange: AddBfRange(Text(a, first), Text(b, second), Text(c, third)); break;
        default: break;
      }
      continue;
    }
    // Keys with one value, no "def".
    if (HasPrefix(token, "/Registry") || HasPrefix(token, "/Ordering") ||
        HasPrefix(token, "/Supplement")) {
      std::string_view value;
      if (!tokens.Take(value)) break;
      if (token[1] == 'S') {
        supplement = pdfsyntax::ParseLong(Text(a, value));
      } else {
        const TempString bytes = TokenBytes(Text(a, value));
        (token[1] == 'R' ? registry : ordering)
            .assign(bytes.c_str(), static_cast<size_t>(bytes.GetLength()));
      }
      continue;
    }
    // Keys with a value and "def"; without the "def" the key alone is
    // passed over.
    if (HasPrefix(token, "/CMapName") || HasPrefix(token, "/CMapVersion") ||
        HasPrefix(token, "/CMapMode") || HasPrefix(token, "/WMode")) {
      std::string_view value, def;
      if (!tokens.Peek(1, def)) break;
      if (def != "def") continue;
      tokens.Take(value);
      tokens.Take(def);
      if (HasPrefix(token, "/CMapName")) {
        NameOf(Text(a, value), cmapName_);
      } else if (HasPrefix(token, "/CMapVersion")) {
        cmapVersion_ = pdfsyntax::ParseLong(Text(a, value));
      } else if (HasPrefix(token, "/CMapMode")) {
        cmapMode_ = pdfsyntax::ParseLong(Text(a, value));
      } else {
        wmode_ = pdfsyntax::ParseLong(Text(a, value));
      }
      continue;
    }
    // Any other token is read with the one after it: a usecmap operand or
    // the count of a section.
    std::string_view next;
    if (!tokens.Peek(0, next)) break;
    if (next == "usecmap") {
      NameOf(Text(a, token), useCMapName_);
      continue;
    }
    for (const SectionWords& w : kSections) {
      if (next != w.begin) continue;
      tokens.Take(next);
      const int32_t n = pdfsyntax::ParseLong(Text(a, token));
      switch (w.section) {
        case kCodespace: ReserveCodespaceRanges(n); break;
        case kNotdef: ReserveNotdefRanges(n); break;
        case kBfChar: ReserveBfChars(n); break;
        case kBfRange: ReserveBfRanges(n); break;
        default: ReserveCIDRanges(n); break;
      }
      section = w.section;
      break;
    }
  }
  if (program.Failed()) return false;
  if (!registry.empty() && !ordering.empty() && supplement >= 0) {
    registry_.Assign(registry.data(), static_cast<int32_t>(registry.size()));
    ordering_.Assign(ordering.data(), static_cast<int32_t>(ordering.size()));
    supplement_ = supplement;
  }
  indexes_->stale = true;
  if (!useCMapName_.IsEmpty() && !LoadUseCMap()) return false;
  return true;
}

// ---------------------------------------------------------------- building

template <class T>
void CMapFile::Reserve(std::vector<T>& list, int32_t n) {
  if (n <= 0) return;
  const size_t wanted = list.size() + static_cast<size_t>(std::min(n, kMaxReserve));
  // Grows geometrically, so that many small sections stay linear.
  if (wanted > list.capacity()) list.reserve(std::max(wanted, list.capacity() * 2));
}

void CMapFile::ReserveCodespaceRanges(int32_t n) { Reserve(codespaceRanges_, n); }
void CMapFile::ReserveNotdefRanges(int32_t n) { Reserve(notdefRanges_, n); }
void CMapFile::ReserveCIDRanges(int32_t n) { Reserve(cidRanges_, n); }
void CMapFile::ReserveBfChars(int32_t n) { Reserve(bfChars_, n); }
void CMapFile::ReserveBfRanges(int32_t n) { Reserve(bfRanges_, n); }

void CMapFile::AddCodespaceRange(const char* low, const char* high) {
  codespaceRanges_.emplace_back(low, high, nullptr, false);
  indexes_->stale = true;
}

void CMapFile::AddCodespaceRange(uint16_t low, uint16_t high, int32_t codeLength) {
  codespaceRanges_.emplace_back(low, high, codeLength, 0, false);
  indexes_->stale = true;
}

void CMapFile::AddNotdefRange(const char* low, const char* high, const char* cid) {
  notdefRanges_.emplace_back(low, high, cid, false);
  indexes_->stale = true;
}

void CMapFile::AddCIDRange(const char* low, const char* high, const char* cid) {
  cidRanges_.emplace_back(low, high, cid, true);
  indexes_->stale = true;
}

void CMapFile::AddCIDRange(uint16_t low, uint16_t high, int32_t codeLength, uint16_t firstCID) {
  cidRanges_.emplace_back(low, high, codeLength, firstCID, true);
  indexes_->stale = true;
}

void CMapFile::AddBfChar(const char* code, const char* dest) {
  bfChars_.emplace_back(code, dest);
  indexes_->stale = true;
}

void CMapFile::AddBfRange(const char* low, const char* high, const char* dest) {
  bfRanges_.emplace_back(low, high, dest);
  indexes_->stale = true;
}

void CMapFile::AddBfRangeArray(const char* low, const char* high, const char* const* dests,
                               int32_t count) {
  uint32_t lowCode = 0, highCode = 0;
  int32_t lowLength = 0, highLength = 0;
  if (!CodeOf(TokenBytes(low), lowCode, lowLength) ||
      !CodeOf(TokenBytes(high), highCode, highLength) || lowLength != highLength ||
      highCode < lowCode) {
    return;
  }
  const int64_t n = std::min<int64_t>(int64_t{highCode} - lowCode + 1, count);
  Reserve(bfChars_, static_cast<int32_t>(n));
  for (int64_t k = 0; k < n; ++k) {
    const int64_t dest = BfDestOf(dests[k]);
    if (dest < 0) continue;  // <> maps its code to nothing
    bfChars_.emplace_back(static_cast<uint16_t>(lowCode + k), lowLength,
                          static_cast<uint16_t>(dest));
  }
  indexes_->stale = true;
}

// ---------------------------------------------------------------- searches

void CMapFile::Index() const {
  if (!indexes_->stale) return;
  ranked_.reset();
  indexes_->notdef.Build(SpansOf(notdefRanges_));
  indexes_->cid.Build(SpansOf(cidRanges_));
  indexes_->bfChar.Build(SpansOf(bfChars_));
  indexes_->bfRange.Build(SpansOf(bfRanges_));
  indexes_->codespace.Build(SpansOf(codespaceRanges_));
  std::fill(std::begin(indexes_->oneByteCodespace), std::end(indexes_->oneByteCodespace), false);
  for (const CMapRange& r : codespaceRanges_) {
    if (r.GetCodeLength() != 1) continue;
    for (uint32_t b = r.GetLow(); b <= r.GetHigh(); ++b) indexes_->oneByteCodespace[b] = true;
  }
  indexes_->oneByteBf = indexes_->twoByteBf = false;
  for (const auto* list : {&bfChars_, &bfRanges_}) {
    for (const CMapBfRange& r : *list) {
      if (r.GetCodeLength() == 1) indexes_->oneByteBf = true;
      if (r.GetCodeLength() == 2) indexes_->twoByteBf = true;
    }
  }
  indexes_->stale = false;
}

const CMapRange* CMapFile::FindNotdefRange(const uint8_t* code, int32_t length) const {
  for (const CMapFile* m = this; m; m = m->parent_.get()) {
    m->Index();
    if (const CMapRange* r = At(m->notdefRanges_, m->indexes_->notdef.FindCode(code, length))) {
      return r;
    }
  }
  return nullptr;
}

const CMapRange* CMapFile::FindCIDRange(const uint8_t* code, int32_t length) const {
  for (const CMapFile* m = this; m; m = m->parent_.get()) {
    m->Index();
    if (const CMapRange* r = At(m->cidRanges_, m->indexes_->cid.FindCode(code, length))) return r;
  }
  return nullptr;
}

const CMapRange* CMapFile::FindCIDRangeByCID(const uint8_t* cid, int32_t length) const {
  for (const CMapFile* m = this; m; m = m->parent_.get()) {
    m->Index();
    if (const CMapRange* r = At(m->cidRanges_, m->indexes_->cid.FindDest(cid, length))) return r;
  }
  return nullptr;
}

const CMapBfRange* CMapFile::FindBfChar(const uint8_t* code, int32_t length) const {
  Index();
  return At(bfChars_, indexes_->bfChar.FindCode(code, length));
}

const CMapBfRange* CMapFile::FindBfCharByDest(const uint8_t* dest, int32_t length) const {
  Index();
  return At(bfChars_, indexes_->bfChar.FindDest(dest, length));
}

const CMapBfRange* CMapFile::FindBfRange(const uint8_t* code, int32_t length) const {
  Index();
  return At(bfRanges_, indexes_->bfRange.FindCode(code, length));
}

const CMapBfRange* CMapFile::FindBfRangeByDest(const uint8_t* dest, int32_t length) const {
  Index();
  return At(bfRanges_, indexes_->bfRange.FindDest(dest, length));
}

int32_t CMapFile::BfCodeLength(uint8_t lead) const {
  for (const CMapFile* m = this; m; m = m->parent_.get()) {
    m->Index();
    if (m->indexes_->oneByteCodespace[lead]) return 1;
  }
  return 2;
}

// ---------------------------------------------------------------- lookups

namespace {

// One step of a walk over codes: how many bytes the code took (none ends
// the walk) and whether a value was written for it.
struct CodeStep {
  int32_t used = 0;
  bool wrote = false;
};

// Codes to two-byte values: find(code, bytes left) answers the entry of
// the code at the front, or none; miss(code, bytes left, where its value
// goes) then says what becomes of that code.
template <class Find, class Miss>
int32_t MapCodes(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length, Find find,
                 Miss miss) {
  if (!out || !in) return 0;
  int32_t read = 0, written = 0;
  try {
    while (read < length && written + 2 <= capacity) {
      const CMapRange* r = find(in + read, length - read);
      CodeStep step{r ? r->Map(out + written, in + read) : 0, true};
      if (step.used <= 0) step = miss(in + read, length - read, out + written);
      if (step.used <= 0) break;
      if (step.wrote) written += 2;
      read += step.used;
    }
  } catch (...) {
  }
  return written;
}

// The same, ending at the first code without an entry.
template <class Find>
int32_t MapCodes(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length, Find find) {
  return MapCodes(out, capacity, in, length, find,
                  [](const uint8_t*, int32_t, uint8_t*) { return CodeStep{}; });
}

// Two-byte values back to codes: find(value) answers the entry, or none,
// which skips the value. An odd trailing byte is ignored.
template <class Find>
int32_t UnmapValues(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length, Find find) {
  if (!out || !in) return 0;
  int32_t written = 0;
  try {
    for (int32_t read = 0; read + 2 <= length; read += 2) {
      const CMapRange* r = find(in + read);
      if (!r) continue;
      if (written + r->GetCodeLength() > capacity) break;
      written += r->Unmap(out + written, in + read);
    }
  } catch (...) {
  }
  return written;
}

}  // namespace

int32_t CMapFile::CodeToCID(uint8_t* out, int32_t capacity, const uint8_t* in,
                            int32_t length) const {
  return MapCodes(out, capacity, in, length, [this](const uint8_t* code, int32_t left) {
    const CMapRange* r = FindNotdefRange(code, left);
    return r ? r : FindCIDRange(code, left);
  });
}

int32_t CMapFile::CIDToCode(uint8_t* out, int32_t capacity, const uint8_t* in,
                            int32_t length) const {
  return UnmapValues(out, capacity, in, length,
                     [this](const uint8_t* cid) { return FindCIDRangeByCID(cid, 2); });
}

const CMapRange* CMapFile::FindBfCode(const uint8_t* code, int32_t left) const {
  Index();
  const int32_t codeLength = BfCodeLength(code[0]);
  auto find = [&](int32_t n) -> const CMapRange* {
    if (left < n) return nullptr;
    const CMapRange* r = At(bfChars_, indexes_->bfChar.FindCode(code, n, n));
    return r ? r : At(bfRanges_, indexes_->bfRange.FindCode(code, n, n));
  };
  // Entries of the other length when none of the codespace's length fits:
  // some producers declare a two-byte codespace over one-byte codes.
  const CMapRange* r = find(codeLength);
  return r ? r : find(3 - codeLength);
}

int32_t CMapFile::SkipLength(const uint8_t* code, int32_t left) const {
  Index();
  const bool oneByteEntriesOnly = indexes_->oneByteBf && !indexes_->twoByteBf;
  if (BfCodeLength(code[0]) == 1) return 1;
  if (left >= 2) {
    for (const CMapFile* m = this; m; m = m->parent_.get()) {
      m->Index();
      if (m->indexes_->codespace.FindCode(code, left, 2) >= 0) return oneByteEntriesOnly ? 1 : 2;
    }
  }
  return left >= 2 && indexes_->twoByteBf ? 2 : 1;
}

int32_t CMapFile::CodeToUnicode(uint8_t* out, int32_t capacity, const uint8_t* in,
                                int32_t length) const {
  return MapCodes(out, capacity, in, length,
                  [this](const uint8_t* code, int32_t left) { return FindBfCode(code, left); });
}

int32_t CMapFile::CodeToUnicodeOrSkip(uint8_t* out, int32_t capacity, const uint8_t* in,
                                      int32_t length, int32_t* skipped) const {
  if (skipped) *skipped = 0;
  return MapCodes(
      out, capacity, in, length,
      [this](const uint8_t* code, int32_t left) { return FindBfCode(code, left); },
      [&](const uint8_t* code, int32_t left, uint8_t*) {
        if (skipped) ++*skipped;
        return CodeStep{std::min(SkipLength(code, left), left), false};
      });
}

int32_t CMapFile::UnicodeToCode(uint8_t* out, int32_t capacity, const uint8_t* in,
                                int32_t length) const {
  return UnmapValues(out, capacity, in, length, [this](const uint8_t* value) -> const CMapRange* {
    const CMapRange* r = FindBfCharByDest(value, 2);
    return r ? r : FindBfRangeByDest(value, 2);
  });
}

int32_t CMapFile::CodeToCIDOrNotdef(uint8_t* out, int32_t capacity, const uint8_t* in,
                                    int32_t length, int32_t* replaced) const {
  if (replaced) *replaced = 0;
  return MapCodes(
      out, capacity, in, length,
      [this](const uint8_t* code, int32_t left) {
        const CMapRange* r = FindNotdefRange(code, left);
        return r ? r : FindCIDRange(code, left);
      },
      [&](const uint8_t* code, int32_t left, uint8_t* value) {
        // No CID: the code's length from the codespace, CID 0 in its place.
        int32_t used = 1;
        for (const CMapFile* m = this; m && used == 1; m = m->parent_.get()) {
          m->Index();
          if (m->indexes_->codespace.FindCode(code, left, 2) >= 0) used = 2;
        }
        value[0] = 0;
        value[1] = 0;
        if (replaced) ++*replaced;
        return CodeStep{used, true};
      });
}

int32_t CMapFile::CIDToCodeRanked(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length,
                                  CodeRank rank) const {
  if (!rank) return CIDToCode(out, capacity, in, length);
  Index();
  if (!ranked_ || ranked_->rank != rank) {
    // Every code of every CID range, this CMap's first: a CID keeps the
    // first code of the lowest rank. The work is bounded, so that a CMap of
    // huge overlapping ranges falls back to the plain search.
    constexpr int64_t kMaxCodes = int64_t{1} << 22;
    auto table = std::make_unique<RankedCodes>();
    table->rank = rank;
    table->codes.assign(65536, 0);
    std::vector<int32_t> ranks(65536, 0);
    int64_t budget = kMaxCodes;
    table->complete = true;
    for (const CMapFile* m = this; m && table->complete; m = m->parent_.get()) {
      std::vector<bool> here(65536, false);
      for (const CMapRange& r : m->cidRanges_) {
        if (!r.IsUsable()) continue;
        budget -= int64_t{r.GetHigh()} - r.GetLow() + 1;
        if (budget < 0) {
          table->complete = false;
          break;
        }
        for (uint32_t code = r.GetLow(); code <= r.GetHigh(); ++code) {
          const uint32_t cid = (code - r.GetLow() + r.GetDestStart()) & 0xFFFF;
          uint32_t& slot = table->codes[cid];
          const auto entry = static_cast<uint32_t>(r.GetCodeLength()) << 16 | code;
          if (slot == 0) {
            slot = entry;
            here[cid] = true;
            ranks[cid] = -1;  // ranked when a second code comes
            continue;
          }
          if (!here[cid]) continue;  // a parent's code under this CMap's own
          if (ranks[cid] < 0) ranks[cid] = rank(slot & 0xFFFF, static_cast<int32_t>(slot >> 16));
          const int32_t other = rank(code, r.GetCodeLength());
          if (other < ranks[cid]) {
            slot = entry;
            ranks[cid] = other;
          }
        }
      }
    }
    ranked_ = std::move(table);
  }
  if (!ranked_->complete) return CIDToCode(out, capacity, in, length);
  if (!out || !in) return 0;
  int32_t written = 0;
  for (int32_t read = 0; read + 2 <= length; read += 2) {
    const uint32_t entry = ranked_->codes[static_cast<uint32_t>(in[read] << 8 | in[read + 1])];
    if (entry == 0) continue;
    const auto codeLength = static_cast<int32_t>(entry >> 16);
    if (written + codeLength > capacity) break;
    if (codeLength == 2) out[written++] = static_cast<uint8_t>(entry >> 8);
    out[written++] = static_cast<uint8_t>(entry);
  }
  return written;
}

bool CMapFile::FindNotdefCode(uint8_t* out, int32_t& length) const {
  if (!out) return false;
  // The codes of the codespace, one- and two-byte, each once however many
  // ranges hold it: counts of the ranges that open and close at each code.
  std::vector<int32_t> opens1(257, 0), opens2(65537, 0);
  for (const CMapFile* m = this; m; m = m->parent_.get()) {
    for (const CMapRange& space : m->codespaceRanges_) {
      if (!space.IsUsable()) continue;
      std::vector<int32_t>& opens = space.GetCodeLength() == 1 ? opens1 : opens2;
      ++opens[space.GetLow()];
      --opens[static_cast<size_t>(space.GetHigh()) + 1];
    }
  }
  for (int32_t n = 1; n <= 2; ++n) {
    const std::vector<int32_t>& opens = n == 1 ? opens1 : opens2;
    int32_t inside = 0;
    for (uint32_t code = 0; code + 1 < opens.size(); ++code) {
      inside += opens[code];
      if (inside <= 0) continue;
      uint8_t bytes[2];
      if (n == 2) {
        bytes[0] = static_cast<uint8_t>(code >> 8);
        bytes[1] = static_cast<uint8_t>(code);
      } else {
        bytes[0] = static_cast<uint8_t>(code);
      }
      if (FindNotdefRange(bytes, n) || FindCIDRange(bytes, n)) continue;
      std::memcpy(out, bytes, static_cast<size_t>(n));
      length = n;
      return true;
    }
  }
  return false;
}
