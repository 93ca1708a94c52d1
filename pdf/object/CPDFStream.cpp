#include "pdf/object/CPDFStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>
#include <vector>

#include "pdf/object/CPDFCrypt.h"
#include "pdf/object/CPDFDataStruct.h"
#include "pdf/object/CPDFEntryFactories.h"
#include "pdf/object/CPDFFilter.h"
#include "pdf/object/CPDFGraphObjs.h"
#include "pdf/object/CPDFInStream.h"
#include "pdf/object/CPDFNull.h"
#include "pdf/object/CPDFObjRegistry.h"
#include "pdf/object/CPDFOutStream.h"
#include "platform/SystemError.h"

namespace {

constexpr int32_t kPiece = 4096;
constexpr int32_t kMappedWritePart = int32_t{64} << 10;

// Carries the stream's type code and name into its object part.
class StreamTypeTag final : public CPDFObject {
 public:
  StreamTypeTag() : CPDFObject(kStream, "Stream") {}
  void Write(CPDFOutStream&, const uint8_t*) override {}
  CPDFObject* Clone(CPDFObjRegistry*, CPDFObjRegistry*) override { return nullptr; }
};

[[noreturn]] void ThrowSerialize(const char* message) {
  CPDFException::Throw("CPDFStream", "Serialize", CPDFException::kSyntax, message);
}

bool IsEndOfLine(char c) { return c == '\r' || c == '\n'; }

// Reads the two tokens at the input's position: true for "endstream endobj".
bool AtStreamEnd(CPDFInStream& in) {
  char token[CPDFInStream::kTokenSize];
  if (!in.ReadToken(token, sizeof token) || std::strcmp(token, "endstream") != 0) return false;
  return in.ReadToken(token, sizeof token) && std::strcmp(token, "endobj") == 0;
}

// Where the data end when a direct Length points at "endstream endobj"
// (after an optional end of line); -1 otherwise. Lets data that contain
// "endstream endobj" themselves (an embedded file) be read whole.
int32_t EndByLength(CPDFInStream& in, CPDFDict* dict, int32_t start) {
  CPDFAtom* const* slot = dict ? dict->Lookup(CPDFStream::Key_Length()) : nullptr;
  auto* number = slot ? dynamic_cast<CPDFNumber*>(*slot) : nullptr;
  if (!number) return -1;
  const int64_t at = int64_t{start} + number->GetInt();
  if (number->GetInt() < 0 || at > in.GetSize() || in.Seek(static_cast<int32_t>(at)) != 0) {
    return -1;
  }
  int c = in.Peek();
  if (c == '\r') {
    in.Get();
    c = in.Peek();
  }
  if (c == '\n') in.Get();
  const int32_t end = in.GetPosition();
  char word[9];
  if (in.Read(word, 9) != 9 || std::memcmp(word, "endstream", 9) != 0) return -1;
  if (in.Seek(end) != 0 || !AtStreamEnd(in)) return -1;
  return end;
}

// The end-of-line bytes (CR LF, LF or CR) that end [start, end) of the
// input: 0, 1 or 2. Moves the input's position.
int32_t EndOfLineBefore(CPDFInStream& in, int32_t start, int32_t end) {
  const int32_t n = end - start < 2 ? end - start : 2;
  char last[2];
  if (n <= 0 || in.Seek(end - n) != 0 || in.Read(last, n) != n) return 0;
  if (last[n - 1] == '\n') return n == 2 && last[0] == '\r' ? 2 : 1;
  return last[n - 1] == '\r' ? 1 : 0;
}

// Removes the first n elements as CPDFArray::Remove would one by one (a
// reference's object is dropped from the document), moving the rest once.
void RemoveFront(CPDFObjRegistry* doc, CPDFArray* array, int32_t n) {
  if (n <= 0) return;
  for (int32_t i = 0; i < n; ++i) {
    CPDFAtom* atom = array->GetAt(i);
    if (atom && atom->GetKind() == CPDFAtom::kIndirectReference && doc) {
      doc->DeleteObj(*static_cast<CPDFObjRef*>(atom));
    }
    array->Elements::SetAt(i, nullptr);  // deletes the atom, leaves the slot empty
  }
  array->EraseRange(0, n);
}

}  // namespace

CPDFStream::CPDFStream(CPDFObjRegistry* doc) : data_(new TempHugeString) {
  AssignObject(StreamTypeTag());
  doc_ = doc;
}

