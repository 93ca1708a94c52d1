#pragma once
// Open Prepress Interface dictionaries: an outer dictionary with one entry,
// keyed by the version ("1.3" or "2.0") as a name, whose value - the
// version dictionary - names the high-resolution file that a proxy image or
// form stands for. Every other key lives in the version dictionary.
#include <cstdint>

#include "pdf/object/CPDFAccessor.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFString.h"

class CPDFOPIDict : public CPDFDataStruct, public CPDFDict {
 public:
  ~CPDFOPIDict() override = default;

  // The version dictionary (resolved through the document), or none.
  virtual CPDFDict* Get_OPI(CPDFObjRef* ref = nullptr) = 0;
  virtual bool Set_OPI(CPDFDict* value, bool indirect = false, CPDFObjRef* ref = nullptr) = 0;

  // Keys of both versions, in the version dictionary (none when it is
  // missing). F is a string or a file specification; Set_F stores a file
  // specification's dictionary.
  CPDFObject* Get_F(CPDFObjRef* ref = nullptr) { return GetInVersion<CPDFObject>(Key_F(), ref); }
  bool Set_F(CPDFDict* fileSpec, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return SetInVersion(Key_F(), fileSpec, indirect, ref);
  }
  CPDFArray* Get_Tags(CPDFObjRef* ref = nullptr) { return GetInVersion<CPDFArray>(Key_Tags(), ref); }

  // 1 for version 1.3, 2 for version 2.0.
  int32_t GetVersionBit() const { return versionBit_; }
  const char* GetVersionName() const { return versionName_; }

  // The family factory: version 1.3 (bit 1) before 2.0 (bit 2). The first
  // version whose Check passes decides; none when its load fails or no
  // version fits. The caller owns the result.
  static CPDFOPIDict* CreateOPIDict(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_Version, "Version")
  PDF_CONST_NAME(Key_F, "F")
  PDF_CONST_NAME(Key_Tags, "Tags")
  PDF_CONST_NAME(Name_OPI, "OPI")

 protected:
  CPDFOPIDict(int32_t versionBit, const char* versionName)
      : CPDFDataStruct(kOPIDict), versionBit_(versionBit), versionName_(versionName) {}

  // The checks common to both versions on the entry under the version key:
  // a dictionary with Type /OPI, Version equal to the number, F a string or
  // a dictionary. The version dictionary, or none.
  static CPDFDict* CheckVersion(CPDFObjRegistry* doc, CPDFObject* object,
                                const CPDFName& versionKey, const CPDFNumber& version);
  // SetDoc, take over the entries, then convert(version dictionary).
  template <class Convert>
  bool LoadVersion(CPDFObjRegistry* doc, CPDFDict* source, Convert convert);
  // F: a file-specification dictionary becomes a typed file specification.
  bool ConvertF(CPDFDict* version);

  // The value under the key of the version dictionary, or none.
  template <class T>
  T* GetInVersion(const CPDFName& key, CPDFObjRef* ref) {
    return PDFGetAs<T>(Get_OPI(), GetDoc(), key, ref);
  }
  template <class T>
  bool SetInVersion(const CPDFName& key, T* value, bool indirect, CPDFObjRef* ref) {
    return PDFSetAs<T>(Get_OPI(), GetDoc(), key, value, indirect, ref);
  }

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

  CPDFArray* Get_CropRect(CPDFObjRef* ref = nullptr) {
    return GetInVersion<CPDFArray>(Key_CropRect(), ref);
  }
  CPDFString* Get_Comments(CPDFObjRef* ref = nullptr) {
    return GetInVersion<CPDFString>(Key_Comments(), ref);
  }
  bool Set_Comments(CPDFString* value, bool indirect = false, CPDFObjRef* ref = nullptr) {
    return SetInVersion(Key_Comments(), value, indirect, ref);
  }
  CPDFArray* Get_CropFixed(CPDFObjRef* ref = nullptr) {
    return GetInVersion<CPDFArray>(Key_CropFixed(), ref);
  }
  CPDFArray* Get_ImageType(CPDFObjRef* ref = nullptr) {
    return GetInVersion<CPDFArray>(Key_ImageType(), ref);
  }
  CPDFArray* Get_Size(CPDFObjRef* ref = nullptr) { return GetInVersion<CPDFArray>(Key_Size(), ref); }

  PDF_CONST_NAME(Key_Version13, "1.3")
  PDF_CONST_NAME(Key_CropRect, "CropRect")
  PDF_CONST_NAME(Key_Position, "Position")
  PDF_CONST_NAME(Key_Size, "Size")
  PDF_CONST_NAME(Key_Comments, "Comments")
  PDF_CONST_NAME(Key_CropFixed, "CropFixed")
  PDF_CONST_NAME(Key_ImageType, "ImageType")
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

  CPDFArray* Get_IncludedImageDimensions(CPDFObjRef* ref = nullptr) {
    return GetInVersion<CPDFArray>(Key_IncludedImageDimensions(), ref);
  }
  CPDFObject* Get_Inks(CPDFObjRef* ref = nullptr) {
    return GetInVersion<CPDFObject>(Key_Inks(), ref);
  }

  PDF_CONST_NAME(Key_Version20, "2.0")
  PDF_CONST_NAME(Key_IncludedImageDimensions, "IncludedImageDimensions")
  PDF_CONST_NAME(Key_Inks, "Inks")
  static const CPDFNumber& Version();
};
