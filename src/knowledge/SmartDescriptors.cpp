// Raw-value and key-attribute rules of each controller family, and the factory.
// Byte counts come in family-specific units: 512-byte LBAs, 32 MiB, 1 GiB or
// 16 KiB pages; "¤ " marks counts whose unit is an estimate.
#include "knowledge/SmartDescriptors.h"
#include "knowledge/KnownBrands.h"

#include "knowledge/SmartControllerTable.h"
#include "support/Format.h"
#include "support/Text.h"

namespace vexa {

namespace {

constexpr std::uint64_t kLba = 512;
constexpr std::uint64_t kPage = 16384;
constexpr std::uint64_t kMiB32 = 32 * 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * 1024 * 1024;

}  // namespace

// --- Samsung ------------------------------------------------------------------

TSmartDescriptorSamsung::TSmartDescriptorSamsung()
    : TSmartDescriptor(TSmartDescriptorKind::Samsung, SmartNamesSamsung()) {}

std::string TSmartDescriptorSamsung::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 241:
    case 242:
      return ByteSize(entry.Raw(), kLba);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

// --- Intel --------------------------------------------------------------------

TSmartDescriptorIntel::TSmartDescriptorIntel()
    : TSmartDescriptor(TSmartDescriptorKind::Intel, SmartNamesIntel()) {}

std::string TSmartDescriptorIntel::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 225:
    case 241:
    case 242:
      return ByteSize(entry.Raw(), kMiB32);
    case 249:
      return ByteSize(entry.Raw(), kGiB);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

TSmartEntry TSmartDescriptorIntel::FindKeyAttribute(TSmartKeyKind kind) const {
  if (kind == TSmartKeyKind::HostWrites) return FindFirstOf({225, 241, 249});
  return TSmartDescriptor::FindKeyAttribute(kind);
}

// --- SandForce ----------------------------------------------------------------

TSmartDescriptorSandForce::TSmartDescriptorSandForce()
    : TSmartDescriptor(TSmartDescriptorKind::SandForce, SmartNamesSandForce()) {}

std::string TSmartDescriptorSandForce::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 1:
      return Plain(entry.Raw() >> 32);
    case 189:
      return FormatTemperature(static_cast<std::uint8_t>(entry.Raw()));
    case 230:
      return Percent(entry.Raw32());
    case 231:
      return Percent(entry.Current());
    case 233:
    case 234:
    case 241:
    case 242:
      return ByteSize(entry.Raw32(), kGiB);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

TSmartEntry TSmartDescriptorSandForce::FindKeyAttribute(TSmartKeyKind kind) const {
  if (kind == TSmartKeyKind::HostWrites) return FindFirstOf({233, 234, 241});
  if (kind == TSmartKeyKind::RemainingLife) return FindFirstOf({230, 231});
  return TSmartDescriptor::FindKeyAttribute(kind);
}

// --- Marvell ------------------------------------------------------------------

TSmartDescriptorMarvell::TSmartDescriptorMarvell()
    : TSmartDescriptor(TSmartDescriptorKind::Marvell, SmartNamesMarvell()) {}

std::string TSmartDescriptorMarvell::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 181:
      return Format("%d / %d", entry.Raw32() & 0xFFFF, entry.Raw32() >> 16);
    case 202:
      return Percent(entry.Current());
    case 241:
    case 242:
      return ByteSize(entry.Raw(), kMiB32);
    case 246:
      return ByteSize(entry.Raw(), kLba);
    case 247:
    case 248:
      return MarkedByteSize(entry.Raw(), kPage);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

TSmartEntry TSmartDescriptorMarvell::FindKeyAttribute(TSmartKeyKind kind) const {
  if (kind == TSmartKeyKind::HostWrites) return FindFirstOf({241, 246, 247});
  if (kind == TSmartKeyKind::RemainingLife) return FindById(202);
  return TSmartDescriptor::FindKeyAttribute(kind);
}

// --- JMicron ------------------------------------------------------------------

TSmartDescriptorJMicron::TSmartDescriptorJMicron()
    : TSmartDescriptor(TSmartDescriptorKind::JMicron, SmartNamesJMicron()) {}

std::string TSmartDescriptorJMicron::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 241:
    case 242:
      return MarkedByteSize(entry.Raw(), kLba);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

// --- Indilinx -----------------------------------------------------------------

TSmartDescriptorIndilinx::TSmartDescriptorIndilinx()
    : TSmartDescriptor(TSmartDescriptorKind::Indilinx, SmartNamesIndilinx()) {}

std::string TSmartDescriptorIndilinx::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 198:
    case 199:
    case 241:
    case 242:
      return ByteSize(entry.Raw32(), kGiB);
    case 209:
    case 233:
      return Percent(entry.Current());
    case 232:
      return MarkedByteSize(entry.Raw(), kLba);
    case 249:
      return ByteSize(entry.Raw(), kPage);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

TSmartEntry TSmartDescriptorIndilinx::FindKeyAttribute(TSmartKeyKind kind) const {
  if (kind == TSmartKeyKind::HostWrites) return FindFirstOf({199, 232, 241, 249});
  if (kind == TSmartKeyKind::HostReads) return FindFirstOf({198, 242});
  if (kind == TSmartKeyKind::RemainingLife) return FindFirstOf({209, 233});
  return TSmartDescriptor::FindKeyAttribute(kind);
}

// --- Silicon Motion -----------------------------------------------------------

TSmartDescriptorSiliconMotion::TSmartDescriptorSiliconMotion()
    : TSmartDescriptor(TSmartDescriptorKind::SiliconMotion, SmartNamesSiliconMotion()) {}

std::string TSmartDescriptorSiliconMotion::FormatRawValue(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 169:
    case 230:
    case 231:
      return Percent(entry.Current());
    case 225:
    case 241:
    case 242:
      return ByteSize(entry.Raw(), kMiB32);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

TSmartEntry TSmartDescriptorSiliconMotion::FindKeyAttribute(TSmartKeyKind kind) const {
  if (kind == TSmartKeyKind::HostWrites) return FindFirstOf({225, 241});
  if (kind == TSmartKeyKind::RemainingLife) return FindFirstOf({169, 230, 231});
  return TSmartDescriptor::FindKeyAttribute(kind);
}

// --- Link_A_Media and Phison: the same rules, their own names ------------------

TSmartDescriptorLinkAMedia::TSmartDescriptorLinkAMedia()
    : TSmartDescriptor(TSmartDescriptorKind::LinkAMedia, SmartNamesLinkAMedia()) {}

// 231 is the remaining life; 241 and 242 count host writes and reads in GiB.
std::string TSmartDescriptor::FormatLifeAndGiB(TSmartEntry entry) const {
  switch (entry.Id()) {
    case 231:
      return Percent(entry.Current());
    case 241:
    case 242:
      return ByteSize(entry.Raw32(), kGiB);
    default:
      return TSmartDescriptor::FormatRawValue(entry);
  }
}

std::string TSmartDescriptorLinkAMedia::FormatRawValue(TSmartEntry entry) const { return FormatLifeAndGiB(entry); }

TSmartEntry TSmartDescriptorLinkAMedia::FindKeyAttribute(TSmartKeyKind kind) const {
  if (kind == TSmartKeyKind::RemainingLife) return FindById(231);
  return TSmartDescriptor::FindKeyAttribute(kind);
}

TSmartDescriptorPhison::TSmartDescriptorPhison()
    : TSmartDescriptor(TSmartDescriptorKind::Phison, SmartNamesPhison()) {}

std::string TSmartDescriptorPhison::FormatRawValue(TSmartEntry entry) const { return FormatLifeAndGiB(entry); }

TSmartEntry TSmartDescriptorPhison::FindKeyAttribute(TSmartKeyKind kind) const {
  if (kind == TSmartKeyKind::RemainingLife) return FindById(231);
  return TSmartDescriptor::FindKeyAttribute(kind);
}

// --- Names only ---------------------------------------------------------------

TSmartDescriptorMechWdc::TSmartDescriptorMechWdc()
    : TSmartDescriptor(TSmartDescriptorKind::MechWdc, SmartNamesMechWdc()) {}

TSmartDescriptorFallback::TSmartDescriptorFallback()
    : TSmartDescriptor(TSmartDescriptorKind::Fallback, SmartNamesFallback()) {}

// --- Creation -----------------------------------------------------------------

std::unique_ptr<TSmartDescriptor> CreateSmartDescriptor(TSmartDescriptorKind kind) {
  switch (kind) {
    case TSmartDescriptorKind::Samsung:
      return std::make_unique<TSmartDescriptorSamsung>();
    case TSmartDescriptorKind::Intel:
      return std::make_unique<TSmartDescriptorIntel>();
    case TSmartDescriptorKind::SandForce:
      return std::make_unique<TSmartDescriptorSandForce>();
    case TSmartDescriptorKind::Marvell:
      return std::make_unique<TSmartDescriptorMarvell>();
    case TSmartDescriptorKind::JMicron:
      return std::make_unique<TSmartDescriptorJMicron>();
    case TSmartDescriptorKind::Indilinx:
      return std::make_unique<TSmartDescriptorIndilinx>();
    case TSmartDescriptorKind::SiliconMotion:
      return std::make_unique<TSmartDescriptorSiliconMotion>();
    case TSmartDescriptorKind::LinkAMedia:
      return std::make_unique<TSmartDescriptorLinkAMedia>();
    case TSmartDescriptorKind::Phison:
      return std::make_unique<TSmartDescriptorPhison>();
    case TSmartDescriptorKind::MechWdc:
      return std::make_unique<TSmartDescriptorMechWdc>();
    case TSmartDescriptorKind::Fallback:
      break;
  }
  return std::make_unique<TSmartDescriptorFallback>();
}

std::unique_ptr<TSmartDescriptor> CreateSmartDescriptorByName(std::string_view name) {
  for (std::size_t i = 0; i < kSmartDescriptorKindCount; ++i) {
    const auto kind = static_cast<TSmartDescriptorKind>(i);
    if (SameTextAscii(name, SmartDescriptorKindName(kind))) return CreateSmartDescriptor(kind);
  }
  return nullptr;
}

std::unique_ptr<TSmartDescriptor> CreateSmartDescriptorFor(bool solidState, int brandIndex, const char* controller) {
  if (!solidState)
    return CreateSmartDescriptor(brandIndex == kBrandWesternDigital ? TSmartDescriptorKind::MechWdc
                                                                          : TSmartDescriptorKind::Fallback);
  if (brandIndex == kBrandIntel) return CreateSmartDescriptor(TSmartDescriptorKind::Intel);
  if (controller != nullptr) {
    const std::string_view text(controller);
    for (const TSmartAttribController& row : SmartControllerTable())
      if (text.find(row.controller) != std::string_view::npos) return CreateSmartDescriptor(row.kind);
  }
  switch (brandIndex) {
    case kBrandSamsung:
      return CreateSmartDescriptor(TSmartDescriptorKind::Samsung);
    case kBrandWesternDigital:
      return CreateSmartDescriptor(TSmartDescriptorKind::MechWdc);
    case kBrandSandForce:
      return CreateSmartDescriptor(TSmartDescriptorKind::SandForce);
    default:
      return CreateSmartDescriptor(TSmartDescriptorKind::Fallback);
  }
}

}  // namespace vexa
