#pragma once
// The stream data buffer: a TempString whose growth rounds to 4096 bytes.
// Requests above 40960 bytes go through ReserveLarge, the one place where
// large data leaves the heap (memory-mapped temporary storage).
#include <cstdint>

#include "pdf/object/TempString.h"

class TempHugeString : public TempString {
 public:
  static constexpr int32_t kHeapLimit = 40960;
  static constexpr int32_t kBlock = 4096;

  TempHugeString() = default;
  TempHugeString(const TempHugeString& other);
  TempHugeString& operator=(const TempHugeString& other);
  ~TempHugeString() override;

  bool Reserve(int32_t n) override;
  void Free() override;
  int32_t RoundUp(int32_t n) const override;

 private:
  // Growth beyond kHeapLimit. Large storage replaces the heap block here;
  // until then the data stays on the heap with the same rounding.
  bool ReserveLarge(int32_t n);
  // Releases large storage, when there is any, before the heap side.
  void FreeLarge();
};
