// CreateImageXObj on any file bytes: BMP, JPEG and TIFF files (recognised by
// their first bytes) become an image XObject of a new document, or the call
// fails with the document's error record filled. The bytes are written to a
// work file because the importers read files.
#include <memory>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/document/CPDFImageXObj.h"
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
  CPDFEnv::Global().CloseDoc(doc);
  ::unlink(path.c_str());
  FUZZ_CHECK(folder.Count() == 0);
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) { fuzz::AddImageSeeds(seeds); }