CPDFStream::~CPDFStream() = default;

bool CPDFStream::Assign(CPDFObjRegistry* doc, CPDFStream* source) {
  if (!source) return false;
  if (source == this) return true;
  if (!CPDFDict::Assign(doc, source)) return false;
  std::unique_ptr<TempHugeString> fresh(new TempHugeString);
  data_ = std::move(source->data_);
  source->data_ = std::move(fresh);
  sourceOffset_ = source->sourceOffset_;
  sourceLength_ = source->sourceLength_;
  sourceFile_.swap(source->sourceFile_);
  sourceStamp_ = source->sourceStamp_;
  source->ResetExtent();
  return true;
}

bool CPDFStream::SetExtent(int32_t offset, int32_t length) {
  if (offset < 0 || length < 0) return false;
  data_->Free();
  sourceOffset_ = offset;
  sourceLength_ = length;
  sourceFile_.clear();
  sourceStamp_ = FileStamp();
  return true;
}

bool CPDFStream::SetSourceFile(const char* path, int32_t offset, int32_t length,
                               const FileStamp& stamp) {
  if (!path || !*path || !SetExtent(offset, length)) return false;
  sourceFile_ = path;
  sourceStamp_ = stamp;
  return true;
}

const char* CPDFStream::SourcePath() const {
  if (!sourceFile_.empty()) return sourceFile_.c_str();
  return doc_ ? doc_->GetFileName() : nullptr;
}

bool CPDFStream::LoadData() {
  if (!IsExternal()) return true;
  const char* path = SourcePath();
  TempHugeString bytes;
  CPDFFileInStream file;
  struct stat info;
  // No file name means no file: standard input is never read here. A source
  // file replaced or changed since it was read holds other bytes.
  bool ok = path && *path &&
            (!sourceStamp_.IsSet() ||
             (::stat(path, &info) == 0 && FileStamp::Of(info) == sourceStamp_)) &&
            bytes.SetLength(sourceLength_) && file.Open(path, "rb", sourceOffset_, sourceLength_);
  if (ok) {
    int32_t got = 0;
    while (got < sourceLength_) {
      const int32_t want = sourceLength_ - got < kPiece ? sourceLength_ - got : kPiece;
      const int32_t n = file.Read(bytes.GetBuffer() + got, want);
      if (n <= 0) break;
      got += n;
    }
    ok = got == sourceLength_;
  }
  file.Close();
  if (!ok) {
    // The extent stays, so the data can be asked for again and GetData
    // answers none meanwhile.
    data_->Free();
    return false;
  }
  data_->Swap(bytes);
  ResetExtent();
  return true;
}

const char* CPDFStream::GetData() {
  if (IsExternal() && !LoadData()) return nullptr;
  return data_->c_str();
}

int32_t CPDFStream::GetLength() {
  auto* length = PDFGetAs<CPDFNumber>(this, doc_, Key_Length());
  return length ? length->GetInt() : 0;
}

int32_t CPDFStream::GetDataLength() {
  if (IsExternal() && !LoadData()) return 0;
  const int32_t length = GetLength();
  if (length <= 0) return 0;
  return length < data_->GetLength() ? length : data_->GetLength();
}

bool CPDFStream::SetLength(int32_t n) {
  CPDFObjRef ref;
  CPDFObject* value = Get(doc_, Key_Length(), &ref);
  if (auto* number = dynamic_cast<CPDFNumber*>(value)) {
    if (ref.IsDefined() && doc_ && !doc_->UpdateObj(ref)) return false;
    number->SetInt(n);
    return true;
  }
  // Absent, or not a number (an unresolvable reference, a wrong type):
  // a direct integer takes its place.
  return Set(doc_, Key_Length(), std::make_unique<CPDFInt>(n));
}

bool CPDFStream::TrimToLength() {
  const int32_t length = GetLength();
  if (length >= data_->GetLength()) return true;
  return data_->Truncate(length < 0 ? 0 : length);
}

bool CPDFStream::SetData(const char* bytes, int32_t n) {
  ResetExtent();
  if (!bytes || n < 1) {
    data_->Free();
    return SetLength(0);
  }
  const bool ok = data_->Assign(bytes, n);
  if (!ok) data_->Free();
  return SetLength(data_->GetLength()) && ok;
}

