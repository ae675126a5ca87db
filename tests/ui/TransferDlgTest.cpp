#include "RecordingMessageBoxes.h"
#include "TempDir.h"
#include "TestServers.h"
#include "WidgetTestSupport.h"

#include "core/Actions.h"
#include "core/RemoteAccess.h"
#include "i18n/MessageCatalogue.h"
#include "i18n/MessageTables.h"
#include "remote/TransferJob.h"
#include "ui/ResourceIds.h"
#include "ui/TransferDlg.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace {

const QString kTitle = QStringLiteral("Morvane");

class TransferDlgTest : public ::testing::Test {
protected:
    void SetUp() override { TheCatalogue().SetCurrentLcid(kLcidEnglish); }

    // Runs `worker` on a thread of its own while the window waits for it, as a download
    // does; the worker ends with NotifyFinished.
    static void RunWorker(
        CTransferDlg& window, const std::function<void()>& worker,
        const std::function<void()>& onCancel = [] {}) {
        std::thread thread([&] {
            worker();
            window.NotifyFinished();
        });
        window.WaitForWorker(onCancel);
        thread.join();
    }

    static QString Percent(const CTransferDlg& window) {
        return window.Require<QLabel>(IDC_PERCENT)->text();
    }
};

TEST_F(TransferDlgTest, OpensWithBlankedZeroPercentAndTranslatedCancel) {
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    CTransferDlg window(nullptr, kTitle);
    EXPECT_EQ(Percent(window), QStringLiteral(" 0 %"));
    EXPECT_EQ(window.Require<QPushButton>(IDCANCEL)->text(), QStringLiteral("Annule"));
    EXPECT_EQ(window.Require<QProgressBar>(IDC_PROGRESS)->value(), 0);
    EXPECT_EQ(window.windowTitle(), QString());
}

TEST_F(TransferDlgTest, PercentageRules) {
    CTransferDlg window(nullptr, kTitle);
    ASSERT_TRUE(window.Start());

    // Unknown size: neither bar nor percentage move; the status line still does.
    RunWorker(window, [&] {
        window.SetTotal(0);
        window.SetDone(4096);
        window.SetStatusText("4096 bytes");
    });
    EXPECT_EQ(Percent(window), QStringLiteral(" 0 %"));
    EXPECT_EQ(window.Require<QLabel>(IDC_STATUS)->text(), QStringLiteral("4096 bytes"));

    const std::pair<int32_t, const char*> steps[] = {
        {0, "0%"}, {42, "42%"}, {100, "100%"}, {150, "50%"}, {200, "0%"},
    };
    for (const auto& [position, expected] : steps) {
        RunWorker(window, [&, position = position] {
            window.SetTotal(100);
            window.SetDone(position);
        });
        EXPECT_EQ(Percent(window), QString::fromUtf8(expected)) << position;
    }
    EXPECT_EQ(window.Require<QProgressBar>(IDC_PROGRESS)->value(), 0);

    // Sizes near the 32-bit limit do not overflow.
    RunWorker(window, [&] {
        window.SetTotal(2000000000);
        window.SetDone(1999999999);
    });
    EXPECT_EQ(Percent(window), QStringLiteral("99%"));
    window.Close();
}

// The caption as the user sees it, in the title of the window.
TEST_F(TransferDlgTest, CaptionIsDownloadingAndTheLastPathComponent) {
    const std::pair<const char*, const char*> cases[] = {
        {"/pub/dir/report.pdf", "Downloading report.pdf"},
        {"C:\\in\\a.doc", "Downloading a.doc"},
        {"plain.txt", "Downloading plain.txt"},
        {"/pub/dir/", "Downloading "},
        {"/mixed\\path/name.bin", "Downloading name.bin"},
        // A backslash counts only in a path without a slash.
        {"/pub/dir\\name.bin", "Downloading dir\\name.bin"},
    };
    CTransferDlg window(nullptr, kTitle);
    ASSERT_TRUE(window.Start());
    for (const auto& [path, caption] : cases) {
        RunWorker(window, [&, path = path] { window.SetCaptionFile(path); });
        EXPECT_EQ(window.windowTitle(), QString::fromUtf8(caption)) << path;
    }
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    RunWorker(window, [&] { window.SetCaptionFile("/pub/a.zip"); });
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Téléchargement en coursa.zip"));
    window.Close();
}

// A status too long for its line shows shortened, whole in its tooltip, and a later one
// replaces it, however long each is.
TEST_F(TransferDlgTest, StatusLineShowsTheNewestTextWholeOrWithItsTooltip) {
    const std::string longStatus = "550 " + std::string(300, 'x') + "/report.pdf";
    CTransferDlg window(nullptr, kTitle);
    ASSERT_TRUE(window.Start());
    auto* status = window.Require<QLabel>(IDC_STATUS);
    for (const std::string& text : {longStatus, std::string("226 Transfer complete"), longStatus}) {
        RunWorker(window, [&] { window.SetStatusText(text); });
        const QString whole = QString::fromStdString(text);
        if (text == longStatus) {
            EXPECT_TRUE(status->text().endsWith(QStringLiteral("/report.pdf")));
            EXPECT_LT(status->text().size(), whole.size());
            EXPECT_EQ(status->toolTip(), whole);
        } else {
            EXPECT_EQ(status->text(), whole);
            EXPECT_EQ(status->toolTip(), QString());
        }
    }
    window.Close();
}

