#include "platform/GraphicsTestSupport.h"
#include "platform/accelerate/InstructionLevel.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/StrokeCoverageCache.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"

#include <cairo.h>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <numbers>
#include <random>

namespace {

constexpr double kPi = std::numbers::pi;

bool isPainted(Pixel p) {
    return p.a != 0;
}

// A UIKit-style context (y down, origin top-left) of size points at scale 1.
CGContextRef kitContext(double width, double height, double scale = 1) {
    return UIGraphicsCreateImageContext({width, height}, false, scale);
}

// The ring of the arc tests: centre (50, 50), radius 30, a 6-point red line.
class GraphicsArcTest : public ::testing::Test {
protected:
    static constexpr double kCentre = 50;
    static constexpr double kRadius = 30;

    void SetUp() override { use(kitContext(100, 100)); }

    void use(CGContextRef context) {
        m_context = std::move(context);
        ASSERT_TRUE(m_context);
        CGContextSetLineWidth(m_context, 6);
        CGContextSetStrokeColorWithColor(m_context, UIColor::redColor());
        CGContextSetFillColorWithColor(m_context, UIColor::redColor());
    }

    void strokeArc(double start, double end, int clockwise) {
        CGContextBeginPath(m_context);
        CGContextAddArc(m_context, kCentre, kCentre, kRadius, start, end, clockwise);
        CGContextStrokePath(m_context);
    }

    // The pixel on the ring at an angle of the user space (y down here).
    Pixel ringAt(double angle) const {
        return pixelAt(m_context, std::size_t(kCentre + kRadius * std::cos(angle)),
                       std::size_t(kCentre + kRadius * std::sin(angle)));
    }

