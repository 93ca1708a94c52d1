#include "pdf/document/CPDFImageImport.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <new>
#include <string>

#include "pdf/document/CPDFColorSpace.h"
#include "pdf/document/internal/ImageFile.h"
#include "pdf/object/ByteSink.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CodecFlate.h"
#include "platform/SystemError.h"

namespace {

// Why the image data could not be stored, when their storage (a mapped
// work file) could not grow: a full temporary folder named as such, a file
// size limit (EFBIG, under `ulimit -f` with SIGXFSZ ignored) as the limit,
// which no folder is to blame for, any other failure with the system's
// reason. Empty when no storage failed.
std::string StorageFailure(const TempHugeString& buffer) {
  const int code = buffer.GetStorageError();
  if (code == 0) return std::string();
  const std::string& folder = buffer.GetStorageFolder();
  if (code == ENOSPC || code == EDQUOT) return "the temporary folder " + folder + " is full";
  if (code == EFBIG) {
    return "cannot store the image data: " + platform::SystemErrorText(code) +
           " (the limit of a file's size)";
  }
  return "cannot store the image data in the temporary folder " + folder + ": " +
         platform::SystemErrorText(code);
}

// Appends size zero bytes to the buffer for a producer that fills them in
// place; where they begin, or none when the buffer cannot grow. A first
// request above the heap limit gets a new mapped file, which reads as zeros
// without a byte written: what the reader leaves blank costs neither time
// nor memory.
uint8_t* AppendZeros(TempHugeString& buffer, size_t size) {
  const int32_t start = buffer.GetLength();
  if (size > static_cast<size_t>(INT32_MAX - 1 - start)) return nullptr;
  const int32_t n = static_cast<int32_t>(size);
  if (start == 0 && buffer.GetCapacity() == 0 && n > TempHugeString::kHeapLimit) {
    if (!buffer.Reserve(n + 1) || !buffer.IsMapped() || !buffer.Truncate(n)) return nullptr;
  } else if (n > 0 && !buffer.Append(n, '\0')) {
    return nullptr;
  }
  return reinterpret_cast<uint8_t*>(buffer.GetBuffer()) + start;
}

// Lets a reader write the samples straight into a stream's data buffer. A
// heap buffer grows geometrically, so an image written row by row is moved
// a bounded number of times whatever its size; the readers announce the
// image's size first, so that large data are given their file once.
class StreamBufferSink : public TempHugeStringSink {
 public:
  explicit StreamBufferSink(TempHugeString& buffer) : TempHugeStringSink(buffer), buffer_(buffer) {}
  bool Put(const uint8_t* data, size_t size) override {
    const int64_t need = int64_t{buffer_.GetLength()} + static_cast<int64_t>(size) + 1;
    if (!buffer_.IsMapped() && need > buffer_.GetCapacity() && need <= INT32_MAX) {
      const int64_t doubled = int64_t{buffer_.GetCapacity()} * 2;
      const int64_t target = doubled > need && doubled <= INT32_MAX ? doubled : need;
      if (!buffer_.Reserve(static_cast<int32_t>(target))) return false;
    }
    return TempHugeStringSink::Put(data, size);
  }
  void Expect(size_t more) override {
    // Only storage not yet in a file: a failed reservation then leaves the
    // buffer as it was (a mapped one would lose its data), and Put grows it.
    const int64_t need = int64_t{buffer_.GetLength()} + 1;
    if (buffer_.IsMapped() || more > static_cast<size_t>(INT32_MAX - need)) return;
    buffer_.Reserve(static_cast<int32_t>(need + static_cast<int64_t>(more)));
  }
  uint8_t* PutZeros(size_t size) override { return AppendZeros(buffer_, size); }

 private:
  TempHugeString& buffer_;
};

// Compresses the samples a reader hands over into a stream's data buffer as
// they come, so the image is never held uncompressed: the buffer receives
// the same bytes as FlateEncodeBytes over the whole samples would give.
// Size counts the samples. A reader that fills its samples in place
// (PutZeros) has them held in scratch storage until the next call or Finish,
// which compress them then.
class FlateBufferSink : public ByteSink {
 public:
  explicit FlateBufferSink(TempHugeString& buffer) : out_(buffer), encoder_(out_) {}
  bool Put(const uint8_t* data, size_t size) override {
    if (!CompressScratch() || size > SIZE_MAX - size_ || !encoder_.Put(data, size).ok) return false;
    size_ += size;
    return true;
  }
  size_t Size() const override { return size_ + static_cast<size_t>(scratch_.GetLength()); }
  // The encoder starts on pieces early when it knows the data are large;
  // samples held in scratch storage are still to come for it.
  void Expect(size_t more) override {
    const auto held = static_cast<size_t>(scratch_.GetLength());
    encoder_.Expect(more > SIZE_MAX - held ? SIZE_MAX : held + more);
  }
  uint8_t* PutZeros(size_t size) override {
    if (!CompressScratch()) return nullptr;
    return AppendZeros(scratch_, size);
  }
  // Ends the compressed data; false when they could not be completed.
  bool Finish() { return CompressScratch() && encoder_.Finish().ok; }
  // Why the samples held for compression could not be stored, if they
  // could not.
  std::string ScratchFailure() const { return StorageFailure(scratch_); }

