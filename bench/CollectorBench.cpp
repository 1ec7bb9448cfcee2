// vexa-collector's pages over a full database: 100 000 generated reports of a few
// hundred models (Zipf-like, so that the largest have thousands of reports and most
// a few dozen; a quarter of the reports repeat a drive already reported), in SQLite
// or in the PostgreSQL database VEXA_TEST_DB names (bench/collector.sh runs both).
// The reports go in as rows without figures, in one transaction, and opening the
// store gives them their figures (timed: the back-fill a database of an older
// collector gets). Then the service answers over loopback HTTP: the index, the list
// of models, and the page and figures of the largest model and of a typical one.
// Target: every page under 50 ms. Not a test: ctest never runs it.
#include <benchmark/benchmark.h>
#include <httplib.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <pqxx/pqxx>
#include <random>
#include <thread>

#include "Markup.h"
#include "ModelPages.h"
#include "Service.h"
#include "Store.h"

namespace vexa::collector {
namespace {

constexpr int Reports = 100000;
constexpr int Models = 300;

struct TRow {
  std::int64_t received;
  std::string model;
  std::string kind;
  std::string text;
};

std::vector<std::uint32_t> AtaWords(const std::string& text, std::size_t count) {
  const std::string padded = (text + std::string(count * 2, ' ')).substr(0, count * 2);
  std::vector<std::uint32_t> words;
  for (std::size_t i = 0; i < count; ++i)
    words.push_back(static_cast<unsigned char>(padded[2 * i]) << 8 | static_cast<unsigned char>(padded[2 * i + 1]));
  return words;
}

nlohmann::json Attribute(const char* name, int id, std::uint64_t raw, const std::string& text) {
  return {{"名稱", name}, {"索引", id}, {"值", 100}, {"不良", 100}, {"閾", 0}, {"原\xEF\xBF\xBD", raw}, {"格式化", text}};
}

std::string ModelName(int index) {
  static const char* const Makers[] = {"VEXA", "Quill", "Norden", "Talis", "Orbis"};
  char name[64];
  std::snprintf(name, sizeof name, "%s %s%03d-%dGB", Makers[index % 5], index % 7 == 0 ? "NVMe " : "SSD ", index,
                128 << (index % 5));
  return name;
}

// Deterministic, so that every run measures the same database.
std::vector<TRow> GenerateReports() {
  std::mt19937_64 random(20261209);
  std::vector<double> weights;
  for (int i = 0; i < Models; ++i) weights.push_back(1.0 / (i + 1));
  std::discrete_distribution<int> modelOf(weights.begin(), weights.end());
  std::vector<int> reported(Models, 0);
  std::vector<TRow> rows;
  rows.reserve(Reports);
  const auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
  for (int i = 0; i < Reports; ++i) {
    const int model = modelOf(random);
    // A quarter of the reports come again from a drive of the model reported before.
    const int drive = reported[model] > 0 && chance(0.25)
                          ? static_cast<int>(random() % static_cast<std::uint64_t>(reported[model]))
                          : reported[model]++;
    const bool nvme = model % 7 == 0;
    const std::string name = ModelName(model);
    const std::string serial = "S" + std::to_string(model) + "X" + std::to_string(drive);
    const std::uint64_t hours = random() % 45000;
    nlohmann::json report = {
        {"timestamp", 1700000000 + i},
        {"app版本", "16.09.09"},
        {"win版本", "10.0.19045"},
        {"信箱", ""},
        {"留言", ""},
        {"裝置訊息",
         {{"裝置類型", "SSD"}, {"已知裝置", false}, {"型號", name}, {"韌體", "1.0"}, {"容量", 256060514304},
          {"效能", "LBA48, SMART, NCQ, TRIM"}, {"介面", nvme ? "NVMe 1.4" : "SATA 3.2"},
          {"ATA主要版本", nvme ? "n/a" : "ACS-3"}, {"全球通用名稱", "0-000000-000000000"}}},
        {"裝置詳細資訊",
         {{"製造商", "未知"}, {"型號", ""}, {"控制", ""}, {"顆粒", ""}, {"技術", ""}, {"元件", ""}, {"啟動", ""}}},
        {"smart屬性", nlohmann::json::array()},
        {"識別碼", nlohmann::json::array()},
    };
    if (nvme) {
      report["nvme"] = {{"model", name},
                        {"serial", serial},
                        {"health",
                         {{"power_on_hours", hours},
                          {"percentage_used", random() % 40},
                          {"media_errors", chance(0.03) ? 1 + random() % 5 : 0},
                          {"data_units_written", random() % 200000000}}}};
    } else {
      std::vector<std::uint32_t> words(256, 0);
      const auto serialWords = AtaWords(serial, 10);
      const auto modelWords = AtaWords(name, 20);
      std::copy(serialWords.begin(), serialWords.end(), words.begin() + 10);
      std::copy(modelWords.begin(), modelWords.end(), words.begin() + 27);
      report["識別碼"] = words;
      const std::uint64_t reallocated = chance(0.05) ? 1 + random() % 100 : 0;
      const std::uint64_t pending = chance(0.02) ? 1 + random() % 10 : 0;
      char written[32];
      std::snprintf(written, sizeof written, "%.3f TB", static_cast<double>(random() % 100000) / 1000);
      report["smart屬性"] = {
          Attribute("重新分配扇區次數", 5, reallocated, reallocated ? std::to_string(reallocated) : ""),
          Attribute("開機時間 (POH)", 9, hours, std::to_string(hours / 24) + "d " + std::to_string(hours % 24) + "h"),
          Attribute("電源周期次數", 12, 1000, "1,000"),
          Attribute("目前掛起扇區次數", 197, pending, pending ? std::to_string(pending) : ""),
          Attribute("無法糾正扇區次數", 198, 0, ""),
          Attribute("總計 LBA 寫入", 241, 1, written),
      };
    }
    rows.push_back({1700000000 + i, name, "SSD", report.dump()});
  }
  return rows;
}

// Rows as a collector without figures would have left them.
void InsertRows(const std::string& address, const std::vector<TRow>& rows) {
  if (address.starts_with("sqlite:")) {
    sqlite3* db = nullptr;
    if (sqlite3_open(address.substr(7).c_str(), &db) != SQLITE_OK) throw std::runtime_error("cannot open the database");
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO reports (received_at, model, firmware, kind, size_bytes, report)"
                       " VALUES (?, ?, '1.0', ?, 256060514304, ?)",
                       -1, &insert, nullptr);
    for (const TRow& row : rows) {
      sqlite3_bind_int64(insert, 1, row.received);
      sqlite3_bind_text(insert, 2, row.model.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 3, row.kind.c_str(), -1, SQLITE_STATIC);
      sqlite3_bind_text(insert, 4, row.text.c_str(), -1, SQLITE_STATIC);
      if (sqlite3_step(insert) != SQLITE_DONE) throw std::runtime_error(sqlite3_errmsg(db));
      sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
  } else {
    pqxx::connection connection(address);
    pqxx::work work(connection);
    pqxx::stream_to stream(work, "reports",
                           std::vector<std::string>{"received_at", "model", "firmware", "kind", "size_bytes", "report"});
    for (const TRow& row : rows)
      stream << std::make_tuple(row.received, row.model, std::string("1.0"), row.kind, std::int64_t{256060514304}, row.text);
    stream.complete();
    work.commit();
  }
}

struct TService {
  std::unique_ptr<TReportStore> store;
  httplib::Server server;
  std::thread listener;
  int port = 0;
  std::string bigModel;
  std::string typicalModel;
};

TService* Service = nullptr;

void GetPage(benchmark::State& state, const std::string& path) {
  httplib::Client client("127.0.0.1", Service->port);
  client.set_keep_alive(true);
  std::size_t bytes = 0;
  for (auto _ : state) {
    const auto answer = client.Get(path.c_str());
    if (!answer || answer->status != 200) {
      state.SkipWithError(("GET " + path + " failed").c_str());
      break;
    }
    bytes = answer->body.size();
  }
  state.counters["bytes"] = static_cast<double>(bytes);
}

}  // namespace
}  // namespace vexa::collector

