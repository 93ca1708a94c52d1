#include "pdf/object/CPDFFilter.h"

#include <functional>
#include <memory>
#include <string>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFBool.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CodecFlate.h"
#include "pdf/object/internal/CodecASCII.h"
#include "pdf/object/internal/CodecCCITT.h"
#include "pdf/object/internal/CodecDCT.h"
#include "pdf/object/internal/CodecRunLength.h"
#include "platform/TempFile.h"

namespace {

using ByteCodec = std::function<bool(const uint8_t* in, size_t n, ByteSink& out)>;

// The frame every filter shares: no data succeeds at once; the output is
// collected on the side and taken over only on success.
bool RunCodec(CPDFStream* stream, const ByteCodec& codec,
              const std::function<bool()>& commit = nullptr) {
  if (!stream) return false;
  const char* data = stream->GetData();
  if (!data) return false;
  const int32_t n = stream->GetDataLength();
  if (n == 0) return true;
  TempHugeString out;
  TempHugeStringSink sink(out);
  if (!codec(reinterpret_cast<const uint8_t*>(data), static_cast<size_t>(n), sink)) return false;
  if (commit && !commit()) return false;
  return stream->TakeData(out);
}

ByteCodec Plain(CodecResult (*codec)(const uint8_t*, size_t, ByteSink&)) {
  return [codec](const uint8_t* in, size_t n, ByteSink& out) { return codec(in, n, out).ok; };
}

bool IntEntry(CPDFDict* dict, CPDFObjRegistry* doc, const char* key, int64_t& value) {
  auto* number = PDFGetAs<CPDFNumber>(dict, doc, CPDFName(key));
  if (!number) return false;
  value = number->GetInt();
  return true;
}

// The text of a name entry; "" when it is another type. False when absent.
bool NameEntry(CPDFDict* dict, CPDFObjRegistry* doc, const char* key, std::string& text) {
  CPDFObject* value = dict->Get(doc, CPDFName(key));
  if (!value) return false;
  auto* name = dynamic_cast<CPDFName*>(value);
  text = name ? std::string(name->c_str(), static_cast<size_t>(name->GetLength())) : "";
  return true;
}

// The parameters of the filter being applied: /DecodeParms itself, or the
// first element of a parameter array (the decode walk keeps the current
// filter's parameters there). None when absent, empty or not a dictionary.
CPDFDict* CurrentParams(CPDFStream* stream, bool* wrongType = nullptr) {
  CPDFObject* value = stream->Get_DecodeParms();
  if (auto* array = dynamic_cast<CPDFArray*>(value)) {
    value = array->GetCount() > 0 ? array->Get(stream->GetDoc(), 0) : nullptr;
    if (!value && wrongType) *wrongType = true;
  }
  auto* dict = value && value->GetType() == CPDFObject::kDictionary ? static_cast<CPDFDict*>(value)
                                                                    : nullptr;
  if (value && !dict && !value->IsType(CPDFObject::kNull) && wrongType) *wrongType = true;
  return dict;
}

bool ReadGeometry(CPDFStream* s, int64_t& width, int64_t& height, int64_t& bits,
                  std::string& colorSpace) {
  CPDFObjRegistry* doc = s->GetDoc();
  return IntEntry(s, doc, "Width", width) && IntEntry(s, doc, "Height", height) &&
         IntEntry(s, doc, "BitsPerComponent", bits) && NameEntry(s, doc, "ColorSpace", colorSpace);
}

// An empty stream encodes and decodes at once, as with every filter,
// whatever its dictionary holds: there are no samples whose geometry would
// matter.
bool EmptyData(CPDFStream* s) { return s->GetDataLength() == 0 && s->GetData(); }

}  // namespace

bool CPDFASCIIHexFilter::Encode(CPDFStream* s) { return RunCodec(s, Plain(ASCIIHexEncodeBytes)); }
bool CPDFASCIIHexFilter::Decode(CPDFStream* s) { return RunCodec(s, Plain(ASCIIHexDecodeBytes)); }
bool CPDFASCII85Filter::Encode(CPDFStream* s) { return RunCodec(s, Plain(ASCII85EncodeBytes)); }
bool CPDFASCII85Filter::Decode(CPDFStream* s) { return RunCodec(s, Plain(ASCII85DecodeBytes)); }
bool CPDFRunLengthFilter::Encode(CPDFStream* s) { return RunCodec(s, Plain(RunLengthEncodeBytes)); }
bool CPDFRunLengthFilter::Decode(CPDFStream* s) { return RunCodec(s, Plain(RunLengthDecodeBytes)); }
bool CPDFFlateFilter::Encode(CPDFStream* s) { return RunCodec(s, Plain(FlateEncodeBytes)); }

