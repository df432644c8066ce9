#include "platform/dispatch/Dispatch.h"

#include "platform/foundation/NSRunLoop.h"

#include <condition_variable>
#include <deque>
#include <thread>
#include <vector>

namespace {

class MainQueue final : public DispatchQueue {
public:
    void async(dispatch_block_t block) override {
        NSRunLoop::mainRunLoop().enqueue(std::move(block));
    }
    bool isMain() const override { return true; }
};

// The worker threads behind the global queues. The run loop counts the work
// in flight so that a manual clock waits for it before moving on.
class WorkerPool final : public DispatchQueue {
public:
    static constexpr int kThreads = 2;

    WorkerPool() {
        for (int i = 0; i < kThreads; ++i)
            m_threads.emplace_back([this] { work(); });
    }

    ~WorkerPool() override {
        {
            std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_ready.notify_all();
        for (auto& thread : m_threads)
            thread.join();
    }

    void async(dispatch_block_t block) override {
        NSRunLoop::mainRunLoop().backgroundWorkStarted();
        {
            std::lock_guard lock(m_mutex);
            m_blocks.push_back(std::move(block));
        }
        m_ready.notify_one();
    }

    bool isMain() const override { return false; }

private:
    void work() {
        for (;;) {
            dispatch_block_t block;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [this] { return m_stopping || !m_blocks.empty(); });
                if (m_blocks.empty())
                    return;
                block = std::move(m_blocks.front());
                m_blocks.pop_front();
            }
            block();
            block = nullptr;
            NSRunLoop::mainRunLoop().backgroundWorkFinished();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<dispatch_block_t> m_blocks;
    bool m_stopping = false;
    std::vector<std::thread> m_threads;
};

} // namespace

dispatch_queue_t dispatch_get_main_queue() {
    static dispatch_queue_t queue = std::make_shared<MainQueue>();
    return queue;
}

dispatch_queue_t dispatch_get_global_queue(long, unsigned long) {
    // The run loop must outlive the pool, whose workers report to it.
    NSRunLoop::mainRunLoop();
    static dispatch_queue_t pool = std::make_shared<WorkerPool>();
    return pool;
}

void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block) {
    if (queue && block)
        queue->async(std::move(block));
}

void dispatch_after(double seconds, const dispatch_queue_t& queue, dispatch_block_t block) {
    if (!queue || !block)
        return;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();
    loop.schedule(loop.now() + seconds,
                  [queue, block = std::move(block)]() mutable { queue->async(std::move(block)); });
}
