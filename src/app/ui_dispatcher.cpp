#include "app/ui_dispatcher.h"

#include <chrono>

namespace quillon::app {

void EventQueue::Post(std::function<void()> call) {
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    ready_.notify_one();
}

bool EventQueue::RunOne(int timeoutMs) {
    std::function<void()> call;
    {
        std::unique_lock lock(mutex_);
        const auto hasCall = [this] { return !calls_.empty(); };
        if (timeoutMs < 0) {
            ready_.wait(lock, hasCall);
        } else if (!ready_.wait_for(lock, std::chrono::milliseconds(timeoutMs), hasCall)) {
            return false;
        }
        call = std::move(calls_.front());
        calls_.pop_front();
    }
    call();  // outside the lock: the call may post again
    return true;
}

void EventQueue::RunPending() {
    std::size_t count;
    {
        std::lock_guard lock(mutex_);
        count = calls_.size();
    }
    while (count-- > 0 && RunOne(0)) {
    }
}

}  // namespace quillon::app
