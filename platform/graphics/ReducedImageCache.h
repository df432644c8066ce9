#pragma once

#include "platform/graphics/CGImage.h"

#include <cairo.h>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// Smaller copies of images that a long-lived context keeps drawing smaller
// than their pixels. Cairo's good filter reduces an image by convolving every
// source pixel under each destination pixel, on every draw; a window that
// shows a 1242x2208 wallpaper at 600x1000 would pay that again for each frame
// of a scrolling title. A copy made once at the drawn size is then only
// copied, or resampled bilinearly when it turns.
//
// Entries hold their image weakly and die with it; past the byte budget the
// least recently used go first. Used from one thread, the context's.
class ReducedImageCache {
public:
    explicit ReducedImageCache(std::size_t byteBudget = 48u << 20);

    // The image at width x height pixels, made with the good filter on first
    // use; nothing when such a surface cannot be made.
    std::shared_ptr<cairo_surface_t> reduced(const CGImageRef& image, int width, int height);

    std::size_t entryCount() const { return m_entries.size(); }
    std::size_t byteCount() const { return m_bytes; }

private:
    struct Entry {
        const CGImage* key = nullptr;
        std::weak_ptr<const CGImage> image;
        int width = 0;
        int height = 0;
        std::shared_ptr<cairo_surface_t> surface;
        std::size_t bytes = 0;
        std::uint64_t lastUse = 0;
    };

    void dropExpired();
    void makeRoomFor(std::size_t bytes);

    std::size_t m_budget;
    std::size_t m_bytes = 0;
    std::uint64_t m_useCounter = 0;
    std::vector<Entry> m_entries;
};
