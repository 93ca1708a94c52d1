#include "converter/core/ConversionDriver.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "converter/core/ExtensionTable.h"
#include "converter/core/PathOps.h"
#include "converter/core/Progress.h"
#include "converter/core/StringTable.h"

namespace ostrel {

namespace {

// Shows the search dialog for the length of a scope, so that every way out
// (exceptions included) destroys it and enables the main window again.
class SearchDialogScope {
 public:
  explicit SearchDialogScope(ConverterUi& ui) : ui_(ui) { ui_.ShowSearchDialog(); }
  ~SearchDialogScope() { Close(); }
  SearchDialogScope(const SearchDialogScope&) = delete;
  SearchDialogScope& operator=(const SearchDialogScope&) = delete;
  void Close() noexcept {
    if (!open_) return;
    open_ = false;
    try {
      ui_.HideSearchDialog();
    } catch (...) {
    }
  }

 private:
  ConverterUi& ui_;
  bool open_ = true;
};

class ProgressDialogScope {
 public:
  explicit ProgressDialogScope(ConverterUi& ui) : ui_(ui) { ui_.ShowProgressDialog(); }
  ~ProgressDialogScope() {
    try {
      ui_.HideProgressDialog();
    } catch (...) {
    }
  }
  ProgressDialogScope(const ProgressDialogScope&) = delete;
  ProgressDialogScope& operator=(const ProgressDialogScope&) = delete;

 private:
  ConverterUi& ui_;
};

// An output folder followed by a relative path that starts with '/'.
std::string AppendRelative(const std::string& base, const std::string& relative) {
  if (!base.empty() && base.back() == '/' && !relative.empty() && relative.front() == '/')
    return base + relative.substr(1);
  return base + relative;
}

// The output base name of an input file name whose extension (with its dot)
// is extLen bytes long: the name without it, or with OutFileName set the
// whole name with that dot replaced by '_'.
std::string OutputBaseName(std::string_view name, size_t extLen, int32_t outFileName) {
  if (outFileName == 0) return std::string(name.substr(0, name.size() - extLen));
  std::string base(name);
  if (extLen > 0) base[base.size() - extLen] = '_';
  return base;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Rounds of making a folder again that another run removes meanwhile: a
// few only, a run removing it over and over is not waited out.
constexpr int kRemakeRounds = 4;

// Makes the folder at path (one level), listed in *made when given. A
// folder that another run made there between the look and the mkdir
// (EEXIST) is taken as one that was there before: it is written into and
// is not this run's, so never removed by it; one that the other run has
// removed again since is made once more. False with errno.
bool MakeFolder(const std::string& path, platform::RunFolders* made) {
  for (int round = 0; round < kRemakeRounds; ++round) {
    if (made != nullptr ? made->Make(path) : ::mkdir(path.c_str(), 0777) == 0) return true;
    if (errno != EEXIST) return false;
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
      if (S_ISDIR(st.st_mode)) return true;
      break;
    }
    if (errno != ENOENT) break;
  }
  errno = EEXIST;
  return false;
}

// Makes the missing folders of a relative folder ("/a/b") under base, top
// first. False with errno.
bool MakeLevels(platform::RunFolders& made, const std::string& base,
                const std::string& relativeFolder) {
  for (size_t at = relativeFolder.find('/', 1);; at = relativeFolder.find('/', at + 1)) {
    const std::string level = AppendRelative(base, relativeFolder.substr(0, at));
    if (!IsFolder(level) && !MakeFolder(level, &made)) return false;
    if (at == std::string::npos) return true;
  }
}

// Whether a single input file is a regular file; one that is not (gone, or
// a FIFO, which would block the program) fails after standard error has
// said why.
bool ReadableFile(const std::string& path) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    std::fprintf(stderr, "%s: cannot read the file: %s\n", path.c_str(), std::strerror(errno));
    return false;
  }
  if (S_ISREG(st.st_mode)) return true;
  std::fprintf(stderr, "%s: cannot read the file: not a regular file\n", path.c_str());
  return false;
}

// The system refuses a path of PATH_MAX bytes or more (its NUL included)
// whole, whatever its folders: such a file cannot be opened or made by it.
bool TooLongForSystem(const std::string& path) { return path.size() >= PATH_MAX; }

