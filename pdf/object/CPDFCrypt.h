#pragma once
// Per-object encryption of protected documents: the 10-byte encryption
// context (5 bytes of the document key, 3 of the object number, 2 of the
// generation, lowest byte first) and the RC4 cipher keyed from the first 10
// bytes of the context's MD5 digest. Encryption and decryption are the same
// operation; each string or stream uses a new cipher object.
#include <cstdint>
#include <memory>

class CPDFObjRef;

constexpr int kObjKeySize = 10;

// Fills the encryption context of the object from the 5-byte document key.
void MakeObjKey(uint8_t out[kObjKeySize], const uint8_t* documentKey, const CPDFObjRef& ref);

class CPDFCrypt {
 public:
  CPDFCrypt() = default;
  // Keyed from an encryption context (none leaves the cipher without key).
  explicit CPDFCrypt(const uint8_t* context) { SetKey(context); }
  CPDFCrypt(const CPDFCrypt&) = delete;
  CPDFCrypt& operator=(const CPDFCrypt&) = delete;
  virtual ~CPDFCrypt() = default;

  // Drops any old state and runs the key schedule for the context.
  void SetKey(const uint8_t* context);
  // Sets a raw RC4 key (the context path uses it with the digest).
  void SetRawKey(const uint8_t* key, int32_t length);
  bool HasKey() const { return state_ != nullptr; }
  // XORs the bytes in place with the next key-stream bytes; -1 without key.
  int32_t Crypt(uint8_t* bytes, int32_t n);
  int32_t Crypt(char* bytes, int32_t n) { return Crypt(reinterpret_cast<uint8_t*>(bytes), n); }

 private:
  // 256-byte permutation followed by the indices i and j.
  std::unique_ptr<uint8_t[]> state_;
};
