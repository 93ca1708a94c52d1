#include "converter/core/ConvertOne.h"

#include <cstdio>
#include <memory>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFGraphObjs.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"

namespace ostrel {

namespace {

// Gives the document back to the environment on every way out of a
// conversion, exceptions included.
class DocumentScope {
 public:
  explicit DocumentScope(CPDFDoc* doc) : doc_(doc) {}
  DocumentScope(const DocumentScope&) = delete;
  DocumentScope& operator=(const DocumentScope&) = delete;
  ~DocumentScope() {
    if (!doc_) return;
    try {
      CPDFEnv::Global().CloseDoc(doc_);
    } catch (...) {
      CPDFException::Absorb(nullptr, "ConvertOne", "CloseDoc");
    }
  }

 private:
  CPDFDoc* doc_;
};

// The palette image made only to learn the size has registered its lookup
// stream with the document; nothing refers to it once the image is gone.
void DropLookupStream(CPDFDoc* doc, CPDFImageXObj* image) {
  auto* indexed = dynamic_cast<CPDFIndexedCS*>(image->Get_ColorSpace());
  if (!indexed) return;
  CPDFObjRef ref;
  indexed->Get(doc, 3, &ref);
  if (ref.IsDefined()) doc->DeleteObj(ref);
}

// Loads the image file as an image XObject of the document, lists it in the
// resources under a new name and appends the operators that paint it with
// its lower-left corner at (x, y). 0, or -1 when the image cannot be loaded
// or listed.
int32_t DrawImage(CPDFDoc* doc, CPDFResDict* resources, CPDFGraphObjs& content, float x, float y,
                  const char* path) {
  CPDFMatrix matrix;
  CPDFName name;
  // BMP and TIFF samples are compressed as they are read, so the image is
  // never held uncompressed; JPEG data keep their DCT encoding.
  std::unique_ptr<CPDFImageXObj> image(
      CPDFImageXObj::CreateImageXObj(doc, path, matrix, true, true));
  if (!image) return -1;
  if (!resources->MakeUniqueName(name, image.get())) return -1;
  if (!resources->AddResource(name, image.get(), nullptr)) return -1;
  CPDFImageXObj* listed = image.release();  // the document owns it now
  // Data without a filter are stored compressed. A failed compression
  // leaves the data as they were, which is still a valid image.
  if (!listed->Get_Filter()) listed->FlateEncode(nullptr);
  content.AddGSave();
  content.AddTranslate(x, y);
  content.AddMatrix(matrix);
  content.AddXObject(name.c_str());
  content.AddGRestore();
  return 0;
}

// Writes the one line that tells why the conversion of the input failed:
// the input path and the error record's class, method and message.
void ReportFailure(const char* inputPath, const CPDFException& record) {
  const char* path = inputPath ? inputPath : "";
  if (record.IsError()) {
    std::fprintf(stderr, "%s: %s::%s: %s\n", path, record.GetClassName(), record.GetMethodName(),
                 record.GetMessage());
  } else {
    std::fprintf(stderr, "%s: conversion failed (no reason recorded)\n", path);
  }
}

// The conversion into the document; 0 or -1, the document's error record
// then telling why when the failing step recorded it.
int32_t ConvertInto(CPDFDoc* doc, const char* inputPath, const char* outputPath) {
  CPDFMatrix matrix;
  CPDFGraphObjs content;
  CPDFStream stream(nullptr);

  if (!doc->CreatePage(-1, 1)) return -1;
  CPDFPage* page = doc->GetPage(0, nullptr);
  if (!page) return -1;
  auto* resources = dynamic_cast<CPDFResDict*>(page->Get_Resources(nullptr));
  if (!resources) return -1;

  // The first image serves only to learn the size in points: it is read
  // without its pixels.
  {
    std::unique_ptr<CPDFImageXObj> sizing(
        CPDFImageXObj::CreateImageXObj(doc, inputPath, matrix, false));
    if (!sizing) return -1;
    DropLookupStream(doc, sizing.get());
  }
  CPDFNumber* width = matrix.GetA();
  CPDFNumber* height = matrix.GetD();
  if (!width || !height) return -1;
  std::unique_ptr<CPDFRect> mediaBox(new CPDFRect(0, 0, width->GetFloat(), height->GetFloat()));
  if (!page->Set_MediaBox(mediaBox.get(), false, nullptr)) return -1;
  mediaBox.release();

  if (DrawImage(doc, resources, content, 0, 0, inputPath) != 0) return -1;
  if (!stream.UpdateGraphObjs(&content, nullptr)) return -1;
  if (!page->AddContents(&stream)) return -1;
  resources->SetDefaultProcSet();

  if (!doc->Save(outputPath, false, false)) return -1;
  if (!doc->Flush()) return -1;
  return 0;
}

}  // namespace

int32_t ConvertOne(const char* inputPath, const char* outputPath) {
  // Text conversion goes through an explicit code page and numbers are
  // written independently of the locale, so the locale is left alone.
  CPDFEnv& env = CPDFEnv::Global();
  env.Init(nullptr, nullptr, nullptr, nullptr);
  CPDFException record;
  CPDFDoc* doc = env.CreateDoc(false, false, 1, 3, &record);
  if (!doc) {
    ReportFailure(inputPath, record);
    return -1;
  }
  DocumentScope scope(doc);
  const int32_t result = ConvertInto(doc, inputPath, outputPath);
  if (result != 0) ReportFailure(inputPath, doc->GetError());
  return result;
}

}  // namespace ostrel
