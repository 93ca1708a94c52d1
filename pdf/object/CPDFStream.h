#pragma once
// The PDF stream object: a dictionary together with a body of bytes. The
// bytes live in a TempHugeString (heap, or a mapped temporary file when
// large), or still in the document's file (the stream is "external": the
// source offset and length name the extent, the buffer is empty) until
// something needs them.
//
// Length: the dictionary's /Length names the count of data bytes. A Length
// read from a file is never trusted beyond the bytes held: writing, the
// codecs and copies use GetDataLength(), which clamps it to the buffer.
//
// Filters: the encode slots run a codec over the data and record its decode
// filter at the front of /Filter (and /DecodeParms); the decode slots undo
// one filter; DecodeAllFilter undoes every recorded filter and removes the
// records. Slots that take an error record fill it on failure (only while it
// is still empty) and answer false; they throw nothing.
//
// Typed stream classes (image XObjects, font files, ...) derive from a
// CPDFDataStruct and from CPDFStream; the two share one document pointer
// (CPDFDocHolder, a virtual base of both).
#include <cstdint>
#include <memory>
#include <string>

#include "pdf/object/CPDFArray.h"
#include "pdf/object/CPDFDict.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFName.h"
#include "pdf/object/CPDFNumber.h"
#include "pdf/object/CPDFTypedStruct.h"
#include "pdf/object/FileStamp.h"
#include "pdf/object/TempHugeString.h"

class CPDFGraphObjs;
class CPDFInStream;
class CPDFOutStream;
class CPDFObjRegistry;
class CPDFStructBase;

class CPDFStream : public CPDFDict, public virtual CPDFDocHolder {
 public:
  explicit CPDFStream(CPDFObjRegistry* doc = nullptr);
  CPDFStream(const CPDFStream&) = delete;
  CPDFStream& operator=(const CPDFStream&) = delete;
  // Deletes the data buffer (removing any temporary file), then the entries.
  ~CPDFStream() override;

  // The owning document (may be none for a free-standing stream): SetDoc
  // and GetDoc of CPDFDocHolder.

  // The dictionary part is taken over from the source (entries exchanged);
  // then this stream takes the source's data and extent. The source is left
  // with a fresh empty buffer and no extent.
  bool Assign(CPDFObjRegistry* doc, CPDFStream* source);

  // External data: the bytes still lie in a file, the document's own or
  // (SetSourceFile) another one.
  bool IsExternal() const { return sourceOffset_ != -1 && sourceLength_ != -1; }
  void ResetExtent() {
    sourceOffset_ = sourceLength_ = -1;
    sourceFile_.clear();
    sourceStamp_ = FileStamp();
  }
  // Points the stream at an extent of the document's file and empties the
  // buffer (the document's loader and its save use this).
  bool SetExtent(int32_t offset, int32_t length);
  // Points the stream at an extent of another file and empties the buffer:
  // the bytes are read from there when they are needed, and a write copies
  // them from there without holding them (an imported JPEG file, say, whose
  // data go into the output unchanged). The file must still hold them then;
  // given the stamp of the file as it was read, it must still be that file
  // too: reading or writing the data refuses one replaced or changed since.
  bool SetSourceFile(const char* path, int32_t offset, int32_t length,
                     const FileStamp& stamp = FileStamp());
  // The file an external stream's bytes lie in: "" for the document's own.
  const std::string& GetSourceFile() const { return sourceFile_; }
  int32_t GetSourceOffset() const { return sourceOffset_; }
  int32_t GetSourceLength() const { return sourceLength_; }
  // Reads the extent from its file into the buffer and drops the extent;
  // Length is not touched. False (buffer empty, extent kept) when the file
  // cannot be opened or holds fewer bytes. True at once when the stream is
  // not external.
  bool LoadData();

  // The data bytes (external data loaded first); none when loading fails.
  // An empty buffer gives "". The pointer is invalid after any change.
  const char* GetData();
  // The /Length value (resolved through the document); 0 when absent.
  int32_t GetLength();
  // The count of data bytes a reader of this stream may use: Length
  // clamped to 0 .. the bytes held (external data loaded first).
  int32_t GetDataLength();
  // Sets /Length's value (an indirect one is marked changed first), or
  // stores a new direct integer.
  bool SetLength(int32_t n);

