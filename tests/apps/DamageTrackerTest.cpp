#include "apps/common/DamageTracker.h"

#include "platform/graphics/CGBitmapContext.h"
#include "platform/quartzcore/CABasicAnimation.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIView.h"
#include "support/ManualClockFixture.h"

#include <gtest/gtest.h>

namespace {

// A view that shows a bitmap of its own, as a custom-drawn control does.
class PaintedView : public UIView {
public:
    bool drawsContent() const override { return true; }
    std::string_view className() const override { return "TestPaintedView"; }
};

// A bitmap of the size, transparent except for the listed opaque pixels.
CGImageRef bitmap(size_t width, size_t height, std::vector<std::pair<size_t, size_t>> marked = {}) {
    CGContextRef context = CGBitmapContextCreate(width, height);
    auto* pixels = static_cast<std::uint8_t*>(CGBitmapContextGetData(context));
    size_t stride = CGBitmapContextGetBytesPerRow(context);
    for (auto [x, y] : marked) {
        for (int channel = 0; channel < 4; ++channel)
            pixels[y * stride + x * 4 + channel] = 0xFF;
    }
    return CGBitmapContextCreateImage(context);
}

bool covers(const std::vector<CGRect>& rects, CGRect area) {
    for (const CGRect& rect : rects) {
        if (CGRectGetMinX(rect) <= CGRectGetMinX(area) + 1e-9 &&
            CGRectGetMinY(rect) <= CGRectGetMinY(area) + 1e-9 &&
            CGRectGetMaxX(rect) >= CGRectGetMaxX(area) - 1e-9 &&
            CGRectGetMaxY(rect) >= CGRectGetMaxY(area) - 1e-9)
            return true;
    }
    return false;
}

bool sameRect(CGRect a, CGRect b) {
    return a.origin.x == b.origin.x && a.origin.y == b.origin.y && a.size.width == b.size.width &&
           a.size.height == b.size.height;
}

double totalArea(const std::vector<CGRect>& rects) {
    double area = 0;
    for (const CGRect& rect : rects)
        area += rect.size.width * rect.size.height;
    return area;
}

class DamageTrackerTest : public ManualClockTest {
protected:
    void SetUp() override {
        ManualClockTest::SetUp();
        m_root = UIView::create(CGRectMake(0, 0, 400, 800));
        m_root->setBackgroundColor(UIColor::colorWithWhite(0.1, 1));
    }

    // Settles the tracker on the tree as it is now.
    void settle() {
        m_tracker.update(m_root, now());
        ASSERT_TRUE(m_tracker.update(m_root, now()).rects.empty());
    }

