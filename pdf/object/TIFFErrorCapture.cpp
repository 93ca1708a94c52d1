#include "pdf/object/TIFFErrorCapture.h"

#include <cstdarg>
#include <cstdio>

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
  capture->has_error_ = true;
  capture->module_ = module != nullptr ? module : "";
  if (capture->module_.size() >= kFieldSize) capture->module_.resize(kFieldSize - 1);
  char text[kFieldSize];
  text[0] = '\0';
  if (format != nullptr) {
    va_list copy;
    va_copy(copy, args);
    std::vsnprintf(text, sizeof text, format, copy);
    va_end(copy);
  }
  capture->message_ = text;
}

void TIFFErrorCapture::WarningHandler(const char*, const char*, va_list) {}
