#include "core/WindowListFile.h"

#include "core/Database.h"
#include "core/ElemArchive.h"
#include "files/FileNames.h"
#include "i18n/MessageBoxes.h"
#include "i18n/MessageCatalogue.h"
#include "remote/TransferText.h"

#include <cerrno>
#include <ctime>
#include <utility>

namespace {

// ".unreadable-YYYYMMDD-HHMMSS", the local time `now`.
std::string UnreadableSuffix(TimeValue now) {
    const time_t seconds = static_cast<time_t>(now);
    tm local{};
    localtime_r(&seconds, &local);
    char suffix[40];
    const size_t length = std::strftime(suffix, sizeof suffix, ".unreadable-%Y%m%d-%H%M%S", &local);
    return std::string(suffix, length);
}

bool AnswersYesToReplacing(const std::string& path, IMessageBoxes& boxes) {
    return boxes.ShowAppBox(FormatKeyText("IDS_LISTCHANGED", path), BoxIcon::Question,
                            BoxButtons::YesNo) == BoxAnswer::Yes;
}

}  // namespace

bool CWindowListFile::Load(std::string& databasePath, bool& modified, ElemList& list,
                           IMessageBoxes& boxes) {
    modified = false;
    // Before reading: a file replaced meanwhile then asks at Save rather than being lost.
    m_known = StampOf(databasePath);
    CElemListReceiver receiver(list);
    const std::string error = ReadDatabase(databasePath, receiver);
    if (error.empty()) {
        return true;
    }
    ShowErrorText(boxes, Lookup(error) + "\n" + FormatKeyText("IDS_LISTKEPT", databasePath),
                  BoxOwner::MainWindow);
    m_strUnreadable = std::exchange(databasePath, std::string());
    m_known.reset();
    return false;
}

bool CWindowListFile::Save(std::string& databasePath, bool& modified, const ElemList& list,
                           IMessageBoxes& boxes, TimeValue now) {
    if (!modified) {
        return true;
    }
    std::string keptAs;
    if (!m_strUnreadable.empty() && !list.empty() &&
        !MoveUnreadableAside(databasePath, boxes, now, keptAs)) {
        return false;
    }
    if (StampOf(databasePath) != m_known && !AnswersYesToReplacing(databasePath, boxes)) {
        return false;
    }
    if (!SaveDatabase(databasePath, modified, list, boxes)) {
        return false;
    }
    m_known = StampOf(databasePath);
    if (!keptAs.empty()) {
        boxes.ShowAppBox(FormatKeyText("IDS_LISTMOVEDASIDE", keptAs, databasePath),
                         BoxIcon::Exclamation, BoxButtons::Ok);
    }
    return true;
}

// The path comes back for this and every later save. A file that is no longer there needs
// no keeping.
bool CWindowListFile::MoveUnreadableAside(std::string& databasePath, IMessageBoxes& boxes,
                                          TimeValue now, std::string& keptAs) {
    if (!MoveAside(m_strUnreadable, UnreadableSuffix(now), keptAs) && errno != ENOENT) {
        ShowErrorBox(boxes, "IDS_ERR_CREATEDB", BoxOwner::MainWindow);
        return false;
    }
    databasePath = std::exchange(m_strUnreadable, std::string());
    m_known.reset();
    return true;
}
