#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "player/PlayerOnDeviceFixture.h"
#include "slider/UICircularSlider.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

constexpr double kTolerance = 1e-9;

// Records which layouts run, and still runs them.
class RecordingRotix : public Rotix {
public:
    std::vector<std::string> layouts;

    void iPadFrames() override {
        layouts.push_back("iPadFrames");
        Rotix::iPadFrames();
    }
    void iPadFramesTwo() override {
        layouts.push_back("iPadFramesTwo");
        Rotix::iPadFramesTwo();
    }
    void iPhone6PlusFrames() override {
        layouts.push_back("iPhone6PlusFrames");
        Rotix::iPhone6PlusFrames();
    }
    void iPhone5Frames() override {
        layouts.push_back("iPhone5Frames");
        Rotix::iPhone5Frames();
    }
    void setLandscapeFrames() override {
        layouts.push_back("setLandscapeFrames");
        Rotix::setLandscapeFrames();
    }

protected:
    RecordingRotix() = default;
};

// Every frame a layout sets, worked out here from the layout tables.
struct Layout {
    CGRect title, clock, artist, track, ring, buttonBase, disc, play, forward, back, background;
    CGFloat discRadius = 0;

    // The gesture view lies over the disc, centred on the ring.
    CGRect dummy() const {
        return CGRectMake(ring.origin.x + ring.size.width / 2 - disc.size.width / 2,
                          ring.origin.y + ring.size.height / 2 - disc.size.height / 2,
                          disc.size.width, disc.size.height);
    }
};

enum class Phone { Large, Small };

Layout phoneLayout(CGSize screen, CGSize view, Phone phone) {
    auto w = [&](double v) { return v / 414 * screen.width; };
    auto h = [&](double v) { return v / 736 * screen.height; };
    bool small = phone == Phone::Small;
    double mid = view.width / 2;
    Layout l;
    l.title = CGRectMake(mid - w(150), small ? 163 : h(180), w(300), h(60));
    l.clock = CGRectMake(mid - w(200), h(40), w(400), h(90));
    l.artist = CGRectMake(mid - w(150), small ? 193 : h(225), w(300), h(30));
    l.track = CGRectMake(mid - w(150), small ? 213 : h(260), w(300), h(30));
    l.ring = CGRectMake(mid - w(165), small ? 230 : h(290), w(330), h(330));
    l.buttonBase = CGRectMake(mid - w(100), h(628), w(200), h(50));
    l.disc = CGRectMake(w(330) / 2 - w(110), h(330) / 2 - h(110), w(220), h(220));
    l.discRadius = w(110);
    l.play = CGRectMake(w(75), 0, w(50), h(50));
    l.forward = CGRectMake(w(150), 0, w(50), h(50));
    l.back = CGRectMake(0, 0, w(50), h(50));
    l.background = CGRectMake(0, 0, w(736), h(736));
    return l;
}

enum class Tablet { Landscape, Portrait };

Layout tabletLayout(CGSize view, Tablet tablet) {
    double drop = tablet == Tablet::Portrait ? 120 : 0;
    double W = view.width;
    double H = view.height;
    Layout l;
    l.title = CGRectMake(W / 2 - 200, 155 + drop, 400, 70);
    l.clock = CGRectMake(W / 2 - 200, 50 + drop, 400, 100);
    l.artist = CGRectMake(W / 2 - 200, 210 + drop, 400, 40);
    l.track = CGRectMake(W / 2 - 200, H / 2 - 260 + drop, 400, 40);
    l.ring = CGRectMake(W / 2 - 192, H / 2 - 225 + drop, 384, 384);
    l.buttonBase = CGRectMake(W / 2 - 100, H / 2 + 175 + drop, 200, 50);
    l.disc = CGRectMake(192 - 130, 192 - 130, 260, 260);
    l.discRadius = 130;
    l.play = CGRectMake(75, 0, 50, 50);
    l.forward = CGRectMake(150, 0, 50, 50);
    l.back = CGRectMake(0, 0, 50, 50);
    l.background = CGRectMake(0, 0, 1024, 1024);
    return l;
}

