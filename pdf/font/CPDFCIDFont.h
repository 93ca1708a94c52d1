#pragma once
// The CIDFont dictionary: the descendant of a composite (Type 0) font. It
// holds the character collection (CIDSystemInfo), the font descriptor and
// the glyph widths by CID (DW and W). Two members: CPDFType0CIDFont
// (/Subtype /CIDFontType0) and CPDFType2CIDFont (/CIDFontType2).
#include <cstdint>

#include "pdf/font/CPDFCIDSysInfo.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/font/CPDFFontDesc.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFCIDFont : public CPDFFont {
 public:
  // The member bits of CreateCIDFont.
  enum CIDKind : int32_t { kType0CID = 1, kType2CID = 2 };

  ~CPDFCIDFont() override = default;

  // The family factory: CIDFontType0 (bit 1), then CIDFontType2 (bit 2),
  // each only when its bit is in the mask. None when no member accepts the
  // object, when its load fails, or when the typed loads nest too deep.
  static CPDFCIDFont* CreateCIDFont(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  // The font check, and CIDSystemInfo and FontDescriptor present and
  // dictionaries (references resolved).
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries. CIDSystemInfo and FontDescriptor are required;
  // when read from a file each must pass its class's Check and becomes
  // typed. DW becomes an integer; every number of W and W2 (also inside
  // their arrays) and of DW2 becomes an integer. False, every entry given
  // back, on any failure (an element that cannot be fetched among them).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  // A new CID font of the document: /Type, /BaseFont and the member's
  // /Subtype (CIDFontType0 or CIDFontType2). The caller adds CIDSystemInfo
  // and FontDescriptor, which the font requires.
  bool Create(CPDFObjRegistry* doc, const char* baseFont);

  // 0 in the base, 1 for CIDFontType0, 2 for CIDFontType2, and its name.
  int32_t GetCIDKind() const { return cidKind_; }
  const char* GetCIDKindName() const { return cidKindName_; }

  const CPDFName& GetNamePrefix() override { return EmptyName(); }

  PDF_CONST_NAME(SubtypeType0, "CIDFontType0")
  PDF_CONST_NAME(SubtypeType2, "CIDFontType2")
  PDF_ACCESSOR(CIDSystemInfo, CPDFCIDSysInfo)
  PDF_ACCESSOR(FontDescriptor, CPDFFontDesc)
  PDF_ACCESSOR(DW, CPDFNumber, CPDFInt)
  PDF_ACCESSOR(W, CPDFArray)
  PDF_GETTER(DW2, CPDFArray)
  PDF_GETTER(W2, CPDFArray)

  CPDFFontDesc* GetFontDescriptor() override { return Get_FontDescriptor(); }

  // The width of the CIDs (big-endian pairs; an odd trailing byte is
  // ignored) in thousandths of the text-space unit: each CID at its width
  // from W, or at DW (1000 when absent) when W does not cover it. Entries
  // of W are taken in order: a CID below an entry's start is paid at DW
  // when that entry is reached. -1 on a malformed W, with ("CPDFCIDFont",
  // "CalcStringWidth", 5) recorded when the record is empty.
  int32_t CalcStringWidth(const uint8_t* cids, int32_t length) override;

 protected:
  CPDFCIDFont(int32_t cidKind, const char* cidKindName)
      : CPDFFont(kCIDFont, "CID"), cidKind_(cidKind), cidKindName_(cidKindName) {}

  // W emptied in place (its reference reported as changed when it is an
  // indirect object) or a new direct empty array. None on failure.
  CPDFArray* ResetW();

 private:
  int32_t cidKind_ = 0;
  const char* cidKindName_ = "";
};

class CPDFType0CIDFont : public CPDFCIDFont {
 public:
  CPDFType0CIDFont() : CPDFCIDFont(kType0CID, "Type0") {}

  // The CID font check and /Subtype /CIDFontType0.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  CPDFType0CIDFont* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // Writes DW (1000 when absent) and W from the CID-keyed metrics of
  // BaseFont: successive CIDs of equal width other than DW become c1 c2 w,
  // other runs c [w ...]; CIDs at DW get no entry, and a gap in the CIDs
  // ends a run. False, nothing changed, when BaseFont or its CID metrics
  // are missing; false after a failed store.
  bool UpdateCharWidth() override;
};

class CPDFType2CIDFont : public CPDFCIDFont {
 public:
  CPDFType2CIDFont() : CPDFCIDFont(kType2CID, "Type2") {}

  // The CID font check and /Subtype /CIDFontType2.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  CPDFType2CIDFont* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  // W becomes [1 632 500] and DW is left alone.
  bool UpdateCharWidth() override;
};
