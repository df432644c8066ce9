#pragma once

// The lock-screen player view. Its work is split by concern:
//   Rotix.cpp              construction, setupViews, teardown, sharedInstance, runtime registration
//   RotixNowPlaying.cpp    updateMedia and its throttle, tick:, setArtist:, setTitle:
//   RotixSeeking.cpp       ring scrubber actions, restart, the touch overrides
//   RotixTransport.cpp     buttons, disc gestures, updateButtons, updateGestures, image setters
//   RotixArtwork.cpp       artwork, tinting, colour parsing, label and ring colours, background
//   RotixLayouts.cpp       device layouts, customControlsY, rotation handlers

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/graphics/CGGeometry.h"
#include "platform/objc/NSObject.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIView.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class NSDate;
class NSTimer;
class SKUIAnalyzedImageColors;
class UIButton;
class UICircularSlider;
class UIImage;
class UIImageView;
class UILabel;

class Rotix : public UIView {
public:
    // +sharedInstance: the one view of the process, made on first use even
    // when several threads ask at once.
    static std::shared_ptr<Rotix> sharedInstance();
    // [[Rotix alloc] initWithFrame:frame]; the frame is ignored for the screen's bounds.
    static std::shared_ptr<Rotix> create(CGRect frame = CGRectZero);
    // Registers the class "Rotix" and the methods that targets, timers,
    // delayed performs and observers reach through the runtime.
    static Class registerClass();

    ~Rotix() override;

    std::shared_ptr<UIView> initWithFrame(CGRect frame) override;
    void setupViews();

    // Properties.
    const std::shared_ptr<UILabel>& clockLabel() const { return m_clockLabel; }
    void setClockLabel(std::shared_ptr<UILabel> label) { m_clockLabel = std::move(label); }
    const std::shared_ptr<UICircularSlider>& songScrubber() const { return m_songScrubber; }
    void setSongScrubber(std::shared_ptr<UICircularSlider> slider) {
        m_songScrubber = std::move(slider);
    }
    const std::shared_ptr<UIView>& scrubberBase() const { return m_scrubberBase; }
    void setScrubberBase(std::shared_ptr<UIView> view) { m_scrubberBase = std::move(view); }
    bool isTouching() const { return m_isTouching; }
    void setIsTouching(bool touching) { m_isTouching = touching; }

    // The associated values of updateMedia's throttle.
    const std::shared_ptr<NSDate>& _lastCall() const { return m_lastCall; }
    void _setLastCall(std::shared_ptr<NSDate> date) { m_lastCall = std::move(date); }
    const std::shared_ptr<NSTimer>& _delayTimer() const { return m_delayTimer; }
    void _setDelayTimer(std::shared_ptr<NSTimer> timer) { m_delayTimer = std::move(timer); }

    // Now playing.
    void tick(id timer);                                      // -tick:
    void updateMedia();                                       // -updateMedia
    void setArtist(const std::optional<std::string>& artist); // -setArtist:
    void setTitle(const std::optional<std::string>& title);   // -setTitle:

