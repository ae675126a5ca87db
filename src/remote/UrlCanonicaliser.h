#pragma once

#include <string>
#include <string_view>

// The address as a browser would send it: blanks and control characters trimmed at both
// ends, and every byte that is unsafe in an address percent-encoded (upper-case hex) up to
// the first "#" or "?". Nothing is decoded, so an address escaped already stays as it is.
std::string CanonicaliseUrl(std::string_view address);
