// Writes a one-page PDF with Pennaform: an image read from a file, scaled
// to the width of the page, and a line of text under it in Helvetica, one of
// the standard fonts, which viewers provide, so no font file is embedded.
//
//   image_page IMAGE OUTPUT
//
// IMAGE is a BMP, JPEG or TIFF file (recognised by its content); OUTPUT is
// the PDF file to write (replaced when it exists).
#include <cstdio>
#include <memory>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/CPDFResDict.h"
#include "pdf/font/CPDFType1Font.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFGraphObjs.h"
#include "pdf/object/CPDFMatrix.h"
#include "pdf/object/CPDFRect.h"
#include "pdf/object/CPDFStream.h"

namespace {

// An A4 page in points (1/72 inch), with margins of one inch.
constexpr float kPageWidth = 595;
constexpr float kPageHeight = 842;
constexpr float kMargin = 72;
constexpr float kFontSize = 14;

// Prints the document's error record: the class and method that failed and
// why.
int Fail(CPDFDoc* doc, const char* step) {
  const CPDFException& error = doc->GetError();
  std::fprintf(stderr, "image_page: %s failed: %s::%s: %s\n", step, error.GetClassName(),
               error.GetMethodName(), error.GetMessage());
  return 1;
}

// Fills the document's one page and writes the file; 0 or 1.
int WritePage(CPDFDoc* doc, const char* imagePath, const char* outputPath) {
  // A new page at the end of the page tree. It has an empty resource
  // dictionary of its own, which lists what its content uses by name.
  if (!doc->CreatePage(-1, 1)) return Fail(doc, "CreatePage");
  CPDFPage* page = doc->GetPage(0);
  if (!page) return Fail(doc, "GetPage");
  auto* resources = dynamic_cast<CPDFResDict*>(page->Get_Resources());
  if (!resources) return Fail(doc, "Get_Resources");
  // The page takes the rectangle.
  auto mediaBox = std::make_unique<CPDFRect>(0, 0, kPageWidth, kPageHeight);
  if (!page->Set_MediaBox(mediaBox.get())) return Fail(doc, "Set_MediaBox");
  mediaBox.release();

  // The image file becomes an image XObject: its samples are read now (BMP
  // and TIFF samples Flate-compressed as they come, JPEG data kept as they
  // are), and size is set to the image's size in points. Listing it in the
  // resources under a new name ("Im1") registers it with the document,
  // which owns it from then on.
  CPDFMatrix size;
  std::unique_ptr<CPDFImageXObj> image(
      CPDFImageXObj::CreateImageXObj(doc, imagePath, size, {.compress = true}));
  if (!image) return Fail(doc, "CreateImageXObj");
  CPDFName imageName;
  if (!resources->MakeUniqueName(imageName, image.get()) ||
      !resources->AddResource(imageName, image.get())) {
    return Fail(doc, "AddResource (image)");
  }
  image.release();

  // A standard Type 1 font: only /Type, /Subtype and /BaseFont are written.
  // Its widths come from the library's built-in metrics.
  auto font = std::make_unique<CPDFType1Font>();
  if (!font->Create(doc, "Helvetica")) return Fail(doc, "CPDFType1Font::Create");
  CPDFName fontName;
  if (!resources->MakeUniqueName(fontName, font.get()) ||
      !resources->AddResource(fontName, font.get())) {
    return Fail(doc, "AddResource (font)");
  }
  CPDFType1Font* helvetica = font.release();

  // ASCII text is written as it stands: its codes are the same in the
  // font's encoding (StandardEncoding, as the font names none). The width,
  // from the font's metrics, serves to centre it.
  static const char text[] = "Drawn by Pennaform: an image and a line of text";
  const int32_t length = static_cast<int32_t>(sizeof text - 1);
  const int32_t width =  // in 1/1000 of the font size
      helvetica->CalcStringWidth(reinterpret_cast<const uint8_t*>(text), length);
  if (width < 0) return Fail(doc, "CalcStringWidth");

  // The image across the width between the margins, its top one margin
  // below the top of the page.
  const float imageWidth = size.GetA()->GetFloat();
  const float imageHeight = size.GetD()->GetFloat();
  const float drawnWidth = kPageWidth - 2 * kMargin;
  const float drawnHeight = imageHeight * drawnWidth / imageWidth;
  const float imageBottom = kPageHeight - kMargin - drawnHeight;

  // The content: operators appended in drawing order. An image is drawn
  // into the unit square, so the matrix scales it to its size on the page.
  CPDFGraphObjs content;
  content.AddGSave();
  content.AddMatrix(drawnWidth, 0, 0, drawnHeight, kMargin, imageBottom);
  content.AddXObject(imageName.c_str());
  content.AddGRestore();
  const float textX = (kPageWidth - width * kFontSize / 1000) / 2;
  content.AddTextObject()
      ->AddBT()
      ->AddFont(fontName.c_str(), kFontSize)
      ->AddTextMatrix(1, 0, 0, 1, textX, imageBottom - 2 * kFontSize)
      ->AddShowText(text, length)
      ->AddET();

  // The operators are written into a stream, of which the page keeps a copy.
  CPDFStream stream(nullptr);
  if (!stream.UpdateGraphObjs(&content, nullptr)) return Fail(doc, "UpdateGraphObjs");
  if (!stream.FlateEncode(nullptr)) return Fail(doc, "FlateEncode");
  if (!page->AddContents(&stream)) return Fail(doc, "AddContents");
  resources->SetDefaultProcSet();  // [/PDF /Text /ImageB /ImageC /ImageI]

  // Save opens the output and writes the header; Flush writes the objects,
  // the cross-reference table and the trailer, and puts the file in place.
  if (!doc->Save(outputPath, false, false)) return Fail(doc, "Save");
  if (!doc->Flush()) return Fail(doc, "Flush");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: image_page IMAGE OUTPUT\n");
    return 2;
  }
  // No folder for temporary files, CMaps or AFM files: the standard fonts'
  // metrics are built in.
  CPDFEnv& env = CPDFEnv::Global();
  env.Init(nullptr, nullptr, nullptr, nullptr);
  CPDFException error;
  CPDFDoc* doc = env.CreateDoc(false, false, 1, 4, &error);  // a PDF 1.4 document
  if (!doc) {
    std::fprintf(stderr, "image_page: CreateDoc failed: %s\n", error.GetMessage());
    return 1;
  }
  const int result = WritePage(doc, argv[1], argv[2]);
  env.CloseDoc(doc);  // deletes the document and every object it owns
  if (result == 0) std::printf("%s written\n", argv[2]);
  return result;
}
