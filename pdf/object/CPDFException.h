#pragma once
// The library's error object: class name, method name, numeric code and
// message. Detected errors are thrown as pointers to heap objects; the same
// class is also the error record that a document keeps.
//
// Codes: 0 no error, 1 runtime-library error, 2 operating-system error,
// 3 unknown or undefined thing, 4 syntax or type error in PDF data,
// 5 a step failed.
#include <cstdint>

#include "pdf/object/TempString.h"

class CPDFException {
 public:
  enum Code : int32_t {
    kNone = 0,
    kRuntime = 1,
    kSystem = 2,
    kUndefined = 3,
    kSyntax = 4,
    kStepFailed = 5,
  };

  CPDFException() = default;
  CPDFException(const CPDFException& other) = default;
  CPDFException(const char* className, const char* methodName, int32_t code,
                const char* message = nullptr);
  virtual ~CPDFException() = default;

  CPDFException& operator=(const CPDFException& other) = default;

  // Stores the four values. Without a message: code 1 takes the text of the
  // current errno, code 2 the text of the last recorded system error, other
  // codes leave the message empty.
  void Set(const char* className, const char* methodName, int32_t code,
           const char* message = nullptr);
  // The same with a printf-style message.
  void SetFormat(const char* className, const char* methodName, int32_t code, const char* format,
                 ...) __attribute__((format(printf, 5, 6)));
  // Empties the record: no class, method or message, code 0. Documents
  // call it at the start of each public operation, so a record never shows
  // the reason of an earlier call.
  void Clear();

  const char* GetClassName() const { return className_.c_str(); }
  const char* GetMethodName() const { return methodName_.c_str(); }
  int32_t GetCode() const { return code_; }
  const char* GetMessage() const { return message_.c_str(); }
  bool IsError() const { return code_ != kNone; }

  // Throws a new exception (the catcher deletes it).
  [[noreturn]] static void Throw(const char* className, const char* methodName, int32_t code,
                                 const char* message = nullptr);
  [[noreturn]] static void ThrowFormat(const char* className, const char* methodName, int32_t code,
                                       const char* format, ...)
      __attribute__((format(printf, 4, 5)));

  // To be called inside a catch (...) block. Classifies the exception in
  // flight, deletes it when it is a CPDFException*, and - when a record is
  // given and still empty - fills it: a CPDFException is copied, a text
  // becomes code 5 with that text as message, anything else becomes code 5
  // naming the given class and method. Always returns false, so a catch
  // block can end with "return CPDFException::Absorb(...)".
  static bool Absorb(CPDFException* record, const char* className, const char* methodName);

 private:
  TempString className_;
  TempString methodName_;
  int32_t code_ = kNone;
  TempString message_;
};

// The error object thrown from the image library's error handler.
class TIFFException {
 public:
  TIFFException() = default;
  TIFFException(const char* module, const char* message);
  virtual ~TIFFException() = default;

  const char* GetModule() const { return module_.c_str(); }
  const char* GetMessage() const { return message_.c_str(); }

 private:
  TempString module_;
  TempString message_;
};
