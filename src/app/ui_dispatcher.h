#pragma once
// Hands calls from other threads to the user-interface thread. Engine reader threads post
// their reports here; the thread that owns the run carries them out in posting order. The Qt
// window posts queued calls to itself; the command line drains an EventQueue in its own loop.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace quillon::app {

class UiDispatcher {
public:
    virtual ~UiDispatcher() = default;
    // Safe from any thread.
    virtual void Post(std::function<void()> call) = 0;
};

class EventQueue : public UiDispatcher {
public:
    void Post(std::function<void()> call) override;
    // Runs the next posted call, waiting up to timeoutMs (negative: without limit) for one.
    // False when none came in time.
    bool RunOne(int timeoutMs);
    // Runs every call posted so far, without waiting.
    void RunPending();

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> calls_;
};

}  // namespace quillon::app
