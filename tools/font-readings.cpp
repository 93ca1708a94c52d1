// Development check (tools/check-font-readings.sh runs it; not part of the
// build or the tests): what the library reads from the fonts of a real PDF.
// The file must be written by `qpdf --qdf --object-streams=disable`, so that
// every object stands in the file as "N G obj ... endobj". Every object is
// read through the library's parser; each font dictionary that a simple
// font kind takes (Type 1, TrueType, Multiple Master, Type 3) goes through
// the font factory, and every code from 00 to FF through its ToUnicode, one
// code at a time. One line per code, tab-separated:
//
//   object  subtype  base-font  code  glyph-name  reading
//
// where the glyph name is the one /Differences gives the code ("-" for
// none) and the reading the UTF-16 units in hexadecimal ("-" for nothing,
// "!" and the message for a failure). Composite fonts (Type 0) and their
// CID fonts convert by CMaps, never by glyph names: one line each with the
// code "--" says they were found and not read code by code.
//
//   font-readings FILE
//
// The same source is built against two trees of the library, so it uses
// only what both offer. Exit status 0, or 2 when the file cannot be read.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "pdf/composite/CPDFEnv.h"
#include "pdf/font/CPDFFont.h"
#include "pdf/font/EncodingTable.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFTypedStruct.h"

namespace {

// The objects of one file, each read from its offset on first use.
class FileObjects : public CPDFObjRegistry {
 public:
  // Finds every "N G obj" that starts a line. False when the file does not
  // open.
  bool Open(const char* path) {
    std::ifstream text(path, std::ios::binary);
    if (!text || !in_.Open(path, "rb")) return false;
    path_ = path;
    std::string line;
    int64_t offset = 0;
    while (std::getline(text, line)) {
      // qpdf writes each object header as a line of its own; the first
      // such line of a number is the object (a stream's text may hold
      // another).
      int number = 0;
      int generation = 0;
      int used = 0;
      if (offset <= INT32_MAX &&
          std::sscanf(line.c_str(), "%d %d obj%n", &number, &generation, &used) == 2 &&
          static_cast<size_t>(used) == line.size() && number > 0 && !offsets_.count(number)) {
        offsets_[number] = static_cast<int32_t>(offset);
        generations_[number] = generation;
      }
      offset += static_cast<int64_t>(line.size()) + 1;
    }
    next_ = offsets_.empty() ? 1 : offsets_.rbegin()->first + 1;
    return true;
  }

  const std::map<int32_t, int32_t>& Offsets() const { return offsets_; }
  int32_t GenerationOf(int32_t number) const { return generations_.at(number); }

  using CPDFObjRegistry::RegistObj;
  bool RegistObj(CPDFObject* object, CPDFObjRef* ref) override {
    if (!object) return false;
    const int32_t number = ref && ref->IsDefined() ? ref->GetNumber() : next_++;
    loaded_[number].reset(object);
    if (ref) ref->Set(number, 0);
    return true;
  }
  CPDFObject* GetObj(const CPDFObjRef& ref) override {
    const int32_t number = ref.GetNumber();
    if (auto it = loaded_.find(number); it != loaded_.end()) return it->second.get();
    auto at = offsets_.find(number);
    if (at == offsets_.end() || loading_.count(number)) return nullptr;
    // A load inside another one (an indirect /Length) goes back to where
    // the outer read stood.
    const int32_t resume = in_.GetPosition();
    loading_.insert(number);
    CPDFObject* object = nullptr;
    try {
      char n[CPDFInStream::kTokenSize];
      char g[CPDFInStream::kTokenSize];
      char keyword[CPDFInStream::kTokenSize];
      if (in_.Seek(at->second) == 0 && in_.ReadToken(n, sizeof n) && in_.ReadToken(g, sizeof g) &&
          in_.ReadToken(keyword, sizeof keyword) && std::strcmp(keyword, "obj") == 0) {
        object = CPDFObject::SerializeObject(this, in_, nullptr);
      }
    } catch (...) {
      CPDFException::Absorb(nullptr, "FileObjects", "GetObj");
      object = nullptr;
    }
    loading_.erase(number);
    in_.Seek(resume);
    if (object) loaded_[number].reset(object);
    return object;
  }
  void DeleteObj(const CPDFObjRef& ref) override { loaded_.erase(ref.GetNumber()); }
  bool UpdateObj(const CPDFObjRef&) override { return true; }
  bool ReleaseObj(const CPDFObjRef&, bool) override { return true; }
  bool LinearizeObj(const CPDFObjRef&, bool) override { return false; }
  bool GetLinearRef(const CPDFObjRef&, CPDFObjRef*) override { return false; }
  const char* GetFileName() const override { return path_.c_str(); }

