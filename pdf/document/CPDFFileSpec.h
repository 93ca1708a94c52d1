#pragma once
// The file-specification dictionary (Type /Filespec): names a file outside
// the document, such as the high-resolution original of an OPI proxy. Its
// entries (embedded files included) are carried as read.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFFileSpec : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFFileSpec() : CPDFDataStruct(kFileSpec) {}
  ~CPDFFileSpec() override = default;

  // True when Type (references resolved) is the name Filespec.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Sets the document and takes over the entries.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "Filespec")
};