    CGContextRef m_context;
};

TEST_F(GraphicsArcTest, FlagZeroStartsAtTwelveAndRunsClockwiseOnScreen) {
    strokeArc(-kPi / 2, 0, 0);

    EXPECT_EQ(ringAt(-kPi / 2 + 0.15), kRed) << "just clockwise of twelve";
    EXPECT_EQ(ringAt(-kPi / 4), kRed) << "half past one";
    EXPECT_EQ(ringAt(-kPi / 2 - 0.15), kClear) << "just counterclockwise of twelve";
    EXPECT_EQ(ringAt(kPi / 2), kClear) << "six o'clock";
    EXPECT_EQ(ringAt(kPi), kClear) << "nine o'clock";
}

TEST_F(GraphicsArcTest, NonZeroFlagRunsTheOtherWayRound) {
    strokeArc(-kPi / 2, 0, 1);

    EXPECT_EQ(ringAt(-kPi / 4), kClear);
    EXPECT_EQ(ringAt(-3 * kPi / 4), kRed);
    EXPECT_EQ(ringAt(kPi), kRed);
    EXPECT_EQ(ringAt(kPi / 2), kRed);
}

TEST_F(GraphicsArcTest, EndBeforeStartWrapsByAWholeTurn) {
    // Increasing from 0 to -pi/2 means three quarters: through six and nine.
    strokeArc(0, -kPi / 2, 0);

    EXPECT_EQ(ringAt(-kPi / 4), kClear);
    EXPECT_EQ(ringAt(kPi / 2), kRed);
    EXPECT_EQ(ringAt(kPi), kRed);
    EXPECT_EQ(ringAt(-3 * kPi / 4), kRed);
}

TEST_F(GraphicsArcTest, InABitmapContextTheSameArcRunsCounterclockwiseOnScreen) {
    // The platform's bitmap user space is y-up, so the arc mirrors vertically.
    use(CGBitmapContextCreate(100, 100));
    strokeArc(-kPi / 2, 0, 0);

    auto memory = [&](double angle) {
        return pixelAt(m_context, std::size_t(kCentre + kRadius * std::cos(angle)),
                       std::size_t(100 - (kCentre + kRadius * std::sin(angle))));
    };
    EXPECT_EQ(memory(-kPi / 4), kRed);
    EXPECT_EQ(pixelAt(m_context, 71, 71), kRed) << "lower right of the bitmap";
    EXPECT_EQ(pixelAt(m_context, 71, 28), kClear) << "upper right of the bitmap";
}

// A progress ring grows a little on every tick: the arc it was and the arc
// it is must share their pixels but in the rows of the end (where the
// rasteriser samples each row as a whole), or the whole ring would be drawn
// again each time. Both ways round, at a screen scale.
TEST_F(GraphicsArcTest, AnArcThatGrowsChangesPixelsOnlyInTheRowsOfItsEnd) {
    for (int clockwise : {0, 1}) {
        const double sign = clockwise ? -1 : 1;
        const double end = -kPi / 2 + sign * 4.1;
        auto draw = [&](double to) {
            use(kitContext(100, 100, 3));
            strokeArc(-kPi / 2, to, clockwise);
            return CGBitmapContextCreateImage(m_context);
        };
        CGImageRef before = draw(end);
        CGImageRef after = draw(end + sign * 0.02);
        const double endY = 3 * (kCentre + kRadius * std::sin(end));
        for (std::size_t y = 0; y < 300; ++y)
            for (std::size_t x = 0; x < 300; ++x)
                if (before->pixelAt(x, y) != after->pixelAt(x, y)) {
                    ASSERT_LT(std::abs(double(y) - endY), 3 * 8.0)
                        << "(" << x << ", " << y << ") clockwise " << clockwise;
                }
    }
}

TEST_F(GraphicsArcTest, EqualAnglesGiveAnArcOfZeroLength) {
    strokeArc(-kPi / 2, -kPi / 2, 0);
    EXPECT_EQ(countPixels(m_context, isPainted), 0);

    CGContextMoveToPoint(m_context, kCentre, kCentre);
    CGContextAddArc(m_context, kCentre, kCentre, kRadius, -kPi / 2, -kPi / 2, 0);
    CGContextClosePath(m_context);
    CGContextFillPath(m_context);
    EXPECT_EQ(countPixels(m_context, isPainted), 0);
}

TEST_F(GraphicsArcTest, AWholeTurnFromTwelveDrawsTheFullRing) {
    strokeArc(-kPi / 2, 3 * kPi / 2, 0);

    for (double angle = -kPi; angle < kPi; angle += 0.1)
        EXPECT_EQ(ringAt(angle), kRed) << "angle " << angle;
}

TEST_F(GraphicsArcTest, SinglePrecisionFullTurnFillsTheWholeDisc) {
    // The slider's maximum: a turn of 6.2831855f, a hair over 2 pi.
    double end = double(6.2831855f) - kPi / 2;
    CGContextMoveToPoint(m_context, kCentre, kCentre);
    CGContextAddArc(m_context, kCentre, kCentre, kRadius, -kPi / 2, end, 0);
    CGContextClosePath(m_context);
    CGContextFillPath(m_context);

    for (double angle = -kPi; angle < kPi; angle += 0.05) {
        Pixel inside = pixelAt(m_context, std::size_t(kCentre + 25 * std::cos(angle)),
                               std::size_t(kCentre + 25 * std::sin(angle)));
        EXPECT_EQ(inside, kRed) << "angle " << angle;
    }
    EXPECT_EQ(pixelAt(m_context, 50, 15), kClear);
    EXPECT_EQ(pixelAt(m_context, 50, 85), kClear);
}

TEST_F(GraphicsArcTest, PieFromTheCentreFillsOnlyItsSector) {
    CGContextMoveToPoint(m_context, kCentre, kCentre);
    CGContextAddArc(m_context, kCentre, kCentre, kRadius, -kPi / 2, 0, 0);
    CGContextClosePath(m_context);
    CGContextFillPath(m_context);

    EXPECT_EQ(pixelAt(m_context, 60, 40), kRed);
    EXPECT_EQ(pixelAt(m_context, 40, 40), kClear);
    EXPECT_EQ(pixelAt(m_context, 60, 60), kClear);
    EXPECT_EQ(pixelAt(m_context, 40, 60), kClear);
}

TEST_F(GraphicsArcTest, CurrentPointIsExactlyTheArcsEndPoint) {
    for (double end : {0.0, kPi / 3, 2.5, -kPi / 2, 3 * kPi / 2, double(6.2831855f) - kPi / 2}) {
        CGContextBeginPath(m_context);
        CGContextAddArc(m_context, kCentre, kCentre, kRadius, -kPi / 2, end, 0);
        CGPoint point = CGContextGetPathCurrentPoint(m_context);
        EXPECT_EQ(point.x, kCentre + kRadius * std::cos(end)) << "end " << end;
        EXPECT_EQ(point.y, kCentre + kRadius * std::sin(end)) << "end " << end;
    }
}

TEST_F(GraphicsArcTest, CurrentPointStaysExactAtAScreenScale) {
    use(kitContext(100, 100, 3));
    CGContextBeginPath(m_context);
    CGContextAddArc(m_context, 41.5, 52.25, 27, -kPi / 2, 1.0, 0);
    CGPoint point = CGContextGetPathCurrentPoint(m_context);
    EXPECT_EQ(point.x, 41.5 + 27 * std::cos(1.0));
    EXPECT_EQ(point.y, 52.25 + 27 * std::sin(1.0));

    // A later transform moves user space, not the point on the bitmap.
    CGContextTranslateCTM(m_context, 10, 20);
    point = CGContextGetPathCurrentPoint(m_context);
    EXPECT_NEAR(point.x, 41.5 + 27 * std::cos(1.0) - 10, 1e-9);
    EXPECT_NEAR(point.y, 52.25 + 27 * std::sin(1.0) - 20, 1e-9);
}

TEST_F(GraphicsArcTest, CurrentPointFollowsMovesLinesAndClosing) {
    CGContextBeginPath(m_context);
    EXPECT_EQ(CGContextGetPathCurrentPoint(m_context), CGPointZero);
    EXPECT_TRUE(CGContextIsPathEmpty(m_context));

    CGContextMoveToPoint(m_context, 10, 20);
    CGContextAddLineToPoint(m_context, 30, 40);
    EXPECT_EQ(CGContextGetPathCurrentPoint(m_context), CGPointMake(30, 40));
    CGContextClosePath(m_context);
    EXPECT_EQ(CGContextGetPathCurrentPoint(m_context), CGPointMake(10, 20));

    CGContextStrokePath(m_context);
    EXPECT_TRUE(CGContextIsPathEmpty(m_context));
    EXPECT_EQ(CGContextGetPathCurrentPoint(m_context), CGPointZero);
}

TEST_F(GraphicsArcTest, LineWithoutCurrentPointAddsNothing) {
    CGContextBeginPath(m_context);
    CGContextAddLineToPoint(m_context, 90, 90);
    EXPECT_TRUE(CGContextIsPathEmpty(m_context));
}

TEST_F(GraphicsArcTest, UnboundedOrInvalidAnglesNeitherHangNorBreakTheContext) {
    strokeArc(0, 1e300, 0);
    strokeArc(0, -1e300, 1);
    CGContextBeginPath(m_context);
    CGContextAddArc(m_context, kCentre, kCentre, kRadius, 0, std::nan(""), 0);
    CGContextAddArc(m_context, kCentre, kCentre, -5, 0, 1, 0);
    EXPECT_TRUE(CGContextIsPathEmpty(m_context));

    CGContextClearRect(m_context, {{0, 0}, {100, 100}});
    strokeArc(-kPi / 2, 0, 0);
    EXPECT_EQ(ringAt(-kPi / 4), kRed);
}

class GraphicsContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_context = kitContext(8, 8);
        ASSERT_TRUE(m_context);
        CGContextSetFillColorWithColor(m_context, UIColor::redColor());
        CGContextSetStrokeColorWithColor(m_context, UIColor::redColor());
    }

    void fillAll() { CGContextFillRect(m_context, {{0, 0}, {8, 8}}); }

    // Column x is painted in every row, or in none.
    bool columnPainted(std::size_t x) const {
        int painted = 0;
        for (std::size_t y = 0; y < 8; ++y)
            painted += pixelAt(m_context, x, y) == kRed ? 1 : 0;
        EXPECT_TRUE(painted == 0 || painted == 8) << "column " << x;
        return painted == 8;
    }

    CGContextRef m_context;
};

