#pragma once
// XObjects: stream resources that a content stream paints by name (/Do).
// CPDFXObject is the abstract family base (category XObject); the members
// are the image (bit 1), the form (bit 2) and the PostScript XObject (bit 4).
#include <cstdint>

#include "pdf/document/CPDFResource.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFTypedStruct.h"

class CPDFXObject : public CPDFResource, public CPDFStream {
 public:
  enum Subtype : int32_t { kNoSubtype = 0, kImage = 1, kForm = 2, kPostScript = 4 };

  ~CPDFXObject() override = default;

  int32_t GetSubtype() const { return subtype_; }
  const char* GetSubtypeName() const { return subtypeName_; }

  // True when the dictionary's Type is the name XObject.
  static bool Check(CPDFObjRegistry* doc, CPDFDict* dict);
  // Sets the document and Type /XObject; false on any failure.
  bool Create(CPDFObjRegistry* doc);
  // Sets the document and takes over the source stream's entries and data.
  bool Load(CPDFObjRegistry* doc, CPDFStream* source);
  // Copies document, dictionary and data into the destination.
  bool Duplicate(CPDFXObject* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;
  // Stores the name XObject under Type (replacing any value): a setter
  // without an argument, the value is the family's constant.
  PDF_TYPE_SETTER(Type, TypeName)

  // The family factory: the first member whose bit is in the mask and whose
  // Check accepts the object is built and loaded; none when nothing fits or
  // that load fails. The caller owns the result.
  static CPDFXObject* CreateXObject(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask);

  const CPDFName& GetCategoryName() override { return CategoryName(kXObject); }

  PDF_CONST_NAME(Key_Type, "Type")
  PDF_CONST_NAME(Key_Subtype, "Subtype")
  PDF_CONST_NAME(TypeName, "XObject")

 protected:
  CPDFXObject(int32_t subtype, const char* subtypeName)
      : CPDFResource(kXObject), subtype_(subtype), subtypeName_(subtypeName) {}

 private:
  int32_t subtype_ = kNoSubtype;
  const char* subtypeName_ = "";
};
