#include "pdf/document/CPDFImageXObj.h"

#include <memory>
#include <optional>
#include <string>

#include "pdf/document/CPDFAltImageDict.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageImport.h"
#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/document/CPDFOPIDict.h"
#include "pdf/document/internal/ImageFile.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "platform/SystemError.h"

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

bool CPDFImageXObj::Create(CPDFObjRegistry* doc, int32_t width, int32_t height,
                           int32_t bitsPerComponent) {
  if (!CPDFXObject::Create(doc)) return false;
  try {
    return Set_Subtype() && CPDFDict::Set(doc, Key_Width(), std::make_unique<CPDFInt>(width)) &&
           CPDFDict::Set(doc, Key_Height(), std::make_unique<CPDFInt>(height)) &&
           CPDFDict::Set(doc, Key_BitsPerComponent(), std::make_unique<CPDFInt>(bitsPerComponent));
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFImageXObj", "Create");
  }
}

bool CPDFImageXObj::Load(CPDFObjRegistry* doc, CPDFStream* source) {
  // A Mask is loaded as an image in turn; masks that lead back to the
  // image itself stay raw past the nesting limit (the frame keeps it).
  return PDFLoadFrame(this, doc, source, [&] { return TypeImageEntries(this, doc); });
}

bool CPDFImageXObj::TypeImageEntries(CPDFDict* dict, CPDFObjRegistry* doc) {
  // Colour-key arrays and streams that are not images stay as read, and so
  // do OPI dictionaries of no known version; every alternate image must be
  // reachable.
  return PDFTypeEntry<CPDFInt>(dict, doc, Key_Width(), PDFEntry::kRequired) &&
         PDFTypeEntry<CPDFInt>(dict, doc, Key_Height(), PDFEntry::kRequired) &&
         PDFTypeEntry<CPDFInt>(dict, doc, Key_BitsPerComponent(), PDFEntry::kRequired) &&
         PDFTypeEntry(
             dict, doc, Key_ColorSpace(), kArray,
             PDFFactory(&CPDFColorSpace::CreateColorSpace, doc, CPDFColorSpace::kAllButPattern)) &&
         PDFTypeEntry<CPDFImageXObj>(dict, doc, Key_Mask()) &&
         PDFTypeEntry(dict, doc, Key_OPI(), kDictionary,
                      PDFFactory(&CPDFOPIDict::CreateOPIDict, doc)) &&
         PDFTypeElements<CPDFAltImageDict>(PDFGetAs<CPDFArray>(dict, doc, Key_Alternates()), doc);
}

CPDFImageXObj* CPDFImageXObj::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

PDF_ACCESSOR_DEF(CPDFImageXObj, OPI, CPDFOPIDict)

const CPDFName& CPDFImageXObj::GetNamePrefix() {
  static const CPDFName prefix("Im");
  return prefix;
}

namespace {

// Fills the error record of a failed import (see CreateImageXObj): a file
// that cannot be opened with the system's reason, a file of a known format
// (given) that its reader refused with the format and the reader's reason,
// any other failure of a reader by its kind with its own text (the file is
// not at fault), a file no reader knows as of unknown format.
void RecordImportFailure(CPDFObjRegistry* doc, const char* method, const char* path,
                         const ImageHead& head, const char* format, const ImageError& reason) {
  if (!doc) return;
  CPDFException& record = doc->GetError();
  if (head.openFailure != 0 && head.openFailure != ImageFile::kNotRegular) {
    record.SetFormat("CPDFImageXObj", method, CPDFException::kSystem, "cannot open %s: %s", path,
                     platform::SystemErrorText(head.openFailure).c_str());
  } else if (format && reason.kind != ImageError::Kind::kRefused) {
    int32_t code = CPDFException::kUndefined;  // no image at that index, no room for the data
    if (reason.kind == ImageError::Kind::kSystem) code = CPDFException::kSystem;
    if (reason.kind == ImageError::Kind::kMemory || reason.kind == ImageError::Kind::kStep)
      code = CPDFException::kStepFailed;
    record.SetFormat("CPDFImageXObj", method, code, "%s: %s", path, reason.text.c_str());
  } else if (format) {
    const std::string cause = reason.text.empty() ? "unreadable" : reason.text;
    record.SetFormat("CPDFImageXObj", method, CPDFException::kUndefined, "%s: %s file refused (%s)",
                     path, format, cause.c_str());
  } else {
    record.SetFormat("CPDFImageXObj", method, CPDFException::kUndefined,
                     "unknown file format: %s%s", path,
                     head.openFailure == ImageFile::kNotRegular ? " (not a regular file)" : "");
  }
}

// Fills the error record of an import that found its file in another state
// than the one it was to be read in.
void RecordChangedFile(CPDFObjRegistry* doc, const char* path) {
  if (!doc) return;
  doc->GetError().SetFormat("CPDFImageXObj", "CreateImageXObj", CPDFException::kStepFailed,
                            "the file %s changed or was cut short after it was read", path);
}

}  // namespace

