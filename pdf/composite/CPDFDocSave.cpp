// Saving: the temporary file, the full and incremental writes, the
// information dictionary and the start of the next revision.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/composite/CPDFDocSave.h"
#include "pdf/composite/CPDFTrailer.h"
#include "pdf/document/CPDFBody.h"
#include "pdf/document/CPDFEncryptDict.h"
#include "pdf/document/CPDFHeader.h"
#include "pdf/document/CPDFInfoDict.h"
#include "pdf/document/CPDFXRef.h"
#include "pdf/object/CPDFDate.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFOutStream.h"
#include "pdf/object/CPDFStream.h"
#include "pdf/object/CPDFString.h"
#include "platform/SystemError.h"
#include "platform/TempFile.h"

namespace {

constexpr const char* kClass = "CPDFDoc";
constexpr const char* kProducer = "Pennaform";

[[noreturn]] void Throw(const char* method, int32_t code, const char* message) {
  CPDFException::Throw(kClass, method, code, message);
}

// Copies the whole file into the descriptor; the error number, or 0.
int CopyInto(const std::string& path, int fd) {
  const int in = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return errno;
  std::vector<char> buffer(65536);
  int error = 0;
  for (;;) {
    const ssize_t n = read(in, buffer.data(), buffer.size());
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = errno;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(fd, buffer.data() + done, static_cast<size_t>(n - done));
      if (w < 0) {
        if (errno == EINTR) continue;
        error = errno;
        break;
      }
      done += w;
    }
    if (error) break;
  }
  close(in);
  return error;
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  if (a == b) return true;
  struct stat sa {};
  struct stat sb {};
  return stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
         sa.st_ino == sb.st_ino;
}

}  // namespace

CPDFDoc::SaveState::~SaveState() {
  if (out) out->Close();
  out.reset();
  file.Discard();
}

void CPDFDoc::SaveState::ThrowWriteError(const char* method, int error) const {
  platform::SetLastSystemError(error);
  ThrowWriteError(method, platform::SystemErrorText(error).c_str());
}

void CPDFDoc::SaveState::ThrowWriteError(const char* method, const char* reason) const {
  CPDFException::ThrowFormat(kClass, method, CPDFException::kRuntime,
                             "cannot write the output file %s: %s", target.c_str(),
                             reason ? reason : "");
}

void CPDFDoc::ResetSave() {
  saveCalled_ = false;
  save_.reset();
  outKey_.clear();
}

bool CPDFDoc::Save(const char* path, bool incremental, bool linearize) {
  static constexpr const char* kMethod = "Save";
  GetError().Clear();
  try {
    RequireSections(kMethod);
    if (!path || !*path) Throw(kMethod, 3, "No file name was given.");
    // Objects written in clear under an Encrypt entry read as ciphertext
    // everywhere else: without a key to encrypt with, nothing is written.
    const bool encrypted = GetTrailer()->HasKey(CPDFTrailer::Key_Encrypt());
    const bool keyed =
        !outKey_.empty() ||
        (!docKey_.empty() && CPDFEncryptDict::IsStandardR2V1(this, GetTrailer()->Get_Encrypt()));
    if (encrypted && !keyed) {
      Throw(kMethod, 3, "The trailer has an Encrypt entry, but the document holds no key for it.");
    }
    save_.reset();
    saveCalled_ = true;
    if (IsFDF()) {
      incremental = linearize = false;
    } else if (linearize || !outKey_.empty()) {
      incremental = false;
    }
    if (outKey_.empty() && keyed) outKey_ = docKey_;
    auto state = std::make_unique<SaveState>();
    state->target = path;
    if (!SameFile(state->target, fileName_)) incremental = false;

    // The new file is built in the folder of the file it replaces (through
    // a symbolic link, which stays) and renamed over it by Flush; until
    // then it has no name there where the file system allows it, so an
    // interrupted save leaves nothing behind.
    // A file it replaces keeps its permissions; a new one gets those of any
    // new file there.
    struct stat existing {};
    const bool created =
        stat(state->target.c_str(), &existing) == 0
            ? state->file.Create(state->target, "pn", ".pdf", existing.st_mode & 07777)
            : state->file.Create(state->target, "pn", ".pdf");
    if (!created) state->ThrowWriteError(kMethod, platform::GetLastSystemError());
    const int error = incremental ? CopyInto(state->target, state->file.Descriptor()) : 0;
    save_ = std::move(state);
    if (error) save_->ThrowWriteError(kMethod, error);

    incremental_ = incremental;
    linearize_ = linearize;
    save_->out = std::make_unique<CPDFFileOutStream>();
    if (!save_->out->Open(save_->file.OpenPath().c_str(), incremental ? "ab" : "wb")) {
      save_->ThrowWriteError(kMethod, save_->out->GetLastError());
    }
    if (!IsFDF() && !incremental) GatherRevisions();
    if (!incremental) header_->Serialize(*save_->out);
    if (save_->out->Failed()) save_->ThrowWriteError(kMethod, save_->out->GetLastError());
    return true;
  } catch (...) {
    Fail(kMethod);
    ResetSave();
    return false;
  }
}

