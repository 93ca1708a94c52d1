#pragma once
// An embedded file stream (Type /EmbeddedFile): the bytes of a file carried
// inside the document, with its parameters. The data is never interpreted.
#include "pdf/document/CPDFEmbedFileParams.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFEmbedFile : public CPDFDataStruct, public CPDFStream {
 public:
  CPDFEmbedFile() : CPDFDataStruct(kEmbeddedFile) {}
  ~CPDFEmbedFile() override = default;

  // True when Type (references resolved) is the name EmbeddedFile.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the source stream (entries, data and file extent), then types
  // a Params dictionary. False (everything given back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(TypeName, "EmbeddedFile")
  PDF_ACCESSOR(Params, CPDFEmbedFileParams)
};