CPDFImageXObj* CPDFImageXObj::CreateImageXObj(CPDFObjRegistry* doc, const char* path,
                                              CPDFMatrix& matrix) {
  return CreateImageXObj(doc, path, matrix, ImportOptions{});
}

CPDFImageXObj* CPDFImageXObj::CreateImageXObj(CPDFObjRegistry* doc, const char* path,
                                              CPDFMatrix& matrix, const ImportOptions& options) {
  CPDFImageXObj* image = nullptr;
  ImageError reason;  // why a recognised file was refused
  const char* format = nullptr;
  ImageHead head;
  std::optional<ImageFile::OneState> oneState;
  if (path && options.state) oneState.emplace(path, options.state);
  if (path && options.index >= 0) {
    // The first two bytes are read once for the three probes.
    head = ImageFile::ReadHead(path);
    int32_t shown = kTopLeft;
    ImportOptions read = options;
    read.orientation = &shown;
    if (IsTIFFFile(head)) {
      format = "TIFF";
      image = CreateTIFFImage(doc, path, matrix, read, &reason);
    } else if (IsJPEGFile(head)) {
      format = "JPEG";
      image = CreateJPEGImage(doc, path, matrix, read, &reason);
    } else if (IsBMPFile(head)) {
      format = "BMP";
      image = CreateBMPImage(doc, path, matrix, read, &reason);
    }
    if (oneState && oneState->Changed()) {
      // Whatever was made of it mixes two files, or a file and its remains.
      if (image) DropLookupStream(doc, image);
      delete image;
      RecordChangedFile(doc, path);
      return nullptr;
    }
    if (image && options.orientation) *options.orientation = shown;
  }
  if (!image) RecordImportFailure(doc, "CreateImageXObj", path ? path : "", head, format, reason);
  return image;
}

void CPDFImageXObj::DropLookupStream(CPDFObjRegistry* doc, CPDFImageXObj* image) {
  auto* indexed = dynamic_cast<CPDFIndexedCS*>(image->Get_ColorSpace());
  if (!indexed || !doc) return;
  CPDFObjRef ref;
  indexed->Get(doc, 3, &ref);
  if (ref.IsDefined()) doc->DeleteObj(ref);
}

int32_t CPDFImageXObj::CountImages(CPDFObjRegistry* doc, const char* path, FileStamp* state) {
  ImageError reason;
  const char* format = nullptr;
  ImageHead head;
  if (path) {
    std::optional<ImageFile::OneState> oneState;
    if (state) oneState.emplace(path, state);
    head = ImageFile::ReadHead(path);
    int32_t count = -1;
    uint32_t counted = 0;
    if (IsJPEGFile(head) || IsBMPFile(head)) {
      count = 1;
    } else if (IsTIFFFile(head)) {
      format = "TIFF";
      if (CountTIFFImages(path, counted, &reason)) count = static_cast<int32_t>(counted);
    }
    if (oneState && oneState->Changed()) {
      RecordChangedFile(doc, path);
      return -1;
    }
    if (count >= 0) return count;
  }
  // The record is the factory's own: counting is the first step of
  // reading an image file, and callers report it as the import's failure.
  RecordImportFailure(doc, "CreateImageXObj", path ? path : "", head, format, reason);
  return -1;
}
