#include "converter/core/ConversionDriver.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <new>
#include <sys/stat.h>

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
            } else if (inputClass == kPathExistingFolder && s.ObjBMP == 0 && s.ObjJPEG == 0 && s.ObjTIFF == 0) {
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
            case kPathEmpty:
                message = LoadMessage1(kMsgPathEmpty, kWordOutput);
                break;
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
                if (inputClass == kPathExistingFile && MakeOutputName(outputPath, name, inputPath) == 0) return;
                break;
        }
        if (!message.empty()) {
            ShowMessage(message, MsgIcon::Exclamation);
            return;
        }

        ConversionResults results;
        int32_t result = RunConversion(results, inputClass, inputPath, outputClass, name.empty() ? outputPath : name);
        if (result == kRunDone) {
            ui_.ShowResultDialog(results);
        } else {
            ShowMessage(LoadString(result == kRunCancelled ? kMsgCancelled : kMsgAbnormalEnd), MsgIcon::Information);
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
        if (IsRegularFile(inputPath) && convert_(inputPath, outputPath) == 0)
            results.converted.push_back(inputPath);
        else
            results.failed.push_back(inputPath);
        return kRunDone;
    }

    map_.clear();
    folderQueue_.clear();
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
    while (!folderQueue_.empty()) {
        std::string folder = AppendRelative(outputBase, folderQueue_.front());
        folderQueue_.pop_front();
        if (EnsureFolder(folder) == 0) return kRunAbnormal;
    }

    ProgressDialogScope progressDialog(ui_);
    ProgressModel progress(ui_);
    progress.SetRange(ProgressRangeLow(), ProgressRangeHigh(map_.size()));
    progress.SetStep(1);
    for (const auto& [input, relative] : map_) {
        ui_.SetProgressFileText(input);
        progress.StepIt();
        std::string outputFile = AppendRelative(outputBase, relative);
        if (request_.settings.OwNoConf == 0 && ClassifyPath(outputFile, true) == kPathExistingFile) {
            MsgAnswer answer = ui_.MessageBox(LoadMessage1(kMsgOverwrite, outputFile), MsgButtons::YesNoCancel,
                                              MsgIcon::Question);
            if (answer == MsgAnswer::Cancel) return kRunCancelled;
            if (answer != MsgAnswer::Yes) continue;
        }
        if (convert_(input, outputFile) == 0)
            results.converted.push_back(input);
        else
            results.failed.push_back(input);
        if (ProgressCancelConfirmed()) return kRunCancelled;
    }
    return kRunDone;
}

