#pragma once
// The in-memory CMap: the mapping between the character codes of a
// composite or ToUnicode encoding and CIDs (or Unicode values). One reader
// serves CMap resource files in the CMap directory, the decoded data of
// embedded CMap and ToUnicode streams, and the built-in "Identity-H" and
// "Identity-V". A CMap is filled once by one of the load operations and then
// only read; a failed load leaves a partly filled object that the caller
// deletes.
//
// The program is read whole as PDF syntax: tokens are split where the
// syntax delimits them, so "<2e><32><002e>" is three tokens and "[<00AB>]"
// three, and line breaks are white space like any other, so an entry, a
// hex string or an array may run over several lines, and a line may be of
// any length.
//
// Codes and destinations are 16 bits. A range whose texts do not give 1- or
// 2-byte codes of one length, whose high code lies below its low code, or
// whose destinations leave 0..65535 is kept as an unusable entry (code
// length 0) that matches nothing.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "pdf/font/FontResourceCache.h"
#include "pdf/object/TempString.h"

class CPDFInStream;

// One code range: a codespace, notdef or CID range (or a cidchar entry, a
// CID range of one code).
class CMapRange {
 public:
  CMapRange() = default;
  // From string tokens (<hex> or (literal)) for low and high and a decimal
  // destination (none reads as 0). With destIsRange (a CID range) the
  // destination end is start + (high - low); otherwise it equals the start.
  CMapRange(const char* low, const char* high, const char* dest, bool destIsRange);
  CMapRange(uint16_t low, uint16_t high, int32_t codeLength, uint16_t destStart, bool destIsRange);
  virtual ~CMapRange() = default;

  // Whether the code at the bytes (length available) lies in low..high.
  bool ContainsCode(const uint8_t* bytes, int32_t length) const;
  // Whether the big-endian pair lies in the destination range.
  bool ContainsDest(const uint8_t* bytes, int32_t length) const;
  // Writes the two-byte destination of the code at in (which the range
  // contains); answers the code bytes consumed (0 for an unusable entry).
  int32_t Map(uint8_t* out, const uint8_t* in) const;
  // Writes the code (code length bytes) of the destination at in (two
  // bytes, contained); answers the bytes written.
  int32_t Unmap(uint8_t* out, const uint8_t* in) const;

  bool IsUsable() const { return codeLength_ != 0; }
  uint16_t GetLow() const { return low_; }
  uint16_t GetHigh() const { return high_; }
  uint16_t GetDestStart() const { return destStart_; }
  uint16_t GetDestEnd() const { return destEnd_; }
  int32_t GetCodeLength() const { return codeLength_; }

 protected:
  void Set(uint32_t low, uint32_t high, int32_t codeLength, int64_t destStart, bool destIsRange);

  uint16_t low_ = 0;
  uint16_t high_ = 0;
  uint16_t destStart_ = 0;
  uint16_t destEnd_ = 0;
  int32_t codeLength_ = 0;
};

// One bfchar or bfrange mapping. The code keeps the length of its token (1
// or 2 bytes); the destination is one UTF-16 unit, the big-endian value of
// the first two bytes of its token (a one-byte token is that byte's value;
// of a longer destination, a ligature's letters say, the first unit is
// kept). A destination beyond U+FFFF, a surrogate pair, does not fit one
// unit and reads as U+FFFD, never as half a pair; so does a lone surrogate,
// and every code of a bfrange whose first destination is one. An empty
// destination <> maps its codes to nothing: the entry is kept unusable.
class CMapBfRange : public CMapRange {
 public:
  CMapBfRange() = default;
  // bfchar: code, destination.
  CMapBfRange(const char* code, const char* dest);
  // bfrange: low, high, first destination.
  CMapBfRange(const char* low, const char* high, const char* dest);
  // bfchar from values: a code of 1 or 2 bytes and its destination.
  CMapBfRange(uint16_t code, int32_t codeLength, uint16_t dest);
};

class CMapFile : public FontCacheItem {
 public:
  // Limits on outside data.
  static constexpr int32_t kMaxDataSize = 16 * 1024 * 1024;  // a file or a decoded stream
  static constexpr int32_t kMaxChain = 8;                    // CMaps in one usecmap chain
  static constexpr int32_t kMaxReserve = 10000;              // a section count reserves at most
  static constexpr int32_t kMaxNameLength = 255;             // bytes of a CMap name

  CMapFile();
  ~CMapFile() override;
  CMapFile(const CMapFile&) = delete;
  CMapFile& operator=(const CMapFile&) = delete;

