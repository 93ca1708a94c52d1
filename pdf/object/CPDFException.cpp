#include "pdf/object/CPDFException.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <exception>
#include <new>
#include <string>

#include "platform/SystemError.h"

CPDFException::CPDFException(const char* className, const char* methodName, int32_t code,
                             const char* message) {
  Set(className, methodName, code, message);
}

void CPDFException::Set(const char* className, const char* methodName, int32_t code,
                        const char* message) {
  // Read errno before anything else can change it.
  const int savedErrno = errno;
  className_.Assign(className ? className : "");
  methodName_.Assign(methodName ? methodName : "");
  code_ = code;
  if (message) {
    message_.Assign(message);
    return;
  }
  message_.Clear();
  if (code == kRuntime) {
    if (savedErrno != 0) message_.Assign(platform::SystemErrorText(savedErrno).c_str());
  } else if (code == kSystem) {
    const int last = platform::GetLastSystemError();
    if (last != 0) message_.Assign(platform::SystemErrorText(last).c_str());
  }
  errno = savedErrno;
}

void CPDFException::Clear() {
  className_.Clear();
  methodName_.Clear();
  code_ = kNone;
  message_.Clear();
}

void CPDFException::SetFormat(const char* className, const char* methodName, int32_t code,
                              const char* format, ...) {
  TempString text;
  va_list args;
  va_start(args, format);
  text.FormatV(format, args);
  va_end(args);
  Set(className, methodName, code, text.c_str());
}

void CPDFException::Throw(const char* className, const char* methodName, int32_t code,
                          const char* message) {
  throw new CPDFException(className, methodName, code, message);
}

void CPDFException::ThrowFormat(const char* className, const char* methodName, int32_t code,
                                const char* format, ...) {
  TempString text;
  va_list args;
  va_start(args, format);
  text.FormatV(format, args);
  va_end(args);
  throw new CPDFException(className, methodName, code, text.c_str());
}

bool CPDFException::Absorb(CPDFException* record, const char* className, const char* methodName) {
  const bool fill = record && !record->IsError();
  try {
    throw;
  } catch (CPDFException* e) {
    if (fill && e) *record = *e;
    delete e;
  } catch (const CPDFException& e) {
    if (fill) *record = e;
  } catch (const char* text) {
    if (fill) record->Set(className, methodName, kStepFailed, text ? text : "");
  } catch (...) {
    if (fill) record->Set(className, methodName, kStepFailed);
  }
  return false;
}

TIFFException::TIFFException(const char* module, const char* message) {
  module_.Assign(module ? module : "");
  message_.Assign(message ? message : "");
}
