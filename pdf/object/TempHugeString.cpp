#include "pdf/object/TempHugeString.h"

TempHugeString::TempHugeString(const TempHugeString& other) : TempString() {
  Assign(other.c_str(), other.GetLength());
}

TempHugeString& TempHugeString::operator=(const TempHugeString& other) {
  if (this != &other) Assign(other.c_str(), other.GetLength());
  return *this;
}

TempHugeString::~TempHugeString() { FreeLarge(); }

bool TempHugeString::Reserve(int32_t n) {
  if (n < 0) return false;
  if (n <= capacity_) return true;
  if (n <= kHeapLimit) return ReserveOnHeap(n);
  return ReserveLarge(n);
}

void TempHugeString::Free() {
  FreeLarge();
  FreeHeap();
}

int32_t TempHugeString::RoundUp(int32_t n) const {
  if (n <= 0) return 0;
  const int64_t rounded = (int64_t{n} + kBlock - 1) / kBlock * kBlock;
  return rounded > INT32_MAX ? INT32_MAX : static_cast<int32_t>(rounded);
}

bool TempHugeString::ReserveLarge(int32_t n) { return ReserveOnHeap(n); }

void TempHugeString::FreeLarge() {}