  // By name: the file of that name in the CMap directory (when one is set),
  // else the built-in CMaps. A name that could leave the directory (empty,
  // longer than kMaxNameLength, holding '/' or '\\', or starting with '.')
  // skips the file step.
  bool Load(const char* name);
  // "Identity-H" or "Identity-V" (exact); false for any other name.
  bool LoadPredefined(const char* name);
  // A regular file of at most kMaxDataSize bytes; the header line is
  // required unless stream is set.
  bool LoadFile(const char* path, bool stream);
  // Decoded bytes (at most kMaxDataSize).
  bool LoadStream(const char* data, int32_t length, bool stream);
  // The reader, over the rest of the input. False on a missing header
  // (files: the first line must be exactly "%!PS-Adobe-3.0 Resource-CMap";
  // a stream may have it or not), data that does not parse (a string or hex
  // string left open at the end), data over the size limit or a usecmap
  // that cannot be loaded. A failed allocation throws; the load operations
  // catch it.
  bool Parse(CPDFInStream& in, bool stream);
  // Loads the CMap named by usecmap as the parent. False when the name is
  // already in the chain of CMaps being loaded, when the chain would hold
  // more than kMaxChain CMaps, or when the load fails.
  bool LoadUseCMap();

  // Builders. The counts only reserve room (negative ones are ignored,
  // large ones capped at kMaxReserve).
  void ReserveCodespaceRanges(int32_t n);
  void ReserveNotdefRanges(int32_t n);
  void ReserveCIDRanges(int32_t n);
  void ReserveBfChars(int32_t n);
  void ReserveBfRanges(int32_t n);
  void AddCodespaceRange(const char* low, const char* high);
  void AddCodespaceRange(uint16_t low, uint16_t high, int32_t codeLength);
  void AddNotdefRange(const char* low, const char* high, const char* cid);
  void AddCIDRange(const char* low, const char* high, const char* cid);
  void AddCIDRange(uint16_t low, uint16_t high, int32_t codeLength, uint16_t firstCID);
  void AddBfChar(const char* code, const char* dest);
  void AddBfRange(const char* low, const char* high, const char* dest);
  // A bfrange with an array of destinations, one per code from low up
  // (codes beyond the array, and codes whose destination is <>, are left
  // out): kept as bfchar entries.
  void AddBfRangeArray(const char* low, const char* high, const char* const* dests, int32_t count);

  // Lookups. Each writes at most capacity bytes and answers the bytes
  // written; never throws.
  // Codes to two-byte CIDs (notdef ranges first, then CID ranges, each up
  // the usecmap chain); stops at a code that no range covers.
  int32_t CodeToCID(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length) const;
  // Two-byte CIDs to codes of 1 or 2 bytes (CID ranges only); skips a CID
  // that no range covers and an odd trailing byte.
  int32_t CIDToCode(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length) const;
  // As CodeToCID, but a code that no range covers becomes CID 0 and the walk
  // goes on: its length is that of the codespace range holding it (the
  // longer when two do; 1 byte when none does). *replaced (when given) gets
  // the number of codes so replaced.
  int32_t CodeToCIDOrNotdef(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length,
                            int32_t* replaced) const;
  // A rank of a code (lower is preferred) for CIDToCodeRanked.
  using CodeRank = int32_t (*)(uint32_t code, int32_t codeLength);
  // As CIDToCode, but where several codes map to one CID the code of the
  // lowest rank is taken (the first in file order among equal ranks; this
  // CMap's entries before its usecmap parent's). The choice for every CID
  // is made once per rank function and kept.
  int32_t CIDToCodeRanked(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length,
                          CodeRank rank) const;
  // A code inside the codespace that no notdef or CID range covers, which a
  // reader therefore shows as CID 0; false when there is none.
  bool FindNotdefCode(uint8_t* out, int32_t& length) const;
  // Codes to two-byte Unicode values through bfchar, then bfrange entries.
  // The code length comes from the codespace ranges: 1 when a one-byte
  // range holds the leading byte, else 2; when no entry of that length
  // covers the code, entries of the other length are tried (a two-byte
  // codespace declared over one-byte codes). Stops at an uncovered code.
  int32_t CodeToUnicode(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length) const;
  // As CodeToUnicode, but a code that no entry covers is passed over and the
  // walk goes on. Its length is that of the codespace range holding it (1
  // when a one-byte range holds the leading byte; else 2 when a two-byte
  // range holds the pair, unless every bf entry is of one byte); a code that
  // no codespace range holds is as long as the entries (2 when there are
  // two-byte entries, else 1). *skipped (when given) gets the number of
  // codes so passed over.
  int32_t CodeToUnicodeOrSkip(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length,
                              int32_t* skipped) const;
  // Two-byte values back to codes; skips uncovered values and an odd
  // trailing byte.
  int32_t UnicodeToCode(uint8_t* out, int32_t capacity, const uint8_t* in, int32_t length) const;

