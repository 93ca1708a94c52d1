#pragma once
// libjpeg error manager that jumps back instead of ending the process.
//
// Use:
//   JPEGErrorManager errors;
//   info.err = errors.Install();
//   if (setjmp(errors.jump)) { ...destroy the libjpeg object, fail... }
//   ...libjpeg calls...
// The function that calls setjmp must keep no object with a destructor alive
// across the libjpeg calls (a longjmp would skip it): keep such objects in
// the caller and do the libjpeg work in a function of plain data only.
// Warnings are counted by libjpeg and not shown; a fatal error records
// libjpeg's message text and jumps back.
#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>

struct JPEGErrorManager {
  jpeg_error_mgr pub;  // must stay the first member: libjpeg sees only this
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];

  // Sets libjpeg's standard handlers, then replaces the fatal-error exit;
  // returns the pointer to store in the libjpeg object's err field.
  jpeg_error_mgr* Install();
};
