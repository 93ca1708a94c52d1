#pragma once
// Short helpers of the interactive-feature tests that build documents from
// PDF text and check them with outside tools.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "tests/pdf/document/DocTestSupport.h"
#include "tests/pdf/document/ImageTestSupport.h"
#include "tests/pdf/document/PeriphTestSupport.h"

inline std::string Output(const std::string& command) { return ToolOutput(command); }
inline bool Installed(const char* command) { return ToolInstalled(command); }
inline std::string Ref(const CPDFObjRef& ref) { return periph::RefText(ref); }
inline std::string Stream(const std::string& dict, const std::string& data) {
  return periph::StreamText(dict, data);
}

// Parses the text as a file reader would and registers it.
inline CPDFObjRef Put(CPDFObjRegistry& doc, const std::string& text) {
  const CPDFObjRef ref = periph::Put(doc, text);
  EXPECT_TRUE(ref.IsDefined()) << text;
  return ref;
}

// Runs the JavaScript text with `mutool run` on the PDF file (the script is
// written into the folder first); what it prints.
inline std::string MutoolRun(const TempFolder& folder, const std::string& script,
                             const std::string& pdf) {
  const std::string path =
      folder.Write("run.js", std::vector<uint8_t>(script.begin(), script.end()));
  return Output("mutool run '" + path + "' '" + pdf + "'");
}

// Parses the text and stores it directly under the key.
inline bool SetParsed(CPDFObjRegistry& doc, CPDFDict* dict, const char* key,
                      const std::string& text) {
  return dict && dict->Set(&doc, CPDFName(key), periph::Parse(text, &doc));
}

// A widget annotation 40 by 20 at (x, 100) with the entries given.
inline std::string Widget(int x, const std::string& entries) {
  return "<< /Type /Annot /Subtype /Widget /Rect [" + std::to_string(x) + " 100 " +
         std::to_string(x + 40) + " 120] /F 4 " + entries + " >>";
}

// The page of a new document: one page of 300 by 300.
inline CPDFPage* OnePage(CPDFDoc& doc, CPDFObjRef* ref) {
  if (!doc.CreatePage(-1, 1)) return nullptr;
  CPDFPage* page = doc.GetPage(0, ref);
  if (page && !SetParsed(doc, page, "MediaBox", "[0 0 300 300]")) return nullptr;
  return page;
}

// The four field kinds on a page, as indirect objects parsed from text: a
// check box with its two appearances, a combo box, a text field "name"
// under the parent "person" (which also holds personEntries), and a
// signature field whose /V is a signature dictionary. The page's /Annots
// lists the four widgets; the catalog's /AcroForm lists the fields, with
// formDR as its /DR.
struct FourFields {
  CPDFObjRef person;
  CPDFObjRef signature;
  std::vector<CPDFObjRef> widgets;  // check box, combo box, text, signature
};

inline bool PutFourFields(CPDFDoc& doc, CPDFPage* page, const std::string& personEntries,
                          const std::string& formDR, FourFields* out) {
  const std::string form = "/Type /XObject /Subtype /Form /BBox [0 0 40 20]";
  const CPDFObjRef off = Put(doc, Stream(form, "0 0 1 rg 0 0 40 20 re f"));
  const CPDFObjRef yes = Put(doc, Stream(form, "1 0 0 rg 0 0 40 20 re f"));
  out->signature =
      Put(doc,
          "<< /Type /Sig /Filter /Example.Handler /ByteRange [0 840 960 240] /Contents <00FF> "
          "/M (D:20260101120000Z) >>");
  out->person = Put(doc, "<< /T (person) /FT /Tx /Kids [] " + personEntries + " >>");
  out->widgets = {
      Put(doc, Widget(10, "/FT /Btn /T (check) /V /Off /AS /Off /AP << /N << /Off " + Ref(off) +
                              " /Yes " + Ref(yes) + " >> >>")),
      Put(doc, Widget(60,
                      "/FT /Ch /T (combo) /Ff 131072 /Opt [(a) [(b) (B)] 3] /V (a) /DA "
                      "(/Helv 0 Tf 0 g)")),
      Put(doc, Widget(110, "/Parent " + Ref(out->person) +
                               " /T (name) /V (Hello) /DA (/Helv 0 Tf 0 g)")),
      Put(doc, Widget(160, "/FT /Sig /T (sig) /V " + Ref(out->signature))),
  };
  if (!SetParsed(doc, dynamic_cast<CPDFDict*>(doc.GetObj(out->person)), "Kids",
                 "[" + Ref(out->widgets[2]) + "]")) {
    return false;
  }
  std::string annots = "[", fields = "[";
  for (size_t i = 0; i < out->widgets.size(); ++i) {
    annots += " " + Ref(out->widgets[i]);
    fields += " " + Ref(i == 2 ? out->person : out->widgets[i]);
  }
  return SetParsed(doc, page, "Annots", annots + " ]") &&
         SetParsed(doc, doc.GetCatalog(), "AcroForm",
                   "<< /Fields " + fields + " ] /DR " + formDR + " /DA (/Helv 0 Tf 0 g) >>");
}
