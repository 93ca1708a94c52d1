#include "pdf/font/CPDFCIDFont.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "pdf/document/CPDFLoadDepth.h"
#include "pdf/font/AFMFile.h"
#include "pdf/font/FontResourceCache.h"
#include "pdf/object/CPDFException.h"
#include "pdf/object/CPDFFamily.h"
#include "pdf/object/CPDFObjRegistry.h"

namespace {

constexpr CPDFFamilyMember<CPDFCIDFont> kMembers[] = {
    MakeFamilyMember<CPDFCIDFont, CPDFType0CIDFont, CPDFDict>(CPDFCIDFont::kType0CID),
    MakeFamilyMember<CPDFCIDFont, CPDFType2CIDFont, CPDFDict>(CPDFCIDFont::kType2CID),
};

// A malformed W: caught inside CalcStringWidth.
struct MalformedWidths {};

[[noreturn]] void Malformed() { throw MalformedWidths{}; }

// The number at the index of the array (a parsed number or an integer);
// a missing element or one of another type is malformed.
int32_t NumberAt(CPDFArray* array, CPDFObjRegistry* doc, int32_t index) {
  if (index < 0 || index >= array->GetCount()) Malformed();
  auto* number = dynamic_cast<CPDFNumber*>(array->Get(doc, index));
  if (!number || !number->IsType(CPDFObject::kNumber | CPDFObject::kInteger)) Malformed();
  return number->GetInt();
}

// Every number of the array becomes an integer; the same inside each array
// element when nested is set. An element that cannot be fetched fails.
bool IntegerElements(CPDFArray* array, CPDFObjRegistry* doc, bool nested) {
  if (!array) return true;
  if (!PDFTypeElements<CPDFInt>(array, doc)) return false;
  if (!nested) return true;
  for (int32_t i = 0; i < array->GetCount(); ++i) {
    CPDFObject* element = array->Get(doc, i);
    if (!element) return false;
    if (auto* inner = dynamic_cast<CPDFArray*>(element)) {
      if (!PDFTypeElements<CPDFInt>(inner, doc)) return false;
    }
  }
  return true;
}

// A value read from a file under the key must have become T.
template <class T>
bool TypedIfRead(CPDFDict* dict, CPDFObjRegistry* doc, const CPDFName& key) {
  CPDFObject* value = dict->Get(doc, key);
  if (!value) return false;
  return dynamic_cast<T*>(value) || !value->IsLoaded();
}

bool CheckSubtype(CPDFObjRegistry* doc, CPDFObject* object, const CPDFName& subtype) {
  if (!CPDFCIDFont::Check(doc, object)) return false;
  auto* name = PDFGetAs<CPDFName>(dynamic_cast<CPDFDict*>(object), doc, CPDFFont::Key_Subtype());
  return name && name->IsEqual(subtype);
}

// The run builder of W: entries of the metrics in ascending CID order.
class WidthRuns {
 public:
  WidthRuns(CPDFArray* w, CPDFObjRegistry* doc, int32_t dw) : w_(w), doc_(doc), dw_(dw) {}

  void Add(int32_t cid, int32_t width) {
    // A gap closes the run as if this entry were at DW; the entry then
    // starts afresh.
    if (open_ && cid != lastCid_ + 1) Close();
    if (!open_) {
      if (width != dw_) Last(cid, width);
      return;
    }
    if (width == dw_) {
      Close();
    } else if (width == lastWidth_) {
      if (arrayOpen_) FlushArray();
      if (!equalOpen_) {
        equalOpen_ = true;
        equalFirst_ = lastCid_;
      }
      Last(cid, width);
    } else {
      if (equalOpen_) {
        FlushEqual();
      } else if (arrayOpen_) {
        widths_.push_back(lastWidth_);
      } else {
        arrayOpen_ = true;
        arrayStart_ = lastCid_;
        widths_.assign(1, lastWidth_);
      }
      Last(cid, width);
    }
  }

  // Closes the open run, if any.
  void Close() {
    if (!open_) return;
    if (equalOpen_) {
      FlushEqual();
    } else {
      if (!arrayOpen_) {
        arrayStart_ = lastCid_;
        widths_.clear();
      }
      widths_.push_back(lastWidth_);
      FlushArray();
    }
    open_ = false;
  }

