#pragma once

#include "core/CheckEnvironment.h"

#include <string>
#include <vector>

// Starts programs without a shell and waits for them. The program "notepad.exe" stands for
// the first text viewer of `viewers` found on PATH (a name with a slash is taken as it
// stands).
class CViewerLauncher : public IViewerLauncher {
public:
    CViewerLauncher();
    explicit CViewerLauncher(std::vector<std::string> viewers) : m_viewers(std::move(viewers)) {}

    int RunAndWait(const std::string& commandLine) override;

    // The graphical text viewers tried in turn, then the desktop's opener.
    static std::vector<std::string> DefaultViewers();

private:
    std::string FindViewer() const;

    std::vector<std::string> m_viewers;
};
