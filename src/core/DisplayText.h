#pragma once

#include <string>
#include <string_view>

// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing past
// U+10FFFF).
bool IsValidUtf8(std::string_view bytes);

// A string of the watch list as UTF-8 text to show: itself when it is valid UTF-8,
// otherwise its bytes read as Windows-1252 (older stored lists hold French letters in
// that code page).
std::string DisplayText(std::string_view bytes);