void expectFrame(const UIView& view, CGRect expected, const std::string& name) {
    CGRect frame = view.frame();
    EXPECT_NEAR(frame.origin.x, expected.origin.x, kTolerance) << name << " x";
    EXPECT_NEAR(frame.origin.y, expected.origin.y, kTolerance) << name << " y";
    EXPECT_NEAR(frame.size.width, expected.size.width, kTolerance) << name << " width";
    EXPECT_NEAR(frame.size.height, expected.size.height, kTolerance) << name << " height";
}

void expectLayout(const Rotix& player, const Layout& expected) {
    expectFrame(*player.titleLabel(), expected.title, "titleLabel");
    expectFrame(*player.clockLabel(), expected.clock, "clockLabel");
    expectFrame(*player.artistLabel(), expected.artist, "artistLabel");
    expectFrame(*player.trackLabel(), expected.track, "trackLabel");
    expectFrame(*player.songScrubber(), expected.ring, "songScrubber");
    expectFrame(*player.buttonBase(), expected.buttonBase, "buttonBase");
    expectFrame(*player.songImageView(), expected.disc, "songImageView");
    EXPECT_NEAR(player.songImageView()->layer()->cornerRadius(), expected.discRadius, kTolerance);
    expectFrame(*player.dummy(), expected.dummy(), "dummy");
    expectFrame(*player.playOrPauseButton(), expected.play, "playOrPauseButton");
    expectFrame(*player.skipForwardButton(), expected.forward, "skipForwardButton");
    expectFrame(*player.backwardButton(), expected.back, "backwardButton");
    expectFrame(*player.imageView(), expected.background, "imageView");
}

CGSize screenSize() {
    return UIScreen::mainScreen()->bounds().size;
}

class RotixLayoutsTest : public PlayerOnDeviceTest {
protected:
    std::shared_ptr<RecordingRotix> makeRecordingPlayer() {
        return adopt(makeView<RecordingRotix>());
    }

    // A tablet gets its first layout from its first orientation notification.
    std::shared_ptr<Rotix> makeTabletPlayer(UIDeviceOrientation orientation) {
        useDevice(UIDeviceProfile::iPad());
        auto player = makePlayer();
        rotate(orientation);
        return player;
    }
};

TEST_F(RotixLayoutsTest, LargePhoneMatchesTheReferenceFigures) {
    auto player = makePlayer();
    expectFrame(*player->songScrubber(), CGRectMake(42, 290, 330, 330), "songScrubber");
    expectFrame(*player->songImageView(), CGRectMake(55, 55, 220, 220), "songImageView");
    EXPECT_NEAR(player->songImageView()->layer()->cornerRadius(), 110, kTolerance);
    expectFrame(*player->buttonBase(), CGRectMake(107, 628, 200, 50), "buttonBase");
    expectFrame(*player->titleLabel(), CGRectMake(57, 180, 300, 60), "titleLabel");
    expectFrame(*player->clockLabel(), CGRectMake(7, 40, 400, 90), "clockLabel");
    expectFrame(*player->scrubberBase(), CGRectMake(42, 290, 330, 330), "scrubberBase");
    // Over the disc, in the player view's coordinates.
    expectFrame(*player->dummy(), CGRectMake(97, 345, 220, 220), "dummy");
    expectFrame(*player->imageView(), CGRectMake(0, 0, 736, 736), "imageView");
}

TEST_F(RotixLayoutsTest, SmallPhoneMatchesTheReferenceFigures) {
    useDevice(UIDeviceProfile::iPhoneSE());
    auto player = makePlayer();
    CGRect title = player->titleLabel()->frame();
    EXPECT_NEAR(title.origin.x, 160 - 115.94202898550725, 1e-9);
    EXPECT_NEAR(title.origin.y, 163, kTolerance);
    EXPECT_NEAR(title.size.width, 231.8840579710145, 1e-9);
    EXPECT_NEAR(title.size.height, 46.30434782608696, 1e-9);
    EXPECT_NEAR(player->buttonBase()->frame().origin.y, 484.6521739130435, 1e-9);
}

