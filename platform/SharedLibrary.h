#pragma once
// A shared library opened on first use instead of at process start.
//
// The object only names the library (by soname); the first call that needs
// it opens it with dlopen(RTLD_NOW | RTLD_LOCAL), once, whatever the number
// of threads asking at the same time. A library that cannot be opened stays
// unopened for the life of the process, with the reason kept; one that is
// opened is never closed (functions taken from it stay valid until the
// process ends). When the process has loaded the library already (it is
// linked in, or another library brought it), the same instance is used.
#include <atomic>
#include <mutex>
#include <string>

namespace platform {

class SharedLibrary {
 public:
  // soname: the name dlopen looks for, e.g. "libz.so.1".
  explicit SharedLibrary(std::string soname);
  SharedLibrary(const SharedLibrary&) = delete;
  SharedLibrary& operator=(const SharedLibrary&) = delete;

  const std::string& Soname() const { return soname_; }

  // Opens the library the first time; true when it is open.
  bool Load();
  // Opens the library only when the process has loaded it already (which
  // costs nothing); true when it is open.
  bool LoadIfPresent();
  // Why the library cannot be opened (opening it first): the soname and
  // the system's text. Empty when it is open.
  const std::string& LoadError();

  // The address of a symbol of the library, opening the library first;
  // nullptr when the library cannot be opened or has no such symbol, with
  // the reason (naming the library and the symbol) in *error when given.
  void* Symbol(const char* name, std::string* error = nullptr);

  // Symbol() as a pointer of the function type F.
  template <typename F>
  F Function(const char* name, std::string* error = nullptr) {
    return reinterpret_cast<F>(Symbol(name, error));
  }

 private:
  std::string soname_;
  std::once_flag once_;
  void* handle_ = nullptr;
  std::atomic<bool> loaded_{false};
  std::string error_;
};

}  // namespace platform
