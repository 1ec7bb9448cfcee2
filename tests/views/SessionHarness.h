// A recorded machine with the program's modules wired as the window wires them (a
// console session), for the tests of the page modules. Messages the program would
// show are collected; each test expects none unless it says otherwise.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/MachineFile.h"
#include "platform/ReplayMachine.h"
#include "shell/Shared.h"
#include "views/ConsoleSession.h"

namespace vexa {

class SessionHarness : public ::testing::Test {
protected:
  void SetUp() override {
    SetMessageSink([this](std::string_view text, std::uint32_t) {
      messages.emplace_back(text);
      return kAnswerOk;
    });
  }
  void TearDown() override {
    session.reset();
    SetMessageSink({});
    EXPECT_TRUE(messages.empty()) << messages.front();
    if (machine) {
      EXPECT_EQ(machine->RefusedCount(), 0u);
    }
  }

  // A session over a sample machine, not yet started.
  TConsoleSession& Open(std::string_view sample) {
    machine = ReplayMachine::FromFile(std::string(VEXA_SAMPLES_DIR) + "/" + std::string(sample));
    session = std::make_unique<TConsoleSession>(*machine);
    return *session;
  }
  TConsoleSession& OpenText(std::string_view text) {
    machine = std::make_unique<ReplayMachine>(ParseMachineFile(text, "test.machine"));
    session = std::make_unique<TConsoleSession>(*machine);
    return *session;
  }
  // Started and rescanned: the first device is selected.
  TConsoleSession& Run(std::string_view sample) {
    TConsoleSession& s = Open(sample);
    s.Start();
    s.Rescan();
    return s;
  }

  std::unique_ptr<ReplayMachine> machine;
  std::unique_ptr<TConsoleSession> session;
  std::vector<std::string> messages;
};

}  // namespace vexa
