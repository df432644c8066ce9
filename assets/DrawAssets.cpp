// Draws the player's images into the folder given on the command line: the
// transport glyphs (white on transparent, so the player can tint them by
// their shape), the no-album artwork and a fully transparent image. With
// --icon it draws the desktop icon instead, at the size asked for.
//
// Buttons are 50 points wide on the largest phone, so the glyphs are drawn
// on 150-pixel canvases: native at 3x, downsampled (and so still sharp) at
// 2x and 1x. The no-album artwork is scaled down to the disc.

#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {

constexpr int kGlyphCanvas = 150;
constexpr int kArtworkCanvas = 600;
// Corners of the glyphs are rounded by stroking their outline this wide.
constexpr double kCornerRounding = 9;

using Painter = std::function<void(cairo_t*)>;

bool writeImage(const std::filesystem::path& folder, const char* name, int size,
                const Painter& paint) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_BEST);
    paint(cr);
    cairo_destroy(cr);
    std::string path = (folder / name).string();
    cairo_status_t status = cairo_surface_write_to_png(surface, path.c_str());
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), cairo_status_to_string(status));
        return false;
    }
    return true;
}

// Fills the current path and strokes it with round joins, which rounds its
// corners without shrinking the shape's optical size.
void fillRounded(cairo_t* cr) {
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_width(cr, kCornerRounding);
    cairo_fill_preserve(cr);
    cairo_stroke(cr);
}

// A triangle pointing right whose box starts at x and is centred on y.
void rightTriangle(cairo_t* cr, double x, double centerY, double width, double height) {
    cairo_move_to(cr, x, centerY - height / 2);
    cairo_line_to(cr, x + width, centerY);
    cairo_line_to(cr, x, centerY + height / 2);
    cairo_close_path(cr);
}

void drawPlay(cairo_t* cr) {
    const double height = 80;
    const double width = height * std::sqrt(3.0) / 2;
    // A triangle's weight sits at a third of its width; centring halfway
    // between its box and its centroid looks centred to the eye.
    const double x = kGlyphCanvas / 2.0 - width * 5.0 / 12.0;
    rightTriangle(cr, x, kGlyphCanvas / 2.0, width, height);
    fillRounded(cr);
}

void drawPause(cairo_t* cr) {
    const double barWidth = 22;
    const double gap = 22;
    const double height = 76;
    const double left = (kGlyphCanvas - (2 * barWidth + gap)) / 2.0;
    const double top = (kGlyphCanvas - height) / 2.0;
    for (double x : {left, left + barWidth + gap})
        cairo_rectangle(cr, x, top, barWidth, height);
    fillRounded(cr);
}

// Two triangles tip to base, pointing right; mirrored for backward.
void drawSkip(cairo_t* cr, bool backward) {
    const double width = 42;
    const double height = 56;
    const double left = (kGlyphCanvas - 2 * width) / 2.0;
    if (backward) {
        cairo_translate(cr, kGlyphCanvas, 0);
        cairo_scale(cr, -1, 1);
    }
    rightTriangle(cr, left, kGlyphCanvas / 2.0, width, height);
    rightTriangle(cr, left + width, kGlyphCanvas / 2.0, width, height);
    fillRounded(cr);
}

// A beamed pair of eighth notes, drawn around the origin.
void musicNotePath(cairo_t* cr) {
    const double headRadiusX = 44;
    const double headRadiusY = 32;
    const double headTilt = -0.35;
    const double stemWidth = 14;
    const double beamThickness = 40;
    struct Note {
        double x, y, stemTop;
    };
    const Note notes[] = {{-70, 90, -120}, {70, 60, -150}};
    for (const Note& note : notes) {
        cairo_save(cr);
        cairo_translate(cr, note.x, note.y);
        cairo_rotate(cr, headTilt);
        cairo_scale(cr, headRadiusX, headRadiusY);
        cairo_new_sub_path(cr);
        cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
        cairo_restore(cr);
        // The stem rises from the head's right side into the middle of the
        // beam, so its square end never shows above the slanted beam.
        double stemRight = note.x + headRadiusX * 0.92;
        double stemTop = note.stemTop + beamThickness / 2;
        cairo_rectangle(cr, stemRight - stemWidth, stemTop, stemWidth, note.y - 8 - stemTop);
    }
    double x1 = notes[0].x + headRadiusX * 0.92 - stemWidth;
    double x2 = notes[1].x + headRadiusX * 0.92;
    cairo_move_to(cr, x1, notes[0].stemTop);
    cairo_line_to(cr, x2, notes[1].stemTop);
    cairo_line_to(cr, x2, notes[1].stemTop + beamThickness);
    cairo_line_to(cr, x1, notes[0].stemTop + beamThickness);
    cairo_close_path(cr);
}

