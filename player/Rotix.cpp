#include "player/Rotix.h"

#include "hooks/settings/SettingsStore.h"
#include "platform/dispatch/Dispatch.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSTimer.h"
#include "platform/mediaremote/MediaRemote.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "platform/uikit/UILongPressGestureRecognizer.h"
#include "platform/uikit/UIScreen.h"
#include "platform/uikit/UITapGestureRecognizer.h"
#include "player/RotixAssets.h"
#include "slider/UICircularSlider.h"

namespace {

// Flexible left, right, top and bottom margins.
constexpr unsigned long kFlexibleMargins =
    UIViewAutoresizingFlexibleLeftMargin | UIViewAutoresizingFlexibleRightMargin |
    UIViewAutoresizingFlexibleTopMargin | UIViewAutoresizingFlexibleBottomMargin;

constexpr double kDiscLongPressDuration = 1.0;
constexpr CGFloat kArtistDefaultFontSize = 18;
constexpr CGFloat kTitleDefaultFontSize = 25;
constexpr CGFloat kTrackDefaultFontSize = 25;
constexpr CGFloat kArtistTextAlpha = 0.7;
constexpr CGFloat kDiscBorderWidth = 2;

} // namespace

Rotix::Rotix() {
    registerClass();
}

Rotix::~Rotix() {
    if (m_timer)
        m_timer->invalidate();
    // The notification centre holds its observers weakly and drops one that
    // has gone away, so this view's registrations end with it: there is no
    // reference left here to remove them by.
}

Class Rotix::registerClass() {
    static Class cls = [] {
        Class registered = objc_registerClass("Rotix", "UIView");
        class_addMethod(registered, "tick:", &Rotix::tick);
        class_addMethod(registered, "updateMedia", &Rotix::updateMedia);
        class_addMethod(registered, "updateButtons", &Rotix::updateButtons);
        class_addMethod(registered, "updateGestures", &Rotix::updateGestures);
        class_addMethod(registered, "touchDown", &Rotix::touchDown);
        class_addMethod(registered, "touchUp", &Rotix::touchUp);
        class_addMethod(registered, "touchUpOut", &Rotix::touchUpOut);
        class_addMethod(registered, "touchCancel", &Rotix::touchCancel);
        class_addMethod(registered, "seeking", &Rotix::seeking);
        class_addMethod(registered, "restart", &Rotix::restart);
        class_addMethod(registered, "playOrPauseButtonPressed", &Rotix::playOrPauseButtonPressed);
        class_addMethod(registered, "skipForwardButtonPressed", &Rotix::skipForwardButtonPressed);
        class_addMethod(registered, "backwardButtonPressed", &Rotix::backwardButtonPressed);
        class_addMethod(registered, "longPressForward:", &Rotix::longPressForward);
        class_addMethod(registered, "longPressBackward:", &Rotix::longPressBackward);
        class_addMethod(registered, "handleTapFrom:", &Rotix::handleTapFrom);
        class_addMethod(registered, "longPress:", &Rotix::longPress);
        class_addMethod(registered, "orientationChanged:", &Rotix::orientationChanged);
        class_addMethod(registered,
                        "deviceOrientationDidChange:", &Rotix::deviceOrientationDidChange);
        class_addMethod<bool>(registered, "isTouching", [](const id& self, const SEL&) {
            auto view = std::dynamic_pointer_cast<Rotix>(self);
            return view && view->isTouching();
        });
        class_addMethod<void, bool>(
            registered, "setIsTouching:", [](const id& self, const SEL&, bool touching) {
                if (auto view = std::dynamic_pointer_cast<Rotix>(self))
                    view->setIsTouching(touching);
            });
        class_addMethod<id>(registered->metaclass(), "sharedInstance",
                            [](const id&, const SEL&) -> id { return Rotix::sharedInstance(); });
        return registered;
    }();
    return cls;
}

std::shared_ptr<Rotix> Rotix::sharedInstance() {
    static dispatch_once_t once;
    static std::shared_ptr<Rotix> shared;
    dispatch_once(&once, [] { shared = create(); });
    return shared;
}