 private:
  bool CompressScratch() {
    const int32_t length = scratch_.GetLength();
    const auto* bytes = reinterpret_cast<const uint8_t*>(scratch_.c_str());
    constexpr int32_t kPart = int32_t{4} << 20;
    for (int32_t at = 0; at < length; at += kPart) {
      const int32_t n = length - at < kPart ? length - at : kPart;
      if (!encoder_.Put(bytes + at, static_cast<size_t>(n)).ok) return false;
      scratch_.ReleasePages(at, at + n);
    }
    size_ += static_cast<size_t>(length);
    scratch_.Free();
    return true;
  }

  TempHugeStringSink out_;
  FlateEncoder encoder_;
  TempHugeString scratch_;
  size_t size_ = 0;  // samples compressed so far
};

// Counts the bytes and keeps none: for data that stay in their file.
class CountingSink : public ByteSink {
 public:
  bool Put(const uint8_t*, size_t size) override {
    size_ += size;
    return true;
  }
  size_t Size() const override { return size_; }

 private:
  size_t size_ = 0;
};

// Takes no data: the readers stop at the description.
class NoDataSink : public ByteSink {
 public:
  bool Put(const uint8_t*, size_t) override { return false; }
  size_t Size() const override { return 0; }
  bool WantsData() const override { return false; }
};

using ImageReader = std::function<bool(const char* path, ByteSink& sink,
                                       ImageDescription& description, ImageError* error)>;

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
    if (!decode->Push_Back(doc, std::make_unique<CPDFNumber>(i % 2 == 0 ? 1 : 0))) return nullptr;
  }
  return decode.release();
}

// The image keys of the description: colour space or image mask, Decode.
// A value the image does not take is deleted.
bool SetColourKeys(CPDFImageXObj& image, CPDFObjRegistry* doc, const ImageDescription& d,
                   CPDFObjRef* lookupRef) {
  switch (d.colour) {
    case ImageColour::ImageMask:
      if (!image.Set(doc, image.Key_ImageMask(), std::make_unique<CPDFBool>(true))) {
        return false;
      }
      break;
    case ImageColour::Indexed:
      if (!image.Set(doc, image.Key_ColorSpace(),
                     std::unique_ptr<CPDFObject>(MakeIndexedColourSpace(doc, d, lookupRef)))) {
        return false;
      }
      break;
    default:
      if (!image.Set(doc, image.Key_ColorSpace(),
                     std::make_unique<CPDFName>(d.ColourSpaceName()))) {
        return false;
      }
      break;
  }
  if (d.DecodeElementCount() > 0 &&
      !image.Set(doc, image.Key_Decode(),
                 std::unique_ptr<CPDFObject>(MakeInvertedDecode(doc, d.DecodeElementCount())))) {
    return false;
  }
  return true;
}

// The decode parameters << /ColorTransform 0 >> of DCT data holding RGB
// samples; none on failure.
CPDFDict* NoColourTransform(CPDFObjRegistry* doc) {
  std::unique_ptr<CPDFDict> params(new CPDFDict);
  if (!params->Set(doc, CPDFName("ColorTransform"), std::make_unique<CPDFNumber>(0)))
    return nullptr;
  return params.release();
}

