#include "remote/CurlTransfer.h"

#include <mutex>

namespace {

// Longest wait between two looks at the stop condition when nothing wakes the transfer;
// libcurl shortens it for its own timers.
constexpr int kPollMs = 1000;

}  // namespace

size_t DiscardCurlData(char*, size_t size, size_t count, void*) {
    return size * count;
}

void EnsureCurlReady() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

CurlEasy MakeCurlEasy() {
    EnsureCurlReady();
    CurlEasy easy(curl_easy_init());
    if (easy) {
        curl_easy_setopt(easy.get(), CURLOPT_NOSIGNAL, 1L);
    }
    return easy;
}

bool MeansServerDown(CURLcode code) {
    return code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT;
}

CCurlMulti::CCurlMulti() {
    EnsureCurlReady();
    m_multi = curl_multi_init();
}

CCurlMulti::~CCurlMulti() {
    if (m_multi) {
        curl_multi_cleanup(m_multi);
    }
}

CURLcode CCurlMulti::Perform(CURL* easy, const std::function<bool()>& shouldStop) {
    if (!m_multi || curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
        return CURLE_FAILED_INIT;
    }
    CURLcode result = CURLE_OK;
    for (bool done = false; !done;) {
        if (shouldStop()) {
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        int running = 0;
        if (curl_multi_perform(m_multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                done = true;
            }
        }
        if (!done) {
            curl_multi_poll(m_multi, nullptr, 0, kPollMs, nullptr);
        }
    }
    curl_multi_remove_handle(m_multi, easy);
    return result;
}

void CCurlMulti::Wake() {
    if (m_multi) {
        curl_multi_wakeup(m_multi);
    }
}
