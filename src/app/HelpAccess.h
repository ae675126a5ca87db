#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Shows a manual: at its default topic (topic 0) or at a numbered topic.
class IHelpViewer {
public:
    virtual ~IHelpViewer() = default;
    virtual void ShowTopic(const std::string& path, uint32_t topic) = 0;
};

// The application's help routine. The manual is looked for in the help folders at the
// first request; when it is not there, that request and every later one do nothing,
// silently.
class CHelpAccess {
public:
    CHelpAccess(std::vector<std::string> folders, IHelpViewer& viewer)
        : m_arrFolders(std::move(folders)), m_viewer(viewer) {}

    // A request (HELP_CONTEXT or HELP_INDEX) in the current language.
    void WinHelp(uint32_t context, uint32_t command);
    // Whether the viewer was asked to show the file: not when help is not available.
    bool CallHtmlHelp(const std::string& file, uint32_t command, uint32_t argument);

private:
    std::vector<std::string> m_arrFolders;
    IHelpViewer& m_viewer;
    bool m_bFailed = false;
};

// Where the manuals are looked for, in order: "help" beside the program, the
// share/morvane/help folder of the program's prefix, and that of the install prefix.
std::vector<std::string> HelpFolders(const std::string& programFile);