  // Searches: the first entry in insertion order that contains the value.
  // The notdef and CID-range searches continue up the usecmap chain when no
  // entry of this CMap contains it; the bf searches look here only.
  const CMapRange* FindNotdefRange(const uint8_t* code, int32_t length) const;
  const CMapRange* FindCIDRange(const uint8_t* code, int32_t length) const;
  const CMapRange* FindCIDRangeByCID(const uint8_t* cid, int32_t length) const;
  const CMapBfRange* FindBfChar(const uint8_t* code, int32_t length) const;
  const CMapBfRange* FindBfCharByDest(const uint8_t* dest, int32_t length) const;
  const CMapBfRange* FindBfRange(const uint8_t* code, int32_t length) const;
  const CMapBfRange* FindBfRangeByDest(const uint8_t* dest, int32_t length) const;

  const TempString& GetCMapName() const { return cmapName_; }
  const TempString& GetRegistry() const { return registry_; }
  const TempString& GetOrdering() const { return ordering_; }
  int32_t GetSupplement() const { return supplement_; }
  int32_t GetCMapVersion() const { return cmapVersion_; }
  int32_t GetCMapMode() const { return cmapMode_; }
  int32_t GetWMode() const { return wmode_; }
  const TempString& GetUseCMapName() const { return useCMapName_; }
  const CMapFile* GetParent() const { return parent_.get(); }
  int32_t GetCodespaceRangeCount() const { return Count(codespaceRanges_); }
  int32_t GetNotdefRangeCount() const { return Count(notdefRanges_); }
  int32_t GetCIDRangeCount() const { return Count(cidRanges_); }
  int32_t GetBfCharCount() const { return Count(bfChars_); }
  int32_t GetBfRangeCount() const { return Count(bfRanges_); }

  // Whether the name may be joined to the CMap directory.
  static bool IsSafeName(const char* name);

 private:
  // The CMaps being loaded above this one (usecmap chain), innermost first.
  struct Chain {
    std::string loadName;
    std::string cmapName;
    const Chain* outer = nullptr;
    int32_t depth = 1;  // CMaps from the outermost to this one
  };

  template <class T>
  static int32_t Count(const std::vector<T>& list) {
    return static_cast<int32_t>(list.size());
  }
  template <class T>
  static void Reserve(std::vector<T>& list, int32_t n);

  void Reset();
  bool ParseProgram(const char* data, size_t size, bool stream);
  void ParseTitle(std::string_view rest);
  // The code length CodeToUnicode takes for the leading byte.
  int32_t BfCodeLength(uint8_t lead) const;
  // The bf entry of the code at the front (left bytes available), or none.
  const CMapRange* FindBfCode(const uint8_t* code, int32_t left) const;
  // How many bytes CodeToUnicodeOrSkip passes over for an uncovered code.
  int32_t SkipLength(const uint8_t* code, int32_t left) const;
  // Builds the search indexes of lists that changed since the last build.
  void Index() const;

  TempString cmapName_;
  TempString registry_;
  TempString ordering_;
  int32_t supplement_ = 0;
  int32_t cmapVersion_ = 0;
  int32_t cmapMode_ = 0;
  int32_t wmode_ = 0;
  TempString useCMapName_;
  std::unique_ptr<CMapFile> parent_;
  std::vector<CMapRange> codespaceRanges_;
  std::vector<CMapRange> notdefRanges_;
  std::vector<CMapRange> cidRanges_;
  std::vector<CMapBfRange> bfChars_;
  std::vector<CMapBfRange> bfRanges_;

  // Search indexes, rebuilt on the first search after a change.
  struct Indexes;
  std::unique_ptr<Indexes> indexes_;
  // The codes CIDToCodeRanked chose, by CID.
  struct RankedCodes;
  mutable std::unique_ptr<RankedCodes> ranked_;

  // The name Load was given, and the chain of CMaps being loaded.
  std::string loadName_;
  const Chain* chain_ = nullptr;
};
