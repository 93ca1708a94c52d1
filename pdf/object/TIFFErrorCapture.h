#pragma once
// Replaces libtiff's process-wide error and warning handlers for the life of
// one object: errors are recorded (the first one wins) and the handler
// returns to libtiff, which then fails the call it was in; warnings are
// discarded, but for the two that tell of a JPEG strip or tile that holds
// less than its rows, which are recorded as errors (see below). The
// caller's handlers are put back by the destructor, on every way out. Nothing is ever thrown
// through libtiff's C frames: the code using libtiff checks each result and HasError(), and raises
// its own error after the C call has returned.
//
// libtiff's handlers are process-wide, so only one thread may use libtiff
// while a capture is alive. Captures nest: an inner one records the errors
// until it ends, then the outer one records again.
#include <tiffio.h>

#include <string>

class TIFFErrorCapture {
 public:
  TIFFErrorCapture();
  ~TIFFErrorCapture();
  TIFFErrorCapture(const TIFFErrorCapture&) = delete;
  TIFFErrorCapture& operator=(const TIFFErrorCapture&) = delete;

  // True once libtiff has reported an error through the handler. libtiff
  // decodes a JPEG strip or tile whose JPEG data hold fewer rows or columns
  // than the piece ("JPEGPreDecode: Improper JPEG strip/tile size, ...") or
  // end before its rows do (libjpeg's "Premature end of JPEG file", which
  // libtiff passes on from "JPEGLib") as a whole piece, only warning: the
  // rows missing are left as the buffer held them, or grey. Both warnings
  // count as errors here, so that the call that decoded the piece is taken
  // as failed; libjpeg passes on the first warning of a piece only.
  bool HasError() const { return has_error_; }
  // The module libtiff named for the first error (may be empty) and its
  // formatted message, each cut to kFieldSize - 1 bytes.
  const std::string& Module() const { return module_; }
  const std::string& Message() const { return message_; }
  // "module: message", or the message alone when there is no module.
  std::string Text() const;
  // Forgets the recorded error.
  void Clear();

  static constexpr size_t kFieldSize = 1024;

 private:
  static void ErrorHandler(const char* module, const char* format, va_list args);
  static void WarningHandler(const char* module, const char* format, va_list args);
  void Record(const char* module, const char* format, va_list args);

  TIFFErrorHandler previous_error_;
  TIFFErrorHandler previous_warning_;
  TIFFErrorCapture* outer_;
  bool has_error_ = false;
  std::string module_;
  std::string message_;
};
