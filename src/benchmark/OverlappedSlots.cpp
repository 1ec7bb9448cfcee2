#include "benchmark/OverlappedSlots.h"

#include <algorithm>

namespace vexa {

TOverlappedSlots::~TOverlappedSlots() {
  for (const TSlot& slot : slots) machine.FreeIoSlot(slot.id);
  machine.Close(handle);
}

bool TOverlappedSlots::Create(std::size_t count, std::uint32_t blockSize) {
  slots.resize(count);
  for (TSlot& slot : slots) {
    slot.id = machine.CreateIoSlot();
    slot.buffer = machine.IoBuffer(blockSize);
    if (slot.id == kNoIoSlot || slot.buffer.Empty()) return false;
    ids.push_back(slot.id);
  }
  return true;
}

bool TOverlappedSlots::Issue(std::size_t i, std::uint64_t offset) {
  TSlot& slot = slots[i];
  slot.offset = offset;
  slot.start = machine.Counter();
  slot.inFlight = machine.ReadOverlapped(handle, slot.id, offset, slot.buffer.Span()).ok;
  return slot.inFlight;
}

bool TOverlappedSlots::AnyInFlight() const {
  return std::any_of(slots.begin(), slots.end(), [](const TSlot& slot) { return slot.inFlight; });
}

std::optional<std::size_t> TOverlappedSlots::WaitAny(std::uint32_t timeoutMs) {
  const TWaitResult result = machine.WaitIoSlots(ids, false, timeoutMs);
  if (result.outcome != TWaitOutcome::Signalled || result.index >= slots.size()) return std::nullopt;
  slots[result.index].inFlight = false;
  return result.index;
}

void TOverlappedSlots::WaitAll(std::uint32_t timeoutMs) {
  std::vector<TIoSlot> pending;
  for (const TSlot& slot : slots) {
    if (slot.inFlight) pending.push_back(slot.id);
  }
  if (!pending.empty()) machine.WaitIoSlots(pending, true, timeoutMs);
}

}  // namespace vexa
