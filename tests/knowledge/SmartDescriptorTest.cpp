// Descriptors: name tables, raw-value texts per family, threshold verdicts, key
// attributes, and the choice of a family for a drive.
#include "knowledge/SmartDescriptors.h"

#include <gtest/gtest.h>

#include "knowledge/SmartControllerTable.h"
#include "knowledge/SmartTestTables.h"

namespace vexa {
namespace {

using K = TSmartDescriptorKind;
using test::MakeTable;

// --- Names ----------------------------------------------------------------------

struct TNameTableCase {
  K kind;
  std::span<const TSmartNameRow> (*table)();
  std::size_t count;
};

const TNameTableCase kNameTables[] = {
    {K::Samsung, SmartNamesSamsung, 16},
    {K::Intel, SmartNamesIntel, 23},
    {K::SandForce, SmartNamesSandForce, 30},
    {K::Marvell, SmartNamesMarvell, 45},
    {K::JMicron, SmartNamesJMicron, 17},
    {K::Indilinx, SmartNamesIndilinx, 32},
    {K::SiliconMotion, SmartNamesSiliconMotion, 41},
    {K::LinkAMedia, SmartNamesLinkAMedia, 12},
    {K::Phison, SmartNamesPhison, 29},
    {K::MechWdc, SmartNamesMechWdc, 9},
    {K::Fallback, SmartNamesFallback, 65},
};

TEST(SmartNames, TablesHaveTheirCountsInAscendingIdOrder) {
  ASSERT_EQ(std::size(kNameTables), kSmartDescriptorKindCount);
  EXPECT_EQ(SmartBaseNames().size(), 13u);
  for (const TNameTableCase& c : kNameTables) {
    SCOPED_TRACE(SmartDescriptorKindName(c.kind));
    const auto rows = c.table();
    EXPECT_EQ(rows.size(), c.count);
    for (std::size_t i = 1; i < rows.size(); ++i) EXPECT_LT(rows[i - 1].id, rows[i].id) << "row " << i;
    // Every row of the table is what the descriptor shows for that id.
    const auto descriptor = CreateSmartDescriptor(c.kind);
    EXPECT_EQ(descriptor->Kind(), c.kind);
    for (const TSmartNameRow& row : rows) EXPECT_EQ(descriptor->AttributeName(row.id), row.name);
  }
}

TEST(SmartNames, BaseNamesAndGaps) {
  // MechWdc names only 191..200, so it shows the base layout almost untouched.
  const auto d = CreateSmartDescriptor(K::MechWdc);
  const std::pair<int, std::string_view> cases[] = {
      {0, "<Unknown>"},          {1, "原始讀取錯誤率"},     {4, "啟動/停止次數"},
      {9, "開機時間 (POH)"},     {13, "軟讀取錯誤率"},      {14, "<Reserved>"},
      {189, "<Reserved>"},       {190, "<Unknown>"},        {201, "<Unknown>"},
      {209, "<Unknown>"},        {210, "<Reserved>"},       {219, "<Reserved>"},
      {220, "<Unknown>"},        {228, "<Unknown>"},        {229, "<Reserved>"},
      {230, "<Unknown>"},        {231, "<Unknown>"},        {232, "<Vendor Specific>"},
      {239, "<Vendor Specific>"}, {240, "<Unknown>"},       {241, "<Vendor Specific>"},
      {255, "<Vendor Specific>"}, {256, "<Unknown>"},       {-1, "<Unknown>"},
      {192, "Emergency Retract Count"},
  };
  for (const auto& [id, name] : cases) EXPECT_EQ(d->AttributeName(id), name) << "id " << id;
  int named = 0;
  for (int id = 1; id <= 255; ++id) named += d->AttributeName(id) != "<Unknown>";
  EXPECT_EQ(named, 13 + 187 + 23 + 9);
}

TEST(SmartNames, FamilyNamesReplaceBaseNamesOnly) {
  struct TCase {
    K kind;
    int id;
    std::string_view name;
  };
  const TCase cases[] = {
      {K::Samsung, 177, "損耗均衡次數"},
      {K::Samsung, 9, "開機時間 (POH)"},   // base name kept
      {K::Samsung, 200, "<Unknown>"},
      {K::Samsung, 243, "<Vendor Specific>"},
      {K::Intel, 192, "Unsafe Shutdown Count (Power-Off Retract Count)"},
      {K::SandForce, 5, "隱藏塊計數"},     // replaces a base name
      {K::SandForce, 184, "已報告的 I/O 錯誤檢驗代碼錯誤 (IOEDC 錯誤)"},
      {K::Marvell, 210, "成功 RAIN 還原次數"},  // replaces "<Reserved>"
      {K::Marvell, 248, "FTL 程式頁次數"},
      {K::JMicron, 229, "停止系統 ID, 快閃記憶體"},
      {K::Indilinx, 249, "總計 NAND 編程次數"},
      {K::SiliconMotion, 160, "Uncorrectable Sector Count"},
      {K::LinkAMedia, 250, "讀取錯誤重試率"},
      {K::Phison, 33, "<供應商特定>"},
      {K::Phison, 192, "不安全關閉次數 (?)"},
      {K::Fallback, 254, "自由跌落保護"},
      {K::Fallback, 203, "用完取消"},
  };
  for (const TCase& c : cases) {
    EXPECT_EQ(CreateSmartDescriptor(c.kind)->AttributeName(c.id), c.name)
        << SmartDescriptorKindName(c.kind) << " id " << c.id;
  }
}

TEST(SmartNames, DisplayNamesAndCreationByName) {
  const std::string_view expected[] = {"Samsung", "Intel", "SandForce", "Marvell", "JMicron", "Indilinx",
                                       "SiliconMotion", "LinkAMedia", "Phison", "MechWdc", "Fallback"};
  for (std::size_t i = 0; i < kSmartDescriptorKindCount; ++i) {
    const auto kind = static_cast<K>(i);
    EXPECT_EQ(CreateSmartDescriptor(kind)->DisplayName(), expected[i]);
    const auto byName = CreateSmartDescriptorByName(expected[i]);
    ASSERT_TRUE(byName);
    EXPECT_EQ(byName->Kind(), kind);
  }
  EXPECT_EQ(CreateSmartDescriptorByName("siliconmotion")->Kind(), K::SiliconMotion);
  EXPECT_FALSE(CreateSmartDescriptorByName("TSmartDescriptorSamsung"));
  EXPECT_FALSE(CreateSmartDescriptorByName(""));
  EXPECT_FALSE(CreateSmartDescriptor(K::Fallback)->Fahrenheit());
}

// --- Raw values -----------------------------------------------------------------

struct TRawCase {
  K kind;
  std::uint8_t id;
  std::uint8_t current;
  std::uint64_t raw;
  std::string_view text;
};

const TRawCase kRawCases[] = {
    // Base rules (Fallback and MechWdc have no rules of their own).
    {K::Fallback, 3, 100, 1234, "1,234 ms"},
    {K::Fallback, 3, 100, 0, ""},
    {K::Fallback, 3, 100, 0x0001'0000'0005ull, "5 ms"},  // low 32 bits only
    {K::Fallback, 9, 100, 1000, "41d 16h"},
    {K::Fallback, 9, 100, 0x0001'0000'0019ull, "1d 1h"},
    {K::Fallback, 9, 100, 0, "0d 0h"},
    {K::Fallback, 194, 100, 0x28, "40 °C"},
    {K::Fallback, 194, 100, 0x003C'0014'0028ull, "40 °C"},  // min/max packed above the low byte
    {K::Fallback, 190, 100, 0x1D, "29 °C"},
    {K::Fallback, 5, 100, 0, ""},
    {K::Fallback, 5, 100, 1234567, "1,234,567"},
    {K::Fallback, 241, 100, 2097152, "2,097,152"},
    {K::MechWdc, 200, 100, 0xFFFF'FFFF'FFFFull, "281,474,976,710,655"},
    // Samsung
    {K::Samsung, 241, 100, 2097152, "1.00 GB"},
    {K::Samsung, 242, 100, 1, "512 bytes"},
    {K::Samsung, 242, 100, 0, ""},
    {K::Samsung, 200, 100, 77, "77"},
    {K::Samsung, 190, 100, 30, "30 °C"},
    // Intel: units of 32 MiB and of 1 GiB
    {K::Intel, 241, 100, 100, "3.13 GB"},
    {K::Intel, 225, 100, 820, "25.63 GB"},
    {K::Intel, 242, 100, 4634, "144.81 GB"},
    {K::Intel, 249, 100, 3, "3.00 GB"},
    {K::Intel, 233, 98, 0, ""},
    // SandForce
    {K::SandForce, 1, 100, 0x0002'0000'0005ull, "2"},
    {K::SandForce, 1, 100, 5, ""},
    {K::SandForce, 189, 100, 0x1E, "30 °C"},
    {K::SandForce, 194, 100, 0x1F, "31 °C"},
    {K::SandForce, 230, 100, 90, "90 %"},
    {K::SandForce, 231, 97, 0, "97 %"},
    {K::SandForce, 233, 100, 0x0001'0000'0010ull, "16.00 GB"},
    {K::SandForce, 234, 100, 1, "1.00 GB"},
    {K::SandForce, 241, 100, 1024, "1.000 TB"},
    {K::SandForce, 242, 100, 0, ""},
    // Marvell
    {K::Marvell, 181, 100, 0x0003'0002, "2 / 3"},
    {K::Marvell, 202, 95, 12, "95 %"},
    {K::Marvell, 241, 100, 100, "3.13 GB"},
    {K::Marvell, 246, 100, 2097152, "1.00 GB"},
    {K::Marvell, 247, 100, 65536, "¤ 1.00 GB"},
    {K::Marvell, 248, 100, 1, "¤ 16.0 kB"},
    {K::Marvell, 248, 100, 0, "¤ "},
    // JMicron
    {K::JMicron, 241, 100, 2097152, "¤ 1.00 GB"},
    {K::JMicron, 9, 100, 48, "2d 0h"},
    // Indilinx
    {K::Indilinx, 198, 100, 2, "2.00 GB"},
    {K::Indilinx, 199, 100, 0x0001'0000'0002ull, "2.00 GB"},
    {K::Indilinx, 209, 80, 3, "80 %"},
    {K::Indilinx, 233, 70, 3, "70 %"},
    {K::Indilinx, 232, 100, 2097152, "¤ 1.00 GB"},
    {K::Indilinx, 249, 100, 65536, "1.00 GB"},
    // Silicon Motion
    {K::SiliconMotion, 169, 99, 5, "99 %"},
    {K::SiliconMotion, 230, 98, 5, "98 %"},
    {K::SiliconMotion, 231, 97, 5, "97 %"},
    {K::SiliconMotion, 225, 100, 32, "1.00 GB"},
    {K::SiliconMotion, 242, 100, 100, "3.13 GB"},
    // Link_A_Media and Phison
    {K::LinkAMedia, 231, 88, 1, "88 %"},
    {K::LinkAMedia, 241, 100, 0x0001'0000'0002ull, "2.00 GB"},
    {K::Phison, 231, 7, 93, "7 %"},
    {K::Phison, 242, 100, 4563, "4.456 TB"},
    {K::Phison, 241, 100, 0, ""},
};

TEST(SmartRawValue, RulesPerFamily) {
  for (const TRawCase& c : kRawCases) {
    const TSmartAttributes table = MakeTable({{c.id, c.current, c.current, c.raw}});
    const auto d = CreateSmartDescriptor(c.kind);
    d->SetAttributes(&table);
    EXPECT_EQ(d->FormatRawValue(table.Entry(0)), c.text)
        << SmartDescriptorKindName(c.kind) << " id " << int(c.id) << " raw " << c.raw;
  }
}

TEST(SmartRawValue, TemperatureInFahrenheit) {
  const auto d = CreateSmartDescriptor(K::Fallback);
  d->SetFahrenheit(true);
  EXPECT_EQ(d->FormatTemperature(40), "104 °F");
  EXPECT_EQ(d->FormatTemperature(41), "105 °F");  // 105.8 truncated
  EXPECT_EQ(d->FormatTemperature(0), "32 °F");
  EXPECT_EQ(d->FormatTemperature(255), "491 °F");
  const TSmartAttributes table = MakeTable({{194, 100, 100, 0x28}, {189, 100, 100, 0x28}});
  EXPECT_EQ(d->FormatRawValue(table.Entry(0)), "104 °F");
  const auto sandForce = CreateSmartDescriptor(K::SandForce);
  sandForce->SetFahrenheit(true);
  EXPECT_EQ(sandForce->FormatRawValue(table.Entry(1)), "104 °F");
  EXPECT_EQ(d->FormatHours(0xFFFF'FFFFu), "178956970d 15h");
}

TEST(SmartRawValue, HugeCountsSaturateInsteadOfWrapping) {
  // 2^48 - 1 units of 32 MiB or 1 GiB pass 64 bits; a wrapped product would show a
  // small or empty size.
  const TSmartAttributes table = MakeTable({{249, 100, 100, 0xFFFF'FFFF'FFFFull}, {241, 100, 100, 0x0800'0000'0000ull}});
  const auto intel = CreateSmartDescriptor(K::Intel);
  EXPECT_EQ(intel->FormatRawValue(table.Entry(0)), "8,192.0000 PB");
  EXPECT_EQ(intel->FormatRawValue(table.Entry(1)), "8,192.0000 PB");
}

// --- Verdicts -------------------------------------------------------------------

TEST(SmartStatus, VerdictsAgainstTheThreshold) {
  struct TCase {
    int threshold;  // -1: the thresholds block has no entry for the id
    std::uint8_t current, worst;
    std::uint64_t raw;
    TSmartStatus status;
  };
  const TCase cases[] = {
      {-1, 100, 100, 0, TSmartStatus::Good},
      {-1, 100, 100, 5, TSmartStatus::None},
      {0, 1, 1, 0, TSmartStatus::Good},  // threshold 0 never judges the values
      {10, 100, 5, 0, TSmartStatus::WorstReached},
      {10, 100, 10, 0, TSmartStatus::WorstReached},
      {10, 10, 50, 0, TSmartStatus::CurrentReached},
      {10, 9, 100, 0, TSmartStatus::CurrentReached},
      {10, 0, 5, 0, TSmartStatus::CurrentReached},
      {10, 0, 0, 0, TSmartStatus::None},
      {10, 100, 100, 12345, TSmartStatus::Good},
      {10, 11, 11, 0, TSmartStatus::Good},
  };
  const auto d = CreateSmartDescriptor(K::Samsung);
  for (const TCase& c : cases) {
    TSmartAttributes table = MakeTable({{5, c.current, c.worst, c.raw}});
    if (c.threshold >= 0) test::PutThreshold(table.ThresholdBlock(), 0, 5, static_cast<std::uint8_t>(c.threshold));
    d->SetAttributes(&table);
    EXPECT_EQ(d->AttributeStatus(table.Entry(0)), c.status)
        << "threshold " << c.threshold << " current " << int(c.current) << " worst " << int(c.worst);
  }
  EXPECT_LT(TSmartStatus::None, TSmartStatus::Good);
  EXPECT_LT(TSmartStatus::WorstReached, TSmartStatus::CurrentReached);
}

TEST(SmartStatus, ThresholdFoundBehindEmptyThresholdSlots) {
  TSmartAttributes table = MakeTable({{5, 10, 10, 0}});
  test::PutThreshold(table.ThresholdBlock(), 7, 5, 36);  // slots 0..6 have id 0
  const auto d = CreateSmartDescriptor(K::Fallback);
  d->SetAttributes(&table);
  EXPECT_EQ(d->AttributeStatus(table.Entry(0)), TSmartStatus::CurrentReached);
}

TEST(SmartStatus, WithoutTableOrEntry) {
  const auto d = CreateSmartDescriptor(K::Fallback);
  const TSmartAttributes table = MakeTable({{5, 1, 1, 0}}, {{5, 10}});
  EXPECT_EQ(d->AttributeStatus(table.Entry(0)), TSmartStatus::Good);  // no table: no threshold
  d->SetAttributes(&table);
  EXPECT_EQ(d->AttributeStatus(TSmartEntry{}), TSmartStatus::None);
  EXPECT_EQ(d->FormatRawValue(TSmartEntry{}), "");
}

// --- Key attributes -------------------------------------------------------------

TEST(SmartKeys, FirstInTableOrderPerFamily) {
  // The order is chosen so that every "first of" set has a later id ahead of an
  // earlier one: a search by set order instead of table order gives another id.
  const TSmartAttributes table = MakeTable({{9}, {12}, {194}, {190}, {249}, {247}, {246}, {241}, {234}, {233},
                                            {232}, {231}, {230}, {225}, {209}, {202}, {199}, {198}, {242}, {169}});
  struct TCase {
    K kind;
    int writes, reads, life;
  };
  const TCase cases[] = {
      {K::Fallback, 241, 242, 0},      {K::MechWdc, 241, 242, 0},       {K::Samsung, 241, 242, 0},
      {K::JMicron, 241, 242, 0},       {K::Intel, 249, 242, 0},         {K::SandForce, 241, 242, 231},
      {K::Marvell, 247, 242, 202},     {K::Indilinx, 249, 198, 233},    {K::SiliconMotion, 241, 242, 231},
      {K::LinkAMedia, 241, 242, 231},  {K::Phison, 241, 242, 231},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(SmartDescriptorKindName(c.kind));
    const auto d = CreateSmartDescriptor(c.kind);
    d->SetAttributes(&table);
    EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::PowerOnHours).Id(), 9);
    EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::PowerCycles).Id(), 12);
    EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::Temperature).Id(), 194);
    EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::HostWrites).Id(), c.writes);
    EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::HostReads).Id(), c.reads);
    EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::RemainingLife).Id(), c.life);
    EXPECT_FALSE(d->FindKeyAttribute(static_cast<TSmartKeyKind>(6)));
    EXPECT_FALSE(d->FindKeyAttribute(static_cast<TSmartKeyKind>(-1)));
  }
}

