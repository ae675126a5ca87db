#include "core/Actions.h"
#include "core/KelElem.h"
#include "core/RemoteAccess.h"
#include "core/ViewerLauncher.h"

#include "CheckFakes.h"
#include "ScopedVariable.h"
#include "TempDir.h"
#include "SharedServers.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

// A progress window whose user presses Cancel as soon as the first bytes have arrived.
class CancellingWindow : public CWaitingTransferWindow {
public:
    explicit CancellingWindow(IMessageBoxes& boxes) : CWaitingTransferWindow(boxes) {}

private:
    void Show(const Update& update) override {
        if (update.kind == Kind::Done && !m_bPressed) {
            m_bPressed = true;
            PressCancelAndWait();
        }
    }
    bool m_bPressed = false;
};

class QuickViewTest : public ::testing::Test {
protected:
    QuickViewTest() : m_cacheHome("XDG_CACHE_HOME", m_dir.File("cache")) {
        // The stand-in viewer writes down its arguments and what it finds at the last one.
        WriteWholeFile(m_script,
                       "#!/bin/sh\nfor f; do :; done\n"
                       "printf '%s\\n' \"$@\" > '" +
                           Record("args") +
                           "'\n"
                           "/bin/cat \"$f\" > '" +
                           Record("content") +
                           "'\n"
                           "/usr/bin/stat -c %a \"$f\" > '" +
                           Record("mode") +
                           "'\n"
                           "/usr/bin/stat -c %a \"${f%/*}\" > '" +
                           Record("folder") + "'\n");
        chmod(m_script.c_str(), 0755);
    }

    CKelElem Element(const std::string& copy) const {
        CKelElem elem;
        elem.m_strCopy = copy;
        elem.m_nAction = ACTION_VIEW_NEW;
        elem.m_strFtpUser = "user";
        elem.m_strFtpPassword = "secret";
        return elem;
    }

    // Views the element with `viewer` through the fixture's services.
    void View(const CKelElem& elem, IViewerLauncher& viewer) {
        CheckContext context{m_env.clock, m_env.notice, m_env.wait, m_env.remote,
                             m_env.trash, viewer,       m_env.boxes};
        PerformAction(elem, context);
    }

    std::string Record(const std::string& name) const { return m_dir.File("record-" + name); }
    // The lines the viewer was given, or nothing when it did not run.
    std::vector<std::string> ViewerArguments() const {
        std::vector<std::string> lines;
        if (!fs::exists(Record("args"))) {
            return lines;
        }
        std::string text = ReadWholeFile(Record("args"));
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }
    std::string CacheFolder() const { return m_dir.File("cache/morvane"); }
    bool CacheIsEmpty() const { return !fs::exists(CacheFolder()) || fs::is_empty(CacheFolder()); }

    const CSharedServers& m_servers = CSharedServers::Get();
    TempDir m_dir;
    ScopedVariable m_cacheHome;
    const std::string m_script = m_dir.File("viewer.sh");
    CheckFixture m_env;
};

// The viewer gets a private file of the cache folder holding the remote bytes, named after
// the remote file; the file goes when the viewer ends, and no box reports the download.
TEST_F(QuickViewTest, RemoteCopyIsViewedFromAPrivateCacheFile) {
    const std::string content = "first line\nsecond line\n";
    m_servers.Serve("view me.txt", content);
    CViewerLauncher viewer({{m_script, "--wait", true}});
    // A folder left open to others is closed.
    fs::create_directories(CacheFolder());
    fs::permissions(CacheFolder(), fs::perms(0755));
    for (const std::string& address :
         {m_servers.FtpUrl("view%20me.txt"), m_servers.http.Url("/files/view%20me.txt")}) {
        SCOPED_TRACE(address);
        fs::remove(Record("args"));

        View(Element(address), viewer);

        const std::vector<std::string> arguments = ViewerArguments();
        ASSERT_EQ(arguments.size(), 2u);
        EXPECT_EQ(arguments[0], "--wait");
        const std::string& viewed = arguments[1];
        EXPECT_TRUE(viewed.starts_with(CacheFolder() + "/view-")) << viewed;
        EXPECT_TRUE(viewed.ends_with("-view%20me.txt")) << viewed;
        EXPECT_EQ(ReadWholeFile(Record("content")), content);
        EXPECT_EQ(ReadWholeFile(Record("mode")), "600\n");
        EXPECT_EQ(ReadWholeFile(Record("folder")), "700\n");
        EXPECT_FALSE(fs::exists(viewed));
        EXPECT_TRUE(CacheIsEmpty());
    }
    EXPECT_TRUE(m_env.boxes.Boxes().empty());
    EXPECT_TRUE(m_env.windowBoxes.Boxes().empty());
    EXPECT_FALSE(m_env.boxAfterClose);
}

