// The fields of the NVMe SMART / Health Information log, in log order. Bytes 6-31
// and everything after the eighth temperature sensor are reserved or optional and
// not listed.
#include "device/NvmeData.h"

namespace vexa {

namespace {

constexpr TNvmeHealthField kFields[] = {
    {0, 1, "critical_warning", "嚴重警告"},
    {1, 2, "temperature", "綜合溫度"},
    {3, 1, "available_spare", "可用備用空間"},
    {4, 1, "available_spare_threshold", "可用備用空間閾值"},
    {5, 1, "percentage_used", "已使用壽命百分比"},
    {32, 16, "data_units_read", "讀取資料單位"},
    {48, 16, "data_units_written", "寫入資料單位"},
    {64, 16, "host_read_commands", "主機讀取命令"},
    {80, 16, "host_write_commands", "主機寫入命令"},
    {96, 16, "controller_busy_minutes", "控制器忙碌時間"},
    {112, 16, "power_cycles", "電源循環次數"},
    {128, 16, "power_on_hours", "通電時間"},
    {144, 16, "unsafe_shutdowns", "不安全關機次數"},
    {160, 16, "media_errors", "媒體與資料完整性錯誤"},
    {176, 16, "error_log_entries", "錯誤記錄項目數"},
    {192, 4, "warning_temperature_minutes", "警告溫度時間"},
    {196, 4, "critical_temperature_minutes", "嚴重溫度時間"},
    {200, 2, "temperature_sensor_1", "溫度感測器 1"},
    {202, 2, "temperature_sensor_2", "溫度感測器 2"},
    {204, 2, "temperature_sensor_3", "溫度感測器 3"},
    {206, 2, "temperature_sensor_4", "溫度感測器 4"},
    {208, 2, "temperature_sensor_5", "溫度感測器 5"},
    {210, 2, "temperature_sensor_6", "溫度感測器 6"},
    {212, 2, "temperature_sensor_7", "溫度感測器 7"},
    {214, 2, "temperature_sensor_8", "溫度感測器 8"},
};

}  // namespace

std::span<const TNvmeHealthField> NvmeHealthFields() { return kFields; }

}  // namespace vexa
