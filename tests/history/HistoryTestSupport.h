// Readings made up row by row, a folder of its own for each test's history files,
// and the shared real-drive samples.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <random>
#include <string>
#include <utility>

#include "history/SmartReading.h"

namespace vexa::test {

inline TCalendarTime At(int day, int hour, int minute = 0) {
  TCalendarTime t;
  t.year = 2024;
  t.month = 3;
  t.day = static_cast<std::uint16_t>(day);
  t.hour = static_cast<std::uint16_t>(hour);
  t.minute = static_cast<std::uint16_t>(minute);
  return t;
}

inline TSmartReading AtaReading(std::initializer_list<TSmartRow> rows, TSmartStatus verdict = TSmartStatus::Good,
                                std::string descriptor = "Fallback", TCalendarTime time = At(1, 12)) {
  TSmartReading reading;
  reading.driveKey = DriveKey("Made-up HDD", "SERIAL1");
  reading.model = "Made-up HDD";
  reading.firmware = "1.0";
  reading.descriptor = std::move(descriptor);
  reading.verdict = verdict;
  reading.time = time;
  reading.rows = rows;
  return reading;
}

inline TSmartReading NvmeReading(std::initializer_list<std::pair<const char*, TUInt128>> values,
                                 TSmartStatus verdict = TSmartStatus::Good) {
  TSmartReading reading;
  reading.driveKey = DriveKey("Made-up NVMe", "SERIAL2");
  reading.model = "Made-up NVMe";
  reading.descriptor = std::string(TSmartReading::kNvmeDescriptor);
  reading.verdict = verdict;
  reading.time = At(1, 12);
  for (const auto& [key, value] : values) reading.health.push_back({key, value});
  return reading;
}

// A folder under the system's temporary folder, removed with everything in it.
class TTempFolder {
public:
  TTempFolder() {
    std::random_device random;
    path = std::filesystem::temp_directory_path() / ("vexa-history-" + std::to_string(random()));
    std::filesystem::create_directories(path);
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
  }
  std::string File(const std::string& name) const { return (path / name).string(); }

private:
  std::filesystem::path path;
};

inline std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void WriteText(const std::string& file, const std::string& text) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace vexa::test
