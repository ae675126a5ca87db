#include <fstream>

#include "Commands.h"
#include "ConsoleOutput.h"

namespace {

// The first line of `path`, without its line end; false after saying why.
bool ReadPasswordFile(const std::string& path, std::string& password) {
    std::ifstream file(path);
    if (!file) {
        PrintError("%s: cannot read the password file\n", path.c_str());
        return false;
    }
    std::getline(file, password);
    if (password.ends_with('\r')) {
        password.pop_back();
    }
    return true;
}

}  // namespace

bool ParseRemoteArguments(const Arguments& arguments,
                          std::initializer_list<std::string*> positional, RemoteOptions& options) {
    std::vector<std::string> words;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if ((word == "--user" || word == "--password") && i + 1 < arguments.size()) {
            (word == "--user" ? options.user : options.password) = arguments[++i];
        } else if (word == "--password-file" && i + 1 < arguments.size()) {
            if (!ReadPasswordFile(arguments[++i], options.password)) {
                return false;
            }
        } else if (word == "--trust-key" && i + 1 < arguments.size()) {
            options.trustedKey = arguments[++i];
            if (!options.trustedKey.starts_with("sha256//")) {
                PrintError("--trust-key takes a key as sha256//BASE64\n");
                return false;
            }
        } else if (word == "--accept-new-host-key") {
            options.acceptNewHostKey = true;
        } else if (word.starts_with("--")) {
            PrintError("unknown option %s\n", word.c_str());
            return false;
        } else {
            words.push_back(word);
        }
    }
    if (words.size() != positional.size()) {
        PrintError("expected %zu argument(s)\n", positional.size());
        return false;
    }
    size_t i = 0;
    for (std::string* target : positional) {
        *target = words[i++];
    }
    return true;
}

TrustedKeys TrustedForRun(const ParsedAddress& parsed, const RemoteOptions& options) {
    if (options.trustedKey.empty()) {
        return {};
    }
    return {{ServerKey(parsed.server, parsed.port), options.trustedKey}};
}

void PrintUntrustedKey(const std::optional<UntrustedServer>& untrusted) {
    if (untrusted && !untrusted->key.empty()) {
        PrintError("key: %s\n", untrusted->key.c_str());
    }
}

void PrintRefusedHostKey(const std::optional<SshHostRefusal>& refused) {
    if (refused) {
        PrintError("host key: %s\n", HostKeyFingerprint(refused->key).c_str());
    }
}
