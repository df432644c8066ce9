#pragma once

#include <functional>
#include <memory>
#include <mutex>

class DispatchQueue;
using dispatch_queue_t = std::shared_ptr<DispatchQueue>;
using dispatch_block_t = std::function<void()>;

constexpr long DISPATCH_QUEUE_PRIORITY_HIGH = 2;
constexpr long DISPATCH_QUEUE_PRIORITY_DEFAULT = 0;
constexpr long DISPATCH_QUEUE_PRIORITY_LOW = -2;
constexpr long DISPATCH_QUEUE_PRIORITY_BACKGROUND = -32768;

// A queue of work: the main queue runs on the main run loop; the global
// queues share a small pool of worker threads.
class DispatchQueue {
public:
    virtual ~DispatchQueue() = default;
    virtual void async(dispatch_block_t block) = 0;
    virtual bool isMain() const = 0;
};

dispatch_queue_t dispatch_get_main_queue();
dispatch_queue_t dispatch_get_global_queue(long priority, unsigned long flags);
void dispatch_async(const dispatch_queue_t& queue, dispatch_block_t block);
// Runs the block on the queue after the given number of seconds.
void dispatch_after(double seconds, const dispatch_queue_t& queue, dispatch_block_t block);

using dispatch_once_t = std::once_flag;
template <class Block>
void dispatch_once(dispatch_once_t* predicate, Block&& block) {
    std::call_once(*predicate, std::forward<Block>(block));
}
