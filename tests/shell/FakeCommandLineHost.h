// A main window as the command line sees it: a client size, a position, a caption
// and the main settings in a store that never touches its file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "shell/CommandLine.h"
#include "shell/EasyConfig.h"
#include "shell/MainSettings.h"

namespace vexa::test {

class TFakeWindow : public TCommandLineHost {
public:
  TFakeWindow() : settings(RegisterMainSettings(store, 432, 445, 1920, 1080)) {}
  TEasyConfig& Config() override { return store; }
  std::int32_t ClientWidth() const override { return clientWidth; }
  std::int32_t ClientHeight() const override { return clientHeight; }
  void SetClientSize(std::int32_t w, std::int32_t h) override { clientWidth = w, clientHeight = h; }
  // A frame around any client size, without leaving 32 bits.
  std::int32_t OuterWidth() const override { return Outer(clientWidth, 16); }
  std::int32_t OuterHeight() const override { return Outer(clientHeight, 39); }
  std::int32_t Left() const override { return 100; }
  std::int32_t Top() const override { return 50; }
  void OpenDebugPage() override { ++debugPages; }
  const std::string& BaseCaption() const override { return caption; }
  void SetBaseCaption(std::string text) override { caption = std::move(text); }

  TEasyConfigIni store{"unused.ini"};
  TMainSettings settings;
  std::int32_t clientWidth = 416, clientHeight = 406;
  int debugPages = 0;
  std::string caption = "Vexa 16.09.09 beta";

private:
  static std::int32_t Outer(std::int32_t client, std::int32_t frame) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(std::int64_t{client} + frame, INT32_MAX));
  }
};

}  // namespace vexa::test