TEST_F(RotixLayoutsTest, EveryPhoneProfileGetsItsScaledLayout) {
    struct Case {
        UIDeviceProfile profile;
        Phone phone;
    };
    const Case cases[] = {
        {UIDeviceProfile::iPhoneSE(), Phone::Small},
        {UIDeviceProfile::iPhone7(), Phone::Large},
        {UIDeviceProfile::iPhone7Plus(), Phone::Large},
        // The threshold is strictly below 570 points.
        {*UIDeviceProfile::named("320x570@2"), Phone::Large},
        {*UIDeviceProfile::named("320x569.5@2"), Phone::Small},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profile.name);
        useDevice(c.profile);
        auto player = makePlayer();
        Layout expected = phoneLayout(screenSize(), player->frame().size, c.phone);
        expectLayout(*player, expected);
        expectFrame(*player->scrubberBase(), expected.ring, "scrubberBase");
        // Calling a layout again sets the same frames.
        if (c.phone == Phone::Small)
            player->iPhone5Frames();
        else
            player->iPhone6PlusFrames();
        expectLayout(*player, expected);
    }
}

TEST_F(RotixLayoutsTest, SmallPhoneFontsDefaultToThirteen) {
    useDevice(UIDeviceProfile::iPhoneSE());
    auto player = makePlayer();
    EXPECT_EQ(player->artistLabel()->font(), UIFont::italicSystemFontOfSize(13));
    EXPECT_EQ(player->titleLabel()->font(), UIFont::systemFontOfSize(13));
    EXPECT_EQ(player->trackLabel()->font(), UIFont::systemFontOfSize(13));
}

TEST_F(RotixLayoutsTest, SmallPhoneFontSizeNeedsItsToggleAndItsValue) {
    useDevice(UIDeviceProfile::iPhoneSE());
    setPreference("artistfont", true);
    setPreference("artistfontv", 20.5);
    // On but without a size: the small-phone default.
    setPreference("titlefont", true);
    // A size whose toggle is the number 1 does not count.
    setPreference("trackfont", 1);
    setPreference("trackfontv", 30);
    auto player = makePlayer();
    EXPECT_EQ(player->artistLabel()->font(), UIFont::italicSystemFontOfSize(20.5));
    EXPECT_EQ(player->titleLabel()->font(), UIFont::systemFontOfSize(13));
    EXPECT_EQ(player->trackLabel()->font(), UIFont::systemFontOfSize(13));
}

TEST_F(RotixLayoutsTest, LargePhoneLayoutLeavesTheFontsAlone) {
    auto player = makePlayer();
    player->titleLabel()->setFont(UIFont::systemFontOfSize(40));
    player->iPhone6PlusFrames();
    EXPECT_EQ(player->titleLabel()->font(), UIFont::systemFontOfSize(40));
    EXPECT_EQ(player->artistLabel()->font(), UIFont::italicSystemFontOfSize(18));
}

TEST_F(RotixLayoutsTest, TabletHasNoLayoutUntilItsFirstOrientationNotification) {
    useDevice(UIDeviceProfile::iPad());
    auto player = makeRecordingPlayer();
    EXPECT_TRUE(player->layouts.empty());
    EXPECT_EQ(player->songScrubber()->frame(), CGRectZero);
    EXPECT_EQ(player->dummy()->frame(), CGRectZero);

    rotate(UIDeviceOrientation::LandscapeLeft);
    EXPECT_EQ(player->layouts, std::vector<std::string>{"iPadFrames"});
    expectLayout(*player, tabletLayout(player->frame().size, Tablet::Landscape));
}

TEST_F(RotixLayoutsTest, TabletFollowsEveryOrientation) {
    useDevice(UIDeviceProfile::iPad());
    auto player = makeRecordingPlayer();
    CGSize size = player->frame().size;
    rotate(UIDeviceOrientation::Portrait);
    expectLayout(*player, tabletLayout(size, Tablet::Portrait));
    rotate(UIDeviceOrientation::LandscapeRight);
    expectLayout(*player, tabletLayout(size, Tablet::Landscape));
    rotate(UIDeviceOrientation::PortraitUpsideDown);
    expectLayout(*player, tabletLayout(size, Tablet::Portrait));
    EXPECT_EQ(player->layouts,
              (std::vector<std::string>{"iPadFramesTwo", "iPadFrames", "iPadFramesTwo"}));
}

