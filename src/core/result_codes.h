// The set-up's outcome codes: signed 32-bit, negative means failure.
#pragma once

#include <cstdint>

constexpr std::int32_t SETUP_E_DEFAULT = static_cast<std::int32_t>(0x806D0100u);
constexpr std::int32_t SETUP_E_NO_RIGHTS = static_cast<std::int32_t>(0x806D0101u);
constexpr std::int32_t SETUP_E_KEY_ACCESS = static_cast<std::int32_t>(0x8067060Du);
constexpr std::int32_t SETUP_E_FOLDER_ACCESS = static_cast<std::int32_t>(0x8067060Eu);

// Process-wide result of the run; the entry sets SETUP_E_DEFAULT before start-up.
extern std::int32_t setupResult;

// Screen results.
constexpr int IDC_PROCEED = 1008;
