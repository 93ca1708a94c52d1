#include "pdf/document/CPDFImageImport.h"

#include <cmath>
#include <cstdint>
#include <memory>

#include "pdf/document/CPDFColorSpace.h"
#include "pdf/object/internal/ByteSink.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace {

// Lets a reader write straight into a stream's data buffer. The buffer grows
// geometrically, so an image written row by row is moved a bounded number
// of times whatever its size.
class StreamBufferSink : public TempHugeStringSink {
 public:
  explicit StreamBufferSink(TempHugeString& buffer)
      : TempHugeStringSink(buffer), buffer_(buffer) {}
  bool Put(const uint8_t* data, size_t size) override {
    const int64_t need = int64_t{buffer_.GetLength()} + static_cast<int64_t>(size) + 1;
    if (need > buffer_.GetCapacity() && need <= INT32_MAX) {
      const int64_t doubled = int64_t{buffer_.GetCapacity()} * 2;
      const int64_t target = doubled > need && doubled <= INT32_MAX ? doubled : need;
      if (!buffer_.Reserve(static_cast<int32_t>(target))) return false;
    }
    return TempHugeStringSink::Put(data, size);
  }

 private:
  TempHugeString& buffer_;
};

using ImageReader = bool (*)(const char* path, ByteSink& sink, ImageDescription& description,
                             std::string* error);

// The Indexed colour space [/Indexed /DeviceRGB hival lookup] of a palette;
// the lookup stream is registered with the document (its reference goes to
// *lookupRef). None on failure, with nothing registered.
CPDFObject* MakeIndexedColourSpace(CPDFObjRegistry* doc, const ImageDescription& d,
                                   CPDFObjRef* lookupRef) {
  if (!doc || d.hival < 0 || d.hival > 255 ||
      d.palette.size() != static_cast<size_t>(d.hival + 1) * 3) {
    return nullptr;
  }
  std::unique_ptr<CPDFStream> lookup(new CPDFStream(doc));
  if (!lookup->SetData(reinterpret_cast<const char*>(d.palette.data()),
                       static_cast<int32_t>(d.palette.size())) ||
      !lookup->FlateEncode(nullptr) || !lookup->ASCII85Encode(nullptr)) {
    return nullptr;
  }
  std::unique_ptr<CPDFIndexedCS> space(new CPDFIndexedCS);
  // A failed build leaves the lookup stream unregistered and ours.
  if (!space->Build(doc, CPDFName("DeviceRGB"), CPDFInt(d.hival), lookup.get())) return nullptr;
  lookup.release();
  space->Get(doc, 3, lookupRef);
  return static_cast<CPDFArray*>(space.release());
}

// [1 0] per colour component.
CPDFArray* MakeInvertedDecode(CPDFObjRegistry* doc, int count) {
  std::unique_ptr<CPDFArray> decode(new CPDFArray);
  for (int i = 0; i < count; ++i) {
    std::unique_ptr<CPDFNumber> n(new CPDFNumber(i % 2 == 0 ? 1 : 0));
    if (!decode->Push_Back(doc, n.get())) return nullptr;
    n.release();
  }
  return decode.release();
}

// Stores the value with the setter, or deletes it.
template <class Setter>
bool StoreOrDelete(CPDFObject* value, Setter set) {
  std::unique_ptr<CPDFObject> owned(value);
  if (!owned || !set(owned.get())) return false;
  owned.release();
  return true;
}

// The image keys of the description: colour space or image mask, Decode.
bool SetColourKeys(CPDFImageXObj& image, CPDFObjRegistry* doc, const ImageDescription& d,
                   CPDFObjRef* lookupRef) {
  auto setColourSpace = [&](CPDFObject* v) { return image.Set_ColorSpace(v); };
  switch (d.colour) {
    case ImageColour::ImageMask:
      if (!StoreOrDelete(new CPDFBool(true), [&](CPDFObject* v) { return image.Set_ImageMask(v); }))
        return false;
      break;
    case ImageColour::Indexed:
      if (!StoreOrDelete(MakeIndexedColourSpace(doc, d, lookupRef), setColourSpace)) return false;
      break;
    default:
      if (!StoreOrDelete(new CPDFName(d.ColourSpaceName()), setColourSpace)) return false;
      break;
  }
  if (d.DecodeElementCount() > 0 &&
      !StoreOrDelete(MakeInvertedDecode(doc, d.DecodeElementCount()),
                     [&](CPDFObject* v) { return image.Set_Decode(v); })) {
    return false;
  }
  return true;
}

// Reads the file with the reader into a new image XObject of the document.
// The matrix is set only on success.
CPDFImageXObj* ImportImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                           ImageReader read) {
  if (!path) return nullptr;
  CPDFObjRef lookupRef;
  try {
    std::unique_ptr<CPDFImageXObj> image(new CPDFImageXObj);
    ImageDescription d;
    StreamBufferSink sink(image->GetBuffer());
    if (!read(path, sink, d, nullptr)) return nullptr;
    if (d.width < 1 || d.width > INT32_MAX || d.height < 1 || d.height > INT32_MAX ||
        d.dataSize != sink.Size() || !image->SetLength(static_cast<int32_t>(d.dataSize))) {
      return nullptr;
    }
    bool ok = image->Create(doc, static_cast<int32_t>(d.width), static_cast<int32_t>(d.height),
                            d.bitsPerComponent) &&
              SetColourKeys(*image, doc, d, &lookupRef);
    if (ok && d.dctEncoded) ok = image->EncodeFilter(CPDFName("DCTDecode"), nullptr, nullptr);
    if (!ok) {
      // The lookup stream belongs to the document once registered: it is
      // dropped there, not deleted here.
      if (lookupRef.IsDefined() && doc) doc->DeleteObj(lookupRef);
      return nullptr;
    }
    matrix.SetIdentity();
    matrix.Scale(d.widthPoints, d.heightPoints);
    return image.release();
  } catch (...) {
    if (lookupRef.IsDefined() && doc) doc->DeleteObj(lookupRef);
    CPDFException::Absorb(nullptr, "CPDFImageXObj", "Import");
    return nullptr;
  }
}

}  // namespace

CPDFImageXObj* CreateBMPImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix) {
  return ImportImage(doc, path, matrix, ReadBMPImage);
}

CPDFImageXObj* CreateJPEGImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix) {
  return ImportImage(doc, path, matrix, ReadJPEGImage);
}

CPDFImageXObj* CreateTIFFImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix) {
  return ImportImage(doc, path, matrix, ReadTIFFImage);
}
