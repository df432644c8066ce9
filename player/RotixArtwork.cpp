#include "hooks/settings/SettingsStore.h"
#include "imaging/ImageEffects.h"
#include "platform/dispatch/Dispatch.h"
#include "platform/objc/Runtime.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "player/ArtworkQueue.h"
#include "player/HexColorScanner.h"
#include "player/Rotix.h"
#include "player/RotixAssets.h"
#include "slider/UICircularSlider.h"

#include <any>
#include <cstdint>

namespace {

constexpr CGSize kDiscArtworkSize{260, 260};
constexpr double kDiscFadeDuration = 0.1;

constexpr CGSize kBackgroundSourceSize{50, 50};
constexpr CGFloat kBackgroundBlurRadius = 15;
// The tint's alpha is the single-precision 0.4, widened.
constexpr float kBackgroundTintAlpha = 0.4f;
constexpr CGFloat kBackgroundSaturationDeltaFactor = 0.8;
constexpr double kBackgroundFadeDuration = 0.4;

// Keys of the associated values that number each view's artwork requests.
constexpr char kDiscRequestKey = 'd';
constexpr char kBackgroundRequestKey = 'b';

// Touches no view, so the background queue may use it.
std::shared_ptr<UIImage> scaleImage(const std::shared_ptr<UIImage>& image, CGSize size) {
    CGSize current = image ? image->size() : CGSizeZero;
    if (current == size)
        return image;
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    if (image)
        image->drawInRect(CGRectMake(0, 0, size.width, size.height));
    std::shared_ptr<UIImage> scaled = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return scaled;
}

// The no-album image is read from its file each time rather than shared with
// the view, so the background work owns everything it touches.
std::shared_ptr<UIImage> imageOrNoAlbum(const std::shared_ptr<UIImage>& image) {
    return image ? image : UIImage::initWithContentsOfFile(kRotixNoAlbumImagePath);
}

// Background work may finish in any order; each request takes the next
// number, and only the latest request's image is put on screen.
std::uint64_t beginRequest(Rotix& view, const char* key) {
    std::any stored = objc_getAssociatedObject(view.self(), key);
    const std::uint64_t* last = std::any_cast<std::uint64_t>(&stored);
    std::uint64_t next = (last ? *last : 0) + 1;
    objc_setAssociatedObject(view.self(), key, next);
    return next;
}

bool isLatestRequest(Rotix& view, const char* key, std::uint64_t request) {
    std::any stored = objc_getAssociatedObject(view.self(), key);
    const std::uint64_t* last = std::any_cast<std::uint64_t>(&stored);
    return last && *last == request;
}

// Runs the image work on the background queue and cross-fades its result into
// one image view of the player on the main queue.
void showInBackground(Rotix& view, const char* requestKey,
                      std::shared_ptr<UIImageView> (*target)(Rotix&), double fadeDuration,
                      std::function<std::shared_ptr<UIImage>()> work) {
    std::uint64_t request = beginRequest(view, requestKey);
    std::weak_ptr<Rotix> weakView = std::static_pointer_cast<Rotix>(view.self());
    dispatch_async(artworkQueue(), [weakView, requestKey, target, fadeDuration, request,
                                    work = std::move(work)] {
        std::shared_ptr<UIImage> image = work();
        dispatch_async(dispatch_get_main_queue(), [weakView, requestKey, target, fadeDuration,
                                                   request, image] {
            std::shared_ptr<Rotix> view = weakView.lock();
            if (!view || !isLatestRequest(*view, requestKey, request))
                return;
            std::shared_ptr<UIImageView> imageView = target(*view);
            if (!imageView)
                return;
            UIView::transitionWithView(
                imageView, fadeDuration, UIViewAnimationOptionTransitionCrossDissolve,
                [imageView, image] { imageView->setImage(image); }, nullptr);
        });
    });
}

} // namespace

void Rotix::setCenterArtworkImage(const std::shared_ptr<UIImage>& image) {
    showInBackground(
        *this, &kDiscRequestKey, [](Rotix& view) { return view.songImageView(); },
        kDiscFadeDuration, [image] { return scaleImage(imageOrNoAlbum(image), kDiscArtworkSize); });
}

// The blur works on a small copy; the background view stretches it to its own
// size, which the blur hides.
void Rotix::setBackgroundImage(const std::shared_ptr<UIImage>& image) {
    if (!SettingsStore::flag("artwork", SettingsStore::kSecondDomain))
        return;
    showInBackground(
        *this, &kBackgroundRequestKey, [](Rotix& view) { return view.imageView(); },
        kBackgroundFadeDuration,
        [image] {
            std::shared_ptr<UIImage> small =
                scaleImage(imageOrNoAlbum(image), kBackgroundSourceSize);
            UIColor tint = UIColor::colorWithRed(0, 0, 0, kBackgroundTintAlpha);
            return ImageEffects::applyBlurWithRadius(small, kBackgroundBlurRadius, tint,
                                                     kBackgroundSaturationDeltaFactor, nullptr);
        });
}

std::shared_ptr<UIImage> Rotix::imageScaledToSize(const std::shared_ptr<UIImage>& image,
                                                  CGSize size) {
    return scaleImage(image, size);
}

// The mask lands upside down in the image context's flipped space; reading
// the bitmap back as down-mirrored turns the silhouette upright again.
std::shared_ptr<UIImage> Rotix::colorImageWithColor(const std::shared_ptr<UIImage>& image,
                                                    const UIColorRef& color) {
    if (!image)
        return nullptr;
    CGSize size = image->size();
    CGRect rect = CGRectMake(0, 0, size.width, size.height);
    UIGraphicsBeginImageContext(size);
    CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextClipToMask(context, rect, image->CGImage());
    // An absent colour leaves the context's fill as it was, black.
    if (color)
        CGContextSetFillColorWithColor(context, *color);
    CGContextFillRect(context, rect);
    std::shared_ptr<UIImage> filled = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    if (!filled)
        return nullptr;
    return UIImage::imageWithCGImage(filled->CGImage(), 1.0, UIImageOrientationDownMirrored);
}

void Rotix::setLabelTextColor(const UIColorRef& color) {
    m_artistLabel->setTextColor(color);
    m_titleLabel->setTextColor(color);
    m_trackLabel->setTextColor(color);
    m_clockLabel->setTextColor(color);
}

// A colour setting is "#RRGGBB"; anything without digits after its first
// character is opaque black, and a byte above the three is ignored.
UIColor Rotix::colorFromHexString(const std::string& string) {
    std::uint32_t value = scanHexIntAfterFirstCharacter(string).value_or(0);
    return UIColor::colorWithRed(static_cast<double>((value >> 16) & 0xFF) / 255.0,
                                 static_cast<double>((value >> 8) & 0xFF) / 255.0,
                                 static_cast<double>(value & 0xFF) / 255.0, 1.0);
}

void Rotix::setSliderThumbColor(const UIColorRef& color) {
    m_songScrubber->setThumbTintColor(color);
}

void Rotix::setSliderMinColor(const UIColorRef& color) {
    m_songScrubber->setMinimumTrackTintColor(color);
}

void Rotix::setSliderMaxColor(const UIColorRef& color) {
    m_songScrubber->setMaximumTrackTintColor(color);
}
