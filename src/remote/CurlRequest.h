#pragma once

#include <curl/curl.h>

#include <coroutine>

// Runs the requests of easy handles for remote work written as tasks (remote/Task.h).
class ICurlRunner {
public:
    virtual ~ICurlRunner() = default;
    // Runs the request `easy` is set up for. Either at once: true, with `result` set. Or
    // later: false, and `then` is resumed once the request has ended, with `result` set.
    virtual bool Run(CURL* easy, CURLcode& result, std::coroutine_handle<> then) = 0;
    // The task waiting for the request of `easy` is gone: the request is dropped unseen.
    virtual void Forget(CURL* easy) = 0;
};

// Performs each request at once on the calling thread.
class CCurlRunnerInPlace : public ICurlRunner {
public:
    bool Run(CURL* easy, CURLcode& result, std::coroutine_handle<> then) override;
    void Forget(CURL*) override {}
};

// `co_await CurlRequest{runner, easy}`: the result of the request `easy` is set up for.
struct CurlRequest {
    ICurlRunner& runner;
    CURL* easy;
    CURLcode result = CURLE_OK;
    bool waiting = false;

    // A task dropped while it waits takes its request with it.
    ~CurlRequest() {
        if (waiting) {
            runner.Forget(easy);
        }
    }

    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> awaiting) {
        waiting = !runner.Run(easy, result, awaiting);
        return waiting;
    }
    CURLcode await_resume() noexcept {
        waiting = false;
        return result;
    }
};
