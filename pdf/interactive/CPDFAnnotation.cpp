#include "pdf/interactive/CPDFAnnotation.h"

#include "pdf/interactive/CPDFAnnotTypes.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFString.h"

namespace {
bool IsFDF(CPDFObjRegistry* doc) { return doc && doc->IsFDF(); }
}  // namespace

CPDFAnnotation* CPDFAnnotation::CreateAnnotation(CPDFObjRegistry* doc, CPDFDict* dict,
                                                 int32_t mask) {
  static constexpr CPDFFamilyMember<CPDFAnnotation> kMembers[] = {
      MakeFamilyMember<CPDFAnnotation, CPDFTextAnnot, CPDFDict>(CPDFTextAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFLinkAnnot, CPDFDict>(CPDFLinkAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFMovieAnnot, CPDFDict>(CPDFMovieAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFSoundAnnot, CPDFDict>(CPDFSoundAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFFreeTextAnnot, CPDFDict>(CPDFFreeTextAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFStampAnnot, CPDFDict>(CPDFStampAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFLineAnnot, CPDFDict>(CPDFLineAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFSquareAnnot, CPDFDict>(CPDFSquareAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFCircleAnnot, CPDFDict>(CPDFCircleAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFStrikeOutAnnot, CPDFDict>(CPDFStrikeOutAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFHighlightAnnot, CPDFDict>(CPDFHighlightAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFUnderlineAnnot, CPDFDict>(CPDFUnderlineAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFInkAnnot, CPDFDict>(CPDFInkAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFFileAttachAnnot, CPDFDict>(CPDFFileAttachAnnot::kBit),
      MakeFamilyMember<CPDFAnnotation, CPDFPopupAnnot, CPDFDict>(CPDFPopupAnnot::kBit),
  };
  if (!dict) return nullptr;
  bool tried = false;
  CPDFAnnotation* made = CreateFamilyMember<kMembers>(doc, dict, mask, &tried);
  // A subtype that accepted the dictionary and failed to load ends the
  // search: the dictionary is an annotation of that subtype, not a field.
  if (made || tried) return made;
  return CPDFField::CreateField(doc, dict, -1);
}

bool CPDFAnnotation::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  auto* type = PDFGetAs<CPDFName>(dict, doc, Key_Type());
  if (!type || !type->IsEqual(TypeName())) return false;
  if (!PDFGetAs<CPDFArray>(dict, doc, Key_Rect())) return false;
  if (CPDFObject* page = dict->Get(doc, Key_Page())) return page->IsType(kAnyNumber);
  return !IsFDF(doc);
}

bool CPDFAnnotation::CheckSubtype(CPDFObjRegistry* doc, CPDFDict* dict, const CPDFName& subtype,
                                  const char* key, int32_t types) {
  if (!Check(doc, dict)) return false;
  auto* value = PDFGetAs<CPDFName>(dict, doc, Key_Subtype());
  if (!value || !value->IsEqual(subtype)) return false;
  const PDFRequiredKey required[] = {{key, types}};
  return PDFHasRequired(dict, doc, required);
}

bool CPDFAnnotation::LoadEntries(CPDFObjRegistry* doc) {
  const PDFEntry page = IsFDF(doc) ? PDFEntry::kRequired : PDFEntry::kOptional;
  return PDFTypeEntry<CPDFRect>(this, doc, Key_Rect(), PDFEntry::kRequired) &&
         PDFTypeEntry<CPDFText>(this, doc, Key_T()) && PDFTypeEntry<CPDFDate>(this, doc, Key_M()) &&
         PDFTypeEntry<CPDFInt>(this, doc, Key_F()) &&
         PDFTypeEntry<CPDFBorderStyle>(this, doc, Key_BS()) &&
         PDFTypeEntry<CPDFAddActDict>(this, doc, Key_AA()) &&
         PDFTypeEntry<CPDFAppearDict>(this, doc, Key_AP()) &&
         PDFTypeEntry<CPDFText>(this, doc, Key_Contents()) &&
         PDFTypeEntry<CPDFInt>(this, doc, Key_Page(), page);
}

bool CPDFAnnotation::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] { return LoadEntries(doc); });
}

bool CPDFAnnotation::Duplicate(CPDFAnnotation* dest, CPDFObjRegistry* doc,
                               CPDFObjRegistry* sourceDoc) {
  try {
    return dest && CPDFStructBase::Duplicate(dest, doc, sourceDoc) &&
           CPDFDict::Duplicate(dest, doc, sourceDoc, false);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFAnnotation", "Duplicate");
  }
}

bool CPDFPopupAnnot::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  return CheckSubtype(doc, dict, SubtypeValue());
}

CPDFObject* CPDFPopupAnnot::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc,
                  [&](CPDFPopupAnnot* copy) { return Duplicate(copy, doc, sourceDoc); });
}
