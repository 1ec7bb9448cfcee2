// An NVMe drive's Identify Controller and Identify Namespace as the Identify page
// lists them: one row per field with its byte offset, its size, its label and its
// value, controller fields first, then the namespace's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vexa {

struct TNvmeDrive;

struct TNvmeIdentifyRow {
  std::uint16_t offset = 0;
  std::uint16_t size = 0;
  bool namespaceField = false;  // from Identify Namespace
  std::string label;
  std::string value;
};

std::vector<TNvmeIdentifyRow> NvmeIdentifyRows(const TNvmeDrive& drive);
// "[80+4] 版本: 1.3" (the namespace's rows say "命名空間" first).
std::string NvmeIdentifyCopyText(const TNvmeIdentifyRow& row);

}  // namespace vexa
