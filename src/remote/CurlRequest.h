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
};

// Performs each request at once on the calling thread.
class CCurlRunnerInPlace : public ICurlRunner {
public:
    bool Run(CURL* easy, CURLcode& result, std::coroutine_handle<> then) override;
};

// `co_await CurlRequest{runner, easy}`: the result of the request `easy` is set up for.
struct CurlRequest {
    ICurlRunner& runner;
    CURL* easy;
    CURLcode result = CURLE_OK;

    bool await_ready() const noexcept { return false; }
    bool await_suspend(std::coroutine_handle<> awaiting) {
        return !runner.Run(easy, result, awaiting);
    }
    CURLcode await_resume() const noexcept { return result; }
};
