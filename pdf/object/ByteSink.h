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
  // Tells the sink that about `more` bytes are to follow, so that storage
  // grows once to its final size rather than step by step. Only a hint:
  // callers give it when the size is known and backed by data already seen
  // (a crafted header alone must not reserve storage), and Put decides.
  virtual void Expect(size_t more) { (void)more; }
  // False for a sink that takes no data: an image reader then stops once the
  // description is complete, without reading or decoding any pixel.
  virtual bool WantsData() const { return true; }
  // Appends size zero bytes and answers where they begin, for a producer
  // that fills its output in place and in any order (an image read piece by
  // piece). The pointer holds until the next call that appends. nullptr
  // when the storage could not grow, or offers no such access (nothing is
  // then appended).
  virtual uint8_t* PutZeros(size_t size) {
    (void)size;
    return nullptr;
  }
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
  uint8_t* PutZeros(size_t size) override {
    if (size > limit_ - bytes.size()) return nullptr;
    const size_t start = bytes.size();
    bytes.resize(start + size, 0);
    return bytes.data() + start;
  }
  std::vector<uint8_t> bytes;

 private:
  size_t limit_;
};
