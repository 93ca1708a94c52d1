#include "platform/SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace platform {

namespace {

// The text of the last dl* failure of this thread, or `fallback`.
std::string DlError(const char* fallback) {
  const char* text = dlerror();
  return text != nullptr ? text : fallback;
}

// text, prefixed with "name: " unless it names it already.
std::string Naming(const std::string& text, const std::string& name) {
  return text.find(name) != std::string::npos ? text : name + ": " + text;
}

}  // namespace

SharedLibrary::SharedLibrary(std::string soname) : soname_(std::move(soname)) {}

bool SharedLibrary::Load() {
  std::call_once(once_, [this] {
    dlerror();
    handle_ = dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      error_ = Naming(DlError("unknown error"), soname_);
      return;
    }
    loaded_.store(true, std::memory_order_release);
  });
  return handle_ != nullptr;
}

bool SharedLibrary::LoadIfPresent() {
  if (loaded_.load(std::memory_order_acquire)) return true;
  // RTLD_NOLOAD answers the library only when it is loaded, and loads
  // nothing; the reference it takes is kept, as every other.
  if (dlopen(soname_.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NOLOAD) == nullptr) {
    dlerror();
    return false;
  }
  return Load();
}

const std::string& SharedLibrary::LoadError() {
  Load();
  return error_;
}

void* SharedLibrary::Symbol(const char* name, std::string* error) {
  if (!Load()) {
    if (error != nullptr) *error = error_;
    return nullptr;
  }
  dlerror();
  void* address = dlsym(handle_, name);
  if (address == nullptr && error != nullptr)
    *error = Naming(Naming(DlError("no such symbol"), soname_), name);
  return address;
}

}  // namespace platform
