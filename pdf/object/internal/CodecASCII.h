#pragma once
// The ASCIIHex and ASCII85 codecs: stream data written as printable text and
// read back. See CodecResult.h for the conventions all codecs share.
#include <cstddef>
#include <cstdint>

#include "pdf/object/ByteSink.h"
#include "pdf/object/CodecResult.h"

// Every byte as two upper-case hexadecimal digits, no blanks or line breaks,
// then ">": 2n + 1 bytes.
CodecResult ASCIIHexEncodeBytes(const uint8_t* in, size_t n, ByteSink& out);

// Hexadecimal digits of either case become bytes; tab, form feed, space, CR,
// LF and NUL are skipped; ">" ends the data; any other byte fails. An odd
// last digit is completed with 0 ("A" gives 0xA0).
CodecResult ASCIIHexDecodeBytes(const uint8_t* in, size_t n, ByteSink& out);

// Groups of 4 bytes as 5 base-85 digits ('!' to 'u'), a group of four zero
// bytes as 'z', a final group of k bytes as its first k + 1 digits, then "~>".
// No line breaks.
CodecResult ASCII85EncodeBytes(const uint8_t* in, size_t n, ByteSink& out);

// The reverse: white space is skipped, "~>" ends the data, 'z' outside a group
// gives four zero bytes, a final partial group of k digits (2 to 4) is
// completed with 'u' and gives k - 1 bytes. Fails on any other character, on
// 'z' inside a group, on a '~' followed by anything but white space and '>',
// on a single trailing digit and on a group whose value does not fit in 32
// bits.
CodecResult ASCII85DecodeBytes(const uint8_t* in, size_t n, ByteSink& out);
