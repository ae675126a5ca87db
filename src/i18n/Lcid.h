#pragma once

#include <cstdint>
#include <string>

// The numeric identifier (1033 English, 1036 French, ...) of the user's locale: LC_ALL,
// else LC_MESSAGES, else LANG; "C", "POSIX" or nothing set gives 1033.
uint32_t UserDefaultLcid();

// The identifier of one locale name such as "fr_CA.UTF-8" (0x0C0C); 0x1000 for a locale
// this table does not know.
uint32_t LcidFromLocaleName(const std::string& name);

// Regional variants of French, English and German folded onto their main identifier;
// every other value is returned unchanged.
uint32_t MapSystemLcid(uint32_t lcid);
