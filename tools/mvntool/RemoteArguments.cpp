#include <cstdio>

#include "Commands.h"

bool ParseRemoteArguments(const Arguments& arguments,
                          std::initializer_list<std::string*> positional, RemoteLogin& login) {
    std::vector<std::string> words;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if ((word == "--user" || word == "--password") && i + 1 < arguments.size()) {
            (word == "--user" ? login.user : login.password) = arguments[++i];
        } else if (word.starts_with("--")) {
            std::fprintf(stderr, "unknown option %s\n", word.c_str());
            return false;
        } else {
            words.push_back(word);
        }
    }
    if (words.size() != positional.size()) {
        std::fprintf(stderr, "expected %zu argument(s)\n", positional.size());
        return false;
    }
    size_t i = 0;
    for (std::string* target : positional) {
        *target = words[i++];
    }
    return true;
}
