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

    CRemoteAccess(std::string probeHost, IMessageBoxes& boxes, WindowFactory makeWindow)
        : m_strProbeHost(std::move(probeHost)),
          m_boxes(boxes),
          m_makeWindow(std::move(makeWindow)) {}

    bool IsInternetReachable() override;
    ProbeStatus ProbeFtp(const FtpProbeRequest& request, TimeValue& time,
                         bool absenceIsAnswer) override;
    ProbeStatus ProbeHttp(const std::string& address, TimeValue& time,
                          bool absenceIsAnswer) override;
    std::string DownloadFtp(const std::vector<std::string>& arguments, uint16_t port,
                            bool binary) override;
    std::string DownloadHttp(const std::vector<std::string>& arguments,
                             uint32_t timeoutMs) override;

private:
    std::string m_strProbeHost;
    IMessageBoxes& m_boxes;
    WindowFactory m_makeWindow;
};