TEST_F(RotixLayoutsTest, TabletLyingFlatKeepsItsLastLayout) {
    auto player = makeTabletPlayer(UIDeviceOrientation::LandscapeLeft);
    Layout landscape = tabletLayout(player->frame().size, Tablet::Landscape);
    // A position that any layout would apply shows that none ran.
    setPreference("titleb", true);
    setPreference("titley", 500);
    for (UIDeviceOrientation flat : {UIDeviceOrientation::FaceUp, UIDeviceOrientation::FaceDown,
                                     UIDeviceOrientation::Unknown}) {
        rotate(flat);
        expectLayout(*player, landscape);
    }
}

TEST_F(RotixLayoutsTest, TabletLayoutsMeasureThePlayerViewItself) {
    useDevice(UIDeviceProfile::iPad());
    auto player = makePlayer();
    // A host that turns the player with the screen gives it the wide frame.
    player->setFrame(CGRectMake(0, 0, 1024, 768));
    rotate(UIDeviceOrientation::LandscapeLeft);
    expectLayout(*player, tabletLayout(CGSizeMake(1024, 768), Tablet::Landscape));
}

TEST_F(RotixLayoutsTest, TabletLayoutsLeaveTheScrubberBaseAlone) {
    useDevice(UIDeviceProfile::iPad());
    auto player = makePlayer();
    player->scrubberBase()->setFrame(CGRectMake(1, 2, 3, 4));
    rotate(UIDeviceOrientation::LandscapeLeft);
    rotate(UIDeviceOrientation::Portrait);
    EXPECT_EQ(player->scrubberBase()->frame(), CGRectMake(1, 2, 3, 4));
}

TEST_F(RotixLayoutsTest, TabletThatDoesNotAnswerItsIdiomIsLaidOutAsAPhone) {
    useDevice(UIDeviceProfile::iPad());
    UIDevice::currentDevice()->setAnswersUserInterfaceIdiom(false);
    auto player = makeRecordingPlayer();
    EXPECT_EQ(player->layouts, std::vector<std::string>{"iPhone6PlusFrames"});
    rotate(UIDeviceOrientation::LandscapeLeft);
    EXPECT_EQ(player->layouts.size(), 1u);
}

TEST_F(RotixLayoutsTest, TitlePositionAppliesOnEveryDevice) {
    setPreference("titleb", true);
    setPreference("titley", 300);
    for (const UIDeviceProfile& profile : {UIDeviceProfile::iPhoneSE(), UIDeviceProfile::iPhone7(),
                                           UIDeviceProfile::iPhone7Plus()}) {
        SCOPED_TRACE(profile.name);
        useDevice(profile);
        auto player = makePlayer();
        Layout expected =
            phoneLayout(screenSize(), player->frame().size,
                        profile.screenSize.height < 570 ? Phone::Small : Phone::Large);
        expected.title.origin.y = 300;
        expectLayout(*player, expected);
    }
    for (auto orientation : {UIDeviceOrientation::LandscapeLeft, UIDeviceOrientation::Portrait}) {
        auto player = makeTabletPlayer(orientation);
        EXPECT_NEAR(player->titleLabel()->frame().origin.y, 300, kTolerance);
        EXPECT_NEAR(player->titleLabel()->frame().origin.x, 768 / 2 - 200, kTolerance);
    }
}

TEST_F(RotixLayoutsTest, PositionToggleWithoutAValueKeepsTheLayoutsY) {
    setPreference("titleb", true);
    auto player = makePlayer();
    expectLayout(*player, phoneLayout(screenSize(), player->frame().size, Phone::Large));
}

