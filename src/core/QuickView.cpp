#include "core/QuickView.h"

#include "core/Actions.h"
#include "core/CheckEnvironment.h"
#include "core/KelElem.h"
#include "core/ViewerLauncher.h"
#include "files/PrivateCacheFile.h"
#include "files/UserFolders.h"
#include "i18n/MessageBoxes.h"
#include "remote/Address.h"
#include "remote/TransferText.h"

#include <cctype>
#include <memory>

namespace {

constexpr char kViewerCommand[] = "notepad.exe ";
constexpr size_t kLongestNameKept = 64;
// Copies kept for viewers that may not have read them yet, at most: the slots that record
// temporary files stay free for the writers.
constexpr size_t kMostCopiesKept = 16;

bool IsNameCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '_' ||
           c == '%' || c == '+' || c == '~';
}

// The end of the remote file's name, so that the viewer shows a name the user knows and
// chooses its highlighting by the extension. The object is canonical, so its escapes stay.
std::string NameSuffix(const ParsedAddress& address) {
    std::string name = address.object.substr(address.object.rfind('/') + 1);
    for (char& c : name) {
        c = IsNameCharacter(c) ? c : '_';
    }
    if (name.size() > kLongestNameKept) {
        name.erase(0, name.size() - kLongestNameKept);
    }
    return name.empty() ? name : "-" + name;
}

void ShowInViewer(const std::string& path, CheckContext& context) {
    context.wait.Run([&] { RunAndWait(kViewerCommand + path, context.viewer); });
}

// The remote copy in a private file, or nothing when the download did not succeed; what
// went wrong has then been shown as the copy action shows it.
std::unique_ptr<CPrivateCacheFile> DownloadForViewer(const CKelElem& elem,
                                                     const ParsedAddress& address,
                                                     CheckContext& context) {
    auto copy = std::make_unique<CPrivateCacheFile>();
    if (!copy->Create(UserFolder("XDG_CACHE_HOME", ".cache").string(), "view-",
                      NameSuffix(address))) {
        ShowErrorText(context.boxes, FormatKeyText("IDS_ERR_CREATEFILE", copy->Path()),
                      BoxOwner::MainWindow);
        return nullptr;
    }
    bool downloaded = false;
    // The viewer opening is the success; only a failure or a cancel has something to say.
    DownloadRemoteCopy(elem, address, elem.m_strCopy, copy->Path(), context,
                       [&downloaded](const TransferOutcome& outcome, IMessageBoxes& boxes) {
                           downloaded = outcome.status == TransferStatus::Succeeded;
                           if (!downloaded) {
                               ShowTransferOutcome(outcome, boxes);
                           }
                       });
    return downloaded ? std::move(copy) : nullptr;
}

void KeepUntilTheRunEnds(std::unique_ptr<CPrivateCacheFile> copy, CheckContext& context) {
    auto& kept = context.copiesKeptForViewers;
    if (kept.size() >= kMostCopiesKept) {
        kept.pop_front();
    }
    kept.push_back(std::move(copy));
}

}  // namespace

void ViewNewFile(const CKelElem& elem, CheckContext& context) {
    const TextViewerKind viewer = context.viewer.FindTextViewer();
    if (viewer == TextViewerKind::Missing) {
        ShowErrorText(context.boxes,
                      FormatKeyText("IDS_ERR_NOVIEWER", CViewerLauncher::ViewerPackages()),
                      BoxOwner::MainWindow);
        return;
    }
    const ParsedAddress address = ClassifyAddress(elem.m_strCopy);
    if (!IsRemoteKind(address.kind)) {
        ShowInViewer(elem.m_strCopy, context);
        return;
    }
    std::unique_ptr<CPrivateCacheFile> copy = DownloadForViewer(elem, address, context);
    if (!copy) {
        return;
    }
    ShowInViewer(copy->Path(), context);
    if (viewer == TextViewerKind::MayEndAtOnce) {
        KeepUntilTheRunEnds(std::move(copy), context);
    }
}