    // Scrubbing and seeking.
    void touchesBegan(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesMoved(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesEnded(const UITouchSet& touches, const std::shared_ptr<UIEvent>& event) override;
    void touchesCancelled(const UITouchSet& touches,
                          const std::shared_ptr<UIEvent>& event) override;
    void touchDown();  // -touchDown
    void touchUp();    // -touchUp
    void touchUpOut(); // -touchUpOut
    void restart();    // -restart
    void seeking();    // -seeking
    // -touchCancel: the ring lost its finger with no lift to answer the touch-down
    // or the drag (a tap on the thumb, or another touch or gesture taking over).
    void touchCancel();

    // Transport controls and gestures.
    void updateButtons();                                           // -updateButtons
    void updateGestures();                                          // -updateGestures
    void playOrPauseButtonPressed();                                // -playOrPauseButtonPressed
    void skipForwardButtonPressed();                                // -skipForwardButtonPressed
    void backwardButtonPressed();                                   // -backwardButtonPressed
    void longPressForward(id recognizer);                           // -longPressForward:
    void longPressBackward(id recognizer);                          // -longPressBackward:
    void handleTapFrom(id recognizer);                              // -handleTapFrom:
    void longPress(id recognizer);                                  // -longPress:
    void setID(const std::optional<std::string>& bundleIdentifier); // -setID:
    const std::optional<std::string>& appID() const { return m_mainID; }
    void setBackButtonImage(const std::shared_ptr<UIImage>& image);
    void setForwardButtonImage(const std::shared_ptr<UIImage>& image);
    void setPlayPauseButtonImage(const std::shared_ptr<UIImage>& image);

    // Artwork, colours and background.
    void setCenterArtworkImage(const std::shared_ptr<UIImage>& image);
    void setBackgroundImage(const std::shared_ptr<UIImage>& image);
    // -image:scaledToSize:; safe on a background queue (touches no field).
    std::shared_ptr<UIImage> imageScaledToSize(const std::shared_ptr<UIImage>& image, CGSize size);
    // -colorImage:withColor:
    std::shared_ptr<UIImage> colorImageWithColor(const std::shared_ptr<UIImage>& image,
                                                 const UIColorRef& color);
    void setLabelTextColor(const UIColorRef& color);
    UIColor colorFromHexString(const std::string& string);
    void setSliderThumbColor(const UIColorRef& color);
    void setSliderMinColor(const UIColorRef& color);
    void setSliderMaxColor(const UIColorRef& color);

    // Device layouts. Virtual so that a host or a test can see which layout
    // construction and rotation choose.
    virtual void iPadFrames();
    virtual void iPadFramesTwo();
    virtual void iPhone6PlusFrames();
    virtual void iPhone5Frames();
    virtual void setLandscapeFrames();
    void customControlsY();
    void orientationChanged(id notification);         // -orientationChanged:
    void deviceOrientationDidChange(id notification); // -deviceOrientationDidChange:
    unsigned long supportedInterfaceOrientations() const;
    bool shouldAutorotate() const;
    bool shouldAutorotateToInterfaceOrientation(long orientation) const;

    // Fields, for the layouts, dumps and tests.
    const std::shared_ptr<UILabel>& artistLabel() const { return m_artistLabel; }
    const std::shared_ptr<UILabel>& trackLabel() const { return m_trackLabel; }
    const std::shared_ptr<UILabel>& titleLabel() const { return m_titleLabel; }
    const std::shared_ptr<UIView>& buttonBase() const { return m_buttonBase; }
    const std::shared_ptr<UIButton>& playOrPauseButton() const { return m_playOrPauseButton; }
    const std::shared_ptr<UIButton>& skipForwardButton() const { return m_skipForwardButton; }
    const std::shared_ptr<UIButton>& backwardButton() const { return m_backwardButton; }
    const std::shared_ptr<UIImageView>& songImageView() const { return m_songImageView; }
    const std::shared_ptr<UIImageView>& imageView() const { return m_imageView; }
    const std::shared_ptr<UIView>& dummy() const { return m_dummy; }
    bool isSeeking() const { return m_isSeeking; }
    std::int32_t f() const { return m_f; }
    CGFloat screenHeight() const { return m_screenHeight; }
    const std::optional<CFDictionary>& dict() const { return m_dict; }
    const std::shared_ptr<UIImage>& noalbum() const { return m_noalbum; }
    const std::shared_ptr<UIImage>& next() const { return m_next; }
    const std::shared_ptr<UIImage>& back() const { return m_back; }
    const std::shared_ptr<UIImage>& play() const { return m_play; }
    const std::shared_ptr<UIImage>& ppause() const { return m_ppause; }
    const std::shared_ptr<NSTimer>& timer() const { return m_timer; }
    const std::shared_ptr<UIImage>& mage() const { return m_mage; }
    const std::shared_ptr<SKUIAnalyzedImageColors>& imageColors() const { return m_imageColors; }

    std::string_view className() const override { return "Rotix"; }

protected:
    Rotix();

private:
    std::shared_ptr<Rotix> strongSelf() {
        return std::static_pointer_cast<Rotix>(shared_from_this());
    }
    std::weak_ptr<Rotix> weakSelf() { return strongSelf(); }

    // Resets the lock screen's dim-and-lock countdown.
    static void resetIdleTimer();
    // The bundle identifier of the application playing now, if any.
    static std::optional<std::string> nowPlayingBundleIdentifier();
    // The replies of updateMedia and tick:.
    void nowPlayingInfoDidArrive(const std::optional<CFDictionary>& info);
    void showPlaybackPosition(const std::optional<CFDictionary>& info);
    // The disc's one full turn, replacing a turn still running.
    void spinDisc(float turn, double duration);
    // Replaces the tick timer, stopping the one held before, so that only
    // one ever runs.
    void startTickTimer();
    // What touchUp and touchUpOut share: end the drag and seek.
    void finishSeek();
    // Sets isTouching when the touch is on one of the player's interactive parts.
    void noteTouchOnInteractivePart(const UITouchSet& touches);
    // The artwork's primary text colour, or nothing before any analysis.
    UIColorRef analyzedTextPrimaryColor() const;
    // The small or the large phone layout, by the screen's height.
    void layOutPortraitPhone();

    std::shared_ptr<UILabel> m_artistLabel;
    std::shared_ptr<UILabel> m_clockLabel;
    std::shared_ptr<UILabel> m_trackLabel;
    std::shared_ptr<UILabel> m_titleLabel;
    std::shared_ptr<UIView> m_buttonBase;
    std::shared_ptr<UIButton> m_playOrPauseButton;
    std::shared_ptr<UIButton> m_skipForwardButton;
    std::shared_ptr<UIButton> m_backwardButton;
    id m_cc;
    std::shared_ptr<UIImageView> m_songImageView;
    std::shared_ptr<UIImageView> m_imageView;
    std::shared_ptr<UIView> m_dummy;
    std::optional<std::string> m_mainID;
    std::optional<std::string> m_total;
    std::optional<std::string> m_playTime;
    bool m_isSeeking = false;
    std::int32_t m_f = 0;
    CGFloat m_screenHeight = 0;
    std::optional<CFDictionary> m_dict;
    std::shared_ptr<UIImage> m_noalbum;
    std::shared_ptr<UIImage> m_next;
    std::shared_ptr<UIImage> m_back;
    std::shared_ptr<UIImage> m_play;
    std::shared_ptr<UIImage> m_ppause;
    CFData m_artworkData;
    std::shared_ptr<NSTimer> m_timer;
    std::shared_ptr<UIImage> m_mage;
    std::optional<CFArray> m_imgColors;
    std::shared_ptr<SKUIAnalyzedImageColors> m_imageColors;
    id m_bc;
    bool m_isTouching = false;
    std::shared_ptr<UICircularSlider> m_songScrubber;
    std::shared_ptr<UIView> m_scrubberBase;

    // Kept as fields rather than associated values; reached only through
    // their accessors.
    std::shared_ptr<NSDate> m_lastCall;
    std::shared_ptr<NSTimer> m_delayTimer;
};
