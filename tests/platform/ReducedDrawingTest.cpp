// Drawing that a window repeats frame after frame: reduced copies of images,
// text layouts kept between draws, custom drawing made at the window's scale.

#include "platform/GraphicsTestSupport.h"
#include "platform/graphics/CGCairo.h"
#include "platform/graphics/ReducedImageCache.h"
#include "platform/render/LabelLayoutCache.h"
#include "platform/render/Renderer.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UIView.h"
#include "support/ManualClockFixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Columns of red, green and blue under a top-to-bottom fade: reduced by
// three across, each output pixel is an even mix.
CGImageRef stripes(std::size_t width, std::size_t height) {
    std::vector<Pixel> pixels;
    pixels.reserve(width * height);
    for (std::size_t y = 0; y < height; ++y) {
        int level = static_cast<int>(255 * (height - y) / height);
        for (std::size_t x = 0; x < width; ++x) {
            Pixel p{0, 0, 0, 255};
            (x % 3 == 0 ? p.r : x % 3 == 1 ? p.g : p.b) = level;
            pixels.push_back(p);
        }
    }
    return imageFromPixels(width, height, pixels, true);
}

// Draws the image over rect (y-down points) in a fresh size x size context,
// turned by angle about the rect's centre.
CGContextRef drawn(const CGImageRef& image, CGRect rect, std::size_t size, bool keepReduced,
                   double angle = 0) {
    CGContextRef context = CGBitmapContextCreate(size, size);
    if (keepReduced)
        context->keepReducedImages();
    cairo_t* cr = context->cairo();
    cairo_translate(cr, rect.origin.x + rect.size.width / 2, rect.origin.y + rect.size.height / 2);
    cairo_rotate(cr, angle);
    cairo_translate(cr, -rect.size.width / 2, -rect.size.height / 2);
    cairo_matrix_t matrix;
    cairo_matrix_init_scale(&matrix, rect.size.width / double(image->width()),
                            rect.size.height / double(image->height()));
    context->drawImage(image, matrix);
    return context;
}

// Over the square [from, to) of both.
int largestDifference(const CGContextRef& a, const CGContextRef& b, std::size_t from,
                      std::size_t to) {
    int largest = 0;
    for (std::size_t y = from; y < to; ++y) {
        for (std::size_t x = from; x < to; ++x) {
            Pixel p = pixelAt(a, x, y), q = pixelAt(b, x, y);
            largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g),
                                std::abs(p.b - q.b), std::abs(p.a - q.a)});
        }
    }
    return largest;
}

TEST(ReducedImageCache, MakesEachSizeOnceAndForgetsImagesThatAreGone) {
    ReducedImageCache cache;
    CGImageRef image = stripes(90, 60);
    auto first = cache.reduced(image, 30, 20);
    ASSERT_TRUE(first);
    EXPECT_EQ(cairo_image_surface_get_width(first.get()), 30);
    EXPECT_EQ(cairo_image_surface_get_height(first.get()), 20);
    EXPECT_EQ(cache.reduced(image, 30, 20), first);
    EXPECT_EQ(cache.entryCount(), 1u);

    // Another size of the same image is another copy.
    auto other = cache.reduced(image, 45, 30);
    EXPECT_NE(other, first);
    EXPECT_EQ(cache.entryCount(), 2u);

    // The copies die with their image: the next one made clears them out.
    image.reset();
    CGImageRef next = stripes(30, 30);
    ASSERT_TRUE(cache.reduced(next, 10, 10));
    EXPECT_EQ(cache.entryCount(), 1u);
    EXPECT_EQ(cache.byteCount(), std::size_t(10 * 10 * 4));
    // A surface already handed out stays valid on its own.
    EXPECT_EQ(cairo_surface_status(first.get()), CAIRO_STATUS_SUCCESS);
}

TEST(ReducedImageCache, KeepsToItsBudgetDroppingTheLeastRecentlyUsed) {
    // Room for two 20x20 copies (1600 bytes each), not three.
    ReducedImageCache cache(3500);
    CGImageRef a = stripes(60, 60), b = stripes(60, 60), c = stripes(60, 60);
    auto reducedA = cache.reduced(a, 20, 20);
    auto reducedB = cache.reduced(b, 20, 20);
    ASSERT_TRUE(reducedA && reducedB);
    EXPECT_EQ(cache.reduced(a, 20, 20), reducedA); // a is now the more recent
    ASSERT_TRUE(cache.reduced(c, 20, 20));
    EXPECT_EQ(cache.entryCount(), 2u);
    EXPECT_LE(cache.byteCount(), 3500u);
    EXPECT_EQ(cache.reduced(a, 20, 20), reducedA);
    EXPECT_NE(cache.reduced(b, 20, 20), reducedB) << "b was the one to go";

    // A copy larger than the whole budget is not made at all.
    EXPECT_FALSE(cache.reduced(a, 59, 59));
}

