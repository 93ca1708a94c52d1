#pragma once
// The stream of an embedded font program (the FontFile, FontFile2 and
// FontFile3 values of a font descriptor). The program itself is neither
// read nor written here: the class types the stream's length keys.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFFontFile : public CPDFDataStruct, public CPDFStream {
 public:
  CPDFFontFile() : CPDFDataStruct(kFontFile) {}
  ~CPDFFontFile() override = default;

  // A stream whose Length1 is a number read from a file.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Check for a stream reached through a descriptor's /FontFile3, whose key
  // names its class and whose program has no Length1 to give: a stream
  // whose Length1, when present, is a number read from a file.
  static bool CheckKeyed(CPDFObjRegistry* doc, CPDFObject* object);
  // Types the value under the key (/FontFile3) as a font file when it
  // passes CheckKeyed, as PDFTypeEntry does.
  static bool TypeKeyedEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                             PDFEntry rule = PDFEntry::kOptional);
  // Takes over the stream (entries and data); Length1, Length2 and Length3
  // become integers (Length1 is there whenever Check passed). False,
  // everything given back, on failure.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFFontFile* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_ACCESSOR(Length1, CPDFInt)
  PDF_ACCESSOR(Length2, CPDFInt)
  PDF_ACCESSOR(Length3, CPDFInt)
};
