#include "remote/ReceiveWatch.h"

CURLcode CReceiveWatch::Attach(CURL* easy, std::chrono::milliseconds limit) {
    m_easy = easy;
    m_nLimitUs = std::chrono::duration_cast<std::chrono::microseconds>(limit).count();
    m_nElapsedUs = 0;
    m_nArrived = -1;
    m_bExpired = false;
    CURLcode code = curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &CReceiveWatch::OnProgress);
    if (code == CURLE_OK) {
        code = curl_easy_setopt(easy, CURLOPT_XFERINFODATA, this);
    }
    if (code == CURLE_OK) {
        code = curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    }
    return code;
}

CURLcode CReceiveWatch::Result(CURLcode code) const {
    return m_bExpired && code == CURLE_ABORTED_BY_CALLBACK ? CURLE_OPERATION_TIMEDOUT : code;
}

int CReceiveWatch::OnProgress(void* self, curl_off_t, curl_off_t received, curl_off_t, curl_off_t) {
    auto& watch = *static_cast<CReceiveWatch*>(self);
    if (watch.Expired(received)) {
        return 1;
    }
    return watch.m_shouldStop && watch.m_shouldStop() ? 1 : 0;
}

bool CReceiveWatch::Expired(curl_off_t received) {
    long headerBytes = 0;
    curl_off_t elapsed = 0;
    curl_off_t connected = 0;
    curl_easy_getinfo(m_easy, CURLINFO_HEADER_SIZE, &headerBytes);
    curl_easy_getinfo(m_easy, CURLINFO_TOTAL_TIME_T, &elapsed);
    curl_easy_getinfo(m_easy, CURLINFO_CONNECT_TIME_T, &connected);
    if (elapsed < m_nElapsedUs) {
        m_nArrived = -1;  // a new transfer of the same handle
    }
    m_nElapsedUs = elapsed;
    const curl_off_t arrived = received + headerBytes;
    // The wait for the connection is the connect time-out's, not this watch's.
    if (arrived != m_nArrived || connected == 0) {
        m_nArrived = arrived;
        m_nLastArrivalUs = elapsed;
    }
    m_bExpired = elapsed - m_nLastArrivalUs >= m_nLimitUs;
    return m_bExpired;
}
