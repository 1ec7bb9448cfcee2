// The Debug page's tree writer: section stamps, padded rows, sizes, failures with
// their marks and messages, the 255-character cut, and the log text read back.
#include "views/DebugTree.h"

#include <gtest/gtest.h>

#include "platform/ReplayMachine.h"
#include "support/Format.h"

namespace vexa {
namespace {

TEST(DebugTreeLog, RowsSectionsAndFailures) {
  ReplayMachine machine(ParseMachineFile("vexa-machine 1\n[os]\ncounter-frequency 1000\n", "t.machine"));
  TDebugTree tree;
  TDebugTreeLog log(tree, machine);
  log.Clear();
  log.BeginSection("IOCTL_DISK_GET_DRIVE_GEOMETRY");
  log.AddValue("Cylinders", "7");
  log.AddSize("zero", 0);
  log.AddSize("DiskSize.QuadPart", 1536);
  log.AddSize("gap", -1536);
  log.Error(50, 0);
  log.BeginNode("node");
  log.AddLine(std::string(300, 'x'));
  log.EndNode(true);
  log.EndNode();
  log.EndNode();  // past the top: nothing

  ASSERT_EQ(tree.TopNodes().size(), 1u);
  const TDebugNode& section = *tree.TopNodes()[0];
  EXPECT_EQ(section.text, Format("%-43s%6s", "[+000] IOCTL_DISK_GET_DRIVE_GEOMETRY", "fail"));
  ASSERT_EQ(section.children.size(), 6u);
  EXPECT_EQ(section.children[0]->text, "Cylinders" + std::string(25, ' ') + "7");
  EXPECT_EQ(section.children[1]->text, "zero" + std::string(30, ' ') + "0");
  EXPECT_EQ(section.children[2]->text, "DiskSize.QuadPart" + std::string(17, ' ') + "1536 (= " + FormatByteSize(1536) + ")");
  EXPECT_EQ(section.children[3]->text.substr(34), "-1536 (= -" + FormatByteSize(1536) + ")");
  EXPECT_EQ(section.children[4]->text, Format("§ Error: 0x32 (50) | BR: 0 | \"%s\" | IOCTL_DISK_GET_DRIVE_GEOMETRY",
                                              machine.ErrorMessage(50)));
  EXPECT_TRUE(section.children[5]->expanded);
  EXPECT_EQ(section.children[5]->children[0]->text.size(), 255u);
  EXPECT_EQ(log.FailureCount(), 1);

  // The log text reads back as the same tree.
  const std::string text = tree.ToText();
  EXPECT_EQ(TDebugTree::FromText(text).ToText(), text);
  EXPECT_NE(text.find("\r\n\t\tx"), std::string::npos);
}

}  // namespace
}  // namespace vexa
