// A reader of single system registry values that knows text and 32-bit
// numbers and turns every failure into an empty result. The typed query is
// portable over a small key interface; the Windows layer supplies the key.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace zindle {

// Empty, text or a signed 32-bit number.
using RegistryValue = std::variant<std::monostate, std::string, int32_t>;

inline constexpr uint32_t kRegistryText = 1;    // REG_SZ
inline constexpr uint32_t kRegistryNumber = 4;  // REG_DWORD
inline constexpr int32_t kUnsupportedType = -1;
inline constexpr int32_t kOutOfMemory = 14;  // ERROR_OUTOFMEMORY

// A stored number: its first four bytes, little-endian, fewer padded with
// zeros. A number set by hand with another size is still read, not refused:
// refusing the password setting would read as "no password".
int32_t NumberFromRegistryBytes(const void* data, size_t size);

// An open key. Query asks for one value: with data null it tells only the
// type and the size in bytes; otherwise it fills at most *size bytes. Returns
// 0 or the system's error code.
class RegistryKeyQuery {
 public:
  virtual ~RegistryKeyQuery() = default;
  virtual int32_t Query(std::string_view name, uint32_t* type, void* data, uint32_t* size) = 0;
};

// Fills the result from the named value; returns the status of the last
// query, kUnsupportedType for a type other than text and number, or
// kOutOfMemory when the value's room cannot be had. On a failure the result
// keeps what it held, except that a failed read of a text makes it empty.
int32_t QueryTypedValue(RegistryKeyQuery& key, std::string_view name, RegistryValue& result);

}  // namespace zindle
