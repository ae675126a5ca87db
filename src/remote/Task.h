#pragma once

#include <coroutine>
#include <exception>
#include <optional>
#include <utility>

// A piece of remote work written as one sequence of steps, some of which wait for the
// network: a coroutine that starts when it is awaited or started, and hands its value to
// the one that awaits it. Run on its own it goes as far as its first wait; a step that does
// not wait (a request performed at once) lets it run to its end in one go.
template <typename T>
class Task {
public:
    struct promise_type;
    using Handle = std::coroutine_handle<promise_type>;

    struct promise_type {
        std::optional<T> value;
        std::coroutine_handle<> continuation = std::noop_coroutine();

        Task get_return_object() { return Task(Handle::from_promise(*this)); }
        std::suspend_always initial_suspend() noexcept { return {}; }
        // At its end the task goes straight on with the one that awaited it.
        struct FinalAwaiter {
            bool await_ready() noexcept { return false; }
            std::coroutine_handle<> await_suspend(Handle ended) noexcept {
                return ended.promise().continuation;
            }
            void await_resume() noexcept {}
        };
        FinalAwaiter final_suspend() noexcept { return {}; }
        void return_value(T result) { value.emplace(std::move(result)); }
        // Remote work reports failures as values; anything else is a fault of the program.
        void unhandled_exception() noexcept { std::terminate(); }
    };

    Task(Task&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            Destroy();
            m_handle = std::exchange(other.m_handle, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    // A task dropped while it waits ends there, with every task it awaits.
    ~Task() { Destroy(); }

    bool await_ready() const noexcept { return false; }
    std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
        m_handle.promise().continuation = awaiting;
        return m_handle;
    }
    T await_resume() { return std::move(*m_handle.promise().value); }

    // Runs the task up to its first wait, or to its end.
    void Start() { m_handle.resume(); }
    bool Done() const { return m_handle.done(); }
    // Once done: its value.
    T& Value() { return *m_handle.promise().value; }

private:
    explicit Task(Handle handle) : m_handle(handle) {}
    void Destroy() {
        if (m_handle) {
            m_handle.destroy();
        }
    }

    Handle m_handle;
};

// The value of a task whose steps never wait (every request performed at once).
template <typename T>
T RunToEnd(Task<T> task) {
    task.Start();
    if (!task.Done()) {
        std::terminate();
    }
    return std::move(task.Value());
}