    std::shared_ptr<UIView> m_root;
    DamageTracker m_tracker;
};

TEST_F(DamageTrackerTest, TheFirstUpdateDrawsEverythingAndAnUnchangedTreeNothing) {
    auto first = m_tracker.update(m_root, now());
    ASSERT_EQ(first.rects.size(), 1u);
    EXPECT_TRUE(covers(first.rects, CGRectMake(0, 0, 400, 800)));
    auto second = m_tracker.update(m_root, now());
    EXPECT_TRUE(second.rects.empty());
    EXPECT_FALSE(second.animating);
    // After a resize everything is drawn again.
    m_tracker.invalidate();
    EXPECT_TRUE(covers(m_tracker.update(m_root, now()).rects, CGRectMake(0, 0, 400, 800)));
}

TEST_F(DamageTrackerTest, ATextChangeDamagesOnlyItsLabel) {
    auto label = UILabel::create(CGRectMake(20, 30, 100, 20));
    label->setText("1:00");
    auto other = UILabel::create(CGRectMake(20, 300, 100, 20));
    other->setText("still");
    m_root->addSubview(label);
    m_root->addSubview(other);
    settle();
    label->setText("1:01");
    auto update = m_tracker.update(m_root, now());
    ASSERT_EQ(update.rects.size(), 1u);
    EXPECT_TRUE(covers(update.rects, CGRectMake(20, 30, 100, 20)));
    EXPECT_DOUBLE_EQ(totalArea(update.rects), 100 * 20);
    // Setting the same text again changes nothing on screen.
    label->setText("1:01");
    EXPECT_TRUE(m_tracker.update(m_root, now()).rects.empty());
    label->setTextColor(UIColor::colorWithWhite(0.5, 1));
    EXPECT_EQ(m_tracker.update(m_root, now()).rects.size(), 1u);
}

TEST_F(DamageTrackerTest, AMovedViewDamagesWhereItWasAndWhereItIs) {
    auto view = UIView::create(CGRectMake(10, 10, 20, 20));
    view->setBackgroundColor(UIColor::whiteColor());
    m_root->addSubview(view);
    settle();
    view->setFrame(CGRectMake(300, 600, 20, 20));
    auto update = m_tracker.update(m_root, now());
    EXPECT_EQ(update.rects.size(), 2u);
    EXPECT_TRUE(covers(update.rects, CGRectMake(10, 10, 20, 20)));
    EXPECT_TRUE(covers(update.rects, CGRectMake(300, 600, 20, 20)));
}

TEST_F(DamageTrackerTest, ASubviewMovesWithItsParent) {
    auto parent = UIView::create(CGRectMake(0, 0, 100, 100));
    auto child = UIView::create(CGRectMake(50, 50, 10, 10));
    child->setBackgroundColor(UIColor::whiteColor());
    parent->addSubview(child);
    m_root->addSubview(parent);
    settle();
    parent->setFrame(CGRectMake(200, 0, 100, 100));
    auto update = m_tracker.update(m_root, now());
    EXPECT_TRUE(covers(update.rects, CGRectMake(50, 50, 10, 10)));
    EXPECT_TRUE(covers(update.rects, CGRectMake(250, 50, 10, 10)));
}

TEST_F(DamageTrackerTest, HiddenViewsDamageWhereTheyWereAndChangeNothingWhileHidden) {
    auto view = UIView::create(CGRectMake(10, 10, 20, 20));
    view->setBackgroundColor(UIColor::whiteColor());
    m_root->addSubview(view);
    settle();
    view->setHidden(true);
    EXPECT_TRUE(covers(m_tracker.update(m_root, now()).rects, CGRectMake(10, 10, 20, 20)));
    view->setBackgroundColor(UIColor::colorWithWhite(0.5, 1));
    view->setFrame(CGRectMake(100, 100, 20, 20));
    EXPECT_TRUE(m_tracker.update(m_root, now()).rects.empty());
    // A parent's alpha reaches its children: fading it damages them.
    view->setHidden(false);
    settle();
    m_root->setAlpha(0.5);
    EXPECT_FALSE(m_tracker.update(m_root, now()).rects.empty());
}

TEST_F(DamageTrackerTest, ARemovedViewDamagesWhereItWas) {
    auto view = UIView::create(CGRectMake(10, 10, 20, 20));
    view->setBackgroundColor(UIColor::whiteColor());
    m_root->addSubview(view);
    settle();
    view->removeFromSuperview();
    auto update = m_tracker.update(m_root, now());
    EXPECT_TRUE(covers(update.rects, CGRectMake(10, 10, 20, 20)));
}

TEST_F(DamageTrackerTest, ChangesOutsideAClippingParentDamageNothing) {
    auto parent = UIView::create(CGRectMake(0, 0, 100, 100));
    parent->setClipsToBounds(true);
    auto child = UIView::create(CGRectMake(150, 150, 20, 20));
    child->setBackgroundColor(UIColor::whiteColor());
    parent->addSubview(child);
    m_root->addSubview(parent);
    settle();
    child->setBackgroundColor(UIColor::colorWithWhite(0.3, 1));
    EXPECT_TRUE(m_tracker.update(m_root, now()).rects.empty());
    // Half inside: only the inside half is damaged.
    child->setFrame(CGRectMake(90, 90, 20, 20));
    auto update = m_tracker.update(m_root, now());
    ASSERT_EQ(update.rects.size(), 1u);
    EXPECT_DOUBLE_EQ(totalArea(update.rects), 10 * 10);
}

TEST_F(DamageTrackerTest, AnAspectFillImageDamagesPastItsBounds) {
    auto view = UIImageView::create(CGRectMake(100, 100, 50, 50));
    view->setContentMode(UIViewContentMode::ScaleAspectFill);
    m_root->addSubview(view);
    settle();
    view->setImage(UIImage::imageWithSize({200, 100}));
    auto update = m_tracker.update(m_root, now());
    // 200 x 100 filled into 50 x 50 is 100 x 50, centred: 25 points out
    // on each side.
    EXPECT_TRUE(covers(update.rects, CGRectMake(75, 100, 100, 50)));
}

TEST_F(DamageTrackerTest, ARunningRotationAnimatesUntilItEnds) {
    auto disc = UIView::create(CGRectMake(100, 100, 100, 100));
    disc->setBackgroundColor(UIColor::whiteColor());
    m_root->addSubview(disc);
    settle();
    auto turn = CABasicAnimation::animationWithKeyPath("transform.rotation");
    turn->setFromValue(0);
    turn->setToValue(6.283185307179586);
    turn->setDuration(0.5);
    disc->layer()->addAnimation(turn, "turn");
    auto start = m_tracker.update(m_root, now());
    EXPECT_TRUE(start.animating);
    EXPECT_FALSE(start.onlyTextScrolls);
    run(0.1);
    auto turning = m_tracker.update(m_root, now());
    EXPECT_TRUE(turning.animating);
    // A turned square reaches past where it stands upright.
    EXPECT_FALSE(turning.rects.empty());
    run(1);
    auto done = m_tracker.update(m_root, now());
    EXPECT_FALSE(done.animating);
    EXPECT_TRUE(m_tracker.update(m_root, now()).rects.empty());
}

TEST_F(DamageTrackerTest, OnlyAMarqueeWithTextTooLongScrolls) {
    auto label = UILabel::create(CGRectMake(20, 30, 100, 30));
    label->setMarqueeEnabled(true);
    label->setMarqueeRunning(true);
    label->setText("Short");
    m_root->addSubview(label);
    settle();
    EXPECT_FALSE(m_tracker.update(m_root, now()).animating);
    label->setText("A title far too long to fit in a hundred points of label");
    auto scrolling = m_tracker.update(m_root, now());
    EXPECT_TRUE(scrolling.animating);
    EXPECT_TRUE(scrolling.onlyTextScrolls);
    run(0.05);
    auto later = m_tracker.update(m_root, now());
    ASSERT_EQ(later.rects.size(), 1u);
    EXPECT_TRUE(covers(later.rects, CGRectMake(20, 30, 100, 30)));
    // Stopped, the long text is cut off and stays still.
    label->setMarqueeRunning(false);
    m_tracker.update(m_root, now());
    run(0.05);
    EXPECT_TRUE(m_tracker.update(m_root, now()).rects.empty());
}

// Between frames of a scrolling text only its line changes: a tall label
// is not drawn again whole twenty times a second.
TEST_F(DamageTrackerTest, AScrollingTextDamagesItsLineNotItsWholeLabel) {
    auto label = UILabel::create(CGRectMake(20, 30, 100, 90));
    label->setMarqueeEnabled(true);
    label->setMarqueeRunning(true);
    label->setText("A title far too long to fit in a hundred points of label");
    m_root->addSubview(label);
    settle();
    run(0.05);
    auto later = m_tracker.update(m_root, now());
    ASSERT_EQ(later.rects.size(), 1u);
    const double size = label->font().pointSize();
    EXPECT_TRUE(covers(later.rects, CGRectMake(20, 30 + (90 - size) / 2, 100, size)));
    EXPECT_LT(totalArea(later.rects), 100 * 90 * 0.75);
}

TEST_F(DamageTrackerTest, ACrossFadeAnimatesWhileItRuns) {
    auto view = UIImageView::create(CGRectMake(0, 0, 50, 50));
    view->setImage(UIImage::imageWithSize({50, 50}));
    m_root->addSubview(view);
    settle();
    CATransition fade;
    fade.beginTime = now();
    fade.duration = 0.3;
    view->layer()->setTransition(fade);
    EXPECT_TRUE(m_tracker.update(m_root, now()).animating);
    run(0.5);
    EXPECT_FALSE(m_tracker.update(m_root, now()).animating);
}

TEST_F(DamageTrackerTest, ACustomDrawingDamagesOnlyThePixelsThatChanged) {
    auto painted = makeView<PaintedView>(CGRectMake(100, 100, 100, 100));
    // Drawn at twice the points, as on a 2x screen.
    painted->layer()->setContents(bitmap(200, 200, {{10, 10}}));
    m_root->addSubview(painted);
    settle();
    // Drawn again, the same: nothing to show.
    painted->layer()->setContents(bitmap(200, 200, {{10, 10}}));
    EXPECT_TRUE(m_tracker.update(m_root, now()).rects.empty());
    // Pixel (150, 50) changed: half a point square at (175, 125).
    painted->layer()->setContents(bitmap(200, 200, {{10, 10}, {150, 50}}));
    auto update = m_tracker.update(m_root, now());
    ASSERT_EQ(update.rects.size(), 1u);
    EXPECT_DOUBLE_EQ(update.rects[0].origin.x, 175);
    EXPECT_DOUBLE_EQ(update.rects[0].origin.y, 125);
    EXPECT_DOUBLE_EQ(update.rects[0].size.width, 0.5);
    // A bitmap of another size is all new.
    painted->layer()->setContents(bitmap(100, 100));
    EXPECT_TRUE(covers(m_tracker.update(m_root, now()).rects, CGRectMake(100, 100, 100, 100)));
}

TEST(DamageTrackerPixels, TheChangedPartsAreBoxesAroundNearbyDifferences) {
    auto plain = bitmap(64, 32);
    EXPECT_TRUE(DamageTracker::changedPixels(*plain, *bitmap(64, 32)).empty());
    auto one = DamageTracker::changedPixels(*plain, *bitmap(64, 32, {{0, 0}}));
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(sameRect(one[0], CGRectMake(0, 0, 1, 1)));
    auto corner = DamageTracker::changedPixels(*plain, *bitmap(64, 32, {{63, 31}}));
    ASSERT_EQ(corner.size(), 1u);
    EXPECT_TRUE(sameRect(corner[0], CGRectMake(63, 31, 1, 1)));
    // Differences close together share a box; far apart, in columns or in
    // rows, they have boxes of their own: the two ends of a moving ring.
    auto spread =
        DamageTracker::changedPixels(*plain, *bitmap(64, 32, {{40, 3}, {5, 20}, {50, 9}, {2, 5}}));
    ASSERT_EQ(spread.size(), 3u);
    EXPECT_TRUE(sameRect(spread[0], CGRectMake(2, 3, 1, 7)));
    EXPECT_TRUE(sameRect(spread[1], CGRectMake(40, 3, 11, 7)));
    EXPECT_TRUE(sameRect(spread[2], CGRectMake(5, 20, 1, 1)));
    auto resized = DamageTracker::changedPixels(*plain, *bitmap(32, 32));
    ASSERT_EQ(resized.size(), 1u);
    EXPECT_TRUE(sameRect(resized[0], CGRectMake(0, 0, 32, 32)));
}

TEST(DamageTrackerCoalesce, OverlappingRectanglesMergeAndManyBecomeOne) {
    auto merged = DamageTracker::coalesce(
        {CGRectMake(0, 0, 10, 10), CGRectMake(5, 5, 10, 10), CGRectMake(100, 100, 5, 5)});
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_TRUE(covers(merged, CGRectMake(0, 0, 15, 15)));
    EXPECT_TRUE(covers(merged, CGRectMake(100, 100, 5, 5)));
    // A merge can make a rectangle reach one it did not touch before.
    auto chained = DamageTracker::coalesce(
        {CGRectMake(0, 0, 10, 10), CGRectMake(20, 0, 10, 10), CGRectMake(8, 0, 14, 2)});
    EXPECT_EQ(chained.size(), 1u);
    std::vector<CGRect> scattered;
    for (int i = 0; i < 12; ++i)
        scattered.push_back(CGRectMake(i * 30.0, 0, 10, 10));
    auto few = DamageTracker::coalesce(scattered, 8);
    ASSERT_EQ(few.size(), 1u);
    EXPECT_TRUE(sameRect(few[0], CGRectMake(0, 0, 340, 10)));
}

} // namespace
