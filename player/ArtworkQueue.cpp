#include "player/ArtworkQueue.h"

#include <mutex>

namespace {

std::mutex queueMutex;

dispatch_queue_t& chosenQueue() {
    static dispatch_queue_t queue;
    return queue;
}

} // namespace

dispatch_queue_t artworkQueue() {
    std::lock_guard lock(queueMutex);
    if (chosenQueue())
        return chosenQueue();
    return dispatch_get_global_queue(DISPATCH_QUEUE_PRIORITY_DEFAULT, 0);
}

void setArtworkQueue(dispatch_queue_t queue) {
    std::lock_guard lock(queueMutex);
    chosenQueue() = std::move(queue);
}
