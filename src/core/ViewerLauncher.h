#pragma once

#include "core/CheckEnvironment.h"

#include <string>
#include <utility>
#include <vector>

// A text viewer that "notepad.exe" may stand for.
struct TextViewer {
    TextViewer(std::string name, std::string option = {}, bool stays = false,
               std::string debianPackage = {})
        : program(std::move(name)),
          waitOption(std::move(option)),
          staysUntilClosed(stays),
          package(std::move(debianPackage)) {}

    std::string program;     // looked for on PATH; a name with a slash is taken as it stands
    std::string waitOption;  // given before the file so that the viewer stays; "" for none
    bool staysUntilClosed;   // with that option, it ends only when its file is closed
    std::string package;     // the Debian package that installs it; "" for none
};

// Starts programs without a shell and waits for them. The program "notepad.exe" stands for
// the first text viewer of `viewers` found on PATH.
class CViewerLauncher : public IViewerLauncher {
public:
    CViewerLauncher();
    explicit CViewerLauncher(std::vector<TextViewer> viewers) : m_viewers(std::move(viewers)) {}

    TextViewerKind FindTextViewer() override;
    int RunAndWait(const std::string& commandLine) override;

    // The graphical text viewers tried in turn, then the desktop's opener.
    static std::vector<TextViewer> DefaultViewers();
    // The packages of the default viewers, for the user to install one: "a, b, c".
    static std::string ViewerPackages();

private:
    struct Found {
        const TextViewer* viewer = nullptr;
        std::string path;
    };
    Found FindViewer() const;

    std::vector<TextViewer> m_viewers;
};
