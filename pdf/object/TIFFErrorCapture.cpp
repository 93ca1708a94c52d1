#include "pdf/object/TIFFErrorCapture.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace {
// The capture that receives libtiff's errors now; the handlers are
// process-wide plain functions, so the receiver is found through this.
TIFFErrorCapture* g_current = nullptr;
}  // namespace

TIFFErrorCapture::TIFFErrorCapture() : outer_(g_current) {
  previous_warning_ = TIFFSetWarningHandler(&TIFFErrorCapture::WarningHandler);
  previous_error_ = TIFFSetErrorHandler(&TIFFErrorCapture::ErrorHandler);
  g_current = this;
}

TIFFErrorCapture::~TIFFErrorCapture() {
  g_current = outer_;
  TIFFSetErrorHandler(previous_error_);
  TIFFSetWarningHandler(previous_warning_);
}

std::string TIFFErrorCapture::Text() const {
  if (module_.empty()) return message_;
  return module_ + ": " + message_;
}

void TIFFErrorCapture::Clear() {
  has_error_ = false;
  module_.clear();
  message_.clear();
}

void TIFFErrorCapture::ErrorHandler(const char* module, const char* format, va_list args) {
  TIFFErrorCapture* capture = g_current;
  if (capture == nullptr || capture->has_error_) return;
  capture->Record(module, format, args);
}

void TIFFErrorCapture::Record(const char* module, const char* format, va_list args) {
  has_error_ = true;
  module_ = module != nullptr ? module : "";
  if (module_.size() >= kFieldSize) module_.resize(kFieldSize - 1);
  char text[kFieldSize];
  text[0] = '\0';
  if (format != nullptr) {
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(text, sizeof text, format, copy);
    va_end(copy);
  }
  message_ = text;
}

namespace {

// libjpeg's own text of its warning that the data ended early (an end of
// image put in their place), as libtiff passes it on.
const char* JPEGEndedEarlyText() {
  static const char* const text = [] {
    jpeg_error_mgr errors;
    jpeg_std_error(&errors);
    return errors.jpeg_message_table[JWRN_JPEG_EOF];
  }();
  return text;
}

// The warnings that tell of a JPEG strip or tile decoded short (see
// HasError), by libtiff's module and the message as formatted.
bool TellsOfAShortJPEGPiece(const char* module, const char* format, va_list args) {
  const bool predecode = std::strcmp(module, "JPEGPreDecode") == 0;
  if (!predecode && std::strcmp(module, "JPEGLib") != 0) return false;
  char text[TIFFErrorCapture::kFieldSize];
  va_list copy;
  va_copy(copy, args);
  std::vsnprintf(text, sizeof text, format, copy);
  va_end(copy);
  static const char kImproperSize[] = "Improper JPEG strip/tile size";
  if (predecode) return std::strncmp(text, kImproperSize, sizeof kImproperSize - 1) == 0;
  return std::strcmp(text, JPEGEndedEarlyText()) == 0;
}

}  // namespace

void TIFFErrorCapture::WarningHandler(const char* module, const char* format, va_list args) {
  TIFFErrorCapture* capture = g_current;
  if (capture == nullptr || capture->has_error_ || module == nullptr || format == nullptr) return;
  if (TellsOfAShortJPEGPiece(module, format, args)) capture->Record(module, format, args);
}
