#include "platform/GraphicsTestSupport.h"
#include "platform/graphics/CGBitmapContext.h"
#include "platform/system/SystemLog.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreenScale.h"

#include <barrier>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

namespace {

class GraphicsImageContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_savedScale = UIScreenMainScale();
        ASSERT_EQ(UIGraphicsGetContextStackDepth(), 0u);
        SystemLog::shared().clear();
    }
    void TearDown() override {
        UIScreenSetMainScale(m_savedScale);
        EXPECT_EQ(UIGraphicsGetContextStackDepth(), 0u) << "a test left the stack unbalanced";
        while (UIGraphicsGetContextStackDepth() > 0)
            UIGraphicsPopContext();
    }

    static bool logged(const std::string& fragment) {
        for (const auto& line : SystemLog::shared().lines())
            if (line.text.find(fragment) != std::string::npos)
                return true;
        return false;
    }

    double m_savedScale = 2;
};

TEST_F(GraphicsImageContextTest, ImageContextIsYDownInPointsAtItsScale) {
    UIGraphicsBeginImageContextWithOptions({3, 2}, false, 2);
    CGContextRef context = UIGraphicsGetCurrentContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(CGBitmapContextGetWidth(context), 6u);
    EXPECT_EQ(CGBitmapContextGetHeight(context), 4u);
    CGContextSetFillColorWithColor(context, UIColor::redColor());
    CGContextFillRect(context, {{0, 0}, {1, 1}});

    std::shared_ptr<UIImage> image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 2);
    EXPECT_EQ(image->size(), CGSizeMake(3, 2));
    EXPECT_EQ(image->imageOrientation(), UIImageOrientationUp);
    EXPECT_EQ(pixelAt(image->CGImage(), 0, 0), kRed);
    EXPECT_EQ(pixelAt(image->CGImage(), 1, 1), kRed);
    EXPECT_EQ(pixelAt(image->CGImage(), 2, 0), kClear);
    EXPECT_EQ(pixelAt(image->CGImage(), 0, 2), kClear);
    EXPECT_FALSE(image->CGImage()->isOpaque());
}

TEST_F(GraphicsImageContextTest, PlainImageContextIsScaleOneAndTransparent) {
    UIScreenSetMainScale(3);
    UIGraphicsBeginImageContext({5, 4});
    std::shared_ptr<UIImage> image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 1);
    EXPECT_EQ(CGImageGetWidth(image->CGImage()), 5u);
    EXPECT_EQ(pixelAt(image->CGImage(), 4, 3), kClear);
}

TEST_F(GraphicsImageContextTest, ScaleZeroMeansTheMainScreenScale) {
    UIScreenSetMainScale(3);
    UIGraphicsBeginImageContextWithOptions({10, 10}, false, 0);
    std::shared_ptr<UIImage> image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), 3);
    EXPECT_EQ(CGImageGetWidth(image->CGImage()), 30u);
    EXPECT_EQ(image->size(), CGSizeMake(10, 10));
}

TEST_F(GraphicsImageContextTest, FractionalSizesRoundUpToWholePixels) {
    UIGraphicsBeginImageContextWithOptions({0.5, 2.0 / 3.0}, false, 3);
    CGContextRef context = UIGraphicsGetCurrentContext();
    ASSERT_TRUE(context);
    EXPECT_EQ(CGBitmapContextGetWidth(context), 2u);
    EXPECT_EQ(CGBitmapContextGetHeight(context), 2u) << "2/3 x 3 is 2, not 3";
    UIGraphicsEndImageContext();
}

TEST_F(GraphicsImageContextTest, OpaqueContextGivesAnOpaqueImageOnBlack) {
    UIGraphicsBeginImageContextWithOptions({2, 1}, true, 1);
    CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(context, UIColor::colorWithRed(1, 0, 0, 0.5));
    CGContextFillRect(context, {{0, 0}, {1, 1}});
    std::shared_ptr<UIImage> image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    ASSERT_TRUE(image);
    EXPECT_TRUE(image->CGImage()->isOpaque());
    EXPECT_EQ(pixelAt(image->CGImage(), 1, 0), kBlack);
    EXPECT_TRUE(near(pixelAt(image->CGImage(), 0, 0), {128, 0, 0, 255}, 1));
}

TEST_F(GraphicsImageContextTest, NestedContextsAreCurrentInTurn) {
    UIGraphicsBeginImageContext({1, 1});
    CGContextRef outer = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(outer, UIColor::redColor());

    UIGraphicsBeginImageContext({1, 1});
    CGContextRef inner = UIGraphicsGetCurrentContext();
    EXPECT_NE(inner, outer);
    CGContextSetFillColorWithColor(inner, UIColor::blueColor());
    CGContextFillRect(inner, {{0, 0}, {1, 1}});
    std::shared_ptr<UIImage> innerImage = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();

    EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
    CGContextFillRect(outer, {{0, 0}, {1, 1}});
    std::shared_ptr<UIImage> outerImage = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();

    EXPECT_EQ(pixelAt(innerImage->CGImage(), 0, 0), kBlue);
    EXPECT_EQ(pixelAt(outerImage->CGImage(), 0, 0), kRed);
    EXPECT_FALSE(UIGraphicsGetCurrentContext());
}

