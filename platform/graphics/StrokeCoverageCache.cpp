#include "platform/graphics/StrokeCoverageCache.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <optional>

namespace {

// A few strokes kept, each at most 4 MB of coverage, and a few more
// remembered by their key only.
constexpr std::size_t kKeptStrokes = 4;
constexpr std::size_t kSeenStrokes = 8;
constexpr long kLargestCoverage = 4L << 20;
// Runs of a row closer than this are laid down as one.
constexpr int kRunGap = 8;

struct DeviceBox {
    int x0, y0, x1, y1;
};

struct PathRelease {
    void operator()(cairo_path_t* path) const { cairo_path_destroy(path); }
};
// The stroke's path, copied once for its key and, when it is rasterised, for
// the coverage.
using CopiedPath = std::unique_ptr<cairo_path_t, PathRelease>;

void add(StrokeCoverageCache::Key& key, double value) {
    key.values.push_back(value);
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    key.hash = (key.hash ^ bits) * 0x100000001b3ULL;
    key.hash ^= key.hash >> 29;
}

// Everything the stroke's coverage depends on: the path as given, the
// transform it is given under, the pen, and the surface that bounds it.
std::optional<StrokeCoverageCache::Key> keyOf(cairo_t* cr, const cairo_path_t* path,
                                              cairo_surface_t* target) {
    StrokeCoverageCache::Key key;
    key.hash = 0xcbf29ce484222325ULL;
    if (path->status != CAIRO_STATUS_SUCCESS || path->num_data == 0)
        return std::nullopt;
    key.values.reserve(static_cast<std::size_t>(path->num_data) * 2 + 16);
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
        const cairo_path_data_t& header = path->data[i];
        add(key, header.header.type);
        for (int p = 1; p < header.header.length; ++p) {
            add(key, path->data[i + p].point.x);
            add(key, path->data[i + p].point.y);
        }
    }
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    for (double value : {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0})
        add(key, value);
    add(key, cairo_get_line_width(cr));
    add(key, cairo_get_line_cap(cr));
    add(key, cairo_get_line_join(cr));
    add(key, cairo_get_miter_limit(cr));
    add(key, cairo_get_tolerance(cr));
    add(key, cairo_get_antialias(cr));
    add(key, cairo_image_surface_get_width(target));
    add(key, cairo_image_surface_get_height(target));
    return key;
}

// The stroke's device pixels, one pixel wider each way, within the surface.
std::optional<DeviceBox> deviceBox(cairo_t* cr, cairo_surface_t* target) {
    double x0, y0, x1, y1;
    cairo_stroke_extents(cr, &x0, &y0, &x1, &y1);
    double xs[] = {x0, x1, x0, x1}, ys[] = {y0, y0, y1, y1};
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;
    for (int i = 0; i < 4; ++i) {
        cairo_user_to_device(cr, &xs[i], &ys[i]);
        minX = std::min(minX, xs[i]);
        maxX = std::max(maxX, xs[i]);
        minY = std::min(minY, ys[i]);
        maxY = std::max(maxY, ys[i]);
    }
    if (!std::isfinite(minX) || !std::isfinite(minY) || !std::isfinite(maxX) ||
        !std::isfinite(maxY))
        return std::nullopt;
    const double width = cairo_image_surface_get_width(target);
    const double height = cairo_image_surface_get_height(target);
    DeviceBox box{static_cast<int>(std::max(0.0, std::floor(minX) - 1)),
                  static_cast<int>(std::max(0.0, std::floor(minY) - 1)),
                  static_cast<int>(std::min(width, std::ceil(maxX) + 1)),
                  static_cast<int>(std::min(height, std::ceil(maxY) + 1))};
    if (box.x1 <= box.x0 || box.y1 <= box.y0 ||
        static_cast<long>(box.x1 - box.x0) * (box.y1 - box.y0) > kLargestCoverage)
        return std::nullopt;
    return box;
}

// True when the clip, seen in device space, is one rectangle holding the box:
// it then cuts nothing from the stroke.
bool clipHolds(cairo_t* cr, const DeviceBox& box) {
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle_list_t* list = cairo_copy_clip_rectangle_list(cr);
    cairo_restore(cr);
    bool holds = list->status == CAIRO_STATUS_SUCCESS && list->num_rectangles == 1 &&
                 list->rectangles[0].x <= box.x0 && list->rectangles[0].y <= box.y0 &&
                 list->rectangles[0].x + list->rectangles[0].width >= box.x1 &&
                 list->rectangles[0].y + list->rectangles[0].height >= box.y1;
    cairo_rectangle_list_destroy(list);
    return holds;
}