TEST_F(GraphicsContextTest, FillsArePremultipliedWithColourAndContextAlpha) {
    CGContextSetFillColorWithColor(m_context, UIColor::colorWithRed(1, 0, 0, 0.5));
    CGContextFillRect(m_context, {{0, 0}, {4, 8}});
    EXPECT_TRUE(near(pixelAt(m_context, 1, 1), {128, 0, 0, 128}, 1)) << pixelAt(m_context, 1, 1);

    CGContextSetFillColorWithColor(m_context, UIColor::colorWithWhite(1, 1));
    CGContextSetAlpha(m_context, 0.25);
    CGContextFillRect(m_context, {{4, 0}, {4, 8}});
    EXPECT_TRUE(near(pixelAt(m_context, 6, 1), {64, 64, 64, 64}, 1)) << pixelAt(m_context, 6, 1);
}

TEST_F(GraphicsContextTest, RectangleImageAndClipOperationsLeaveThePathAlone) {
    CGContextSetLineWidth(m_context, 2);
    CGContextBeginPath(m_context);
    CGContextMoveToPoint(m_context, 0, 1);
    CGContextAddLineToPoint(m_context, 8, 1);

    CGContextSaveGState(m_context);
    CGContextSetFillColorWithColor(m_context, UIColor::blueColor());
    CGContextFillRect(m_context, {{0, 6}, {8, 2}});
    CGContextClearRect(m_context, {{0, 7}, {8, 1}});
    CGContextDrawImage(m_context, {{0, 4}, {1, 1}}, solidImage(1, 1, kGreen));
    CGContextClipToRect(m_context, {{0, 0}, {8, 8}});
    CGContextRestoreGState(m_context);

    EXPECT_EQ(CGContextGetPathCurrentPoint(m_context), CGPointMake(8, 1));
    CGContextStrokePath(m_context);
    for (std::size_t x = 0; x < 8; ++x)
        EXPECT_EQ(pixelAt(m_context, x, 1), kRed) << x;
    EXPECT_EQ(pixelAt(m_context, 3, 6), kBlue);
    EXPECT_EQ(pixelAt(m_context, 3, 7), kClear);
    EXPECT_EQ(pixelAt(m_context, 0, 4), kGreen);
}

TEST_F(GraphicsContextTest, RestoreBringsBackColoursAlphaTransformAndClip) {
    CGContextSaveGState(m_context);
    CGContextSetFillColorWithColor(m_context, UIColor::blueColor());
    CGContextSetAlpha(m_context, 0.1);
    CGContextTranslateCTM(m_context, 4, 0);
    CGContextClipToRect(m_context, {{0, 0}, {1, 1}});
    CGContextRestoreGState(m_context);

    CGContextFillRect(m_context, {{0, 0}, {2, 2}});
    EXPECT_EQ(pixelAt(m_context, 1, 1), kRed);
    EXPECT_EQ(pixelAt(m_context, 5, 1), kClear);
}

TEST_F(GraphicsContextTest, RestoreWithoutSaveIsIgnored) {
    CGContextTranslateCTM(m_context, 4, 0);
    CGContextRestoreGState(m_context);
    CGContextFillRect(m_context, {{0, 0}, {1, 1}});
    EXPECT_EQ(pixelAt(m_context, 4, 0), kRed);
    EXPECT_EQ(pixelAt(m_context, 0, 0), kClear);
}

