#pragma once
// Converts one image file (BMP, JPEG or TIFF, recognised by content) into a
// PDF file, replacing a file of that name: one page for each image of the
// file (a TIFF file may hold several), in file order, each the size of its
// image and showing it as the file's orientation asks.
#include <cstdint>

namespace ostrel {

// Returns 0 on success and -1 on failure; on failure no partial file is left
// at the output path and an existing file there is unchanged, and one line
// on standard error names the input and the library's error record (class,
// method, message). Both paths are NUL-terminated byte strings. A file-size
// limit (`ulimit -f`) that a file would pass fails the conversion so too:
// SIGXFSZ at its default action does not end the process meanwhile.
int32_t ConvertOne(const char* inputPath, const char* outputPath);

}  // namespace ostrel