// A file found by a path too long for the system, or whose output path is,
// cannot be read or written by it: true after standard error has said so.
bool PathTooLong(const std::string& input, const std::string& output) {
  if (TooLongForSystem(input)) {
    std::fprintf(stderr, "%s: cannot read the file: %s\n", input.c_str(),
                 std::strerror(ENAMETOOLONG));
    return true;
  }
  if (TooLongForSystem(output)) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", input.c_str(), output.c_str(),
                 std::strerror(ENAMETOOLONG));
    return true;
  }
  return false;
}

// Whether a path inside this folder may be too long to be given whole.
bool MayOutgrowPathMax(const std::string& folder) {
  return folder.size() + 1 + NAME_MAX >= PATH_MAX;
}

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};

// A folder on the search's way down: its entries, read at once and sorted,
// and the next one to look at.
struct SearchFrame {
  SearchFrame(std::string folder, std::string relative, int level)
      : path(std::move(folder)), relativeFolder(std::move(relative)), depth(level) {}

  std::string path;  // as the search reached it
  std::string relativeFolder;
  int depth;
  std::vector<std::string> names;
  size_t next = 0;
  bool found = false;  // an image file was found in it or below it
  // Kept open only while paths inside may be too long to be given whole:
  // its entries and sub-folders are then reached from it. Closed otherwise,
  // so that a deep tree does not hold a descriptor per level.
  std::unique_ptr<DIR, DirCloser> dir;
};

// Opens a folder (at relative to base, or a whole path with AT_FDCWD) and
// reads its identity and its entries other than "." and "..", sorted in
// byte order. False when it cannot be opened.
bool ReadFolder(int base, const char* at, SearchFrame& frame, FolderId& id) {
  const int fd = ::openat(base, at, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  DIR* dir = ::fstat(fd, &st) == 0 ? ::fdopendir(fd) : nullptr;
  if (dir == nullptr) {
    ::close(fd);
    return false;
  }
  frame.dir.reset(dir);
  while (dirent* entry = ::readdir(dir)) {
    std::string_view name = entry->d_name;
    if (name != "." && name != "..") frame.names.emplace_back(name);
  }
  std::sort(frame.names.begin(), frame.names.end());
  if (!MayOutgrowPathMax(frame.path)) frame.dir.reset();
  id = FolderId{st.st_dev, st.st_ino};
  return true;
}

}  // namespace

ConversionDriver::ConversionDriver(ConverterUi& ui, ConvertFunction convert)
    : ui_(ui), convert_(std::move(convert)) {}

void ConversionDriver::ShowMessage(const std::string& text, MsgIcon icon) {
  ui_.MessageBox(text, MsgButtons::Ok, icon);
}

void ConversionDriver::OnConvert(const ConvertRequest& request) {
  // The message pump runs inside a conversion; a second Convert click that
  // it delivers must not clear the map being walked.
  if (running_) return;
  running_ = true;
  struct RunningReset {
    bool& flag;
    ~RunningReset() { flag = false; }
  } reset{running_};

  try {
    request_ = request;
    const ConverterSettings& s = request_.settings;

    std::string inputPath;
    int32_t inputClass = kPathExistingFolder;
    if (!request_.droppedMode) {
      inputPath = NormalisePath(request_.input);
      inputClass = ClassifyPath(inputPath, false);
      std::string message;
      if (inputClass == kPathEmpty) {
        message = LoadMessage1(kMsgPathEmpty, kWordInput);
      } else if (inputClass == kPathNewFile || inputClass == kPathNewFolder) {
        message = LoadString(kMsgInputMissing);
      } else if (inputClass == kPathExistingFolder && s.ObjBMP == 0 && s.ObjJPEG == 0 &&
                 s.ObjTIFF == 0) {
        message = LoadString(kMsgNoFileType);
      }
      if (!message.empty()) {
        ShowMessage(message, MsgIcon::Exclamation);
        return;
      }
    }

    std::string outputPath = NormalisePath(request_.output);
    int32_t outputClass = ClassifyPath(outputPath, true);
    std::string name;
    std::string message;
    switch (outputClass) {
      case kPathEmpty: message = LoadMessage1(kMsgPathEmpty, kWordOutput); break;
      case kPathNewFile:
      case kPathExistingFile:
        if (inputClass == kPathExistingFolder) {
          message = LoadString(kMsgFolderToFile);
        } else if (MakeOutputName(outputPath, name, std::string()) == 0) {
          return;
        }
        break;
      case kPathNewFolder:
        if (inputClass == kPathExistingFile) {
          if (MakeOutputName(outputPath, name, std::string()) == 0) return;
        } else if (EnsureFolder(outputPath) == 0) {
          // Declining ends quietly; a folder that cannot be made
          // ends the run as abnormal, as it does inside the run.
          if (folderFailed_) ShowMessage(LoadString(kMsgAbnormalEnd), MsgIcon::Information);
          return;
        }
        break;
      default:  // an existing folder
        if (inputClass == kPathExistingFile && MakeOutputName(outputPath, name, inputPath) == 0)
          return;
        break;
    }
    if (!message.empty()) {
      ShowMessage(message, MsgIcon::Exclamation);
      return;
    }

    ConversionResults results;
    int32_t result = RunConversion(results, inputClass, inputPath, outputClass,
                                   name.empty() ? outputPath : name);
    if (result == kRunDone) {
      ui_.ShowResultDialog(results);
    } else {
      ShowMessage(LoadString(result == kRunCancelled ? kMsgCancelled : kMsgAbnormalEnd),
                  MsgIcon::Information);
    }
  } catch (const std::bad_alloc&) {
    try {
      ShowMessage(LoadString(kMsgOutOfMemory), MsgIcon::Exclamation);
    } catch (...) {
    }
  } catch (...) {
    try {
      ShowMessage(LoadString(kMsgFatalError), MsgIcon::Exclamation);
    } catch (...) {
    }
  }
}