void CPDFDoc::GatherRevisions() {
  static constexpr const char* kMethod = "Save";
  CPDFBody* body = GetBody();
  CPDFXRef* xref = GetXRef();
  if (!body->SetCount(xref->GetCount())) Throw(kMethod, 5, "CPDFBody::SetObj()");
  for (int32_t n = 1; n <= xref->GetCount(); ++n) {
    if (xref->GetEntry(n)) continue;
    const CPDFXRefEntry* older = FindEntry(n, true);
    if (!older) Throw(kMethod, 5, "CPDFDoc::FindEntry()");
    if (!xref->SetEntry(*older)) Throw(kMethod, 5, "CPDFXRef::SetEntry()");
    const CPDFObjRef ref(n, older->generation);
    if (body->GetObj(ref)) continue;
    CPDFBody* holder = nullptr;
    if (!FindObj(ref, true, &holder)) continue;
    CPDFObject* object = holder->TakeObj(ref);
    if (!body->SetObj(ref, object)) {
      holder->SetObj(ref, object);
      Throw(kMethod, 5, "CPDFBody::SetObj()");
    }
  }
  // Only the newest revision remains.
  bodies_.erase(bodies_.begin(), bodies_.end() - 1);
  xrefs_.erase(xrefs_.begin(), xrefs_.end() - 1);
  trailers_.erase(trailers_.begin(), trailers_.end() - 1);
  GetTrailer()->Remove(this, CPDFTrailer::Key_Prev());
}

