#include "remote/ProbeBatch.h"

#include "remote/CurlRequest.h"
#include "remote/CurlTransfer.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

namespace {

// Longest wait for the network between two turns; libcurl shortens it for its own timers.
constexpr int kPollMs = 1000;
constexpr long kProbesPerConnection = 4;

// Runs the requests of many tasks through one multi handle and resumes each task when its
// request has ended.
class CMultiRunner : public ICurlRunner {
public:
    explicit CMultiRunner(const ProbeLimits& limits) : m_multi(curl_multi_init()) {
        if (m_multi) {
            curl_multi_setopt(m_multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, limits.total);
            curl_multi_setopt(m_multi, CURLMOPT_MAX_HOST_CONNECTIONS, limits.perServer);
        }
    }
    ~CMultiRunner() override {
        for (const auto& [easy, waiting] : m_waiting) {
            curl_multi_remove_handle(m_multi, easy);
        }
        if (m_multi) {
            curl_multi_cleanup(m_multi);
        }
    }
    CMultiRunner(const CMultiRunner&) = delete;
    CMultiRunner& operator=(const CMultiRunner&) = delete;

    bool Run(CURL* easy, CURLcode& result, std::coroutine_handle<> then) override {
        if (!m_multi || curl_multi_add_handle(m_multi, easy) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            return true;
        }
        m_waiting[easy] = {&result, then};
        return false;
    }

    // Lets the requests go on until some have ended, and resumes their tasks.
    void Turn() {
        int running = 0;
        curl_multi_perform(m_multi, &running);
        std::vector<std::coroutine_handle<>> ended;
        int queued = 0;
        while (const CURLMsg* message = curl_multi_info_read(m_multi, &queued)) {
            const auto found = m_waiting.find(message->easy_handle);
            if (message->msg != CURLMSG_DONE || found == m_waiting.end()) {
                continue;
            }
            *found->second.result = message->data.result;
            ended.push_back(found->second.then);
            curl_multi_remove_handle(m_multi, found->first);
            m_waiting.erase(found);
        }
        for (const std::coroutine_handle<> task : ended) {
            task.resume();
        }
        if (ended.empty()) {
            curl_multi_poll(m_multi, nullptr, 0, kPollMs, nullptr);
        }
    }

    void Forget(CURL* easy) override {
        if (m_waiting.erase(easy) > 0) {
            curl_multi_remove_handle(m_multi, easy);
        }
    }

private:
    struct Waiting {
        CURLcode* result;
        std::coroutine_handle<> then;
    };

    CURLM* m_multi;
    std::map<CURL*, Waiting> m_waiting;
};

Task<ProbeResult> Probe(const ProbeRequest& request, ICurlRunner& runner) {
    return request.protocol == ProbeRequest::Protocol::Ftp ? ProbeFtp(request.ftp, runner)
                                                           : ProbeHttp(request.address, runner);
}

std::string ServerOf(const ProbeRequest& request) {
    return request.server + ":" + std::to_string(request.port);
}

}  // namespace

std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>& requests,
                                         const ProbeLimits& limits) {
    EnsureCurlReady();
    CMultiRunner runner(limits);
    // The probes under way at most: enough to keep every connection busy, few enough that
    // a long list does not hold a handle for each of its elements at once.
    const size_t window = static_cast<size_t>(std::max(limits.total, 1L)) * kProbesPerConnection;
    std::vector<std::optional<Task<ProbeResult>>> tasks(requests.size());
    size_t started = 0;
    size_t running = 0;
    std::vector<ProbeResult> results(requests.size());
    std::map<std::string, ProbeResult> down;
    for (size_t left = requests.size(); left > 0;) {
        for (; started < requests.size() && running < window; ++started) {
            const auto server = down.find(ServerOf(requests[started]));
            if (server != down.end()) {
                results[started] = server->second;
                --left;
                continue;
            }
            tasks[started].emplace(Probe(requests[started], runner));
            tasks[started]->Start();
            ++running;
        }
        for (size_t i = 0; i < started; ++i) {
            if (tasks[i] && tasks[i]->Done()) {
                results[i] = std::move(tasks[i]->Value());
                tasks[i].reset();
                --running;
                --left;
                if (results[i].serverDown) {
                    down.try_emplace(ServerOf(requests[i]), results[i]);
                }
            }
        }
        for (size_t i = 0; i < started; ++i) {
            const auto server = down.find(ServerOf(requests[i]));
            if (tasks[i] && server != down.end()) {
                results[i] = server->second;
                tasks[i].reset();
                --running;
                --left;
            }
        }
        if (running > 0) {
            runner.Turn();
        }
    }
    return results;
}