int32_t ConversionDriver::RunConversion(ConversionResults& results, int32_t inputClass,
                                        const std::string& inputPath, int32_t outputClass,
                                        const std::string& outputPath) {
  (void)outputClass;
  if (inputClass == kPathExistingFile) {
    // One file, converted at once; the overwrite question was asked when
    // its output name was formed. Only a regular file is opened (a FIFO
    // would block the program).
    if (ReadableFile(inputPath) && !PathTooLong(inputPath, outputPath) &&
        convert_(inputPath, outputPath) == 0)
      results.converted.push_back(inputPath);
    else
      results.failed.push_back(inputPath);
    return kRunDone;
  }

  map_.clear();
  folderQueue_.clear();
  entered_.clear();
  int32_t result = 0;
  {
    SearchDialogScope search(ui_);
    bool found = false;
    if (!request_.droppedMode) {
      std::string path = CutTrailingDot(inputPath);
      if (path.empty()) path = "/";
      result = FolderSearch(path, inputClass, found, std::string());
    } else {
      for (const std::string& path : request_.droppedPaths) {
        if (result != 0) break;
        // Each dropped folder is queued only for image files of its own.
        found = false;
        int32_t cls = ClassifyPath(path, false);
        if (cls == kPathExistingFolder)
          result = FolderSearch(path, kPathExistingFolder, found, LastPathComponent(path));
        else if (cls == kPathExistingFile)
          result = FolderSearch(path, kPathExistingFile, found, std::string());
      }
    }
  }
  if (result != 0) return result;

  if (map_.empty()) {
    ShowMessage(LoadString(kMsgNothingFound), MsgIcon::Exclamation);
    return kRunAbnormal;
  }

  // Byte order puts every folder after its parent.
  std::sort(folderQueue_.begin(), folderQueue_.end());
  const std::string outputBase = CutTrailingDot(outputPath);
  // Folders made for this run go again at its end, on every way out, while
  // they are empty: made only for files that failed (an output path too
  // long, an image that cannot be read) or that were never converted.
  platform::RunFolders made;
  while (!folderQueue_.empty()) {
    const std::string relative = folderQueue_.front();
    folderQueue_.pop_front();
    const std::string folder = AppendRelative(outputBase, relative);
    // A folder the system cannot be given by its path is not made: the
    // files meant for it have longer paths still and fail in the loop.
    if (TooLongForSystem(folder)) continue;
    const size_t slash = relative.rfind('/');
    const std::string above =
        slash == std::string::npos || slash == 0 ? std::string() : relative.substr(0, slash);
    if (EnsureFolder(folder, &made, outputBase, above) == 0) return kRunAbnormal;
  }

  ProgressDialogScope progressDialog(ui_);
  ProgressModel progress(ui_);
  progress.SetRange(ProgressRangeLow(), ProgressRangeHigh(map_.size()));
  progress.SetStep(1);
  for (const auto& [input, relative] : map_) {
    ui_.SetProgressFileText(input);
    progress.StepIt();
    std::string outputFile = AppendRelative(outputBase, relative);
    if (PathTooLong(input, outputFile)) {
      results.failed.push_back(input);
    } else {
      if (request_.settings.OwNoConf == 0 && ClassifyPath(outputFile, true) == kPathExistingFile) {
        MsgAnswer answer = ui_.MessageBox(LoadMessage1(kMsgOverwrite, outputFile),
                                          MsgButtons::YesNoCancel, MsgIcon::Question);
        if (answer == MsgAnswer::Cancel) return kRunCancelled;
        if (answer != MsgAnswer::Yes) continue;
      }
      platform::RunFolders::Hold hold(made);
      HoldOutputFolder(hold, made, outputBase, relative);
      const int32_t converted = convert_(input, outputFile);
      if (converted == 0)
        results.converted.push_back(input);
      else
        results.failed.push_back(input);
    }
    if (ProgressCancelConfirmed()) return kRunCancelled;
  }
  return kRunDone;
}

