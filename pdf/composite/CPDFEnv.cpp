#include "pdf/composite/CPDFEnv.h"

#include <memory>
#include <new>

#include "pdf/composite/CPDFDoc.h"
#include "pdf/font/TrueTypeFontInfo.h"
#include "pdf/object/CPDFException.h"
#include "platform/TempFile.h"

CPDFEnv::CPDFEnv() : ownFonts_(std::make_unique<FontResourceCache>()), fonts_(*ownFonts_) {}

CPDFEnv::CPDFEnv(FontResourceCache& fonts) : fonts_(fonts) {}

CPDFEnv::~CPDFEnv() {
  tempDir_ = {};
  cmapDir_ = {};
  afmSearchDir_ = {};
  afmDir_ = {};
  fonts_.Release();
}

CPDFEnv& CPDFEnv::Global() {
  // The font caches are built first, so they outlive the environment at
  // exit.
  static CPDFEnv env(FontResourceCache::Global());
  return env;
}

void CPDFEnv::Store(OptionalPath& target, const char* path) {
  target = {};
  if (!path || !*path) return;
  target.text = path;
  if (target.text.back() != '/') target.text.push_back('/');
  target.set = true;
}

void CPDFEnv::SetTempDirectory(const char* path) { Store(tempDir_, path); }

void CPDFEnv::SetCMapDirectory(const char* path) {
  Store(cmapDir_, path);
  FontResourceCache::CMapDirectory() = cmapDir_.set ? cmapDir_.text : std::string();
}

void CPDFEnv::SetAFMSearchDirectory(const char* path) {
  Store(afmSearchDir_, path);
  fonts_.SetAFMSearchDirectory(afmSearchDir_.set ? afmSearchDir_.text : std::string());
}

void CPDFEnv::SetAFMDirectory(const char* path) {
  Store(afmDir_, path);
  FontResourceCache::AFMDirectory() = afmDir_.set ? afmDir_.text : std::string();
}

void CPDFEnv::SetTrueTypeFontSource(std::unique_ptr<TrueTypeFontSource> source) {
  fonts_.SetTrueTypeFontSource(std::move(source));
}

bool CPDFEnv::Init(const char* tempDir, const char* cmapDir, const char* afmSearchDir,
                   const char* afmDir) {
  SetTempDirectory(tempDir);
  SetCMapDirectory(cmapDir);
  SetAFMSearchDirectory(afmSearchDir);
  SetAFMDirectory(afmDir);
  // A dropped temporary directory is cleared rather than kept from an
  // earlier call, so temporary files never go to a stale place.
  platform::SetWorkFolder(tempDir_.set ? tempDir_.text : std::string());
  platform::SetWorkFilePrefix("pn");
  return true;
}

const std::string& CPDFEnv::TempDirectorySetting() { return platform::WorkFolder(); }
const std::string& CPDFEnv::TempPrefixSetting() { return platform::WorkFilePrefix(); }
const std::string& CPDFEnv::CMapDirectorySetting() { return FontResourceCache::CMapDirectory(); }
const std::string& CPDFEnv::AFMDirectorySetting() { return FontResourceCache::AFMDirectory(); }

CPDFDoc* CPDFEnv::CreateDoc(bool fdf, bool xrefForFdf, int32_t major, int32_t minor,
                            CPDFException* error) {
  std::unique_ptr<CPDFDoc> doc(new (std::nothrow) CPDFDoc);
  if (!doc) {
    if (error) error->Set("CPDFEnv", "CreateDoc", CPDFException::kStepFailed, "out of memory");
    return nullptr;
  }
  if (!doc->Create(fdf, xrefForFdf, major, minor)) {
    if (error) *error = doc->GetError();
    return nullptr;
  }
  return doc.release();
}

bool CPDFEnv::CloseDoc(CPDFDoc* doc) {
  if (doc) doc->Close();
  delete doc;
  return true;
}