void drawNoAlbum(cairo_t* cr) {
    const double size = kArtworkCanvas;
    cairo_pattern_t* background = cairo_pattern_create_linear(0, 0, size, size);
    cairo_pattern_add_color_stop_rgb(background, 0, 0.23, 0.25, 0.35);
    cairo_pattern_add_color_stop_rgb(background, 1, 0.07, 0.07, 0.11);
    cairo_set_source(cr, background);
    cairo_paint(cr);
    cairo_pattern_destroy(background);

    // A soft light from the upper left, so the disc does not look flat.
    cairo_pattern_t* glow = cairo_pattern_create_radial(size * 0.35, size * 0.3, 0, size * 0.35,
                                                        size * 0.3, size * 0.7);
    cairo_pattern_add_color_stop_rgba(glow, 0, 1, 1, 1, 0.10);
    cairo_pattern_add_color_stop_rgba(glow, 1, 1, 1, 1, 0);
    cairo_set_source(cr, glow);
    cairo_paint(cr);
    cairo_pattern_destroy(glow);

    // Centre the note by its own extents.
    musicNotePath(cr);
    double x1, y1, x2, y2;
    cairo_fill_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    cairo_translate(cr, size / 2 - (x1 + x2) / 2, size / 2 - (y1 + y2) / 2);
    musicNotePath(cr);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_pattern_t* ink = cairo_pattern_create_linear(0, y1, 0, y2);
    cairo_pattern_add_color_stop_rgba(ink, 0, 1, 1, 1, 0.92);
    cairo_pattern_add_color_stop_rgba(ink, 1, 0.78, 0.80, 0.88, 0.85);
    cairo_set_source(cr, ink);
    cairo_fill(cr);
    cairo_pattern_destroy(ink);
}

// The desktop icon, drawn on a 256-unit canvas scaled to the size: the disc
// inside its ring, part played, with the thumb at the play head, on a tile
// with the no-album artwork's colours.
void drawIcon(cairo_t* cr, int size) {
    const double unit = size / 256.0;
    cairo_scale(cr, unit, unit);
    const double inset = 8;
    const double side = 256 - 2 * inset;
    const double corner = 56;
    cairo_new_sub_path(cr);
    cairo_arc(cr, inset + side - corner, inset + corner, corner, -M_PI / 2, 0);
    cairo_arc(cr, inset + side - corner, inset + side - corner, corner, 0, M_PI / 2);
    cairo_arc(cr, inset + corner, inset + side - corner, corner, M_PI / 2, M_PI);
    cairo_arc(cr, inset + corner, inset + corner, corner, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
    cairo_pattern_t* tile = cairo_pattern_create_linear(0, 0, 256, 256);
    cairo_pattern_add_color_stop_rgb(tile, 0, 0.23, 0.25, 0.35);
    cairo_pattern_add_color_stop_rgb(tile, 1, 0.07, 0.07, 0.11);
    cairo_set_source(cr, tile);
    cairo_fill(cr);
    cairo_pattern_destroy(tile);

    const double centre = 128;
    const double ringRadius = 84;
    const double ringWidth = 14;
    const double start = -M_PI / 2;
    const double played = start + 2 * M_PI * 0.7;
    cairo_set_line_width(cr, ringWidth);
    cairo_set_source_rgba(cr, 1, 1, 1, 0.22);
    cairo_arc(cr, centre, centre, ringRadius, 0, 2 * M_PI);
    cairo_stroke(cr);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_set_source_rgb(cr, 1.0, 0.58, 0.0);
    cairo_arc(cr, centre, centre, ringRadius, start, played);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_arc(cr, centre + ringRadius * std::cos(played), centre + ringRadius * std::sin(played),
              ringWidth * 0.95, 0, 2 * M_PI);
    cairo_fill(cr);

    cairo_set_source_rgba(cr, 1, 1, 1, 0.12);
    cairo_arc(cr, centre, centre, 62, 0, 2 * M_PI);
    cairo_fill(cr);
    // The play glyph, at the disc's size on the glyphs' own canvas.
    const double glyphScale = 100.0 / kGlyphCanvas;
    cairo_translate(cr, centre - 50, centre - 50);
    cairo_scale(cr, glyphScale, glyphScale);
    drawPlay(cr);
}

int drawIconFile(const char* sizeText, const char* path) {
    int size = std::atoi(sizeText);
    if (size < 16 || size > 1024) {
        std::fprintf(stderr, "the icon's size is 16 to 1024 pixels, not %s\n", sizeText);
        return 2;
    }
    std::filesystem::path file = path;
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    bool ok = writeImage(file.parent_path(), file.filename().c_str(), size,
                         [size](cairo_t* cr) { drawIcon(cr, size); });
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--icon")
        return drawIconFile(argv[2], argv[3]);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER | --icon SIZE FILE.png\n", argv[0]);
        return 2;
    }
    std::filesystem::path folder = argv[1];
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    bool ok =
        writeImage(folder, "play.png", kGlyphCanvas, drawPlay) &&
        writeImage(folder, "pause.png", kGlyphCanvas, drawPause) &&
        writeImage(folder, "forward.png", kGlyphCanvas, [](cairo_t* cr) { drawSkip(cr, false); }) &&
        writeImage(folder, "backward.png", kGlyphCanvas, [](cairo_t* cr) { drawSkip(cr, true); }) &&
        writeImage(folder, "noalbum.png", kArtworkCanvas, drawNoAlbum) &&
        writeImage(folder, "empty.png", kGlyphCanvas, [](cairo_t*) {});
    return ok ? 0 : 1;
}
