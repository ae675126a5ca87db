#include "SshServer.h"

#include <unistd.h>

#include <cstdio>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

std::vector<std::string> LauncherArguments(const std::string& root, const std::string& work,
                                           const std::string& authorizedKey) {
    std::vector<std::string> arguments{root, work};
    if (!authorizedKey.empty()) {
        arguments.insert(arguments.end(), {"--authorized-key", authorizedKey});
    }
    return arguments;
}

std::string Output(const std::string& command) {
    std::unique_ptr<FILE, decltype(&pclose)> pipe(popen(command.c_str(), "r"), &pclose);
    if (!pipe) {
        throw std::runtime_error("cannot run " + command);
    }
    std::string output;
    char buffer[512];
    while (const size_t read = fread(buffer, 1, sizeof buffer, pipe.get())) {
        output.append(buffer, read);
    }
    return output;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

}  // namespace

bool CSshTestServer::Available() {
    return access("/usr/sbin/sshd", X_OK) == 0 && geteuid() == 0;
}

CSshTestServer::CSshTestServer(const std::string& root, const std::string& authorizedKey)
    : m_process("sshd_server.py", LauncherArguments(root, m_work.Path().string(), authorizedKey)) {}

std::string CSshTestServer::Url(const std::string& path, bool ipv6) const {
    return std::string("sftp://watcher@") + (ipv6 ? "[::1]" : "127.0.0.1") + ":" +
           std::to_string(Port()) + path;
}

void MakeSshKey(const std::string& path, const std::string& passphrase) {
    Output("ssh-keygen -q -t ed25519 -N " + Quoted(passphrase) + " -f " + Quoted(path) +
           " </dev/null");
}

std::string SshKeygenFingerprint(const std::string& publicKeyFile) {
    std::istringstream words(Output("ssh-keygen -l -f " + Quoted(publicKeyFile)));
    std::string bits;
    std::string fingerprint;
    words >> bits >> fingerprint;
    return fingerprint;
}

std::string PublicKeyText(const std::string& publicKeyFile) {
    std::istringstream words(ReadWholeFile(publicKeyFile));
    std::string type;
    std::string key;
    words >> type >> key;
    return type + " " + key;
}

void HashKnownHosts(const std::string& path) {
    Output("ssh-keygen -H -f " + Quoted(path) + " 2>&1");
}
