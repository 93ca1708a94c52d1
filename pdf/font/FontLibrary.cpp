// fontconfig and FreeType, loaded at first use instead of at process start.
//
// Only the installed-font source (FontconfigFontSource) calls them, and a
// conversion never lists installed fonts: the program is not linked with
// them, so it does not pay for loading them and the libraries they need.
// This file defines, with the libraries' own prototypes, the functions the
// font source calls; each opens its library the first time it is needed,
// takes the real function from it and calls it.
//
// The definitions are hidden: they bind the calls of this program only, are
// never exported (even from a program linked with -rdynamic), and so never
// stand in for the libraries' own functions in another library of the
// process (a GUI toolkit loads both). dlopen of a soname the process has
// loaded already returns that instance.
//
// When a library cannot be loaded, or lacks a function, the functions answer
// their failure values (FcInitLoadConfigAndFonts and FcFontSetCreate none,
// FT_Init_FreeType and FT_New_Face an error), and the font source finds no
// installed fonts, as on a system that has none.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
// FreeType marks its functions visible; the definitions here are hidden, so
// its declarations in this file are made hidden too.
#if __has_include(<freetype/config/public-macros.h>)
#include <freetype/config/public-macros.h>
#undef FT_PUBLIC_FUNCTION_ATTRIBUTE
#define FT_PUBLIC_FUNCTION_ATTRIBUTE __attribute__((visibility("hidden")))
#endif
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H

#include <cstdarg>

#include "platform/SharedLibrary.h"

#if !defined(PN_FONTCONFIG_SONAME) || !defined(PN_FREETYPE_SONAME)
#error "PN_FONTCONFIG_SONAME and PN_FREETYPE_SONAME (found by the build) must be defined"
#endif

#define PN_HIDDEN extern "C" __attribute__((visibility("hidden")))

namespace {

// Never destroyed: a face or configuration may be released by a destructor
// that runs at exit.
platform::SharedLibrary& Fontconfig() {
  static platform::SharedLibrary* const library = new platform::SharedLibrary(PN_FONTCONFIG_SONAME);
  return *library;
}

platform::SharedLibrary& FreeType() {
  static platform::SharedLibrary* const library = new platform::SharedLibrary(PN_FREETYPE_SONAME);
  return *library;
}

}  // namespace

