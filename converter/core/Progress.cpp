#include "converter/core/Progress.h"

#include <limits>

namespace ostrel {

int32_t ProgressPercent(int32_t pos, int32_t low, int32_t high) {
  int64_t span = static_cast<int64_t>(high) - low;
  if (span == 0) return 0;
  int64_t percent = ((static_cast<int64_t>(pos) - low) * 100) / span;
  if (percent != 100) percent %= 100;
  return static_cast<int32_t>(percent);
}

std::string PercentLabel(int32_t percent) { return std::to_string(percent) + "%"; }

int32_t ProgressRangeLow() { return std::numeric_limits<int32_t>::min(); }

int32_t ProgressRangeHigh(uint64_t fileCount) {
  // 0x80000000 + n with 32-bit wrap, as the range is defined.
  return static_cast<int32_t>(
      static_cast<uint32_t>(0x80000000u + static_cast<uint32_t>(fileCount)));
}

ProgressModel::ProgressModel(ConverterUi& ui) : ui_(ui) {}

void ProgressModel::SetRange(int32_t low, int32_t high) {
  low_ = low;
  high_ = high;
  // A position outside the new range starts again at its low end.
  if (pos_ < low_ || pos_ > high_) pos_ = low_;
  ui_.SetProgressRange(low_, high_);
  ui_.SetProgressPos(pos_);
}

void ProgressModel::SetStep(int32_t step) { step_ = step; }

void ProgressModel::StepIt() {
  ui_.PumpMessages();
  int64_t next = static_cast<int64_t>(pos_) + step_;
  // Past the end the bar starts again from the beginning.
  if (next > high_ || next < low_) next = low_;
  pos_ = static_cast<int32_t>(next);
  ui_.SetProgressPos(pos_);
  std::string label = PercentLabel(ProgressPercent(pos_, low_, high_));
  if (label != label_) {
    label_ = label;
    ui_.SetProgressPercentText(label_);
  }
}

}  // namespace ostrel
