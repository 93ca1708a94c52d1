#pragma once
// Where encoders, decoders and image readers put the bytes they produce.
// The stream data buffer implements it, so data is produced once, straight
// into its final storage; tests and tools use VectorSink.
#include <cstddef>
#include <cstdint>
#include <vector>

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Appends size bytes; false when the storage could not grow (nothing is
  // then appended).
  virtual bool Put(const uint8_t* data, size_t size) = 0;
  // Bytes appended so far.
  virtual size_t Size() const = 0;
};

class VectorSink : public ByteSink {
 public:
  // limit: the most bytes this sink accepts; Put fails beyond it.
  explicit VectorSink(size_t limit = SIZE_MAX) : limit_(limit) {}
  bool Put(const uint8_t* data, size_t size) override {
    if (size > limit_ - bytes.size()) return false;
    bytes.insert(bytes.end(), data, data + size);
    return true;
  }
  size_t Size() const override { return bytes.size(); }
  std::vector<uint8_t> bytes;

 private:
  size_t limit_;
};
