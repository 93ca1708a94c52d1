#include "pdf/composite/CPDFDoc.h"

#include <charconv>
#include <cstring>
#include <memory>

#include "pdf/composite/CPDFCatalog.h"
#include "pdf/composite/CPDFDocSave.h"
#include "pdf/composite/CPDFFactoryRegistration.h"
#include "pdf/composite/CPDFPage.h"
#include "pdf/composite/CPDFPages.h"
#include "pdf/composite/CPDFTrailer.h"
#include "pdf/document/CPDFBody.h"
#include "pdf/document/CPDFHeader.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/object/CPDFCrypt.h"
#include "pdf/object/CPDFDepthGuard.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFObject.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFStream.h"

namespace {

constexpr const char* kClass = "CPDFDoc";

[[noreturn]] void Throw(const char* method, int32_t code, const char* message) {
  CPDFException::Throw(kClass, method, code, message);
}

[[noreturn]] void ThrowUndefined(const char* method) {
  Throw(method, CPDFException::kUndefined, "Object reference is not defined.");
}

// A decimal token of an object header, clamped to the 32-bit range; false
// for anything but digits.
bool ParseHeaderNumber(const char* token, int32_t* value) {
  const char* end = token + std::strlen(token);
  if (token == end) return false;
  int64_t v = 0;
  auto [at, ec] = std::from_chars(token, end, v);
  if (ec == std::errc::result_out_of_range) {
    v = INT32_MAX;
  } else if (ec != std::errc() || at != end || v < 0) {
    return false;
  }
  *value = v > INT32_MAX ? INT32_MAX : static_cast<int32_t>(v);
  return true;
}

}  // namespace

// Before the first document reads anything, the layers above the object
// layer and the document core register the factories those consult.
CPDFDoc::CPDFDoc() { PDFRegisterFactories(); }

CPDFDoc::~CPDFDoc() { Close(); }

void CPDFDoc::Fail(const char* method) { CPDFException::Absorb(&GetError(), kClass, method); }

bool CPDFDoc::Create(bool fdf, bool xrefForFDF, int32_t major, int32_t minor) {
  GetError().Clear();
  try {
    Close();
    std::unique_ptr<CPDFHeader> header(new CPDFHeader);
    if (!header->Create(this, fdf, major, minor)) Throw("Create", 5, "CPDFHeader::Create()");
    header_ = std::move(header);
    writeXRef_ = fdf ? xrefForFDF : true;
    std::unique_ptr<CPDFBody> body(new CPDFBody);
    if (!body->Create(this, nullptr)) Throw("Create", 5, "CPDFBody::Create()");
    bodies_.push_back(std::move(body));
    std::unique_ptr<CPDFXRef> xref(new CPDFXRef);
    if (!xref->Create(this, nullptr)) Throw("Create", 5, "CPDFXRef::Create()");
    xrefs_.push_back(std::move(xref));
    bodies_.back()->SetCount(xrefs_.back()->GetCount());
    trailers_.push_back(std::make_unique<CPDFTrailer>());
    if (!trailers_.back()->Create(this, nullptr)) {
      trailers_.pop_back();
      Throw("Create", 5, "CPDFTrailer::Create()");
    }
    released_ = std::make_unique<CPDFXRef>();
    released_->Create(this, nullptr);
    return true;
  } catch (...) {
    Fail("Create");
    return false;
  }
}

void CPDFDoc::Close() {
  DropAttachments();
  GetError().Clear();
  save_.reset();  // removes an unfinished temporary file
  trailers_.clear();
  xrefs_.clear();
  bodies_.clear();
  header_.reset();
  linearMap_.clear();
  linearNext_ = 0;
  if (input_) input_->Close();
  input_.reset();
  fileName_.clear();
  docKey_.clear();
  outKey_.clear();
  released_.reset();
  loading_.clear();
  writeXRef_ = true;
  incremental_ = linearize_ = saveCalled_ = false;
}

