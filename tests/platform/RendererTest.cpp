#include "platform/render/Renderer.h"

#include "platform/ActionRecorder.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/render/ViewDump.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIWindow.h"
#include "support/DumpNode.h"
#include "support/ManualClockFixture.h"

#include <cmath>

namespace {

using RendererOutput = ManualClockTest;

struct Pixel {
    int a, r, g, b;
};

Pixel pixelAt(const CGImageRef& image, double x, double y) {
    std::uint32_t word = image->pixelAt(static_cast<size_t>(x), static_cast<size_t>(y));
    return {int(word >> 24), int((word >> 16) & 0xFF), int((word >> 8) & 0xFF), int(word & 0xFF)};
}

// A solid image of one colour, made the way the player makes its images.
std::shared_ptr<UIImage> solidImage(CGSize size, const UIColor& color) {
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    CGContextSetFillColorWithColor(UIGraphicsGetCurrentContext(), color);
    CGContextFillRect(UIGraphicsGetCurrentContext(), {{0, 0}, size});
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

TEST_F(RendererOutput, DrawsBackgroundsAtTheScaleAskedFor) {
    auto window = UIWindow::create(CGRectMake(0, 0, 100, 100));
    window->setBackgroundColor(UIColor::blackColor());
    auto red = UIView::create(CGRectMake(10, 20, 30, 40));
    red->setBackgroundColor(UIColor::redColor());
    window->addSubview(red);
    CGImageRef image = Renderer::render(window, 2);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 200u);
    EXPECT_EQ(image->height(), 200u);
    Pixel inside = pixelAt(image, 2 * 25, 2 * 40);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.g, 0);
    Pixel above = pixelAt(image, 2 * 25, 2 * 15);
    EXPECT_EQ(above.r, 0);
    // y grows downwards: the view's top edge is at 20 points.
    EXPECT_EQ(pixelAt(image, 2 * 25, 2 * 20 + 1).r, 255);
    EXPECT_EQ(pixelAt(image, 2 * 25, 2 * 20 - 1).r, 0);
}

TEST_F(RendererOutput, HiddenAndTransparentViewsAreNotDrawn) {
    auto window = UIWindow::create(CGRectMake(0, 0, 50, 50));
    window->setBackgroundColor(UIColor::blackColor());
    auto hidden = UIView::create(CGRectMake(0, 0, 50, 50));
    hidden->setBackgroundColor(UIColor::whiteColor());
    hidden->setHidden(true);
    window->addSubview(hidden);
    auto half = UIView::create(CGRectMake(0, 0, 25, 50));
    half->setBackgroundColor(UIColor::whiteColor());
    half->setAlpha(0.5);
    window->addSubview(half);
    CGImageRef image = Renderer::render(window, 1);
    EXPECT_EQ(pixelAt(image, 40, 25).r, 0);
    EXPECT_NEAR(pixelAt(image, 10, 25).r, 128, 2);
}

TEST_F(RendererOutput, RoundedCornersClipAndBordersDraw) {
    auto window = UIWindow::create(CGRectMake(0, 0, 100, 100));
    window->setBackgroundColor(UIColor::blackColor());
    auto disc = UIImageView::create(CGRectMake(0, 0, 100, 100));
    disc->setImage(solidImage({10, 10}, UIColor::greenColor()));
    disc->setClipsToBounds(true);
    disc->layer()->setCornerRadius(50);
    disc->layer()->setBorderWidth(4);
    disc->layer()->setBorderColor(UIColor::whiteColor());
    window->addSubview(disc);
    CGImageRef image = Renderer::render(window, 1);
    // The corner is outside the circle; the middle is the image; the edge
    // is the border.
    EXPECT_EQ(pixelAt(image, 3, 3).g, 0);
    EXPECT_EQ(pixelAt(image, 50, 50).g, 255);
    EXPECT_EQ(pixelAt(image, 50, 50).r, 0);
    Pixel edge = pixelAt(image, 50, 1);
    EXPECT_EQ(edge.r, 255);
    EXPECT_EQ(edge.g, 255);
}

TEST_F(RendererOutput, ImagesFollowTheirContentMode) {
    auto window = UIWindow::create(CGRectMake(0, 0, 100, 50));
    window->setBackgroundColor(UIColor::blackColor());
    auto view = UIImageView::create(CGRectMake(0, 0, 100, 50));
    view->setImage(solidImage({10, 10}, UIColor::blueColor()));
    view->setContentMode(UIViewContentMode::ScaleAspectFit);
    window->addSubview(view);
    CGImageRef image = Renderer::render(window, 1);
    EXPECT_EQ(pixelAt(image, 50, 25).b, 255);
    EXPECT_EQ(pixelAt(image, 10, 25).b, 0);
    view->setContentMode(UIViewContentMode::ScaleToFill);
    image = Renderer::render(window, 1);
    EXPECT_EQ(pixelAt(image, 10, 25).b, 255);
}

