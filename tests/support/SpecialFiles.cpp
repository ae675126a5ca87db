#include "SpecialFiles.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "files/FileDescriptor.h"

namespace {

void MakeSocket(const std::string& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) {
        throw std::runtime_error("socket path too long: " + path);
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const CFileDescriptor fd(socket(AF_UNIX, SOCK_STREAM, 0));
    if (!fd.IsOpen() ||
        bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throw std::runtime_error("cannot make socket " + path);
    }
}

}  // namespace

std::vector<SpecialFile> MakeSpecialFiles(const std::filesystem::path& folder) {
    std::vector<SpecialFile> files;
    const std::string device = (folder / "device").string();
    if (mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        files.push_back({"device", device});
    }
    const std::string fifo = (folder / "fifo").string();
    if (mkfifo(fifo.c_str(), 0666) != 0) {
        throw std::runtime_error("cannot make FIFO " + fifo);
    }
    files.push_back({"FIFO", fifo});
    const std::string socket = (folder / "socket").string();
    MakeSocket(socket);
    files.push_back({"socket", socket});
    const std::filesystem::path subfolder = folder / "folder";
    std::filesystem::create_directory(subfolder);
    files.push_back({"folder", subfolder.string()});
    const size_t count = files.size();
    for (size_t i = 0; i < count; ++i) {
        const std::filesystem::path link = folder / ("link-to-" + files[i].kind);
        std::filesystem::create_symlink(files[i].path, link);
        files.push_back({"link to " + files[i].kind, link.string()});
    }
    return files;
}

FileIdentity IdentityOf(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return {};
    }
    return {static_cast<mode_t>(info.st_mode & S_IFMT), info.st_dev, info.st_ino};
}

std::vector<std::string> NamesIn(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}
