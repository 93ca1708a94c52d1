#pragma once
// The page-piece dictionary of a page or form: the private data of
// applications, each under the application's name as an application-data
// dictionary.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFPieceInfoDict : public CPDFDataStruct, public CPDFDict {
 public:
  CPDFPieceInfoDict() : CPDFDataStruct(kPieceInfo) {}
  ~CPDFPieceInfoDict() override = default;

  // Any dictionary is a page-piece dictionary.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the entries; each raw value that is an application-data
  // dictionary becomes a CPDFAppDataDict. False (entries given back) when a
  // value cannot be fetched or a typed value cannot be loaded or stored.
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);

  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