TEST_F(RotixLayoutsTest, PositionCountsOnlyWhenItsToggleIsTheBooleanTrue) {
    setPreference("titley", 300);
    EXPECT_NEAR(makePlayer()->titleLabel()->frame().origin.y, 180, kTolerance);
    const CFPropertyList notOn[] = {false, 1, 1.0, "YES", "true"};
    for (const CFPropertyList& toggle : notOn) {
        setPreference("titleb", toggle);
        EXPECT_NEAR(makePlayer()->titleLabel()->frame().origin.y, 180, kTolerance);
    }
    setPreference("titleb", true);
    EXPECT_NEAR(makePlayer()->titleLabel()->frame().origin.y, 300, kTolerance);
}

TEST_F(RotixLayoutsTest, EachPositionPairMovesOnlyItsOwnView) {
    struct Pair {
        const char* toggle;
        const char* position;
        double value;
    };
    // Positions are read as single-precision numbers.
    const Pair pairs[] = {{"position", "cy", 601.3},     {"clockb", "clocky", 11.1},
                          {"artistb", "artisty", 222.2}, {"titleb", "titley", 133.3},
                          {"trackb", "tracky", 244.4},   {"rotixnerb", "rotixnery", 277.7}};
    for (const Pair& pair : pairs) {
        setPreference(pair.toggle, true);
        setPreference(pair.position, pair.value);
    }
    useDevice(UIDeviceProfile::iPhone7());
    auto player = makePlayer();
    Layout expected = phoneLayout(screenSize(), player->frame().size, Phone::Large);
    expected.buttonBase.origin.y = double(601.3f);
    expected.clock.origin.y = double(11.1f);
    expected.artist.origin.y = double(222.2f);
    expected.title.origin.y = double(133.3f);
    expected.track.origin.y = double(244.4f);
    expected.ring.origin.y = double(277.7f);
    expectLayout(*player, expected);
}

TEST_F(RotixLayoutsTest, RingPositionCarriesTheDiscAndItsGestureViewButNotTheBase) {
    setPreference("rotixnerb", true);
    setPreference("rotixnery", 100);
    auto player = makePlayer();
    expectFrame(*player->songScrubber(), CGRectMake(42, 100, 330, 330), "songScrubber");
    // The disc sits at the same place inside the moved ring.
    expectFrame(*player->songImageView(), CGRectMake(55, 55, 220, 220), "songImageView");
    expectFrame(*player->dummy(), CGRectMake(97, 155, 220, 220), "dummy");
    expectFrame(*player->scrubberBase(), CGRectMake(42, 290, 330, 330), "scrubberBase");
}

TEST_F(RotixLayoutsTest, PositionThatIsNotAFiniteNumberKeepsTheLayoutsY) {
    setPreference("titleb", true);
    setPreference("titley", std::numeric_limits<double>::quiet_NaN());
    setPreference("clockb", true);
    setPreference("clocky", std::numeric_limits<double>::infinity());
    auto player = makePlayer();
    expectLayout(*player, phoneLayout(screenSize(), player->frame().size, Phone::Large));
}

TEST_F(RotixLayoutsTest, AbsurdOrMistypedStoredValuesTakeTheDefaults) {
    // Sizes no label can be drawn at.
    setPreference("artistfont", true);
    setPreference("artistfontv", 1e30);
    setPreference("titlefont", true);
    setPreference("titlefontv", -50);
    setPreference("trackfont", true);
    setPreference("trackfontv", std::numeric_limits<double>::infinity());
    // Positions far off the screen, or of a kind that holds no number.
    setPreference("titleb", true);
    setPreference("titley", 20000);
    setPreference("clockb", true);
    setPreference("clocky", -10001);
    setPreference("trackb", true);
    setPreference("tracky", CFArray{1, 2});
    setPreference("position", true);
    setPreference("cy", CFDictionary{{"y", 3}});
    auto player = makePlayer();
    EXPECT_EQ(player->artistLabel()->font(), UIFont::italicSystemFontOfSize(18));
    EXPECT_EQ(player->titleLabel()->font(), UIFont::systemFontOfSize(25));
    EXPECT_EQ(player->trackLabel()->font(), UIFont::systemFontOfSize(25));
    expectLayout(*player, phoneLayout(screenSize(), player->frame().size, Phone::Large));

    // The small-phone layout reads the sizes again, with its own default.
    player->iPhone5Frames();
    EXPECT_EQ(player->artistLabel()->font(), UIFont::italicSystemFontOfSize(13));
    EXPECT_EQ(player->titleLabel()->font(), UIFont::systemFontOfSize(13));
    EXPECT_EQ(player->trackLabel()->font(), UIFont::systemFontOfSize(13));
}

