#include "platform/TrustedKeysFile.h"

// Read anew each time, so that a line the user added or removed by hand counts at once.
TrustedKeys CTrustedKeysFile::Keys() const {
    TrustedKeys keys = m_settings.ReadTrustedKeys();
    for (const auto& [server, key] : m_unwritten) {
        keys[server] = key;
    }
    return keys;
}

bool CTrustedKeysFile::Trust(const std::string& server, const std::string& key) {
    if (m_settings.WriteTrustedKey(server, key)) {
        m_unwritten.erase(server);
        return true;
    }
    m_unwritten[server] = key;
    return false;
}
