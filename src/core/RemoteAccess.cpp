#include "core/RemoteAccess.h"

#include "i18n/MessageBoxes.h"
#include "remote/TransferJob.h"
#include "remote/TransferWindow.h"

namespace {

// Holds the boxes of a probe until its answer is known: a "not found" that the caller
// expects is no news to the user.
class DeferredBoxes : public IMessageBoxes {
public:
    int ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                BoxButtons buttons, BoxOwner owner) override {
        m_boxes.push_back({text, caption, icon, buttons, owner, false});
        return kAnswerOk;
    }
    int ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
        m_boxes.push_back({text, "", icon, buttons, BoxOwner::MainWindow, true});
        return kAnswerOk;
    }

    void ShowOn(IMessageBoxes& boxes) const {
        for (const Box& box : m_boxes) {
            if (box.application) {
                boxes.ShowAppBox(box.text, box.icon, box.buttons);
            } else {
                boxes.ShowBox(box.text, box.caption, box.icon, box.buttons, box.owner);
            }
        }
    }

private:
    struct Box {
        std::string text;
        std::string caption;
        BoxIcon icon;
        BoxButtons buttons;
        BoxOwner owner;
        bool application;
    };
    std::vector<Box> m_boxes;
};

// Runs `probe` with boxes held back, then shows them unless the answer is an expected
// absence. A probe that says neither found nor not found has failed.
template <typename Probe>
ProbeStatus RunProbe(IMessageBoxes& boxes, bool absenceIsAnswer, const Probe& probe) {
    DeferredBoxes deferred;
    ProbeStatus status = ProbeStatus::Failed;
    if (probe(deferred, status)) {
        status = ProbeStatus::Found;
    } else if (status != ProbeStatus::NotFound) {
        status = ProbeStatus::Failed;
    }
    if (status != ProbeStatus::NotFound || !absenceIsAnswer) {
        deferred.ShowOn(boxes);
    }
    return status;
}

}  // namespace

bool CRemoteAccess::IsInternetReachable() {
    return ::IsInternetReachable(m_strProbeHost) == 1;
}

ProbeStatus CRemoteAccess::ProbeFtp(const FtpProbeRequest& request, TimeValue& time,
                                    bool absenceIsAnswer) {
    return RunProbe(m_boxes, absenceIsAnswer, [&](IMessageBoxes& boxes, ProbeStatus& status) {
        std::string serverPath;
        return ProbeFtpFile(request, time, serverPath, boxes, &status) != 0;
    });
}

ProbeStatus CRemoteAccess::ProbeHttp(const std::string& address, TimeValue& time,
                                     bool absenceIsAnswer) {
    return RunProbe(m_boxes, absenceIsAnswer, [&](IMessageBoxes& boxes, ProbeStatus& status) {
        std::string path;
        return ProbeHttpFile(address, time, path, boxes, &status) != 0;
    });
}

std::string CRemoteAccess::DownloadFtp(const std::vector<std::string>& arguments, uint16_t port,
                                       bool binary) {
    const std::unique_ptr<ITransferWindow> window = m_makeWindow();
    CTransferJob job(*window, m_boxes);
    RunFtpTransfer(job, arguments, 0, FtpTransferOptions{port, binary});
    return job.ResultMessage();
}

std::string CRemoteAccess::DownloadHttp(const std::vector<std::string>& arguments,
                                        uint32_t timeoutMs) {
    const std::unique_ptr<ITransferWindow> window = m_makeWindow();
    CTransferJob job(*window, m_boxes);
    RunHttpTransfer(job, arguments, timeoutMs);
    return job.ResultMessage();
}
