#include "pdf/document/CPDFTrailer.h"

#include <memory>

#include "pdf/document/CPDFCatalog.h"
#include "pdf/document/CPDFDoc.h"
#include "pdf/document/CPDFFDFCatalog.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFOutStream.h"

bool CPDFTrailer::Create(CPDFObjRegistry* doc, const CPDFTrailer* previous) {
  SetDoc(doc);
  auto* owner = dynamic_cast<CPDFDoc*>(doc);
  if (!owner) return false;
  try {
    if (owner->IsFDF()) {
      std::unique_ptr<CPDFFDFCatalog> root(new CPDFFDFCatalog);
      if (!root->Create(doc)) return false;
      if (!Set_Root(root.get(), true)) return false;
      root.release();
      return true;
    }
    if (previous) {
      for (Iterator it = previous->Begin(); !it.IsEnd(); it.Next()) {
        CPDFAtom* atom = *it.GetValue();
        if (!atom) continue;
        std::unique_ptr<CPDFAtom> copy;
        if (atom->GetKind() == CPDFAtom::kIndirectReference) {
          copy.reset(new CPDFObjRef(*static_cast<CPDFObjRef*>(atom)));
        } else if (auto* object = dynamic_cast<CPDFObject*>(atom)) {
          copy.reset(object->Clone(doc, doc));
        }
        if (!copy || !SetAt(*it.GetKey(), copy.get())) {
          RemoveAll();
          return false;
        }
        copy.release();
      }
      std::unique_ptr<CPDFInt> prev(new CPDFInt(previous->GetStartXRef()));
      if (!Set_Prev(prev.get())) {
        RemoveAll();
        return false;
      }
      prev.release();
      return true;
    }
    std::unique_ptr<CPDFInt> size(new CPDFInt(1));
    if (!Set_Size(size.get())) return false;
    size.release();
    std::unique_ptr<CPDFCatalog> catalog(new CPDFCatalog);
    if (!catalog->Create(doc)) return false;
    if (!Set_Root(catalog.get(), true)) return false;
    catalog.release();
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFTrailer", "Create");
  }
}

void CPDFTrailer::Serialize(CPDFOutStream& out) {
  out.Write("trailer\r\n", 9);
  Write(out, nullptr);
  auto* owner = dynamic_cast<CPDFDoc*>(GetDoc());
  if (!owner || owner->WritesXRef()) {
    out.Write("\r\nstartxref\r\n", 13);
    out.WriteInt(startXRef_);
  }
  out.Write("\r\n%%EOF\r\n", 9);
}