bool CPDFDoc::IsFDF() const { return header_ && header_->IsFDF(); }

CPDFBody* CPDFDoc::GetBody() const { return bodies_.empty() ? nullptr : bodies_.back().get(); }
CPDFXRef* CPDFDoc::GetXRef() const { return xrefs_.empty() ? nullptr : xrefs_.back().get(); }
CPDFTrailer* CPDFDoc::GetTrailer() const {
  return trailers_.empty() ? nullptr : trailers_.back().get();
}

CPDFCatalog* CPDFDoc::GetCatalog(CPDFObjRef* ref) {
  CPDFTrailer* trailer = GetTrailer();
  if (!trailer) {
    if (ref) ref->Reset();
    return nullptr;
  }
  return dynamic_cast<CPDFCatalog*>(trailer->Get_Root(ref));
}

void CPDFDoc::RequireSections(const char* method) const {
  if (!GetBody()) Throw(method, 5, "CPDFDoc::GetBody()");
  if (!GetXRef()) Throw(method, 5, "CPDFDoc::GetXRef()");
  if (!GetTrailer()) Throw(method, 5, "CPDFDoc::GetTrailer()");
}

void CPDFDoc::SetFileName(const char* path) { fileName_ = path ? path : ""; }

CPDFObject* CPDFDoc::FindObj(const CPDFObjRef& ref, bool skipLatest, CPDFBody** body) {
  if (body) *body = nullptr;
  if (!ref.IsDefined()) return nullptr;
  for (size_t i = bodies_.size() - (skipLatest ? 1 : 0); i-- > 0;) {
    if (CPDFObject* object = bodies_[i]->GetObj(ref)) {
      if (body) *body = bodies_[i].get();
      return object;
    }
  }
  return nullptr;
}

CPDFXRefEntry* CPDFDoc::FindEntry(int32_t number, bool skipLatest, CPDFXRef** xref) {
  if (xref) *xref = nullptr;
  if (number == -1) return nullptr;
  for (size_t i = xrefs_.size() - (skipLatest ? 1 : 0); i-- > 0;) {
    if (CPDFXRefEntry* entry = xrefs_[i]->GetEntry(number)) {
      if (xref) *xref = xrefs_[i].get();
      return entry;
    }
  }
  return nullptr;
}