TEST_F(RotixLayoutsTest, HideFlagsHideOnlyTheirOwnLabel) {
    struct Flag {
        const char* key;
        std::shared_ptr<UILabel> (*label)(const Rotix&);
    };
    const Flag flags[] = {
        {"trackh", [](const Rotix& p) { return p.trackLabel(); }},
        {"artisth", [](const Rotix& p) { return p.artistLabel(); }},
        {"titleh", [](const Rotix& p) { return p.titleLabel(); }},
        {"clockh", [](const Rotix& p) { return p.clockLabel(); }},
    };
    for (const Flag& flag : flags) {
        SCOPED_TRACE(flag.key);
        for (const Flag& other : flags)
            setPreference(other.key, false);
        setPreference(flag.key, true);
        auto player = makePlayer();
        for (const Flag& other : flags)
            EXPECT_EQ(other.label(*player)->isHidden(), &other == &flag) << other.key;
        // A number 1 is not the boolean true.
        setPreference(flag.key, 1);
        player->iPhone6PlusFrames();
        EXPECT_FALSE(flag.label(*player)->isHidden());
    }
}

TEST_F(RotixLayoutsTest, EveryLayoutSetsTheHiddenStateAfresh) {
    auto player = makePlayer();
    player->clockLabel()->setHidden(true);
    player->artistLabel()->setHidden(true);
    player->customControlsY();
    EXPECT_FALSE(player->clockLabel()->isHidden());
    EXPECT_FALSE(player->artistLabel()->isHidden());
    setPreference("titleh", true);
    player->iPhone6PlusFrames();
    EXPECT_TRUE(player->titleLabel()->isHidden());
}

TEST_F(RotixLayoutsTest, PhoneWithoutLandscapeNeverFollowsRotation) {
    useDevice(UIDeviceProfile::iPhone7());
    auto player = makeRecordingPlayer();
    EXPECT_EQ(player->layouts, std::vector<std::string>{"iPhone6PlusFrames"});
    Layout portrait = phoneLayout(screenSize(), player->frame().size, Phone::Large);
    for (auto orientation : {UIDeviceOrientation::LandscapeLeft, UIDeviceOrientation::Portrait,
                             UIDeviceOrientation::LandscapeRight}) {
        rotate(orientation);
        expectLayout(*player, portrait);
    }
    EXPECT_EQ(player->layouts.size(), 1u);
}

TEST_F(RotixLayoutsTest, LandscapeToggleMustBeTheBooleanTrue) {
    setPreference("landscape", 1);
    auto player = makeRecordingPlayer();
    rotate(UIDeviceOrientation::LandscapeLeft);
    EXPECT_EQ(player->layouts, std::vector<std::string>{"iPhone6PlusFrames"});
}

