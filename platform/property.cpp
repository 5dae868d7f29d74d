#include "platform/property.h"

#include <limits>

namespace quidora::platform {
namespace {

void PutU32(std::uint32_t value, std::vector<std::uint8_t>& out) {
  for (int shift = 0; shift < 32; shift += 8) {
    out.push_back(static_cast<std::uint8_t>(value >> shift));
  }
}

void PutVarint(std::uint32_t value, std::vector<std::uint8_t>& out) {
  while (value >= 0x80u) {
    out.push_back(static_cast<std::uint8_t>(value | 0x80u));
    value >>= 7;
  }
  out.push_back(static_cast<std::uint8_t>(value));
}

// Reads from a byte span front to back; every read fails once the bytes run out.
class Reader {
 public:
  explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool U32(std::uint32_t& value) {
    if (Left() < 4) return false;
    value = static_cast<std::uint32_t>(bytes_[pos_]) |
            static_cast<std::uint32_t>(bytes_[pos_ + 1]) << 8 |
            static_cast<std::uint32_t>(bytes_[pos_ + 2]) << 16 |
            static_cast<std::uint32_t>(bytes_[pos_ + 3]) << 24;
    pos_ += 4;
    return true;
  }

  bool Varint(std::uint32_t& value) {
    std::uint64_t result = 0;
    for (int i = 0; i < 5; ++i) {
      if (Left() < 1) return false;
      const std::uint8_t byte = bytes_[pos_++];
      result |= static_cast<std::uint64_t>(byte & 0x7Fu) << (7 * i);
      if ((byte & 0x80u) == 0) {
        if (result > std::numeric_limits<std::uint32_t>::max()) return false;
        value = static_cast<std::uint32_t>(result);
        return true;
      }
    }
    return false;
  }

  bool Take(std::size_t count, std::span<const std::uint8_t>& out) {
    if (Left() < count) return false;
    out = bytes_.subspan(pos_, count);
    pos_ += count;
    return true;
  }

  std::size_t Left() const { return bytes_.size() - pos_; }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
};

// The smallest stored property: an identifier and an empty length.
constexpr std::size_t kMinPropertyBytes = 5;

}  // namespace

PropValue PropValue::Ui4(PropId id, std::uint32_t value) {
  PropValue prop;
  prop.id = id;
  prop.number = value;
  return prop;
}

PropValue PropValue::Text(PropId id, std::u16string_view value) {
  PropValue prop;
  prop.id = id;
  prop.text = value;
  return prop;
}

PropValue PropValue::Raw(PropId id, std::span<const std::uint8_t> bytes) {
  PropValue prop;
  prop.id = id;
  prop.raw.assign(bytes.begin(), bytes.end());
  return prop;
}

void EncodeRecord(std::span<const PropValue> props, std::vector<std::uint8_t>& out) {
  PutVarint(static_cast<std::uint32_t>(props.size()), out);
  for (const PropValue& prop : props) {
    PutU32(prop.id, out);
    switch (PropType(prop.id)) {
      case kTypeUi4:
        PutU32(prop.number, out);
        break;
      case kTypeLpwstr:
        PutVarint(static_cast<std::uint32_t>(prop.text.size()), out);
        for (char16_t unit : prop.text) {
          out.push_back(static_cast<std::uint8_t>(unit));
          out.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
        break;
      default:
        PutVarint(static_cast<std::uint32_t>(prop.raw.size()), out);
        out.insert(out.end(), prop.raw.begin(), prop.raw.end());
        break;
    }
  }
}

bool DecodeRecord(std::span<const std::uint8_t> bytes, Record& out) {
  Reader reader(bytes);
  std::uint32_t count = 0;
  if (!reader.Varint(count)) return false;
  // A count the remaining bytes cannot hold is damage, and must not size the vector.
  if (count > reader.Left() / kMinPropertyBytes) return false;
  out.resize(count);
  for (PropValue& prop : out) {
    if (!reader.U32(prop.id)) return false;
    prop.number = 0;
    prop.text.clear();
    prop.raw.clear();
    switch (PropType(prop.id)) {
      case kTypeUi4:
        if (!reader.U32(prop.number)) return false;
        break;
      case kTypeLpwstr: {
        std::uint32_t units = 0;
        std::span<const std::uint8_t> data;
        if (!reader.Varint(units) || units > reader.Left() / 2 ||
            !reader.Take(std::size_t{units} * 2, data)) {
          return false;
        }
        prop.text.resize(units);
        for (std::size_t i = 0; i < units; ++i) {
          prop.text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
        }
        break;
      }
      default: {
        std::uint32_t size = 0;
        std::span<const std::uint8_t> data;
        if (!reader.Varint(size) || !reader.Take(size, data)) return false;
        prop.raw.assign(data.begin(), data.end());
        break;
      }
    }
  }
  return reader.Left() == 0;
}

SortKey SortKeyOf(std::span<const PropValue> props) {
  for (const PropValue& prop : props) {
    if (prop.id == kKeyPropId) return {true, prop.number};
  }
  return {};
}

SortKey LastValueOf(std::span<const PropValue> props, PropId id) {
  SortKey found;
  for (const PropValue& prop : props) {
    if (prop.id == id) found = {true, prop.number};
  }
  return found;
}

}  // namespace quidora::platform
