#include "pdf/object/CPDFGraphObjs.h"

#include <iterator>
#include <memory>
#include <new>

#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFExternalOperator.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFPageDescOp.h"
#include "pdf/object/CPDFTextOperator.h"

// ---- CPDFGraphOperator --------------------------------------------------

CPDFObject* CPDFGraphOperator::GetOperand(int32_t slot) const {
  return slot >= 0 && slot < kSlots ? operands_[slot] : nullptr;
}

void CPDFGraphOperator::Reset() {
  for (auto& operand : operands_) {
    delete operand;
    operand = nullptr;
  }
  bytes_.Clear();
  operator_ = -1;
}

void CPDFGraphOperator::Replace(int32_t kind, std::unique_ptr<CPDFObject>* operands,
                                int32_t count) {
  // An operand handed in again must survive the deletion of the old ones.
  for (int32_t i = 0; i < count; ++i) {
    for (auto& old : operands_) {
      if (old && old == operands[i].get()) old = nullptr;
    }
  }
  Reset();
  operator_ = kind;
  for (int32_t i = 0; i < count; ++i) {
    if (i < kSlots) {
      operands_[i] = operands[i].release();
    } else {
      operands[i].reset();
    }
  }
}

void CPDFGraphOperator::ReplaceNumbers(int32_t kind, std::initializer_list<float> values) {
  std::unique_ptr<CPDFObject> owned[kSlots];
  int32_t count = 0;
  for (float value : values) {
    if (count == kSlots) break;
    owned[count++] = std::make_unique<CPDFNumber>(value);
  }
  Replace(kind, owned, count);
}

void CPDFGraphOperator::ReplaceBytes(int32_t kind, const char* bytes, int32_t length) {
  TempString copy;
  if (bytes && length > 0 && !copy.Assign(bytes, length)) throw std::bad_alloc();
  Replace(kind, nullptr, 0);
  bytes_.Swap(copy);
}

void CPDFGraphOperator::Set(int32_t kind, std::initializer_list<CPDFObject*> operands) {
  std::unique_ptr<CPDFObject> owned[kSlots];
  int32_t count = 0;
  for (CPDFObject* operand : operands) {
    if (count < kSlots) {
      owned[count++].reset(operand);
    } else if (operand) {
      bool held = false;  // the same object twice must not be deleted twice
      for (auto& o : owned) held = held || o.get() == operand;
      if (!held) delete operand;
    }
  }
  Replace(kind, owned, count);
}

bool CPDFGraphOperator::WriteOperand(CPDFOutStream& out, int32_t slot) const {
  CPDFObject* operand = GetOperand(slot);
  if (!operand) return false;
  operand->Write(out, nullptr);
  out.WriteByte(' ');
  return true;
}

void CPDFGraphOperator::WriteOperands(CPDFOutStream& out, int32_t count,
                                      const char* keyword) const {
  for (int32_t slot = 0; slot < count && WriteOperand(out, slot); ++slot) {
  }
  out.WriteText(keyword);
}

uint32_t CPDFGraphOperator::CategoryOf(int32_t kind, std::initializer_list<CategoryRange> ranges) {
  if (kind < 0) return 0;
  for (const CategoryRange& range : ranges) {
    if (kind <= range.lastKind) return range.category;
  }
  return 0;
}

bool CPDFGraphOperator::GetFlag(int32_t slot) const {
  auto* flag = dynamic_cast<CPDFBool*>(GetOperand(slot));
  return flag && flag->GetValue();
}

// ---- CPDFGraphObjList ---------------------------------------------------

CPDFGraphObj* CPDFGraphObjList::Append(CPDFGraphObj* element) {
  if (!element) return nullptr;
  std::unique_ptr<CPDFGraphObj> owned(element);
  // Linked at the head end, so the visit runs in the order of appending.
  list_.Push_Head(owned.get());
  return owned.release();
}

void CPDFGraphObjList::Write(CPDFOutStream& out) const {
  bool first = true;
  for (Iterator it = list_.Begin(); !it.IsEnd(); it.Advance()) {
    CPDFGraphObj* element = *it.GetValue();
    if (!element) continue;
    if (!first) out.WriteByte(' ');
    element->Write(out);
    first = false;
  }
}

