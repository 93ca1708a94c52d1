#include "pdf/object/internal/CodecDCT.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include "pdf/object/JPEGErrorManager.h"

#include <jerror.h>

namespace {

constexpr uint64_t kMaxOutput = 0x7FFFFFFF;

bool Fail(std::string* error, const char* text) {
  if (error != nullptr) *error = text;
  return false;
}

// ---- destination: JPEG bytes into a sink, one 4096-byte block at a time.
struct Destination {
  jpeg_destination_mgr pub;  // first: libjpeg sees only this
  ByteSink* sink;
  JOCTET* buffer;
};

void InitDestination(j_compress_ptr info) {
  Destination* dest = reinterpret_cast<Destination*>(info->dest);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = CodecDCT::kBlockSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
  Destination* dest = reinterpret_cast<Destination*>(info->dest);
  if (!dest->sink->Put(dest->buffer, CodecDCT::kBlockSize)) ERREXIT(info, JERR_FILE_WRITE);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = CodecDCT::kBlockSize;
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  Destination* dest = reinterpret_cast<Destination*>(info->dest);
  const size_t used = CodecDCT::kBlockSize - dest->pub.free_in_buffer;
  if (used > 0 && !dest->sink->Put(dest->buffer, used)) ERREXIT(info, JERR_FILE_WRITE);
}

// ---- source: JPEG bytes from memory, copied in 4096-byte blocks.
struct Source {
  jpeg_source_mgr pub;  // first: libjpeg sees only this
  const uint8_t* data;
  size_t size;
  size_t position;
  JOCTET* buffer;
  bool endInserted;  // the data ran out and an end-of-image marker was made up
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  Source* src = reinterpret_cast<Source*>(info->src);
  size_t n = src->size - src->position;
  if (n > CodecDCT::kBlockSize) n = CodecDCT::kBlockSize;
  if (n == 0) {
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    n = 2;
    src->endInserted = true;
  } else {
    std::memcpy(src->buffer, src->data + src->position, n);
    src->position += n;
  }
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = n;
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  if (count <= 0) return;
  Source* src = reinterpret_cast<Source*>(info->src);
  size_t n = static_cast<size_t>(count);
  while (n > src->pub.bytes_in_buffer) {
    n -= src->pub.bytes_in_buffer;
    FillInputBuffer(info);
    if (src->endInserted) {
      // Nothing left to skip over: keep the end-of-image marker.
      return;
    }
  }
  src->pub.next_input_byte += n;
  src->pub.bytes_in_buffer -= n;
}

// The libjpeg work of each direction, in functions of plain data only: the
// error manager jumps back into them.
bool Compress(const uint8_t* data, uint32_t width, uint32_t height, int components,
              J_COLOR_SPACE space, int quality, ByteSink* sink, char* message) {
  jpeg_compress_struct info;
  JPEGErrorManager errors;
  std::memset(&info, 0, sizeof info);
  info.err = errors.Install();
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    std::memcpy(message, errors.message, sizeof errors.message);
    return false;
  }
  jpeg_create_compress(&info);
  Destination* dest = static_cast<Destination*>((*info.mem->alloc_small)(
      reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, sizeof(Destination)));
  dest->pub.init_destination = &InitDestination;
  dest->pub.empty_output_buffer = &EmptyOutputBuffer;
  dest->pub.term_destination = &TermDestination;
  dest->sink = sink;
  dest->buffer = static_cast<JOCTET*>((*info.mem->alloc_small)(
      reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, CodecDCT::kBlockSize));
  info.dest = &dest->pub;

