// The decoder list and the capacity formatters of the two hard-disk schemes whose
// capacity digits do not carry their unit: Western Digital puts the unit in the
// following letter, Hitachi writes tens of gigabytes that also read as terabytes.
#include "knowledge/decoders/ModelDecoders.h"

namespace vexa {

// The capacity digits are followed by a letter that gives the unit (the first
// letter of its meaning, G or T). The digits carry one more place than the unit:
// 5000 with A is 500 GB, 10 with E is 1 TB; the newer F format keeps the
// generation in the digits after the first (6002 is 6 TB).
std::string TModelDecoderWdcHdd::FormatCapacity(int index, std::string_view capture) const {
  const TCaptureAction* unitAction = Actions().GetAction(index + 1);
  if (!unitAction || unitAction->kind != TCaptureAction::TKind::Table || index + 1 >= Regex().CaptureCount())
    return std::string(capture);
  const std::string& unitCapture = Regex().GetCapture(index + 1);
  if (unitCapture.empty()) return std::string(capture);
  const std::string_view letter = std::string_view(unitCapture).substr(0, 1);
  const TCodeEntry* entry = FindCode(unitAction->table, letter);
  if (!entry || entry->meaning.empty()) return std::string(capture);

  std::string digits(capture);
  if (letter == "F" && digits.size() >= 4)
    digits.resize(1);
  else if (!digits.empty())
    digits.pop_back();
  return FormatCapacityText(digits + entry->meaning[0]);
}

// The same two digits read as tens of gigabytes and as terabytes with one decimal:
// 50 is shown as "500.0 G字節 / 5.0 T字節".
std::string TModelDecoderHitachiHdd::FormatCapacity(int, std::string_view capture) const {
  std::string text = FormatCapacityText(std::string(capture) + "0G");
  if (capture.size() >= 2) {
    const std::string terabytes{capture[0], 'T', capture[1]};
    text += " / " + FormatCapacityText(terabytes);
  }
  return text;
}

std::vector<std::unique_ptr<TModelDecoder>> CreateModelDecoders() {
  std::vector<std::unique_ptr<TModelDecoder>> decoders;
  decoders.reserve(kModelDecoderCount);
  decoders.push_back(std::make_unique<TModelDecoderSamsung>());
  decoders.push_back(std::make_unique<TModelDecoderIntel>());
  decoders.push_back(std::make_unique<TModelDecoderOCZ>());
  decoders.push_back(std::make_unique<TModelDecoderLiteOn>());
  decoders.push_back(std::make_unique<TModelDecoderKingston>());
  decoders.push_back(std::make_unique<TModelDecoderSanDisk>());
  decoders.push_back(std::make_unique<TModelDecoderToshiba>());
  decoders.push_back(std::make_unique<TModelDecoderCrucial>());
  decoders.push_back(std::make_unique<TModelDecoderMicron>());
  decoders.push_back(std::make_unique<TModelDecoderMushkin>());
  decoders.push_back(std::make_unique<TModelDecoderTranscend>());
  decoders.push_back(std::make_unique<TModelDecoderWdcHdd>());
  decoders.push_back(std::make_unique<TModelDecoderHitachiHdd>());
  decoders.push_back(std::make_unique<TModelDecoderSeagateHdd>());
  return decoders;
}

}  // namespace vexa