TEST_F(RotixLayoutsTest, LandscapeShowsOnlyTheRingAndTheDisc) {
    setPreference("landscape", true);
    useDevice(UIDeviceProfile::iPhone7());
    auto player = makePlayer();
    Layout portrait = phoneLayout(screenSize(), player->frame().size, Phone::Large);
    rotate(UIDeviceOrientation::LandscapeLeft);

    CGSize view = player->frame().size;
    CGSize ring = portrait.ring.size;
    CGRect landscapeRing = CGRectMake(view.width / 2 - ring.width / 2,
                                      view.height / 2 - ring.height, ring.width, ring.height);
    expectFrame(*player->songScrubber(), landscapeRing, "songScrubber");
    for (const auto& gone : std::vector<std::shared_ptr<UIView>>{
             player->buttonBase(), player->titleLabel(), player->clockLabel(),
             player->artistLabel(), player->trackLabel(), player->playOrPauseButton(),
             player->skipForwardButton(), player->backwardButton()})
        EXPECT_EQ(gone->frame(), CGRectZero) << gone->className();
    expectFrame(*player->songImageView(), portrait.disc, "songImageView");
    expectFrame(*player->scrubberBase(), portrait.ring, "scrubberBase");
    expectFrame(*player->imageView(), portrait.background, "imageView");
    Layout moved = portrait;
    moved.ring = landscapeRing;
    expectFrame(*player->dummy(), moved.dummy(), "dummy");

    rotate(UIDeviceOrientation::FaceUp);
    expectFrame(*player->songScrubber(), landscapeRing, "songScrubber");
    rotate(UIDeviceOrientation::LandscapeRight);
    expectFrame(*player->songScrubber(), landscapeRing, "songScrubber");
}

TEST_F(RotixLayoutsTest, LandscapeMeasuresThePlayerViewItself) {
    setPreference("landscape", true);
    useDevice(UIDeviceProfile::iPhone7());
    auto player = makePlayer();
    CGSize ring = player->songScrubber()->frame().size;
    player->setFrame(CGRectMake(0, 0, 667, 375));
    rotate(UIDeviceOrientation::LandscapeLeft);
    expectFrame(
        *player->songScrubber(),
        CGRectMake(667.0 / 2 - ring.width / 2, 375.0 / 2 - ring.height, ring.width, ring.height),
        "songScrubber");
}

TEST_F(RotixLayoutsTest, PortraitRestoresLabelsButtonsPositionsAndHideStates) {
    setPreference("landscape", true);
    setPreference("artisth", true);
    auto player = makePlayer();
    rotate(UIDeviceOrientation::LandscapeLeft);
    setPreference("titleb", true);
    setPreference("titley", 300);
    setPreference("clockh", true);
    rotate(UIDeviceOrientation::Portrait);

    Layout expected = phoneLayout(screenSize(), player->frame().size, Phone::Large);
    expected.title.origin.y = 300;
    expectLayout(*player, expected);
    EXPECT_TRUE(player->artistLabel()->isHidden());
    EXPECT_TRUE(player->clockLabel()->isHidden());
    EXPECT_FALSE(player->titleLabel()->isHidden());
}

TEST_F(RotixLayoutsTest, SmallPhoneReturnsToItsOwnLayoutFromLandscape) {
    setPreference("landscape", true);
    useDevice(UIDeviceProfile::iPhoneSE());
    auto player = makeRecordingPlayer();
    rotate(UIDeviceOrientation::LandscapeRight);
    rotate(UIDeviceOrientation::PortraitUpsideDown);
    EXPECT_EQ(player->layouts,
              (std::vector<std::string>{"iPhone5Frames", "setLandscapeFrames", "iPhone5Frames"}));
    expectLayout(*player, phoneLayout(screenSize(), player->frame().size, Phone::Small));
}

TEST_F(RotixLayoutsTest, RotationHandlersAskTheDeviceNotTheNotification) {
    setPreference("landscape", true);
    // The device already lies sideways when the player is built.
    UIDevice::currentDevice()->setOrientation(UIDeviceOrientation::LandscapeLeft);
    auto player = makeRecordingPlayer();
    NSNotificationCenter::defaultCenter()->postNotificationName(
        UIDeviceOrientationDidChangeNotification, nullptr);
    EXPECT_EQ(player->layouts,
              (std::vector<std::string>{"iPhone6PlusFrames", "setLandscapeFrames"}));
}

TEST_F(RotixLayoutsTest, AutorotationAnswers) {
    auto player = makePlayer();
    EXPECT_EQ(player->supportedInterfaceOrientations(), 30u);
    EXPECT_TRUE(player->shouldAutorotate());
    for (long orientation = 0; orientation <= 6; ++orientation)
        EXPECT_TRUE(player->shouldAutorotateToInterfaceOrientation(orientation));
}

} // namespace
