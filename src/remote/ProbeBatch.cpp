#include "remote/ProbeBatch.h"

#include "remote/CurlRequest.h"
#include "remote/CurlTransfer.h"

#include <map>
#include <optional>
#include <set>

namespace {

// Longest wait for the network between two turns; libcurl shortens it for its own timers.
constexpr int kPollMs = 1000;

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

Task<ProbeResult> Probe(const ProbeRequest& request, const TrustedKeys& trusted,
                        ICurlRunner& runner) {
    switch (request.protocol) {
        case ProbeRequest::Protocol::Ftp:
            return ProbeFtp(request.ftp, trusted, runner);
        case ProbeRequest::Protocol::Sftp:
            return ProbeSftp(request.sftp, runner);
        case ProbeRequest::Protocol::Http:
            break;
    }
    return ProbeHttp(request.address, trusted, runner);
}

std::string ServerOf(const ProbeRequest& request) {
    return request.server + ":" + std::to_string(request.port);
}

// The probes of one call. A probe holds one connection at a time, so the limits are kept by
// starting a probe, in list order, only while its server and the whole call have a
// connection to spare; a probe waiting for one has nothing open, and a server found down
// ends its waiting probes before they connect.
class CProbeQueue {
public:
    CProbeQueue(const std::vector<ProbeRequest>& requests, const ProbeLimits& limits,
                const TrustedKeys& trusted, ICurlRunner& runner)
        : m_requests(requests),
          m_limits(limits),
          m_trusted(trusted),
          m_runner(runner),
          m_tasks(requests.size()),
          m_results(requests.size()),
          m_nLeft(requests.size()) {
        for (size_t i = 0; i < requests.size(); ++i) {
            m_waiting.push_back(i);
        }
    }

    bool Finished() const { return m_nLeft == 0; }
    bool Running() const { return m_nRunning > 0; }
    std::vector<ProbeResult> TakeResults() { return std::move(m_results); }

    void StartWhatMay() {
        std::vector<size_t> stillWaiting;
        for (const size_t i : m_waiting) {
            const std::string server = ServerOf(m_requests[i]);
            if (const auto down = m_down.find(server); down != m_down.end()) {
                End(i, down->second);
            } else if (m_nRunning < m_limits.total && m_perServer[server] < m_limits.perServer) {
                m_tasks[i].emplace(Probe(m_requests[i], m_trusted, m_runner));
                ++m_nRunning;
                ++m_perServer[server];
                m_tasks[i]->Start();
            } else {
                stillWaiting.push_back(i);
            }
        }
        m_waiting = std::move(stillWaiting);
    }

    // Takes the probes that have ended; when one found its server down, the others of that
    // server end with its result.
    void CollectEnded() {
        for (size_t i = 0; i < m_tasks.size(); ++i) {
            if (m_tasks[i] && m_tasks[i]->Done()) {
                ProbeResult result = std::move(m_tasks[i]->Value());
                if (result.serverDown) {
                    m_down.try_emplace(ServerOf(m_requests[i]), result);
                }
                Stop(i, std::move(result));
            }
        }
        for (size_t i = 0; i < m_tasks.size(); ++i) {
            if (m_tasks[i]) {
                if (const auto down = m_down.find(ServerOf(m_requests[i])); down != m_down.end()) {
                    Stop(i, down->second);
                }
            }
        }
    }

private:
    // A running probe ends, done or dropped with its requests.
    void Stop(size_t i, ProbeResult result) {
        m_tasks[i].reset();
        --m_nRunning;
        --m_perServer[ServerOf(m_requests[i])];
        End(i, std::move(result));
    }
    void End(size_t i, ProbeResult result) {
        m_results[i] = std::move(result);
        --m_nLeft;
    }

    const std::vector<ProbeRequest>& m_requests;
    ProbeLimits m_limits;
    const TrustedKeys& m_trusted;
    ICurlRunner& m_runner;
    std::vector<std::optional<Task<ProbeResult>>> m_tasks;
    std::vector<ProbeResult> m_results;
    std::vector<size_t> m_waiting;
    std::map<std::string, long> m_perServer;
    std::map<std::string, ProbeResult> m_down;
    long m_nRunning = 0;
    size_t m_nLeft;
};

}  // namespace

std::vector<ProbeResult> ProbeSideBySide(const std::vector<ProbeRequest>& requests,
                                         const ProbeLimits& limits, const TrustedKeys& trusted) {
    EnsureCurlReady();
    CMultiRunner runner(limits);
    CProbeQueue queue(requests, limits, trusted, runner);
    while (!queue.Finished()) {
        queue.StartWhatMay();
        queue.CollectEnded();
        if (queue.Running()) {
            runner.Turn();
            queue.CollectEnded();
        }
    }
    return queue.TakeResults();
}
