#pragma once

#include "core/CheckEnvironment.h"
#include "platform/SettingsFile.h"

#include <utility>

// The keys the user trusts, kept in the section `TrustedKeys` of the INI file. A key that
// could not be written is still trusted until the run ends.
class CTrustedKeysFile : public ITrustedKeys {
public:
    explicit CTrustedKeysFile(CSettingsFile settings) : m_settings(std::move(settings)) {}

    TrustedKeys Keys() const override;
    bool Trust(const std::string& server, const std::string& key) override;
    std::string Place() const override { return m_settings.Path(); }

private:
    CSettingsFile m_settings;
    TrustedKeys m_unwritten;
};