bool CPDFDoc::Serialize(CPDFOutStream& out) {
  static constexpr const char* kMethod = "Serialize";
  GetError().Clear();
  try {
    RequireSections(kMethod);
    CPDFBody* body = GetBody();
    CPDFXRef* xref = GetXRef();
    CPDFTrailer* trailer = GetTrailer();
    for (int32_t n = 1; n <= xref->GetCount(); ++n) {
      CPDFXRefEntry* entry = xref->GetEntry(n);
      if (!entry || !entry->inUse) continue;
      const CPDFObjRef ref(n, entry->generation);
      const CPDFXRefEntry* released = released_ ? released_->GetEntry(n) : nullptr;
      if (released && released->inUse && released->generation == entry->generation) {
        entry->offset = released->offset;
        continue;
      }
      std::unique_ptr<CPDFObject> loaded;
      CPDFObject* object = body->GetObj(ref);
      if (!object) {
        loaded.reset(LoadObj(ref, entry->offset));
        if (!loaded) Throw(kMethod, 5, "CPDFDoc::LoadObj()");
        object = loaded.get();
      }
      const int32_t offset = StoreObj(ref, object);
      if (offset < 0) Throw(kMethod, 5, "CPDFDoc::StoreObj()");
      entry->offset = offset;
    }
    // The save's own stream names its file in the reason.
    const SaveState* writing = save_ && save_->out.get() == &out ? save_.get() : nullptr;
    const auto fail = [&](const char* reason) {
      if (writing) writing->ThrowWriteError(kMethod, reason);
      Throw(kMethod, 1, reason);
    };
    const int32_t start = out.GetPosition();
    if (start < 0) fail("the file would pass 2 GiB");
    if (writeXRef_) xref->Serialize(out);
    trailer->SetStartXRef(start);
    trailer->Serialize(out);
    if (out.Failed()) fail(out.GetErrorText());
    return true;
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}

bool CPDFDoc::SetDocInfo() {
  static constexpr const char* kMethod = "SetDocInfo";
  GetError().Clear();
  try {
    CPDFTrailer* trailer = GetTrailer();
    if (!trailer) Throw(kMethod, 5, "CPDFDoc::GetTrailer()");
    CPDFObjRef ref;
    CPDFDict* found = trailer->Get_Info(&ref);
    auto* info = dynamic_cast<CPDFInfoDict*>(found);
    if (!found) {
      std::unique_ptr<CPDFInfoDict> fresh(new CPDFInfoDict);
      if (!fresh->Create(this) || !trailer->Set_Info(fresh.get(), true, &ref)) {
        Throw(kMethod, 5, nullptr);
      }
      info = fresh.release();
    } else {
      if (ref.IsDefined() && !UpdateObj(ref)) Throw(kMethod, 5, "CPDFDoc::UpdateObj()");
      if (!info) {
        // Read back from a file: give it its typed class under the same
        // reference so that its dates are kept.
        std::unique_ptr<CPDFInfoDict> typed(new CPDFInfoDict);
        if (!typed->Load(this, found)) Throw(kMethod, 5, nullptr);
        if (!trailer->Set_Info(typed.get(), ref.IsDefined(), &ref)) {
          found->Assign(this, typed.get());
          Throw(kMethod, 5, nullptr);
        }
        info = typed.release();
      }
    }
    std::unique_ptr<CPDFDate> date(new CPDFDate);
    if (!date->SetNow(false)) Throw(kMethod, 5, nullptr);
    const bool first = !info->HasKey(CPDFInfoDict::Key_CreationDate());
    if (!(first ? info->Set_CreationDate(date.get()) : info->Set_ModDate(date.get()))) {
      Throw(kMethod, 5, nullptr);
    }
    date.release();
    std::unique_ptr<CPDFText> producer(new CPDFText(kProducer));
    if (!info->Set_Producer(producer.get())) Throw(kMethod, 5, nullptr);
    producer.release();
    return true;
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}

bool CPDFDoc::Flush() {
  static constexpr const char* kMethod = "Flush";
  GetError().Clear();
  try {
    if (!saveCalled_ || !save_ || !save_->out) {
      Throw(kMethod, 3, "CPDFDoc::Save() has not been called.");
    }
    if (!IsFDF() && !SetDocInfo()) Throw(kMethod, 5, "CPDFDoc::SetDocInfo()");
    if (!Serialize(*save_->out)) Throw(kMethod, 5, "CPDFDoc::Serialize()");
    // Every write and the close must have reached the file, and the file
    // the device, before it may replace anything.
    if (save_->out->Failed()) save_->ThrowWriteError(kMethod, save_->out->GetLastError());
    if (!save_->out->Close()) save_->ThrowWriteError(kMethod, save_->out->GetLastError());
    save_->out.reset();
    if (!incremental_) LoadExternalData();
    if (!save_->file.Commit()) save_->ThrowWriteError(kMethod, platform::GetLastSystemError());

    released_.reset();
    if (input_) input_->Close();
    input_.reset();
    SetFileName(save_->target.c_str());
    docKey_ = outKey_;
    outKey_.clear();
    save_.reset();
    saveCalled_ = false;

    auto input = std::make_unique<CPDFFileInStream>();
    if (!input->Open(fileName_.c_str(), "rb")) Throw(kMethod, 1, input->GetErrorText());
    input_ = std::move(input);
    if (linearize_ && !Linearize()) Throw(kMethod, 5, "CPDFDoc::Linearize()");
    released_ = std::make_unique<CPDFXRef>();
    if (!released_->Create(this, nullptr)) Throw(kMethod, 5, "CPDFXRef::Create()");
    StartRevision();
    return true;
  } catch (...) {
    Fail(kMethod);
    ResetSave();
    if (!released_) {
      released_ = std::make_unique<CPDFXRef>();
      released_->Create(this, nullptr);
    }
    return false;
  }
}

// Stream data still lying in the document's file is read in before a full
// save replaces that file: its offsets would not hold in the new one. An
// incremental save keeps every byte where it was. Data lying in another
// file stay there unless the save replaces that file too.
void CPDFDoc::LoadExternalData() {
  for (auto& body : bodies_) {
    for (int32_t n = 1; n <= body->GetCount(); ++n) {
      auto* stream = dynamic_cast<CPDFStream*>(body->GetSlot(n));
      if (!stream || !stream->IsExternal()) continue;
      const std::string& other = stream->GetSourceFile();
      if (!other.empty() && !SameFile(other, save_->file.Target())) continue;
      if (!stream->LoadData()) Throw("Flush", 1, "CPDFStream::LoadData()");
    }
  }
}

void CPDFDoc::StartRevision() {
  static constexpr const char* kMethod = "Flush";
  auto body = std::make_unique<CPDFBody>();
  if (!body->Create(this, GetBody())) Throw(kMethod, 5, "CPDFBody::Create()");
  auto xref = std::make_unique<CPDFXRef>();
  if (!xref->Create(this, GetXRef())) Throw(kMethod, 5, "CPDFXRef::Create()");
  if (!body->SetCount(xref->GetCount())) Throw(kMethod, 5, "CPDFBody::Create()");
  auto trailer = std::make_unique<CPDFTrailer>();
  CPDFTrailer* previous = GetTrailer();
  bodies_.push_back(std::move(body));
  xrefs_.push_back(std::move(xref));
  if (!trailer->Create(this, previous)) {
    bodies_.pop_back();
    xrefs_.pop_back();
    Throw(kMethod, 5, "CPDFTrailer::Create()");
  }
  trailers_.push_back(std::move(trailer));
}

bool CPDFDoc::Linearize() {
  static constexpr const char* kMethod = "Linearize";
  GetError().Clear();
  try {
    // A linearised file layout is not produced: only the order of the pages
    // after the first is recorded in the renumbering map (see LinearizeObj).
    const int32_t pages = IsFDF() ? 0 : GetPageCount();
    if (pages < 0) Throw(kMethod, 5, "CPDFDoc::GetPageCount()");
    for (int32_t i = 1; i < pages; ++i) {
      CPDFObjRef ref;
      if (!GetPage(i, &ref)) Throw(kMethod, 5, "CPDFDoc::GetPage()");
      if (!LinearizeObj(ref, true)) Throw(kMethod, 5, "CPDFDoc::LinearizeObj()");
    }
    return true;
  } catch (...) {
    Fail(kMethod);
    return false;
  }
}