// Holds the folder an output file goes into while it is written, so that
// no run removes it meanwhile. One of the run's own output folders that is
// gone (another run, which had made it, removed it as empty) is made again,
// with the folders above it, and is then this run's. A folder that is not
// there and is no folder of the run's is not held.
void ConversionDriver::HoldOutputFolder(platform::RunFolders::Hold& hold,
                                        platform::RunFolders& made, const std::string& outputBase,
                                        const std::string& relativeFile) {
  const size_t slash = relativeFile.rfind('/');
  const std::string relativeFolder =
      slash == std::string::npos ? std::string() : relativeFile.substr(0, slash);
  const std::string folder =
      relativeFolder.empty() ? outputBase : AppendRelative(outputBase, relativeFolder);
  const bool remade = request_.settings.MakeFolder != 0 && !relativeFolder.empty();
  for (int round = 0; round < kRemakeRounds; ++round) {
    if (hold.Take(folder)) return;
    if (errno != ENOENT || !remade || !MakeLevels(made, outputBase, relativeFolder)) return;
  }
}

bool ConversionDriver::SearchCancelConfirmed() {
  ui_.PumpMessages();
  if (!ui_.TakeSearchCancel()) return false;
  return ui_.MessageBox(LoadString(kMsgStopConversion), MsgButtons::YesNo, MsgIcon::Question) ==
         MsgAnswer::Yes;
}

bool ConversionDriver::ProgressCancelConfirmed() {
  ui_.PumpMessages();
  if (!ui_.TakeProgressCancel()) return false;
  return ui_.MessageBox(LoadString(kMsgStopConversion), MsgButtons::YesNo, MsgIcon::Question) ==
         MsgAnswer::Yes;
}

int32_t ConversionDriver::FolderSearch(const std::string& path, int32_t pathClass, bool& found,
                                       const std::string& relativeFolder) {
  if (pathClass == kPathExistingFolder) return SearchTree(path, found, relativeFolder);
  // A file searches for itself.
  ui_.SetSearchStateText(path);
  if (!IsRegularFile(path)) return 0;
  size_t slash = path.rfind('/');
  std::string_view name = slash == std::string::npos ? std::string_view(path)
                                                     : std::string_view(path).substr(slash + 1);
  AddFile(path, name, found, relativeFolder);
  if (request_.settings.MakeFolder != 0 && found && !relativeFolder.empty())
    folderQueue_.push_back(relativeFolder);
  return 0;
}

