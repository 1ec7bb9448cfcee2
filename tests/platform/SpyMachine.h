// A Machine that passes everything to another one and records each control request
// (code, input bytes, output size, answer, the output as the answer left it), so
// tests can check the bytes a caller sent and got. An optional hook may answer a
// request itself, to play drivers that misbehave.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "platform/ForwardingMachine.h"

namespace vexa::test {

struct TRecordedRequest {
  std::uint32_t code = 0;
  std::vector<std::uint8_t> input;
  std::size_t outputSize = 0;
  TIoResult result;
  std::vector<std::uint8_t> output;

  friend bool operator==(const TRecordedRequest& a, const TRecordedRequest& b) {
    return a.code == b.code && a.input == b.input && a.outputSize == b.outputSize && a.result.ok == b.result.ok &&
           a.result.bytes == b.result.bytes && a.result.error == b.result.error && a.output == b.output;
  }
};

class TSpyMachine final : public TForwardingMachine {
public:
  using THook = std::function<std::optional<TIoResult>(THandle handle, std::uint32_t code,
                                                       std::span<const std::uint8_t> input,
                                                       std::span<std::uint8_t> output)>;
  explicit TSpyMachine(Machine& inner) : TForwardingMachine(inner) {}

  std::vector<TRecordedRequest> requests;
  THook hook;

  std::vector<std::uint32_t> Codes() const {
    std::vector<std::uint32_t> codes;
    for (const TRecordedRequest& request : requests) codes.push_back(request.code);
    return codes;
  }

  TIoResult Control(THandle handle, std::uint32_t code, std::span<const std::uint8_t> input,
                    std::span<std::uint8_t> output) override {
    TRecordedRequest request{code, {input.begin(), input.end()}, output.size(), {}, {}};
    std::optional<TIoResult> hooked;
    if (hook) hooked = hook(handle, code, input, output);
    request.result = hooked ? *hooked : inner.Control(handle, code, input, output);
    request.output.assign(output.begin(), output.end());
    requests.push_back(request);
    return request.result;
  }
};

}  // namespace vexa::test
