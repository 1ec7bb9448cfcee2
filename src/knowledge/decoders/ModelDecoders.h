// The fourteen model-number decoders, one class per vendor scheme, and the one
// place that creates them in their fixed order. Every decoder is tried on a model
// string and every match is shown; several generic patterns match other vendors'
// model numbers too, which is expected.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "knowledge/decoders/ModelDecoder.h"

namespace vexa {

class TModelDecoderSamsung final : public TModelDecoder {
public:
  TModelDecoderSamsung() { Define(SamsungDecoderTables()); }
  std::string_view GetName() const override { return SamsungDecoderTables().name; }
};

class TModelDecoderIntel final : public TModelDecoder {
public:
  TModelDecoderIntel() { Define(IntelDecoderTables()); }
  std::string_view GetName() const override { return IntelDecoderTables().name; }
};

class TModelDecoderOCZ final : public TModelDecoder {
public:
  TModelDecoderOCZ() { Define(OczDecoderTables()); }
  std::string_view GetName() const override { return OczDecoderTables().name; }
};

class TModelDecoderLiteOn final : public TModelDecoder {
public:
  TModelDecoderLiteOn() { Define(LiteOnDecoderTables()); }
  std::string_view GetName() const override { return LiteOnDecoderTables().name; }
};

class TModelDecoderKingston final : public TModelDecoder {
public:
  TModelDecoderKingston() { Define(KingstonDecoderTables()); }
  std::string_view GetName() const override { return KingstonDecoderTables().name; }
};

class TModelDecoderSanDisk final : public TModelDecoder {
public:
  TModelDecoderSanDisk() { Define(SanDiskDecoderTables()); }
  std::string_view GetName() const override { return SanDiskDecoderTables().name; }
};

class TModelDecoderToshiba final : public TModelDecoder {
public:
  TModelDecoderToshiba() { Define(ToshibaDecoderTables()); }
  std::string_view GetName() const override { return ToshibaDecoderTables().name; }
};

class TModelDecoderCrucial final : public TModelDecoder {
public:
  TModelDecoderCrucial() { Define(CrucialDecoderTables()); }
  std::string_view GetName() const override { return CrucialDecoderTables().name; }
};

class TModelDecoderMicron final : public TModelDecoder {
public:
  TModelDecoderMicron() { Define(MicronDecoderTables()); }
  std::string_view GetName() const override { return MicronDecoderTables().name; }
};

class TModelDecoderMushkin final : public TModelDecoder {
public:
  TModelDecoderMushkin() { Define(MushkinDecoderTables()); }
  std::string_view GetName() const override { return MushkinDecoderTables().name; }
};

class TModelDecoderTranscend final : public TModelDecoder {
public:
  TModelDecoderTranscend() { Define(TranscendDecoderTables()); }
  std::string_view GetName() const override { return TranscendDecoderTables().name; }
};

class TModelDecoderWdcHdd final : public TModelDecoder {
public:
  TModelDecoderWdcHdd() { Define(WdcHddDecoderTables()); }
  std::string_view GetName() const override { return WdcHddDecoderTables().name; }
  std::string FormatCapacity(int index, std::string_view capture) const override;
};

class TModelDecoderHitachiHdd final : public TModelDecoder {
public:
  TModelDecoderHitachiHdd() { Define(HitachiHddDecoderTables()); }
  std::string_view GetName() const override { return HitachiHddDecoderTables().name; }
  std::string FormatCapacity(int index, std::string_view capture) const override;
};

class TModelDecoderSeagateHdd final : public TModelDecoder {
public:
  TModelDecoderSeagateHdd() { Define(SeagateHddDecoderTables()); }
  std::string_view GetName() const override { return SeagateHddDecoderTables().name; }
};

inline constexpr int kModelDecoderCount = 14;

// One instance of each decoder, in the fixed order of the list (Samsung first,
// the hard-disk schemes last).
std::vector<std::unique_ptr<TModelDecoder>> CreateModelDecoders();

}  // namespace vexa