TEST(ReducedImageCache, RefusesWhatCannotBeMade) {
    ReducedImageCache cache;
    CGImageRef image = stripes(9, 9);
    EXPECT_FALSE(cache.reduced(nullptr, 3, 3));
    EXPECT_FALSE(cache.reduced(image, 0, 3));
    EXPECT_FALSE(cache.reduced(image, 3, -1));
    EXPECT_EQ(cache.entryCount(), 0u);
}

TEST(ReducedImageCache, AReducedCopyLooksLikeTheImageReducedInPlace) {
    CGImageRef image = stripes(300, 300);
    for (double angle : {0.0, 0.3}) {
        SCOPED_TRACE(angle);
        CGRect rect{{10, 12}, {100, 100}};
        CGContextRef direct = drawn(image, rect, 128, false, angle);
        CGContextRef cached = drawn(image, rect, 128, true, angle);
        EXPECT_EQ(cached->reducedImages()->entryCount(), 1u);
        // The stripes come out as an even grey in both, the fade intact.
        Pixel middle = pixelAt(cached, 60, 62);
        EXPECT_NEAR(middle.r, middle.g, 12);
        EXPECT_NEAR(middle.g, middle.b, 12);
        // Inside the picture, where neither edge nor padding reaches.
        EXPECT_LE(largestDifference(direct, cached, 35, 85), 6);
        if (angle == 0) {
            EXPECT_LE(largestDifference(direct, cached, 0, 128), 6);
        }
    }
}

TEST(ReducedImageCache, AnUprightCopyLandsOnWholePixels) {
    // A fraction of a pixel off, the copy would be resampled, and its edge
    // columns half covered; it is laid on whole pixels instead.
    CGImageRef image = solidImage(300, 300, kRed, true);
    CGContextRef cached = drawn(image, {{10.4, 12.6}, {100, 100}}, 128, true);
    ASSERT_EQ(cached->reducedImages()->entryCount(), 1u);
    // Across the middle and down it: every pixel wholly red or untouched,
    // a hundred of each way.
    int across = 0, down = 0;
    for (std::size_t i = 0; i < 128; ++i) {
        Pixel row = pixelAt(cached, i, 62), column = pixelAt(cached, 60, i);
        EXPECT_TRUE(row == kRed || row == kClear) << i << " " << row;
        EXPECT_TRUE(column == kRed || column == kClear) << i << " " << column;
        across += row == kRed;
        down += column == kRed;
    }
    EXPECT_EQ(across, 100);
    EXPECT_EQ(down, 100);
    // Drawn straight from the image, the edge is shared with what is beside.
    CGContextRef direct = drawn(image, {{10.4, 12.6}, {100, 100}}, 128, false);
    EXPECT_LT(pixelAt(direct, 10, 62).a, 255);
}

TEST(ReducedImageCache, OnlyImagesDrawnSmallerAreCopied) {
    CGImageRef image = stripes(30, 30);
    // Larger, and the same size: drawn from the image itself.
    EXPECT_EQ(drawn(image, {{0, 0}, {60, 60}}, 64, true)->reducedImages()->entryCount(), 0u);
    EXPECT_EQ(drawn(image, {{0, 0}, {30, 30}}, 64, true)->reducedImages()->entryCount(), 0u);
    // A little smaller is still sampled directly; a third of the size is not.
    EXPECT_EQ(drawn(image, {{0, 0}, {27, 27}}, 64, true)->reducedImages()->entryCount(), 0u);
    EXPECT_EQ(drawn(image, {{0, 0}, {10, 10}}, 64, true)->reducedImages()->entryCount(), 1u);
}

// A context to lay text out in, a cache and the font labels mostly use.
class LabelLayouts : public ::testing::Test {
protected:
    CGContextRef context = CGBitmapContextCreate(400, 100);
    cairo_t* cr = context->cairo();
    LabelLayoutCache cache;
    UIFont font = UIFont::systemFontOfSize(14);
};

