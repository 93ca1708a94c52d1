// The object parser over a memory input stream, with a real document as the
// registry (indirect references, streams whose Length is indirect). Whatever
// the bytes, parsing answers an object, none, or throws a CPDFException*;
// an object it answers is written out, and that text parses again.
#include <memory>
#include <string>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFString.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// One document for the whole run, holding objects 1.. of a new document
// plus a number (an indirect Length) and a string.
CPDFDoc* Registry() {
  static CPDFDoc* doc = [] {
    CPDFDoc* d = CPDFEnv::Global().CreateDoc(false, false, 1, 3, nullptr);
    FUZZ_CHECK(d != nullptr);
    CPDFObjRef ref;
    FUZZ_CHECK(d->RegistObj(new CPDFNumber(int32_t{5}), &ref));
    FUZZ_CHECK(d->RegistObj(new CPDFString("text"), &ref));
    return d;
  }();
  return doc;
}

// Parses the bytes; none when the parser declined or threw (the exception
// must carry a message).
std::unique_ptr<CPDFObject> Parse(const uint8_t* data, size_t size, int32_t bufferSize) {
  CPDFMemInStream in;
  FUZZ_CHECK(in.Open(data, static_cast<int32_t>(size), bufferSize));
  try {
    return std::unique_ptr<CPDFObject>(CPDFObject::SerializeObject(Registry(), in, nullptr));
  } catch (CPDFException* e) {
    FUZZ_CHECK(e->GetMessage() != nullptr);
    delete e;
    return nullptr;
  }
}

std::string Written(CPDFObject& object) {
  CPDFStrOutStream out;
  FUZZ_CHECK(out.Open());
  object.Write(out, nullptr);
  FUZZ_CHECK(!out.Failed());
  const TempString& text = out.GetString();
  return std::string(text.c_str(), static_cast<size_t>(text.GetLength()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (size_t{1} << 20)) return 0;
  // A tiny buffer makes every refill and step back cross a buffer edge.
  const int32_t bufferSize = size > 0 && data[0] % 2 ? 16 : 0;
  std::unique_ptr<CPDFObject> object = Parse(data, size, bufferSize);
  if (!object) return 0;
  // In a file an object is always followed by "endobj": a name or number
  // at the very end of the bytes is refused, and a stream's end is
  // "endstream" followed by "endobj".
  const std::string text = Written(*object) + "\nendobj\n";
  std::unique_ptr<CPDFObject> again =
      Parse(reinterpret_cast<const uint8_t*>(text.data()), text.size(), 0);
  FUZZ_CHECK(again != nullptr);
  FUZZ_CHECK(again->GetType() == object->GetType());
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  seeds.Add("dict", "<< /Type /Page /MediaBox [0 0 612 792] /Parent 1 0 R /Rotate 90 >>");
  seeds.Add("nested", "[[[<< /A [1 2.5 -3 +.5] /B (a\\(b\\)c\\n\\101) /C <414243> >>]]]");
  seeds.Add("names", "/A#20B /#41 / /x");
  seeds.Add("string-escapes", "(line\\\r\nnext \\0 \\12 \\123 (nested) \\\\)");
  seeds.Add("hex-odd", "<4142 43 4>");
  seeds.Add("numbers", "[0 -0 007 2147483647 2147483648 -2147483649 1e5 .5 -.002 3.40282e38]");
  seeds.Add("keywords", "[true false null]");
  seeds.Add("refs", "[1 0 R 2 0 R 99 0 R 1 65535 R]");
  seeds.Add("stream", "<< /Length 5 >>\nstream\r\nhello\nendstream\nendobj");
  seeds.Add("stream-indirect-length", "<< /Length 2 0 R >>\nstream\nhello\nendstream\nendobj");
  seeds.Add("stream-filters",
            "<< /Length 12 /Filter [/ASCIIHexDecode /FlateDecode] /DecodeParms [null << "
            "/Predictor 1 >>] >>\nstream\n414243444546\nendstream endobj");
  seeds.Add("stream-external",
            "<< /Length 0 /F (data.bin) /FFilter /ASCIIHexDecode >>\nstream\n"
            "\nendstream\nendobj");
  seeds.Add("comments", "% a comment\n<< % inside\n/K 1 >>");
  seeds.Add("deep", std::string(600, '[') + std::string(600, ']'));
  seeds.Add("unterminated", "<< /A [1 2 (x");
  seeds.Add("names-lone-number-sign", "<< /Im# 1 0 R /Im#1 2 0 R /Im#31 3 /#G0 /#4 /A#2 () >>");
  seeds.Add("stream-negative-length", "<< /Length -5 >>\nstream\nhello\nendstream\nendobj");
  seeds.Add("stream-negative-length-filters",
            "<< /Length -3 /Filter [/ASCIIHexDecode /ASCIIHexDecode] /DecodeParms [null] >>\n"
            "stream\n3431\nendstream\nendobj");
  // Large containers, each within the target's 4096-byte inputs: arrays and
  // dictionaries whose storage grows many times, keys in the orders that make
  // the map's tree deepest, and long runs of references.
  std::string zeros = "[";
  for (int i = 0; i < 2000; ++i) zeros += "0 ";
  seeds.Add("array-large", zeros + "]");
  std::string refs = "[";
  for (int i = 1; i <= 450; ++i) refs += std::to_string(i) + " 0 R ";
  seeds.Add("array-many-references", refs + "]");
  std::string same = "<< /Type /Pages /Count 650 /Kids [";
  for (int i = 0; i < 650; ++i) same += "3 0 R ";
  seeds.Add("kids-one-page-many-times", same + "] >>");
  std::string ascending = "<<";
  for (int i = 1; i <= 250; ++i) {
    ascending += " /Im" + std::to_string(i) + " " + std::to_string(i) + " 0 R";
  }
  seeds.Add("dict-ascending-keys", ascending + " >>");
  std::string descending = "<<";
  for (int i = 1; i <= 300; ++i) {
    descending += " /K" + std::to_string(100000 - i) + " " + std::to_string(i);
  }
  seeds.Add("dict-descending-keys", descending + " >>");
  std::string zigzag = "<<";
  for (int i = 0; i < 250; ++i) {
    zigzag += " /Z" + std::to_string(i % 2 ? 10000 + i : 20000 - i) + " " + std::to_string(i);
  }
  for (int i = 0; i < 250; i += 7) zigzag += " /Z" + std::to_string(10000 + i) + " null";
  seeds.Add("dict-zigzag-repeated-keys", zigzag + " >>");
  // A chain of dictionaries linked by /N, as deep as the parser allows, every
  // eighth holding a reference.
  std::string chain;
  for (int i = 0; i < 500; ++i) chain += i % 8 ? "<</N" : "<</R 9 0 R/N";
  chain += " null";
  for (int i = 0; i < 500; ++i) chain += ">>";
  seeds.Add("next-chain", chain);
}
