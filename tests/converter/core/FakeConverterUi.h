#pragma once
// A scripted user interface for the converter's logic: it answers message
// boxes from a script, presses Cancel at chosen points and records every call.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "converter/core/ConverterUi.h"

namespace ostrel::test {

struct Box {
  std::string text;
  MsgButtons buttons;
  MsgIcon icon;
};

class FakeConverterUi : public ConverterUi {
 public:
  // Answers for the message boxes that have more than an OK button, in order.
  std::deque<MsgAnswer> answers;
  // Cancel is pressed before the n-th (1-based) TakeSearchCancel/TakeProgressCancel.
  std::set<int> searchCancelAt;
  std::set<int> progressCancelAt;
  // Called from PumpMessages (a click the pump would deliver).
  std::function<void()> onPump;

  std::vector<Box> boxes;
  std::vector<std::string> calls;  // dialog operations in order
  std::vector<std::string> stateTexts;
  std::vector<std::string> fileTexts;
  std::vector<std::string> percentTexts;
  std::vector<int32_t> positions;
  std::vector<std::pair<int32_t, int32_t>> ranges;
  std::vector<ConversionResults> results;
  int pumps = 0;
  int searchTakes = 0;
  int progressTakes = 0;
  int searchOpen = 0;
  int progressOpen = 0;

  MsgAnswer MessageBox(const std::string& text, MsgButtons buttons, MsgIcon icon) override {
    boxes.push_back({text, buttons, icon});
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      return buttons == MsgButtons::YesNoCancel ? MsgAnswer::Cancel : MsgAnswer::No;
    }
    MsgAnswer a = answers.front();
    answers.pop_front();
    return a;
  }
  void PumpMessages() override {
    ++pumps;
    if (onPump) onPump();
  }
  void ShowSearchDialog() override {
    calls.push_back("ShowSearch");
    ++searchOpen;
  }
  void HideSearchDialog() override {
    calls.push_back("HideSearch");
    --searchOpen;
  }
  void SetSearchStateText(const std::string& folder) override { stateTexts.push_back(folder); }
  bool TakeSearchCancel() override { return searchCancelAt.count(++searchTakes) != 0; }
  void ShowProgressDialog() override {
    calls.push_back("ShowProgress");
    ++progressOpen;
  }
  void HideProgressDialog() override {
    calls.push_back("HideProgress");
    --progressOpen;
  }
  void SetProgressRange(int32_t low, int32_t high) override { ranges.emplace_back(low, high); }
  void SetProgressPos(int32_t pos) override { positions.push_back(pos); }
  void SetProgressPercentText(const std::string& text) override { percentTexts.push_back(text); }
  void SetProgressFileText(const std::string& path) override { fileTexts.push_back(path); }
  bool TakeProgressCancel() override { return progressCancelAt.count(++progressTakes) != 0; }
  void ShowResultDialog(const ConversionResults& r) override {
    calls.push_back("ShowResult");
    results.push_back(r);
  }

  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const Box& b : boxes) out.push_back(b.text);
    return out;
  }
};

// A folder made for one test and removed with everything in it afterwards.
class TempDir {
 public:
  TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string tmpl = std::string(base && *base ? base : "/tmp") + "/ostrel-core-XXXXXX";
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    if (::mkdtemp(buf.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& rel) const { return path_ + "/" + rel; }

  // Makes a file (and its folders) with the given bytes.
  std::string File(const std::string& rel, const std::string& bytes = "x") const {
    std::filesystem::path p = path_ + "/" + rel;
    std::filesystem::create_directories(p.parent_path());
    std::FILE* f = std::fopen(p.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + p.string());
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return p.string();
  }
  std::string Dir(const std::string& rel) const {
    std::filesystem::create_directories(path_ + "/" + rel);
    return path_ + "/" + rel;
  }

 private:
  std::string path_;
};

}  // namespace ostrel::test