 private:
  CPDFFileInStream in_;
  std::string path_;
  std::map<int32_t, int32_t> offsets_;
  std::map<int32_t, int32_t> generations_;
  std::map<int32_t, std::unique_ptr<CPDFObject>> loaded_;
  std::set<int32_t> loading_;
  int32_t next_ = 1;
};

const char* NameOr(CPDFName* name, const char* none) { return name ? name->c_str() : none; }

// A dictionary's /Type and /Subtype, "" for none.
std::string NameEntry(FileObjects& doc, CPDFDict* dict, const char* key) {
  return NameOr(PDFGetAs<CPDFName>(dict, &doc, CPDFName(key)), "");
}

// The reading of one code: its units in hexadecimal, "-" for none, "!" and
// the message for a failure.
std::string Reading(CPDFFont& font, FileObjects& doc, uint8_t code) {
  char16_t units[8];
  const int32_t n = font.ToUnicode(units, 8, &code, 1);
  if (n < 0) return std::string("!") + doc.GetError().GetMessage();
  if (n == 0) return "-";
  std::string text;
  for (int32_t i = 0; i < n; ++i) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%s%04X", i ? " " : "", static_cast<unsigned>(units[i]));
    text += hex;
  }
  return text;
}

void ReadFont(FileObjects& doc, int32_t number, CPDFDict* dict, const std::string& subtype) {
  const std::string baseFont = NameEntry(doc, dict, "BaseFont");
  const char* shown = baseFont.empty() ? "-" : baseFont.c_str();
  if (subtype == "Type0" || subtype == "CIDFontType0" || subtype == "CIDFontType2") {
    std::printf("%d\t%s\t%s\t--\t-\tcomposite\n", number, subtype.c_str(), shown);
    return;
  }
  std::unique_ptr<CPDFFont> font(CPDFFont::CreateFont(&doc, dict, -1));
  if (!font) {
    std::printf("%d\t%s\t%s\t--\t-\tno font kind takes it\n", number, subtype.c_str(), shown);
    return;
  }
  // The names /Differences gives the codes.
  EncodingTable differences;
  if (auto* encoding = PDFGetAs<CPDFDict>(font.get(), &doc, CPDFFont::Key_Encoding())) {
    if (auto* array = PDFGetAs<CPDFArray>(encoding, &doc, CPDFName("Differences"))) {
      CPDFFont::ApplyDifferences(&doc, array, differences);
    }
  }
  for (int code = 0; code < 256; ++code) {
    const char* name = differences.FindGlyphName(static_cast<uint8_t>(code));
    std::printf("%d\t%s\t%s\t%02X\t%s\t%s\n", number, subtype.c_str(), shown, code,
                name ? name : "-", Reading(*font, doc, static_cast<uint8_t>(code)).c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: font-readings FILE\n");
    return 2;
  }
  CPDFEnv::Global().Init(nullptr, nullptr, nullptr, nullptr);
  FileObjects doc;
  if (!doc.Open(argv[1])) {
    std::fprintf(stderr, "font-readings: %s does not open\n", argv[1]);
    return 2;
  }
  for (const auto& [number, offset] : doc.Offsets()) {
    auto* dict = dynamic_cast<CPDFDict*>(doc.GetObj(CPDFObjRef(number, doc.GenerationOf(number))));
    if (!dict || NameEntry(doc, dict, "Type") != "Font") continue;
    ReadFont(doc, number, dict, NameEntry(doc, dict, "Subtype"));
  }
  return 0;
}
