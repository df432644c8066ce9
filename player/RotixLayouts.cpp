#include "hooks/settings/SettingsStore.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UIScreen.h"
#include "player/DeviceLayout.h"
#include "player/Rotix.h"
#include "slider/UICircularSlider.h"

#include <cmath>
#include <initializer_list>

namespace {

// Screens shorter than this take the small-phone layout.
constexpr CGFloat kLargePhoneMinimumHeight = 570;

// Portrait tablets stand every upper row this much lower than landscape ones.
constexpr CGFloat kTabletPortraitDrop = 120;
constexpr CGFloat kTabletDiscSide = 260;
constexpr CGFloat kTabletBackgroundSide = 1024;

constexpr CGFloat kSmallPhoneDefaultFontSize = 13;

// How far beyond the screen's edges a stored position may lie.
constexpr CGFloat kPositionSlack = 10000;

// Bit masks of portrait, upside down, landscape left and landscape right.
constexpr unsigned long kAllInterfaceOrientations = 30;

enum class Orientation { Portrait, Landscape, Other };

Orientation currentOrientation() {
    switch (UIDevice::currentDevice()->orientation()) {
    case UIDeviceOrientation::Portrait:
    case UIDeviceOrientation::PortraitUpsideDown:
        return Orientation::Portrait;
    case UIDeviceOrientation::LandscapeLeft:
    case UIDeviceOrientation::LandscapeRight:
        return Orientation::Landscape;
    default:
        return Orientation::Other;
    }
}

void place(UIView& view, CGFloat x, CGFloat y, CGFloat width, CGFloat height) {
    view.setFrame(CGRectMake(x, y, width, height));
}

// The clear view that carries the disc's gestures lies over the disc: the
// disc's size, centred on the ring, in the player view's coordinates.
void coverDisc(Rotix& view) {
    view.dummy()->setFrame(view.songImageView()->frame());
    view.dummy()->setCenter(view.songScrubber()->center());
}

// A stored position that is not a finite number, or lies further than this
// beyond the screen's top or bottom edge, would leave a view nowhere to be
// seen; it counts as absent.
std::optional<CGFloat> storedPosition(const std::string& toggleKey, const std::string& valueKey) {
    std::optional<float> stored = SettingsStore::pairedFloat(toggleKey, valueKey);
    if (!stored || !std::isfinite(*stored))
        return std::nullopt;
    CGFloat screenHeight = UIScreen::mainScreen()->bounds().size.height;
    if (*stored < -kPositionSlack || *stored > screenHeight + kPositionSlack)
        return std::nullopt;
    return *stored;
}

CGFloat smallPhoneFontSize(const std::string& toggleKey, const std::string& valueKey) {
    return SettingsStore::pairedFontSize(toggleKey, valueKey).value_or(kSmallPhoneDefaultFontSize);
}

// The tablet layouts use plain points; portrait moves the upper rows down.
void layOutTablet(Rotix& view, CGFloat drop) {
    CGFloat width = view.frame().size.width;
    CGFloat height = view.frame().size.height;
    CGFloat left = width / 2 - 200;
    place(*view.titleLabel(), left, 155 + drop, 400, 70);
    place(*view.clockLabel(), left, 50 + drop, 400, 100);
    place(*view.artistLabel(), left, 210 + drop, 400, 40);
    place(*view.trackLabel(), left, height / 2 - 260 + drop, 400, 40);
    place(*view.songScrubber(), width / 2 - 192, height / 2 - 225 + drop, 384, 384);
    place(*view.buttonBase(), width / 2 - 100, height / 2 + 175 + drop, 200, 50);

    CGSize ring = view.songScrubber()->frame().size;
    place(*view.songImageView(), ring.width / 2 - kTabletDiscSide / 2,
          ring.height / 2 - kTabletDiscSide / 2, kTabletDiscSide, kTabletDiscSide);
    view.songImageView()->layer()->setCornerRadius(kTabletDiscSide / 2);
    coverDisc(view);

    place(*view.playOrPauseButton(), 75, 0, 50, 50);
    place(*view.skipForwardButton(), 150, 0, 50, 50);
    place(*view.backwardButton(), 0, 0, 50, 50);
    place(*view.imageView(), 0, 0, kTabletBackgroundSide, kTabletBackgroundSide);
    view.customControlsY();
}

struct PhoneRows {
    CGFloat titleY;
    CGFloat artistY;
    CGFloat trackY;
    CGFloat scrubberY;
};

// Both phone layouts are drawn for the reference screen and scaled to this
// one; they differ only in where the upper rows stand.
void layOutPhone(Rotix& view, const PhoneRows& rows) {
    CGFloat width = view.frame().size.width;
    CGFloat centerX = width / 2;
    place(*view.titleLabel(), centerX - wAdjust(150), rows.titleY, wAdjust(300), hAdjust(60));
    place(*view.clockLabel(), centerX - wAdjust(200), hAdjust(40), wAdjust(400), hAdjust(90));
    place(*view.artistLabel(), centerX - wAdjust(150), rows.artistY, wAdjust(300), hAdjust(30));
    place(*view.trackLabel(), centerX - wAdjust(150), rows.trackY, wAdjust(300), hAdjust(30));
    place(*view.songScrubber(), centerX - wAdjust(165), rows.scrubberY, wAdjust(330), hAdjust(330));
    view.scrubberBase()->setFrame(view.songScrubber()->frame());
    place(*view.buttonBase(), centerX - wAdjust(100), hAdjust(628), wAdjust(200), hAdjust(50));

    CGSize ring = view.songScrubber()->frame().size;
    place(*view.songImageView(), ring.width / 2 - wAdjust(110), ring.height / 2 - hAdjust(110),
          wAdjust(220), hAdjust(220));
    view.songImageView()->layer()->setCornerRadius(wAdjust(110));
    coverDisc(view);

    place(*view.playOrPauseButton(), wAdjust(75), 0, wAdjust(50), hAdjust(50));
    place(*view.skipForwardButton(), wAdjust(150), 0, wAdjust(50), hAdjust(50));
    place(*view.backwardButton(), 0, 0, wAdjust(50), hAdjust(50));
    place(*view.imageView(), 0, 0, wAdjust(736), hAdjust(736));
    view.customControlsY();
}

} // namespace

