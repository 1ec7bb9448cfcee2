// A byte buffer whose start is aligned for unbuffered device access (a multiple of
// 4096, which covers every sector size in use). Allocated once, freed with its owner;
// an allocation that fails leaves the buffer empty instead of throwing. A platform
// may hand over memory of its own making with the function that frees it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <span>
#include <utility>

namespace vexa {

class TAlignedBuffer {
public:
  static constexpr std::size_t kAlignment = 4096;
  using TRelease = void (*)(std::uint8_t* data, std::size_t size);

  TAlignedBuffer() = default;
  explicit TAlignedBuffer(std::size_t size) { Allocate(size); }
  // Takes memory allocated elsewhere (aligned at least as kAlignment); release frees it.
  TAlignedBuffer(std::uint8_t* memory, std::size_t bytes, TRelease release)
      : data(memory), size(memory ? bytes : 0), release(release) {}
  ~TAlignedBuffer() { Free(); }
  TAlignedBuffer(const TAlignedBuffer&) = delete;
  TAlignedBuffer& operator=(const TAlignedBuffer&) = delete;
  TAlignedBuffer(TAlignedBuffer&& other) noexcept : data(other.data), size(other.size), release(other.release) {
    other.data = nullptr;
    other.size = 0;
  }
  TAlignedBuffer& operator=(TAlignedBuffer&& other) noexcept {
    if (this != &other) {
      Free();
      data = std::exchange(other.data, nullptr);
      size = std::exchange(other.size, 0);
      release = other.release;
    }
    return *this;
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
    if (data) release(data, size);
    data = nullptr;
    size = 0;
    release = &ReleaseAligned;
  }

  bool Empty() const { return size == 0; }
  std::span<std::uint8_t> Span() { return {data, size}; }

private:
  static void ReleaseAligned(std::uint8_t* memory, std::size_t) { ::operator delete(memory, std::align_val_t{kAlignment}); }

  std::uint8_t* data = nullptr;
  std::size_t size = 0;
  TRelease release = &ReleaseAligned;
};

}  // namespace vexa
