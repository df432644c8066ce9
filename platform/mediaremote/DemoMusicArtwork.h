#pragma once

#include "platform/corefoundation/CFPropertyList.h"

#include <cstddef>

// Covers for the demo playlist, drawn rather than shipped: each design is a
// bold geometric pattern in its own colours, so the palette extraction and
// the disc have something distinct to show for every track.
enum class DemoMusicArtworkDesign { Rings, Stripes, Triangles, Sunburst, Blocks };

constexpr std::size_t kDemoMusicArtworkSide = 600;

// PNG bytes of a square cover; nothing if drawing fails.
CFData DemoMusicArtworkCreatePNG(DemoMusicArtworkDesign design,
                                 std::size_t side = kDemoMusicArtworkSide);
