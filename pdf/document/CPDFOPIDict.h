#pragma once
// Open Prepress Interface dictionaries: an outer dictionary with one entry,
// keyed by the version ("1.3" or "2.0") as a name, whose value - the
// version dictionary - names the high-resolution file that a proxy image or
// form stands for. Every other key lives in the version dictionary.
#include <cstdint>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFOPIDict : public CPDFDataStruct, public CPDFDict {
 public:
  ~CPDFOPIDict() override = default;

  // The version dictionary (resolved through the document), or none. Written
  // by hand: the key is the version's own ("1.3" or "2.0").
  virtual CPDFDict* Get_OPI(CPDFObjRef* ref = nullptr) = 0;
  virtual bool Set_OPI(CPDFDict* value, bool indirect = false, CPDFObjRef* ref = nullptr) = 0;

  // Keys of both versions, in the version dictionary (none or false when it
  // is missing). F is a string or a file specification.
  PDF_NESTED_ACCESSOR(F, Get_OPI, CPDFObject)
  PDF_NESTED_ACCESSOR(Tags, Get_OPI, CPDFArray)

  // 1 for version 1.3, 2 for version 2.0.
  int32_t GetVersionBit() const { return versionBit_; }
  const char* GetVersionName() const { return versionName_; }

  // The family factory: version 1.3 (bit 1) before 2.0 (bit 2). The first
  // version whose Check passes decides; none when its load fails or no
  // version fits. The caller owns the result.
  static CPDFOPIDict* CreateOPIDict(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_Version, "Version")
  PDF_CONST_NAME(Name_OPI, "OPI")

 protected:
  CPDFOPIDict(int32_t versionBit, const char* versionName)
      : CPDFDataStruct(kOPIDict), versionBit_(versionBit), versionName_(versionName) {}

  // The checks common to both versions on the entry under the version key:
  // a dictionary with Type /OPI, Version equal to the number, F a string or
  // a dictionary. The version dictionary, or none.
  static CPDFDict* CheckVersion(CPDFObjRegistry* doc, CPDFObject* object,
                                const CPDFName& versionKey, const CPDFNumber& version);

 private:
  int32_t versionBit_ = 0;
  const char* versionName_ = "";
};

class CPDFOPI13 : public CPDFOPIDict {
 public:
  CPDFOPI13() : CPDFOPIDict(1, "1.3") {}
  ~CPDFOPI13() override = default;

  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  CPDFDict* Get_OPI(CPDFObjRef* ref = nullptr) override;
  bool Set_OPI(CPDFDict* value, bool indirect = false, CPDFObjRef* ref = nullptr) override;

  PDF_NESTED_ACCESSOR(CropRect, Get_OPI, CPDFArray)
  PDF_NESTED_ACCESSOR(Comments, Get_OPI, CPDFString)
  PDF_NESTED_ACCESSOR(CropFixed, Get_OPI, CPDFArray)
  PDF_NESTED_ACCESSOR(ImageType, Get_OPI, CPDFArray)
  PDF_NESTED_ACCESSOR(Size, Get_OPI, CPDFArray)

  PDF_CONST_NAME(Key_Version13, "1.3")
  PDF_CONST_NAME(Key_Position, "Position")
  static const CPDFNumber& Version();
};

class CPDFOPI20 : public CPDFOPIDict {
 public:
  CPDFOPI20() : CPDFOPIDict(2, "2.0") {}
  ~CPDFOPI20() override = default;

  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  bool Load(CPDFObjRegistry* doc, CPDFDict* source);
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;

  CPDFDict* Get_OPI(CPDFObjRef* ref = nullptr) override;
  bool Set_OPI(CPDFDict* value, bool indirect = false, CPDFObjRef* ref = nullptr) override;

  PDF_NESTED_ACCESSOR(IncludedImageDimensions, Get_OPI, CPDFArray)
  // The ink kind (a name) or an array of it and name-tint pairs.
  PDF_NESTED_ACCESSOR(Inks, Get_OPI, CPDFObject)

  PDF_CONST_NAME(Key_Version20, "2.0")
  static const CPDFNumber& Version();
};
