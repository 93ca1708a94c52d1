// libtiff, loaded at first use instead of at process start.
//
// The program is not linked with libtiff: a conversion that never reads or
// writes TIFF data (a JPEG or a BMP) never pays for loading it and the
// libraries it needs. This file defines, with libtiff's own prototypes, the
// libtiff functions the library calls (and the few more the programs' TIFF
// image makers call); each opens libtiff the first time one of them is
// needed, takes the real function from it and calls it. The callers include
// <tiffio.h> and call TIFF* as before.
//
// The definitions are hidden: they bind the calls of this program only, are
// never exported (even from a program linked with -rdynamic), and so never
// stand in for libtiff's own functions in another library of the process. A
// program that links libtiff itself still works: dlopen of the soname then
// returns the instance already loaded.
//
// The error and warning handlers are the process's, as in libtiff: setting
// one does not load libtiff (TIFFErrorCapture sets them around every use);
// it is kept and installed when libtiff is loaded, and once it is, the
// setters pass straight through to libtiff. When libtiff cannot be loaded,
// the functions that open a TIFF report it through the error handler (module
// = the function's name) and return none, so the caller fails through its
// usual error path; a function missing from the loaded library is reported
// the same way and answers its failure value.
#include <tiffio.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>

#include "platform/SharedLibrary.h"

#ifndef PN_TIFF_SONAME
#error "PN_TIFF_SONAME (libtiff's soname, found by the build) is not defined"
#endif

#define PN_HIDDEN extern "C" __attribute__((visibility("hidden")))

namespace {

platform::SharedLibrary& Library() {
  // Never destroyed: a TIFF may be closed by a destructor that runs at exit.
  static platform::SharedLibrary* const library = new platform::SharedLibrary(PN_TIFF_SONAME);
  return *library;
}

// --- Handlers ---

// libtiff's own handlers, known once it is loaded.
std::atomic<TIFFErrorHandler> g_libraryError{nullptr};
std::atomic<TIFFErrorHandler> g_libraryWarning{nullptr};

void PrintMessage(const char* module, const char* prefix, const char* format, va_list args) {
  if (module != nullptr) std::fprintf(stderr, "%s: ", module);
  std::fputs(prefix, stderr);
  std::vfprintf(stderr, format, args);
  std::fputs(".\n", stderr);
}

// The handlers the process starts with: libtiff's own once it is loaded;
// before, they print as libtiff's defaults do.
void DefaultError(const char* module, const char* format, va_list args) {
  TIFFErrorHandler handler = g_libraryError.load();
  if (handler != nullptr && handler != &DefaultError) return handler(module, format, args);
  PrintMessage(module, "", format, args);
}

void DefaultWarning(const char* module, const char* format, va_list args) {
  TIFFErrorHandler handler = g_libraryWarning.load();
  if (handler != nullptr && handler != &DefaultWarning) return handler(module, format, args);
  PrintMessage(module, "Warning, ", format, args);
}

using SetHandler = TIFFErrorHandler (*)(TIFFErrorHandler);

// The handlers the program has set, until they are handed to libtiff; from
// then on libtiff's setters. Guarded by g_handlerMutex.
std::mutex g_handlerMutex;
TIFFErrorHandler g_error = &DefaultError;
TIFFErrorHandler g_warning = &DefaultWarning;
SetHandler g_setError = nullptr;
SetHandler g_setWarning = nullptr;

// Why libtiff cannot be used; set once, before Loaded() first answers, and
// never freed.
const std::string* g_loadError = nullptr;

std::string NotLoadedText(const std::string& reason) {
  return "libtiff (" + Library().Soname() + ") could not be loaded: " + reason;
}

// Loads libtiff, the first time, and hands it the handlers set so far; true
// when it can be used.
bool Loaded() {
  static const bool loaded = [] {
    std::string error;
    auto setError = Library().Function<SetHandler>("TIFFSetErrorHandler", &error);
    auto setWarning =
        setError ? Library().Function<SetHandler>("TIFFSetWarningHandler", &error) : nullptr;
    if (setError == nullptr || setWarning == nullptr) {
      g_loadError = new std::string(NotLoadedText(error));
      return false;
    }
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    g_libraryError = setError(g_error);
    g_libraryWarning = setWarning(g_warning);
    g_setError = setError;
    g_setWarning = setWarning;
    return true;
  }();
  return loaded;
}

// Adopts libtiff when something else in the process has loaded it already
// (then at no cost), so that handlers set now reach every caller of it.
void LoadedIfPresent() {
  if (Library().LoadIfPresent()) Loaded();
}

void CallHandler(TIFFErrorHandler handler, const char* module, const char* format, ...) {
  va_list args;
  va_start(args, format);
  handler(module, format, args);
  va_end(args);
}

// Reports through the program's error handler that a function cannot be
// called.
void ReportMissing(const char* module, const std::string& text) {
  TIFFErrorHandler handler;
  {
    std::lock_guard<std::mutex> lock(g_handlerMutex);
    if (g_setError != nullptr) {
      // Handed to libtiff: the handler in force is libtiff's to tell.
      handler = g_setError(nullptr);
      g_setError(handler);
    } else {
      handler = g_error;
    }
  }
  if (handler != nullptr) CallHandler(handler, module, "%s", text.c_str());
}

// --- Functions ---

// One libtiff function, taken from the library at its first call. Nothing
// to destroy: a TIFF may be closed by a destructor that runs at exit.
template <typename F>
struct Entry {
  F function = nullptr;
  const std::string* error = nullptr;  // why there is none (never freed)
};

template <typename F>
Entry<F> Resolve(const char* name) {
  Entry<F> entry;
  if (!Loaded()) {
    entry.error = g_loadError;
    return entry;
  }
  std::string error;
  entry.function = Library().Function<F>(name, &error);
  if (entry.function == nullptr)
    entry.error = new std::string("libtiff (" + Library().Soname() + "): " + error);
  return entry;
}

// The function, or none after reporting why under its name.
template <typename F>
F Get(const Entry<F>& entry, const char* name) {
  if (entry.function == nullptr) ReportMissing(name, *entry.error);
  return entry.function;
}

}  // namespace

