#include "platform/mediaremote/DemoMusicArtwork.h"

#include "platform/graphics/PNGEncoder.h"

#include <array>
#include <cairo.h>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

struct Rgb {
    double r, g, b;
};

constexpr Rgb hex(std::uint32_t value) {
    return {((value >> 16) & 0xff) / 255.0, ((value >> 8) & 0xff) / 255.0, (value & 0xff) / 255.0};
}

void setColor(cairo_t* cr, Rgb color, double alpha = 1.0) {
    cairo_set_source_rgba(cr, color.r, color.g, color.b, alpha);
}

void fillBackground(cairo_t* cr, double side, Rgb top, Rgb bottom) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, side, side);
    cairo_pattern_add_color_stop_rgb(gradient, 0, top.r, top.g, top.b);
    cairo_pattern_add_color_stop_rgb(gradient, 1, bottom.r, bottom.g, bottom.b);
    cairo_set_source(cr, gradient);
    cairo_paint(cr);
    cairo_pattern_destroy(gradient);
}

void drawRings(cairo_t* cr, double side) {
    const std::array<Rgb, 4> colors = {hex(0xf25f5c), hex(0xffe066), hex(0x247ba0), hex(0x70c1b3)};
    fillBackground(cr, side, hex(0x1b1b3a), hex(0x2d1e4f));
    double centre = side / 2;
    for (int ring = 9; ring >= 1; --ring) {
        setColor(cr, colors[ring % colors.size()]);
        cairo_arc(cr, centre, centre, side * 0.05 * ring, 0, 2 * M_PI);
        cairo_fill(cr);
    }
    setColor(cr, hex(0x1b1b3a));
    cairo_arc(cr, centre, centre, side * 0.03, 0, 2 * M_PI);
    cairo_fill(cr);
}

void drawStripes(cairo_t* cr, double side) {
    const std::array<Rgb, 5> colors = {hex(0x06d6a0), hex(0x118ab2), hex(0x073b4c), hex(0xffd166),
                                       hex(0xef476f)};
    fillBackground(cr, side, hex(0xfef9ef), hex(0xfde4cf));
    cairo_save(cr);
    cairo_translate(cr, side / 2, side / 2);
    cairo_rotate(cr, -M_PI / 4);
    double width = side / 9;
    for (int i = -7; i <= 7; ++i) {
        setColor(cr, colors[(i + 7) % colors.size()]);
        cairo_rectangle(cr, i * width * 1.3, -side, width, 2 * side);
        cairo_fill(cr);
    }
    cairo_restore(cr);
    setColor(cr, hex(0xfef9ef));
    cairo_rectangle(cr, side * 0.3, side * 0.3, side * 0.4, side * 0.4);
    cairo_fill(cr);
    setColor(cr, hex(0xef476f));
    cairo_arc(cr, side / 2, side / 2, side * 0.12, 0, 2 * M_PI);
    cairo_fill(cr);
}

void drawTriangles(cairo_t* cr, double side) {
    const std::array<Rgb, 4> colors = {hex(0x264653), hex(0x2a9d8f), hex(0xe9c46a), hex(0xf4a261)};
    fillBackground(cr, side, hex(0xe76f51), hex(0xc8553d));
    const int cells = 6;
    double cell = side / cells;
    for (int row = 0; row < cells; ++row) {
        for (int column = 0; column < cells; ++column) {
            double x = column * cell;
            double y = row * cell;
            // A fixed scramble picks the colour and the corner the triangle
            // fills, so the pattern is lively and the same every run.
            setColor(cr, colors[(row * 7 + column * 3 + row * column) % colors.size()]);
            const std::array<std::array<double, 2>, 4> corners = {
                {{x, y}, {x + cell, y}, {x + cell, y + cell}, {x, y + cell}}};
            int corner = (row * 5 + column * 3 + row * column * 2) % 4;
            for (int k = 0; k < 3; ++k) {
                const auto& point = corners[(corner + k) % 4];
                if (k == 0)
                    cairo_move_to(cr, point[0], point[1]);
                else
                    cairo_line_to(cr, point[0], point[1]);
            }
            cairo_close_path(cr);
            cairo_fill(cr);
        }
    }
}