  // Replace, add or insert data; Length follows the bytes actually held.
  // A failed growth answers false with the data and Length as before
  // (SetData: emptied with Length 0). The source bytes may lie inside this
  // stream's own buffer.
  bool SetData(const char* bytes, int32_t n);
  bool SetData(int32_t n, char byte);
  bool Append(const char* bytes, int32_t n);
  bool Append(int32_t n, char byte);
  // position -1 or beyond Length: at the end; another negative position or
  // n below 1 does nothing (true).
  bool Insert(int32_t position, const char* bytes, int32_t n);
  // Removes every entry, drops the extent and empties the data.
  void Clear();

  // The buffer itself (for codecs and tests).
  TempHugeString& GetBuffer() { return *data_; }
  // Replaces the data with the given bytes by exchanging buffers (no copy;
  // the argument receives the old data); drops any extent; Length follows.
  bool TakeData(TempHugeString& bytes);

  // Key accessors. /Filter (a name or an array) and /DecodeParms (a
  // dictionary or an array) are general objects; /F (a file specification)
  // is kept as read.
  PDF_ACCESSOR(Length, CPDFInt)
  PDF_ACCESSOR(Filter, CPDFObject)
  PDF_ACCESSOR(DecodeParms, CPDFObject)
  PDF_ACCESSOR(F, CPDFObject)

  // Writes the dictionary, CR LF, "stream" CR LF, the data (encrypted with
  // the context when one is given), CR LF when the data do not end in an end
  // of line, and "endstream". An external stream without encryption is
  // copied from the document's file; a failed open throws this stream.
  void Write(CPDFOutStream& out, const uint8_t* context) override;
  // A new stream (no document) filled by Duplicate; none on failure.
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  // Copies the entries, then the data (or, within one document, the extent).
  bool Duplicate(CPDFStream* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;

  // The parser's step after a dictionary: when "stream" follows, a new
  // stream that takes over the dictionary's entries; else none (the input
  // is left where it was).
  static CPDFStream* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in, CPDFDict* dict,
                                     const uint8_t* context);
  // Reads "stream", the end of line, the body up to the "endstream" that
  // is followed by "endobj", and leaves the input after "endstream".
  // Errors are thrown as CPDFException*.
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, CPDFDict* dict, const uint8_t* context);

  // Encode slots: run the codec, then record the filter.
  virtual bool ASCIIHexEncode(CPDFException* error = nullptr);
  virtual bool ASCII85Encode(CPDFException* error = nullptr);
  virtual bool RunLengthEncode(CPDFException* error = nullptr);
  virtual bool CCITTFaxEncode(int32_t k, CPDFException* error = nullptr);
  virtual bool DCTEncode(int32_t quality, CPDFException* error = nullptr);
  virtual bool FlateEncode(CPDFException* error = nullptr);
  // Decode slots: run the codec; the filter records are left alone.
  virtual bool ASCIIHexDecode(CPDFException* error = nullptr);
  virtual bool ASCII85Decode(CPDFException* error = nullptr);
  virtual bool RunLengthDecode(CPDFException* error = nullptr);
  virtual bool CCITTFaxDecode(CPDFException* error = nullptr);
  virtual bool DCTDecode(CPDFException* error = nullptr);
  virtual bool FlateDecode(CPDFException* error = nullptr);

  // Records a filter just applied: it goes to the front of /Filter, and its
  // parameters to the front of /DecodeParms (null when none). The stream
  // takes the parameters over, also when the call fails.
  bool EncodeFilter(const CPDFName& name, CPDFDict* params, CPDFException* error = nullptr);
  // Runs the decode slot of the named filter.
  bool DecodeFilter(const CPDFName& name, CPDFException* error = nullptr);
  // Undoes every recorded filter, first to last, and removes the records.
  bool DecodeAllFilter(CPDFException* error = nullptr);
  // Replaces the data with the written operator list, unfiltered.
  bool UpdateGraphObjs(CPDFGraphObjs* list, CPDFException* error = nullptr);

 private:
  // Cuts the buffer to the Length in force (surplus bytes after a read).
  bool TrimToLength();
  void WriteData(CPDFOutStream& out, const uint8_t* context);
  // The source file no longer holds the data read from it.
  [[noreturn]] void ThrowSourceChanged() const;

  // The path the extent is read from: sourceFile_, or the document's file.
  const char* SourcePath() const;

  std::unique_ptr<TempHugeString> data_;
  int32_t sourceOffset_ = -1;
  int32_t sourceLength_ = -1;
  std::string sourceFile_;  // empty: the document's file
  FileStamp sourceStamp_;   // of sourceFile_ as it was read; unset: not known
};