bool CPDFFlateFilter::Decode(CPDFStream* s) {
  if (!s) return false;
  FlateDecodeOptions options;
  if (CPDFDict* params = CurrentParams(s)) {
    int64_t predictor = 1;
    if (IntEntry(params, s->GetDoc(), "Predictor", predictor)) {
      options.predictor = predictor < 1 ? 1 : predictor > 1000 ? 1000 : static_cast<int>(predictor);
    }
  }
  return RunCodec(s, [&](const uint8_t* in, size_t n, ByteSink& out) {
    return FlateDecodeBytes(in, n, out, options).ok;
  });
}

bool CPDFDCTFilter::Encode(CPDFStream* s, int32_t quality) {
  if (!s) return false;
  if (EmptyData(s)) return true;
  DCTParameters p;
  if (!ReadGeometry(s, p.width, p.height, p.bitsPerComponent, p.colorSpace)) return false;
  p.quality = quality;
  return RunCodec(s, [&](const uint8_t* in, size_t n, ByteSink& out) {
    return CodecDCT::Encode(in, n, p, out);
  });
}

bool CPDFDCTFilter::Decode(CPDFStream* s) {
  if (!s) return false;
  if (EmptyData(s)) return true;
  DCTParameters p;
  if (!ReadGeometry(s, p.width, p.height, p.bitsPerComponent, p.colorSpace)) return false;
  return RunCodec(s, [&](const uint8_t* in, size_t n, ByteSink& out) {
    return CodecDCT::Decode(in, n, p, out);
  });
}

bool CPDFCCITTFaxFilter::Encode(CPDFStream* s, int32_t k, CPDFDict* params) {
  if (!s || !params) return false;
  if (EmptyData(s)) return true;
  CPDFObjRegistry* doc = s->GetDoc();
  CCITTParameters p;
  if (!ReadGeometry(s, p.width, p.height, p.bitsPerComponent, p.colorSpace)) return false;
  p.tempDirectory = platform::WorkFolder();
  if (CPDFObject* decode = s->Get(doc, CPDFName("Decode"))) {
    p.decode = CCITTParameters::DecodeArray::Other;
    auto* array = dynamic_cast<CPDFArray*>(decode);
    if (array && array->GetCount() == 2) {
      auto* a = dynamic_cast<CPDFNumber*>(array->Get(doc, 0));
      auto* b = dynamic_cast<CPDFNumber*>(array->Get(doc, 1));
      if (a && b && a->GetReal() == 1 && b->GetReal() == 0) {
        p.decode = CCITTParameters::DecodeArray::Inverted;
      } else if (a && b && a->GetReal() == 0 && b->GetReal() == 1) {
        p.decode = CCITTParameters::DecodeArray::Plain;
      }
    }
  }
  CCITTEncodeResult result;
  return RunCodec(
      s,
      [&](const uint8_t* in, size_t n, ByteSink& out) {
        return CodecCCITT::Encode(in, n, p, k, out, result);
      },
      [&] {
        if (!params->Set(nullptr, CPDFName("K"), std::make_unique<CPDFInt>(result.k)) ||
            !params->Set(nullptr, CPDFName("Columns"),
                         std::make_unique<CPDFInt>(static_cast<long>(result.columns)))) {
          return false;
        }
        if (result.blackIs1 &&
            !params->Set(nullptr, CPDFName("BlackIs1"), std::make_unique<CPDFBool>(true))) {
          return false;
        }
        if (result.removeDecode) s->Remove(doc, CPDFName("Decode"));
        return true;
      });
}

bool CPDFCCITTFaxFilter::Decode(CPDFStream* s) {
  if (!s) return false;
  CPDFObjRegistry* doc = s->GetDoc();
  if (EmptyData(s)) return true;
  CCITTParameters p;
  if (!ReadGeometry(s, p.width, p.height, p.bitsPerComponent, p.colorSpace)) return false;
  p.tempDirectory = platform::WorkFolder();
  bool wrongType = false;
  CPDFDict* params = CurrentParams(s, &wrongType);
  if (!params || wrongType) return false;
  int64_t k = 0;
  p.hasK = IntEntry(params, doc, "K", k);
  p.k = static_cast<int32_t>(k < -1 ? -1 : k > 1 ? 1 : k);
  if (auto* black = dynamic_cast<CPDFBool*>(params->Get(doc, CPDFName("BlackIs1")))) {
    p.blackIs1 = black->GetValue();
  }
  bool setDecode = false;
  return RunCodec(
      s,
      [&](const uint8_t* in, size_t n, ByteSink& out) {
        return CodecCCITT::Decode(in, n, p, out, setDecode);
      },
      [&] {
        if (!setDecode) return true;
        std::unique_ptr<CPDFArray> decode(new CPDFArray);
        for (int v : {1, 0}) {
          if (!decode->Push_Back(nullptr, std::make_unique<CPDFInt>(v))) return false;
        }
        return s->Set(doc, CPDFName("Decode"), std::move(decode));
      });
}
