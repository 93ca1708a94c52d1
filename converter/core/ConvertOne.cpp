#include "converter/core/ConvertOne.h"

#include <cstdio>
#include <memory>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFGraphObjs.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"
#include "platform/FileSizeLimitScope.h"

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

// How a page shows an image whose file asks for an orientation: the page
// is turned clockwise by `rotate` degrees (/Rotate) and the image drawn
// mirrored left to right when `mirror` is set. The stored image, mirrored
// first and then turned, is the image the file means; the page keeps the
// size of the stored image.
struct PageTurn {
  int32_t rotate = 0;
  bool mirror = false;
};

PageTurn TurnFor(int32_t orientation) {
  switch (orientation) {
    case CPDFImageXObj::kTopRight: return {0, true};
    case CPDFImageXObj::kBottomRight: return {180, false};
    case CPDFImageXObj::kBottomLeft: return {180, true};
    case CPDFImageXObj::kLeftTop: return {270, true};
    case CPDFImageXObj::kRightTop: return {90, false};
    case CPDFImageXObj::kRightBottom: return {90, true};
    case CPDFImageXObj::kLeftBottom: return {270, false};
    default: return {};
  }
}

// Loads image `index` of the file as an image XObject of the document,
// lists it in the resources under a new name and appends the operators
// that paint it with its lower-left corner at (x, y), mirrored left to right
// within its width when asked. 0 with the image's reference in *ref, or -1
// when the image cannot be loaded or listed.
int32_t DrawImage(CPDFDoc* doc, CPDFResDict* resources, CPDFGraphObjs& content, float x, float y,
                  const char* path, int32_t index, bool mirror, FileStamp* state, CPDFObjRef* ref) {
  CPDFMatrix matrix;
  CPDFName name;
  // BMP and TIFF samples are compressed as they are read, so the image is
  // never held uncompressed; JPEG data keep their DCT encoding.
  std::unique_ptr<CPDFImageXObj> image(CPDFImageXObj::CreateImageXObj(
      doc, path, matrix, {.compress = true, .index = index, .state = state}));
  if (!image) return -1;
  if (!resources->MakeUniqueName(name, image.get())) return -1;
  if (!resources->AddResource(name, image.get(), ref)) return -1;
  CPDFImageXObj* listed = image.release();  // the document owns it now
  // Data without a filter are stored compressed. A failed compression
  // leaves the data as they were, which is still a valid image.
  if (!listed->Get_Filter()) listed->FlateEncode(nullptr);
  content.AddGSave();
  content.AddTranslate(x, y);
  if (mirror) {
    const CPDFNumber* width = matrix.GetA();
    const CPDFNumber* height = matrix.GetD();
    if (!width || !height) return -1;
    content.AddMatrix(-width->GetFloat(), 0, 0, height->GetFloat(), width->GetFloat(), 0);
  } else {
    content.AddMatrix(matrix);
  }
  content.AddXObject(name.c_str());
  content.AddGRestore();
  return 0;
}

// Appends page `index` to the document, showing image `index` of the
// input: its media box the image's size in points, turned and mirrored as
// the file asks. With release the image is written to the output at once
// and freed, so that the images of a file are held one at a time. Every
// read of the input finds it in the state given. 0 or -1.
int32_t AddImagePage(CPDFDoc* doc, const char* inputPath, int32_t index, bool release,
                     FileStamp* state) {
  CPDFMatrix matrix;
  CPDFGraphObjs content;
  CPDFStream stream(nullptr);

  if (!doc->CreatePage(-1, 1)) return -1;
  CPDFPage* page = doc->GetPage(index, nullptr);
  if (!page) return -1;
  auto* resources = dynamic_cast<CPDFResDict*>(page->Get_Resources(nullptr));
  if (!resources) return -1;

  // The first image serves only to learn the size in points and how it is
  // to be shown: it is read without its pixels.
  int32_t orientation = CPDFImageXObj::kTopLeft;
  {
    std::unique_ptr<CPDFImageXObj> sizing(CPDFImageXObj::CreateImageXObj(
        doc, inputPath, matrix,
        {.withData = false, .index = index, .orientation = &orientation, .state = state}));
    if (!sizing) return -1;
    // Its palette's lookup stream, registered with the document, is not
    // used: the image drawn makes its own.
    CPDFImageXObj::DropLookupStream(doc, sizing.get());
  }
  CPDFNumber* width = matrix.GetA();
  CPDFNumber* height = matrix.GetD();
  if (!width || !height) return -1;
  std::unique_ptr<CPDFRect> mediaBox(new CPDFRect(0, 0, width->GetFloat(), height->GetFloat()));
  if (!page->Set_MediaBox(mediaBox.get(), false, nullptr)) return -1;
  mediaBox.release();
  const PageTurn turn = TurnFor(orientation);
  if (turn.rotate != 0 &&
      !page->Set(doc, CPDFPage::Key_Rotate(), std::make_unique<CPDFInt>(turn.rotate))) {
    return -1;
  }

  CPDFObjRef image;
  if (DrawImage(doc, resources, content, 0, 0, inputPath, index, turn.mirror, state, &image) != 0)
    return -1;
  if (!stream.UpdateGraphObjs(&content, nullptr)) return -1;
  if (!page->AddContents(&stream)) return -1;
  resources->SetDefaultProcSet();
  if (release && !doc->ReleaseObj(image, true)) return -1;
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
// then telling why when the failing step recorded it. Every image of the
// input becomes a page, in file order; one that cannot be read fails the
// whole conversion and nothing is written. The input is read in one state
// throughout: counted, each image read for its size and for its data, and
// data that stay in it copied at the end; a file replaced or changed
// between any two of these fails the conversion.
int32_t ConvertInto(CPDFDoc* doc, const char* inputPath, const char* outputPath) {
  FileStamp state;
  const int32_t images = CPDFImageXObj::CountImages(doc, inputPath, &state);
  if (images < 1) return -1;
  // The output is begun first, so that the images of a file of many can be
  // written out as their pages are made. It gets its name only when it is
  // complete.
  if (!doc->Save(outputPath, false, false)) return -1;
  for (int32_t index = 0; index < images; ++index) {
    // Every image but the last is written at once; the last goes with the
    // rest of the document, as the one image of a file of one.
    if (AddImagePage(doc, inputPath, index, index + 1 < images, &state) != 0) return -1;
  }
  if (!doc->Flush()) return -1;
  return 0;
}

}  // namespace

int32_t ConvertOne(const char* inputPath, const char* outputPath) {
  // An output or a work file that would pass a file-size limit fails as
  // any write that fails does, named, instead of ending the process.
  const platform::FileSizeLimitScope fileSizeLimit;
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