TEST_F(RendererOutput, LabelsDrawTheirTextInTheirColour) {
    auto window = UIWindow::create(CGRectMake(0, 0, 200, 40));
    window->setBackgroundColor(UIColor::blackColor());
    auto label = UILabel::create(CGRectMake(0, 0, 200, 40));
    label->setText("MMMM");
    label->setFont(UIFont::systemFontOfSize(30));
    label->setTextColor(UIColor::whiteColor());
    label->setTextAlignment(NSTextAlignment::Center);
    window->addSubview(label);
    CGImageRef image = Renderer::render(window, 1);
    int lit = 0, litLeft = 0;
    for (int x = 0; x < 200; ++x) {
        for (int y = 0; y < 40; ++y) {
            if (pixelAt(image, x, y).r > 128) {
                ++lit;
                if (x < 40)
                    ++litLeft;
            }
        }
    }
    EXPECT_GT(lit, 200);
    // Centred: nothing in the first fifth.
    EXPECT_EQ(litLeft, 0);
}

TEST_F(RendererOutput, RunningRotationTurnsTheViewOnlyWhileItRuns) {
    auto window = UIWindow::create(CGRectMake(0, 0, 100, 100));
    window->setBackgroundColor(UIColor::blackColor());
    auto bar = UIView::create(CGRectMake(45, 10, 10, 80));
    bar->setBackgroundColor(UIColor::whiteColor());
    window->addSubview(bar);
    auto turn = CABasicAnimation::animationWithKeyPath("transform.rotation");
    turn->setFromValue(0);
    turn->setToValue(2 * M_PI);
    turn->setDuration(0.4);
    bar->layer()->addAnimation(turn, "360");
    run(0.1);
    // A quarter turn: the bar lies across.
    CGImageRef across = Renderer::render(window, 1);
    EXPECT_EQ(pixelAt(across, 15, 50).r, 255);
    EXPECT_EQ(pixelAt(across, 50, 15).r, 0);
    run(0.4);
    CGImageRef after = Renderer::render(window, 1);
    EXPECT_EQ(pixelAt(after, 50, 15).r, 255);
    EXPECT_TRUE(bar->layer()->animationKeys().empty());
}

TEST_F(RendererOutput, DumpDescribesKindsTargetsAndAnimations) {
    ActionRecorder::addAction("pressed");
    auto recorder = ActionRecorder::create();
    auto window = UIWindow::create(CGRectMake(0, 0, 100, 100));
    auto button = UIButton::buttonWithType(UIButtonType::Custom);
    button->setFrame(CGRectMake(1, 2, 3, 4));
    button->addTarget(recorder, "pressed", UIControlEventTouchUpInside | UIControlEventTouchDown);
    button->setImage(solidImage({4, 4}, UIColor::redColor()), UIControlStateNormal);
    window->addSubview(button);
    auto label = UILabel::create();
    label->setText("Hello");
    label->setFont(UIFont::italicSystemFontOfSize(18));
    label->setTextColor(UIColor::whiteColor().colorWithAlphaComponent(0.7));
    window->addSubview(label);
    auto turn = CABasicAnimation::animationWithKeyPath("transform.rotation");
    turn->setToValue(6.2831855f);
    turn->setDuration(0.4);
    button->layer()->addAnimation(turn, "360");

    DumpNode dump(ViewDump::dumpView(window));
    const DumpNode& buttonJson = dump["subviews"][0];
    EXPECT_EQ(buttonJson["class"].asString(), "UIButton");
    EXPECT_EQ(buttonJson["frame"][3].asNumber(), 4);
    EXPECT_EQ(buttonJson["targets"][0]["action"].asString(), "pressed");
    EXPECT_EQ(buttonJson["targets"][0]["eventMask"].asNumber(), 65);
    EXPECT_EQ(buttonJson["images"]["0"]["size"][0].asNumber(), 4);
    EXPECT_EQ(buttonJson["layer"]["animations"][0]["key"].asString(), "360");
    EXPECT_NEAR(buttonJson["layer"]["animations"][0]["toValue"].asNumber(), 6.2831855, 1e-6);
    const DumpNode& labelJson = dump["subviews"][1];
    EXPECT_EQ(labelJson["text"].asString(), "Hello");
    EXPECT_TRUE(labelJson["font"]["italic"].asBool());
    EXPECT_EQ(labelJson["font"]["size"].asNumber(), 18);
    EXPECT_EQ(labelJson["textColor"].asString(), "#FFFFFFB3");
    // What is written parses back to the same tree.
    auto parsed = DumpNode::parse(dump.serialize());
    ASSERT_TRUE(parsed);
    EXPECT_EQ((*parsed)["subviews"][1]["text"].asString(), "Hello");
}

} // namespace