TEST(SmartKeys, SingleIdRulesAndMissingAttributes) {
  // Marvell's life is 202 only, Link_A_Media's 231 only: a set rule would find 230/233.
  const TSmartAttributes table = MakeTable({{230}, {233}, {194}, {0}, {231}, {202}, {9}});
  for (const K kind : {K::Marvell, K::LinkAMedia, K::Phison}) {
    const auto d = CreateSmartDescriptor(kind);
    d->SetAttributes(&table);
    EXPECT_FALSE(d->FindKeyAttribute(TSmartKeyKind::RemainingLife)) << SmartDescriptorKindName(kind);
    EXPECT_FALSE(d->FindKeyAttribute(TSmartKeyKind::PowerOnHours));  // behind the id-0 entry
    EXPECT_EQ(d->FindKeyAttribute(TSmartKeyKind::Temperature).Id(), 194);
  }
  const auto sandForce = CreateSmartDescriptor(K::SandForce);
  EXPECT_FALSE(sandForce->FindKeyAttribute(TSmartKeyKind::PowerOnHours));  // no table yet
  sandForce->SetAttributes(&table);
  EXPECT_EQ(sandForce->FindKeyAttribute(TSmartKeyKind::RemainingLife).Id(), 230);
}

// --- Choice of the descriptor ---------------------------------------------------

