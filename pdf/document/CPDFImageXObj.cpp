#include "pdf/document/CPDFImageXObj.h"

#include <memory>
#include <string>

#include "pdf/document/CPDFAltImageDict.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageImport.h"
#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/CPDFTypedEntries.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"

bool CPDFImageXObj::Check(CPDFObjRegistry* doc, CPDFDict* dict) {
  if (!CPDFXObject::Check(doc, dict)) return false;
  auto* subtype = dynamic_cast<CPDFName*>(dict->Get(doc, Key_Subtype()));
  if (!subtype || !subtype->IsEqual(SubtypeName())) return false;
  for (const CPDFName* key : {&Key_Width(), &Key_Height(), &Key_BitsPerComponent()}) {
    CPDFObject* value = dict->Get(doc, *key);
    if (!value || value->GetType() != kNumber) return false;
  }
  return true;
}

bool CPDFImageXObj::Set_Subtype() {
  try {
    return StoreNew(Key_Subtype(), new CPDFName(SubtypeName()));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFImageXObj", "Set_Subtype");
  }
}

bool CPDFImageXObj::Create(CPDFObjRegistry* doc, int32_t width, int32_t height,
                           int32_t bitsPerComponent) {
  if (!CPDFXObject::Create(doc)) return false;
  try {
    return Set_Subtype() && StoreNew(Key_Width(), new CPDFInt(width)) &&
           StoreNew(Key_Height(), new CPDFInt(height)) &&
           StoreNew(Key_BitsPerComponent(), new CPDFInt(bitsPerComponent));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFImageXObj", "Create");
  }
}

bool CPDFImageXObj::Set_Mask(CPDFImageXObj* value, bool indirect, CPDFObjRef* ref) {
  return PDFSetAs(this, GetDoc(), Key_Mask(), static_cast<CPDFStream*>(value), indirect, ref);
}

bool CPDFImageXObj::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  // A Mask is loaded as an image in turn; masks that lead back to the
  // image itself end here instead of overflowing the stack.
  CPDFLoadDepth depth;
  if (depth.TooDeep()) return false;
  if (!CPDFXObject::Load(doc, source)) return false;
  bool ok = false;
  try {
    ok = LoadEntries(doc);
  } catch (...) {
    ok = CPDFException::Absorb(nullptr, "CPDFImageXObj", "Load");
  }
  if (!ok) source->Assign(doc, this);  // entries and data go back
  return ok;
}

bool CPDFImageXObj::LoadEntries(CPDFObjRegistry* doc) {
  // The three numbers must be there; parsed numbers become integers.
  for (const CPDFName* key : {&Key_Width(), &Key_Height(), &Key_BitsPerComponent()}) {
    if (!CPDFDict::Get(doc, *key)) return false;
    if (!PDFConvertEntry<CPDFInt, CPDFNumber>(
            this, doc, *key, kNumber,
            [&](CPDFInt* typed, CPDFNumber* raw) { return typed->Assign(doc, raw); })) {
      return false;
    }
  }
  if (!LoadColorSpace(doc)) return false;
  // An image mask becomes an image; colour-key arrays and streams that
  // are not images stay as read.
  auto* mask = dynamic_cast<CPDFStream*>(CPDFDict::Get(doc, Key_Mask()));
  if (mask && mask->IsLoaded() && Check(doc, mask) &&
      !PDFConvertEntry<CPDFImageXObj, CPDFStream>(
          this, doc, Key_Mask(), kStream,
          [&](CPDFImageXObj* typed, CPDFStream* raw) { return typed->Load(doc, raw); })) {
    return false;
  }
  // OPI dictionaries and alternate images become typed where they fit;
  // every alternate image must be reachable.
  if (!PDFConvertByFactory<CPDFOPIDict>(this, doc, Key_OPI(), kDictionary, [doc](CPDFObject* raw) {
        return CPDFOPIDict::CreateOPIDict(doc, raw, -1);
      })) {
    return false;
  }
  return PDFLoadElements<CPDFAltImageDict, CPDFDict>(
      dynamic_cast<CPDFArray*>(CPDFDict::Get(doc, Key_Alternates())), doc, kDictionary);
}

CPDFImageXObj* CPDFImageXObj::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFCloneWith<CPDFImageXObj>(
      [&](CPDFImageXObj* copy) { return Duplicate(copy, doc, sourceDoc, true); }, "CPDFImageXObj");
}

bool CPDFImageXObj::LoadColorSpace(CPDFObjRegistry* doc) {
  CPDFObjRef ref;
  CPDFObject* value = CPDFDict::Get(doc, Key_ColorSpace(), &ref);
  if (!value || !value->IsLoaded() || value->GetType() != kArray) return true;
  std::unique_ptr<CPDFColorSpace> space(
      CPDFColorSpace::CreateColorSpace(doc, value, CPDFColorSpace::kAllButPattern));
  if (!space) return true;  // no family accepts it: it stays as read
  if (!Set_ColorSpace(space.get(), ref.IsDefined(), &ref)) {
    // The array read from the file gets its elements back.
    PDFGiveBack(static_cast<CPDFArray*>(space.get()), value, doc);
    return false;
  }
  space.release();
  return true;
}

bool CPDFImageXObj::Set_ColorSpace(CPDFColorSpace* value, bool indirect, CPDFObjRef* ref) {
  return PDFSetAs(this, GetDoc(), Key_ColorSpace(), static_cast<CPDFArray*>(value), indirect,
                  ref);
}

const CPDFName& CPDFImageXObj::GetNamePrefix() {
  static const CPDFName prefix("Im");
  return prefix;
}

CPDFImageXObj* CPDFImageXObj::CreateImageXObj(CPDFObjRegistry* doc, const char* path,
                                              CPDFMatrix& matrix, bool withData) {
  CPDFImageXObj* image = nullptr;
  std::string reason;  // why a recognised file was refused
  if (path) {
    if (IsTIFFFile(path)) {
      image = CreateTIFFImage(doc, path, matrix, &reason, withData);
    } else if (IsJPEGFile(path)) {
      image = CreateJPEGImage(doc, path, matrix, &reason, withData);
    } else if (IsBMPFile(path)) {
      image = CreateBMPImage(doc, path, matrix, &reason, withData);
    }
  }
  if (!image && doc) {
    if (!reason.empty()) reason = " (" + reason + ")";
    doc->GetError().SetFormat("CPDFImageXObj", "CreateImageXObj", CPDFException::kUndefined,
                              "unknown file format: %s%s", path ? path : "", reason.c_str());
  }
  return image;
}
