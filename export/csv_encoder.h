// Turns the 16-bit texts of export lines into the bytes of one encoding, gathering them in a
// buffer that goes to a ByteSink whenever it fills. Used by the three file formats only.
//
// The encoding is a template parameter so that the per-character work of a million-line file
// has no branch on it. A line is written in three steps: Start makes room for all its units and
// gives a cursor, the Put functions store through that cursor without further checks, and
// Commit takes the cursor back. (The cursor is a local value: stores through a char pointer
// into a member buffer would make the compiler reload every member after every byte.)
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "export/csv_files.h"
#include "platform/code_page.h"

namespace quidora::csv {

template <bool kUnicode>
class Encoder {
 public:
  static constexpr std::size_t kUnitBytes = kUnicode ? 2 : 1;

  explicit Encoder(ByteSink& sink) : sink_(sink), buffer_(kBufferBytes) {}
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // False once the sink has refused bytes; everything after that is dropped.
  bool ok() const { return ok_; }

  // Room for `units` more units, and where they go. What is gathered goes to the sink first
  // when they would not fit; a line longer than the whole buffer gets a larger buffer.
  char* Start(std::size_t units) {
    const std::size_t bytes = units * kUnitBytes;
    if (used_ + bytes > buffer_.size()) {
      Flush();
      if (bytes > buffer_.size()) buffer_.resize(bytes);
    }
    return buffer_.data() + used_;
  }
  // `end` is the cursor after the units stored since Start.
  void Commit(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

  static char* Put(char* at, std::u16string_view text) {
    const char16_t* unit = text.data();
    std::size_t left = text.size();
    if constexpr (std::endian::native == std::endian::little) {
      // Four units at a time: most texts are short, and a call or a loop per unit costs more
      // than the characters themselves.
      for (; left >= 4; left -= 4, unit += 4) {
        std::uint64_t four;
        std::memcpy(&four, unit, 8);
        if constexpr (kUnicode) {
          std::memcpy(at, &four, 8);
          at += 8;
        } else {
          if ((four & 0xFF80FF80FF80FF80u) != 0) break;  // not all ASCII: one by one
          four = (four | (four >> 8)) & 0x0000FFFF0000FFFFu;
          const auto bytes = static_cast<std::uint32_t>(four | (four >> 16));
          std::memcpy(at, &bytes, 4);
          at += 4;
        }
      }
    }
    for (; left != 0; --left) at = Store(at, *unit++);
    return at;
  }

  // The ASCII punctuation of the program's own lines.
  static char* Put(char* at, char unit) {
    at[0] = unit;
    if constexpr (kUnicode) at[1] = 0;
    return at + kUnitBytes;
  }
  static char* Put(char* at, std::string_view ascii) {
    for (char unit : ascii) at = Put(at, unit);
    return at;
  }

  // A memo as the file shows it: quotes, apostrophes and grave accents become spaces, and so do
  // both characters of a CR LF pair (a lone CR or LF stays).
  static char* PutMemo(char* at, std::u16string_view memo) {
    // Most memos need no change: found out by a branch-free scan, then copied as they are.
    unsigned changed = 0;
    for (char16_t unit : memo) {
      changed |= static_cast<unsigned>(unit == u'"') | static_cast<unsigned>(unit == u'\'') |
                 static_cast<unsigned>(unit == u'`') | static_cast<unsigned>(unit == u'\r');
    }
    if (changed == 0) return Put(at, memo);
    for (std::size_t i = 0; i < memo.size(); ++i) {
      char16_t unit = memo[i];
      if (unit == u'"' || unit == u'\'' || unit == u'`') {
        unit = u' ';
      } else if (unit == u'\r' && i + 1 < memo.size() && memo[i + 1] == u'\n') {
        at = Store(at, u' ');
        ++i;
        unit = u' ';
      }
      at = Store(at, unit);
    }
    return at;
  }

  // Hands the rest to the sink; the result of the whole file.
  bool Finish() {
    Flush();
    return ok_;
  }

 private:
  static constexpr std::size_t kBufferBytes = std::size_t{1} << 18;

  static char* Store(char* at, char16_t unit) {
    if constexpr (!kUnicode) {
      *at = unit < 0x80 ? static_cast<char>(unit) : platform::Windows1252Byte(unit);
    } else {
      // Little-endian on any machine; compilers make this one two-byte store where it can be.
      at[0] = static_cast<char>(unit & 0xFF);
      at[1] = static_cast<char>(unit >> 8);
    }
    return at + kUnitBytes;
  }

  void Flush() {
    if (ok_ && used_ != 0) ok_ = sink_.Write(std::string_view(buffer_.data(), used_));
    used_ = 0;
  }

  ByteSink& sink_;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace quidora::csv
