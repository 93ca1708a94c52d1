#pragma once
// The font resource base: a font dictionary (/Type /Font) that is also a page
// resource of category Font. It holds what every font kind shares: the
// family factory CreateFont, the first steps of loading and creating a font
// dictionary, the keys Type, BaseFont, Encoding and ToUnicode, and the four
// text conversions of single-byte fonts (font codes to Unicode and to host
// text, and back). Host text is code page 932 (platform/HostText.h).
//
// A concrete font class (Type 1, TrueType, Type 3, ...) derives from this
// class, passes its kind bit and subtype text to the protected constructor,
// and provides:
//   static bool Check(CPDFObjRegistry*, CPDFObject*)   (calling CPDFFont::Check first)
//   bool Load(CPDFObjRegistry*, CPDFDict* source)       (PDFLoadFrame + its conversions)
//   <Class>* Clone(doc, sourceDoc) override             (return PDFClone(this, doc, sourceDoc);)
//   const CPDFName& GetNamePrefix() override
// and is listed, under its kind bit, in the member table of CreateFont
// (CPDFFont.cpp).
#include <cstdint>
#include <memory>

#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CMapFile;
class CPDFFontDesc;
class EncodingTable;

class CPDFFont : public CPDFResource, public CPDFDict {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  // The font kinds: the family bits of CreateFont.
  enum FontKind : uint32_t {
    kType1Font = 1,
    kTrueTypeFont = 2,
    kMMType1Font = 4,
    kType3Font = 8,
    kType0Font = 16,
    kCIDFont = 32,
  };

  ~CPDFFont() override = default;

