#include "pdf/font/CPDFFontFile.h"

#include <memory>

bool CPDFFontFile::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* stream = dynamic_cast<CPDFStream*>(object);
    CPDFObject* length = stream ? stream->Get(doc, Key_Length1()) : nullptr;
    return length && length->IsType(kNumber);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFFontFile", "Check");
  }
}

bool CPDFFontFile::CheckKeyed(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    auto* stream = dynamic_cast<CPDFStream*>(object);
    if (!stream) return false;
    CPDFObject* length = stream->Get(doc, Key_Length1());
    return !length || length->IsType(kNumber);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFFontFile", "Check");
  }
}

bool CPDFFontFile::TypeKeyedEntry(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key,
                                  PDFEntry rule) {
  return PDFTypeEntry(
      dict, doc, key, kStream,
      [doc](CPDFObject* value) -> CPDFFontFile* {
        if (!CheckKeyed(doc, value)) return nullptr;
        auto typed = std::make_unique<CPDFFontFile>();
        if (!typed->Load(doc, static_cast<CPDFStream*>(value))) return nullptr;
        return typed.release();
      },
      rule);
}

bool CPDFFontFile::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFInt>(this, doc, Key_Length1()) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Length2()) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_Length3());
  });
}

CPDFFontFile* CPDFFontFile::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}