// Declares the entry of the libtiff function `name` (of libtiff's own type)
// for the definition it is used in.
#define PN_TIFF_ENTRY(name)                                                        \
  static const Entry<decltype(&::name)> entry = Resolve<decltype(&::name)>(#name); \
  const auto function = Get(entry, #name)

PN_HIDDEN TIFFErrorHandler TIFFSetErrorHandler(TIFFErrorHandler handler) {
  LoadedIfPresent();
  std::lock_guard<std::mutex> lock(g_handlerMutex);
  if (g_setError != nullptr) return g_setError(handler);
  return std::exchange(g_error, handler);
}

PN_HIDDEN TIFFErrorHandler TIFFSetWarningHandler(TIFFErrorHandler handler) {
  LoadedIfPresent();
  std::lock_guard<std::mutex> lock(g_handlerMutex);
  if (g_setWarning != nullptr) return g_setWarning(handler);
  return std::exchange(g_warning, handler);
}

PN_HIDDEN TIFF* TIFFOpen(const char* path, const char* mode) {
  PN_TIFF_ENTRY(TIFFOpen);
  return function ? function(path, mode) : nullptr;
}

PN_HIDDEN TIFF* TIFFFdOpen(int fd, const char* name, const char* mode) {
  PN_TIFF_ENTRY(TIFFFdOpen);
  return function ? function(fd, name, mode) : nullptr;
}

PN_HIDDEN TIFF* TIFFClientOpen(const char* name, const char* mode, thandle_t data,
                               TIFFReadWriteProc read, TIFFReadWriteProc write, TIFFSeekProc seek,
                               TIFFCloseProc close, TIFFSizeProc size, TIFFMapFileProc map,
                               TIFFUnmapFileProc unmap) {
  PN_TIFF_ENTRY(TIFFClientOpen);
  return function ? function(name, mode, data, read, write, seek, close, size, map, unmap)
                  : nullptr;
}

PN_HIDDEN void TIFFClose(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFClose);
  if (function) function(tiff);
}

PN_HIDDEN int TIFFFileno(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFFileno);
  return function ? function(tiff) : -1;
}

// The field functions take their value arguments variadic; they are handed
// on through libtiff's va_list versions.
#define PN_TIFF_FIELD_FUNCTION(name, listName)        \
  PN_HIDDEN int name(TIFF* tiff, uint32_t tag, ...) { \
    PN_TIFF_ENTRY(listName);                          \
    if (!function) return 0;                          \
    va_list args;                                     \
    va_start(args, tag);                              \
    const int result = function(tiff, tag, args);     \
    va_end(args);                                     \
    return result;                                    \
  }

PN_TIFF_FIELD_FUNCTION(TIFFGetField, TIFFVGetField)
PN_TIFF_FIELD_FUNCTION(TIFFGetFieldDefaulted, TIFFVGetFieldDefaulted)
PN_TIFF_FIELD_FUNCTION(TIFFSetField, TIFFVSetField)

PN_HIDDEN int TIFFIsTiled(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFIsTiled);
  return function ? function(tiff) : 0;
}

