#pragma once
// The dialog shown while folders are searched for image files: the folder in
// work (shortened with an ellipsis) and a Cancel button.
#include <QString>

#include "converter/ModelessDialog.h"

namespace ostrel {

class PathLabel;

class SearchDialog : public ModelessDialog {
  Q_OBJECT
 public:
  SearchDialog();

  void SetStateText(const QString& folder);
  PathLabel* StateLabel() const { return state_; }

 private:
  PathLabel* state_ = nullptr;
};

}  // namespace ostrel
