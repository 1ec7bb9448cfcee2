// The names the SMART page gives the health log's fields, in the layout's order.
#include <array>

#include "device/NvmeData.h"
#include "platform/NvmeHealthLayout.h"

namespace vexa {

namespace {

constexpr std::string_view kNames[] = {
    "嚴重警告",       "綜合溫度",       "可用備用空間",   "可用備用空間閾值", "已使用壽命百分比",
    "讀取資料單位",   "寫入資料單位",   "主機讀取命令",   "主機寫入命令",     "控制器忙碌時間",
    "電源循環次數",   "通電時間",       "不安全關機次數", "媒體與資料完整性錯誤", "錯誤記錄項目數",
    "警告溫度時間",   "嚴重溫度時間",   "溫度感測器 1",   "溫度感測器 2",     "溫度感測器 3",
    "溫度感測器 4",   "溫度感測器 5",   "溫度感測器 6",   "溫度感測器 7",     "溫度感測器 8",
};
constexpr std::size_t kCount = std::size(kNvmeHealthLayout);
static_assert(std::size(kNames) == kCount, "one name per field of the layout");

constexpr std::array<TNvmeHealthField, kCount> kFields = [] {
  std::array<TNvmeHealthField, kCount> fields{};
  for (std::size_t i = 0; i < kCount; ++i)
    fields[i] = {kNvmeHealthLayout[i].offset, kNvmeHealthLayout[i].size, kNvmeHealthLayout[i].key, kNames[i]};
  return fields;
}();

}  // namespace

std::span<const TNvmeHealthField> NvmeHealthFields() { return kFields; }

const TNvmeHealthField* FindNvmeHealthField(std::string_view key) {
  for (const TNvmeHealthField& field : kFields)
    if (field.key == key) return &field;
  return nullptr;
}

}  // namespace vexa
