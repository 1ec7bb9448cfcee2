// A byte buffer whose start is aligned for unbuffered device access (a multiple of
// 4096, which covers every sector size in use). Allocated once, freed with its owner;
// an allocation that fails leaves the buffer empty instead of throwing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <span>

namespace vexa {

class TAlignedBuffer {
public:
  static constexpr std::size_t kAlignment = 4096;

  TAlignedBuffer() = default;
  explicit TAlignedBuffer(std::size_t size) { Allocate(size); }
  ~TAlignedBuffer() { Free(); }
  TAlignedBuffer(const TAlignedBuffer&) = delete;
  TAlignedBuffer& operator=(const TAlignedBuffer&) = delete;
  TAlignedBuffer(TAlignedBuffer&& other) noexcept : data(other.data), size(other.size) {
    other.data = nullptr;
    other.size = 0;
  }

  // False when the memory could not be had (the buffer is then empty).
  bool Allocate(std::size_t bytes) {
    Free();
    if (bytes == 0) return true;
    data = static_cast<std::uint8_t*>(::operator new(bytes, std::align_val_t{kAlignment}, std::nothrow));
    if (data) size = bytes;
    return data != nullptr;
  }
  void Free() {
    if (data) ::operator delete(data, std::align_val_t{kAlignment});
    data = nullptr;
    size = 0;
  }

  bool Empty() const { return size == 0; }
  std::span<std::uint8_t> Span() { return {data, size}; }

private:
  std::uint8_t* data = nullptr;
  std::size_t size = 0;
};

}  // namespace vexa