 private:
  void Last(int32_t cid, int32_t width) {
    open_ = true;
    lastCid_ = cid;
    lastWidth_ = width;
  }
  void PushInt(CPDFArray* array, int32_t value) {
    if (!array->Push_Back(doc_, std::make_unique<CPDFInt>(value))) Fail();
  }
  void FlushEqual() {
    PushInt(w_, equalFirst_);
    PushInt(w_, lastCid_);
    PushInt(w_, lastWidth_);
    equalOpen_ = false;
  }
  void FlushArray() {
    PushInt(w_, arrayStart_);
    auto array = std::make_unique<CPDFArray>();
    for (const int32_t width : widths_) PushInt(array.get(), width);
    if (!w_->Push_Back(doc_, std::move(array))) Fail();
    widths_.clear();
    arrayOpen_ = false;
  }
  [[noreturn]] static void Fail() {
    CPDFException::Throw("CPDFType0CIDFont", "UpdateCharWidth", CPDFException::kStepFailed);
  }

  CPDFArray* w_;
  CPDFObjRegistry* doc_;
  int32_t dw_;
  bool open_ = false;
  int32_t lastCid_ = 0;
  int32_t lastWidth_ = 0;
  bool equalOpen_ = false;
  int32_t equalFirst_ = 0;
  bool arrayOpen_ = false;
  int32_t arrayStart_ = 0;
  std::vector<int32_t> widths_;
};

}  // namespace

CPDFCIDFont* CPDFCIDFont::CreateCIDFont(CPDFObjRegistry* doc, CPDFObject* object, int32_t mask) {
  return CreateNestedFamilyMember<kMembers>(doc, object, mask);
}

bool CPDFCIDFont::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  try {
    if (!CPDFFont::Check(doc, object)) return false;
    auto* dict = dynamic_cast<CPDFDict*>(object);
    auto isDict = [&](const CPDFName& key) {
      CPDFObject* value = dict->Get(doc, key);
      return value && value->GetType() == kDictionary;
    };
    return isDict(Key_CIDSystemInfo()) && isDict(Key_FontDescriptor());
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFCIDFont", "Check");
  }
}

bool CPDFCIDFont::Load(CPDFObjRegistry* doc, CPDFDict* source) {
  return PDFLoadFrame(this, doc, source, [&] {
    return PDFTypeEntry<CPDFCIDSysInfo>(this, doc, Key_CIDSystemInfo(), PDFEntry::kRequired) &&
           TypedIfRead<CPDFCIDSysInfo>(this, doc, Key_CIDSystemInfo()) &&
           CPDFFontDesc::TypeKeyedEntry(this, doc, Key_FontDescriptor(), PDFEntry::kRequired) &&
           TypedIfRead<CPDFFontDesc>(this, doc, Key_FontDescriptor()) &&
           PDFTypeEntry<CPDFInt>(this, doc, Key_DW()) && IntegerElements(Get_W(), doc, true) &&
           IntegerElements(Get_W2(), doc, true) && IntegerElements(Get_DW2(), doc, false);
  });
}

bool CPDFCIDFont::Create(CPDFObjRegistry* doc, const char* baseFont) {
  return CPDFFont::Create(doc, baseFont) &&
         PDFSetType(this, doc, Key_Subtype(),
                    cidKind_ == kType2CID ? SubtypeType2() : SubtypeType0());
}

