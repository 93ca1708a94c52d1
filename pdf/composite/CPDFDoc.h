#pragma once
// One PDF or FDF document in memory: its file sections (a header and one
// body, cross-reference table and trailer per revision, the newest last),
// the registry of its indirect objects, page access, and saving.
//
// Every public operation clears the error record (GetError) first and on
// failure fills it while it is still empty, then answers false, none or -1.
//
// Typical use (examples/image_page.cpp fills a page with an image and text):
//   #include <cstdio>
//   #include "pdf/composite/CPDFDoc.h"
//   #include "pdf/composite/CPDFEnv.h"
//   #include "pdf/composite/CPDFPage.h"
//
//   bool WriteOnePage(const char* path) {
//     CPDFEnv& env = CPDFEnv::Global();
//     CPDFDoc* doc = env.CreateDoc(false, false, 1, 3, nullptr);  // PDF 1.3
//     if (!doc) return false;
//     CPDFObjRef ref;
//     CPDFPage* page = doc->CreatePage(-1, 1) ? doc->GetPage(0, &ref) : nullptr;
//     // ... fill the page: media box, resources, contents ...
//     const bool ok = page && doc->Save(path, false, false) && doc->Flush();
//     if (!ok) std::fprintf(stderr, "%s\n", doc->GetError().GetMessage());
//     env.CloseDoc(doc);  // frees the document and every object it owns
//     return ok;
//   }
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pdf/object/CPDFObjRef.h"
#include "pdf/object/CPDFObjRegistry.h"

class CPDFBody;
class CPDFCatalog;
class CPDFFileInStream;
class CPDFFileOutStream;
class CPDFHeader;
class CPDFInStream;
class CPDFObject;
class CPDFOutStream;
class CPDFPage;
class CPDFTrailer;
class CPDFXRef;
struct CPDFXRefEntry;

class CPDFDoc : public CPDFObjRegistry {
 public:
  CPDFDoc();
  ~CPDFDoc() override;
  CPDFDoc(const CPDFDoc&) = delete;
  CPDFDoc& operator=(const CPDFDoc&) = delete;

  // A new document: the header, the first body, xref and trailer (which
  // makes the catalog and page tree, or the FDF catalog). For an FDF the
  // xref flag decides whether a cross-reference table is written.
  bool Create(bool fdf, bool xrefForFDF, int32_t major, int32_t minor);
  // Drops everything; the document can be created again.
  void Close();

  bool IsFDF() const override;
  bool WritesXRef() const { return writeXRef_; }
  CPDFHeader* GetHeader() const { return header_.get(); }
  // The latest sections, or none.
  CPDFBody* GetBody() const;
  CPDFXRef* GetXRef() const;
  CPDFTrailer* GetTrailer() const;
  // Root of the latest trailer as a catalog (none for an FDF).
  CPDFCatalog* GetCatalog(CPDFObjRef* ref = nullptr);

  // The registry.
  using CPDFObjRegistry::RegistObj;
  bool RegistObj(CPDFObject* object, CPDFObjRef* ref) override;
  CPDFObject* GetObj(const CPDFObjRef& ref) override;
  void DeleteObj(const CPDFObjRef& ref) override;
  bool UpdateObj(const CPDFObjRef& ref) override;
  bool ReleaseObj(const CPDFObjRef& ref, bool force) override;
  bool LinearizeObj(const CPDFObjRef& ref, bool force) override;
  bool GetLinearRef(const CPDFObjRef& from, CPDFObjRef* to) override;
  const char* GetFileName() const override { return fileName_.c_str(); }
  void SetFileName(const char* path);