PN_HIDDEN uint32_t TIFFNumberOfStrips(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFNumberOfStrips);
  return function ? function(tiff) : 0;
}

PN_HIDDEN uint64_t TIFFGetStrileByteCount(TIFF* tiff, uint32_t strile) {
  PN_TIFF_ENTRY(TIFFGetStrileByteCount);
  return function ? function(tiff, strile) : 0;
}

PN_HIDDEN uint32_t TIFFComputeStrip(TIFF* tiff, uint32_t row, uint16_t sample) {
  PN_TIFF_ENTRY(TIFFComputeStrip);
  return function ? function(tiff, row, sample) : 0;
}

PN_HIDDEN uint32_t TIFFComputeTile(TIFF* tiff, uint32_t x, uint32_t y, uint32_t z,
                                   uint16_t sample) {
  PN_TIFF_ENTRY(TIFFComputeTile);
  return function ? function(tiff, x, y, z, sample) : 0;
}

PN_HIDDEN tmsize_t TIFFScanlineSize(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFScanlineSize);
  return function ? function(tiff) : 0;
}

PN_HIDDEN tmsize_t TIFFStripSize(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFStripSize);
  return function ? function(tiff) : 0;
}

PN_HIDDEN tmsize_t TIFFTileSize(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFTileSize);
  return function ? function(tiff) : 0;
}

PN_HIDDEN int TIFFReadScanline(TIFF* tiff, void* buffer, uint32_t row, uint16_t sample) {
  PN_TIFF_ENTRY(TIFFReadScanline);
  return function ? function(tiff, buffer, row, sample) : -1;
}

PN_HIDDEN tmsize_t TIFFReadEncodedStrip(TIFF* tiff, uint32_t strip, void* buffer, tmsize_t size) {
  PN_TIFF_ENTRY(TIFFReadEncodedStrip);
  return function ? function(tiff, strip, buffer, size) : -1;
}

PN_HIDDEN tmsize_t TIFFReadRawStrip(TIFF* tiff, uint32_t strip, void* buffer, tmsize_t size) {
  PN_TIFF_ENTRY(TIFFReadRawStrip);
  return function ? function(tiff, strip, buffer, size) : -1;
}

PN_HIDDEN tmsize_t TIFFReadEncodedTile(TIFF* tiff, uint32_t tile, void* buffer, tmsize_t size) {
  PN_TIFF_ENTRY(TIFFReadEncodedTile);
  return function ? function(tiff, tile, buffer, size) : -1;
}

PN_HIDDEN tmsize_t TIFFWriteEncodedStrip(TIFF* tiff, uint32_t strip, void* data, tmsize_t size) {
  PN_TIFF_ENTRY(TIFFWriteEncodedStrip);
  return function ? function(tiff, strip, data, size) : -1;
}

PN_HIDDEN tmsize_t TIFFWriteRawStrip(TIFF* tiff, uint32_t strip, void* data, tmsize_t size) {
  PN_TIFF_ENTRY(TIFFWriteRawStrip);
  return function ? function(tiff, strip, data, size) : -1;
}

PN_HIDDEN tmsize_t TIFFWriteTile(TIFF* tiff, void* buffer, uint32_t x, uint32_t y, uint32_t z,
                                 uint16_t sample) {
  PN_TIFF_ENTRY(TIFFWriteTile);
  return function ? function(tiff, buffer, x, y, z, sample) : -1;
}

PN_HIDDEN int TIFFReadDirectory(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFReadDirectory);
  return function ? function(tiff) : 0;
}

PN_HIDDEN uint64_t TIFFCurrentDirOffset(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFCurrentDirOffset);
  return function ? function(tiff) : 0;
}

// Reports nothing when libtiff cannot be loaded: the open that follows the
// setting of an extender tells why.
PN_HIDDEN TIFFExtendProc TIFFSetTagExtender(TIFFExtendProc extender) {
  static const auto entry = Resolve<decltype(&::TIFFSetTagExtender)>("TIFFSetTagExtender");
  return entry.function ? entry.function(extender) : nullptr;
}

PN_HIDDEN TIFFTagMethods* TIFFAccessTagMethods(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFAccessTagMethods);
  return function ? function(tiff) : nullptr;
}

PN_HIDDEN thandle_t TIFFClientdata(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFClientdata);
  return function ? function(tiff) : nullptr;
}

PN_HIDDEN TIFFReadWriteProc TIFFGetReadProc(TIFF* tiff) {
  PN_TIFF_ENTRY(TIFFGetReadProc);
  return function ? function(tiff) : nullptr;
}