// Reads the file with the reader into a new image XObject of the document;
// with compress, the samples are compressed as they are read and the image
// gets the filter FlateDecode. With inPlace the reader still reads (and
// checks) every byte, but the data, which are the file itself, stay in the
// file and go from there to the output when the image is written (which
// refuses a file changed since). The matrix and the orientation are set
// only on success.
CPDFImageXObj* ImportImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                           const ImageReader& read, ImageError* reason,
                           const CPDFImageXObj::ImportOptions& options, bool inPlace = false) {
  if (!path) return nullptr;
  const bool withData = options.withData;
  const bool compress = options.compress && !inPlace;
  CPDFObjRef lookupRef;
  try {
    std::unique_ptr<CPDFImageXObj> image(new CPDFImageXObj);
    ImageDescription d;
    StreamBufferSink raw(image->GetBuffer());
    std::unique_ptr<FlateBufferSink> flate;
    if (withData && compress) flate = std::make_unique<FlateBufferSink>(image->GetBuffer());
    NoDataSink noData;
    CountingSink counted;
    ByteSink& sink = !withData ? static_cast<ByteSink&>(noData)
                     : flate   ? static_cast<ByteSink&>(*flate)
                     : inPlace ? static_cast<ByteSink&>(counted)
                               : static_cast<ByteSink&>(raw);
    // A storage that could not grow is told apart from want of memory.
    auto storageFailure = [&] {
      std::string why = StorageFailure(image->GetBuffer());
      if (why.empty() && flate) why = flate->ScratchFailure();
      return why;
    };
    if (!read(path, sink, d, reason)) {
      if (reason && reason->kind == ImageError::Kind::kStorage) {
        // No work file failed: the heap did.
        std::string why = storageFailure();
        if (why.empty()) {
          reason->kind = ImageError::Kind::kMemory;
        } else {
          reason->text = std::move(why);
        }
      }
      return nullptr;
    }
    if (withData && d.dataSize != sink.Size()) {
      if (reason) *reason = {ImageError::Kind::kRefused, "bad image description"};
      return nullptr;
    }
    if (flate && !flate->Finish()) {
      const std::string why = storageFailure();
      if (reason) {
        *reason = why.empty()
                      ? ImageError(ImageError::Kind::kStep, "cannot compress the image data")
                      : ImageError(ImageError::Kind::kStorage, why);
      }
      return nullptr;
    }
    const size_t length = !withData ? 0
                          : flate   ? static_cast<size_t>(image->GetBuffer().GetLength())
                                    : d.dataSize;
    if (d.width < 1 || d.width > INT32_MAX || d.height < 1 || d.height > INT32_MAX ||
        length > INT32_MAX) {
      if (reason) *reason = {ImageError::Kind::kRefused, "bad image description"};
      return nullptr;
    }
    if (!image->SetLength(static_cast<int32_t>(length)) ||
        (withData && inPlace &&
         !image->SetSourceFile(path, 0, static_cast<int32_t>(length), d.source))) {
      if (reason) *reason = {ImageError::Kind::kStep, "cannot build the image object"};
      return nullptr;
    }
    bool ok = image->Create(doc, static_cast<int32_t>(d.width), static_cast<int32_t>(d.height),
                            d.bitsPerComponent) &&
              SetColourKeys(*image, doc, d, &lookupRef);
    if (ok && d.dctEncoded) {
      CPDFDict* params = d.rgbWithoutTransform ? NoColourTransform(doc) : nullptr;
      ok = (params || !d.rgbWithoutTransform) &&
           image->EncodeFilter(CPDFName("DCTDecode"), params, nullptr);
    } else if (ok && flate) {
      ok = image->EncodeFilter(CPDFName("FlateDecode"), nullptr, nullptr);
    }
    if (!ok) {
      // The lookup stream belongs to the document once registered: it is
      // dropped there, not deleted here.
      if (lookupRef.IsDefined() && doc) doc->DeleteObj(lookupRef);
      if (reason) *reason = {ImageError::Kind::kStep, "cannot build the image object"};
      return nullptr;
    }
    matrix.SetIdentity();
    matrix.Scale(d.widthPoints, d.heightPoints);
    if (options.orientation) *options.orientation = d.orientation;
    return image.release();
  } catch (const std::bad_alloc&) {
    if (lookupRef.IsDefined() && doc) doc->DeleteObj(lookupRef);
    if (reason) *reason = kOutOfMemory;
    return nullptr;
  } catch (...) {
    if (lookupRef.IsDefined() && doc) doc->DeleteObj(lookupRef);
    CPDFException record;
    CPDFException::Absorb(&record, "CPDFImageXObj", "Import");
    const std::string why = record.GetMessage();
    if (reason)
      *reason = {ImageError::Kind::kStep, why.empty() ? "cannot build the image object" : why};
    return nullptr;
  }
}

}  // namespace

// A reader of files that hold one image: any other index is refused.
ImageReader SingleImage(bool (*read)(const char*, ByteSink&, ImageDescription&, ImageError*),
                        int32_t index) {
  return [read, index](const char* path, ByteSink& sink, ImageDescription& description,
                       ImageError* error) {
    if (index != 0) return ImageReadFail(error, NoSuchImage(static_cast<uint32_t>(index), 1));
    return read(path, sink, description, error);
  };
}

CPDFImageXObj* CreateBMPImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                              const CPDFImageXObj::ImportOptions& options, ImageError* reason) {
  CPDFImageXObj::ImportOptions bitmap = options;
  bitmap.orientation = nullptr;  // a bitmap has none
  return ImportImage(doc, path, matrix, SingleImage(ReadBMPImage, options.index), reason, bitmap);
}

CPDFImageXObj* CreateJPEGImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                               const CPDFImageXObj::ImportOptions& options, ImageError* reason) {
  // The data keep their own DCT encoding: the whole file, read in place.
  return ImportImage(doc, path, matrix, SingleImage(ReadJPEGImage, options.index), reason, options,
                     true);
}

CPDFImageXObj* CreateTIFFImage(CPDFObjRegistry* doc, const char* path, CPDFMatrix& matrix,
                               const CPDFImageXObj::ImportOptions& options, ImageError* reason) {
  if (options.index < 0) return nullptr;
  const auto index = static_cast<uint32_t>(options.index);
  const ImageReader read = [index](const char* file, ByteSink& sink, ImageDescription& description,
                                   ImageError* error) {
    return ReadTIFFImage(file, sink, description, error, index);
  };
  return ImportImage(doc, path, matrix, read, reason, options);
}