  // Reads the indirect object at the offset of the document's file; the
  // caller owns the result.
  CPDFObject* LoadObj(const CPDFObjRef& ref, int32_t offset);
  // Writes the indirect object to the output; its offset, or -1. An object
  // that nests arrays and dictionaries deeper than the parser reads
  // (CPDFObject::kMaxNesting) is refused before a byte is written, so a
  // save that holds one fails (record ("CPDFDoc", "StoreObj", 5, ...)) and
  // leaves no file.
  int32_t StoreObj(const CPDFObjRef& ref, CPDFObject* object);
  // Search the sections from the newest (or the one before it) to the
  // oldest; report the section of the hit. The error record is untouched.
  CPDFObject* FindObj(const CPDFObjRef& ref, bool skipLatest, CPDFBody** body = nullptr);
  CPDFXRefEntry* FindEntry(int32_t number, bool skipLatest, CPDFXRef** xref = nullptr);

  // Inserts count new pages at the index (-1: at the end).
  bool CreatePage(int32_t index, int32_t count);
  // The page at the 0-based index (owned by the document).
  CPDFPage* GetPage(int32_t index, CPDFObjRef* ref = nullptr);
  int32_t GetPageCount();

  // Starts writing to the path (a full write, or an incremental one appended
  // to the document's own file) and writes the header. The file is built as
  // a temporary "pn??????.pdf" beside the path and only Flush puts it in
  // place, so a failure never harms an existing file. An empty path is
  // refused, and so is a trailer with an Encrypt entry that the document
  // holds no key for (the objects would be written in clear under it, which
  // readers take for ciphertext): nothing is written then.
  bool Save(const char* path, bool incremental, bool linearize);
  // Writes the information dictionary, every object, the cross-reference
  // table and the trailer, makes the file durable and renames it over the
  // path, reopens it for reading and starts a new revision.
  bool Flush();
  // Writes the latest revision's objects, its xref and trailer.
  bool Serialize(CPDFOutStream& out);
  // CreationDate (first save) or ModDate, and Producer.
  bool SetDocInfo();
  // Keeps linearisation to a renumbering map of the pages after the first;
  // the sections themselves are left as they are.
  bool Linearize();

  // The deepest chain of nested loads (an object whose reading needs
  // another object) before the load is refused.
  static constexpr int32_t kMaxLoadDepth = 64;

 private:
  struct SaveState;

  void ResetSave();
  // Throws code 5 naming the first missing latest section.
  void RequireSections(const char* method) const;
  void Fail(const char* method);
  CPDFObject* LoadFrom(CPDFInStream& in, const CPDFObjRef& ref, int32_t offset);
  CPDFObject* ReadBack(const CPDFObjRef& ref, int32_t offset);
  void GatherRevisions();
  void StartRevision();
  void LoadExternalData();
  // A reference left for ReleaseObj, with its force flag.
  using ReleaseStep = std::pair<CPDFObjRef, bool>;
  // One step of ReleaseObj: writes (during a save) and frees the object;
  // the references its Release names are added to *named, in order.
  bool ReleaseOne(const CPDFObjRef& ref, bool force, std::vector<ReleaseStep>* named);

  std::unique_ptr<CPDFHeader> header_;
  std::vector<std::unique_ptr<CPDFBody>> bodies_;
  std::vector<std::unique_ptr<CPDFXRef>> xrefs_;
  std::vector<std::unique_ptr<CPDFTrailer>> trailers_;
  // Old reference -> new reference of the linear order.
  std::map<std::pair<int32_t, int32_t>, CPDFObjRef> linearMap_;
  int32_t linearNext_ = 0;
  std::string fileName_;
  std::unique_ptr<CPDFFileInStream> input_;
  bool writeXRef_ = true;
  bool incremental_ = false;
  bool linearize_ = false;
  std::vector<uint8_t> docKey_;
  std::unique_ptr<CPDFXRef> released_;
  bool saveCalled_ = false;
  std::unique_ptr<SaveState> save_;
  std::vector<uint8_t> outKey_;
  // Numbers being loaded (a reference cycle is refused).
  std::set<int32_t> loading_;
  // Loads under way, nested (the guard of kMaxLoadDepth).
  int32_t loadDepth_ = 0;
  // While a released object hands back what it refers to: where ReleaseObj
  // collects those references instead of recursing.
  std::vector<ReleaseStep>* releaseFrame_ = nullptr;
};
