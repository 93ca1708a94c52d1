#pragma once
// The RunLength codec: byte-oriented run-length coding of stream data.
// See CodecResult.h for the conventions all codecs share.
#include <cstddef>
#include <cstdint>

#include "pdf/object/ByteSink.h"
#include "pdf/object/CodecResult.h"

// Each 4096-byte piece of the input is coded on its own (a run never crosses
// a piece boundary): runs of 3 or more equal bytes become repeat pieces
// (length byte 257 - n, then the byte), everything else literal pieces
// (length byte n - 1, then the bytes), each at most 128 bytes long; a repeat
// rest of one byte is written as a one-byte literal. The end-of-data byte 128
// follows the last piece.
CodecResult RunLengthEncodeBytes(const uint8_t* in, size_t n, ByteSink& out);

// Length byte 128 ends the data; 0 to 127 copy the next L + 1 bytes; 129 to
// 255 repeat the next byte 257 - L times. The end of the input ends the data
// as well; a literal cut short by it keeps the bytes present. Never fails on
// content.
CodecResult RunLengthDecodeBytes(const uint8_t* in, size_t n, ByteSink& out);
