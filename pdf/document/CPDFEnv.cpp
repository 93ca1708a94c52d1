#include "pdf/document/CPDFEnv.h"

#include <cstring>

namespace {

// The process-wide settings. Function-local statics, so they exist before
// any use and outlive the environment's users at exit.
std::string& TempDirectory() {
  static std::string value;
  return value;
}
std::string& TempPrefix() {
  static std::string value;
  return value;
}
std::string& CMapDirectory() {
  static std::string value;
  return value;
}
std::string& AFMDirectory() {
  static std::string value;
  return value;
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
  CMapDirectory() = cmapDir_.set ? cmapDir_.text : std::string();
}

void CPDFEnv::SetAFMSearchDirectory(const char* path) { Store(afmSearchDir_, path); }

void CPDFEnv::SetAFMDirectory(const char* path) {
  Store(afmDir_, path);
  AFMDirectory() = afmDir_.set ? afmDir_.text : std::string();
}

bool CPDFEnv::Init(const char* tempDir, const char* cmapDir, const char* afmSearchDir,
                   const char* afmDir) {
  SetTempDirectory(tempDir);
  SetCMapDirectory(cmapDir);
  SetAFMSearchDirectory(afmSearchDir);
  SetAFMDirectory(afmDir);
  // A dropped temporary directory is cleared rather than kept from an
  // earlier call, so temporary files never go to a stale place.
  TempDirectory() = tempDir_.set ? tempDir_.text : std::string();
  TempPrefix() = "pn";
  return true;
}

const std::string& CPDFEnv::TempDirectorySetting() { return TempDirectory(); }
const std::string& CPDFEnv::TempPrefixSetting() { return TempPrefix(); }
const std::string& CPDFEnv::CMapDirectorySetting() { return CMapDirectory(); }
const std::string& CPDFEnv::AFMDirectorySetting() { return AFMDirectory(); }