  info.image_width = width;
  info.image_height = height;
  info.input_components = components;
  info.in_color_space = space;
  jpeg_set_defaults(&info);
  info.write_JFIF_header = FALSE;
  info.write_Adobe_marker = TRUE;
  jpeg_set_linear_quality(&info, quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const size_t stride = static_cast<size_t>(width) * components;
  while (info.next_scanline < info.image_height) {
    JSAMPROW row[1] = {const_cast<JSAMPLE*>(data + stride * info.next_scanline)};
    jpeg_write_scanlines(&info, row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

bool Decompress(const uint8_t* data, size_t size, ByteSink* sink, char* message) {
  jpeg_decompress_struct info;
  JPEGErrorManager errors;
  std::memset(&info, 0, sizeof info);
  info.err = errors.Install();
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    std::memcpy(message, errors.message, sizeof errors.message);
    return false;
  }
  jpeg_create_decompress(&info);
  Source* src = static_cast<Source*>((*info.mem->alloc_small)(reinterpret_cast<j_common_ptr>(&info),
                                                              JPOOL_PERMANENT, sizeof(Source)));
  src->pub.init_source = &InitSource;
  src->pub.fill_input_buffer = &FillInputBuffer;
  src->pub.skip_input_data = &SkipInputData;
  src->pub.resync_to_restart = &jpeg_resync_to_restart;
  src->pub.term_source = &TermSource;
  src->pub.next_input_byte = nullptr;
  src->pub.bytes_in_buffer = 0;
  src->data = data;
  src->size = size;
  src->position = 0;
  src->endInserted = false;
  src->buffer = static_cast<JOCTET*>((*info.mem->alloc_small)(
      reinterpret_cast<j_common_ptr>(&info), JPOOL_PERMANENT, CodecDCT::kBlockSize));
  info.src = &src->pub;

  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "no image in the data");
    return false;
  }
  jpeg_start_decompress(&info);
  const uint64_t stride = static_cast<uint64_t>(info.output_width) * info.output_components;
  if (stride * info.output_height > kMaxOutput) {
    jpeg_destroy_decompress(&info);
    std::strcpy(message, "image too large");
    return false;
  }
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                             static_cast<JDIMENSION>(stride), 1);
  while (info.output_scanline < info.output_height) {
    // The source never suspends, so every call gives a row.
    if (jpeg_read_scanlines(&info, row, 1) != 1 ||
        !sink->Put(row[0], static_cast<size_t>(stride))) {
      jpeg_destroy_decompress(&info);
      std::strcpy(message, "cannot store the samples");
      return false;
    }
  }
  jpeg_finish_decompress(&info);
  const bool complete = !src->endInserted;
  jpeg_destroy_decompress(&info);
  if (!complete) {
    std::strcpy(message, "the data end before the end-of-image marker");
    return false;
  }
  return true;
}

}  // namespace

bool CodecDCT::Encode(const uint8_t* data, size_t size, const DCTParameters& parameters,
                      ByteSink& out, std::string* error) {
  if (parameters.bitsPerComponent != 8) return Fail(error, "BitsPerComponent must be 8");
  int components;
  J_COLOR_SPACE space;
  if (parameters.colorSpace == "DeviceGray") {
    components = 1;
    space = JCS_GRAYSCALE;
  } else if (parameters.colorSpace == "DeviceRGB") {
    components = 3;
    space = JCS_RGB;
  } else if (parameters.colorSpace == "DeviceCMYK") {
    components = 4;
    space = JCS_CMYK;
  } else {
    return Fail(error, "ColorSpace must be DeviceGray, DeviceRGB or DeviceCMYK");
  }
  if (size == 0) return true;
  if (parameters.width <= 0 || parameters.height <= 0 || parameters.width > JPEG_MAX_DIMENSION ||
      parameters.height > JPEG_MAX_DIMENSION) {
    return Fail(error, "bad image size");
  }
  const uint64_t needed = static_cast<uint64_t>(parameters.width) * components *
                          static_cast<uint64_t>(parameters.height);
  if (size < needed) return Fail(error, "the data are shorter than the image");
  int quality =
      parameters.quality < 0 ? 0 : (parameters.quality > 5000 ? 5000 : parameters.quality);
  char message[JMSG_LENGTH_MAX] = {};
  if (!Compress(data, static_cast<uint32_t>(parameters.width),
                static_cast<uint32_t>(parameters.height), components, space, quality, &out,
                message)) {
    return Fail(error, message);
  }
  return true;
}

bool CodecDCT::Decode(const uint8_t* data, size_t size, const DCTParameters& parameters,
                      ByteSink& out, std::string* error) {
  if (parameters.bitsPerComponent != 8) return Fail(error, "BitsPerComponent must be 8");
  if (size == 0) return true;
  char message[JMSG_LENGTH_MAX] = {};
  if (!Decompress(data, size, &out, message)) return Fail(error, message);
  return true;
}
