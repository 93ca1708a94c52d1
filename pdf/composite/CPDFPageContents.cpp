// The content streams of a page.
#include <memory>

#include "pdf/composite/CPDFPage.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFStream.h"

namespace {

// A new stream of the document holding a copy of the source stream.
std::unique_ptr<CPDFStream> CopyOf(CPDFStream* source, CPDFObjRegistry* doc) {
  std::unique_ptr<CPDFStream> copy(new CPDFStream(doc));
  if (!source->Duplicate(copy.get(), doc, source->GetDoc(), true)) return nullptr;
  return copy;
}

}  // namespace

bool CPDFPage::AddContents(CPDFStream* stream) {
  CPDFObjRegistry* doc = GetDoc();
  if (!stream || !doc) return false;
  try {
    CPDFObjRef ref;
    CPDFObject* contents = Get_Contents(&ref);
    if (contents && ref.IsDefined() && !doc->UpdateObj(ref)) return false;
    if (!contents) {
      std::unique_ptr<CPDFStream> copy = CopyOf(stream, doc);
      return copy && Set(doc, Key_Contents(), std::move(copy), true);
    }
    if (auto* single = dynamic_cast<CPDFStream*>(contents)) {
      // Built aside first, so that a failed copy leaves the page as it was.
      std::unique_ptr<CPDFStream> copy = CopyOf(stream, doc);
      if (!copy) return false;
      single->Clear();
      return single->Assign(doc, copy.get());
    }
    if (auto* array = dynamic_cast<CPDFArray*>(contents)) {
      std::unique_ptr<CPDFStream> copy = CopyOf(stream, doc);
      if (!copy) return false;
      while (array->GetCount() > 0) array->Remove(doc, array->GetCount() - 1);
      return array->Push_Back(doc, std::move(copy), true);
    }
    return false;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFPage", "AddContents");
  }
}

bool CPDFPage::GetContents(CPDFStream* out) {
  if (!out) return false;
  CPDFObjRegistry* doc = GetDoc();
  try {
    out->Clear();
    CPDFObject* contents = Get_Contents();
    if (!contents) return true;
    CPDFException first;
    // The decoded bytes of one content stream, or none (its error kept).
    auto decoded = [&](CPDFStream* stream) -> std::unique_ptr<CPDFStream> {
      std::unique_ptr<CPDFStream> copy = CopyOf(stream, doc);
      CPDFException error;
      if (copy && copy->DecodeAllFilter(&error)) return copy;
      if (!first.IsError()) {
        if (error.IsError()) {
          first = error;
        } else {
          first.Set("CPDFPage", "GetContents", CPDFException::kStepFailed, "CPDFStream::Clone()");
        }
      }
      return nullptr;
    };
    if (auto* single = dynamic_cast<CPDFStream*>(contents)) {
      std::unique_ptr<CPDFStream> copy = decoded(single);
      if (copy && !out->SetData(copy->GetData(), copy->GetDataLength())) return false;
    } else if (auto* array = dynamic_cast<CPDFArray*>(contents)) {
      for (int32_t i = 0; i < array->GetCount(); ++i) {
        auto* stream = dynamic_cast<CPDFStream*>(array->Get(doc, i));
        if (!stream) return false;
        std::unique_ptr<CPDFStream> copy = decoded(stream);
        if (!copy) continue;
        if (!out->Append(copy->GetData(), copy->GetDataLength()) || !out->Append(1, ' ')) {
          return false;
        }
      }
    } else {
      return false;
    }
    if (!first.IsError()) return true;
    if (doc && !doc->GetError().IsError()) doc->GetError() = first;
    return false;
  } catch (...) {
    return CPDFException::Absorb(doc ? &doc->GetError() : nullptr, "CPDFPage", "GetContents");
  }
}
