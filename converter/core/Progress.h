#pragma once
// The progress dialog's bar arithmetic and percent label, kept apart from the
// widgets: the driver steps it and sends the results to the user interface.
#include <cstdint>
#include <string>

#include "converter/core/ConverterUi.h"

namespace ostrel {

// The percent of pos in [low, high], computed in 64 bits, reduced modulo 100
// unless it is exactly 100; 0 for an empty range.
int32_t ProgressPercent(int32_t pos, int32_t low, int32_t high);

// The label text of a percent ("33%").
std::string PercentLabel(int32_t percent);

// The range a run of n files uses: low 0x80000000, high low + n, in wrapping
// 32-bit arithmetic.
int32_t ProgressRangeLow();
int32_t ProgressRangeHigh(uint64_t fileCount);

// The state of the progress dialog's bar and label. Starts as the dialog
// does: range 0..100, step 10, position 0, label " 0 %".
class ProgressModel {
 public:
  explicit ProgressModel(ConverterUi& ui);

  // Stores the range (a position outside it becomes low) and sends both.
  void SetRange(int32_t low, int32_t high);
  void SetStep(int32_t step);
  // Pumps messages, advances the position by the step (back to low past
  // high) and rewrites the label when its text changes.
  void StepIt();

  int32_t Low() const { return low_; }
  int32_t High() const { return high_; }
  int32_t Pos() const { return pos_; }
  const std::string& Label() const { return label_; }

 private:
  ConverterUi& ui_;
  int32_t low_ = 0;
  int32_t high_ = 100;
  int32_t step_ = 10;
  int32_t pos_ = 0;
  std::string label_ = " 0 %";
};

}  // namespace ostrel