int32_t CPDFCIDFont::CalcStringWidth(const uint8_t* cids, int32_t length) {
  CPDFObjRegistry* doc = GetDoc();
  CPDFException* record = doc ? &doc->GetError() : nullptr;
  try {
    if (length < 0 || (length > 0 && !cids)) Malformed();
    // The PDF rule: DW is 1000 when absent, and a CID that W does not cover
    // is paid at DW.
    int64_t dw = 1000;
    if (CPDFNumber* number = Get_DW()) dw = number->GetInt();
    // The total is a sum, so the pending CIDs can be taken in ascending
    // order: each step of the walk then pays a prefix of them.
    std::vector<uint16_t> pending(static_cast<size_t>(length) / 2);
    for (size_t i = 0; i < pending.size(); ++i) {
      pending[i] = static_cast<uint16_t>((cids[2 * i] << 8) | cids[2 * i + 1]);
    }
    std::sort(pending.begin(), pending.end());
    size_t next = 0;
    int64_t total = 0;
    auto payBelow = [&](int64_t limit, auto widthOf) {
      while (next < pending.size() && pending[next] < limit) total += widthOf(pending[next++]);
    };
    if (CPDFArray* w = Get_W()) {
      int32_t i = 0;
      while (i < w->GetCount() && next < pending.size()) {
        const int32_t c = NumberAt(w, doc, i);
        payBelow(c, [&](uint16_t) { return dw; });
        if (next == pending.size()) break;
        if (i + 1 >= w->GetCount()) Malformed();
        CPDFObject* form = w->Get(doc, i + 1);
        if (auto* widths = dynamic_cast<CPDFArray*>(form)) {
          // c [w0 ... wn-1]
          payBelow(static_cast<int64_t>(c) + widths->GetCount(), [&](uint16_t cid) -> int64_t {
            return NumberAt(widths, doc, static_cast<int32_t>(cid - static_cast<int64_t>(c)));
          });
          i += 2;
        } else if (form && form->IsType(kNumber | kInteger)) {
          // c1 c2 w
          const int32_t last = NumberAt(w, doc, i + 1);
          const int32_t width = NumberAt(w, doc, i + 2);
          payBelow(static_cast<int64_t>(last) + 1, [&](uint16_t) -> int64_t { return width; });
          i += 3;
        } else {
          Malformed();
        }
      }
    }
    payBelow(std::numeric_limits<int64_t>::max(), [&](uint16_t) { return dw; });
    total = std::clamp<int64_t>(total, std::numeric_limits<int32_t>::min(),
                                std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(total);
  } catch (MalformedWidths&) {
    if (record && !record->IsError()) {
      try {
        CPDFException::Throw("CPDFCIDFont", "CalcStringWidth", CPDFException::kStepFailed);
      } catch (...) {
        CPDFException::Absorb(record, "CPDFCIDFont", "CalcStringWidth");
      }
    }
  } catch (...) {
    CPDFException::Absorb(record, "CPDFCIDFont", "CalcStringWidth");
  }
  return -1;
}

CPDFArray* CPDFCIDFont::ResetW() {
  CPDFObjRegistry* doc = GetDoc();
  CPDFObjRef ref;
  CPDFArray* w = Get_W(&ref);
  if (!w) {
    if (!Set(doc, Key_W(), std::make_unique<CPDFArray>())) return nullptr;
    return Get_W();
  }
  if (ref.IsDefined() && (!doc || !doc->UpdateObj(ref))) return nullptr;
  for (int32_t i = w->GetCount() - 1; i >= 0; --i) w->Remove(doc, i);
  return w;
}

bool CPDFType0CIDFont::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckSubtype(doc, object, SubtypeType0());
}

CPDFType0CIDFont* CPDFType0CIDFont::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFType0CIDFont::UpdateCharWidth() {
  try {
    CPDFObjRegistry* doc = GetDoc();
    CPDFName* baseFont = Get_BaseFont();
    if (!baseFont) return false;
    AFMFile* metrics = FontResourceCache::Global().GetAFM(baseFont->c_str());
    if (!metrics || !metrics->IsCIDFont) return false;
    if (!HasKey(Key_DW()) && !Set(doc, Key_DW(), std::make_unique<CPDFInt>(1000))) return false;
    CPDFNumber* number = Get_DW();
    const int32_t dw = number ? number->GetInt() : 1000;
    CPDFArray* w = ResetW();
    if (!w) return false;
    WidthRuns runs(w, doc, dw);
    metrics->ForEachCIDMetric(
        [&](int32_t cid, const AFMCharMetric& metric) { runs.Add(cid, metric.WX); });
    runs.Close();
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFType0CIDFont", "UpdateCharWidth");
  }
}

bool CPDFType2CIDFont::Check(CPDFObjRegistry* doc, CPDFObject* object) {
  return CheckSubtype(doc, object, SubtypeType2());
}

CPDFType2CIDFont* CPDFType2CIDFont::Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) {
  return PDFClone(this, doc, sourceDoc);
}

bool CPDFType2CIDFont::UpdateCharWidth() {
  // Every TrueType-based CID font gets the same widths: CIDs 1 to 632 at
  // 500 (the proportional and half-width Adobe-Japan1 glyphs), whatever the
  // font's own metrics; the rest at DW.
  try {
    CPDFObjRegistry* doc = GetDoc();
    CPDFArray* w = ResetW();
    if (!w) return false;
    for (const int value : {1, 632, 500}) {
      if (!w->Push_Back(doc, std::make_unique<CPDFInt>(value))) return false;
    }
    return true;
  } catch (...) {
    return CPDFException::Absorb(nullptr, "CPDFType2CIDFont", "UpdateCharWidth");
  }
}
