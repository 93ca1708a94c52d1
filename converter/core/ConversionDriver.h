#pragma once
// What happens after the Convert button is pressed: checking the paths,
// forming output names, searching folders, creating output folders, asking
// before overwriting and converting every file with a cancellable progress
// dialog, then showing the outcome.
#include <sys/types.h>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "converter/core/ConverterSettings.h"
#include "converter/core/ConverterUi.h"
#include "platform/RunFolders.h"

namespace ostrel {

// Converts one file; 0 on success (ConvertOne in the program, a fake in tests).
using ConvertFunction = std::function<int32_t(const std::string& input, const std::string& output)>;

// The main dialog's values that a run reads.
struct ConvertRequest {
  std::string input;                      // the input combo's text
  std::string output;                     // the output combo's text
  bool droppedMode = false;               // started with two or more accepted paths
  std::vector<std::string> droppedPaths;  // those paths, in command-line order
  ConverterSettings settings;
};

// Results of RunConversion.
constexpr int32_t kRunDone = 0;
constexpr int32_t kRunAbnormal = 1;
constexpr int32_t kRunCancelled = 2;

// Folders nested deeper than this under a searched folder are not searched.
constexpr int kMaxSearchDepth = 1024;

// A folder's identity on the system: its device and inode numbers.
struct FolderId {
  dev_t device;
  ino_t inode;
  bool operator==(const FolderId& other) const {
    return device == other.device && inode == other.inode;
  }
};

struct FolderIdHash {
  size_t operator()(const FolderId& id) const noexcept {
    return std::hash<uint64_t>()(static_cast<uint64_t>(id.device) * 0x9E3779B97F4A7C15ull ^
                                 static_cast<uint64_t>(id.inode));
  }
};

class ConversionDriver {
 public:
  ConversionDriver(ConverterUi& ui, ConvertFunction convert);

  // The Convert handler: checks the request's paths, runs the conversion
  // and shows the outcome (result dialog or message). Never throws; out of
  // memory shows 20004 and any other exception 20005. A call made while a
  // run is active (from the message pump) is ignored.
  void OnConvert(const ConvertRequest& request);

  // Whether a run is active; the main dialog ignores Close while it is.
  bool Running() const { return running_; }

  // The values the steps below read (OnConvert sets them from its request).
  void SetRequest(const ConvertRequest& request) { request_ = request; }
  const ConvertRequest& Request() const { return request_; }

  // Runs a conversion: one file at once (input class 3), else searches and
  // converts every file found. kRunDone, kRunAbnormal or kRunCancelled.
  int32_t RunConversion(ConversionResults& results, int32_t inputClass,
                        const std::string& inputPath, int32_t outputClass,
                        const std::string& outputPath);

  // Searches a folder (class 4) or a file (class 3) and enters the image
  // files found into the conversion map under the relative output folder.
  // 0, or kRunCancelled when the user cancelled. Needs the search dialog
  // shown. Sets found when an image file was entered.
  // Each folder is entered once per run, at the first path that reaches it
  // (links and dropped folders lead to one folder by several paths); a
  // folder reached again adds nothing, not even an output folder.
  int32_t FolderSearch(const std::string& path, int32_t pathClass, bool& found,
                       const std::string& relativeFolder);

  // Forms the output file name for one input file: the output path, or,
  // when inputFile is given (the output is an existing folder), that folder
  // and the input's name as a folder search forms it. Asks before
  // overwriting an existing file; 1 go on, 0 the user declined.
  int32_t MakeOutputName(const std::string& output, std::string& name,
                         const std::string& inputFile);

  // Makes sure a folder exists, creating it (one level) after asking unless
  // NeNoConf is set. 1 the folder exists or was made (then listed in *made
  // when given, to go again at the end of the run while empty), 0
  // otherwise; a folder that cannot be made is named with the reason on
  // standard error. A folder that another run makes in the meantime is
  // taken as one that existed: 1, and it is not listed.
  int32_t EnsureFolder(const std::string& folder, platform::RunFolders* made = nullptr);

  // The conversion map (input path to relative output path, in byte order)
  // and the folder queue of the last search. Both, and the folders entered,
  // are emptied when a run starts searching.
  const std::map<std::string, std::string>& ConversionMap() const { return map_; }
  const std::deque<std::string>& FolderQueue() const { return folderQueue_; }

 private:
  int32_t SearchTree(const std::string& path, bool& found, const std::string& relativeFolder);
  void AddFile(const std::string& inputPath, std::string_view name, bool& found,
               const std::string& relativeFolder);
  // EnsureFolder for a folder of the output tree under base: the folders
  // above it ("/a" for "/a/b", "" for none) that are gone again are made
  // again first.
  int32_t EnsureFolder(const std::string& folder, platform::RunFolders* made,
                       const std::string& base, const std::string& above);
  void HoldOutputFolder(platform::RunFolders::Hold& hold, platform::RunFolders& made,
                        const std::string& outputBase, const std::string& relativeFile);
  bool SearchCancelConfirmed();
  bool ProgressCancelConfirmed();
  void ShowMessage(const std::string& text, MsgIcon icon);

  ConverterUi& ui_;
  ConvertFunction convert_;
  ConvertRequest request_;
  std::map<std::string, std::string> map_;
  std::deque<std::string> folderQueue_;
  std::unordered_set<FolderId, FolderIdHash> entered_;  // folders the search has entered
  bool running_ = false;
  bool folderFailed_ = false;  // the last EnsureFolder could not make its folder
};

}  // namespace ostrel