bool CPDFDoc::RegistObj(CPDFObject* object, CPDFObjRef* ref) {
  static constexpr const char* kMethod = "RegistObj";
  GetError().Clear();
  try {
    if (!object) Throw(kMethod, 5, "no object");
    RequireSections(kMethod);
    // An object has one owner: one this document holds already keeps its
    // reference (a font shared by two pages is written once), and one
    // another document holds is refused. Registered again under its own
    // reference, it is replaced by itself below (a change of this revision).
    CPDFObjRef held;
    if (const CPDFObjRegistry* holder = object->GetHolder(&held)) {
      if (holder != this) Throw(kMethod, 5, "The object belongs to another document.");
      if (!ref || !ref->IsDefined()) {
        if (ref) *ref = held;
        return true;
      }
      if (!ref->IsEqual(held)) {
        CPDFException::ThrowFormat(kClass, kMethod, 5, "The object is registered as %d %d already.",
                                   held.GetNumber(), held.GetGeneration());
      }
    }
    CPDFBody* body = GetBody();
    CPDFXRef* xref = GetXRef();
    CPDFTrailer* trailer = GetTrailer();

    if (ref && ref->IsDefined()) {
      CPDFBody* holder = nullptr;
      if (!FindObj(*ref, false, &holder)) Throw(kMethod, 5, "CPDFDoc::FindObj()");
      if (!holder->SetObj(*ref, object)) Throw(kMethod, 5, "CPDFBody::SetObj()");
      // A replacement in an older revision is a change of this one.
      if (holder != body && !UpdateObj(*ref)) Throw(kMethod, 5, "CPDFDoc::UpdateObj()");
      return true;
    }

    CPDFObjRef fresh;
    if (!IsFDF()) {
      if (const CPDFXRefEntry* reusable = xref->GetReusable()) {
        fresh.Set(reusable->number, reusable->generation);
        if (!body->SetCount(xref->GetCount()) || !body->SetObj(fresh, object)) {
          Throw(kMethod, 5, "CPDFBody::SetObj()");
        }
        xref->UpdateEntry(fresh.GetNumber());
        if (ref) *ref = fresh;
        return true;
      }
    }
    CPDFNumber* size = IsFDF() ? nullptr : trailer->Get_Size();
    if (!IsFDF() && !size) Throw(kMethod, 5, "CPDFTrailer::Get_Size()");
    if (body->GetCount() != xref->GetCount() && !body->SetCount(xref->GetCount())) {
      Throw(kMethod, 5, "CPDFBody::AddObj()");
    }
    if (!body->AddObj(object, &fresh)) Throw(kMethod, 5, "CPDFBody::AddObj()");
    int32_t number = 0;
    if (!xref->AddEntry(&number) || number != fresh.GetNumber()) {
      body->TakeObj(fresh);
      Throw(kMethod, 5, "CPDFXRef::AddEntry()");
    }
    if (size) size->SetInt(number + 1);
    if (ref) *ref = fresh;
    return true;
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}

CPDFObject* CPDFDoc::GetObj(const CPDFObjRef& ref) {
  static constexpr const char* kMethod = "GetObj";
  GetError().Clear();
  try {
    if (!ref.IsDefined()) ThrowUndefined(kMethod);
    for (size_t i = bodies_.size(); i-- > 0;) {
      CPDFBody* body = bodies_[i].get();
      if (CPDFObject* object = body->GetObj(ref)) return object;
      const CPDFXRefEntry* released = released_ ? released_->GetEntry(ref.GetNumber()) : nullptr;
      if (released && released->inUse && released->generation == ref.GetGeneration() &&
          i + 1 == bodies_.size()) {
        // Written early during this save: read it back from the output.
        std::unique_ptr<CPDFObject> object(ReadBack(ref, released->offset));
        if (!body->SetObj(ref, object.get())) Throw(kMethod, 5, "CPDFBody::SetObj()");
        released_->RemoveEntry(ref.GetNumber());
        return object.release();
      }
      if (i >= xrefs_.size()) continue;
      const CPDFXRefEntry* entry = xrefs_[i]->GetEntry(ref.GetNumber());
      if (!entry) continue;
      if (!entry->inUse || entry->generation != ref.GetGeneration()) return nullptr;
      std::unique_ptr<CPDFObject> object(LoadObj(ref, entry->offset));
      if (!object) Throw(kMethod, 5, "CPDFDoc::LoadObj()");
      if (!body->SetObj(ref, object.get())) Throw(kMethod, 5, "CPDFBody::SetObj()");
      return object.release();
    }
    return nullptr;
  } catch (...) {
    Fail(kMethod);
    return nullptr;
  }
}

CPDFObject* CPDFDoc::LoadObj(const CPDFObjRef& ref, int32_t offset) {
  GetError().Clear();
  try {
    if (!ref.IsDefined()) ThrowUndefined("LoadObj");
    if (!input_) Throw("LoadObj", 4, "ioerror");
    return LoadFrom(*input_, ref, offset);
  } catch (...) {
    Fail("LoadObj");
    return nullptr;
  }
}

CPDFObject* CPDFDoc::ReadBack(const CPDFObjRef& ref, int32_t offset) {
  // Flush hands the buffer to the file; GetSize then pushes the file's own
  // buffer to the device so that a second reader sees every byte.
  if (!save_ || !save_->out || !save_->out->Flush() || save_->out->Failed()) {
    Throw("GetObj", 1, nullptr);
  }
  if (save_->out->GetSize() <= offset) Throw("GetObj", 4, "ioerror");
  CPDFFileInStream in;
  if (!in.Open(save_->file.OpenPath().c_str(), "rb")) Throw("GetObj", 1, nullptr);
  std::unique_ptr<CPDFObject> object(LoadFrom(in, ref, offset));
  // A stream's bytes are read now: its extent lies in the output, not in
  // the document's file, which is where a stream looks for them later.
  if (auto* stream = dynamic_cast<CPDFStream*>(object.get()); stream && stream->IsExternal()) {
    std::string own = save_->file.OpenPath();
    fileName_.swap(own);
    const bool loaded = stream->LoadData();
    fileName_.swap(own);
    if (!loaded) Throw("GetObj", 1, nullptr);
  }
  return object.release();
}

CPDFObject* CPDFDoc::LoadFrom(CPDFInStream& in, const CPDFObjRef& ref, int32_t offset) {
  static constexpr const char* kMethod = "LoadObj";
  if (!ref.IsDefined()) ThrowUndefined(kMethod);
  if (loading_.count(ref.GetNumber())) {
    CPDFException::ThrowFormat(kClass, kMethod, 4, "circular reference: %d %d", ref.GetNumber(),
                               ref.GetGeneration());
  }
  CPDFDepthGuard depth(loadDepth_, kMaxLoadDepth);
  if (depth.TooDeep()) Throw(kMethod, 4, "too deep");
  // A load nested in another one (an indirect Length) goes back to where
  // the outer read stood.
  const int32_t resume = loading_.empty() ? -1 : in.GetPosition();
  struct Mark {
    std::set<int32_t>& set;
    int32_t number;
    CPDFInStream& in;
    int32_t resume;
    ~Mark() {
      set.erase(number);
      if (resume >= 0) in.Seek(resume);
    }
  } mark{loading_, ref.GetNumber(), in, resume};
  loading_.insert(ref.GetNumber());

  if (offset < 0 || in.Seek(offset) != 0) Throw(kMethod, 4, "ioerror");
  char number[CPDFInStream::kTokenSize];
  char generation[CPDFInStream::kTokenSize];
  char keyword[CPDFInStream::kTokenSize];
  if (!in.ReadToken(number, sizeof number) || !in.ReadToken(generation, sizeof generation) ||
      !in.ReadToken(keyword, sizeof keyword)) {
    Throw(kMethod, 4, "ioerror");
  }
  int32_t n = -1;
  int32_t g = -1;
  if (!ParseHeaderNumber(number, &n)) {
    CPDFException::ThrowFormat(kClass, kMethod, 4, "invalidtoken: %s", number);
  }
  if (!ParseHeaderNumber(generation, &g)) {
    CPDFException::ThrowFormat(kClass, kMethod, 4, "invalidtoken: %s", generation);
  }
  if (std::strcmp(keyword, "obj") != 0) {
    CPDFException::ThrowFormat(kClass, kMethod, 4, "invalidtoken: %s", keyword);
  }
  if (n != ref.GetNumber() || g != ref.GetGeneration()) {
    CPDFException::ThrowFormat(kClass, kMethod, 4, "invalidobjref: %d %d", n, g);
  }
  uint8_t context[kObjKeySize];
  const uint8_t* key = nullptr;
  if (!docKey_.empty()) {
    MakeObjKey(context, docKey_.data(), ref);
    key = context;
  }
  std::unique_ptr<CPDFObject> object(CPDFObject::SerializeObject(this, in, key));
  char token[CPDFInStream::kTokenSize];
  if (!object) {
    in.SkipWhiteSpaceAndComments();
    if (in.ReadToken(token, sizeof token)) {
      CPDFException::ThrowFormat(kClass, kMethod, 4, "invalidtoken: %s", token);
    }
    Throw(kMethod, 4, "ioerror");
  }
  in.SkipWhiteSpaceAndComments();
  if (!in.ReadToken(token, sizeof token)) Throw(kMethod, 4, "ioerror");
  if (std::strcmp(token, "endobj") != 0) {
    CPDFException::ThrowFormat(kClass, kMethod, 4, "invalidtoken: %s", token);
  }
  return object.release();
}

int32_t CPDFDoc::StoreObj(const CPDFObjRef& ref, CPDFObject* object) {
  static constexpr const char* kMethod = "StoreObj";
  GetError().Clear();
  try {
    if (!ref.IsDefined()) ThrowUndefined(kMethod);
    if (!object || !save_ || !save_->out) Throw(kMethod, 5, "no output");
    // What the parser could not read back is not written.
    if (object->NestingDepth(CPDFObject::kMaxNesting) > CPDFObject::kMaxNesting) {
      CPDFException::ThrowFormat(
          kClass, kMethod, 5, "Object %d %d nests arrays and dictionaries deeper than %d levels.",
          ref.GetNumber(), ref.GetGeneration(), CPDFObject::kMaxNesting);
    }
    CPDFFileOutStream& out = *save_->out;
    const int32_t offset = out.GetPosition();
    if (offset < 0) save_->ThrowWriteError(kMethod, "the file would pass 2 GiB");
    out.WriteInt(ref.GetNumber());
    out.WriteByte(' ');
    out.WriteInt(ref.GetGeneration());
    out.Write(" obj\r\n", 6);
    uint8_t context[kObjKeySize];
    const uint8_t* key = nullptr;
    if (!outKey_.empty()) {
      MakeObjKey(context, outKey_.data(), ref);
      key = context;
    }
    object->Write(out, key);
    out.Write("\r\nendobj\r\n", 10);
    if (out.Failed()) save_->ThrowWriteError(kMethod, out.GetErrorText());
    if (out.GetPosition() < 0) save_->ThrowWriteError(kMethod, "the file would pass 2 GiB");
    return offset;
  } catch (...) {
    Fail(kMethod);
    return -1;
  }
}

bool CPDFDoc::UpdateObj(const CPDFObjRef& ref) {
  static constexpr const char* kMethod = "UpdateObj";
  GetError().Clear();
  try {
    CPDFBody* body = GetBody();
    CPDFXRef* xref = GetXRef();
    if (!ref.IsDefined()) ThrowUndefined(kMethod);
    if (!body) Throw(kMethod, 3, "CPDFDoc::GetBody()");
    if (!xref) Throw(kMethod, 3, "CPDFDoc::GetXRef()");
    if (!body->GetObj(ref)) {
      CPDFBody* older = nullptr;
      if (!FindObj(ref, true, &older)) {
        // Not in memory: load it from the file into its revision first.
        if (!GetObj(ref) || !FindObj(ref, true, &older)) Throw(kMethod, 3, "CPDFDoc::FindObj()");
      }
      CPDFObject* object = older->TakeObj(ref);
      if (!body->SetCount(xref->GetCount()) || !body->SetObj(ref, object)) {
        older->SetObj(ref, object);
        Throw(kMethod, 3, "CPDFBody::SetObj()");
      }
    }
    if (xref->GetEntry(ref.GetNumber())) {
      if (!xref->UpdateEntry(ref.GetNumber())) Throw(kMethod, 3, "CPDFXRef::UpdateEntry()");
      return true;
    }
    if (!FindEntry(ref.GetNumber(), true)) Throw(kMethod, 3, "CPDFDoc::FindEntry()");
    CPDFXRefEntry entry;
    entry.number = ref.GetNumber();
    entry.generation = ref.GetGeneration();
    entry.offset = 0;
    entry.inUse = true;
    if (!xref->SetEntry(entry)) Throw(kMethod, 3, "CPDFXRef::SetEntry()");
    return true;
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}

void CPDFDoc::DeleteObj(const CPDFObjRef& ref) {
  if (!ref.IsDefined()) return;
  for (auto& body : bodies_) body->DeleteObj(ref);
  if (released_) released_->RemoveEntry(ref.GetNumber());
  CPDFXRef* xref = GetXRef();
  if (!xref) return;
  if (!xref->GetEntry(ref.GetNumber())) {
    const CPDFXRefEntry* older = FindEntry(ref.GetNumber(), true);
    if (!older || !older->inUse) return;
    if (!xref->SetEntry(*older)) return;
  }
  xref->FreeEntry(ref.GetNumber());
}

bool CPDFDoc::ReleaseObj(const CPDFObjRef& ref, bool force) {
  static constexpr const char* kMethod = "ReleaseObj";
  try {
    if (releaseFrame_) {
      // Called from the Release of an object this walk is freeing: the
      // reference is taken in order and released after that object, so a
      // chain of references takes no stack frame per link.
      releaseFrame_->emplace_back(ref, force);
      return true;
    }
    // Depth first, in the order the objects name their references: the
    // objects are written in the order a recursive walk would write them.
    std::vector<ReleaseStep> pending;
    std::vector<ReleaseStep> frame;
    ReleaseStep next(ref, force);
    for (;;) {
      frame.clear();
      if (!ReleaseOne(next.first, next.second, &frame)) return false;
      pending.insert(pending.end(), frame.rbegin(), frame.rend());
      if (pending.empty()) return true;
      next = pending.back();
      pending.pop_back();
    }
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}

bool CPDFDoc::ReleaseOne(const CPDFObjRef& ref, bool force, std::vector<ReleaseStep>* named) {
  static constexpr const char* kMethod = "ReleaseObj";
  CPDFBody* holder = nullptr;
  CPDFObject* object = FindObj(ref, false, &holder);
  if (!object || (!force && !object->IsReleasable())) return true;
  GetError().Clear();
  try {
    if (saveCalled_) {
      const int32_t offset = StoreObj(ref, object);
      if (offset < 0) Throw(kMethod, 5, "CPDFDoc::StoreObj()");
      CPDFXRefEntry entry;
      entry.number = ref.GetNumber();
      entry.generation = ref.GetGeneration();
      entry.offset = offset;
      entry.inUse = true;
      if (!released_ || !released_->SetCount(ref.GetNumber()) || !released_->SetEntry(entry)) {
        Throw(kMethod, 5, "CPDFXRef::SetEntry()");
      }
    } else {
      // Without a save only what can be read again from the document's
      // file may go: an unchanged object of a flushed revision.
      const CPDFXRefEntry* entry = FindEntry(ref.GetNumber(), false);
      const bool reloadable = input_ && holder != GetBody() && entry && entry->inUse &&
                              entry->offset > 0 && !GetXRef()->GetEntry(ref.GetNumber());
      if (!reloadable) return true;
    }
    // Taken out first: a reference back to it (a cycle) finds nothing.
    std::unique_ptr<CPDFObject> taken(holder->TakeObj(ref));
    releaseFrame_ = named;
    const bool released = taken->Release(this);
    releaseFrame_ = nullptr;
    if (!released) Throw(kMethod, 5, "CPDFObject::Release()");
    return true;
  } catch (...) {
    releaseFrame_ = nullptr;
    Fail(kMethod);
    return false;
  }
}

bool CPDFDoc::LinearizeObj(const CPDFObjRef& ref, bool force) {
  static constexpr const char* kMethod = "LinearizeObj";
  GetError().Clear();
  try {
    CPDFBody* body = GetBody();
    if (!body) Throw(kMethod, 5, "CPDFDoc::GetBody()");
    if (!GetTrailer()) Throw(kMethod, 5, "CPDFDoc::GetTrailer()");
    CPDFObject* object = body->GetObj(ref);
    if (!object) Throw(kMethod, 5, "CPDFBody::GetObj()");
    if (!force && !object->IsLinearizable()) return true;
    const auto key = std::make_pair(ref.GetNumber(), ref.GetGeneration());
    if (linearMap_.count(key)) return true;
    // The renumbering is only recorded: the objects, their references and
    // the sections stay as they are, so what callers hold stays valid.
    linearMap_.emplace(key, CPDFObjRef(++linearNext_, 0));
    return true;
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}

bool CPDFDoc::GetLinearRef(const CPDFObjRef& from, CPDFObjRef* to) {
  auto it = linearMap_.find(std::make_pair(from.GetNumber(), from.GetGeneration()));
  if (it == linearMap_.end()) return false;
  if (to) *to = it->second;
  return true;
}

namespace {
constexpr const char* kNoFDFPages = "There is no CPDFPage for FDF file.";
constexpr const char* kNoFDFPage = "There is no CPDFPage for FDF file";
}  // namespace

// The page-tree root through the latest trailer and the catalog.
static CPDFPages* PageRoot(CPDFDoc* doc, const char* method, CPDFObjRef* ref) {
  CPDFTrailer* trailer = doc->GetTrailer();
  if (!trailer) Throw(method, 5, "CPDFDoc::GetTrailer()");
  auto* catalog = dynamic_cast<CPDFCatalog*>(trailer->Get_Root());
  if (!catalog) Throw(method, 5, "CPDFTrailer::Get_Root()");
  CPDFPages* root = catalog->Get_Pages(ref);
  if (!root) Throw(method, 5, "CPDFCatalog::Get_Pages()");
  return root;
}

int32_t CPDFDoc::GetPageCount() {
  static constexpr const char* kMethod = "GetPageCount";
  GetError().Clear();
  try {
    if (IsFDF()) Throw(kMethod, 3, kNoFDFPages);
    CPDFPages* root = PageRoot(this, kMethod, nullptr);
    if (!root->Get_Count()) Throw(kMethod, 5, "CPDFPages::Get_Count()");
    // Count, or the pages a search reaches when the tree loops.
    return root->CountPages();
  } catch (...) {
    Fail(kMethod);
    return -1;
  }
}

CPDFPage* CPDFDoc::GetPage(int32_t index, CPDFObjRef* ref) {
  static constexpr const char* kMethod = "GetPage";
  GetError().Clear();
  if (ref) ref->Reset();
  try {
    if (IsFDF()) Throw(kMethod, 5, kNoFDFPage);
    CPDFPage* page = PageRoot(this, kMethod, nullptr)->GetPage(index, ref);
    if (!page) Throw(kMethod, 5, "CPDFPages::GetPage()");
    return page;
  } catch (...) {
    Fail(kMethod);
    return nullptr;
  }
}

bool CPDFDoc::CreatePage(int32_t index, int32_t count) {
  static constexpr const char* kMethod = "CreatePage";
  GetError().Clear();
  try {
    if (IsFDF()) Throw(kMethod, 3, kNoFDFPages);
    CPDFObjRef rootRef;
    CPDFPages* root = PageRoot(this, kMethod, &rootRef);
    if (!rootRef.IsDefined()) ThrowUndefined(kMethod);
    for (int32_t i = 0; i < count; ++i) {
      std::unique_ptr<CPDFPage> page(new CPDFPage);
      if (!page->Create(this)) {
        // Its resource dictionary was registered already.
        CPDFObjRef resources;
        if (page->Get(this, CPDFPage::Key_Resources(), &resources)) DeleteObj(resources);
        Throw(kMethod, 5, "CPDFPage::Create()");
      }
      const int32_t position = index == -1 ? -1 : index + i;
      if (!root->InsertPage(position, page.get(), rootRef)) {
        CPDFObjRef resources;
        page->Get(this, CPDFPage::Key_Resources(), &resources);
        if (resources.IsDefined()) DeleteObj(resources);
        Throw(kMethod, 5, "CPDFPages::InsertPage()");
      }
      page.release();
    }
    return true;
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}
