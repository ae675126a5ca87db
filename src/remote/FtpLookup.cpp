#include "remote/FtpLookup.h"

#include <ctime>

#include "remote/CurlTransfer.h"
#include "remote/FtpListing.h"
#include "remote/FtpSupport.h"

namespace {

size_t CollectListing(char* data, size_t size, size_t count, void* listing) {
    static_cast<std::string*>(listing)->append(data, size * count);
    return size * count;
}

// Whether a refusal says that the file or folder is not there, as servers word it.
bool SaysAbsent(const std::string& refusal) {
    std::string text;
    for (char c : refusal) {
        text += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    for (const char* words :
         {"no such file", "not found", "does not exist", "doesn't exist", "not a directory"}) {
        if (text.find(words) != std::string::npos) {
            return true;
        }
    }
    return false;
}

FtpFileFacts Facts(FtpFileState state, CURLcode code = CURLE_OK) {
    FtpFileFacts facts;
    facts.state = state;
    facts.code = code;
    return facts;
}

// Runs one listing command on the folder; the server's answer, or the failure's code.
Task<CURLcode> List(CURL* easy, const FtpServer& server, const std::string& folderUrl,
                    const char* command, const FtpPerform& perform, std::string& listing) {
    listing.clear();
    curl_easy_setopt(easy, CURLOPT_URL, folderUrl.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 0L);
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, command);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &CollectListing);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &listing);
    const CURLcode code = co_await PerformPassiveThenActive(easy, server, perform);
    curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &DiscardCurlData);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, nullptr);
    co_return code;
}

FtpFileFacts FromEntry(const FtpListingEntry& entry, int64_t knownSize) {
    if (!entry.isFile) {
        return Facts(FtpFileState::NotFound);
    }
    if (!entry.readable) {
        return Facts(FtpFileState::Denied, CURLE_REMOTE_ACCESS_DENIED);
    }
    FtpFileFacts facts = Facts(FtpFileState::Found);
    facts.time = entry.time;
    facts.size = knownSize >= 0 ? knownSize : entry.size;
    return facts;
}

// A folder the user may not enter lists as empty on some servers (proftpd): a file missing
// from its listing is absent only when the folder can be entered. The login folder is
// entered again after, so later relative paths still start there.
Task<FtpFileFacts> EnterFolder(CURL* easy, const FtpServer& server, const std::string& folder,
                               const CFtpReply& reply, const FtpPerform& perform) {
    const char* entry = nullptr;
    const std::string path = FtpServerPath(folder);
    // A decoded line break would end the command and start another.
    if (folder.empty() || path.find_first_of(std::string("\r\n\0", 3)) != std::string::npos ||
        curl_easy_getinfo(easy, CURLINFO_FTP_ENTRY_PATH, &entry) != CURLE_OK || !entry) {
        co_return Facts(FtpFileState::NotFound);
    }
    const std::string enter = "CWD " + path;
    const std::string back = std::string("CWD ") + entry;
    curl_slist* commands = curl_slist_append(nullptr, enter.c_str());
    curl_slist* both = commands ? curl_slist_append(commands, back.c_str()) : nullptr;
    if (!both) {
        curl_slist_free_all(commands);
        co_return Facts(FtpFileState::Failed, CURLE_OUT_OF_MEMORY);
    }
    curl_easy_setopt(easy, CURLOPT_URL, FtpServerUrl(server).c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_QUOTE, both);
    const CURLcode code = co_await perform();
    curl_easy_setopt(easy, CURLOPT_QUOTE, nullptr);
    curl_slist_free_all(both);
    if (code == CURLE_OK || (code == CURLE_QUOTE_ERROR && SaysAbsent(reply.Refusal()))) {
        co_return Facts(FtpFileState::NotFound);
    }
    co_return Facts(code == CURLE_QUOTE_ERROR ? FtpFileState::Denied : FtpFileState::Failed,
                    code == CURLE_QUOTE_ERROR ? CURLE_REMOTE_ACCESS_DENIED : code);
}

// The file's entry in its folder's listing.
Task<FtpFileFacts> SearchFolder(CURL* easy, const FtpServer& server, const std::string& object,
                                const CFtpReply& reply, const FtpPerform& perform,
                                int64_t knownSize) {
    const size_t slash = object.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : object.substr(0, slash + 1);
    const std::string name = FtpServerPath(object.substr(slash + 1));
    const std::string folderUrl =
        folder.empty() ? FtpServerUrl(server) : FtpObjectUrl(server, folder);
    std::string listing;
    CURLcode code = co_await List(easy, server, folderUrl, "MLSD", perform, listing);
    if (code == CURLE_OK) {
        if (const auto entry = FindInMlsd(listing, name)) {
            co_return FromEntry(*entry, knownSize);
        }
        co_return co_await EnterFolder(easy, server, folder, reply, perform);
    }
    if (code == CURLE_OPERATION_TIMEDOUT || code == CURLE_ABORTED_BY_CALLBACK) {
        co_return Facts(FtpFileState::Failed, code);
    }
    code = co_await List(easy, server, folderUrl, nullptr, perform, listing);
    if (code == CURLE_OK) {
        if (const auto entry =
                FindInList(listing, name, static_cast<int64_t>(std::time(nullptr)))) {
            co_return FromEntry(*entry, knownSize);
        }
        co_return co_await EnterFolder(easy, server, folder, reply, perform);
    }
    if (SaysAbsent(reply.Refusal())) {
        co_return Facts(FtpFileState::NotFound);
    }
    co_return Facts(IsFtpNotFound(code) ? FtpFileState::Denied : FtpFileState::Failed, code);
}

}  // namespace

Task<FtpFileFacts> LookUpFtpFile(CURL* easy, const FtpServer& server, const std::string& object,
                                 const CFtpReply& reply, const FtpPerform& perform) {
    const bool folder = object.empty() || object.ends_with('/');
    const std::string url = folder ? FtpServerUrl(server) : FtpObjectUrl(server, object);
    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(easy, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(easy, CURLOPT_FILETIME, folder ? 0L : 1L);
    const CURLcode code = co_await perform();
    if (code != CURLE_OK && !IsFtpNotFound(code)) {
        co_return Facts(FtpFileState::Failed, code);
    }
    if (folder) {
        co_return Facts(FtpFileState::NotFound);
    }
    curl_off_t time = -1;
    curl_off_t size = -1;
    if (code == CURLE_OK) {
        curl_easy_getinfo(easy, CURLINFO_FILETIME_T, &time);
        curl_easy_getinfo(easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
        if (time >= 0) {
            FtpFileFacts facts = Facts(FtpFileState::Found);
            facts.time = time;
            facts.size = size;
            co_return facts;
        }
    }
    co_return co_await SearchFolder(easy, server, object, reply, perform, size);
}

Task<CURLcode> PerformPassiveThenActive(CURL* easy, const FtpServer& server,
                                        const FtpPerform& perform) {
    const CURLcode code = co_await perform();
    if ((code != CURLE_FTP_WEIRD_PASV_REPLY && code != CURLE_FTP_WEIRD_227_FORMAT) ||
        server.security != FtpSecurity::None) {
        co_return code;
    }
    curl_easy_setopt(easy, CURLOPT_FTPPORT, "-");
    co_return co_await perform();
}
