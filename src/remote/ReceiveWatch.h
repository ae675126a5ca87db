#pragma once

#include <curl/curl.h>

#include <chrono>
#include <functional>

// Ends a transfer once nothing has arrived for a given time: the longest wait for data.
// libcurl's low-speed limit averages the rate over several seconds, so a stall would only
// end some seconds after that time. Header lines (an FTP server's replies) count as
// arrivals, so the wait for an answer is bounded the same way; the wait for the connection
// is not counted.
class CReceiveWatch {
public:
    // Watches the transfers of `easy` from now on; the watch must outlive them.
    CURLcode Attach(CURL* easy, std::chrono::milliseconds limit);

    // Also ends the transfer once `shouldStop` answers true. libcurl reports progress about
    // once a second even in the waits it keeps to itself, where a wake-up of the multi
    // handle is not seen (an FTP transfer's final reply), so a stop is seen there too.
    // The result of such an end stays CURLE_ABORTED_BY_CALLBACK.
    void StopWhen(std::function<bool()> shouldStop) { m_shouldStop = std::move(shouldStop); }

    // The result of a transfer, with the stop this watch caused reported as a time-out.
    CURLcode Result(CURLcode code) const;

private:
    static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t);
    bool Expired(curl_off_t received);

    CURL* m_easy = nullptr;
    std::function<bool()> m_shouldStop;
    curl_off_t m_nLimitUs = 0;
    // On the clock of the handle's current transfer, which starts at 0 with each transfer.
    curl_off_t m_nElapsedUs = 0;
    curl_off_t m_nLastArrivalUs = 0;
    curl_off_t m_nArrived = -1;
    bool m_bExpired = false;
};
