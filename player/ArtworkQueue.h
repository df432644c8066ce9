#pragma once

#include "platform/dispatch/Dispatch.h"

// The queue the player's image work (scaling, blurring) runs on: the global
// queue of default priority. A test may put a queue of its own in its place
// to choose the order in which that work finishes; an empty queue puts the
// global one back.
dispatch_queue_t artworkQueue();
void setArtworkQueue(dispatch_queue_t queue);
