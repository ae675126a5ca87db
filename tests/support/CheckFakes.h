#pragma once

#include "core/CheckEnvironment.h"
#include "core/RemoteAccess.h"
#include "core/ViewerLauncher.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "remote/WaitingTransferWindow.h"

#include "RecordingMessageBoxes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <ctime>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The clock of a test: stands still until the test moves it.
class FakeClock : public IClock {
public:
    TimeValue Now() const override { return now; }
    TimeValue now = 1000000000;
};

// The user in front of the notice: records each notice and answers from a script (Ok when
// the script is empty). `whileShown` runs inside the notice, as a timer would.
class ScriptedNotice : public INoticePresenter {
public:
    struct Shown {
        std::string message;
        std::string copy;
        std::string timeText;
    };

    NoticeAnswer ShowNotice(const NoticeTexts& notice) override {
        shown.push_back({notice.Message(), notice.copy, notice.timeText});
        if (whileShown) {
            whileShown();
        }
        if (answers.empty()) {
            return NoticeAnswer::Ok;
        }
        const NoticeAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::vector<Shown> shown;
    std::deque<NoticeAnswer> answers;
    std::function<void()> whileShown;
};

// Runs the work in place, counting the waits and how deep they nest at the moment.
class CountingWait : public IResponsiveWait {
public:
    void Run(const std::function<void()>& work) override {
        ++depth;
        ++begun;
        work();
        --depth;
    }

    int depth = 0;
    int begun = 0;
};

// A progress window that only waits for the worker. The boxes shown over it go to
// `boxes`; `boxAfterClose` turns true when one comes after the window has closed.
class WaitingWindow : private IMessageBoxes, public CWaitingTransferWindow {
public:
    WaitingWindow(IMessageBoxes& boxes, bool& boxAfterClose)
        : CWaitingTransferWindow(static_cast<IMessageBoxes&>(*this)),
          m_boxes(boxes),
          m_bBoxAfterClose(boxAfterClose) {}

private:
    BoxAnswer ShowBox(const std::string& text, const std::string& caption, BoxIcon icon,
                      BoxButtons buttons, BoxOwner owner) override {
        m_bBoxAfterClose = m_bBoxAfterClose || Closed();
        return m_boxes.ShowBox(text, caption, icon, buttons, owner);
    }
    BoxAnswer ShowAppBox(const std::string& text, BoxIcon icon, BoxButtons buttons) override {
        m_bBoxAfterClose = m_bBoxAfterClose || Closed();
        return m_boxes.ShowAppBox(text, icon, buttons);
    }

    IMessageBoxes& m_boxes;
    bool& m_bBoxAfterClose;
};

class RecordingTrash : public ITrash {
public:
    bool MoveToTrash(const std::string& path) override {
        paths.push_back(path);
        return true;
    }
    std::vector<std::string> paths;
};

// Remote copies answered from a table, by address (FTP: the object); records what was asked.
class ScriptedRemote : public IRemoteAccess {
public:
    bool IsInternetReachable() override {
        ++internetTests;
        return reachable;
    }
    std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>& requests) override {
        batches.emplace_back();
        std::vector<ProbeResult> results;
        for (const ProbeRequest& request : requests) {
            const std::string& address = request.protocol == ProbeRequest::Protocol::Ftp
                                             ? request.ftp.object
                                             : request.address;
            batches.back().push_back(address);
            results.push_back(answers.at(address));
        }
        return results;
    }
    void DownloadFtp(const std::vector<std::string>&, uint16_t, bool, FtpSecurity,
                     const TransferPresenter&) override {}
    void DownloadSftp(const std::vector<std::string>&, uint16_t,
                      const TransferPresenter&) override {}
    void DownloadHttp(const std::vector<std::string>&, uint32_t,
                      const TransferPresenter&) override {}

    std::map<std::string, ProbeResult> answers;
    bool reachable = true;
    int internetTests = 0;
    // The addresses of each call, in order.
    std::vector<std::vector<std::string>> batches;
};

inline ProbeResult Found(TimeValue time) {
    ProbeResult result;
    result.status = ProbeStatus::Found;
    result.time = time;
    return result;
}

inline ProbeResult Absent() {
    ProbeResult result;
    result.status = ProbeStatus::NotFound;
    result.message = RemoteMessage{RemoteBoxKind::Error, "", "not there", 404};
    return result;
}

// A failure whose box says `why`, with the libcurl code `code`.
inline ProbeResult Failed(const std::string& why, int code = 7) {
    ProbeResult result;
    result.message = RemoteMessage{RemoteBoxKind::Error, "", why, code};
    return result;
}

// Everything a check needs, with the English catalogue. The remote side is the real one
// without an internet test; the viewer is the real launcher with no viewer to find.
struct CheckFixture {
    CheckFixture() {
        static const bool registered = [] {
            RecordingMessageBoxes ignored;
            RegisterShippedLanguages(TheCatalogue(), ignored);
            return true;
        }();
        (void)registered;
        TheCatalogue().SetCurrentLcid(kLcidEnglish);
    }

    FakeClock clock;
    ScriptedNotice notice;
    CountingWait wait;
    RecordingMessageBoxes boxes;
    // The boxes of downloads, shown over their progress windows.
    RecordingMessageBoxes windowBoxes;
    bool boxAfterClose = false;
    CRemoteAccess::WindowFactory windows = [this] {
        return std::make_unique<WaitingWindow>(windowBoxes, boxAfterClose);
    };
    CRemoteAccess remote{"", windows};
    RecordingTrash trash;
    CViewerLauncher viewer{std::vector<TextViewer>{}};
    CheckContext context{clock, notice, wait, remote, trash, viewer, boxes};
};

// A local time of the test's time zone.
inline TimeValue LocalTimeValue(int year, int month, int day, int hour, int minute, int second) {
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    return static_cast<TimeValue>(std::mktime(&local));
}

// Sets a file's access and modification times; false when the file system refuses.
inline bool SetFileTimes(const std::string& path, TimeValue accessed, TimeValue modified) {
    const struct timespec times[2] = {{accessed, 0}, {modified, 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}