void drawSunburst(cairo_t* cr, double side) {
    fillBackground(cr, side, hex(0x03045e), hex(0x0077b6));
    double centre = side / 2;
    const int rays = 24;
    for (int ray = 0; ray < rays; ray += 2) {
        double from = 2 * M_PI * ray / rays;
        double to = 2 * M_PI * (ray + 1) / rays;
        setColor(cr, hex(0x00b4d8), 0.55);
        cairo_move_to(cr, centre, centre);
        cairo_arc(cr, centre, centre, side, from, to);
        cairo_close_path(cr);
        cairo_fill(cr);
    }
    setColor(cr, hex(0xffb703));
    cairo_arc(cr, centre, centre, side * 0.22, 0, 2 * M_PI);
    cairo_fill(cr);
    setColor(cr, hex(0xfb8500));
    cairo_set_line_width(cr, side * 0.025);
    cairo_arc(cr, centre, centre, side * 0.3, 0, 2 * M_PI);
    cairo_stroke(cr);
}

void drawBlocks(cairo_t* cr, double side) {
    fillBackground(cr, side, hex(0xf1faee), hex(0xe0e1dd));
    double unit = side / 10;
    setColor(cr, hex(0xe63946));
    cairo_rectangle(cr, unit, unit, unit * 5, unit * 5);
    cairo_fill(cr);
    setColor(cr, hex(0x1d3557));
    cairo_rectangle(cr, unit * 4, unit * 4, unit * 5, unit * 5);
    cairo_fill(cr);
    setColor(cr, hex(0xa8dadc), 0.85);
    cairo_arc(cr, unit * 6.5, unit * 3.5, unit * 2.2, 0, 2 * M_PI);
    cairo_fill(cr);
    setColor(cr, hex(0x457b9d));
    cairo_arc(cr, unit * 3, unit * 7.5, unit * 1.4, 0, 2 * M_PI);
    cairo_fill(cr);
    setColor(cr, hex(0x1d3557));
    cairo_set_line_width(cr, unit * 0.3);
    cairo_move_to(cr, unit * 0.5, unit * 9.5);
    cairo_line_to(cr, unit * 9.5, unit * 0.5);
    cairo_stroke(cr);
}

} // namespace

CFData DemoMusicArtworkCreatePNG(DemoMusicArtworkDesign design, std::size_t side) {
    if (side == 0 || side > 4096)
        return nullptr;
    int pixels = static_cast<int>(side);
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, pixels, pixels), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_t* cr = cairo_create(surface.get());
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_GOOD);
    double extent = static_cast<double>(side);
    switch (design) {
    case DemoMusicArtworkDesign::Rings:
        drawRings(cr, extent);
        break;
    case DemoMusicArtworkDesign::Stripes:
        drawStripes(cr, extent);
        break;
    case DemoMusicArtworkDesign::Triangles:
        drawTriangles(cr, extent);
        break;
    case DemoMusicArtworkDesign::Sunburst:
        drawSunburst(cr, extent);
        break;
    case DemoMusicArtworkDesign::Blocks:
        drawBlocks(cr, extent);
        break;
    }
    cairo_destroy(cr);
    cairo_surface_flush(surface.get());
    // Every demo track's artwork is made when the home screen starts: the
    // fast level keeps that start short, and the player decodes it the same.
    std::size_t stride = static_cast<std::size_t>(cairo_image_surface_get_stride(surface.get()));
    auto bytes = PNGEncoder::encode({cairo_image_surface_get_data(surface.get()), stride * side},
                                    side, side, stride, true, PNGEncoder::Compression::Fast);
    return bytes ? std::make_shared<std::vector<std::uint8_t>>(std::move(*bytes)) : nullptr;
}