bool CPDFStream::SetData(int32_t n, char byte) {
  ResetExtent();
  const bool ok = data_->Fill(n, byte);
  if (!ok) data_->Free();
  return SetLength(data_->GetLength()) && ok;
}

bool CPDFStream::TakeData(TempHugeString& bytes) {
  ResetExtent();
  data_->Swap(bytes);
  return SetLength(data_->GetLength());
}

bool CPDFStream::Append(const char* bytes, int32_t n) {
  if (IsExternal() && !LoadData()) return false;
  if (!bytes || n < 1) return true;
  // Bytes read past Length (the end of line before "endstream") are not
  // data: new bytes go right after the last data byte.
  if (!TrimToLength()) return false;
  const bool ok = data_->Append(bytes, n);
  return SetLength(data_->GetLength()) && ok;
}

bool CPDFStream::Append(int32_t n, char byte) {
  if (IsExternal() && !LoadData()) return false;
  if (n < 1) return true;
  if (!TrimToLength()) return false;
  const bool ok = data_->Append(n, byte);
  return SetLength(data_->GetLength()) && ok;
}

bool CPDFStream::Insert(int32_t position, const char* bytes, int32_t n) {
  if (position < -1 || !bytes || n < 1) return true;
  if (IsExternal() && !LoadData()) return false;
  if (!TrimToLength()) return false;
  const bool ok = data_->Insert(position, bytes, n);
  return SetLength(data_->GetLength()) && ok;
}

void CPDFStream::Clear() {
  RemoveAll();
  ResetExtent();
  data_->Free();
}

void CPDFStream::Write(CPDFOutStream& out, const uint8_t* context) {
  if (!IsExternal()) {
    // A Length read from a file may promise more bytes than the stream
    // holds (or be negative); the file gets the count actually written, so
    // a reader never runs past "endstream".
    const int32_t held = GetDataLength();
    if (GetLength() != held && !SetLength(held)) throw this;
  }
  CPDFDict::Write(out, context);
  out.Write("\r\nstream\r\n", 10);
  WriteData(out, context);
  out.Write("endstream", 9);
}

void CPDFStream::ThrowSourceChanged() const {
  CPDFException::ThrowFormat("CPDFStream", "Write", CPDFException::kStepFailed,
                             "the file %s changed or was cut short after it was read",
                             sourceFile_.c_str());
}

