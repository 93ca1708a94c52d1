// CreateImageXObj on any file bytes: BMP, JPEG and TIFF files (recognised by
// their first bytes) become an image XObject of a new document, or the call
// fails with the document's error record filled. The bytes are written to a
// work file because the importers read files.
#include <memory>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/document/CPDFImageXObj.h"
#include "pdf/document/internal/TIFFReader.h"
#include "pdf/object/CPDFMatrix.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTemp.h"
#include "tests/fuzz/ImageSeeds.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::WorkFolder& folder = fuzz::WorkFolder::Get();
  const std::string path = folder.File("image");
  fuzz::WorkFolder::Write(path, data, size);
  CPDFDoc* doc = CPDFEnv::Global().CreateDoc(false, false, 1, 3, nullptr);
  FUZZ_CHECK(doc != nullptr);
  CPDFMatrix matrix;
  std::unique_ptr<CPDFImageXObj> image(CPDFImageXObj::CreateImageXObj(doc, path.c_str(), matrix));
  if (image) {
    FUZZ_CHECK(image->GetDataLength() > 0 || image->IsExternal());
  } else {
    FUZZ_CHECK(doc->GetError().GetCode() != 0);
  }
  image.reset();
  // The images of the file: counted, and the last of several read with its
  // orientation, which is always one of the eight.
  const int32_t count = CPDFImageXObj::CountImages(doc, path.c_str());
  FUZZ_CHECK(count <= static_cast<int32_t>(kMaxTIFFImages));
  if (count < 1) {
    FUZZ_CHECK(count == -1 && doc->GetError().GetCode() != 0);
  } else if (count > 1) {
    int32_t orientation = 0;
    image.reset(CPDFImageXObj::CreateImageXObj(
        doc, path.c_str(), matrix,
        {.compress = true, .index = count - 1, .orientation = &orientation}));
    if (image) {
      FUZZ_CHECK(orientation >= 1 && orientation <= 8);
    } else {
      FUZZ_CHECK(orientation == 0 && doc->GetError().GetCode() != 0);
    }
    image.reset();
  }
  CPDFEnv::Global().CloseDoc(doc);
  ::unlink(path.c_str());
  FUZZ_CHECK(folder.Count() == 0);
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) { fuzz::AddImageSeeds(seeds); }