// ---- text and external objects ------------------------------------------

namespace {

template <class Op, class Fill>
Op* MakeOperator(Fill fill) {
  std::unique_ptr<Op> op(new Op);
  fill(*op);
  return op.release();
}

}  // namespace

CPDFTextObject* CPDFTextObject::AddOperator(CPDFTextOperator* op) {
  operators_.Append(op);
  return this;
}

CPDFTextObject* CPDFTextObject::AddBT() {
  return AddOperator(MakeOperator<CPDFTextOperator>([](auto& op) { op.SetBT(); }));
}

CPDFTextObject* CPDFTextObject::AddET() {
  return AddOperator(MakeOperator<CPDFTextOperator>([](auto& op) { op.SetET(); }));
}

CPDFTextObject* CPDFTextObject::AddFont(const char* fontName, float size) {
  return AddOperator(MakeOperator<CPDFTextOperator>([&](auto& op) { op.SetFont(fontName, size); }));
}

CPDFTextObject* CPDFTextObject::AddRenderMode(int32_t mode) {
  return AddOperator(MakeOperator<CPDFTextOperator>([&](auto& op) { op.SetRenderMode(mode); }));
}

CPDFTextObject* CPDFTextObject::AddTextMatrix(float a, float b, float c, float d, float e,
                                              float f) {
  return AddOperator(
      MakeOperator<CPDFTextOperator>([&](auto& op) { op.SetTextMatrix(a, b, c, d, e, f); }));
}

CPDFTextObject* CPDFTextObject::AddShowText(const char* bytes, int32_t length) {
  return AddOperator(
      MakeOperator<CPDFTextOperator>([&](auto& op) { op.SetShowText(bytes, length); }));
}

CPDFExternalObject* CPDFExternalObject::AddOperator(CPDFExternalOperator* op) {
  operators_.Append(op);
  return this;
}

// ---- CPDFGraphObjs ------------------------------------------------------

void CPDFGraphObjs::AddGSave() {
  Append(MakeOperator<CPDFPageDescOp>([](auto& op) { op.SetGSave(); }));
}

void CPDFGraphObjs::AddGRestore() {
  Append(MakeOperator<CPDFPageDescOp>([](auto& op) { op.SetGRestore(); }));
}

void CPDFGraphObjs::AddMatrix(float a, float b, float c, float d, float e, float f) {
  Append(MakeOperator<CPDFPageDescOp>([&](auto& op) { op.SetMatrix(a, b, c, d, e, f); }));
}

void CPDFGraphObjs::AddMatrix(const CPDFMatrix& matrix) {
  static constexpr float kIdentity[6] = {1, 0, 0, 1, 0, 0};
  float v[6];
  for (int32_t i = 0; i < 6; ++i) {
    const CPDFNumber* n = matrix.GetNumber(i);
    v[i] = n ? static_cast<float>(n->GetReal()) : kIdentity[i];
  }
  AddMatrix(v[0], v[1], v[2], v[3], v[4], v[5]);
}

void CPDFGraphObjs::AddTranslate(float tx, float ty) { AddMatrix(1, 0, 0, 1, tx, ty); }

void CPDFGraphObjs::AddLineWidth(float width) {
  Append(MakeOperator<CPDFPageDescOp>([&](auto& op) { op.SetLineWidth(width); }));
}

void CPDFGraphObjs::AddStrokeGray(float gray) {
  Append(MakeOperator<CPDFPageDescOp>([&](auto& op) { op.SetStrokeGray(gray); }));
}

CPDFTextObject* CPDFGraphObjs::AddTextObject() {
  return static_cast<CPDFTextObject*>(Append(new CPDFTextObject));
}

CPDFExternalObject* CPDFGraphObjs::AddXObject(const char* name) {
  std::unique_ptr<CPDFExternalObject> object(new CPDFExternalObject);
  object->AddOperator(MakeOperator<CPDFExternalOperator>([&](auto& op) { op.SetDo(name); }));
  return static_cast<CPDFExternalObject*>(Append(object.release()));
}
