// Typed record properties of the object store and their stored encoding.
//
// A property identifier is (number << 16) | value type. Two value types carry meaning for the
// program: UI4 (19, an unsigned 32-bit number) and LPWSTR (31, a 16-bit text). Values of any other
// type are kept as the bytes they were written with, so a record written by a later version comes
// back unchanged.
//
// Stored encoding of one record (the `props` column of the volume), little-endian throughout:
//
//   record   := count:varint property*count
//   property := id:u32 payload
//   payload  := u32                      when type(id) == 19 (UI4)
//             | units:varint u16*units   when type(id) == 31 (LPWSTR), no terminator stored
//             | bytes:varint u8*bytes    for every other type
//   varint   := unsigned LEB128, at most 5 bytes, value below 2^32
//
// Decoding is strict: a truncated property, a length that runs past the end, an over-long varint
// or bytes left over after the last property make the whole record unreadable.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quidora::platform {

using PropId = std::uint32_t;
using Oid = std::uint32_t;  // object identifier of a database or a record; 0 means none

inline constexpr std::uint16_t kTypeUi4 = 19;     // CEVT_UI4
inline constexpr std::uint16_t kTypeLpwstr = 31;  // CEVT_LPWSTR

constexpr PropId MakePropId(std::uint16_t number, std::uint16_t type) {
  return (static_cast<PropId>(number) << 16) | type;
}
constexpr std::uint16_t PropType(PropId id) {
  return static_cast<std::uint16_t>(id & 0xFFFFu);
}
constexpr std::uint16_t PropNumber(PropId id) {
  return static_cast<std::uint16_t>(id >> 16);
}

// The sort key of every database: property 0, UI4.
inline constexpr PropId kKeyPropId = MakePropId(0, kTypeUi4);

// One property value. Which member holds the value follows the identifier's type: `number` for
// UI4, `text` for LPWSTR, `raw` for anything else; the other members are left empty.
struct PropValue {
  PropId id = 0;
  std::uint32_t number = 0;
  std::u16string text;
  std::vector<std::uint8_t> raw;

  static PropValue Ui4(PropId id, std::uint32_t value);
  static PropValue Text(PropId id, std::u16string_view value);
  static PropValue Raw(PropId id, std::span<const std::uint8_t> bytes);

  friend bool operator==(const PropValue&, const PropValue&) = default;
};

// The properties of one record, in the order they were written.
using Record = std::vector<PropValue>;

// Appends the stored encoding of `props` to `out`.
void EncodeRecord(std::span<const PropValue> props, std::vector<std::uint8_t>& out);

// Decodes a stored record into `out`, reusing its elements' storage (a sequential read keeps one
// Record and allocates only when a record is larger than any before). False when `bytes` is not a
// well-formed record; `out` is then unspecified.
bool DecodeRecord(std::span<const std::uint8_t> bytes, Record& out);

// Calls take(id, value) for every UI4 property of a stored record, in stored order, and skips
// every other value unread. False exactly when DecodeRecord would refuse the bytes (`take` may
// have been called for some properties by then). For readers that look at a few numbers of many
// records to decide which records to decode in full: it builds nothing.
template <typename Take>
bool ForEachNumber(std::span<const std::uint8_t> bytes, Take&& take);

// The value of the first UI4 property 0 of a record, the key it sorts by.
struct SortKey {
  bool present = false;
  std::uint32_t value = 0;
};
SortKey SortKeyOf(std::span<const PropValue> props);

// The value of the last property `id` (a UI4 identifier) of a record: the value that a reader
// taking the properties in order is left with. A second sort order places records by it.
SortKey LastValueOf(std::span<const PropValue> props, PropId id);

namespace detail {

// Unsigned LEB128 of at most 5 bytes below 2^32, as DecodeRecord reads it.
inline bool ReadVarint(const std::uint8_t*& at, const std::uint8_t* end, std::uint32_t& value) {
  std::uint64_t result = 0;
  for (int i = 0; i < 5; ++i) {
    if (at == end) return false;
    const std::uint8_t byte = *at++;
    result |= static_cast<std::uint64_t>(byte & 0x7Fu) << (7 * i);
    if ((byte & 0x80u) == 0) {
      if (result > 0xFFFFFFFFull) return false;
      value = static_cast<std::uint32_t>(result);
      return true;
    }
  }
  return false;
}

inline std::uint32_t LittleEndian32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
         static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

}  // namespace detail

template <typename Take>
bool ForEachNumber(std::span<const std::uint8_t> bytes, Take&& take) {
  const std::uint8_t* at = bytes.data();
  const std::uint8_t* const end = at + bytes.size();
  std::uint32_t count = 0;
  // Each property takes at least 5 bytes: a count the bytes cannot hold is damage.
  if (!detail::ReadVarint(at, end, count) || count > static_cast<std::size_t>(end - at) / 5) {
    return false;
  }
  for (std::uint32_t i = 0; i < count; ++i) {
    if (end - at < 4) return false;
    const PropId id = detail::LittleEndian32(at);
    at += 4;
    if (PropType(id) == kTypeUi4) {
      if (end - at < 4) return false;
      take(id, detail::LittleEndian32(at));
      at += 4;
      continue;
    }
    std::uint32_t size = 0;
    if (!detail::ReadVarint(at, end, size)) return false;
    const std::uint64_t skip = PropType(id) == kTypeLpwstr ? std::uint64_t{size} * 2 : size;
    if (skip > static_cast<std::uint64_t>(end - at)) return false;
    at += skip;
  }
  return at == end;
}

}  // namespace quidora::platform
