#include "core/Actions.h"

#include "core/KelElem.h"
#include "core/LocalCopy.h"
#include "core/QuickView.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "remote/Address.h"
#include "remote/SftpSupport.h"
#include "remote/TransferText.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// The time-out of a web copy, in milliseconds.
constexpr uint32_t kHttpCopyTimeoutMs = 5000;

// What the user reads of an errno met by a local copy.
std::string FaultReason(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR:
            return Lookup("IDS_REASON_MISSING");
        case EISDIR:
        case EINVAL:
            return Lookup("IDS_REASON_NOTREGULAR");
        case EACCES:
        case EPERM:
            return Lookup("IDS_REASON_DENIED");
        case ENOSPC:
        case EDQUOT:
            return Lookup("IDS_REASON_DISKFULL");
        default:
            return std::strerror(error);
    }
}

bool CopyLocalCopy(const std::string& source, const std::string& target, CheckContext& context) {
    LocalCopyResult result;
    context.wait.Run([&] { result = CopyLocalFile(source, target); });
    if (result.Copied()) {
        return true;
    }
    const bool sourceFault = result.fault == LocalCopyResult::Fault::Source;
    ShowErrorText(context.boxes,
                  FormatKeyText(sourceFault ? "IDS_ERR_COPYSOURCE" : "IDS_ERR_COPYTARGET",
                                sourceFault ? source : target, FaultReason(result.error)),
                  BoxOwner::MainWindow);
    return false;
}

bool IsRemote(const std::string& path) {
    return IsRemoteKind(ClassifyAddress(path).kind);
}

bool IsMissing(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR);
}

}  // namespace

void PerformAction(const CKelElem& elem, CheckContext& context) {
    switch (elem.m_nAction) {
        case ACTION_COPY_NEW:
            CopyNewOverOld(elem, elem.m_strCopy, elem.m_strOriginal, context);
            break;
        case ACTION_VIEW_NEW:
            ViewNewFile(elem, context);
            break;
        case ACTION_DELETE_OLD:
            DeleteToRecycleBin(elem.m_strOriginal, context.boxes, context.trash);
            break;
        case ACTION_DELETE_NEW:
            DeleteToRecycleBin(elem.m_strCopy, context.boxes, context.trash);
            break;
        default:
            break;
    }
}

bool CopyNewOverOld(const CKelElem& elem, const std::string& source, const std::string& target,
                    CheckContext& context) {
    const ParsedAddress address = ClassifyAddress(source);
    if (IsRemoteKind(address.kind)) {
        DownloadRemoteCopy(elem, address, source, target, context, ShowTransferOutcome);
        return true;
    }
    if (address.kind == AddressKind::LocalFile) {
        return CopyLocalCopy(source, target, context);
    }
    return true;
}

void DownloadRemoteCopy(const CKelElem& elem, const ParsedAddress& address,
                        const std::string& source, const std::string& target, CheckContext& context,
                        const TransferPresenter& present) {
    if (IsFtpKind(address.kind)) {
        const std::vector<std::string> arguments{address.server, elem.m_strFtpUser,
                                                 elem.m_strFtpPassword, address.object, target};
        context.remote.DownloadFtp(arguments, address.port, elem.m_bFtpBinary != 0,
                                   FtpSecurityOf(address.kind), present);
    } else if (address.kind == AddressKind::Sftp) {
        const std::vector<std::string> arguments{address.server,
                                                 SftpUser(address.user, elem.m_strFtpUser),
                                                 elem.m_strFtpPassword, address.object, target};
        context.remote.DownloadSftp(arguments, address.port, present);
    } else {
        context.remote.DownloadHttp({source, target}, kHttpCopyTimeoutMs, present);
    }
}

void ShowTransferOutcome(const TransferOutcome& outcome, IMessageBoxes& boxes) {
    for (const RemoteMessage& box : outcome.boxes) {
        ShowRemoteMessage(box, boxes, BoxOwner::MainWindow);
    }
    ShowRemoteMessage(outcome.result, boxes, BoxOwner::MainWindow);
}

int RunAndWait(const std::string& commandLine, IViewerLauncher& viewer) {
    return viewer.RunAndWait(commandLine);
}

bool DeleteToRecycleBin(const std::string& path, IMessageBoxes& boxes, ITrash& trash) {
    // Nothing to ask about: the trash takes only a file of this computer that is there.
    const char* refusal = IsRemote(path)    ? "IDS_ERR_TRASHREMOTE"
                          : IsMissing(path) ? "IDS_ERR_TRASHMISSING"
                                            : nullptr;
    if (refusal) {
        ShowErrorText(boxes, FormatKeyText(refusal, path), BoxOwner::MainWindow);
        return false;
    }
    // Owned by the main window, so the list cannot change while the question is open; it
    // names the file, so the user knows what goes to the trash.
    const BoxAnswer answer =
        boxes.ShowBox(FormatKeyText("IDS_TRASHSURE", path), Lookup("IDS_TRASHFILE"),
                      BoxIcon::Question, BoxButtons::YesNo, BoxOwner::MainWindow);
    if (answer != BoxAnswer::Yes) {
        return false;
    }
    if (!trash.MoveToTrash(path)) {
        ShowErrorText(boxes, FormatKeyText("IDS_ERR_TRASHFAILED", path), BoxOwner::MainWindow);
        return false;
    }
    return true;
}
