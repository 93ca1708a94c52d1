#pragma once
// The file-specification dictionary (Type /Filespec): names a file outside
// the document, such as the high-resolution original of an OPI proxy, and
// may carry the file itself (EF) and files related to it (RF). Loading types
// those embedded files; every other entry is carried as read.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFFileSpec : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFFileSpec() : CPDFDataStruct(kFileSpec) {}
  ~CPDFFileSpec() override = default;

  // True when Type (references resolved) is the name Filespec.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries, then types the embedded files: the F, Mac, DOS
  // and Unix streams of an EF dictionary, and the streams of the name and
  // stream pairs of the same keys in an RF dictionary. An RF array of odd
  // length, an RF stream that cannot be fetched, or a typed file that cannot
  // be stored fails the load (entries given back).
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "Filespec")

  // The embedded-file and related-file dictionaries as stored (no setters).
  PDF_GETTER(EF, CPDFDict)
  PDF_GETTER(RF, CPDFDict)

 private:
  bool TypeEmbeddedFiles(CPDFObjRegistry* doc);
  bool TypeRelatedFiles(CPDFObjRegistry* doc);
};
