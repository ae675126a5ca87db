#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "remote/Address.h"
#include "remote/UrlCanonicaliser.h"

namespace {

// A broken property aborts, so that libFuzzer keeps the input that broke it.
void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool IsRemote(AddressKind kind) {
    return kind == AddressKind::Ftp || kind == AddressKind::Http;
}

// What reaches a server must be printable ASCII with nothing left to escape.
bool IsSafeForTheWire(std::string_view text) {
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F ||
            std::string_view("\"<>\\^`{|}?#").find(c) != text.npos) {
            return false;
        }
    }
    return true;
}

void CheckRemoteAddress(const std::string& canonical, const ParsedAddress& parsed) {
    Require(!parsed.server.empty() && parsed.port != 0 && parsed.object.starts_with('/'));
    Require(IsSafeForTheWire(parsed.server) && IsSafeForTheWire(parsed.object));
    const ParsedAddress again = ClassifyAddress(canonical);
    Require(again.kind == parsed.kind && again.server == parsed.server &&
            again.object == parsed.object && again.port == parsed.port);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string canonical = CanonicaliseUrl(text);
    Require(CanonicaliseUrl(canonical) == canonical);
    const ParsedAddress parsed = ClassifyAddress(text);
    Require(parsed.server.size() <= 2084 && parsed.object.size() <= 2084);
    if (IsRemote(parsed.kind)) {
        CheckRemoteAddress(canonical, parsed);
    }
    if (HasRemotePrefix(text)) {
        Require(parsed.kind != AddressKind::LocalFile);
    }
    return 0;
}
