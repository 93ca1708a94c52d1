#include "platform/SharedLibrary.h"

#include <dlfcn.h>
#include <link.h>

#include <cstring>
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

// True when an object of the process was loaded under the soname (the last
// part of its path). The list is read in memory: asking dlopen instead
// (RTLD_NOLOAD) searches the library path and opens the file.
bool LoadedUnder(const std::string& soname) {
  struct Search {
    const std::string* soname;
    bool found;
  } search{&soname, false};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) -> int {
        auto* s = static_cast<Search*>(data);
        const char* name = info->dlpi_name;
        if (name == nullptr || *name == '\0') return 0;
        const char* slash = std::strrchr(name, '/');
        s->found = *s->soname == (slash != nullptr ? slash + 1 : name);
        return s->found ? 1 : 0;
      },
      &search);
  return search.found;
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
  // Loaded already: dlopen then finds it by its name among the loaded
  // objects, and loads nothing.
  if (!LoadedUnder(soname_)) return false;
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
