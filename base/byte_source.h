// A sequence of bytes of known size that is produced piece by piece, so that
// a large message can be sent without ever being held whole.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace vorn {

class ByteSource {
 public:
  virtual ~ByteSource() = default;

  // The number of bytes from the first to the last, whatever has been read.
  virtual uint64_t Size() const = 0;
  // Writes the next bytes into dst[0, max) and returns how many: `max` or,
  // at the end, fewer (0 once everything has been read). Throws what
  // producing the bytes throws.
  virtual size_t Read(char* dst, size_t max) = 0;
  // Starts again at the first byte.
  virtual void Rewind() = 0;
};

// Bytes held in memory, read from a view of them; the caller keeps them
// alive and unchanged while the source is read.
class ViewSource : public ByteSource {
 public:
  explicit ViewSource(std::string_view bytes) : bytes_(bytes) {}

  uint64_t Size() const override { return bytes_.size(); }
  size_t Read(char* dst, size_t max) override {
    const size_t n = std::min(max, bytes_.size() - pos_);
    if (n > 0) std::memcpy(dst, bytes_.data() + pos_, n);
    pos_ += n;
    return n;
  }
  void Rewind() override { pos_ = 0; }

 private:
  std::string_view bytes_;
  size_t pos_ = 0;
};

// Bytes owned by the source.
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string bytes) : bytes_(std::move(bytes)), view_(bytes_) {}
  StringSource(const StringSource&) = delete;
  StringSource& operator=(const StringSource&) = delete;

  uint64_t Size() const override { return view_.Size(); }
  size_t Read(char* dst, size_t max) override { return view_.Read(dst, max); }
  void Rewind() override { view_.Rewind(); }

 private:
  std::string bytes_;
  ViewSource view_;  // over bytes_
};

// Every byte of `source` from its start, as one string.
inline std::string ReadAll(ByteSource& source) {
  source.Rewind();
  std::string out(static_cast<size_t>(source.Size()), '\0');
  size_t at = 0;
  while (at < out.size()) {
    const size_t n = source.Read(out.data() + at, out.size() - at);
    if (n == 0) break;
    at += n;
  }
  out.resize(at);
  return out;
}

}  // namespace vorn
