#include "pdf/document/CPDFEnv.h"

#include <cstring>

#include "platform/TempFile.h"

namespace {

// The process-wide settings, built on first use so that they exist before
// any reader and outlive the environment's users at exit. The temporary
// folder and prefix are the platform's work-file settings, which the object
// layer reads.
enum Setting { kCMapDirectory, kAFMDirectory, kSettings };

std::string& SettingText(Setting which) {
  static std::string values[kSettings];
  return values[which];
}

}  // namespace

CPDFEnv::~CPDFEnv() {
  tempDir_ = {};
  cmapDir_ = {};
  afmSearchDir_ = {};
  afmDir_ = {};
  encodings_.RemoveAll();
  cmaps_.RemoveAll();
  afms_.RemoveAll();
  trueTypes_.RemoveAll();
}

CPDFEnv& CPDFEnv::Global() {
  static CPDFEnv env;
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
  SettingText(kCMapDirectory) = cmapDir_.set ? cmapDir_.text : std::string();
}

void CPDFEnv::SetAFMSearchDirectory(const char* path) {
  Store(afmSearchDir_, path);
  afmScanned_ = false;
}

void CPDFEnv::ReleaseFontCaches() {
  encodings_.RemoveAll();
  cmaps_.RemoveAll();
  afms_.RemoveAll();
  trueTypes_.RemoveAll();
  afmScanned_ = false;
  trueTypeEnumerated_ = false;
}

void CPDFEnv::SetAFMDirectory(const char* path) {
  Store(afmDir_, path);
  SettingText(kAFMDirectory) = afmDir_.set ? afmDir_.text : std::string();
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
const std::string& CPDFEnv::CMapDirectorySetting() { return SettingText(kCMapDirectory); }
const std::string& CPDFEnv::AFMDirectorySetting() { return SettingText(kAFMDirectory); }