void Rotix::layOutPortraitPhone() {
    if (m_screenHeight < kLargePhoneMinimumHeight)
        iPhone5Frames();
    else
        iPhone6PlusFrames();
}

void Rotix::iPadFrames() {
    layOutTablet(*this, 0);
}

void Rotix::iPadFramesTwo() {
    layOutTablet(*this, kTabletPortraitDrop);
}

void Rotix::iPhone6PlusFrames() {
    layOutPhone(*this, {hAdjust(180), hAdjust(225), hAdjust(260), hAdjust(290)});
}

// The small phone keeps its upper rows at fixed points and shrinks the label
// fonts so the text still fits above the ring.
void Rotix::iPhone5Frames() {
    layOutPhone(*this, {163, 193, 213, 230});
    m_artistLabel->setFont(
        UIFont::italicSystemFontOfSize(smallPhoneFontSize("artistfont", "artistfontv")));
    m_titleLabel->setFont(UIFont::systemFontOfSize(smallPhoneFontSize("titlefont", "titlefontv")));
    m_trackLabel->setFont(UIFont::systemFontOfSize(smallPhoneFontSize("trackfont", "trackfontv")));
}

// In landscape only the ring and its disc stay, centred across with the
// ring's lower edge on the middle line; everything else gets an empty frame.
void Rotix::setLandscapeFrames() {
    CGSize viewSize = frame().size;
    CGSize ring = m_songScrubber->frame().size;
    place(*m_songScrubber, viewSize.width / 2 - ring.width / 2, viewSize.height / 2 - ring.height,
          ring.width, ring.height);
    for (UIView* hidden : std::initializer_list<UIView*>{
             m_buttonBase.get(), m_titleLabel.get(), m_clockLabel.get(), m_artistLabel.get(),
             m_trackLabel.get(), m_playOrPauseButton.get(), m_skipForwardButton.get(),
             m_backwardButton.get()})
        hidden->setFrame(CGRectZero);
    coverDisc(*this);
}

// The user's own heights and hide toggles, applied over whichever layout ran.
void Rotix::customControlsY() {
    struct Row {
        UIView* view;
        const char* toggleKey;
        const char* positionKey;
    };
    const Row rows[] = {
        {m_buttonBase.get(), "position", "cy"},
        {m_clockLabel.get(), "clockb", "clocky"},
        {m_artistLabel.get(), "artistb", "artisty"},
        {m_titleLabel.get(), "titleb", "titley"},
        {m_trackLabel.get(), "trackb", "tracky"},
        {m_songScrubber.get(), "rotixnerb", "rotixnery"},
    };
    for (const Row& row : rows) {
        CGRect frame = row.view->frame();
        if (std::optional<CGFloat> y = storedPosition(row.toggleKey, row.positionKey))
            frame.origin.y = *y;
        row.view->setFrame(frame);
    }

    // The disc moves with the ring as its subview; its gesture view must follow.
    coverDisc(*this);

    m_trackLabel->setHidden(SettingsStore::flag("trackh"));
    m_artistLabel->setHidden(SettingsStore::flag("artisth"));
    m_titleLabel->setHidden(SettingsStore::flag("titleh"));
    m_clockLabel->setHidden(SettingsStore::flag("clockh"));
}

// -deviceOrientationDidChange: reads the device, not the notification; face up
// or down keeps the layout the tablet has.
void Rotix::deviceOrientationDidChange(id) {
    switch (currentOrientation()) {
    case Orientation::Landscape:
        iPadFrames();
        break;
    case Orientation::Portrait:
        iPadFramesTwo();
        break;
    case Orientation::Other:
        break;
    }
}

// -orientationChanged:, registered only on phones with "landscape" on.
void Rotix::orientationChanged(id) {
    switch (currentOrientation()) {
    case Orientation::Landscape:
        setLandscapeFrames();
        break;
    case Orientation::Portrait:
        layOutPortraitPhone();
        break;
    case Orientation::Other:
        break;
    }
}

unsigned long Rotix::supportedInterfaceOrientations() const {
    return kAllInterfaceOrientations;
}

bool Rotix::shouldAutorotate() const {
    return true;
}

bool Rotix::shouldAutorotateToInterfaceOrientation(long) const {
    return true;
}
