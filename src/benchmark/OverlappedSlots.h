// The overlapped-read slots of a queued run: per slot a completion slot of the
// machine, its own aligned buffer, the offset it reads and the count when it was
// issued. The set owns the device handle: on destruction every slot is freed
// (which cancels and waits for its read, so no buffer is released while a read
// could still fill it), then the handle is closed.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/Machine.h"
#include "support/AlignedBuffer.h"

namespace vexa {

class TOverlappedSlots {
public:
  struct TSlot {
    TIoSlot id = kNoIoSlot;
    TAlignedBuffer buffer;
    std::uint64_t offset = 0;
    std::int64_t start = 0;  // the counter when the read was issued
    bool inFlight = false;
  };

  TOverlappedSlots(Machine& machine, THandle handle) : machine(machine), handle(handle) {}
  ~TOverlappedSlots();
  TOverlappedSlots(const TOverlappedSlots&) = delete;
  TOverlappedSlots& operator=(const TOverlappedSlots&) = delete;

  // count slots with a buffer of blockSize bytes each; false when a slot or its
  // memory could not be had.
  bool Create(std::size_t count, std::uint32_t blockSize);
  std::size_t Count() const { return slots.size(); }
  const TSlot& operator[](std::size_t i) const { return slots[i]; }

  // Starts slot i's read at offset; false (and the slot idle) when it could not start.
  bool Issue(std::size_t i, std::uint64_t offset);
  bool AnyInFlight() const;
  // The slot that completed next; none after a failed or timed-out wait.
  std::optional<std::size_t> WaitAny(std::uint32_t timeoutMs);
  // Waits for the reads still in flight. A slot whose read never started would
  // never be signalled, so it is left out of the wait.
  void WaitAll(std::uint32_t timeoutMs);

private:
  Machine& machine;
  THandle handle;
  std::vector<TSlot> slots;
  std::vector<TIoSlot> ids;
};

}  // namespace vexa
