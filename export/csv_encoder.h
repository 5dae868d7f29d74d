// Turns the 16-bit texts of export lines into the bytes of one encoding, gathering them in a
// buffer that goes to a ByteSink whenever it fills. Used by the three file formats only.
//
// The encoding is a template parameter so that the per-character work of a million-line file
// has no branch on it.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

#include "export/csv_files.h"
#include "platform/code_page.h"

namespace quidora::csv {

template <bool kUnicode>
class Encoder {
 public:
  static constexpr std::size_t kUnitBytes = kUnicode ? 2 : 1;

  explicit Encoder(ByteSink& sink) : sink_(sink), buffer_(new char[kBufferBytes]) {}
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // False once the sink has refused bytes; everything after that is dropped.
  bool ok() const { return ok_; }

  void Put(std::u16string_view text) {
    PutWith(text, [](char16_t unit) { return unit; });
  }

  // The ASCII punctuation and words of the program's own lines.
  void Put(char unit) {
    if (used_ + kUnitBytes > kBufferBytes) Flush();
    Store(static_cast<char16_t>(static_cast<unsigned char>(unit)));
  }

  // A memo as the file shows it: quotes, apostrophes and grave accents become spaces, and so do
  // both characters of a CR LF pair (a lone CR or LF stays).
  void PutMemo(std::u16string_view memo) {
    std::size_t start = 0;
    while (start < memo.size()) {
      std::size_t pair = memo.find(u"\r\n", start);
      if (pair == std::u16string_view::npos) pair = memo.size();
      PutWith(memo.substr(start, pair - start), [](char16_t unit) {
        return unit == u'"' || unit == u'\'' || unit == u'`' ? u' ' : unit;
      });
      if (pair < memo.size()) Put(u"  ");
      start = pair + 2;
    }
  }

  void EndLine() {
    Put('\r');
    Put('\n');
  }

  // Hands the rest to the sink; the result of the whole file.
  bool Finish() {
    Flush();
    return ok_;
  }

 private:
  static constexpr std::size_t kBufferBytes = std::size_t{1} << 18;

  template <typename Map>
  void PutWith(std::u16string_view text, Map map) {
    while (!text.empty()) {
      std::size_t room = (kBufferBytes - used_) / kUnitBytes;
      if (room == 0) {
        Flush();
        room = kBufferBytes / kUnitBytes;
      }
      const std::size_t count = text.size() < room ? text.size() : room;
      for (std::size_t i = 0; i < count; ++i) Store(map(text[i]));
      text.remove_prefix(count);
    }
  }

  // The caller has made room for one unit.
  void Store(char16_t unit) {
    char* at = buffer_.get() + used_;
    if constexpr (kUnicode) {
      at[0] = static_cast<char>(unit & 0xFF);
      at[1] = static_cast<char>(unit >> 8);
    } else {
      *at = unit < 0x80 ? static_cast<char>(unit) : platform::Windows1252Byte(unit);
    }
    used_ += kUnitBytes;
  }

  void Flush() {
    if (ok_ && used_ != 0) ok_ = sink_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

  ByteSink& sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool ok_ = true;
};

}  // namespace quidora::csv