bool reproducible(cairo_t* cr, cairo_surface_t* target) {
    double offsetX, offsetY, scaleX, scaleY;
    cairo_surface_get_device_offset(target, &offsetX, &offsetY);
    cairo_surface_get_device_scale(target, &scaleX, &scaleY);
    return offsetX == 0 && offsetY == 0 && scaleX == 1 && scaleY == 1 &&
           cairo_surface_get_type(target) == CAIRO_SURFACE_TYPE_IMAGE &&
           cairo_image_surface_get_format(target) == CAIRO_FORMAT_ARGB32 &&
           cairo_get_operator(cr) == CAIRO_OPERATOR_OVER &&
           cairo_pattern_get_type(cairo_get_source(cr)) == CAIRO_PATTERN_TYPE_SOLID &&
           cairo_get_dash_count(cr) == 0;
}

// The first byte from x on that is not zero, or the width: most of a ring's
// box is empty, so it is skipped eight bytes at a time.
int nextCovered(const std::uint8_t* row, int x, int width) {
    for (; x + 8 <= width; x += 8) {
        std::uint64_t word;
        std::memcpy(&word, row + x, sizeof word);
        if (word)
            break;
    }
    while (x < width && row[x] == 0)
        ++x;
    return x;
}

// Strokes the path again into an 8-bit surface of the box with the same
// pen: the bytes are the coverage cairo composites a direct stroke with.
StrokeCoverageCache::Coverage rasterize(cairo_t* cr, const cairo_path_t* path, const DeviceBox& box,
                                        StrokeCoverageCache::Key key) {
    StrokeCoverageCache::Coverage coverage;
    coverage.key = std::move(key);
    coverage.left = box.x0;
    coverage.top = box.y0;
    coverage.width = box.x1 - box.x0;
    coverage.height = box.y1 - box.y0;
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_A8, coverage.width, coverage.height);
    cairo_t* mask = cairo_create(surface);
    cairo_matrix_t m;
    cairo_get_matrix(cr, &m);
    m.x0 -= box.x0;
    m.y0 -= box.y0;
    cairo_set_matrix(mask, &m);
    cairo_set_line_width(mask, cairo_get_line_width(cr));
    cairo_set_line_cap(mask, cairo_get_line_cap(cr));
    cairo_set_line_join(mask, cairo_get_line_join(cr));
    cairo_set_miter_limit(mask, cairo_get_miter_limit(cr));
    cairo_set_tolerance(mask, cairo_get_tolerance(cr));
    cairo_set_antialias(mask, cairo_get_antialias(cr));
    cairo_append_path(mask, path);
    cairo_stroke(mask);
    cairo_destroy(mask);
    cairo_surface_flush(surface);
    const std::uint8_t* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < coverage.height; ++y) {
        const std::uint8_t* row = data + static_cast<std::size_t>(y) * stride;
        int x = 0;
        while (x < coverage.width) {
            x = nextCovered(row, x, coverage.width);
            if (x == coverage.width)
                break;
            int start = x, end = x;
            for (int gap = 0; x < coverage.width && gap < kRunGap; ++x) {
                if (row[x]) {
                    end = x + 1;
                    gap = 0;
                } else {
                    ++gap;
                }
            }
            coverage.runs.push_back({y, start, end, coverage.bytes.size()});
            coverage.bytes.insert(coverage.bytes.end(), row + start, row + end);
            x = end;
        }
    }
    cairo_surface_destroy(surface);
    return coverage;
}

// The solid source as one premultiplied pixel, exactly as cairo composites
// it: painted onto a pixel of its own, once for each colour in a row.
std::uint32_t sourcePixel(cairo_t* cr) {
    struct Painted {
        double rgba[4] = {-1, -1, -1, -1};
        std::uint32_t pixel = 0;
    };
    thread_local Painted last;
    double rgba[4];
    cairo_pattern_get_rgba(cairo_get_source(cr), &rgba[0], &rgba[1], &rgba[2], &rgba[3]);
    if (std::equal(rgba, rgba + 4, last.rgba))
        return last.pixel;
    std::uint32_t pixel = 0;
    cairo_surface_t* one = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(&pixel), CAIRO_FORMAT_ARGB32, 1, 1, 4);
    cairo_t* paint = cairo_create(one);
    cairo_set_source(paint, cairo_get_source(cr));
    cairo_set_operator(paint, CAIRO_OPERATOR_SOURCE);
    cairo_paint(paint);
    cairo_destroy(paint);
    cairo_surface_finish(one);
    cairo_surface_destroy(one);
    std::copy(rgba, rgba + 4, last.rgba);
    last.pixel = pixel;
    return pixel;
}

// Two channels at a time, in the red-blue and alpha-green halves of a word.
constexpr std::uint32_t kLanes = 0x00ff00ff;