void CPDFStream::WriteData(CPDFOutStream& out, const uint8_t* context) {
  if (!context && IsExternal() && sourceFile_.empty()) {
    // Copied unchanged: it already ends where "endstream" stood.
    const char* path = SourcePath();
    CPDFFileInStream file;
    if (!path || !*path || !file.Open(path, "rb", sourceOffset_, sourceLength_)) throw this;
    std::vector<char> piece(kPiece);
    int32_t left = sourceLength_;
    while (left > 0) {
      const int32_t n = file.Read(piece.data(), left < kPiece ? left : kPiece);
      if (n <= 0) break;
      out.WriteDirect(piece.data(), n);
      left -= n;
    }
    file.Close();
    if (left > 0) throw this;  // the file is shorter than the extent
    return;
  }
  if (!context && IsExternal()) {
    // Bytes of another file go from there to the output in large pieces,
    // without being held. Length, written before them, counts them, so the
    // file must still hold them all, and be the file they were read from.
    const int fd = ::open(sourceFile_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      CPDFException::ThrowFormat("CPDFStream", "Write", CPDFException::kRuntime,
                                 "cannot open %s again: %s", sourceFile_.c_str(),
                                 platform::SystemErrorText(errno).c_str());
    }
    if (sourceStamp_.IsSet() && FileStamp::OfDescriptor(fd) != sourceStamp_) {
      ::close(fd);
      ThrowSourceChanged();
    }
    // The kernel copies what it can; the rest goes through a buffer.
    int32_t done = static_cast<int32_t>(out.CopyFromFile(fd, sourceOffset_, sourceLength_));
    char last = '\n';
    if (done > 0 && ::pread(fd, &last, 1, static_cast<off_t>(sourceOffset_) + done - 1) != 1) {
      ::close(fd);
      throw this;
    }
    std::vector<char> piece(done < sourceLength_ ? kMappedWritePart : 0);
    while (done < sourceLength_) {
      const size_t want = static_cast<size_t>(std::min(sourceLength_ - done, kMappedWritePart));
      const ssize_t n = ::pread(fd, piece.data(), want, static_cast<off_t>(sourceOffset_) + done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      out.WriteDirect(piece.data(), static_cast<int32_t>(n));
      last = piece[static_cast<size_t>(n - 1)];
      done += static_cast<int32_t>(n);
    }
    // A file rewritten while it was copied gave bytes of two versions.
    const bool rewritten = sourceStamp_.IsSet() && FileStamp::OfDescriptor(fd) != sourceStamp_;
    ::close(fd);
    if (done < sourceLength_ || rewritten) ThrowSourceChanged();  // shorter than the extent
    if (done > 0 && !IsEndOfLine(last)) out.Write("\r\n", 2);
    return;
  }
  if (IsExternal() && !LoadData()) throw this;
  const int32_t length = GetDataLength();
  const char* data = data_->c_str();
  char last = '\n';
  if (context) {
    // Each call keys a new cipher, so writing twice gives the same bytes;
    // the stream's own data stay plain.
    CPDFCrypt crypt(context);
    std::vector<char> piece(kPiece);
    for (int32_t at = 0; at < length; at += kPiece) {
      const int32_t n = length - at < kPiece ? length - at : kPiece;
      if (!data_->ReadAt(at, piece.data(), n)) throw this;
      crypt.Crypt(piece.data(), n);
      out.Write(piece.data(), n);
      last = piece[static_cast<size_t>(n - 1)];
    }
  } else if (length > 0 && data_->IsMapped()) {
    // Mapped data are read from their file a part at a time into one small
    // buffer: the view's pages are never touched, so a large stream neither
    // becomes resident nor costs a page fault per page.
    std::vector<char> piece(kMappedWritePart);
    for (int32_t at = 0; at < length; at += kMappedWritePart) {
      const int32_t n = length - at < kMappedWritePart ? length - at : kMappedWritePart;
      if (!data_->ReadAt(at, piece.data(), n)) throw this;
      out.WriteDirect(piece.data(), n);
      last = piece[static_cast<size_t>(n - 1)];
    }
  } else if (length > 0) {
    out.WriteDirect(data, length);
    last = data[length - 1];
  }
  if (length > 0 && !IsEndOfLine(last)) out.Write("\r\n", 2);
}

CPDFObject* CPDFStream::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  try {
    std::unique_ptr<CPDFStream> copy(new CPDFStream);
    if (!Duplicate(copy.get(), doc, sourceDoc, true)) return nullptr;
    return copy.release();
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFStream", "Clone");
    return nullptr;
  }
}

bool CPDFStream::Duplicate(CPDFStream* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                           bool overwrite) const {
  if (!dest || dest == this) return false;
  if (!CPDFDict::Duplicate(dest, doc, sourceDoc, overwrite)) return false;
  dest->SetDoc(doc);
  if (IsExternal() && !sourceFile_.empty()) {
    return dest->SetSourceFile(sourceFile_.c_str(), sourceOffset_, sourceLength_, sourceStamp_);
  }
  if (doc == sourceDoc && IsExternal()) return dest->SetExtent(sourceOffset_, sourceLength_);
  // Loading external data changes only the cache of the bytes.
  auto* self = const_cast<CPDFStream*>(this);
  const char* data = self->GetData();
  if (!data) return false;
  return dest->SetData(data, self->GetDataLength());
}

bool CopyDataStream(CPDFStructBase* source, CPDFStructBase* dest, CPDFObjRegistry* doc,
                    CPDFObjRegistry* sourceDoc) {
  auto* from = dynamic_cast<CPDFStream*>(source);
  auto* to = dynamic_cast<CPDFStream*>(dest);
  if (!from || !to) return false;
  try {
    CPDFStructBase::Duplicate(dest, doc, sourceDoc);
    return from->Duplicate(to, doc, sourceDoc, true);
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFStream", "CopyDataStream");
  }
}

CPDFStream* CPDFStream::SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in, CPDFDict* dict,
                                        const uint8_t* context) {
  if (in.Peek() != 's') return nullptr;
  // Only the keyword "stream" starts a body: a dictionary followed by
  // another word (a trailer before "startxref") stays a dictionary.
  const int32_t at = in.GetPosition();
  char token[CPDFInStream::kTokenSize];
  const bool isStream = in.ReadToken(token, sizeof token) && std::strcmp(token, "stream") == 0;
  if (in.Seek(at) != 0) ThrowSerialize("ioerror");
  if (!isStream) return nullptr;
  std::unique_ptr<CPDFStream> stream(new CPDFStream);
  stream->Serialize(doc, in, dict, context);
  return stream.release();
}

