#include "core/ViewerLauncher.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string_view>

namespace {

constexpr std::string_view kAnyTextViewer = "notepad.exe";

bool IsExecutable(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

// The full path of `program` on PATH, or "" when it is not there.
std::string SearchPath(const std::string& program) {
    if (program.find('/') != std::string::npos) {
        return IsExecutable(program) ? program : std::string();
    }
    const char* path = std::getenv("PATH");
    std::string_view folders = path ? path : "/usr/bin:/bin";
    while (!folders.empty()) {
        const size_t colon = folders.find(':');
        std::string folder(folders.substr(0, colon));
        folders = colon == std::string_view::npos ? std::string_view() : folders.substr(colon + 1);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
        if (IsExecutable(candidate)) {
            return candidate;
        }
    }
    return {};
}

int WaitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return 0;
        }
    }
    if (WIFEXITED(status)) {
        return WEXITSTATUS(status);
    }
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : 0;
}

// A relative path that begins with "-" would be taken for an option by the viewer; the same
// path from the current folder cannot be.
std::string NotAnOption(const std::string& argument) {
    return argument.starts_with('-') ? "./" + argument : argument;
}

}  // namespace

CViewerLauncher::CViewerLauncher() : m_viewers(DefaultViewers()) {}

// A viewer that hands its file to a running instance and ends at once is given the option
// that makes it stay, as each one's manual documents it; the others may end before they have
// read the file. The desktop's opener always ends at once.
std::vector<TextViewer> CViewerLauncher::DefaultViewers() {
    return {{"gnome-text-editor", "--standalone", true, "gnome-text-editor"},
            {"gedit", "--wait", true, "gedit"},
            {"mousepad", "--disable-server", true, "mousepad"},
            {"kate", "--block", true, "kate"},
            {"xed", "", false, ""},
            {"pluma", "", false, "pluma"},
            {"leafpad", "", false, ""},
            {"featherpad", "--standalone", true, "featherpad"},
            {"xdg-open", "", false, ""}};
}

std::string CViewerLauncher::ViewerPackages() {
    std::string packages;
    for (const TextViewer& viewer : DefaultViewers()) {
        if (!viewer.package.empty()) {
            packages += (packages.empty() ? "" : ", ") + viewer.package;
        }
    }
    return packages;
}

CViewerLauncher::Found CViewerLauncher::FindViewer() const {
    for (const TextViewer& viewer : m_viewers) {
        std::string found = SearchPath(viewer.program);
        if (!found.empty()) {
            return {&viewer, std::move(found)};
        }
    }
    return {};
}

TextViewerKind CViewerLauncher::FindTextViewer() {
    const Found found = FindViewer();
    if (!found.viewer) {
        return TextViewerKind::Missing;
    }
    return found.viewer->staysUntilClosed ? TextViewerKind::StaysUntilClosed
                                          : TextViewerKind::MayEndAtOnce;
}

int CViewerLauncher::RunAndWait(const std::string& commandLine) {
    const size_t blank = commandLine.find(' ');
    const std::string program = commandLine.substr(0, blank);
    std::vector<std::string> arguments;
    std::string executable;
    if (program == kAnyTextViewer) {
        const Found found = FindViewer();
        executable = found.path;
        if (found.viewer && !found.viewer->waitOption.empty()) {
            arguments.push_back(found.viewer->waitOption);
        }
    } else {
        executable = SearchPath(program);
    }
    if (executable.empty()) {
        return 0;
    }
    if (blank != std::string::npos) {
        arguments.push_back(NotAnOption(commandLine.substr(blank + 1)));
    }
    std::vector<char*> argv{executable.data()};
    for (std::string& argument : arguments) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    // The program ignores SIGXFSZ so that a write beyond the size limit fails with a
    // message; the viewer is another program and gets the default back.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGXFSZ);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    pid_t pid = 0;
    const int failed =
        ::posix_spawn(&pid, executable.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    return failed != 0 ? 0 : WaitForExit(pid);
}
