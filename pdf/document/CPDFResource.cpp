#include "pdf/document/CPDFResource.h"

#include "pdf/object/CPDFTypedStruct.h"

namespace {

struct CategoryEntry {
  uint32_t bit;
  const char* name;
};

constexpr CategoryEntry kCategories[] = {
    {CPDFResource::kColorSpace, "ColorSpace"}, {CPDFResource::kXObject, "XObject"},
    {CPDFResource::kExtGState, "ExtGState"},   {CPDFResource::kFont, "Font"},
    {CPDFResource::kPattern, "Pattern"},       {CPDFResource::kProcSet, "ProcSet"},
    {CPDFResource::kProperties, "Properties"}, {CPDFResource::kShading, "Shading"},
};

}  // namespace

void CPDFResource::MakeName(int32_t n, CPDFName& out) {
  out.Format("%s%d", GetNamePrefix().c_str(), static_cast<int>(n));
}

const CPDFName& CPDFResource::CategoryName(uint32_t category) {
  // Built on first use, one name per category.
  static const CPDFName names[] = {"ColorSpace", "XObject", "ExtGState",  "Font",
                                   "Pattern",    "ProcSet", "Properties", "Shading"};
  for (size_t i = 0; i < sizeof kCategories / sizeof kCategories[0]; ++i) {
    if (kCategories[i].bit == category) return names[i];
  }
  return EmptyName();
}

uint32_t CPDFResource::CategoryOf(const CPDFName& name) {
  for (const auto& entry : kCategories) {
    if (name.IsEqual(entry.name)) return entry.bit;
  }
  return kNoCategory;
}

const CPDFName& CPDFResource::EmptyName() {
  static const CPDFName name;
  return name;
}

bool CPDFProcSet::Check(CPDFObjRegistry*, CPDFObject*) { return true; }

bool CPDFProcSet::Load(CPDFObjRegistry* doc, CPDFName* source) {
  if (!source) return false;
  SetDoc(doc);
  return TempString::Assign(*source);
}

CPDFProcSet* CPDFProcSet::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc, [&](CPDFProcSet* copy) {
    copy->SetDoc(doc);
    return copy->TempString::Assign(*this);
  });
}

bool CopyResource(CPDFResource* source, CPDFResource* dest, CPDFObjRegistry* doc,
                  CPDFObjRegistry* sourceDoc, bool overwrite) {
  return CopyDataStruct(source, dest, doc, sourceDoc, overwrite);
}