void CPDFStream::Serialize(CPDFObjRegistry* doc, CPDFInStream& in, CPDFDict* dict,
                           const uint8_t* context) {
  CPDFObject::Serialize();
  SetDoc(doc);
  char token[CPDFInStream::kTokenSize];
  if (!in.ReadToken(token, sizeof token)) ThrowSerialize("ioerror");
  if (std::strcmp(token, "stream") != 0) {
    CPDFException::ThrowFormat("CPDFStream", "Serialize", CPDFException::kSyntax,
                               "invalidtoken: %s", token);
  }
  const int eol = in.Get();
  if (eol < 0) ThrowSerialize("ioerror");
  if (eol == '\r') {
    if (in.Peek() == '\n') in.Get();
  } else if (eol != '\n') {
    CPDFException::ThrowFormat("CPDFStream", "Serialize", CPDFException::kSyntax,
                               "invalidtoken: %c", eol);
  }
  const int32_t start = in.GetPosition();

  // The end: "endstream" followed by "endobj". A match inside the data is
  // passed over; the search resumes one byte after it.
  int32_t end = EndByLength(in, dict, start);
  if (end < 0) {
    if (in.Seek(start) != 0) ThrowSerialize("ioerror");
    for (;;) {
      const int32_t at = in.Find("endstream", 9);
      if (at < 0) ThrowSerialize("ioerror");
      if (AtStreamEnd(in)) {
        end = at;
        break;
      }
      if (in.Seek(at + 1) != 0) ThrowSerialize("ioerror");
    }
  }

  // What a wrong Length is replaced by: the bytes before the end of line
  // that precedes "endstream" (that marker is no data).
  const int32_t count = end - start;
  const int32_t counted = count - EndOfLineBefore(in, start, end);
  if (in.Seek(start) != 0) ThrowSerialize("ioerror");
  if (context || in.GetStreamKind() == CPDFInStream::kString) {
    CPDFCrypt crypt(context);
    std::vector<char> piece(kPiece);
    for (int32_t done = 0; done < count;) {
      const int32_t want = count - done < kPiece ? count - done : kPiece;
      const int32_t n = in.Read(piece.data(), want);
      if (n <= 0) ThrowSerialize("ioerror");
      if (context) crypt.Crypt(piece.data(), n);
      if (!data_->Append(piece.data(), n)) {
        CPDFException::Throw("CPDFStream", "Serialize", CPDFException::kStepFailed);
      }
      done += n;
    }
  } else if (in.GetStreamKind() == CPDFInStream::kFile) {
    const int32_t window = static_cast<CPDFFileInStream&>(in).GetStart();
    sourceOffset_ = start + (window > 0 ? window : 0);
    sourceLength_ = count;
  }
  if (in.Seek(end) != 0) ThrowSerialize("ioerror");
  char word[9];
  if (in.Read(word, 9) != 9) ThrowSerialize("ioerror");
  const int32_t after = in.GetPosition();

  try {
    if (!dict || !CPDFDict::Assign(doc, dict)) throw 0;
    CPDFObjRef ref;
    CPDFObject* length = Get(doc_, Key_Length(), &ref);
    if (!length) throw 0;
    auto* number = dynamic_cast<CPDFNumber*>(length);
    // A Length read from the file that is negative, or longer than the
    // bytes before "endstream", is a wrong one, like one that does not
    // point at "endstream": the data run to the end of line before
    // "endstream", and Length becomes their count (else the data would read
    // as empty, or keep that end of line, and be saved so).
    const bool wrong =
        number && length->IsLoaded() && (number->GetInt() < 0 || number->GetInt() > count);
    if (wrong || (length->IsLoaded() && length->GetType() == kNumber)) {
      std::unique_ptr<CPDFInt> typed(new CPDFInt(wrong ? counted : number->GetInt()));
      if (!Set_Length(typed.get(), ref.IsDefined(), &ref)) throw 0;
      typed.release();
    }
    // A file specification read with the stream becomes typed; any other
    // value of F stays as read. Its class lives in the document layer, which
    // registers the factory.
    if (CPDFEntryFactory typeF = PDFGetEntryFactory(CPDFTypedEntry::kStreamF)) {
      if (!typeF(this, doc_)) throw 0;
    }
  } catch (...) {
    CPDFException::Absorb(nullptr, "CPDFStream", "Serialize");
    CPDFException::Throw("CPDFStream", "Serialize", CPDFException::kStepFailed);
  }
  if (in.Seek(after) != 0) ThrowSerialize("ioerror");
}