TEST_F(GraphicsContextTest, SingularTransformDrawsNothingUntilRestored) {
    CGContextSaveGState(m_context);
    CGContextScaleCTM(m_context, 0, 1);
    fillAll();
    CGContextScaleCTM(m_context, 1e300, 1);
    fillAll();
    EXPECT_EQ(countPixels(m_context, isPainted), 0);
    CGContextRestoreGState(m_context);

    CGContextConcatCTM(m_context, {std::nan(""), 0, 0, 1, 0, 0});
    fillAll();
    EXPECT_EQ(countPixels(m_context, isPainted), 0);
    CGContextSaveGState(m_context); // a save while singular restores to singular
    CGContextRestoreGState(m_context);
    fillAll();
    EXPECT_EQ(countPixels(m_context, isPainted), 0);
}

TEST_F(GraphicsContextTest, SingularTransformLeavesTheContextUsableAfterRestore) {
    CGContextSaveGState(m_context);
    CGContextScaleCTM(m_context, 0, 0);
    CGContextRestoreGState(m_context);
    fillAll();
    EXPECT_EQ(countPixels(m_context, isPainted), 64);
}

TEST_F(GraphicsContextTest, TransformsApplyInUserSpace) {
    CGContextSaveGState(m_context);
    CGContextTranslateCTM(m_context, 4, 2);
    CGContextScaleCTM(m_context, 2, 1);
    CGContextFillRect(m_context, {{0, 0}, {1, 1}}); // pixels x 4..5, y 2
    CGContextRestoreGState(m_context);
    EXPECT_EQ(pixelAt(m_context, 4, 2), kRed);
    EXPECT_EQ(pixelAt(m_context, 5, 2), kRed);
    EXPECT_EQ(pixelAt(m_context, 6, 2), kClear);
    EXPECT_EQ(pixelAt(m_context, 0, 0), kClear);

    // A quarter turn in a y-down space takes +x to +y.
    CGContextClearRect(m_context, {{0, 0}, {8, 8}});
    CGContextSaveGState(m_context);
    CGContextRotateCTM(m_context, kPi / 2);
    CGContextFillRect(m_context, {{1, -3}, {2, 1}}); // x 2..3, y 1..3
    CGContextRestoreGState(m_context);
    EXPECT_EQ(pixelAt(m_context, 2, 1), kRed);
    EXPECT_EQ(pixelAt(m_context, 2, 2), kRed);
    EXPECT_EQ(pixelAt(m_context, 1, 1), kClear);
    EXPECT_EQ(pixelAt(m_context, 3, 1), kClear);

    CGContextClearRect(m_context, {{0, 0}, {8, 8}});
    CGContextConcatCTM(m_context, {1, 0, 0, 1, 6, 7});
    CGContextFillRect(m_context, {{0, 0}, {1, 1}});
    EXPECT_EQ(pixelAt(m_context, 6, 7), kRed);
    EXPECT_EQ(countPixels(m_context, isPainted), 1);
}

TEST_F(GraphicsContextTest, CurrentTransformIsReportedInThePlatformsDeviceSpace) {
    EXPECT_EQ(CGContextGetCTM(CGBitmapContextCreate(10, 20)), CGAffineTransformIdentity);
    CGAffineTransform kit = CGContextGetCTM(kitContext(10, 20, 2));
    EXPECT_EQ(kit, (CGAffineTransform{2, 0, 0, -2, 0, 40}));
}

TEST_F(GraphicsContextTest, ClipToRectNarrowsAndClearRespectsIt) {
    fillAll();
    CGContextClipToRect(m_context, {{0, 0}, {4, 8}});
    CGContextClipToRect(m_context, {{2, 0}, {6, 8}});
    CGContextClearRect(m_context, {{0, 0}, {8, 8}});
    EXPECT_TRUE(columnPainted(0));
    EXPECT_TRUE(columnPainted(1));
    EXPECT_FALSE(columnPainted(2));
    EXPECT_FALSE(columnPainted(3));
    EXPECT_TRUE(columnPainted(4));
}

TEST_F(GraphicsContextTest, EllipseFillsItsRectangleRoundly) {
    CGContextFillEllipseInRect(m_context, {{0, 0}, {8, 8}});
    EXPECT_EQ(pixelAt(m_context, 4, 4), kRed);
    EXPECT_EQ(pixelAt(m_context, 0, 0), kClear);
    EXPECT_EQ(pixelAt(m_context, 7, 7), kClear);

    CGContextBeginPath(m_context);
    CGContextAddEllipseInRect(m_context, {{0, 0}, {0, 8}});
    EXPECT_TRUE(CGContextIsPathEmpty(m_context));
}

class GraphicsMaskTest : public GraphicsContextTest {
protected:
    // Left half white, right half black, opaque.
    static CGImageRef leftWhiteMask() {
        std::vector<Pixel> pixels;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pixels.push_back(x < 4 ? kWhite : kBlack);
        return imageFromPixels(8, 8, pixels, true);
    }
    // Top half opaque (black, to show that alpha, not colour, decides), bottom
    // half transparent.
    static CGImageRef topOpaqueMask() {
        std::vector<Pixel> pixels;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                pixels.push_back(y < 4 ? kBlack : kClear);
        return imageFromPixels(8, 8, pixels);
    }
};