  PDF_CONST_NAME(TypeName, "Font")
  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_Subtype, "Subtype")
  PDF_ACCESSOR(BaseFont, CPDFName)
  // A name, an encoding dictionary, or whatever the file holds.
  PDF_ACCESSOR(Encoding, CPDFObject)
  PDF_ACCESSOR(ToUnicode, CPDFStream)

  // The kind bit (0 in the base) and the Subtype text ("" in the base).
  uint32_t GetFontKind() const { return kind_; }
  const char* GetSubtypeText() const { return subtype_; }

  // The family factory: the font kinds in bit order (Type 1, TrueType,
  // Multiple Master, Type 3, Type 0), each only when its bit is in the mask.
  // The first whose Check accepts the object is built and loaded; none when
  // that load fails (no later kind is tried), when no kind accepts, or when
  // the typed loads nest too deep (a Type 3 font's resources can list the
  // font itself). Never throws; the caller owns the result.
  static CPDFFont* CreateFont(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  // A dictionary whose Type (resolved) is the name Font and whose BaseFont
  // is a name.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Sets the document and takes over the source's entries; nothing is
  // converted here. A concrete font's Load runs its own conversions inside
  // the same frame (PDFLoadFrame), so that a failure gives the source every
  // entry back.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // Sets the document, /Type /Font and a direct name under /BaseFont. False
  // on any failure (or no name).
  bool Create(CPDFObjRegistry* doc, const char* baseFont);

  // Stores a new name Font under /Type.
  PDF_TYPE_SETTER(Type, TypeName)

  const CPDFName& GetCategoryName() override { return CategoryName(kFont); }

  // Applies a Differences array to the table: a number (parsed, or an
  // integer) sets the current code as an unsigned byte, a name is added at
  // the current code, which then steps on (255 is followed by 0); other
  // elements are skipped, and names before the first number have no code.
  // Fewer than two elements: true, nothing changes. False when an Add fails.
  static bool ApplyDifferences(CPDFObjRegistry* doc, CPDFArray* differences, EncodingTable& table);

  // The text conversions. Each clears the document's error record, then
  // follows the first case that fits: /ToUnicode present (its CMap, parsed
  // on the first call and kept by the font for the next ones while
  // /ToUnicode stays the same stream), /Encoding absent (the font's
  // built-in encoding when BuiltInEncoding knows it, read by glyph names
  // as a named encoding is; otherwise the text is host text), a name (a
  // predefined encoding), a dictionary (BaseEncoding, else the built-in
  // encoding or StandardEncoding, and Differences), or anything else. The answer is the count
  // written (units for ToUnicode, bytes otherwise), or -1 with the record filled (when it was still
  // empty, always with a message) on failure, including an answer that would pass the capacity
  // ("output buffer too small"). Nothing is written past the capacity and no terminating 0 is
  // written.
  //
  // ToUnicode and ToHostEncoding read exactly length codes; a 0 byte is a
  // code like any other. A code that the CMap or the encoding does not map
  // is left out and the codes after it convert (the answer counts what was
  // written); a CMap destination beyond U+FFFF gives U+FFFD (see
  // CMapBfRange), and of a ligature's letters the first. Without /Encoding
  // a 0 byte is U+0000, as host text has it. Under an encoding, ToUnicode
  // reads a code by its glyph name when the name stands for a character
  // (the names of the Adobe Glyph List, in a font whose base font name says
  // it is ZapfDingbats or Dingbats those of the ZapfDingbats list too,
  // "uniXXXX", "uXXXX"; one beyond U+FFFF gives U+FFFD), and as host text
  // otherwise. ToHostEncoding under a built-in encoding reads the codes so
  // and leaves out a character the host code page cannot hold. Bytes
  // the host code page cannot read (a lead byte without its trail byte, a
  // Latin letter of another code page) are passed over and the text goes
  // on. Through a CMap, ToHostEncoding leaves out a character the host code
  // page cannot hold.
  //
  // FromUnicode and FromHostEncoding read text: a length of -1 reads up to
  // the terminating 0, and the text always ends at its first 0. FromUnicode
  // takes a surrogate pair as one character. Under an encoding it writes
  // each character as the code at which the encoding holds a glyph name of
  // it (each character of a name that stands for several: U+0394 and
  // U+2206 both as Symbol's Delta), never through host bytes
  // (FromHostEncoding under a built-in encoding reads the host text as
  // characters first); a font with neither /Encoding nor a known built-in
  // encoding takes host text. A character
  // the encoding (or the host code page) cannot hold, a lone
  // surrogate among them, is a failure whose message names it ("U+00E9 has
  // no code in the font's encoding"). Through a ToUnicode CMap a character
  // that no code maps to is left out.
  //
  // Room that always suffices: ToUnicode length units; ToHostEncoding twice
  // length bytes; FromUnicode twice the units; FromHostEncoding twice the
  // bytes.
  virtual int32_t ToUnicode(char16_t* out, int32_t capacity, const uint8_t* text, int32_t length);
  virtual int32_t ToHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                                 int32_t length);
  virtual int32_t FromUnicode(uint8_t* out, int32_t capacity, const char16_t* text,
                              int32_t length = -1);
  virtual int32_t FromHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                                   int32_t length = -1);

  // The encoding the font program itself has, when the library knows it
  // (the standard fonts, not embedded); none in the base. It serves where
  // /Encoding is absent and as the base of an encoding dictionary without
  // /BaseEncoding.
  virtual EncodingTable* BuiltInEncoding() { return nullptr; }

  // The font's descriptor; none in the base.
  virtual CPDFFontDesc* GetFontDescriptor() { return nullptr; }
  // The width of the text in thousandths of the text-space unit; 0 in the
  // base.
  virtual int32_t CalcStringWidth(const uint8_t* text, int32_t length);
  // Writes the font's widths; false in the base.
  virtual bool UpdateCharWidth() { return false; }

  // The CMap of /ToUnicode, parsed once per font (see above); throws the
  // conversions' failures ("CPDFStream::Duplicate()", "invalid ToUnicode
  // stream", the stream's own decoding error) as CPDFException.
  std::shared_ptr<const CMapFile> ParsedToUnicode(const char* method);

 protected:
  explicit CPDFFont(uint32_t kind = 0, const char* subtype = "")
      : CPDFResource(kFont), kind_(kind), subtype_(subtype ? subtype : "") {}

 private:
  uint32_t kind_ = 0;
  const char* subtype_ = "";
  // The parsed /ToUnicode CMap and the stream (and its data length) it
  // was parsed from.
  struct ParsedCMap {
    std::shared_ptr<const CMapFile> cmap;
    const CPDFStream* stream = nullptr;
    int32_t length = -1;
  };
  ParsedCMap toUnicode_;
};