// The real function `name` of `library`, of its own type, taken at the first
// call of the definition it is used in; none when it cannot be had.
#define PN_FUNCTION(library, name) \
  static const auto function = library().Function<decltype(&::name)>(#name)

// --- fontconfig ---

PN_HIDDEN FcConfig* FcInitLoadConfigAndFonts(void) {
  PN_FUNCTION(Fontconfig, FcInitLoadConfigAndFonts);
  return function ? function() : nullptr;
}

PN_HIDDEN void FcConfigDestroy(FcConfig* config) {
  PN_FUNCTION(Fontconfig, FcConfigDestroy);
  if (function) function(config);
}

PN_HIDDEN FcPattern* FcPatternCreate(void) {
  PN_FUNCTION(Fontconfig, FcPatternCreate);
  return function ? function() : nullptr;
}

PN_HIDDEN void FcPatternDestroy(FcPattern* pattern) {
  PN_FUNCTION(Fontconfig, FcPatternDestroy);
  if (function) function(pattern);
}

PN_HIDDEN FcBool FcPatternAddString(FcPattern* pattern, const char* object, const FcChar8* value) {
  PN_FUNCTION(Fontconfig, FcPatternAddString);
  return function ? function(pattern, object, value) : FcFalse;
}

PN_HIDDEN FcResult FcPatternGetString(const FcPattern* pattern, const char* object, int id,
                                      FcChar8** value) {
  PN_FUNCTION(Fontconfig, FcPatternGetString);
  return function ? function(pattern, object, id, value) : FcResultNoMatch;
}

PN_HIDDEN FcResult FcPatternGetInteger(const FcPattern* pattern, const char* object, int id,
                                       int* value) {
  PN_FUNCTION(Fontconfig, FcPatternGetInteger);
  return function ? function(pattern, object, id, value) : FcResultNoMatch;
}

PN_HIDDEN FcObjectSet* FcObjectSetBuild(const char* first, ...) {
  PN_FUNCTION(Fontconfig, FcObjectSetVaBuild);
  if (!function) return nullptr;
  va_list args;
  va_start(args, first);
  FcObjectSet* objects = function(first, args);
  va_end(args);
  return objects;
}

PN_HIDDEN void FcObjectSetDestroy(FcObjectSet* objects) {
  PN_FUNCTION(Fontconfig, FcObjectSetDestroy);
  if (function) function(objects);
}

PN_HIDDEN FcFontSet* FcFontList(FcConfig* config, FcPattern* pattern, FcObjectSet* objects) {
  PN_FUNCTION(Fontconfig, FcFontList);
  return function ? function(config, pattern, objects) : nullptr;
}

PN_HIDDEN FcFontSet* FcFontSetCreate(void) {
  PN_FUNCTION(Fontconfig, FcFontSetCreate);
  return function ? function() : nullptr;
}

PN_HIDDEN void FcFontSetDestroy(FcFontSet* set) {
  PN_FUNCTION(Fontconfig, FcFontSetDestroy);
  if (function) function(set);
}

PN_HIDDEN unsigned int FcFreeTypeQueryAll(const FcChar8* file, unsigned int id, FcBlanks* blanks,
                                          int* count, FcFontSet* set) {
  PN_FUNCTION(Fontconfig, FcFreeTypeQueryAll);
  if (!function) {
    if (count != nullptr) *count = 0;
    return 0;
  }
  return function(file, id, blanks, count, set);
}

// --- FreeType ---

PN_HIDDEN FT_Error FT_Init_FreeType(FT_Library* library) {
  PN_FUNCTION(FreeType, FT_Init_FreeType);
  if (!function) {
    if (library != nullptr) *library = nullptr;
    return FT_Err_Cannot_Open_Resource;
  }
  return function(library);
}

PN_HIDDEN FT_Error FT_Done_FreeType(FT_Library library) {
  PN_FUNCTION(FreeType, FT_Done_FreeType);
  return function ? function(library) : FT_Err_Cannot_Open_Resource;
}

PN_HIDDEN FT_Error FT_New_Face(FT_Library library, const char* path, FT_Long index, FT_Face* face) {
  PN_FUNCTION(FreeType, FT_New_Face);
  if (!function) {
    if (face != nullptr) *face = nullptr;
    return FT_Err_Cannot_Open_Resource;
  }
  return function(library, path, index, face);
}

PN_HIDDEN FT_Error FT_Done_Face(FT_Face face) {
  PN_FUNCTION(FreeType, FT_Done_Face);
  return function ? function(face) : FT_Err_Cannot_Open_Resource;
}

PN_HIDDEN FT_Error FT_Select_Charmap(FT_Face face, FT_Encoding encoding) {
  PN_FUNCTION(FreeType, FT_Select_Charmap);
  return function ? function(face, encoding) : FT_Err_Cannot_Open_Resource;
}

PN_HIDDEN FT_UInt FT_Get_Char_Index(FT_Face face, FT_ULong code) {
  PN_FUNCTION(FreeType, FT_Get_Char_Index);
  return function ? function(face, code) : 0;
}

PN_HIDDEN FT_Error FT_Load_Glyph(FT_Face face, FT_UInt glyph, FT_Int32 flags) {
  PN_FUNCTION(FreeType, FT_Load_Glyph);
  return function ? function(face, glyph, flags) : FT_Err_Cannot_Open_Resource;
}

PN_HIDDEN void* FT_Get_Sfnt_Table(FT_Face face, FT_Sfnt_Tag tag) {
  PN_FUNCTION(FreeType, FT_Get_Sfnt_Table);
  return function ? function(face, tag) : nullptr;
}
