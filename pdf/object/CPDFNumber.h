#pragma once
// Numbers: CPDFNumber keeps an integer (32-bit) and a real (float) value
// together. It writes the real when the integer lies in -32767..32767 and the
// integer otherwise. CPDFInt always writes the integer, CPDFReal the real.
// Float-to-integer conversion truncates towards zero and saturates (NaN 0).
#include <cstdint>

#include "pdf/object/CPDFObject.h"

class CPDFNumber : public CPDFObject {
 public:
  CPDFNumber() : CPDFObject(kNumber, "Number") {}
  explicit CPDFNumber(int value) : CPDFNumber() { SetInt(value); }
  explicit CPDFNumber(long value) : CPDFNumber() { SetInt(ClampLong(value)); }
  explicit CPDFNumber(float value) : CPDFNumber() { SetReal(value); }
  explicit CPDFNumber(double value) : CPDFNumber() { SetReal(static_cast<float>(value)); }
  CPDFNumber(const CPDFNumber& other) = default;
  CPDFNumber& operator=(const CPDFNumber& other) = default;
  ~CPDFNumber() override = default;

  int32_t GetInt() const { return intValue_; }
  float GetFloat() const { return realValue_; }
  // The integer when it lies outside the real range, else the real.
  double GetReal() const { return IsRealRange() ? realValue_ : intValue_; }
  // Stores the real and its truncation as the integer.
  void SetReal(float value) {
    realValue_ = value;
    intValue_ = Truncate(value);
  }
  // Stores the integer and its conversion as the real.
  void SetInt(int32_t value) {
    intValue_ = value;
    realValue_ = static_cast<float>(value);
  }
  bool IsRealRange() const { return intValue_ >= -32767 && intValue_ <= 32767; }
  // True when the integer values or the real values differ.
  bool NotEqual(const CPDFNumber& other) const {
    return intValue_ != other.intValue_ || realValue_ != other.realValue_;
  }

  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
  bool Duplicate(CPDFNumber* dest, CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc,
                 bool overwrite) const;
  // Copies both values of a raw number.
  bool Assign(CPDFObjRegistry* doc, CPDFNumber* source);

  // The parser's entry: a number when the next byte is a digit, "-", "+" or
  // ".", else none.
  static CPDFNumber* SerializeObject(CPDFObjRegistry* doc, CPDFInStream& in,
                                     const uint8_t* context);
  void Serialize(CPDFObjRegistry* doc, CPDFInStream& in, const uint8_t* context);

  // Truncation towards zero, saturated to 32 bits; NaN gives 0.
  static int32_t Truncate(double value);
  static int32_t ClampLong(long value);

 protected:
  CPDFNumber(int32_t type, const char* typeName) : CPDFObject(type, typeName) {}
  void SetValues(int32_t i, float r) {
    intValue_ = i;
    realValue_ = r;
  }

 private:
  int32_t intValue_ = 0;
  float realValue_ = 0.0f;
};

class CPDFInt : public CPDFNumber {
 public:
  CPDFInt() : CPDFNumber(kInteger, "Integer") {}
  explicit CPDFInt(int value) : CPDFInt() { SetInt(value); }
  explicit CPDFInt(long value) : CPDFInt() { SetInt(ClampLong(value)); }
  CPDFInt(const CPDFInt& other) = default;
  CPDFInt& operator=(const CPDFInt& other) = default;
  ~CPDFInt() override = default;

  // Replaces the integer value only.
  void SetValue(int32_t value) { SetValues(value, GetFloat()); }
  bool IsNotEqual(const CPDFNumber& other) const { return GetInt() != other.GetInt(); }
  bool IsEqual(const CPDFNumber& other) const { return GetInt() == other.GetInt(); }

  // Always the integer.
  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};

class CPDFReal : public CPDFNumber {
 public:
  CPDFReal() : CPDFNumber(kReal, "Real") {}
  explicit CPDFReal(float value) : CPDFReal() { SetReal(value); }
  explicit CPDFReal(double value) : CPDFReal() { SetReal(static_cast<float>(value)); }
  CPDFReal(const CPDFReal& other) = default;
  CPDFReal& operator=(const CPDFReal& other) = default;
  ~CPDFReal() override = default;

  // Always the real.
  void Write(CPDFOutStream& out, const uint8_t* context) override;
  CPDFObject* Clone(CPDFObjRegistry* doc, CPDFObjRegistry* sourceDoc) override;
};