TEST_F(GraphicsMaskTest, OpaqueMaskLetsThroughByLuminance) {
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, leftWhiteMask());
    fillAll();
    for (std::size_t x = 0; x < 4; ++x)
        EXPECT_TRUE(columnPainted(x));
    for (std::size_t x = 4; x < 8; ++x)
        EXPECT_FALSE(columnPainted(x));
    EXPECT_EQ(pixelAt(m_context, 5, 3), kClear);
}

TEST_F(GraphicsMaskTest, GreyMaskLetsThroughInProportion) {
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, solidImage(1, 1, {128, 128, 128, 255}, true));
    fillAll();
    EXPECT_TRUE(near(pixelAt(m_context, 3, 3), {128, 0, 0, 128}, 2)) << pixelAt(m_context, 3, 3);
}

TEST_F(GraphicsMaskTest, MaskWithAlphaUsesItsAlphaAndLandsUpsideDownInAKitContext) {
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, topOpaqueMask());
    fillAll();
    for (std::size_t y = 0; y < 8; ++y)
        EXPECT_EQ(pixelAt(m_context, 2, y), y < 4 ? kClear : kRed) << "row " << y;
}

TEST_F(GraphicsMaskTest, MaskLandsUprightInABitmapContext) {
    m_context = CGBitmapContextCreate(8, 8);
    CGContextSetFillColorWithColor(m_context, UIColor::redColor());
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, topOpaqueMask());
    fillAll();
    for (std::size_t y = 0; y < 8; ++y)
        EXPECT_EQ(pixelAt(m_context, 2, y), y < 4 ? kRed : kClear) << "row " << y;
}

TEST_F(GraphicsMaskTest, NothingOutsideTheMaskRectangleShows) {
    CGContextClipToMask(m_context, {{0, 0}, {4, 8}}, solidImage(1, 1, kWhite, true));
    fillAll();
    EXPECT_TRUE(columnPainted(3));
    EXPECT_FALSE(columnPainted(4));
    EXPECT_FALSE(columnPainted(7));
}

TEST_F(GraphicsMaskTest, MasksIntersectAndRestoreRemovesThem) {
    std::vector<Pixel> fromColumnTwo;
    for (int x = 0; x < 8; ++x)
        fromColumnTwo.push_back(x >= 2 ? kWhite : kBlack);
    CGContextSaveGState(m_context);
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, leftWhiteMask());
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, imageFromPixels(8, 1, fromColumnTwo, true));
    fillAll();
    CGContextRestoreGState(m_context);
    EXPECT_FALSE(columnPainted(1));
    EXPECT_TRUE(columnPainted(2));
    EXPECT_TRUE(columnPainted(3));
    EXPECT_FALSE(columnPainted(4));

    CGContextSetFillColorWithColor(m_context, UIColor::blueColor());
    fillAll();
    EXPECT_EQ(countPixels(m_context, [](Pixel p) { return p == kBlue; }), 64);
}

TEST_F(GraphicsMaskTest, StrokesImagesAndClearsAreMaskedToo) {
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, leftWhiteMask());
    CGContextSetLineWidth(m_context, 2);
    CGContextMoveToPoint(m_context, 0, 1);
    CGContextAddLineToPoint(m_context, 8, 1);
    CGContextStrokePath(m_context);
    EXPECT_EQ(pixelAt(m_context, 1, 1), kRed);
    EXPECT_EQ(pixelAt(m_context, 6, 1), kClear);

    CGContextDrawImage(m_context, {{0, 4}, {8, 2}}, solidImage(1, 1, kGreen));
    EXPECT_EQ(pixelAt(m_context, 1, 5), kGreen);
    EXPECT_EQ(pixelAt(m_context, 6, 5), kClear);

    // Clearing through the mask clears only where it lets through.
    CGContextRef fresh = kitContext(8, 8);
    CGContextSetFillColorWithColor(fresh, UIColor::redColor());
    CGContextFillRect(fresh, {{0, 0}, {8, 8}});
    CGContextClipToMask(fresh, {{0, 0}, {8, 8}}, leftWhiteMask());
    CGContextClearRect(fresh, {{0, 0}, {8, 8}});
    EXPECT_EQ(pixelAt(fresh, 1, 1), kClear);
    EXPECT_EQ(pixelAt(fresh, 6, 1), kRed);
}

TEST_F(GraphicsMaskTest, MaskFollowsTheScaleOfTheContext) {
    m_context = kitContext(4, 4, 2);
    CGContextSetFillColorWithColor(m_context, UIColor::redColor());
    CGContextClipToMask(m_context, {{0, 0}, {4, 4}}, leftWhiteMask());
    CGContextFillRect(m_context, {{0, 0}, {4, 4}});
    EXPECT_TRUE(columnPainted(3));
    EXPECT_FALSE(columnPainted(4));
}

TEST_F(GraphicsMaskTest, NoMaskImageLeavesTheClipAlone) {
    CGContextClipToMask(m_context, {{0, 0}, {8, 8}}, nullptr);
    fillAll();
    EXPECT_EQ(countPixels(m_context, isPainted), 64);
}