TEST_F(GraphicsImageContextTest, PushedContextIsCurrentButNotAnImageContext) {
    CGContextRef bitmap = CGBitmapContextCreate(2, 2);
    UIGraphicsBeginImageContext({1, 1});
    UIGraphicsPushContext(bitmap);
    EXPECT_EQ(UIGraphicsGetCurrentContext(), bitmap);
    EXPECT_FALSE(UIGraphicsGetImageFromCurrentImageContext());

    // Ending an image context while a pushed one is on top changes nothing.
    UIGraphicsEndImageContext();
    EXPECT_TRUE(logged("UIGraphicsEndImageContext() called without"));
    EXPECT_EQ(UIGraphicsGetContextStackDepth(), 2u);

    UIGraphicsPopContext();
    EXPECT_TRUE(UIGraphicsGetImageFromCurrentImageContext());
    UIGraphicsEndImageContext();
    EXPECT_EQ(UIGraphicsGetContextStackDepth(), 0u);
}

TEST_F(GraphicsImageContextTest, EndingOrPoppingAnEmptyStackIsHarmless) {
    UIGraphicsEndImageContext();
    UIGraphicsPopContext();
    EXPECT_FALSE(UIGraphicsGetCurrentContext());
    EXPECT_FALSE(UIGraphicsGetImageFromCurrentImageContext());
}

TEST_F(GraphicsImageContextTest, ImpossibleSizesStillBalanceBeginAndEnd) {
    const CGSize sizes[] = {{0, 10},       {10, 0},    {-1, 10},  {std::nan(""), 1},
                            {INFINITY, 1}, {16385, 1}, {1, 20000}};
    for (CGSize size : sizes) {
        SystemLog::shared().clear();
        UIGraphicsBeginImageContext({1, 1});
        CGContextRef outer = UIGraphicsGetCurrentContext();
        UIGraphicsBeginImageContextWithOptions(size, false, 1);
        EXPECT_FALSE(UIGraphicsGetCurrentContext());
        EXPECT_FALSE(UIGraphicsGetImageFromCurrentImageContext());
        // Drawing into nothing does nothing.
        CGContextFillRect(UIGraphicsGetCurrentContext(), {{0, 0}, {1, 1}});
        UIGraphicsEndImageContext();
        EXPECT_EQ(UIGraphicsGetCurrentContext(), outer);
        UIGraphicsEndImageContext();
        EXPECT_TRUE(logged("failed to allocate")) << size.width << " x " << size.height;
    }
    UIGraphicsBeginImageContextWithOptions({8192, 1}, false, 2);
    EXPECT_TRUE(UIGraphicsGetCurrentContext()) << "16384 pixels is the largest side";
    UIGraphicsEndImageContext();
}

TEST_F(GraphicsImageContextTest, EachThreadHasItsOwnStack) {
    UIGraphicsBeginImageContext({1, 1});
    CGContextRef mainContext = UIGraphicsGetCurrentContext();

    // Both threads hold a context at the same time, then check what they see.
    std::barrier bothBegun(2);
    auto work = [&bothBegun](UIColor color, Pixel expected, bool* ok) {
        bool sawEmptyStack = !UIGraphicsGetCurrentContext();
        UIGraphicsBeginImageContext({2, 2});
        CGContextRef mine = UIGraphicsGetCurrentContext();
        bothBegun.arrive_and_wait();
        UIGraphicsBeginImageContext({1, 1});
        UIGraphicsEndImageContext();
        CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), color);
        CGContextFillRect(UIGraphicsGetCurrentContext(), {{0, 0}, {2, 2}});
        std::shared_ptr<UIImage> image = UIGraphicsGetImageFromCurrentImageContext();
        UIGraphicsEndImageContext();
        *ok = sawEmptyStack && UIGraphicsGetCurrentContext() == nullptr && image &&
              UIGraphicsGetContextStackDepth() == 0 &&
              pixelAt(image->CGImage(), 1, 1) == expected && mine != nullptr;
    };
    bool redOk = false, blueOk = false;
    std::thread red(work, UIColor::redColor(), kRed, &redOk);
    std::thread blue(work, UIColor::blueColor(), kBlue, &blueOk);
    red.join();
    blue.join();
    EXPECT_TRUE(redOk);
    EXPECT_TRUE(blueOk);

    EXPECT_EQ(UIGraphicsGetCurrentContext(), mainContext);
    EXPECT_EQ(UIGraphicsGetContextStackDepth(), 1u);
    UIGraphicsEndImageContext();
}

TEST_F(GraphicsImageContextTest, OneImageIsDrawnAndMaskedFromSeveralThreadsAtOnce) {
    std::vector<Pixel> pixels;
    for (int i = 0; i < 16; ++i)
        pixels.push_back(i % 2 ? kRed : kClear);
    std::shared_ptr<UIImage> shared = UIImage::imageWithCGImage(imageFromPixels(4, 4, pixels), 2);

    constexpr int kThreads = 4;
    std::barrier start(kThreads);
    std::vector<int> mismatches(kThreads, 0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int round = 0; round < 20; ++round) {
                UIGraphicsBeginImageContextWithOptions(shared->size(), false, 2);
                CGContextRef context = UIGraphicsGetCurrentContext();
                CGContextClipToMask(context, {{0, 0}, shared->size()}, shared->CGImage());
                shared->drawInRect({{0, 0}, shared->size()});
                std::shared_ptr<UIImage> copy = UIGraphicsGetImageFromCurrentImageContext();
                UIGraphicsEndImageContext();
                if (!copy || copy->contentHash() != shared->contentHash())
                    ++mismatches[t];
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    for (int t = 0; t < kThreads; ++t)
        EXPECT_EQ(mismatches[t], 0) << "thread " << t;
}

} // namespace