// A cancelled or failed download opens nothing, leaves nothing, and says what the copy
// action says over its progress window.
TEST_F(QuickViewTest, CancelOrFailureOpensNothing) {
    m_servers.Serve("slow view.txt", std::string(size_t{64} * 1024, 's'));
    CViewerLauncher viewer({{m_script, "--wait", true}});
    CRemoteAccess cancelling(
        "", [this] { return std::make_unique<CancellingWindow>(m_env.windowBoxes); });
    CheckContext context{m_env.clock, m_env.notice, m_env.wait, cancelling,
                         m_env.trash, viewer,       m_env.boxes};
    PerformAction(Element(m_servers.http.Url("/slow/slow%20view.txt")), context);
    View(Element(m_servers.http.Url("/files/absent.txt")), viewer);
    View(Element(m_servers.FtpUrl("absent.txt")), viewer);

    EXPECT_TRUE(ViewerArguments().empty());
    EXPECT_TRUE(CacheIsEmpty());
    std::vector<std::string> texts;
    for (const auto& box : m_env.windowBoxes.Boxes()) {
        texts.push_back(box.text);
    }
    const std::string httpMissing = "HTTP server answered with status 404";
    const std::string ftpMissing = "File NOT found on Server: /absent.txt";
    EXPECT_EQ(texts, (std::vector<std::string>{"User Cancelled Download Operation", httpMissing,
                                               httpMissing, ftpMissing, ftpMissing}));
    EXPECT_TRUE(m_env.boxes.Boxes().empty());
}

// A viewer that may end before reading its file (the desktop's opener) leaves the copy in
// place until the run ends.
TEST_F(QuickViewTest, CopyForAViewerThatMayEndAtOnceStaysUntilTheRunEnds) {
    m_servers.Serve("kept.txt", "kept");
    CViewerLauncher opener({TextViewer(m_script)});
    std::string viewed;
    {
        CheckContext run{m_env.clock, m_env.notice, m_env.wait, m_env.remote,
                         m_env.trash, opener,       m_env.boxes};
        PerformAction(Element(m_servers.http.Url("/files/kept.txt")), run);
        ASSERT_EQ(ViewerArguments().size(), 1u);
        viewed = ViewerArguments()[0];
        EXPECT_EQ(ReadWholeFile(viewed), "kept");
    }
    EXPECT_FALSE(fs::exists(viewed));
    EXPECT_TRUE(CacheIsEmpty());
}

// With none of the viewers on PATH, a box names the packages to install; nothing is
// downloaded. With one of them, it gets the option that keeps it open, and a local copy is
// handed over as it is.
TEST_F(QuickViewTest, DefaultViewers) {
    const std::string bin = m_dir.File("bin");
    fs::create_directory(bin);
    const ScopedVariable path("PATH", bin);
    CViewerLauncher viewers;
    const std::string address = m_servers.http.Url("/files/unviewed.txt");
    View(Element(address), viewers);
    TheCatalogue().SetCurrentLcid(kLcidFrench);
    View(Element(address), viewers);
    TheCatalogue().SetCurrentLcid(kLcidEnglish);

    const auto boxes = m_env.boxes.Boxes();
    ASSERT_EQ(boxes.size(), 2u);
    const std::string packages = "gnome-text-editor, gedit, mousepad, kate, pluma, featherpad";
    EXPECT_EQ(
        boxes[0].text,
        "No text viewer was found to show the file. Install one of these packages: " + packages);
    EXPECT_EQ(boxes[0].caption, "ERROR");
    EXPECT_EQ(boxes[0].icon, BoxIcon::Error);
    EXPECT_EQ(boxes[0].owner, BoxOwner::MainWindow);
    EXPECT_EQ(boxes[1].text,
              "Aucun visualiseur de texte n'a \xC3\xA9t\xC3\xA9 trouv\xC3\xA9 pour afficher le "
              "fichier. Installez l'un de ces paquets : " +
                  packages);
    EXPECT_FALSE(m_servers.Requested("/files/unviewed.txt"));
    EXPECT_FALSE(fs::exists(CacheFolder()));
    EXPECT_TRUE(m_env.windowBoxes.Boxes().empty());

    fs::copy_file(m_script, bin + "/gnome-text-editor");
    const std::string local = m_dir.File("local copy.txt");
    WriteWholeFile(local, "local");
    View(Element(local), viewers);
    EXPECT_EQ(ViewerArguments(), (std::vector<std::string>{"--standalone", local}));
    EXPECT_EQ(ReadWholeFile(local), "local");
    EXPECT_FALSE(fs::exists(CacheFolder()));
    EXPECT_EQ(m_env.boxes.Boxes().size(), 2u);
}

}  // namespace
