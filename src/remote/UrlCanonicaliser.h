#pragma once

#include <string>
#include <string_view>

// The address as a browser would send it: blanks and control characters trimmed at both
// ends, and every byte that is unsafe in an address percent-encoded (upper-case hex) up to
// the first "#" or "?". Nothing is decoded, so an address escaped already stays as it is.
std::string CanonicaliseUrl(std::string_view address);

// The text with its percent escapes decoded ("my%20file" is "my file").
std::string DecodeUrlEscapes(const std::string& text);

// A path for an address: bytes that are unsafe there percent-encoded, escapes already there
// kept.
std::string EncodeUrlPath(const std::string& path);

// The host as an address writes it: a bare IPv6 address in brackets.
std::string HostForUrl(const std::string& server);
