#pragma once

#include "core/CheckEnvironment.h"

#include <functional>
#include <memory>
#include <string>

class ITransferWindow;

// The remote side of checks and copies on the real network: the probes, the internet test
// against the configured probe host, and downloads under a progress window that the
// caller's factory makes for each download. TLS servers are held to the keys of
// `trustedKeys` (none when null), read anew for each probe and download.
class CRemoteAccess : public IRemoteAccess {
public:
    using WindowFactory = std::function<std::unique_ptr<ITransferWindow>()>;

    CRemoteAccess(std::string probeHost, WindowFactory makeWindow, ProbeLimits limits = {},
                  const ITrustedKeys* trustedKeys = nullptr)
        : m_strProbeHost(std::move(probeHost)),
          m_makeWindow(std::move(makeWindow)),
          m_limits(limits),
          m_trustedKeys(trustedKeys) {}

    bool IsInternetReachable() override;
    std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>& requests) override;
    void DownloadFtp(const std::vector<std::string>& arguments, uint16_t port, bool binary,
                     FtpSecurity security, const TransferPresenter& present) override;
    void DownloadHttp(const std::vector<std::string>& arguments, uint32_t timeoutMs,
                      const TransferPresenter& present) override;
    void DownloadSftp(const std::vector<std::string>& arguments, uint16_t port,
                      const TransferPresenter& present) override;

    // From now on the key of an unknown SSH server is added to known_hosts and accepted, as
    // ssh's StrictHostKeyChecking=accept-new does; a changed key is still refused.
    void AcceptNewHostKeys() { m_bAcceptNewHostKeys = true; }

private:
    TrustedKeys Keys() const { return m_trustedKeys ? m_trustedKeys->Keys() : TrustedKeys(); }

    std::string m_strProbeHost;
    WindowFactory m_makeWindow;
    ProbeLimits m_limits;
    const ITrustedKeys* m_trustedKeys;
    bool m_bAcceptNewHostKeys = false;
};

// The user's own known_hosts, which the window's question adds to.
class CUserKnownHosts : public IKnownHosts {
public:
    bool Add(const SshHostRefusal& unknown) override;
};
