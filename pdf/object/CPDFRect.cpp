#include "pdf/object/CPDFRect.h"

#include <memory>

#include "pdf/object/CPDFTypedStruct.h"

namespace pdfgeometry {

bool HasNumbers(CPDFObjRegistry* doc, CPDFObject* object, int32_t count) {
  auto* array = dynamic_cast<CPDFArray*>(object);
  if (!array || array->GetCount() != count) return false;
  for (int32_t i = 0; i < count; ++i) {
    if (!dynamic_cast<CPDFNumber*>(array->Get(doc, i))) return false;
  }
  return true;
}

bool Rebuild(CPDFArray& array, const float* values, int32_t count) {
  array.RemoveAll();
  for (int32_t i = 0; i < count; ++i) {
    if (!array.Push_Back(nullptr, std::make_unique<CPDFNumber>(values[i]))) return false;
  }
  return true;
}

}  // namespace pdfgeometry

using pdfgeometry::HasNumbers;
using pdfgeometry::Rebuild;

CPDFRect::CPDFRect() : CPDFDataStruct(kRect) {
  const float zero[4] = {0, 0, 0, 0};
  Rebuild(*this, zero, 4);
}

CPDFRect::CPDFRect(float x1, float y1, float x2, float y2) : CPDFDataStruct(kRect) {
  const float v[4] = {x1, y1, x2, y2};
  Rebuild(*this, v, 4);
}

bool CPDFRect::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return HasNumbers(doc, object, 4);
}

bool CPDFRect::Assign(CPDFObjRegistry* doc, CPDFArray* source) {
  return CPDFArray::Assign(doc, source);
}

bool CPDFRect::Load(CPDFObjRegistry* doc, CPDFArray* source) {
  return PDFLoadFrame(this, doc, source, [&] { return IsWellFormed(); });
}

bool CPDFRect::IsWellFormed() const { return HasNumbers(GetDoc(), const_cast<CPDFRect*>(this), 4); }

CPDFNumber* CPDFRect::GetNumber(int32_t index) const {
  if (GetCount() != 4) return nullptr;
  return dynamic_cast<CPDFNumber*>(const_cast<CPDFRect*>(this)->Get(GetDoc(), index));
}

double CPDFRect::Value(int32_t index) const {
  const CPDFNumber* n = GetNumber(index);
  return n ? n->GetReal() : 0.0;
}

bool CPDFRect::Set(float x1, float y1, float x2, float y2) {
  const float v[4] = {x1, y1, x2, y2};
  if (!IsWellFormed()) return Rebuild(*this, v, 4);
  for (int32_t i = 0; i < 4; ++i) GetNumber(i)->SetReal(v[i]);
  return true;
}

bool CPDFRect::Copy(const CPDFRect& source) {
  if (&source == this) return IsWellFormed();
  if (!source.IsWellFormed()) return false;
  CPDFArray fresh;
  for (int32_t i = 0; i < 4; ++i) {
    auto n = std::make_unique<CPDFNumber>();
    source.GetNumber(i)->Duplicate(n.get(), GetDoc(), source.GetDoc(), true);
    if (!fresh.Push_Back(nullptr, std::move(n))) return false;
  }
  Swap(fresh);
  return true;
}

CPDFObject* CPDFRect::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  // The copy starts empty: the made-up elements of a new one must not stay.
  return PDFClone(this, doc, sourceDoc, [&](CPDFRect* copy) {
    copy->RemoveAll();
    return Duplicate(copy, doc, sourceDoc, true);
  });
}

bool CPDFRect::Duplicate(CPDFRect* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                         bool overwrite) const {
  if (!dest) return false;
  CPDFStructBase::Duplicate(dest, doc, sourceDoc);
  return CPDFArray::Duplicate(dest, doc, sourceDoc, overwrite);
}