// ---- Filters -------------------------------------------------------------

namespace {

using Codec = std::function<bool()>;

// Runs one codec for a slot; a false result or anything thrown becomes
// ("CPDFStream", slot, 5, text) in the record.
bool RunSlot(CPDFException* error, const char* slot, const char* text, const Codec& codec) {
  try {
    if (!codec()) CPDFException::Throw("CPDFStream", slot, CPDFException::kStepFailed, text);
    return true;
  } catch (...) {
    return CPDFException::Absorb(error, "CPDFStream", slot);
  }
}

// An encode slot: the codec, then the record of its decode filter. The
// parameters (or none) go to the record; they are deleted on failure.
bool EncodeSlot(CPDFStream* stream, CPDFException* error, const char* slot, const char* decodeName,
                CPDFDict* params, const Codec& codec) {
  std::unique_ptr<CPDFDict> owned(params);
  if (!RunSlot(error, slot, "Encode", codec)) return false;
  return stream->EncodeFilter(CPDFName(decodeName), owned.release(), error);
}

}  // namespace

bool CPDFStream::ASCIIHexEncode(CPDFException* error) {
  return EncodeSlot(this, error, "ASCIIHexEncode", "ASCIIHexDecode", nullptr,
                    [&] { return CPDFASCIIHexFilter().Encode(this); });
}

bool CPDFStream::ASCII85Encode(CPDFException* error) {
  return EncodeSlot(this, error, "ASCII85Encode", "ASCII85Decode", nullptr,
                    [&] { return CPDFASCII85Filter().Encode(this); });
}

bool CPDFStream::RunLengthEncode(CPDFException* error) {
  return EncodeSlot(this, error, "RunLengthEncode", "RunLengthDecode", nullptr,
                    [&] { return CPDFRunLengthFilter().Encode(this); });
}

bool CPDFStream::CCITTFaxEncode(int32_t k, CPDFException* error) {
  // The codec fills the parameters that the record then keeps.
  auto* params = new CPDFDict;
  return EncodeSlot(this, error, "CCITTFaxEncode", "CCITTFaxDecode", params,
                    [&] { return CPDFCCITTFaxFilter().Encode(this, k, params); });
}

bool CPDFStream::DCTEncode(int32_t quality, CPDFException* error) {
  return EncodeSlot(this, error, "DCTEncode", "DCTDecode", nullptr,
                    [&] { return CPDFDCTFilter().Encode(this, quality); });
}

bool CPDFStream::FlateEncode(CPDFException* error) {
  return EncodeSlot(this, error, "FlateEncode", "FlateDecode", nullptr,
                    [&] { return CPDFFlateFilter().Encode(this); });
}

bool CPDFStream::ASCIIHexDecode(CPDFException* error) {
  return RunSlot(error, "ASCIIHexDecode", "Decode()",
                 [&] { return CPDFASCIIHexFilter().Decode(this); });
}

bool CPDFStream::ASCII85Decode(CPDFException* error) {
  return RunSlot(error, "ASCII85Decode", "Decode()",
                 [&] { return CPDFASCII85Filter().Decode(this); });
}

bool CPDFStream::RunLengthDecode(CPDFException* error) {
  return RunSlot(error, "RunLengthDecode", "Decode()",
                 [&] { return CPDFRunLengthFilter().Decode(this); });
}

bool CPDFStream::CCITTFaxDecode(CPDFException* error) {
  return RunSlot(error, "CCITTFaxDecode", "Decode()",
                 [&] { return CPDFCCITTFaxFilter().Decode(this); });
}

bool CPDFStream::DCTDecode(CPDFException* error) {
  return RunSlot(error, "DCTDecode", "Decode()", [&] { return CPDFDCTFilter().Decode(this); });
}

bool CPDFStream::FlateDecode(CPDFException* error) {
  return RunSlot(error, "FlateDecode", "Decode()", [&] { return CPDFFlateFilter().Decode(this); });
}

