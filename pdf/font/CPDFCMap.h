#pragma once
// An embedded CMap stream: its dictionary keys. The CMap program inside the
// stream is read by CMapFile.
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFCMap : public CPDFDataStruct, public CPDFStream {
 public:
  // Loads of this class count against the nesting limit (CPDFLoadDepth).
  static constexpr bool kNestedLoad = true;
  CPDFCMap() : CPDFDataStruct(kCMap) {}
  ~CPDFCMap() override = default;

  PDF_CONST_NAME(TypeName, "CMap")

  // Type /CMap, CMapName a name, CIDSystemInfo an array or a dictionary.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Takes over the stream (entries and data). CIDSystemInfo is required
  // (a dictionary becomes a CPDFCIDSysInfo, an array stays); WMode becomes
  // an integer; a UseCMap stream becomes a CPDFCMap (a name stays), unless
  // the typed loads are already nested too deep. False (everything given
  // back) on failure.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_CMapName, "CMapName")
  // A CPDFCIDSysInfo or an array.
  PDF_ACCESSOR(CIDSystemInfo, CPDFObject)
  PDF_ACCESSOR(WMode, CPDFInt)
  // A name or a CPDFCMap.
  PDF_ACCESSOR(UseCMap, CPDFObject)
};
