// The controller table: 11 rows; Barefoot and Everest controllers report their
// attributes the Indilinx way.
#include "knowledge/SmartControllerTable.h"

namespace vexa {

namespace {

constexpr TSmartAttribController kControllers[] = {
    {"Samsung", TSmartDescriptorKind::Samsung},
    {"Intel", TSmartDescriptorKind::Intel},
    {"SandForce", TSmartDescriptorKind::SandForce},
    {"Marvell", TSmartDescriptorKind::Marvell},
    {"JMicron", TSmartDescriptorKind::JMicron},
    {"Indilinx", TSmartDescriptorKind::Indilinx},
    {"Barefoot", TSmartDescriptorKind::Indilinx},
    {"Everest", TSmartDescriptorKind::Indilinx},
    {"Silicon Motion", TSmartDescriptorKind::SiliconMotion},
    {"Link_A_Media", TSmartDescriptorKind::LinkAMedia},
    {"Phison", TSmartDescriptorKind::Phison},
};

}  // namespace

std::span<const TSmartAttribController> SmartControllerTable() {
  return kControllers;
}

}  // namespace vexa
