#pragma once

#include "remote/ProbeBatch.h"

#include <string>

#include "remote/TlsTrust.h"

// The program's INI file: section `Config`, and the keys the user trusts in `TrustedKeys`.
// A missing file, section or key gives the default; nothing is reported.
class CSettingsFile {
public:
    explicit CSettingsFile(std::string path) : m_strPath(std::move(path)) {}

    const std::string& Path() const { return m_strPath; }

    std::string ReadString(const std::string& key, const std::string& defaultValue) const;
    int ReadInt(const std::string& key, int defaultValue) const;
    // False when the file could not be written.
    bool WriteString(const std::string& key, const std::string& value) const;

    std::string Language() const { return ReadString("Language", ""); }
    int LaunchAsIcon() const { return ReadInt("LaunchAsIcon", 1); }
    std::string InternetProbeHost() const;
    // `MaxConnections` and `MaxConnectionsPerServer`: what the probes of a pass may hold at
    // once; a value below 1 gives the default.
    ProbeLimits ConnectionLimits() const;

    // The section `TrustedKeys`: each line "host:port=sha256//BASE64".
    TrustedKeys ReadTrustedKeys() const;
    // False when the file could not be written.
    bool WriteTrustedKey(const std::string& server, const std::string& key) const;

private:
    std::string m_strPath;
};
