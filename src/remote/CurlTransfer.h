#pragma once

#include <curl/curl.h>

#include <functional>
#include <memory>

// A write callback that drops what it is given: FTP steps without a body still pass on
// what the control connection told as header lines.
size_t DiscardCurlData(char* data, size_t size, size_t count, void* context);

// libcurl's process-wide set-up, done once before the first handle.
void EnsureCurlReady();

struct CurlEasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;

// What a download receives at most per read: libcurl's default of 16 KB costs a system call
// and a callback for every 16 KB on a fast link. The progress still counts 4096-byte units.
inline constexpr long kDownloadBufferBytes = 512L * 1024;

// A fresh easy handle that raises no signals (it runs on worker threads), or null.
CurlEasy MakeCurlEasy();

// Whether a request ended because the server refused the connection or let a wait run out.
bool MeansServerDown(CURLcode code);

// Runs one easy handle at a time through a multi handle, so that another thread can make
// a transfer that waits on a silent server look at its stop condition at once. Connections
// stay cached between transfers, so consecutive steps on one server share one connection.
class CCurlMulti {
public:
    CCurlMulti();
    ~CCurlMulti();
    CCurlMulti(const CCurlMulti&) = delete;
    CCurlMulti& operator=(const CCurlMulti&) = delete;

    // Runs `easy` to its end and gives its result. `shouldStop` is asked before every
    // step and after every wake-up; once it answers true the transfer is dropped and the
    // result is CURLE_ABORTED_BY_CALLBACK. CURLE_FAILED_INIT when the handle is refused.
    CURLcode Perform(CURL* easy, const std::function<bool()>& shouldStop);

    // Any thread: a running Perform asks `shouldStop` again without waiting for the network.
    void Wake();

private:
    CURLM* m_multi;
};