bool ConversionDriver::SearchCancelConfirmed() {
    ui_.PumpMessages();
    if (!ui_.TakeSearchCancel()) return false;
    return ui_.MessageBox(LoadString(kMsgStopConversion), MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

bool ConversionDriver::ProgressCancelConfirmed() {
    ui_.PumpMessages();
    if (!ui_.TakeProgressCancel()) return false;
    return ui_.MessageBox(LoadString(kMsgStopConversion), MsgButtons::YesNo, MsgIcon::Question) == MsgAnswer::Yes;
}

int32_t ConversionDriver::FolderSearch(const std::string& path, int32_t pathClass, bool& found,
                                       const std::string& relativeFolder) {
    if (pathClass == kPathExistingFolder) {
        searchStack_.clear();
        return SearchFolder(path, found, relativeFolder, 0);
    }
    // A file searches for itself.
    ui_.SetSearchStateText(path);
    if (!IsRegularFile(path)) return 0;
    size_t slash = path.rfind('/');
    std::string_view name = slash == std::string::npos ? std::string_view(path) : std::string_view(path).substr(slash + 1);
    AddFile(path, name, found, relativeFolder);
    if (request_.settings.MakeFolder != 0 && found && !relativeFolder.empty()) folderQueue_.push_back(relativeFolder);
    return 0;
}

int32_t ConversionDriver::SearchFolder(const std::string& path, bool& found, const std::string& relativeFolder,
                                       int depth) {
    ui_.SetSearchStateText(path);
    DIR* dir = ::opendir(path.c_str());
    if (dir == nullptr) return 0;
    struct stat self;
    bool haveSelf = ::fstat(::dirfd(dir), &self) == 0;
    std::vector<std::string> names;
    while (dirent* entry = ::readdir(dir)) {
        std::string_view name = entry->d_name;
        if (name != "." && name != "..") names.emplace_back(name);
    }
    ::closedir(dir);
    if (names.empty()) return 0;
    std::sort(names.begin(), names.end());

    // The folders on the current path, so that a link back to one of them
    // does not make the search endless.
    if (haveSelf) searchStack_.emplace_back(self.st_dev, self.st_ino);
    struct StackPop {
        std::vector<std::pair<dev_t, ino_t>>& stack;
        bool pushed;
        ~StackPop() {
            if (pushed) stack.pop_back();
        }
    } pop{searchStack_, haveSelf};

    const ConverterSettings& s = request_.settings;
    bool cancelled = false;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& name = names[i];
        std::string full = JoinPath(path, name);
        struct stat st;
        if (::stat(full.c_str(), &st) == 0) {
            if (S_ISDIR(st.st_mode)) {
                bool onPath = std::find(searchStack_.begin(), searchStack_.end(),
                                        std::make_pair(st.st_dev, st.st_ino)) != searchStack_.end();
                if (s.SubFolder != 0 && name[0] != '.' && !onPath && depth < kMaxSearchDepth) {
                    bool childFound = false;
                    if (SearchFolder(full, childFound, JoinPath(relativeFolder, name), depth + 1) == kRunCancelled)
                        return kRunCancelled;
                    if (childFound) found = true;
                }
            } else if (S_ISREG(st.st_mode)) {
                AddFile(full, name, found, relativeFolder);
            }
        }
        if (i + 1 < names.size() && SearchCancelConfirmed()) {
            cancelled = true;
            break;
        }
    }

    if (s.MakeFolder != 0 && found && !relativeFolder.empty()) folderQueue_.push_back(relativeFolder);
    return cancelled ? kRunCancelled : 0;
}

void ConversionDriver::AddFile(const std::string& inputPath, std::string_view name, bool& found,
                               const std::string& relativeFolder) {
    const ExtensionRow* row = MatchExtension(request_.settings, name);
    if (row == nullptr) return;
    std::string base = OutputBaseName(name, row->extension.size(), request_.settings.OutFileName);
    map_.insert_or_assign(inputPath, JoinPath(relativeFolder, base + ".PDF"));
    found = true;
}

int32_t ConversionDriver::MakeOutputName(const std::string& output, std::string& name, const std::string& inputFile) {
    if (!inputFile.empty()) {
        // Into an existing folder: the input's name formed as a folder search
        // forms it, always with ".PDF" (a base name may hold a dot itself).
        std::string_view file = inputFile;
        size_t slash = file.rfind('/');
        if (slash != std::string_view::npos) file = file.substr(slash + 1);
        std::string base = OutputBaseName(file, PathExtension(file).size(), request_.settings.OutFileName);
        name = JoinPath(CutTrailingDot(output), base + ".PDF");
    } else {
        name = output;
        if (PathExtension(name).empty()) name += ".PDF";
    }
    if (request_.settings.OwNoConf == 0 && ClassifyPath(name, true) == kPathExistingFile) {
        if (ui_.MessageBox(LoadMessage1(kMsgOverwrite, name), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
            return 0;
    }
    return 1;
}

int32_t ConversionDriver::EnsureFolder(const std::string& folder) {
    folderFailed_ = false;
    int32_t cls = ClassifyPath(folder, true);
    if (cls == kPathEmpty) return 0;
    if (cls == kPathExistingFolder) return 1;
    // "new/." names the folder "new", which mkdir only makes without the "/.".
    std::string path = CutTrailingDot(folder);
    if (path.empty()) return 0;
    if (request_.settings.NeNoConf == 0 &&
        ui_.MessageBox(LoadMessage1(kMsgCreateFolder, path), MsgButtons::YesNo, MsgIcon::Question) != MsgAnswer::Yes)
        return 0;
    if (::mkdir(path.c_str(), 0777) == 0) return 1;
    folderFailed_ = true;
    std::fprintf(stderr, "%s: cannot create the folder: %s\n", path.c_str(), std::strerror(errno));
    return 0;
}

}  // namespace ostrel
