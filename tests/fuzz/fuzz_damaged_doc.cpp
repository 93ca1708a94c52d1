// Reading a PDF file written by the library and then damaged. Each run
// writes the same small document (two pages, content streams plain and
// Flate-encoded, a resource dictionary, nested containers, a stream whose
// Length is indirect, the information dictionary; a third page with
// annotations, form fields under a field tree, a transition and additional
// actions that reading types), releases every object but the catalog and
// the page-tree root, puts the fuzzed bytes in place of the file, then reads
// every page (walking its fields), every object and every stream's data,
// and saves the document to a second file. Nothing may crash or hang; every failure fills the error
// record; a save either succeeds or leaves no file behind.
#include <memory>
#include <string>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFEnv.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/interactive/CPDFField.h"
#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tests/fuzz/FuzzTemp.h"

namespace {

struct DocCloser {
  void operator()(CPDFDoc* doc) const { CPDFEnv::Global().CloseDoc(doc); }
};
using DocPtr = std::unique_ptr<CPDFDoc, DocCloser>;

// The object parsed from PDF text, registered as an indirect object when
// ref is given.
CPDFObject* Parsed(CPDFDoc* doc, const std::string& text, CPDFObjRef* ref = nullptr) {
  CPDFMemInStream in;
  in.Open(text.data(), static_cast<int32_t>(text.size()), 64);
  CPDFObject* object = CPDFObject::SerializeObject(doc, in, nullptr);
  FUZZ_CHECK(object != nullptr);
  if (ref) FUZZ_CHECK(doc->RegistObj(object, ref));
  return object;
}

std::string Ref(const CPDFObjRef& ref) { return std::to_string(ref.GetNumber()) + " 0 R"; }

// A field tree: a text widget whose parent gives it its kind and shares
// its name (so that Uninherit has entries to move), a check box, a choice
// with options, a signature field with its signature dictionary, and a
// widget whose /Parent chain loops. Answers the widgets' references.
std::string AddFieldTree(CPDFDoc* d) {
  CPDFObjRef parent, text, check, choice, sig, value, loopA, loopB, looped;
  const std::string widget = "<< /Type /Annot /Subtype /Widget /Rect [0 0 10 10] ";
  Parsed(d, "<< /T (a) /FT /Tx /Ff 4096 /DR << /Font << >> >> /Kids [] >>", &parent);
  Parsed(d, widget + "/Parent " + Ref(parent) + " /T (a) /DA (/Helv 0 Tf 0 g) /V (v) >>", &text);
  auto* tree = dynamic_cast<CPDFDict*>(d->GetObj(parent));
  FUZZ_CHECK(tree != nullptr);
  FUZZ_CHECK(tree->Set(d, CPDFName("Kids"), Parsed(d, "[" + Ref(text) + "]"), false, nullptr));
  Parsed(d, widget + "/FT /Btn /T (c) /V /Off /AS /Off >>", &check);
  Parsed(d, widget + "/FT /Ch /T <FEFF0063> /Opt [(x) [(y) (Y)] 3] /V (x) /TopIndex 0 >>", &choice);
  Parsed(d, "<< /Type /Sig /ByteRange [0 1 2 3] /Contents <00FF> /M (D:20200101) >>", &value);
  Parsed(d, widget + "/FT /Sig /T (s) /V " + Ref(value) + " >>", &sig);
  Parsed(d, "<< /T (l) /FT /Tx >>", &loopA);
  Parsed(d, "<< /Parent " + Ref(loopA) + " >>", &loopB);
  auto* top = dynamic_cast<CPDFDict*>(d->GetObj(loopA));
  FUZZ_CHECK(top != nullptr);
  FUZZ_CHECK(PDFSetRef(top, CPDFName("Parent"), loopB));
  Parsed(d, widget + "/Parent " + Ref(loopB) + " /T (m) >>", &looped);
  return " " + Ref(text) + " " + Ref(check) + " " + Ref(choice) + " " + Ref(sig) + " " +
         Ref(looped);
}

// Walks the fields of a page read back: full names, inherited values, and
// moving a field's shared entries into its parent.
void VisitFields(CPDFDoc* doc, CPDFPage* page) {
  CPDFArray* annots = page->Get_Annots();
  for (int32_t i = 0; annots && i < annots->GetCount(); ++i) {
    auto* field = dynamic_cast<CPDFField*>(annots->Get(doc, i));
    if (!field) continue;
    CPDFText name;
    field->GetFullName(&name);
    field->Get_DA();
    field->Get_DR();
    field->Uninherit();
  }
}

// The third page: a link with an action chain, a square with its
// appearance and border style, a file attachment with an embedded file, a
// transition and additional actions.
void AddInteractivePage(CPDFDoc* d, CPDFPage* page) {
  CPDFObjRef form, file, spec, link, square, attachment;
  Parsed(d,
         "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Length 21 >> stream\r\n"
         "1 0 0 rg 0 0 5 5 re f\r\nendstream\r\nendobj",
         &form);
  Parsed(d,
         "<< /Type /EmbeddedFile /Params << /Size 2 >> /Length 2 >> stream\r\nhi\r\n"
         "endstream\r\nendobj",
         &file);
  Parsed(d, "<< /Type /Filespec /F (hi.txt) /EF << /F " + Ref(file) + " >> >>", &spec);
  Parsed(d,
         "<< /Type /Annot /Subtype /Link /Rect [0 0 10 10] /Dest [0 /Fit] /A << /S /URI /URI "
         "(https://example.org/) /Next [<< /S /Named /N /NextPage >>] >> >>",
         &link);
  Parsed(d,
         "<< /Type /Annot /Subtype /Square /Rect [0 0 10 10] /T (t) /M (D:20200101) /F 4 "
         "/AP << /N " +
             Ref(form) + " >> /BS << /W 2 /S /D >> >>",
         &square);
  Parsed(d, "<< /Type /Annot /Subtype /FileAttachment /Rect [0 0 10 10] /FS " + Ref(spec) + " >>",
         &attachment);
  const std::string fields = AddFieldTree(d);
  FUZZ_CHECK(page->Set(
      d, CPDFName("Annots"),
      Parsed(d, "[" + Ref(link) + " " + Ref(square) + " " + Ref(attachment) + fields + "]"), false,
      nullptr));
  FUZZ_CHECK(page->Set(d, CPDFName("Trans"), Parsed(d, "<< /Type /Trans /S /Wipe /Di 90 >>"), false,
                       nullptr));
  FUZZ_CHECK(page->Set(d, CPDFName("AA"),
                       Parsed(d, "<< /O << /S /URI /URI (o) >> /C << /S /Bogus >> >>"), false,
                       nullptr));
}

// Writes the document to the path and answers it, open on that file.
DocPtr WriteDocument(const std::string& path) {
  DocPtr doc(CPDFEnv::Global().CreateDoc(false, false, 1, 3, nullptr));
  FUZZ_CHECK(doc != nullptr);
  FUZZ_CHECK(doc->CreatePage(-1, 3));
  CPDFDoc* d = doc.get();
  for (int32_t i = 0; i < 2; ++i) {
    CPDFPage* page = d->GetPage(i);
    FUZZ_CHECK(page != nullptr);
    CPDFStream content;
    const std::string ops = "q 1 0 0 rg 0 0 " + std::to_string(10 + i) + " 10 re f Q";
    FUZZ_CHECK(content.SetData(ops.data(), static_cast<int32_t>(ops.size())));
    if (i == 1) FUZZ_CHECK(content.FlateEncode());
    FUZZ_CHECK(page->AddContents(&content));
  }
  CPDFPage* third = d->GetPage(2);
  FUZZ_CHECK(third != nullptr);
  AddInteractivePage(d, third);
  auto* extra = new CPDFDict;
  auto* array = new CPDFArray;
  array->Push_Back(d, new CPDFNumber(1.5f));
  array->Push_Back(d, new CPDFString("a(b)c"));
  auto* inner = new CPDFArray;
  inner->Push_Back(d, new CPDFName("Inner"));
  array->Push_Back(d, inner);
  extra->Set(d, CPDFName("Array"), array);
  auto* stream = new CPDFStream(d);
  FUZZ_CHECK(stream->SetData("0123456789", 10));
  CPDFObjRef streamRef;
  FUZZ_CHECK(extra->Set(d, CPDFName("Data"), stream, true, &streamRef));
  CPDFObjRef lengthRef;
  FUZZ_CHECK(d->RegistObj(new CPDFNumber(10), &lengthRef));
  stream->SetAt(CPDFName("Length"), new CPDFObjRef(lengthRef));
  CPDFObjRef extraRef;
  FUZZ_CHECK(d->RegistObj(extra, &extraRef));
  FUZZ_CHECK(d->Save(path.c_str(), false, false));
  FUZZ_CHECK(d->Flush());
  return doc;
}

// The highest object number of the written revision plus one.
int32_t ObjectCount(CPDFDoc* doc) {
  CPDFXRef* xref = nullptr;
  if (!doc->FindEntry(1, true, &xref) || !xref) return 0;
  return xref->GetCount();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const fuzz::WorkFolder& folder = fuzz::WorkFolder::Get();
  const std::string path = folder.File("in.pdf");
  const std::string saved = folder.File("out.pdf");
  {
    DocPtr doc = WriteDocument(path);
    const int32_t count = ObjectCount(doc.get());
    FUZZ_CHECK(count > 0);
    // The catalog and the root of the page tree stay in memory as typed
    // objects (released, they would be read back as plain dictionaries and
    // the pages could not be found); the pages themselves and everything
    // else are read again from the fuzzed bytes.
    CPDFObjRef rootRef, pagesRef;
    CPDFCatalog* catalog = doc->GetCatalog(&rootRef);
    FUZZ_CHECK(catalog != nullptr && catalog->Get_Pages(&pagesRef) != nullptr);
    for (int32_t n = 1; n < count; ++n) {
      if (n == rootRef.GetNumber() || n == pagesRef.GetNumber()) continue;
      if (const CPDFXRefEntry* entry = doc->FindEntry(n, true)) {
        doc->ReleaseObj(CPDFObjRef(n, entry->generation), true);
      }
    }
    fuzz::WorkFolder::Write(path, data, size);

    // The pages first, so that reading them types what they hold (their
    // annotations and form fields) before the walk below reads every other
    // object as it stands.
    const int32_t pages = doc->GetPageCount();
    for (int32_t i = 0; i < pages; ++i) {
      if (CPDFPage* page = doc->GetPage(i)) {
        page->Get_MediaBox();
        page->Get_Resources();
        VisitFields(doc.get(), page);
      }
    }

    for (int32_t n = 1; n < count; ++n) {
      const CPDFXRefEntry* entry = doc->FindEntry(n, true);
      if (!entry) continue;
      CPDFObject* object = doc->GetObj(CPDFObjRef(n, entry->generation));
      if (!object) {
        FUZZ_CHECK(doc->GetError().GetCode() != 0 || !entry->inUse);
        continue;
      }
      if (auto* stream = dynamic_cast<CPDFStream*>(object)) {
        stream->LoadData();
        stream->GetDataLength();
      }
    }
    const bool ok = doc->Save(saved.c_str(), false, false) && doc->Flush();
    if (!ok) FUZZ_CHECK(doc->GetError().GetCode() != 0);
  }
  // Only the two files may remain: no work file of a save is left.
  ::unlink(path.c_str());
  ::unlink(saved.c_str());
  FUZZ_CHECK(folder.Count() == 0);
  return 0;
}

void FuzzSeeds(FuzzSeedList& seeds) {
  const fuzz::WorkFolder& folder = fuzz::WorkFolder::Get();
  const std::string path = folder.File("seed.pdf");
  DocPtr doc = WriteDocument(path);
  CPDFObjRef rootRef, pageRef;
  FUZZ_CHECK(doc->GetCatalog()->Get_Pages(&rootRef) != nullptr);
  FUZZ_CHECK(doc->GetPage(0, &pageRef) != nullptr);
  doc.reset();
  const fuzz::Bytes written = fuzz::WorkFolder::Read(path);
  seeds.Add("written", written);
  ::unlink(path.c_str());

  // The same file with the first page turned into a node whose only kid is
  // the root of the tree, in the page's own bytes (every offset stays): a
  // loop, under a Count far above the pages there are.
  std::string text(written.begin(), written.end());
  const size_t object = text.find("\n" + std::to_string(pageRef.GetNumber()) + " 0 obj");
  const size_t open = text.find("<<", object);
  const size_t end = text.find("endobj", open);
  const size_t close = end == std::string::npos ? end : text.rfind(">>", end);
  const std::string node =
      "<</Type/Pages/Count 1000000/Kids[" + std::to_string(rootRef.GetNumber()) + " 0 R]";
  FUZZ_CHECK(object != std::string::npos && open < close && close - open >= node.size());
  text.replace(open, close - open, node + std::string(close - open - node.size(), ' '));
  seeds.Add("written-page-tree-loop", fuzz::Bytes(text.begin(), text.end()));
}
