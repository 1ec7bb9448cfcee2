// The write judgement every machine that reaches real or emulated drives applies to
// a storage control request before anything else looks at it: whether the request
// could change a drive, or is not one the program sends. Pure functions over the
// request's bytes; they read only the bytes present, so a truncated input is judged
// by what it holds and never read past its end.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

namespace vexa {

// Why a control request with this code and input could change a drive, or is not
// one the program sends; nothing when it is a read. Reads only the bytes present.
std::optional<std::string> WriteIntent(std::uint32_t code, std::span<const std::uint8_t> input);
// The same judgement of an ATA command by its task file (features .. command).
std::optional<std::string> JudgeAtaCommand(const std::array<std::uint8_t, 8>& registers);
// The task file inside a SAT ATA PASS-THROUGH (12 or 16) command block of full length
// (16 bytes for ATA PASS-THROUGH (16), 12 for the 12-byte form).
std::array<std::uint8_t, 8> SatRegisters(std::span<const std::uint8_t> cdb);

}  // namespace vexa
