// The fields of the NVMe SMART / Health Information log page (02h, 512 bytes) at
// their byte offsets, in log order, with the names the program knows them by (its
// console output, the machine file's health table and the report use them). Bytes
// 6-31 and everything after the eighth temperature sensor are reserved or optional
// and not listed.
#pragma once

#include <cstdint>
#include <string_view>

namespace vexa {

struct TNvmeHealthKey {
  std::uint16_t offset;
  std::uint8_t size;  // 1, 2, 4 or 16 bytes, little-endian
  std::string_view key;
};

inline constexpr TNvmeHealthKey kNvmeHealthLayout[] = {
    {0, 1, "critical_warning"},
    {1, 2, "temperature"},
    {3, 1, "available_spare"},
    {4, 1, "available_spare_threshold"},
    {5, 1, "percentage_used"},
    {32, 16, "data_units_read"},
    {48, 16, "data_units_written"},
    {64, 16, "host_read_commands"},
    {80, 16, "host_write_commands"},
    {96, 16, "controller_busy_minutes"},
    {112, 16, "power_cycles"},
    {128, 16, "power_on_hours"},
    {144, 16, "unsafe_shutdowns"},
    {160, 16, "media_errors"},
    {176, 16, "error_log_entries"},
    {192, 4, "warning_temperature_minutes"},
    {196, 4, "critical_temperature_minutes"},
    {200, 2, "temperature_sensor_1"},
    {202, 2, "temperature_sensor_2"},
    {204, 2, "temperature_sensor_3"},
    {206, 2, "temperature_sensor_4"},
    {208, 2, "temperature_sensor_5"},
    {210, 2, "temperature_sensor_6"},
    {212, 2, "temperature_sensor_7"},
    {214, 2, "temperature_sensor_8"},
};

}  // namespace vexa