TEST_F(LabelLayouts, ShapesATextOnceForTheSameFontAndWidth) {
    auto first = cache.layout(cr, "Evening Tone", font, 150, false);
    ASSERT_TRUE(first.layout);
    EXPECT_TRUE(first.fits);
    EXPECT_GT(first.textWidth, 10);
    EXPECT_GT(first.textHeight, 5);
    EXPECT_EQ(cache.layout(cr, "Evening Tone", font, 150, false).layout, first.layout);
    // Moving the drawing does not lay the text out again.
    cairo_translate(cr, 17.5, 3.25);
    EXPECT_EQ(cache.layout(cr, "Evening Tone", font, 150, false).layout, first.layout);
    EXPECT_NE(cache.layout(cr, "Evening Tone", UIFont::boldSystemFontOfSize(14), 150, false).layout,
              first.layout);
    EXPECT_NE(cache.layout(cr, "Evening Tones", font, 150, false).layout, first.layout);
}

TEST_F(LabelLayouts, ATooLongTextIsEllipsizedUnlessItScrolls) {
    std::string text = "A title far too long for a label only sixty points wide";
    auto ellipsized = cache.layout(cr, text, font, 60, false);
    auto scrolling = cache.layout(cr, text, font, 60, true);
    EXPECT_FALSE(ellipsized.fits);
    EXPECT_FALSE(scrolling.fits);
    // Both measure the whole text; only the one that stays shows an ellipsis.
    EXPECT_DOUBLE_EQ(ellipsized.textWidth, scrolling.textWidth);
    EXPECT_EQ(pango_layout_get_ellipsize(ellipsized.layout), PANGO_ELLIPSIZE_END);
    EXPECT_EQ(pango_layout_get_ellipsize(scrolling.layout), PANGO_ELLIPSIZE_NONE);
    int shownWidth = 0;
    pango_layout_get_pixel_size(ellipsized.layout, &shownWidth, nullptr);
    EXPECT_LE(shownWidth, 60);

    // Line breaks are shown as blanks on the one line.
    auto broken = cache.layout(cr, "one\ntwo", font, 150, false);
    EXPECT_EQ(pango_layout_get_line_count(broken.layout), 1);
}

TEST_F(LabelLayouts, FollowsTheScaleOfTheContextItIsDrawnIn) {
    auto plain = cache.layout(cr, "Scaled", font, 150, false);
    cairo_scale(cr, 2.5, 2.5);
    auto scaled = cache.layout(cr, "Scaled", font, 150, false);
    EXPECT_EQ(scaled.layout, plain.layout);
    // The layout now carries the context's scale, as Pango needs to hint
    // and place glyphs for it.
    const PangoMatrix* matrix = pango_context_get_matrix(pango_layout_get_context(scaled.layout));
    ASSERT_TRUE(matrix);
    EXPECT_DOUBLE_EQ(matrix->xx, 2.5);
}

TEST_F(LabelLayouts, StaysWithinItsCapacity) {
    auto first = cache.layout(cr, "0", font, 100, false);
    PangoLayout* firstLayout = first.layout;
    g_object_ref(firstLayout);
    for (int i = 1; i < 200; ++i)
        cache.layout(cr, std::to_string(i), font, 100, false);
    // The first was the least recently used and went; its layout was freed
    // by the cache, leaving only this test's reference.
    EXPECT_EQ(G_OBJECT(firstLayout)->ref_count, 1u);
    g_object_unref(firstLayout);
}

// A view that fills itself, as the ring does.
class FilledView : public UIView {
public:
    bool drawsContent() const override { return true; }
    void drawRect(CGRect rect) override {
        CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), UIColor::redColor());
        CGContextFillRect(UIGraphicsGetCurrentContext(), rect);
    }
    std::string_view className() const override { return "TestFilledView"; }
};

using ContentsScale = ManualClockTest;

TEST_F(ContentsScale, CustomDrawingIsMadeAtTheScaleAHostAsksFor) {
    const CGFloat screenScale = UIScreen::mainScreen()->scale();
    auto view = makeView<FilledView>(CGRectMake(0, 0, 100, 50));
    view->setNeedsDisplay();
    run(0.01);
    ASSERT_TRUE(view->layer()->contents());
    EXPECT_EQ(view->layer()->contents()->width(), std::size_t(100 * screenScale));

    UIView::setContentsScale(1.3);
    view->setNeedsDisplay();
    run(0.01);
    ASSERT_TRUE(view->layer()->contents());
    EXPECT_EQ(view->layer()->contents()->width(), std::size_t(130));
    EXPECT_EQ(view->layer()->contents()->height(), std::size_t(65));

    // Nonsense leaves the screen's scale in charge.
    for (double bad : {0.0, -2.0, std::nan("")}) {
        UIView::setContentsScale(bad);
        EXPECT_EQ(UIView::contentsScale(), 0);
    }
    view->setNeedsDisplay();
    run(0.01);
    EXPECT_EQ(view->layer()->contents()->width(), std::size_t(100 * screenScale));
}

} // namespace
