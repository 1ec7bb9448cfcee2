// The attribute table: block storage and the searches of the data and threshold
// entries. Every read goes through the bounds-safe byte helpers.
#include "knowledge/SmartAttributes.h"

#include <algorithm>

namespace vexa {

TSmartIdSet MakeSmartIdSet(std::initializer_list<std::uint8_t> ids) {
  TSmartIdSet set;
  for (std::uint8_t id : ids) set.set(id);
  return set;
}

void TSmartAttributes::Clear() {
  data.fill(0);
  thresholds.fill(0);
}

void TSmartAttributes::Assign(TBytes dataBytes, TBytes thresholdBytes) {
  Clear();
  std::copy_n(dataBytes.begin(), std::min(dataBytes.size(), data.size()), data.begin());
  std::copy_n(thresholdBytes.begin(), std::min(thresholdBytes.size(), thresholds.size()), thresholds.begin());
}

std::size_t TSmartAttributes::Count() const {
  std::size_t count = 0;
  while (count < kSmartEntryCount && Entry(count).Id() != 0) ++count;
  return count;
}

TSmartEntry TSmartAttributes::Entry(std::size_t index) const {
  if (index >= kSmartEntryCount) return {};
  return TSmartEntry(TBytes(data).subspan(kSmartEntryOffset + index * kSmartEntrySize, kSmartEntrySize));
}

TSmartEntry TSmartAttributes::FindById(std::uint8_t id) const {
  for (std::size_t i = 0; i < kSmartEntryCount; ++i) {
    const TSmartEntry entry = Entry(i);
    if (entry.Id() == 0) break;
    if (entry.Id() == id) return entry;
  }
  return {};
}

TSmartEntry TSmartAttributes::FindFirstOf(const TSmartIdSet& ids) const {
  for (std::size_t i = 0; i < kSmartEntryCount; ++i) {
    const TSmartEntry entry = Entry(i);
    if (entry.Id() == 0) break;
    if (ids.test(entry.Id())) return entry;
  }
  return {};
}

std::uint8_t TSmartAttributes::ThresholdOf(std::uint8_t id) const {
  const TBytes block(thresholds);
  for (std::size_t i = 0; i < kSmartEntryCount; ++i) {
    const std::size_t offset = kSmartEntryOffset + i * kSmartEntrySize;
    if (GetU8(block, offset) == id) return GetU8(block, offset + 1);
  }
  return 0;
}

}  // namespace vexa
