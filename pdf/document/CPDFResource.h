#pragma once
// The resource base: everything a page's content names (images and other
// XObjects, colour spaces, fonts, graphics states, patterns, shadings,
// property lists, procedure sets). Each concrete kind is a CPDFResource and a
// PDF object class at once (a dictionary, array, name or stream), so the same
// object is stored in a resource dictionary and asked for its category.
#include <cstdint>

#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFName.h"

class CPDFObject;
class CPDFObjRegistry;

class CPDFResource : public CPDFDataStruct {
 public:
  // Category bits; the category name is the resource dictionary's key.
  enum Category : uint32_t {
    kNoCategory = 0,
    kColorSpace = 1,
    kXObject = 2,
    kExtGState = 4,
    kFont = 8,
    kPattern = 16,
    kProcSet = 32,
    kProperties = 64,
    kShading = 128,
  };

  ~CPDFResource() override = default;

  // The PDF object that carries the resource (its dictionary, array, name or
  // stream part). The static form answers none for no resource.
  CPDFObject* GetPDFObject() { return GetObjectPart(); }
  static CPDFObject* GetPDFObject(CPDFResource* resource) {
    return resource ? resource->GetObjectPart() : nullptr;
  }
  // A copy for the document; none on failure. A concrete kind's one Clone
  // (returning its own class) serves this slot and its object part's.
  virtual CPDFResource* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) = 0;
  // The prefix of generated resource names ("Im", "CS", "F" ...).
  virtual const CPDFName& GetNamePrefix() = 0;
  // The key of the resource dictionary under which this kind is listed.
  virtual const CPDFName& GetCategoryName() = 0;

  uint32_t GetCategory() const { return category_; }

  // The name "%s%d" of the prefix and n (prefix "Im" and 3 give Im3).
  void MakeName(int32_t n, CPDFName& out);

  // The category name of a bit ("XObject" for kXObject); the empty name for
  // anything else.
  static const CPDFName& CategoryName(uint32_t category);
  // The bit of a category name; kNoCategory for a name that is none of the
  // eight.
  static uint32_t CategoryOf(const CPDFName& name);
  // The empty name: the prefix of kinds whose names are not generated.
  static const CPDFName& EmptyName();

 protected:
  CPDFResource() : CPDFDataStruct(kResource) {}
  explicit CPDFResource(uint32_t category) : CPDFDataStruct(kResource), category_(category) {}
  CPDFResource(const CPDFResource&) = default;
  CPDFResource& operator=(const CPDFResource&) = default;
  void SetCategory(uint32_t category) { category_ = category; }

 private:
  uint32_t category_ = kNoCategory;
};

// The procedure-set resource: a name such as /PDF or /ImageB listed in the
// ProcSet array of a resource dictionary.
class CPDFProcSet : public CPDFResource, public CPDFName {
 public:
  CPDFProcSet() : CPDFResource(kProcSet) {}
  explicit CPDFProcSet(const char* name) : CPDFResource(kProcSet), CPDFName(name) {}
  ~CPDFProcSet() override = default;

  // Every name is a procedure set.
  static bool Check(CPDFObjRegistry* doc, CPDFObject* object);
  // Sets the document and copies the name.
  bool Load(CPDFObjRegistry* doc, CPDFName* source);

  CPDFProcSet* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  const CPDFName& GetNamePrefix() override { return EmptyName(); }
  const CPDFName& GetCategoryName() override { return CategoryName(kProcSet); }
};

// The shared copy step of a resource's Clone: sets the destination's
// document and copies the source's dictionary (or array) part into the
// destination's with the overwrite flag. False when the copy fails.
bool CopyResource(CPDFResource* source, CPDFResource* dest, CPDFObjRegistry* doc,
                  CPDFObjRegistry* sourceDoc, bool overwrite);
