#pragma once

// The services of a check that a benchmark's pass must never reach: each call ends the
// benchmark, so that a figure never silently includes a box, a viewer or the network. The
// responsive wait runs its work at once, as the real one does on its worker thread.

#include "core/CheckEnvironment.h"
#include "core/RemoteAccess.h"
#include "i18n/MessageBoxes.h"

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

class CUnreachedServices : public INoticePresenter,
                           public IResponsiveWait,
                           public ITrash,
                           public IViewerLauncher,
                           public IMessageBoxes {
public:
    NoticeAnswer ShowNotice(const NoticeTexts&) override { std::abort(); }
    void Run(const std::function<void()>& work) override { work(); }
    bool MoveToTrash(const std::string&) override { std::abort(); }
    TextViewerKind FindTextViewer() override { std::abort(); }
    int RunAndWait(const std::string&) override { std::abort(); }
    BoxAnswer ShowBox(const std::string&, const std::string&, BoxIcon, BoxButtons,
                      BoxOwner) override {
        std::abort();
    }
    BoxAnswer ShowAppBox(const std::string&, BoxIcon, BoxButtons) override { std::abort(); }
};

// For lists of local elements only.
class CNoRemoteAccess : public IRemoteAccess {
public:
    bool IsInternetReachable() override { std::abort(); }
    std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>&) override {
        std::abort();
    }
    void DownloadFtp(const std::vector<std::string>&, uint16_t, bool, FtpSecurity,
                     const TransferPresenter&) override {
        std::abort();
    }
    void DownloadHttp(const std::vector<std::string>&, uint32_t,
                      const TransferPresenter&) override {
        std::abort();
    }
    void DownloadSftp(const std::vector<std::string>&, uint16_t,
                      const TransferPresenter&) override {
        std::abort();
    }
};
