#pragma once

#include <cstdint>
#include <functional>

// Help commands of a help request.
inline constexpr uint32_t HELP_CONTEXT = 1;
inline constexpr uint32_t HELP_INDEX = 3;
// A dialog asks for context kHelpIdBase + its resource number.
inline constexpr uint32_t kHelpIdBase = 0x20000;

// The application's help routine: every help request of the program ends there. The
// program installs it at start-up; without one, requests do nothing.
using HelpRoutine = std::function<void(uint32_t context, uint32_t command)>;

void SetHelpRoutine(HelpRoutine routine);
void RequestHelp(uint32_t context, uint32_t command);