// Rows 0-1 red, rows 2-3 blue.
CGImageRef redOverBlue() {
    std::vector<Pixel> pixels;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            pixels.push_back(y < 2 ? kRed : kBlue);
    return imageFromPixels(4, 4, pixels);
}

TEST(GraphicsDrawImageTest, DrawImageShowsUpsideDownInAKitContext) {
    CGContextRef context = kitContext(4, 4);
    CGContextDrawImage(context, {{0, 0}, {4, 4}}, redOverBlue());
    EXPECT_EQ(pixelAt(context, 1, 0), kBlue);
    EXPECT_EQ(pixelAt(context, 1, 3), kRed);
}

TEST(GraphicsDrawImageTest, DrawImageIsUprightInABitmapContextAndAfterAFlip) {
    CGContextRef bitmap = CGBitmapContextCreate(4, 4);
    CGContextDrawImage(bitmap, {{0, 0}, {4, 4}}, redOverBlue());
    EXPECT_EQ(pixelAt(bitmap, 1, 0), kRed);
    EXPECT_EQ(pixelAt(bitmap, 1, 3), kBlue);

    // The flip an image context is given before drawing a bitmap into it.
    CGContextRef flipped = kitContext(4, 4);
    CGContextScaleCTM(flipped, 1, -1);
    CGContextTranslateCTM(flipped, 0, -4);
    CGContextDrawImage(flipped, {{0, 0}, {4, 4}}, redOverBlue());
    EXPECT_EQ(pixelAt(flipped, 1, 0), kRed);
    EXPECT_EQ(pixelAt(flipped, 1, 3), kBlue);
}

TEST(GraphicsDrawImageTest, DrawInRectIsUprightInAKitContext) {
    CGContextRef context = kitContext(4, 4);
    UIGraphicsPushContext(context);
    UIImage::imageWithCGImage(redOverBlue())->drawInRect({{0, 0}, {4, 4}});
    UIGraphicsPopContext();
    EXPECT_EQ(pixelAt(context, 1, 0), kRed);
    EXPECT_EQ(pixelAt(context, 1, 3), kBlue);
}

TEST(GraphicsDrawImageTest, StretchedImageKeepsItsCornersAndItsRectangle) {
    CGContextRef context = kitContext(10, 10);
    CGImageRef image = imageFromPixels(2, 2, {kRed, kGreen, kBlue, kWhite});
    CGContextDrawImage(context, {{1, 1}, {8, 8}}, image);
    // Upside down: the bottom row of the image is at the top.
    EXPECT_EQ(pixelAt(context, 1, 1), kBlue);
    EXPECT_EQ(pixelAt(context, 8, 1), kWhite);
    EXPECT_EQ(pixelAt(context, 1, 8), kRed);
    EXPECT_EQ(pixelAt(context, 8, 8), kGreen);
    EXPECT_EQ(pixelAt(context, 0, 0), kClear);
    EXPECT_EQ(pixelAt(context, 9, 5), kClear);
    EXPECT_EQ(pixelAt(context, 5, 9), kClear);
}

TEST(GraphicsDrawImageTest, ImagesAreDrawnAtTheContextAlphaAndOpaqueOnesCoverAll) {
    CGContextRef context = kitContext(2, 1);
    CGContextSetAlpha(context, 0.5);
    CGContextDrawImage(context, {{0, 0}, {1, 1}}, solidImage(1, 1, kWhite));
    EXPECT_TRUE(near(pixelAt(context, 0, 0), {128, 128, 128, 128}, 1));

    CGContextSetAlpha(context, 1);
    CGContextDrawImage(context, {{1, 0}, {1, 1}}, solidImage(1, 1, kGreen, true));
    EXPECT_EQ(pixelAt(context, 1, 0), kGreen);
}

TEST(GraphicsBitmapContextTest, RedFirstCallerBufferReceivesUprightPixels) {
    // The palette read: a caller's RGBA buffer, image drawn at its own size.
    std::vector<std::uint8_t> buffer(4 * 4 * 4, 0xAB);
    CGContextRef context =
        CGBitmapContextCreate(buffer.data(), 4, 4, 8, 16, CGColorSpaceCreateDeviceRGB(),
                              kCGImageAlphaPremultipliedLast | kCGBitmapByteOrder32Big);
    ASSERT_TRUE(context);
    CGContextDrawImage(context, {{0, 0}, {4, 4}}, redOverBlue());
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 4),
              (std::vector<std::uint8_t>{255, 0, 0, 255}));
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.end() - 4, buffer.end()),
              (std::vector<std::uint8_t>{0, 0, 255, 255}));
    EXPECT_EQ(CGBitmapContextGetData(context), buffer.data());
}

TEST(GraphicsBitmapContextTest, CallerContentAndDirectWritesSurviveDrawing) {
    std::vector<std::uint8_t> buffer(4 * 2 * 4);
    for (std::size_t i = 0; i < buffer.size(); i += 4) {
        buffer[i + 1] = 255; // opaque green, red first
        buffer[i + 3] = 255;
    }
    CGContextRef context = CGBitmapContextCreate(
        buffer.data(), 4, 2, 8, 16, CGColorSpaceCreateDeviceRGB(), kCGImageAlphaPremultipliedLast);
    ASSERT_TRUE(context);
    CGContextSetFillColorWithColor(context, UIColor::redColor());
    CGContextFillRect(context, {{0, 0}, {1, 2}});
    EXPECT_EQ(buffer[0], 255);
    EXPECT_EQ(buffer[1], 0);
    EXPECT_EQ(buffer[4 + 1], 255) << "untouched pixel stays green";

    buffer[12] = 0;
    buffer[13] = 0;
    buffer[14] = 255; // the caller paints the last pixel of row 0 blue
    CGContextFillRect(context, {{1, 0}, {1, 1}});
    EXPECT_EQ(buffer[14], 255);
    EXPECT_EQ(pixelAt(CGBitmapContextCreateImage(context), 3, 0), kBlue);
}