TEST_F(TransferDlgTest, CancelEscapeAndCloseBoxEachAskOnceEnterNothing) {
    CTransferDlg window(nullptr, kTitle);
    ASSERT_TRUE(window.Start());
    std::atomic<int> cancels{0};
    std::atomic<bool> stop{false};
    // The worker runs until the user has pressed everything.
    QTimer::singleShot(0, &window, [&] {
        PressKey(window, Qt::Key_Return);
        PressKey(window, Qt::Key_Enter);
        window.Require<QPushButton>(IDCANCEL)->click();
        PressKey(window, Qt::Key_Escape);
        window.close();
        stop = true;
    });
    RunWorker(
        window,
        [&] {
            while (!stop) {
                std::this_thread::yield();
            }
        },
        [&] { ++cancels; });
    EXPECT_EQ(cancels, 3);
    EXPECT_TRUE(window.isVisible()) << "the job decides when the window goes";
    window.Close();
    EXPECT_FALSE(window.isVisible());
}

TEST_F(TransferDlgTest, OwnerIsDisabledWhileTheWindowIsOpen) {
    QWidget owner;
    owner.show();
    {
        CTransferDlg window(&owner, kTitle);
        ASSERT_TRUE(window.Start());
        EXPECT_FALSE(owner.isEnabled());
        EXPECT_TRUE(window.isEnabled());
        EXPECT_TRUE(window.Require<QPushButton>(IDCANCEL)->isEnabled());
        window.Close();
        EXPECT_TRUE(owner.isEnabled());
    }
    // Destroying the window without Close enables the owner too.
    {
        CTransferDlg window(&owner, kTitle);
        window.Start();
    }
    EXPECT_TRUE(owner.isEnabled());
    // An owner that was disabled before stays disabled.
    owner.setEnabled(false);
    CTransferDlg window(&owner, kTitle);
    window.Start();
    window.Close();
    EXPECT_FALSE(owner.isEnabled());
}

// A download from a real FTP server, as the copy action runs it under the window.
TEST_F(TransferDlgTest, FollowsARealFtpDownload) {
    TempDir served;
    TempDir local;
    const std::string content(300000, 'x');
    WriteWholeFile(served.File("big.bin"), content);
    CFtpTestServer server(served.Path().string());
    QWidget owner;
    owner.show();
    CTransferDlg window(&owner, kTitle);
    {
        CTransferJob job(window);
        FtpTransferOptions options;
        options.port = static_cast<uint16_t>(server.Port());
        RunFtpTransfer(job, {"127.0.0.1", "user", "secret", "/big.bin", local.File("big.bin")}, 0,
                       options);
        EXPECT_EQ(job.Outcome().result.text, GetMessage("IDS_OKFTP"));
        EXPECT_EQ(window.windowTitle(), QStringLiteral("Downloading big.bin"));
        EXPECT_EQ(Percent(window), QStringLiteral("100%"));
        EXPECT_FALSE(window.Require<QLabel>(IDC_STATUS)->text().isEmpty());
        EXPECT_FALSE(owner.isEnabled()) << "the window stays while the caller shows the result";
    }
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(ReadWholeFile(local.File("big.bin")) == content);
}

// A download's boxes, raised by the worker, appear on the user-interface thread over the
// progress window, which is still open and still disables the main window: first the
// missing file's box, then the result. Owned by the progress window, they take input
// although the main window is disabled.
TEST_F(TransferDlgTest, BoxesOfADownloadAppearOverItsOpenWindow) {
    TempDir served;
    TempDir local;
    CFtpTestServer server(served.Path().string());
    QWidget owner;
    owner.show();
    CTransferDlg* progress = nullptr;
    CRemoteAccess remote("", [&] {
        auto window = std::make_unique<CTransferDlg>(&owner, kTitle);
        progress = window.get();
        return window;
    });
    struct Seen {
        QString text;
        QString caption;
        bool overProgress;
        bool progressVisible;
        bool ownerEnabled;
        bool boxEnabled;
    };
    std::vector<Seen> seen;
    // Answers each box that opens with a click on Ok, as the user would.
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) {
            return;
        }
        seen.push_back({box->text(), box->windowTitle(), box->parentWidget() == progress,
                        progress->isVisible(), owner.isEnabled(), box->isEnabled()});
        ClickWidget(*box->button(QMessageBox::Ok));
    });
    user.start(10);

    remote.DownloadFtp({"127.0.0.1", "user", "secret", "/absent.bin", local.File("absent.bin")},
                       static_cast<uint16_t>(server.Port()), true, FtpSecurity::None,
                       ShowTransferOutcome);

    const QString missing = QStringLiteral("File NOT found on Server: /absent.bin");
    ASSERT_EQ(seen.size(), 2u);
    for (const Seen& box : seen) {
        EXPECT_EQ(box.text, missing);
        EXPECT_EQ(box.caption, kTitle);
        EXPECT_TRUE(box.overProgress);
        EXPECT_TRUE(box.progressVisible);
        EXPECT_FALSE(box.ownerEnabled);
        EXPECT_TRUE(box.boxEnabled);
    }
    EXPECT_TRUE(owner.isEnabled());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

}  // namespace
