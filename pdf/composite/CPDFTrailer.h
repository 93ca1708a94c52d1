#pragma once
// The trailer section of one revision: the trailer dictionary (Size, Root,
// Info, Encrypt, Prev and whatever a previous trailer carried) and the
// offset of the revision's cross-reference table.
#include <cstdint>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFTrailer : public CPDFFileStruct, public CPDFDict {
 public:
  CPDFTrailer() : CPDFFileStruct(kTrailer) {}
  ~CPDFTrailer() override = default;

  using CPDFFileStruct::GetDoc;

  PDF_ACCESSOR(Size, CPDFNumber)
  PDF_ACCESSOR(Prev, CPDFNumber)
  // The catalog of a PDF, the FDF catalog of an FDF.
  PDF_ACCESSOR(Root, CPDFDict)
  PDF_ACCESSOR(Info, CPDFDict)
  PDF_ACCESSOR(Encrypt, CPDFDict)

  // For an FDF: a new FDF catalog as Root, nothing else. For a PDF with a
  // previous trailer: its keys (references as references to the same
  // objects, direct values cloned) and Prev = its startxref offset. For a
  // new PDF: Size 1 and a new catalog as Root (its page-tree root gets
  // number 1, the catalog number 2). A failed step leaves nothing behind.
  bool Create(CPDFObjRegistry* doc, const CPDFTrailer* previous);
  // "trailer", the dictionary, "startxref" and the offset when the document
  // writes a cross-reference table, then "%%EOF".
  void Serialize(CPDFOutStream& out) override;

  int32_t GetStartXRef() const { return startXRef_; }
  void SetStartXRef(int32_t offset) { startXRef_ = offset; }

 private:
  int32_t startXRef_ = 0;
};