TEST(GraphicsBitmapContextTest, NativeCallerBufferIsDrawnDirectly) {
    std::vector<std::uint8_t> buffer(2 * 2 * 4, 0);
    CGContextRef context =
        CGBitmapContextCreate(buffer.data(), 2, 2, 8, 8, CGColorSpaceCreateDeviceRGB(),
                              kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little);
    ASSERT_TRUE(context);
    CGContextSetFillColorWithColor(context, UIColor::redColor());
    CGContextFillRect(context, {{0, 0}, {2, 2}});
    EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 4),
              (std::vector<std::uint8_t>{0, 0, 255, 255}))
        << "blue, green, red, alpha";
}

TEST(GraphicsBitmapContextTest, UnsupportedBitmapsGiveNoContext) {
    auto rgb = CGColorSpaceCreateDeviceRGB();
    std::uint32_t native = kCGImageAlphaPremultipliedFirst | kCGBitmapByteOrder32Little;
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 0, 4, 8, 0, rgb, native));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 16385, 1, 8, 0, rgb, native));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 16, 0, rgb, native));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 8, 12, rgb, native));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 8, 18, rgb, native));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb,
                                       kCGImageAlphaFirst | kCGBitmapByteOrder32Little));
    EXPECT_FALSE(CGBitmapContextCreate(nullptr, 4, 4, 8, 0, rgb, kCGImageAlphaOnly));
    EXPECT_TRUE(CGBitmapContextCreate(nullptr, 4, 4, 8, 32, rgb, native));
}

TEST(GraphicsBitmapContextTest, CreateImageIsASnapshot) {
    CGContextRef context = CGBitmapContextCreate(2, 1);
    EXPECT_EQ(CGBitmapContextGetWidth(context), 2u);
    EXPECT_EQ(CGBitmapContextGetHeight(context), 1u);
    EXPECT_EQ(CGBitmapContextGetBytesPerRow(context), 8u);
    CGContextSetFillColorWithColor(context, UIColor::redColor());
    CGContextFillRect(context, {{0, 0}, {1, 1}});
    CGImageRef first = CGBitmapContextCreateImage(context);
    CGContextFillRect(context, {{1, 0}, {1, 1}});
    EXPECT_EQ(pixelAt(first, 0, 0), kRed);
    EXPECT_EQ(pixelAt(first, 1, 0), kClear);
    EXPECT_EQ(pixelAt(CGBitmapContextCreateImage(context), 1, 0), kRed);
    EXPECT_EQ(CGImageGetAlphaInfo(first), kCGImageAlphaPremultipliedFirst);
}

TEST(GraphicsBitmapContextTest, DirectWritesToTheDataAreSeenByLaterDrawing) {
    CGContextRef context = CGBitmapContextCreate(2, 1);
    auto* data = static_cast<std::uint8_t*>(CGBitmapContextGetData(context));
    std::uint32_t green = wordFromPixel(kGreen);
    std::memcpy(data, &green, 4);
    // A partly transparent fill over it blends with what was written.
    CGContextSetFillColorWithColor(context, UIColor::colorWithRed(1, 0, 0, 0.5));
    CGContextFillRect(context, {{0, 0}, {2, 1}});
    EXPECT_TRUE(near(pixelAt(context, 0, 0), {128, 128, 0, 255}, 1)) << pixelAt(context, 0, 0);
}

// The same random premultiplied pixels in a bitmap of ours and in a cairo
// surface, for comparing what each makes of one drawing.
void fillBothWithRandomPixels(uint8_t* ours, size_t ourStride, cairo_surface_t* reference,
                              int width, int height, std::mt19937& random) {
    uint8_t* theirs = cairo_image_surface_get_data(reference);
    const int theirStride = cairo_image_surface_get_stride(reference);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t a = static_cast<uint8_t>(random());
            uint8_t pixel[4];
            for (int c = 0; c < 3; ++c)
                pixel[c] = static_cast<uint8_t>(a ? random() % (a + 1) : 0);
            pixel[3] = a;
            std::memcpy(ours + y * ourStride + x * 4, pixel, 4);
            std::memcpy(theirs + y * theirStride + x * 4, pixel, 4);
        }
    cairo_surface_mark_dirty(reference);
}

