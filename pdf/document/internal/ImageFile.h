#pragma once
// The file steps the image readers share: opening an image file for binary
// reading with its size, reading its first bytes for the format probes, and
// reporting a reason for a refusal. Every reader opens its file here, so
// only regular files are ever read: a FIFO, a device or a folder is refused
// at once instead of blocking or reading without end.
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "pdf/object/FileStamp.h"

// The first two bytes of a file, read once for all the format probes.
struct ImageHead {
  bool read = false;  // false: no regular file, or shorter than two bytes
  char bytes[2] = {};
  // Why the file could not be opened (see ImageFile::OpenFailure); 0 when
  // it was.
  int openFailure = 0;
};

// Why a reader failed: what kind of failure it is, which tells the importer
// how to report it, and the text that says what was wrong. Every failure
// states its kind; only a refusal blames the file.
struct ImageError {
  enum class Kind {
    kRefused,      // the file is of the reader's kind but cannot be read as one
    kNoSuchImage,  // an index past the file's images
    kStorage,      // the storage of the image data could not grow
    kMemory,       // want of memory
    kSystem,       // the file could not be opened or read: the system's reason
    kStep,         // a step of the import after the reading failed (no fault of the file)
  };
  // An ImageError made empty holds no failure yet: a reader that fails
  // stores one of a kind.
  Kind kind = Kind::kRefused;
  std::string text;
  // The text names the image it is about already ("image 3: ..."), as a
  // failure in the walk to an image does.
  bool namesImage = false;

  ImageError() = default;
  ImageError(Kind what, std::string why, bool named = false)
      : kind(what), text(std::move(why)), namesImage(named) {}
};

// The failure of a reader when the storage of the image data cannot grow;
// the importer tells a full temporary folder from want of memory.
inline const ImageError kStorageFailed{ImageError::Kind::kStorage,
                                       "out of memory for the image data"};
// The failure of a reader that ran out of memory.
inline const ImageError kOutOfMemory{ImageError::Kind::kMemory, "out of memory"};

class ImageFile {
 public:
  // Opens the file for reading ("rb") and learns its size; IsOpen() tells.
  // A path that does not name a regular file is not opened.
  explicit ImageFile(const char* path);
  bool IsOpen() const { return file_ != nullptr; }
  // Why the file is not open (see OpenFailure).
  int Failure() const { return failure_; }
  FILE* Get() const { return file_.get(); }
  uint64_t Size() const { return size_; }

  // True when the file starts with the two bytes of one of the signatures
  // (each two bytes long); a missing or shorter file matches none.
  static bool StartsWith(const char* path, const char* const* signatures, size_t count);
  static bool StartsWith(const ImageHead& head, const char* const* signatures, size_t count);
  static ImageHead ReadHead(const char* path);

  // Opens a regular file read-only without ever waiting (a FIFO is opened
  // non-blocking and refused once its type is known) and learns its size.
  // The descriptor, or -1 when the file cannot be opened or is not a
  // regular file (why in *failure when given); the caller closes it.
  static int OpenRegular(const char* path, uint64_t* size, int* failure = nullptr);

  // A failure of OpenRegular: the errno of the open, kNotRegular, or
  // kChanged (see OneState).
  static constexpr int kNotRegular = -1;
  static constexpr int kChanged = -2;
  // Its text: "cannot open the file: " and the system's reason, "not a
  // regular file", or that the file changed; as a failure of the system
  // (kSystem), since the probes found a regular file there before.
  static std::string OpenFailure(int failure);
  static ImageError OpenError(int failure);

  // One state of a file for every read of it: while a OneState lives on
  // this thread, each open of its path here must find the file as *state
  // says (the first open sets an unset state), else the open fails with
  // kChanged. A reader that opens its file several times, or a caller that
  // reads one file in several steps, so never mixes two versions of it.
  class OneState {
   public:
    OneState(const char* path, FileStamp* state);
    OneState(const OneState&) = delete;
    OneState& operator=(const OneState&) = delete;
    ~OneState();
    // An open found the file in another state, or the file is in another
    // state now (a file rewritten while it was read). A file that is gone
    // now is not called changed here: the next open tells.
    bool Changed() const;
    // The check of every open here: true unless the scope of the opened
    // path finds the file in another state (which it then remembers).
    static bool Admits(const char* path, const struct stat& info);

   private:
    std::string path_;
    FileStamp* state_;
    OneState* outer_;
    mutable bool changed_ = false;
  };

  // Tests: called with the path after every open of an image file here,
  // before anything is read (none: nothing is called).
  static void SetOpenedHookForTesting(std::function<void(const char* path)> hook);

 private:
  struct Closer {
    void operator()(FILE* file) const { std::fclose(file); }
  };
  std::unique_ptr<FILE, Closer> file_;
  uint64_t size_ = 0;
  int failure_ = 0;
};

// Stores the reason (when asked for) and answers false.
bool ImageReadFail(ImageError* error, ImageError why);
// The same for a refusal of the file (kRefused), with its reason.
bool ImageRefuse(ImageError* error, std::string why);

// Runs read (a call that takes an ImageError*) for a caller that wants the
// reason's text only.
template <typename Read>
bool ImageReadWithText(std::string* text, Read read) {
  ImageError why;
  const bool ok = read(&why);
  if (!ok && text != nullptr) *text = std::move(why.text);
  return ok;
}

// The reason a reader gives for an image index past the file's images,
// counted from 0 as the callers count: "the file holds 3 images (indices 0
// to 2), none at index 3", of kind kNoSuchImage.
ImageError NoSuchImage(uint32_t index, uint32_t count);
