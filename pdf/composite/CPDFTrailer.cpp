#include "pdf/composite/CPDFTrailer.h"

#include <memory>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFFDFCatalog.h"
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
      return root->Create(doc) && Set(doc, Key_Root(), std::move(root), true);
    }
    if (previous) {
      for (Iterator it = previous->Begin(); !it.IsEnd(); it.Next()) {
        CPDFAtom* atom = *it.GetValue();
        if (!atom) continue;
        bool copied = false;
        if (atom->GetKind() == CPDFAtom::kIndirectReference) {
          copied = PDFSetRef(this, *it.GetKey(), *static_cast<CPDFObjRef*>(atom));
        } else if (auto* object = dynamic_cast<CPDFObject*>(atom)) {
          copied = Set(doc, *it.GetKey(), std::unique_ptr<CPDFObject>(object->Clone(doc, doc)));
        }
        if (!copied) {
          RemoveAll();
          return false;
        }
      }
      if (!Set(doc, Key_Prev(), std::make_unique<CPDFInt>(previous->GetStartXRef()))) {
        RemoveAll();
        return false;
      }
      return true;
    }
    if (!Set(doc, Key_Size(), std::make_unique<CPDFInt>(1))) return false;
    std::unique_ptr<CPDFCatalog> catalog(new CPDFCatalog);
    return catalog->Create(doc) && Set(doc, Key_Root(), std::move(catalog), true);
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
