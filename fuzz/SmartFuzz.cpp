// Decodes arbitrary SMART blocks with every controller family: the input fills the
// data block and then the threshold block (missing bytes are zero). Every entry is
// named, formatted and judged; every key attribute is looked up, in both
// temperature units.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "knowledge/SmartAttributes.h"
#include "knowledge/SmartDescriptors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vexa;
  const std::span<const std::uint8_t> input(data, size);
  const std::size_t dataBytes = size < kSmartBlockSize ? size : kSmartBlockSize;
  TSmartAttributes attributes;
  attributes.Assign(input.first(dataBytes), input.subspan(dataBytes));

  std::size_t sink = attributes.Count();
  for (std::size_t i = 0; i <= kSmartEntryCount; ++i) {
    const TSmartEntry entry = attributes.Entry(i);
    sink += attributes.FindById(entry.Id()).IsNone() ? 0 : 1;
    sink += attributes.ThresholdOf(entry.Id());
    sink += attributes.FindFirstOf(MakeSmartIdSet({entry.Id(), 9, 194})).IsNone() ? 0 : 1;
  }
  for (std::size_t k = 0; k < kSmartDescriptorKindCount; ++k) {
    const auto descriptor = CreateSmartDescriptor(static_cast<TSmartDescriptorKind>(k));
    descriptor->SetAttributes(&attributes);
    for (bool fahrenheit : {false, true}) {
      descriptor->SetFahrenheit(fahrenheit);
      for (std::size_t i = 0; i <= kSmartEntryCount; ++i) {
        const TSmartEntry entry = attributes.Entry(i);
        sink += descriptor->FormatRawValue(entry).size();
        sink += static_cast<std::size_t>(descriptor->AttributeStatus(entry));
        sink += descriptor->AttributeName(entry.Id()).size();
        sink += descriptor->FormatTemperature(entry.Current()).size();
        sink += descriptor->FormatHours(entry.Raw32()).size();
      }
      for (int kind = -1; kind <= kSmartKeyKindCount; ++kind) {
        const TSmartEntry key = descriptor->FindKeyAttribute(static_cast<TSmartKeyKind>(kind));
        if (key) sink += descriptor->FormatRawValue(key).size();
      }
    }
    // A descriptor without a table finds nothing.
    descriptor->SetAttributes(nullptr);
    sink += descriptor->FindKeyAttribute(TSmartKeyKind::Temperature).IsNone() ? 0 : 1;
  }
  // The choice of family from bytes of the input.
  if (size > 0) {
    const std::string controller(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    sink += CreateSmartDescriptorFor((data[0] & 1) != 0, data[0] >> 1, controller.c_str()) ? 1 : 0;
  }
  volatile std::size_t keep = sink;
  (void)keep;
  return 0;
}
