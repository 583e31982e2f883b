#pragma once
// Bounds-checked reading and writing of binary data. Every read checks its range in 64-bit
// arithmetic and copies the value out with memcpy; nothing overlays a struct on the buffer.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rw {

using Bytes = std::vector<std::uint8_t>;
using ByteSpan = std::span<const std::uint8_t>;

inline ByteSpan AsBytes(std::string_view s) {
  return ByteSpan(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}
inline std::string ToString(ByteSpan b) {
  return std::string(reinterpret_cast<const char*>(b.data()), b.size());
}

// True when [offset, offset + length) lies inside a buffer of `size` bytes.
inline bool RangeOk(std::uint64_t size, std::uint64_t offset, std::uint64_t length) {
  return offset <= size && length <= size - offset;
}

// Reads values at explicit offsets or sequentially; a failed read returns nullopt and never
// moves the position.
class ByteReader {
 public:
  explicit ByteReader(ByteSpan data) : data_(data) {}

  std::size_t size() const { return data_.size(); }
  std::size_t pos() const { return pos_; }
  std::size_t remaining() const { return data_.size() - pos_; }
  bool Seek(std::uint64_t pos) {
    if (pos > data_.size()) return false;
    pos_ = static_cast<std::size_t>(pos);
    return true;
  }

  std::optional<ByteSpan> SpanAt(std::uint64_t offset, std::uint64_t length) const {
    if (!RangeOk(data_.size(), offset, length)) return std::nullopt;
    return data_.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(length));
  }
  std::optional<std::uint8_t> U8At(std::uint64_t o) const { return Le<std::uint8_t>(o); }
  std::optional<std::uint16_t> U16LeAt(std::uint64_t o) const { return Le<std::uint16_t>(o); }
  std::optional<std::uint32_t> U32LeAt(std::uint64_t o) const { return Le<std::uint32_t>(o); }
  std::optional<std::uint16_t> U16BeAt(std::uint64_t o) const { return Be<std::uint16_t>(o); }
  std::optional<std::uint32_t> U32BeAt(std::uint64_t o) const { return Be<std::uint32_t>(o); }
  std::optional<std::int32_t> I32LeAt(std::uint64_t o) const {
    auto v = U32LeAt(o);
    if (!v) return std::nullopt;
    return static_cast<std::int32_t>(*v);
  }
  std::optional<double> F64LeAt(std::uint64_t o) const {
    auto s = SpanAt(o, 8);
    if (!s) return std::nullopt;
    std::uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | (*s)[static_cast<std::size_t>(i)];
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
  }

  std::optional<std::uint8_t> U8() { return Advance(U8At(pos_), 1); }
  std::optional<std::uint16_t> U16Le() { return Advance(U16LeAt(pos_), 2); }
  std::optional<std::uint32_t> U32Le() { return Advance(U32LeAt(pos_), 4); }
  std::optional<std::uint16_t> U16Be() { return Advance(U16BeAt(pos_), 2); }
  std::optional<std::uint32_t> U32Be() { return Advance(U32BeAt(pos_), 4); }
  std::optional<ByteSpan> Take(std::uint64_t n) {
    auto s = SpanAt(pos_, n);
    if (s) pos_ += static_cast<std::size_t>(n);
    return s;
  }

 private:
  template <typename T>
  std::optional<T> Le(std::uint64_t o) const {
    auto s = SpanAt(o, sizeof(T));
    if (!s) return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) v = (v << 8) | (*s)[i];
    return static_cast<T>(v);
  }
  template <typename T>
  std::optional<T> Be(std::uint64_t o) const {
    auto s = SpanAt(o, sizeof(T));
    if (!s) return std::nullopt;
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i) v = (v << 8) | (*s)[i];
    return static_cast<T>(v);
  }
  template <typename T>
  std::optional<T> Advance(std::optional<T> v, std::size_t n) {
    if (v) pos_ += n;
    return v;
  }

  ByteSpan data_;
  std::size_t pos_ = 0;
};

// Appends values to a byte vector.
class ByteWriter {
 public:
  void U8(std::uint8_t v) { out_.push_back(v); }
  void U16Le(std::uint16_t v) { PutLe(v, 2); }
  void U32Le(std::uint32_t v) { PutLe(v, 4); }
  void I32Le(std::int32_t v) { PutLe(static_cast<std::uint32_t>(v), 4); }
  void U16Be(std::uint16_t v) { PutBe(v, 2); }
  void U32Be(std::uint32_t v) { PutBe(v, 4); }
  void F64Le(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    PutLe(bits, 8);
  }
  void Append(ByteSpan b) { out_.insert(out_.end(), b.begin(), b.end()); }
  void Append(std::string_view s) { Append(AsBytes(s)); }
  void Fill(std::size_t n, std::uint8_t v = 0) { out_.insert(out_.end(), n, v); }

  std::size_t size() const { return out_.size(); }
  Bytes& bytes() { return out_; }
  Bytes Take() { return std::move(out_); }

 private:
  void PutLe(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  void PutBe(std::uint64_t v, int n) {
    for (int i = n - 1; i >= 0; --i) out_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  Bytes out_;
};

}  // namespace rw
