#pragma once
// The typed-structure mix-ins. A typed class derives from CPDFDataStruct
// (or CPDFDocStruct) first and then from its object class (CPDFDict,
// CPDFArray, CPDFString or CPDFStream). The mix-in holds the owning document
// and the structure kind; GetEntry/SetEntry keep typed children under keys
// named by the data.
#include <cstdint>

class CPDFObjRegistry;
class CPDFObject;
class CPDFName;
class CPDFObjRef;
class CPDFOutStream;

// The owning document of a typed structure or a stream. Both derive from it
// virtually, so a typed stream (a CPDFDataStruct and a CPDFStream at once)
// has exactly one document pointer, whichever part sets it.
class CPDFDocHolder {
 public:
  bool SetDoc(CPDFObjRegistry* doc) {
    doc_ = doc;
    return true;
  }
  CPDFObjRegistry* GetDoc() const { return doc_; }

 protected:
  CPDFDocHolder() = default;
  CPDFDocHolder(const CPDFDocHolder&) = default;
  CPDFDocHolder& operator=(const CPDFDocHolder&) = default;
  ~CPDFDocHolder() = default;

  CPDFObjRegistry* doc_ = nullptr;
};

class CPDFStructBase : public virtual CPDFDocHolder {
 public:
  virtual ~CPDFStructBase() = default;

  int32_t GetStructKind() const { return structKind_; }

  // Stores the document in the destination.
  static bool Duplicate(CPDFStructBase* dest, CPDFObjRegistry* doc, CPDFObjRegistry*) {
    return dest ? dest->SetDoc(doc) : false;
  }

  // The typed object stored under the key in this object's own dictionary
  // (resolved through the document, its reference reported), or none when
  // the key is absent, the value cannot be fetched or is not typed.
  CPDFStructBase* GetEntry(const CPDFName& key, CPDFObjRef* ref = nullptr);
  template <class T>
  T* GetEntryAs(const CPDFName& key, CPDFObjRef* ref = nullptr) {
    return dynamic_cast<T*>(GetEntry(key, ref));
  }
  // Stores the typed object's object part under the key (registered as an
  // indirect object with the flag); false on failure, when this object has
  // no dictionary part, or when the value has no object part.
  bool SetEntry(const CPDFName& key, CPDFStructBase* value, bool indirect = false,
                CPDFObjRef* ref = nullptr);

  // The object part of this typed object (a cross-cast), or none.
  CPDFObject* GetObjectPart();

 protected:
  CPDFStructBase() = default;
  explicit CPDFStructBase(int32_t kind) : structKind_(kind) {}
  CPDFStructBase(const CPDFStructBase&) = default;
  CPDFStructBase& operator=(const CPDFStructBase&) = default;
  void SetStructKind(int32_t kind) { structKind_ = kind; }

 private:
  int32_t structKind_ = -1;
};

// Data structures (rectangles, matrices, dates, resources, fonts, ...).
class CPDFDataStruct : public CPDFStructBase {
 public:
  enum Kind : int32_t {
    kRect = 0,
    kMatrix = 1,
    kDate = 2,
    kDestination = 3,
    kFileSpec = 5,
    kEmbeddedFile = 6,
    kEmbeddedFileParams = 7,
    kMacFileInfo = 8,
    kResDict = 9,
    kResource = 10,
    kColorDict = 11,
    kCIDSystemInfo = 12,
    kEncoding = 13,
    kCMap = 14,
    kFontDescriptor = 15,
    kFontFile = 16,
    kAlternateImage = 17,
    kOPIDict = 18,
    kPieceInfo = 19,
    kAppData = 20,
    kFunction = 21,
    kHalftone = 22,
  };

 protected:
  CPDFDataStruct() = default;
  explicit CPDFDataStruct(int32_t kind) : CPDFStructBase(kind) {}
};

// Document-structure dictionaries (catalog, pages, annotations, actions...).
class CPDFDocStruct : public CPDFStructBase {
 public:
  enum Kind : int32_t {
    kCatalog = 0,
    kPages = 3,
    kPage = 4,
    kTransition = 5,
    kSepInfo = 6,
    kThumbnail = 7,
    kAnnotation = 8,
    kBorderStyle = 9,
    kAppearance = 10,
    kMovie = 11,
    kMovieActivation = 12,
    kAddActions = 15,
    kAction = 16,
    kWinLaunch = 17,
    kInfo = 20,
    kAcroForm = 24,
    kSignature = 25,
    kSound = 26,
  };

 protected:
  CPDFDocStruct() = default;
  explicit CPDFDocStruct(int32_t kind) : CPDFStructBase(kind) {}
};

// The shared copy step of a typed structure's Clone: sets the destination's
// document, then deep-copies the source's object part (dictionary, array or
// string) into the destination's with the overwrite flag. False when the
// two have no matching object part or the copy fails. Stream-based
// structures copy their data with the stream's own step.
bool CopyDataStruct(CPDFStructBase* source, CPDFStructBase* dest, CPDFObjRegistry* doc,
                    CPDFObjRegistry* sourceDoc, bool overwrite = true);

// The shared copy step of a stream-based typed structure's Clone: sets the
// destination's document, then copies the source's stream part into the
// destination's (entries, and the data or the extent). False when either
// has no stream part or the copy fails. Defined with the stream.
bool CopyDataStream(CPDFStructBase* source, CPDFStructBase* dest, CPDFObjRegistry* doc,
                    CPDFObjRegistry* sourceDoc);

// The file sections of a document (header 0, body 1, cross-reference 2,
// trailer 3). Serialize writes the section; failures are thrown.
class CPDFFileStruct {
 public:
  enum Kind : int32_t { kHeader = 0, kBody = 1, kXRef = 2, kTrailer = 3 };

  virtual ~CPDFFileStruct() = default;
  virtual void Serialize(CPDFOutStream& out) = 0;

  CPDFObjRegistry* GetDoc() const { return doc_; }
  int32_t GetSectionKind() const { return sectionKind_; }

 protected:
  CPDFFileStruct() = default;
  explicit CPDFFileStruct(int32_t kind) : sectionKind_(kind) {}
  void SetDoc(CPDFObjRegistry* doc) { doc_ = doc; }

 private:
  CPDFObjRegistry* doc_ = nullptr;
  int32_t sectionKind_ = -1;
};
