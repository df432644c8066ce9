// Artwork bytes as any app might send them, down the path the player takes
// with them: decoded as PNG or JPEG, analysed for its colours and scaled to
// the disc. Beyond the sanitizers' checks, a decoded image must be within
// the decoder's bounds and every analysed colour within range.
#include "platform/graphics/CGImageIO.h"
#include "platform/storekit/SKUIImageColorAnalyzer.h"
#include "platform/uikit/UIDeviceProfile.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreen.h"
#include "player/Rotix.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace {

constexpr CGSize kDiscArtworkSize{260, 260};

std::shared_ptr<Rotix>& player() {
    static std::shared_ptr<Rotix> view = Rotix::create();
    return view;
}

bool inRange(const UIColor& color) {
    for (double component : {color.red(), color.green(), color.blue(), color.alpha()})
        if (!(component >= 0 && component <= 1))
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // One pixel per point keeps each input quick; the scaling is the same.
    if (auto profile = UIDeviceProfile::named("320x568@1", std::nullopt))
        UIScreen::mainScreen()->setProfile(*profile);
    player();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::span<const std::uint8_t> bytes(data, size);
    const std::shared_ptr<UIImage> image = UIImage::imageWithData(bytes);
    if (image) {
        const CGImageRef& bitmap = image->CGImage();
        if (!bitmap || bitmap->width() == 0 || bitmap->height() == 0 ||
            bitmap->width() > kCGImageMaximumSide || bitmap->height() > kCGImageMaximumSide ||
            bitmap->width() * bitmap->height() > kCGImageMaximumPixels)
            __builtin_trap();
    }
    const auto colors = SKUIImageColorAnalyzer::analyzeImage(image);
    if (!colors || !inRange(colors->backgroundColor()) || !inRange(colors->textPrimaryColor()) ||
        !inRange(colors->textSecondaryColor()))
        __builtin_trap();
    const auto scaled = player()->imageScaledToSize(image, kDiscArtworkSize);
    if (!scaled || scaled->size() != kDiscArtworkSize)
        __builtin_trap();
    return 0;
}