TEST(SmartChoice, ControllerTableRows) {
  const auto rows = SmartControllerTable();
  ASSERT_EQ(rows.size(), 11u);
  EXPECT_EQ(rows[0].controller, "Samsung");
  EXPECT_EQ(rows[6].controller, "Barefoot");
  EXPECT_EQ(rows[6].kind, K::Indilinx);
  EXPECT_EQ(rows[8].controller, "Silicon Motion");
  EXPECT_EQ(rows[9].controller, "Link_A_Media");
  EXPECT_EQ(rows[10].kind, K::Phison);
}

TEST(SmartChoice, AllBranches) {
  struct TCase {
    bool solidState;
    int brand;
    const char* controller;
    K kind;
  };
  const TCase cases[] = {
      // Hard disks: by brand only.
      {false, 9, nullptr, K::MechWdc},
      {false, 9, "Phison PS3110-S10", K::MechWdc},
      {false, 1, "Samsung MEX", K::Fallback},
      {false, 2, nullptr, K::Fallback},
      {false, 31, nullptr, K::Fallback},
      {false, 0, nullptr, K::Fallback},
      // Intel SSDs whatever the controller.
      {true, 2, "Marvell 88SS9174", K::Intel},
      {true, 2, nullptr, K::Intel},
      // The controller text, first table row contained in it.
      {true, 0, "Phison PS3110-S10", K::Phison},
      {true, 0, "Marvell 88SS9189-BLD2", K::Marvell},
      {true, 1, "Marvell 88SS9189", K::Marvell},  // the row wins over the brand
      {true, 5, "Intel PC29AS21BA0", K::Intel},
      {true, 0, "SandForce SF-2281", K::SandForce},
      {true, 0, "Indilinx Barefoot", K::Indilinx},
      {true, 0, "OCZ Barefoot 3", K::Indilinx},
      {true, 0, "Indilinx Everest 2", K::Indilinx},
      {true, 0, "Silicon Motion SM2246EN", K::SiliconMotion},
      {true, 0, "Link_A_Media LM87800", K::LinkAMedia},
      {true, 0, "JMicron JMF612", K::JMicron},
      {true, 0, "Samsung MDX", K::Samsung},
      {true, 0, "Marvell/SandForce", K::SandForce},  // table order, not text position
      {true, 31, "Phison S10", K::Phison},
      // Case-sensitive: no row matches, the brand decides.
      {true, 0, "phison ps3110", K::Fallback},
      {true, 0, "silicon motion", K::Fallback},
      {true, 1, "Toshiba TC58", K::Samsung},
      {true, 1, "", K::Samsung},
      {true, 9, "unknown", K::MechWdc},
      {true, 31, nullptr, K::SandForce},
      {true, 1, nullptr, K::Samsung},
      {true, 9, nullptr, K::MechWdc},
      {true, 0, nullptr, K::Fallback},
      {true, 33, nullptr, K::Fallback},
  };
  for (const TCase& c : cases) {
    const auto d = CreateSmartDescriptorFor(c.solidState, c.brand, c.controller);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->Kind(), c.kind) << (c.solidState ? "SSD" : "HDD") << " brand " << c.brand << " controller "
                                 << (c.controller ? c.controller : "(none)");
  }
}

}  // namespace
}  // namespace vexa
