#pragma once
// The composite font (/Subtype /Type0): an encoding CMap (a CMap name or an
// embedded CMap stream) turns the bytes of a string into CIDs, and the
// descendant CIDFont gives their widths. Text is converted between the
// font's codes, Unicode and host text through three CMaps: the encoding
// CMap, UniJIS-UCS2-H/-V and 90ms-RKSJ-H/-V (read from the CMap
// directory), with the Adobe-Japan1 substitution between them.
#include <cstdint>

#include "pdf/font/CPDFCIDFont.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFType0Font : public CPDFFont {
 public:
  CPDFType0Font() : CPDFFont(kType0Font, "Type0") {}
  ~CPDFType0Font() override = default;

  PDF_CONST_NAME(SubtypeName, "Type0")

  // The font check, /Subtype /Type0, DescendantFonts an array and Encoding
  // a name or a stream.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries. DescendantFonts is required and each of its
  // elements must resolve; a dictionary read from a file becomes a CID font
  // when one accepts it (else it stays). An Encoding stream read from a
  // file that passes the CMap check becomes a CPDFCMap. False, every entry
  // given back, on failure.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // A new composite font of the document: /Type, /BaseFont and /Subtype
  // Type0. The caller adds /Encoding and /DescendantFonts.
  bool Create(CPDFObjRegistry* doc, const char* baseFont);
  // Stores a new name Type0 under /Subtype.
  PDF_TYPE_SETTER(Subtype, SubtypeName)
  CPDFType0Font* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override;

  PDF_ACCESSOR(DescendantFonts, CPDFArray)

  // The first descendant as a CID font; none when absent or left a plain
  // dictionary.
  CPDFCIDFont* GetDescendantFont();
  CPDFFontDesc* GetFontDescriptor() override;

  // The conversions (see CPDFFont). A font with /ToUnicode converts as the
  // base does; otherwise through the CMaps. The caller's text is never
  // changed.
  //
  // ToUnicode: where several Unicode values map to one CID, the one a
  // reader expects comes back: a character of the host encoding before
  // others, and never a Kangxi radical, a CJK radicals supplement character
  // or a compatibility ideograph while an ordinary one maps there too. A
  // code that a vertical CMap gives a vertical form of its own reads as its
  // horizontal form; a CID that the substitution folds to CID 0 (a vertical
  // form, a later supplement's character) reads as the Unicode CMap names
  // it; a CID no Unicode value names reads as the CMap that the encoding
  // builds on (usecmap) reads the code.
  //
  // ToHostEncoding: a CID the host CMap has no code for (a vertical form or
  // a character Shift-JIS CMaps lack) gives its character's code in the
  // host code page, when that has it, and is left out otherwise.
  //
  // Through a Unicode encoding CMap (UCS-2 or UTF-16) a character is its
  // own code: FromUnicode and FromHostEncoding write the character's code
  // wherever the encoding maps it (the ideograph, not the Kangxi radical of
  // the same CID), and ToUnicode and ToHostEncoding read such a code as
  // that character.
  //
  // The Adobe-Japan1 substitution never turns a character into another one
  // that only looks alike (the paired arrows into single arrows, the small
  // kana into full-size ones): such CIDs are read and written as they are.
  //
  // FromUnicode takes a surrogate pair as one character; one beyond U+FFFF
  // (which the Unicode CMaps cannot read) and a lone surrogate are replaced
  // once each, as below.
  //
  // FromUnicode and FromHostEncoding: a character whose CID the encoding
  // CMap has no code for is written through its substitute CID (the
  // proportional and half-width forms, a NEC duplicate's original) and, in
  // vertical writing, through its horizontal CID, whose code a reader then
  // draws vertically. In vertical writing, when the code of the
  // character's horizontal CID is one the vertical CMap gives a vertical
  // form of its own, that code is written, so that it reads back as the
  // character. A character that has no CID (the user-defined host codes
  // F040-F9FC, say) or no code at all does not end the conversion:
  // it becomes CID 0 (.notdef), written as the encoding CMap's code for it,
  // and the rest of the text follows. GetReplacedCount tells how many
  // characters the last of these two calls replaced so.
  //
  // A character is written only as a code that stands for it, and is
  // replaced and counted otherwise, never written as another character's
  // code: through a Unicode encoding only as its own code (so U+22EE, which
  // UniJIS-UTF16-H lacks, is not written as U+2026, whose CID it shares);
  // through any other encoding as a code that reads back as the character,
  // or whose CID is one the Unicode CMap (for host text, the host CMap)
  // gives the character, the proportional and half-width forms of a Roman
  // character counting as one. A CID that the substitution only folds onto
  // another character's (the vertical ellipsis onto the horizontal one, the
  // vertical dashes onto the bar and the hyphen) is no such code; a vertical
  // presentation form (U+FE30 and on) may be written as the code of the
  // character it stands for in horizontal text, or of that character's
  // full-width form.
  int32_t ToUnicode(char16_t* out, int32_t capacity, const uint8_t* text, int32_t length) override;
  int32_t ToHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                         int32_t length) override;
  int32_t FromUnicode(uint8_t* out, int32_t capacity, const char16_t* text,
                      int32_t length = -1) override;
  int32_t FromHostEncoding(uint8_t* out, int32_t capacity, const uint8_t* text,
                           int32_t length = -1) override;

  // The characters the last FromUnicode or FromHostEncoding replaced by
  // CID 0 (0 after a call through /ToUnicode).
  int32_t GetReplacedCount() const { return replaced_; }

  // The text's CIDs (through the encoding CMap) measured by the descendant.
  int32_t CalcStringWidth(const uint8_t* text, int32_t length) override;
  // Runs UpdateCharWidth on every descendant (each must be a CID font).
  bool UpdateCharWidth() override;

  // The Adobe-Japan1 substitutions on big-endian CID pairs, in the buffer
  // given (an odd trailing byte is left alone). NormalizeCID maps the
  // proportional CIDs 231-324 and 631 to 1-95, and the CIDs 7887-8101 and
  // 8264-8358 through their tables; DenormalizeCID maps 1-95 back and uses
  // the same tables.
  static void NormalizeCID(uint8_t* cids, int32_t length);
  static void DenormalizeCID(uint8_t* cids, int32_t length);
  // The sizes of the two substitution tables.
  static int32_t SubstitutionTableSize(int32_t table);

 private:
  int32_t replaced_ = 0;
};