// Each of the two lanes times b / 255, rounded as cairo's pixel library
// rounds: t = x b + 128, then (t + t / 256) / 256.
inline std::uint32_t multiplyLanes(std::uint32_t lanes, std::uint32_t b) {
    const std::uint32_t t = (lanes & kLanes) * b + 0x00800080;
    return ((t + ((t >> 8) & kLanes)) >> 8) & kLanes;
}

// Each lane's sum, held at 255.
inline std::uint32_t addLanes(std::uint32_t a, std::uint32_t b) {
    std::uint32_t t = a + b;
    t |= 0x01000100 - ((t >> 8) & kLanes);
    return t & kLanes;
}

// The source in the coverage, over the destination, as cairo puts a solid
// colour down through an 8-bit mask: s x m + d x (255 - sa x m), each product
// rounded, the sum saturated. A fully covered pixel of an opaque source is
// the source.
void composite(const StrokeCoverageCache::Coverage& coverage, std::uint32_t source,
               cairo_surface_t* target) {
    std::uint8_t* pixels = cairo_image_surface_get_data(target);
    const std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(target));
    const bool opaque = (source >> 24) == 255;
    for (const auto& run : coverage.runs) {
        const std::uint8_t* cover = coverage.bytes.data() + run.offset;
        std::uint8_t* row = pixels + static_cast<std::size_t>(coverage.top + run.y) * stride;
        for (int x = run.x0; x < run.x1; ++x) {
            const std::uint32_t m = cover[x - run.x0];
            if (m == 0)
                continue;
            std::uint8_t* at = row + static_cast<std::size_t>(coverage.left + x) * 4;
            if (m == 255 && opaque) {
                std::memcpy(at, &source, 4);
                continue;
            }
            std::uint32_t pixel;
            std::memcpy(&pixel, at, 4);
            const std::uint32_t sourceRB = multiplyLanes(source, m);
            const std::uint32_t sourceAG = multiplyLanes(source >> 8, m);
            const std::uint32_t inverse = 255 - (sourceAG >> 16);
            pixel = addLanes(sourceRB, multiplyLanes(pixel, inverse)) |
                    addLanes(sourceAG, multiplyLanes(pixel >> 8, inverse)) << 8;
            std::memcpy(at, &pixel, 4);
        }
    }
}

StrokeCoverageCache& threadCache() {
    thread_local StrokeCoverageCache cache;
    return cache;
}

} // namespace

bool StrokeCoverageCache::stroke(cairo_t* cr) {
    cairo_surface_t* target = cairo_get_group_target(cr);
    if (!target || !reproducible(cr, target))
        return false;
    const CopiedPath path(cairo_copy_path(cr));
    auto key = keyOf(cr, path.get(), target);
    if (!key)
        return false;
    StrokeCoverageCache& cache = threadCache();
    ++cache.m_clock;
    auto kept = std::find_if(cache.m_kept.begin(), cache.m_kept.end(),
                             [&](const Coverage& coverage) { return coverage.key == *key; });
    std::optional<Coverage> once;
    const Coverage* coverage = nullptr;
    if (kept != cache.m_kept.end()) {
        if (!clipHolds(cr,
                       {kept->left, kept->top, kept->left + kept->width, kept->top + kept->height}))
            return false;
        kept->lastUse = cache.m_clock;
        ++cache.m_reuses;
        coverage = &*kept;
    } else {
        auto box = deviceBox(cr, target);
        if (!box || !clipHolds(cr, *box))
            return false;
        auto seen = std::find(cache.m_seen.begin(), cache.m_seen.end(), *key);
        if (seen == cache.m_seen.end()) {
            // First sight: drawn from a coverage of its own, kept by key only.
            if (cache.m_seen.size() == kSeenStrokes)
                cache.m_seen.erase(cache.m_seen.begin());
            cache.m_seen.push_back(*key);
            once = rasterize(cr, path.get(), *box, std::move(*key));
            coverage = &*once;
        } else {
            cache.m_seen.erase(seen);
            if (cache.m_kept.size() == kKeptStrokes)
                cache.m_kept.erase(std::min_element(
                    cache.m_kept.begin(), cache.m_kept.end(),
                    [](const Coverage& a, const Coverage& b) { return a.lastUse < b.lastUse; }));
            cache.m_kept.push_back(rasterize(cr, path.get(), *box, std::move(*key)));
            cache.m_kept.back().lastUse = cache.m_clock;
            coverage = &cache.m_kept.back();
        }
    }
    const std::uint32_t source = sourcePixel(cr);
    cairo_surface_flush(target);
    composite(*coverage, source, target);
    cairo_surface_mark_dirty_rectangle(target, coverage->left, coverage->top, coverage->width,
                                       coverage->height);
    cairo_new_path(cr);
    return true;
}

std::size_t StrokeCoverageCache::reuseCount() {
    return threadCache().m_reuses;
}