std::shared_ptr<Rotix> Rotix::create(CGRect frame) {
    return makeView<Rotix>(frame);
}

std::shared_ptr<UIView> Rotix::initWithFrame(CGRect) {
    // The player always covers the whole screen, whatever frame it is given.
    if (!UIView::initWithFrame(UIScreen::mainScreen()->bounds()))
        return nullptr;
    setBackgroundColor(UIColor::clearColor());

    m_cc = objc_msgSend<id>(objc_getClass("SBMediaController"), "sharedInstance");
    m_bc = objc_msgSend<id>(objc_getClass("SpringBoard"), "sharedInstanceRotix");

    setupViews();

    m_screenHeight = UIScreen::mainScreen()->bounds().size.height;
    auto device = UIDevice::currentDevice();
    device->beginGeneratingDeviceOrientationNotifications();

    auto center = NSNotificationCenter::defaultCenter();
    id me = shared_from_this();
    if (device->respondsToSelector("userInterfaceIdiom") &&
        objc_msgSend<long>(device, "userInterfaceIdiom") !=
            static_cast<long>(UIUserInterfaceIdiom::Phone)) {
        // A tablet is laid out by its first orientation notification.
        center->addObserver(
            me, "deviceOrientationDidChange:", UIDeviceOrientationDidChangeNotification, nullptr);
    } else {
        SettingsStore::synchronize();
        if (SettingsStore::flag("landscape"))
            center->addObserver(me, "orientationChanged:", UIDeviceOrientationDidChangeNotification,
                                nullptr);
        layOutPortraitPhone();
    }

    updateGestures();
    startTickTimer();
    center->addObserver(me, "updateMedia", kMRMediaRemoteNowPlayingInfoDidChangeNotification,
                        nullptr);
    MRMediaRemoteRegisterForNowPlayingNotifications(dispatch_get_main_queue());
    center->addObserver(me, "updateButtons",
                        kMRMediaRemoteNowPlayingApplicationIsPlayingDidChangeNotification, nullptr);
    updateMedia();
    return strongSelf();
}

namespace {

// A colour setting: white when absent, else parsed from its "#RRGGBB" text.
UIColor colorSetting(Rotix& view, const std::string& key) {
    auto stored = SettingsStore::value(key);
    if (!stored)
        return UIColor::whiteColor();
    // A value of another kind goes through the parser too, as an empty text,
    // and gets the parser's default.
    const std::string* text = stored->string();
    return view.colorFromHexString(text ? *text : std::string());
}

void configureLabel(UILabel& label) {
    label.setAutoresizingMask(kFlexibleMargins);
    label.setBackgroundColor(UIColor::clearColor());
    label.setOpaque(true);
}

} // namespace

