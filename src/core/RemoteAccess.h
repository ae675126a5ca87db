#pragma once

#include "core/CheckEnvironment.h"

#include <functional>
#include <memory>
#include <string>

class ITransferWindow;

// The remote side of checks and copies on the real network: the probes, the internet test
// against the configured probe host, and downloads under a progress window that the
// caller's factory makes for each download.
class CRemoteAccess : public IRemoteAccess {
public:
    using WindowFactory = std::function<std::unique_ptr<ITransferWindow>()>;

    CRemoteAccess(std::string probeHost, WindowFactory makeWindow, ProbeLimits limits = {})
        : m_strProbeHost(std::move(probeHost)),
          m_makeWindow(std::move(makeWindow)),
          m_limits(limits) {}

    bool IsInternetReachable() override;
    std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>& requests) override;
    void DownloadFtp(const std::vector<std::string>& arguments, uint16_t port, bool binary,
                     const TransferPresenter& present) override;
    void DownloadHttp(const std::vector<std::string>& arguments, uint32_t timeoutMs,
                      const TransferPresenter& present) override;

private:
    std::string m_strProbeHost;
    WindowFactory m_makeWindow;
    ProbeLimits m_limits;
};