int32_t ConversionDriver::SearchTree(const std::string& root, bool& found,
                                     const std::string& relativeFolder) {
  const ConverterSettings& s = request_.settings;
  // The folders from the root down to the one being looked at. A folder's
  // entries are looked at in order; a sub-folder's whole tree comes in its
  // place among them.
  std::vector<SearchFrame> stack;
  // Shows a folder, reads it and puts it on the stack, unless this run has
  // entered it already (by another path).
  const auto enter = [&](int base, const char* at, SearchFrame frame) {
    ui_.SetSearchStateText(frame.path);
    FolderId id{};
    if (!ReadFolder(base, at, frame, id)) return false;
    if (!entered_.insert(id).second) return false;
    stack.push_back(std::move(frame));
    return true;
  };
  if (!enter(AT_FDCWD, root.c_str(), SearchFrame(root, relativeFolder, 0))) return 0;

  while (!stack.empty()) {
    SearchFrame& frame = stack.back();
    if (frame.next < frame.names.size()) {
      const std::string name = frame.names[frame.next++];
      const std::string full = JoinPath(frame.path, name);
      // From the open folder when its paths may be too long to be given
      // whole, else by the whole path.
      const int base = frame.dir ? ::dirfd(frame.dir.get()) : AT_FDCWD;
      const char* at = frame.dir ? name.c_str() : full.c_str();
      struct stat st;
      if (::fstatat(base, at, &st, 0) == 0) {
        if (S_ISDIR(st.st_mode)) {
          if (s.SubFolder != 0 && name[0] != '.' && frame.depth < kMaxSearchDepth &&
              entered_.count(FolderId{st.st_dev, st.st_ino}) == 0 &&
              enter(base, at,
                    SearchFrame(full, JoinPath(frame.relativeFolder, name), frame.depth + 1)))
            continue;  // frame is not to be used: the stack has grown
        } else if (S_ISREG(st.st_mode)) {
          AddFile(full, name, frame.found, frame.relativeFolder);
        }
      }
      if (frame.next < frame.names.size() && SearchCancelConfirmed()) return kRunCancelled;
      continue;
    }

    // Every entry looked at. A folder with image files in it, or with such
    // a sub-folder, is made in the output (never the top, whose relative
    // folder is empty).
    if (s.MakeFolder != 0 && frame.found && !frame.relativeFolder.empty())
      folderQueue_.push_back(frame.relativeFolder);
    const bool folderFound = frame.found;
    stack.pop_back();
    if (stack.empty()) {
      if (folderFound) found = true;
      break;
    }
    SearchFrame& parent = stack.back();
    if (folderFound) parent.found = true;
    if (parent.next < parent.names.size() && SearchCancelConfirmed()) return kRunCancelled;
  }
  return 0;
}

void ConversionDriver::AddFile(const std::string& inputPath, std::string_view name, bool& found,
                               const std::string& relativeFolder) {
  const ExtensionRow* row = MatchExtension(request_.settings, name);
  if (row == nullptr) return;
  std::string base = OutputBaseName(name, row->extension.size(), request_.settings.OutFileName);
  map_.insert_or_assign(inputPath, JoinPath(relativeFolder, base + ".PDF"));
  found = true;
}

int32_t ConversionDriver::MakeOutputName(const std::string& output, std::string& name,
                                         const std::string& inputFile) {
  if (!inputFile.empty()) {
    // Into an existing folder: the input's name formed as a folder search
    // forms it, always with ".PDF" (a base name may hold a dot itself).
    std::string_view file = inputFile;
    size_t slash = file.rfind('/');
    if (slash != std::string_view::npos) file = file.substr(slash + 1);
    std::string base =
        OutputBaseName(file, PathExtension(file).size(), request_.settings.OutFileName);
    name = JoinPath(CutTrailingDot(output), base + ".PDF");
  } else {
    name = output;
    if (PathExtension(name).empty()) name += ".PDF";
  }
  if (request_.settings.OwNoConf == 0 && ClassifyPath(name, true) == kPathExistingFile) {
    if (ui_.MessageBox(LoadMessage1(kMsgOverwrite, name), MsgButtons::YesNo, MsgIcon::Question) !=
        MsgAnswer::Yes)
      return 0;
  }
  return 1;
}

int32_t ConversionDriver::EnsureFolder(const std::string& folder, platform::RunFolders* made) {
  return EnsureFolder(folder, made, std::string(), std::string());
}

int32_t ConversionDriver::EnsureFolder(const std::string& folder, platform::RunFolders* made,
                                       const std::string& base, const std::string& above) {
  folderFailed_ = false;
  int32_t cls = ClassifyPath(folder, true);
  if (cls == kPathEmpty) return 0;
  if (cls == kPathExistingFolder) return 1;
  // "new/." names the folder "new", which mkdir only makes without the "/.".
  std::string path = CutTrailingDot(folder);
  if (path.empty()) return 0;
  if (request_.settings.NeNoConf == 0 &&
      ui_.MessageBox(LoadMessage1(kMsgCreateFolder, path), MsgButtons::YesNo, MsgIcon::Question) !=
          MsgAnswer::Yes)
    return 0;
  bool done = MakeFolder(path, made);
  // A folder above it that was there when the run looked is gone: another
  // run, which had made it, removed it as empty meanwhile. It is made again.
  for (int round = 0;
       !done && errno == ENOENT && made != nullptr && !above.empty() && round < kRemakeRounds;
       ++round) {
    done = MakeLevels(*made, base, above) && MakeFolder(path, made);
  }
  if (done) return 1;
  folderFailed_ = true;
  std::fprintf(stderr, "%s: cannot create the folder: %s\n", path.c_str(), std::strerror(errno));
  return 0;
}

}  // namespace ostrel