// A rectangle of whole pixels is filled without Cairo's paths; every pixel
// must come out as Cairo itself would put it down, translucent colours over
// any premultiplied pixels, at every instruction level the machine has.
TEST(GraphicsFillTest, WholePixelRectanglesMatchCairosOwnFill) {
    constexpr int kWidth = 37;
    constexpr int kHeight = 9;
    std::mt19937 random(3);
    for (InstructionLevel level : kAllInstructionLevels) {
        if (level > supportedInstructionLevel())
            continue;
        setActiveInstructionLevel(level);
        for (double alpha : {0.0, 0.11, 0.4, 0.73, 0.999, 1.0}) {
            SCOPED_TRACE(testing::Message() << instructionLevelName(level) << " alpha " << alpha);
            const double red = (random() % 1000) / 999.0;
            const double green = (random() % 1000) / 999.0;
            const double blue = (random() % 1000) / 999.0;
            // The same premultiplied pixels in both.
            const CGContextRef context = CGBitmapContextCreate(kWidth, kHeight);
            cairo_surface_t* reference =
                cairo_image_surface_create(CAIRO_FORMAT_ARGB32, kWidth, kHeight);
            auto* ours = static_cast<uint8_t*>(CGBitmapContextGetData(context));
            const size_t ourStride = CGBitmapContextGetBytesPerRow(context);
            uint8_t* theirs = cairo_image_surface_get_data(reference);
            const int theirStride = cairo_image_surface_get_stride(reference);
            fillBothWithRandomPixels(ours, ourStride, reference, kWidth, kHeight, random);

            CGContextSetFillColorWithColor(context, UIColor::colorWithRed(red, green, blue, alpha));
            CGContextFillRect(context, CGRectMake(1, 2, kWidth - 3, kHeight - 2));
            // Bitmap contexts count y up from the bottom.
            cairo_t* cr = cairo_create(reference);
            cairo_set_source_rgba(cr, red, green, blue, alpha);
            cairo_rectangle(cr, 1, 0, kWidth - 3, kHeight - 2);
            cairo_fill(cr);
            cairo_destroy(cr);
            cairo_surface_flush(reference);

            for (int y = 0; y < kHeight; ++y)
                EXPECT_EQ(std::memcmp(ours + y * ourStride, theirs + y * theirStride, kWidth * 4),
                          0)
                    << "row " << y;
            cairo_surface_destroy(reference);
        }
    }
    setActiveInstructionLevel(supportedInstructionLevel());
}

// A stroke is its coverage put down through cairo's mask, whether drawn the
// first time or laid down again from the kept coverage: every pixel the same
// over any pixels, at any scale, opaque or not.
TEST(GraphicsStrokeTest, StrokesDrawnAgainLookAsTheFirstTime) {
    constexpr int kSide = 61;
    std::mt19937 random(5);
    const std::size_t reusedBefore = StrokeCoverageCache::reuseCount();
    for (double scale : {1.0, 1.37, 3.0}) {
        const int pixels = static_cast<int>(kSide * scale);
        const double red = (random() % 1000) / 999.0;
        const double green = (random() % 1000) / 999.0;
        const double blue = (random() % 1000) / 999.0;
        for (double alpha : {1.0, 0.37}) {
            for (int round = 0; round < 3; ++round) {
                SCOPED_TRACE(testing::Message()
                             << "scale " << scale << " alpha " << alpha << " round " << round);
                const CGContextRef context = kitContext(kSide, kSide, scale);
                cairo_surface_t* reference =
                    cairo_image_surface_create(CAIRO_FORMAT_ARGB32, pixels, pixels);
                auto* ours = static_cast<uint8_t*>(CGBitmapContextGetData(context));
                const size_t ourStride = CGBitmapContextGetBytesPerRow(context);
                uint8_t* theirs = cairo_image_surface_get_data(reference);
                const int theirStride = cairo_image_surface_get_stride(reference);
                fillBothWithRandomPixels(ours, ourStride, reference, pixels, pixels, random);

                CGContextSetLineWidth(context, 5);
                CGContextSetStrokeColorWithColor(context,
                                                 UIColor::colorWithRed(red, green, blue, alpha));
                CGContextAddEllipseInRect(context, CGRectMake(6.3, 6, 48, 47.5));
                CGContextStrokePath(context);
                cairo_surface_t* coverage =
                    cairo_image_surface_create(CAIRO_FORMAT_A8, pixels, pixels);
                cairo_t* cr = cairo_create(coverage);
                cairo_scale(cr, scale, scale);
                cairo_set_line_width(cr, 5);
                cairo_save(cr);
                cairo_translate(cr, 30.3, 29.75);
                cairo_scale(cr, 24, 23.75);
                cairo_arc(cr, 0, 0, 1, 0, 2 * kPi);
                cairo_close_path(cr);
                cairo_restore(cr);
                cairo_stroke(cr);
                cairo_destroy(cr);
                cr = cairo_create(reference);
                cairo_set_source_rgba(cr, red, green, blue, alpha);
                cairo_mask_surface(cr, coverage, 0, 0);
                cairo_destroy(cr);
                cairo_surface_destroy(coverage);
                cairo_surface_flush(reference);

                for (int y = 0; y < pixels; ++y)
                    ASSERT_EQ(
                        std::memcmp(ours + y * ourStride, theirs + y * theirStride, pixels * 4), 0)
                        << "row " << y;
                cairo_surface_destroy(reference);
            }
        }
    }
    // Each scale and colour: seen, kept, then laid down from the coverage.
    EXPECT_GE(StrokeCoverageCache::reuseCount() - reusedBefore, 6u);
}

} // namespace