bool CPDFStream::EncodeFilter(const CPDFName& name, CPDFDict* paramsIn, CPDFException* error) {
  std::unique_ptr<CPDFDict> params(paramsIn);
  try {
    auto fail = [](const char* what) {
      CPDFException::Throw("CPDFStream", "EncodeFilter", CPDFException::kStepFailed, what);
    };
    // Each helper takes the value over; a failed store deletes it.
    auto store = [&](const CPDFName& key, std::unique_ptr<CPDFObject> value, const char* what) {
      if (!Set(doc_, key, std::move(value))) fail(what);
    };
    auto pushFront = [&](CPDFArray* array, std::unique_ptr<CPDFAtom> value) {
      if (!array->Insert(value.get(), 0)) fail("CPDFArray::Push_Back()");
      value.release();
    };
    // An indirect array changed in place must be written again.
    auto markChanged = [&](const CPDFObjRef& ref) {
      if (ref.IsDefined() && doc_ && !doc_->UpdateObj(ref)) fail("CPDFDoc::UpdateObj()");
    };
    auto paramOrNull = [&]() -> std::unique_ptr<CPDFAtom> {
      if (params) return std::unique_ptr<CPDFAtom>(params.release());
      return std::unique_ptr<CPDFAtom>(new CPDFNull);
    };
    // DecodeParms beside a filter array: an existing array gains P or null in
    // front (only when the filters already were an array); any other value
    // becomes [P or null, old value]; an absent one [P] when P is given.
    auto frontParms = [&](bool insertIntoArray) {
      CPDFAtom** slot = Find(Key_DecodeParms()).GetValue();
      if (slot && insertIntoArray) {
        CPDFObjRef parmsRef;
        if (auto* parms = dynamic_cast<CPDFArray*>(Get_DecodeParms(&parmsRef))) {
          markChanged(parmsRef);
          pushFront(parms, paramOrNull());
          return;
        }
      }
      if (!slot && !params) return;
      std::unique_ptr<CPDFArray> array(new CPDFArray);
      if (slot) {
        // The old value (a direct object or a reference) moves over as it is.
        std::unique_ptr<CPDFAtom> old(*slot);
        *slot = nullptr;
        Remove(doc_, Key_DecodeParms());  // an empty slot: nothing else goes
        pushFront(array.get(), std::move(old));
      }
      pushFront(array.get(), paramOrNull());
      store(Key_DecodeParms(), std::move(array), "CPDFStream::Set_DecodeParms()");
    };

    if (!HasKey(Key_Filter())) {
      store(Key_Filter(), std::unique_ptr<CPDFObject>(new CPDFName(name)),
            "CPDFStream::Set_Filter()");
      if (params) {
        store(Key_DecodeParms(), std::move(params), "CPDFStream::Set_DecodeParms()");
      }
      return true;
    }
    CPDFObjRef filterRef;
    CPDFObject* filter = Get_Filter(&filterRef);
    if (auto* array = dynamic_cast<CPDFArray*>(filter)) {
      markChanged(filterRef);
      pushFront(array, std::unique_ptr<CPDFAtom>(new CPDFName(name)));
      frontParms(true);
      return true;
    }
    if (auto* single = dynamic_cast<CPDFName*>(filter)) {
      std::unique_ptr<CPDFArray> array(new CPDFArray);
      pushFront(array.get(), std::unique_ptr<CPDFAtom>(new CPDFName(*single)));
      pushFront(array.get(), std::unique_ptr<CPDFAtom>(new CPDFName(name)));
      store(Key_Filter(), std::move(array), "CPDFStream::Set_Filter()");
      frontParms(false);
      return true;
    }
    CPDFException::ThrowFormat("CPDFStream", "EncodeFilter", CPDFException::kSyntax,
                               "typecheck: %s", filter ? filter->GetTypeName() : "null");
  } catch (...) {
    return CPDFException::Absorb(error, "CPDFStream", "EncodeFilter");
  }
}