void Rotix::setupViews() {
    id me = shared_from_this();

    m_scrubberBase = UIView::create();
    m_scrubberBase->setBackgroundColor(UIColor::clearColor());
    addSubview(m_scrubberBase);

    m_songScrubber = UICircularSlider::create();
    m_songScrubber->setAutoresizingMask(kFlexibleMargins);
    m_songScrubber->setBackgroundColor(UIColor::clearColor());
    m_songScrubber->setMinimumValue(0);
    m_songScrubber->setMaximumValue(1);
    addSubview(m_songScrubber);
    m_songScrubber->setValue(0);

    m_artistLabel = UILabel::create();
    configureLabel(*m_artistLabel);
    m_artistLabel->setFont(
        UIFont::italicSystemFontOfSize(SettingsStore::pairedFontSize("artistfont", "artistfontv")
                                           .value_or(kArtistDefaultFontSize)));
    m_artistLabel->setTextAlignment(NSTextAlignment::Center);
    m_artistLabel->setTextColor(
        colorSetting(*this, "artistColor").colorWithAlphaComponent(kArtistTextAlpha));
    m_artistLabel->setMarqueeEnabled(true);
    m_artistLabel->setMarqueeRunning(true);
    addSubview(m_artistLabel);

    setClockLabel(UILabel::create());
    configureLabel(*m_clockLabel);
    m_clockLabel->setTextAlignment(NSTextAlignment::Center);
    m_clockLabel->setTextColor(colorSetting(*this, "clockColor"));
    addSubview(m_clockLabel);

    m_titleLabel = UILabel::create(CGRectMake(frame().size.width / 2 - 200, 155, 400, 70));
    configureLabel(*m_titleLabel);
    m_titleLabel->setFont(UIFont::systemFontOfSize(
        SettingsStore::pairedFontSize("titlefont", "titlefontv").value_or(kTitleDefaultFontSize)));
    m_titleLabel->setTextColor(colorSetting(*this, "titleColor"));
    m_titleLabel->setMarqueeEnabled(true);
    m_titleLabel->setMarqueeRunning(true);
    m_titleLabel->setTextAlignment(NSTextAlignment::Center);
    addSubview(m_titleLabel);

    m_trackLabel = UILabel::create();
    configureLabel(*m_trackLabel);
    m_trackLabel->setFont(UIFont::systemFontOfSize(
        SettingsStore::pairedFontSize("trackfont", "trackfontv").value_or(kTrackDefaultFontSize)));
    m_trackLabel->setTextAlignment(NSTextAlignment::Center);
    m_trackLabel->setTextColor(colorSetting(*this, "trackColor"));
    addSubview(m_trackLabel);
    m_trackLabel->setText("0:00 - 0:00");

    m_buttonBase = UIView::create();
    m_buttonBase->setBackgroundColor(UIColor::clearColor());
    m_buttonBase->setAutoresizingMask(kFlexibleMargins);
    addSubview(m_buttonBase);

    m_playOrPauseButton = UIButton::buttonWithType(UIButtonType::Custom);
    m_playOrPauseButton->addTarget(me, "playOrPauseButtonPressed", UIControlEventTouchUpInside);
    m_buttonBase->addSubview(m_playOrPauseButton);

    m_skipForwardButton = UIButton::buttonWithType(UIButtonType::Custom);
    m_skipForwardButton->addTarget(me, "skipForwardButtonPressed", UIControlEventTouchUpInside);
    m_buttonBase->addSubview(m_skipForwardButton);
    m_skipForwardButton->addGestureRecognizer(
        UILongPressGestureRecognizer::create(me, "longPressForward:"));

    m_backwardButton = UIButton::buttonWithType(UIButtonType::Custom);
    m_backwardButton->addTarget(me, "backwardButtonPressed", UIControlEventTouchUpInside);
    m_buttonBase->addSubview(m_backwardButton);
    m_backwardButton->addGestureRecognizer(
        UILongPressGestureRecognizer::create(me, "longPressBackward:"));

    m_songImageView = UIImageView::create();
    m_songImageView->setClipsToBounds(true);
    m_songImageView->layer()->setBorderWidth(kDiscBorderWidth);
    m_songImageView->layer()->setBorderColor(UIColor::whiteColor());
    m_songImageView->setContentMode(UIViewContentMode::ScaleAspectFill);
    m_songScrubber->addSubview(m_songImageView);

    m_dummy = UIView::create();
    m_dummy->setBackgroundColor(UIColor::clearColor());
    addSubview(m_dummy);
    m_dummy->addGestureRecognizer(UITapGestureRecognizer::create(me, "handleTapFrom:"));
    auto discHold = UILongPressGestureRecognizer::create(me, "longPress:");
    discHold->setMinimumPressDuration(kDiscLongPressDuration);
    m_dummy->addGestureRecognizer(discHold);

    m_imageView = UIImageView::create();
    insertSubviewAtIndex(m_imageView, 0);

    m_noalbum = UIImage::initWithContentsOfFile(kRotixNoAlbumImagePath);
    m_next = UIImage::initWithContentsOfFile(kRotixForwardImagePath);
    m_back = UIImage::initWithContentsOfFile(kRotixBackwardImagePath);
    m_play = UIImage::initWithContentsOfFile(kRotixPlayImagePath);
    m_ppause = UIImage::initWithContentsOfFile(kRotixPauseImagePath);

    setForwardButtonImage(m_next);
    setBackButtonImage(m_back);
    setPlayPauseButtonImage(m_ppause);

    m_songScrubber->setValue(0);
}