int main(int argc, char** argv) {
  using namespace vexa::collector;
  using Clock = std::chrono::steady_clock;
  benchmark::Initialize(&argc, argv);
  std::filesystem::path directory;
  std::string address;
  if (const char* database = std::getenv("VEXA_TEST_DB")) {
    address = database;
  } else {
    directory = std::filesystem::temp_directory_path() / ("vexa-collector-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory);
    address = "sqlite:" + (directory / "reports.db").string();
  }
  int status = 0;
  try {
    TService service;
    Service = &service;
    OpenReportStore(address).reset();  // the schema
    auto started = Clock::now();
    const std::vector<TRow> rows = GenerateReports();
    const auto generated = Clock::now();
    InsertRows(address, rows);
    const auto inserted = Clock::now();
    service.store = OpenReportStore(address);
    const auto filled = Clock::now();
    const auto seconds = [](Clock::time_point from, Clock::time_point to) {
      return std::chrono::duration<double>(to - from).count();
    };
    std::printf("%s: %d reports generated in %.1f s, inserted in %.1f s, given their figures on opening in %.1f s\n",
                address.starts_with("sqlite:") ? "SQLite" : "PostgreSQL", Reports, seconds(started, generated),
                seconds(generated, inserted), seconds(inserted, filled));
    if (!address.starts_with("sqlite:")) {
      // What autovacuum does a while after a bulk load: statistics for the planner and
      // the visibility map that lets counts read indexes alone. Measured in that state.
      pqxx::connection connection(address);
      pqxx::nontransaction work(connection);
      work.exec("VACUUM ANALYZE reports");
      std::printf("PostgreSQL: vacuumed and analysed in %.1f s\n", seconds(filled, Clock::now()));
    }

    const auto models = service.store->Models(Models);
    service.bigModel = models.front().model;
    service.typicalModel = models[models.size() / 2].model;
    std::printf("%zu models; the largest, %s, has %lld reports from %lld drives; a typical one %lld\n", models.size(),
                service.bigModel.c_str(), static_cast<long long>(models.front().reports),
                static_cast<long long>(models.front().drives), static_cast<long long>(models[models.size() / 2].reports));

    ConfigureService(service.server, *service.store);
    service.server.set_logger([](const httplib::Request&, const httplib::Response&) {});
    service.port = BindService(service.server, "127.0.0.1", 0);
    if (service.port < 0) throw std::runtime_error("cannot listen on the loopback address");
    service.listener = std::thread([&service] { service.server.listen_after_bind(); });
    while (!service.server.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    const std::pair<const char*, std::string> pages[] = {
        {"IndexPage", "/vexa/"},
        {"ModelsPage", "/vexa/models/"},
        {"BigModelPage", ModelPath(service.bigModel)},
        {"BigModelFigures", ModelPath(service.bigModel) + "figures.json"},
        {"TypicalModelPage", ModelPath(service.typicalModel)},
    };
    for (const auto& [name, path] : pages) {
      benchmark::RegisterBenchmark(name, [path = path](benchmark::State& state) { GetPage(state, path); })
          ->Unit(benchmark::kMillisecond)
          ->UseRealTime();
    }
    benchmark::RunSpecifiedBenchmarks();
    service.server.stop();
    service.listener.join();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "vexa_collector_bench: %s\n", error.what());
    status = 1;
  }
  benchmark::Shutdown();
  if (!directory.empty()) std::filesystem::remove_all(directory);
  return status;
}
