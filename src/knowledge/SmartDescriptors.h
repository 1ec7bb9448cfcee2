// The eleven controller families and the choice of a family for a drive. Each
// family only adds names and, for the flash controllers, its own raw-value and
// key-attribute rules; everything it does not handle falls back to the base.
#pragma once

#include <memory>
#include <string_view>

#include "knowledge/SmartDescriptor.h"

namespace vexa {

class TSmartDescriptorSamsung : public TSmartDescriptor {
public:
  TSmartDescriptorSamsung();
  std::string FormatRawValue(TSmartEntry entry) const override;
};

class TSmartDescriptorIntel : public TSmartDescriptor {
public:
  TSmartDescriptorIntel();
  std::string FormatRawValue(TSmartEntry entry) const override;
  TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const override;
};

class TSmartDescriptorSandForce : public TSmartDescriptor {
public:
  TSmartDescriptorSandForce();
  std::string FormatRawValue(TSmartEntry entry) const override;
  TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const override;
};

class TSmartDescriptorMarvell : public TSmartDescriptor {
public:
  TSmartDescriptorMarvell();
  std::string FormatRawValue(TSmartEntry entry) const override;
  TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const override;
};

class TSmartDescriptorJMicron : public TSmartDescriptor {
public:
  TSmartDescriptorJMicron();
  std::string FormatRawValue(TSmartEntry entry) const override;
};

class TSmartDescriptorIndilinx : public TSmartDescriptor {
public:
  TSmartDescriptorIndilinx();
  std::string FormatRawValue(TSmartEntry entry) const override;
  TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const override;
};

class TSmartDescriptorSiliconMotion : public TSmartDescriptor {
public:
  TSmartDescriptorSiliconMotion();
  std::string FormatRawValue(TSmartEntry entry) const override;
  TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const override;
};

class TSmartDescriptorLinkAMedia : public TSmartDescriptor {
public:
  TSmartDescriptorLinkAMedia();
  std::string FormatRawValue(TSmartEntry entry) const override;
  TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const override;
};

class TSmartDescriptorPhison : public TSmartDescriptor {
public:
  TSmartDescriptorPhison();
  std::string FormatRawValue(TSmartEntry entry) const override;
  TSmartEntry FindKeyAttribute(TSmartKeyKind kind) const override;
};

// Hard disks of brand 9.
class TSmartDescriptorMechWdc : public TSmartDescriptor {
public:
  TSmartDescriptorMechWdc();
};

class TSmartDescriptorFallback : public TSmartDescriptor {
public:
  TSmartDescriptorFallback();
};

std::unique_ptr<TSmartDescriptor> CreateSmartDescriptor(TSmartDescriptorKind kind);
// By display name ("Samsung", "MechWdc", ...; ASCII case ignored); null when unknown.
std::unique_ptr<TSmartDescriptor> CreateSmartDescriptorByName(std::string_view name);

// The descriptor of a drive: hard disks by brand; Intel SSDs always Intel; other
// SSDs by the first controller-table name contained in the known-drive row's
// controller text (case-sensitive; null when the drive has no row), then by brand.
std::unique_ptr<TSmartDescriptor> CreateSmartDescriptorFor(bool solidState, int brandIndex, const char* controller);

}  // namespace vexa