bool CPDFStream::DecodeFilter(const CPDFName& name, CPDFException* error) {
  if (name.IsEqual("ASCIIHexDecode")) return ASCIIHexDecode(error);
  if (name.IsEqual("ASCII85Decode")) return ASCII85Decode(error);
  if (name.IsEqual("RunLengthDecode")) return RunLengthDecode(error);
  if (name.IsEqual("CCITTFaxDecode")) return CCITTFaxDecode(error);
  if (name.IsEqual("DCTDecode")) return DCTDecode(error);
  if (name.IsEqual("FlateDecode")) return FlateDecode(error);
  try {
    CPDFException::ThrowFormat("CPDFStream", "DecodeFilter", CPDFException::kSyntax,
                               "unknown filter: %s", name.c_str());
  } catch (...) {
    return CPDFException::Absorb(error, "CPDFStream", "DecodeFilter");
  }
}

bool CPDFStream::DecodeAllFilter(CPDFException* error) {
  try {
    if (!HasKey(Key_Filter())) return true;
    CPDFObject* filter = Get_Filter();
    if (auto* single = dynamic_cast<CPDFName*>(filter)) {
      if (!DecodeFilter(*single, error)) return false;
    } else if (auto* array = dynamic_cast<CPDFArray*>(filter)) {
      CPDFArray* parms = nullptr;
      if (HasKey(Key_DecodeParms())) {
        CPDFObject* value = Get_DecodeParms();
        parms = dynamic_cast<CPDFArray*>(value);
        if (!parms) {
          CPDFException::ThrowFormat("CPDFStream", "DecodeAllFilter", CPDFException::kSyntax,
                                     "typecheck: %s", value ? value->GetTypeName() : "null");
        }
      }
      // Each filter applied leaves both arrays one element shorter at the
      // front, and a codec finds its own parameters as element 0. Removing
      // the front element each time would move every other one per filter
      // (quadratic in a long Filter array), so the filters are walked by
      // index, the current parameters are swapped into slot 0 for their
      // codec only, and the applied elements go in one step: the arrays
      // end as one removal at a time would have left them.
      const int32_t parmsCount = parms ? parms->GetCount() : 0;
      int32_t applied = 0;
      auto settle = [&] {
        RemoveFront(doc_, array, applied);
        if (parms) RemoveFront(doc_, parms, std::min(applied, parms->GetCount()));
      };
      for (; applied < array->GetCount(); ++applied) {
        CPDFObject* element = array->Get(doc_, applied);
        auto* name = dynamic_cast<CPDFName*>(element);
        if (!name) {
          settle();
          CPDFException::ThrowFormat("CPDFStream", "DecodeAllFilter", CPDFException::kSyntax,
                                     "typecheck: %s", element ? element->GetTypeName() : "null");
        }
        // Past the last parameters the array has been emptied.
        if (parms && applied == parmsCount) RemoveFront(doc_, parms, parmsCount);
        const bool swapped = parms && applied < parmsCount && applied > 0;
        if (swapped) parms->SwapSlots(0, applied);
        const bool ok = DecodeFilter(*name, error);
        if (swapped) parms->SwapSlots(0, applied);
        if (!ok) {
          settle();
          return false;
        }
      }
      settle();
    }
    Remove(doc_, Key_Filter());
    Remove(doc_, Key_DecodeParms());
    return true;
  } catch (...) {
    return CPDFException::Absorb(error, "CPDFStream", "DecodeAllFilter");
  }
}

// A content-stream operator list becomes the data of the stream.
bool CPDFStream::UpdateGraphObjs(CPDFGraphObjs* list, CPDFException* error) {
  CPDFStrOutStream out;
  try {
    if (!list) {
      CPDFException::Throw("CPDFStream", "UpdateGraphObjs", CPDFException::kUndefined,
                           "no operator list");
    }
    SetData(nullptr, 0);
    // On empty data every codec succeeds at once: this only drops the
    // filter records, so the new text is stored unfiltered.
    CPDFException filterError;
    if (!DecodeAllFilter(&filterError)) throw new CPDFException(filterError);
    if (!out.Open()) {
      CPDFException::Throw("CPDFStream", "UpdateGraphObjs", CPDFException::kRuntime);
    }
    list->Write(out);
    const TempString& text = out.GetString();
    if (out.Failed() || !SetData(text.c_str(), text.GetLength())) {
      CPDFException::Throw("CPDFStream", "UpdateGraphObjs", CPDFException::kRuntime,
                           "out of memory");
    }
    out.Close();
    return true;
  } catch (...) {
    out.Close();
    CPDFException::Absorb(error, "CPDFStream", "UpdateGraphObjs");
    SetData(nullptr, 0);
    return false;
  }
}
