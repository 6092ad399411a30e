#pragma once

#include <coroutine>
#include <exception>
#include <functional>
#include <optional>
#include <utility>

namespace brivo {

// A conversation step that may wait: a coroutine that starts when it is
// awaited (or started), runs on the windows' thread until it waits for the
// link or a timer, and hands its result or its exception to whoever awaits
// it. Waiting returns to the event loop; nothing blocks.
template <typename T = void> class Task;

namespace detail {

struct TaskPromiseBase {
    std::coroutine_handle<> continuation;
    std::exception_ptr error;
    // A started task's completion: runs once the coroutine has finished.
    std::function<void()> onDone;

    std::suspend_always initial_suspend() noexcept { return {}; }
    struct FinalAwaiter {
        bool await_ready() noexcept { return false; }
        template <typename Promise>
        std::coroutine_handle<> await_suspend(std::coroutine_handle<Promise> self) noexcept {
            TaskPromiseBase& promise = self.promise();
            if (promise.continuation)
                return promise.continuation;
            if (promise.onDone) {
                const std::function<void()> done = std::move(promise.onDone);
                done();
            }
            return std::noop_coroutine();
        }
        void await_resume() noexcept {}
    };
    FinalAwaiter final_suspend() noexcept { return {}; }
    void unhandled_exception() noexcept { error = std::current_exception(); }
};

template <typename T> struct TaskPromise : TaskPromiseBase {
    std::optional<T> value;
    Task<T> get_return_object() noexcept;
    template <typename U> void return_value(U&& v) { value.emplace(std::forward<U>(v)); }
    T take() {
        if (error)
            std::rethrow_exception(error);
        return std::move(*value);
    }
};

template <> struct TaskPromise<void> : TaskPromiseBase {
    Task<void> get_return_object() noexcept;
    void return_void() noexcept {}
    void take() {
        if (error)
            std::rethrow_exception(error);
    }
};

} // namespace detail

template <typename T> class [[nodiscard]] Task {
  public:
    using promise_type = detail::TaskPromise<T>;
    using Handle = std::coroutine_handle<promise_type>;

    Task() = default;
    explicit Task(Handle handle) : handle_(handle) {}
    Task(Task&& other) noexcept : handle_(std::exchange(other.handle_, {})) {}
    Task& operator=(Task&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, {});
        }
        return *this;
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    ~Task() { reset(); }

    bool valid() const { return static_cast<bool>(handle_); }
    bool done() const { return handle_ && handle_.done(); }

    // Runs the task as a top-level conversation: `onDone` runs when it has
    // finished, with or without an exception (see error()). It may finish
    // before start() returns.
    void start(std::function<void()> onDone) {
        handle_.promise().onDone = std::move(onDone);
        handle_.resume();
    }
    // What a finished task threw, if anything.
    std::exception_ptr error() const { return handle_ ? handle_.promise().error : nullptr; }
    // The result of a finished task; rethrows its exception.
    T result() { return handle_.promise().take(); }

    // Frees the coroutine, wherever it waits: its locals are destroyed and
    // nothing of it runs again.
    void reset() {
        if (handle_)
            std::exchange(handle_, {}).destroy();
    }

    auto operator co_await() && noexcept {
        struct Awaiter {
            Handle handle;
            bool await_ready() noexcept { return false; }
            std::coroutine_handle<> await_suspend(std::coroutine_handle<> awaiting) noexcept {
                handle.promise().continuation = awaiting;
                return handle;
            }
            T await_resume() { return handle.promise().take(); }
        };
        return Awaiter{handle_};
    }

  private:
    Handle handle_;
};

namespace detail {
template <typename T> Task<T> TaskPromise<T>::get_return_object() noexcept {
    return Task<T>(std::coroutine_handle<TaskPromise<T>>::from_promise(*this));
}
inline Task<void> TaskPromise<void>::get_return_object() noexcept {
    return Task<void>(std::coroutine_handle<TaskPromise<void>>::from_promise(*this));
}
} // namespace detail

} // namespace brivo
