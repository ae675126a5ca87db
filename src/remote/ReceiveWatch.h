#pragma once

#include <curl/curl.h>

#include <chrono>

// Ends a transfer once nothing has arrived for a given time: the longest wait for data.
// libcurl's low-speed limit averages the rate over several seconds, so a stall would only
// end some seconds after that time. Header lines (an FTP server's replies) count as
// arrivals, so the wait for an answer is bounded the same way; the wait for the connection
// is not counted.
class CReceiveWatch {
public:
    // Watches the transfers of `easy` from now on; the watch must outlive them.
    CURLcode Attach(CURL* easy, std::chrono::milliseconds limit);

    // The result of a transfer, with the stop this watch caused reported as a time-out.
    CURLcode Result(CURLcode code) const;

private:
    static int OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t);
    bool Expired(curl_off_t received);

    CURL* m_easy = nullptr;
    curl_off_t m_nLimitUs = 0;
    // On the clock of the handle's current transfer, which starts at 0 with each transfer.
    curl_off_t m_nElapsedUs = 0;
    curl_off_t m_nLastArrivalUs = 0;
    curl_off_t m_nArrived = -1;
    bool m_bExpired = false;
};
