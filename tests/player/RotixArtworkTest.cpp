#include "platform/corefoundation/PropertyListFile.h"
#include "platform/device/DeviceImage.h"
#include "platform/graphics/CGImage.h"
#include "platform/mediaremote/NowPlayingSource.h"
#include "platform/storekit/SKUIImageColorAnalyzer.h"
#include "platform/uikit/UIButton.h"
#include "platform/uikit/UIGraphics.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIImageView.h"
#include "platform/uikit/UILabel.h"
#include "player/ArtworkQueue.h"
#include "player/PlayerOnDeviceFixture.h"
#include "player/UIColor+ComplementaryColor.h"
#include "slider/UICircularSlider.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Holds the image work instead of running it, so a test chooses when each
// piece runs and in which order they finish. Each runs on a thread of its
// own, as on the global queue.
class HeldQueue final : public DispatchQueue {
public:
    void async(dispatch_block_t block) override {
        std::lock_guard lock(m_mutex);
        m_blocks.push_back(std::move(block));
    }
    bool isMain() const override { return false; }

    size_t size() const {
        std::lock_guard lock(m_mutex);
        return m_blocks.size();
    }

    void runOnWorker(size_t index) {
        dispatch_block_t block;
        {
            std::lock_guard lock(m_mutex);
            block = std::move(m_blocks.at(index));
            m_blocks.erase(m_blocks.begin() + static_cast<long>(index));
        }
        std::thread worker(std::move(block));
        worker.join();
    }

private:
    mutable std::mutex m_mutex;
    std::deque<dispatch_block_t> m_blocks;
};

// An image of one colour per pixel, drawn by a function of the pixel
// position that answers the word 0xAARRGGBB (premultiplied).
std::shared_ptr<UIImage> makeImage(size_t width, size_t height,
                                   const std::function<std::uint32_t(size_t, size_t)>& pixel,
                                   CGFloat scale = 1) {
    std::vector<std::uint8_t> bytes(width * height * 4);
    for (size_t y = 0; y < height; ++y) {
        for (size_t x = 0; x < width; ++x) {
            std::uint32_t word = pixel(x, y);
            std::uint8_t* p = &bytes[(y * width + x) * 4];
            p[0] = word & 0xFF;
            p[1] = (word >> 8) & 0xFF;
            p[2] = (word >> 16) & 0xFF;
            p[3] = (word >> 24) & 0xFF;
        }
    }
    auto image = CGImage::create(width, height, width * 4, std::move(bytes),
                                 kCGImageAlphaPremultipliedFirst);
    return UIImage::imageWithCGImage(image, scale, UIImageOrientationUp);
}

std::shared_ptr<UIImage> solidImage(size_t width, size_t height, std::uint32_t word,
                                    CGFloat scale = 1) {
    return makeImage(
        width, height, [word](size_t, size_t) { return word; }, scale);
}

// What the image shows on screen, upright, at one pixel per point.
CGImageRef rendered(const std::shared_ptr<UIImage>& image) {
    CGSize size = image->size();
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    image->drawInRect(CGRectMake(0, 0, size.width, size.height));
    auto picture = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return picture ? picture->CGImage() : nullptr;
}

std::uint8_t alphaOf(std::uint32_t word) {
    return word >> 24;
}

// An arrow pointing up: a triangle with its apex on the top row, a shaft
// below it and a flag on the shaft's right, so any turn or mirror shows.
bool inArrow(size_t x, size_t y) {
    long dx = static_cast<long>(x) - 10;
    if (y < 10)
        return std::labs(dx) <= static_cast<long>(y);
    if (y >= 12 && y <= 14 && x >= 12 && x <= 15)
        return true;
    return dx >= -1 && dx <= 1;
}

class RotixArtworkTest : public PlayerOnDeviceTest {
protected:
    void TearDown() override {
        setArtworkQueue(nullptr);
        PlayerOnDeviceTest::TearDown();
    }

    fs::path assetPath(const std::string& name) const {
        return root() / "Library/Application Support/Rotix2" / name;
    }

    void installNoAlbumImage(const std::shared_ptr<UIImage>& image) const {
        fs::create_directories(assetPath(""));
        ASSERT_TRUE(UIImageWritePNGToFile(image, assetPath("noalbum.png")));
    }

    // The player's own images, as the build draws them.
    void installPlayerImages() const {
        fs::create_directories(assetPath(""));
        fs::path built = DeviceImage::build() / "Library/Application Support/Rotix2";
        for (const char* name :
             {"noalbum.png", "forward.png", "backward.png", "play.png", "pause.png", "empty.png"})
            fs::copy_file(built / name, assetPath(name), fs::copy_options::overwrite_existing);
    }

    // A player whose image work waits in a queue the test runs by hand.
    std::shared_ptr<HeldQueue> holdImageWork() {
        auto queue = std::make_shared<HeldQueue>();
        setArtworkQueue(queue);
        return queue;
    }

    static void drainMainQueue() { NSRunLoop::mainRunLoop().runUntilIdle(); }
};

// Every pixel word of an image.
std::vector<std::uint32_t> pixels(const CGImageRef& image) {
    std::vector<std::uint32_t> words;
    for (size_t y = 0; y < image->height(); ++y)
        for (size_t x = 0; x < image->width(); ++x)
            words.push_back(image->pixelAt(x, y));
    return words;
}

void expectColor(const UIColor& color, double red, double green, double blue) {
    EXPECT_EQ(color.red(), red);
    EXPECT_EQ(color.green(), green);
    EXPECT_EQ(color.blue(), blue);
    EXPECT_EQ(color.alpha(), 1.0);
}

TEST_F(RotixArtworkTest, HexColorsReadRedGreenBlueFromTheDigits) {
    auto player = makePlayer();
    expectColor(player->colorFromHexString("#FF8000"), 1.0, 128 / 255.0, 0.0);
    expectColor(player->colorFromHexString("#ff8000"), 1.0, 128 / 255.0, 0.0);
    expectColor(player->colorFromHexString("#123456"), 0x12 / 255.0, 0x34 / 255.0, 0x56 / 255.0);
    // The top byte of eight digits is ignored.
    expectColor(player->colorFromHexString("#80FF0000"), 1.0, 0.0, 0.0);
    // Fewer digits are a smaller number, read from the right.
    expectColor(player->colorFromHexString("#1F"), 0.0, 0.0, 31 / 255.0);
    EXPECT_EQ(player->colorFromHexString("#FF8000").space(), UIColor::Space::RGB);
}

TEST_F(RotixArtworkTest, HexColorsWithoutDigitsAreOpaqueBlack) {
    auto player = makePlayer();
    const std::vector<std::string> texts = {"",
                                            "#",
                                            "##FF0000",
                                            "#-FF",
                                            "#+FF",
                                            "#G12345",
                                            "#0x",
                                            "#0xZ",
                                            "#\x80"
                                            "FF",
                                            std::string("#\0FF", 4)};
    for (const std::string& text : texts)
        expectColor(player->colorFromHexString(text), 0.0, 0.0, 0.0);
}

TEST_F(RotixArtworkTest, HexColorsSkipTheFirstCharacterWhateverItIs) {
    auto player = makePlayer();
    expectColor(player->colorFromHexString("X00FF00"), 0.0, 1.0, 0.0);
    expectColor(player->colorFromHexString("000FF00"), 0.0, 1.0, 0.0);
    // A first character of two or three bytes is still one character.
    expectColor(player->colorFromHexString("\xC3\xA9"
                                           "00FF00"),
                0.0, 1.0, 0.0);
    expectColor(player->colorFromHexString("\xE2\x82\xAC"
                                           "0000FF"),
                0.0, 0.0, 1.0);
    // A byte that starts no character counts as one.
    expectColor(player->colorFromHexString("\xFF"
                                           "FF8000"),
                1.0, 128 / 255.0, 0.0);
    // Past the first unit of a four-byte character the scan meets the second.
    expectColor(player->colorFromHexString("\xF0\x9F\x8E\xB5"
                                           "FF0000"),
                0.0, 0.0, 0.0);
}

TEST_F(RotixArtworkTest, HexColorsFollowTheScannersRules) {
    auto player = makePlayer();
    // White space, ASCII or not, is skipped before the number.
    expectColor(player->colorFromHexString("# \t\n0000FF"), 0.0, 0.0, 1.0);
    expectColor(player->colorFromHexString("#\xC2\xA0"
                                           "0000FF"),
                0.0, 0.0, 1.0);
    expectColor(player->colorFromHexString("#\xE3\x80\x80"
                                           "0000FF"),
                0.0, 0.0, 1.0);
    // An optional "0x" prefix.
    expectColor(player->colorFromHexString("#0x1F"), 0.0, 0.0, 31 / 255.0);
    expectColor(player->colorFromHexString("#0X00FF00"), 0.0, 1.0, 0.0);
    // Digits up to the first other character.
    expectColor(player->colorFromHexString("#12G456"), 0.0, 0.0, 0x12 / 255.0);
    expectColor(player->colorFromHexString("#FF0000 trailing"), 1.0, 0.0, 0.0);
    // Past 32 bits the number is 0xFFFFFFFF, whose low three bytes are white.
    expectColor(player->colorFromHexString("#100000000"), 1.0, 1.0, 1.0);
    expectColor(player->colorFromHexString("#123456789ABCDEF0123"), 1.0, 1.0, 1.0);
    // Leading zeros do not overflow.
    expectColor(player->colorFromHexString("#000000000000FF"), 0.0, 0.0, 1.0);
}

TEST_F(RotixArtworkTest, HexColorsOfAnyBytesStayInBounds) {
    auto player = makePlayer();
    std::string huge(1 << 20, 'F');
    expectColor(player->colorFromHexString(huge), 1.0, 1.0, 1.0);
    for (int first = 0; first < 256; ++first) {
        for (int second = 0; second < 256; ++second) {
            std::string text{static_cast<char>(first), static_cast<char>(second)};
            UIColor color = player->colorFromHexString(text);
            int digit =
                std::isxdigit(second) ? std::stoi(std::string(1, char(second)), nullptr, 16) : 0;
            // A lone first byte of a longer character swallows the second.
            bool swallowed = (first & 0xE0) == 0xC0 && (second & 0xC0) == 0x80 && first >= 0xC2;
            ASSERT_EQ(color.blue(), swallowed ? 0.0 : digit / 255.0) << first << " " << second;
            ASSERT_EQ(color.red(), 0.0);
        }
    }
}

TEST_F(RotixArtworkTest, OppositeColorIsTheColorItself) {
    UIColor orange = UIColor::colorWithRed(1, 0.5, 0, 0.25);
    EXPECT_EQ(UIColorOppositeColorOf(orange), UIColorRef(orange));
    EXPECT_EQ(UIColorOppositeColorOf(UIColor::whiteColor()), UIColorRef(UIColor::whiteColor()));
    EXPECT_EQ(UIColorOppositeColorOf(std::nullopt), std::nullopt);
}

TEST_F(RotixArtworkTest, ScalingToTheSizeAnImageHasAnswersThatImage) {
    auto player = makePlayer();
    auto square = solidImage(260, 260, 0xFFFF0000);
    EXPECT_EQ(player->imageScaledToSize(square, CGSizeMake(260, 260)), square);
    // The size is in points: 520 pixels at scale 2 are 260 points.
    auto sharp = solidImage(520, 520, 0xFFFF0000, 2);
    EXPECT_EQ(player->imageScaledToSize(sharp, CGSizeMake(260, 260)), sharp);
    EXPECT_EQ(player->imageScaledToSize(nullptr, CGSizeZero), nullptr);
}

TEST_F(RotixArtworkTest, ScalingStretchesIntoANewImageAtTheScreensScale) {
    useDevice(UIDeviceProfile::iPhoneSE());
    auto player = makePlayer();
    // Red on the left half, blue on the right.
    auto halves =
        makeImage(2, 1, [](size_t x, size_t) { return x == 0 ? 0xFFFF0000 : 0xFF0000FF; });
    auto scaled = player->imageScaledToSize(halves, CGSizeMake(4, 4));
    ASSERT_TRUE(scaled);
    EXPECT_NE(scaled, halves);
    EXPECT_EQ(scaled->size(), CGSizeMake(4, 4));
    EXPECT_EQ(scaled->scale(), 2);
    ASSERT_EQ(scaled->CGImage()->width(), 8u);
    ASSERT_EQ(scaled->CGImage()->height(), 8u);
    for (size_t y = 0; y < 8; ++y) {
        EXPECT_EQ(scaled->CGImage()->pixelAt(1, y), 0xFFFF0000u) << y;
        EXPECT_EQ(scaled->CGImage()->pixelAt(6, y), 0xFF0000FFu) << y;
    }
}

TEST_F(RotixArtworkTest, ScalingNothingGivesATransparentImage) {
    auto player = makePlayer();
    auto blank = player->imageScaledToSize(nullptr, CGSizeMake(10, 5));
    ASSERT_TRUE(blank);
    EXPECT_EQ(blank->size(), CGSizeMake(10, 5));
    for (std::uint32_t word : pixels(blank->CGImage()))
        ASSERT_EQ(alphaOf(word), 0);
}

TEST_F(RotixArtworkTest, SilhouetteIsUprightInTheColor) {
    auto player = makePlayer();
    auto arrow =
        makeImage(21, 21, [](size_t x, size_t y) { return inArrow(x, y) ? 0xFF00FF00 : 0; });
    auto silhouette = player->colorImageWithColor(arrow, UIColor::colorWithRed(1, 0, 0, 1));
    ASSERT_TRUE(silhouette);
    EXPECT_EQ(silhouette->size(), CGSizeMake(21, 21));
    EXPECT_EQ(silhouette->scale(), 1);
    EXPECT_EQ(silhouette->imageOrientation(), UIImageOrientationDownMirrored);

    CGImageRef screen = rendered(silhouette);
    ASSERT_TRUE(screen);
    for (size_t y = 0; y < 21; ++y)
        for (size_t x = 0; x < 21; ++x)
            ASSERT_EQ(screen->pixelAt(x, y), inArrow(x, y) ? 0xFFFF0000u : 0u)
                << "at " << x << ", " << y;
}

TEST_F(RotixArtworkTest, SilhouetteFollowsTheImagesAlphaAtOnePixelPerPoint) {
    auto player = makePlayer();
    // 42 pixels at scale 2: a 21-point image whose top half is half opaque.
    auto image = makeImage(
        42, 42, [](size_t, size_t y) { return y < 21 ? 0x80404040 : 0; }, 2);
    auto silhouette = player->colorImageWithColor(image, UIColor::colorWithRed(0, 0, 1, 1));
    ASSERT_TRUE(silhouette);
    ASSERT_EQ(silhouette->CGImage()->width(), 21u);
    ASSERT_EQ(silhouette->CGImage()->height(), 21u);
    CGImageRef screen = rendered(silhouette);
    EXPECT_NEAR(alphaOf(screen->pixelAt(10, 3)), 0x80, 1);
    EXPECT_NEAR(screen->pixelAt(10, 3) & 0xFF, 0x80, 1);
    EXPECT_EQ(alphaOf(screen->pixelAt(10, 17)), 0);
}

TEST_F(RotixArtworkTest, SilhouetteOfNothingIsNothingAndNoColorIsBlack) {
    auto player = makePlayer();
    EXPECT_EQ(player->colorImageWithColor(nullptr, UIColor::whiteColor()), nullptr);
    auto silhouette = player->colorImageWithColor(solidImage(3, 3, 0xFFFFFFFF), std::nullopt);
    ASSERT_TRUE(silhouette);
    EXPECT_EQ(rendered(silhouette)->pixelAt(1, 1), 0xFF000000u);
}

TEST_F(RotixArtworkTest, LabelColorGoesToAllFourLabels) {
    auto player = makePlayer();
    UIColor teal = UIColor::colorWithRed(0, 0.5, 0.5, 1);
    player->setLabelTextColor(teal);
    EXPECT_EQ(player->artistLabel()->textColor(), teal);
    EXPECT_EQ(player->titleLabel()->textColor(), teal);
    EXPECT_EQ(player->trackLabel()->textColor(), teal);
    EXPECT_EQ(player->clockLabel()->textColor(), teal);
}

TEST_F(RotixArtworkTest, SliderColorsGoToTheirOwnPartOfTheRing) {
    auto player = makePlayer();
    UIColor red = UIColor::redColor(), green = UIColor::greenColor(), blue = UIColor::blueColor();
    player->setSliderThumbColor(red);
    player->setSliderMinColor(green);
    player->setSliderMaxColor(blue);
    EXPECT_EQ(player->songScrubber()->thumbTintColor(), UIColorRef(red));
    EXPECT_EQ(player->songScrubber()->minimumTrackTintColor(), UIColorRef(green));
    EXPECT_EQ(player->songScrubber()->maximumTrackTintColor(), UIColorRef(blue));
    // Drawing the ring again shows the new colours.
    EXPECT_TRUE(player->songScrubber()->needsDisplay());
}

TEST_F(RotixArtworkTest, ArtworkFadesOntoTheDiscAt260Points) {
    auto player = makePlayer();
    auto previous = player->songImageView()->image();
    player->setCenterArtworkImage(solidImage(100, 80, 0xFFFF0000));
    run(0.05);
    auto shown = player->songImageView()->image();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), CGSizeMake(260, 260));
    EXPECT_EQ(shown->CGImage()->pixelAt(10, 10), 0xFFFF0000u);
    const auto& transition = player->songImageView()->layer()->transition();
    ASSERT_TRUE(transition);
    EXPECT_DOUBLE_EQ(transition->duration, 0.1);
    EXPECT_EQ(transition->previousImage, previous);
}

TEST_F(RotixArtworkTest, NoArtworkShowsTheNoAlbumFileReadAfresh) {
    auto player = makePlayer();
    // Replaced after the player loaded its own copy.
    installNoAlbumImage(solidImage(40, 40, 0xFF00FF00));
    player->setCenterArtworkImage(nullptr);
    run(0.05);
    auto shown = player->songImageView()->image();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), CGSizeMake(260, 260));
    EXPECT_EQ(shown->CGImage()->pixelAt(100, 100), 0xFF00FF00u);
}

TEST_F(RotixArtworkTest, NoArtworkAndNoFileShowsAnEmptyDisc) {
    auto player = makePlayer();
    player->setCenterArtworkImage(nullptr);
    run(0.05);
    auto shown = player->songImageView()->image();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), CGSizeMake(260, 260));
    EXPECT_EQ(alphaOf(shown->CGImage()->pixelAt(130, 130)), 0);
}

TEST_F(RotixArtworkTest, LatestArtworkWinsWhenEarlierWorkFinishesLast) {
    auto player = makePlayer();
    auto queue = holdImageWork();
    player->setCenterArtworkImage(solidImage(10, 10, 0xFFFF0000));
    player->setCenterArtworkImage(solidImage(10, 10, 0xFF0000FF));
    ASSERT_EQ(queue->size(), 2u);
    queue->runOnWorker(1);
    drainMainQueue();
    EXPECT_EQ(player->songImageView()->image()->CGImage()->pixelAt(0, 0), 0xFF0000FFu);
    queue->runOnWorker(0);
    drainMainQueue();
    EXPECT_EQ(player->songImageView()->image()->CGImage()->pixelAt(0, 0), 0xFF0000FFu);
}

TEST_F(RotixArtworkTest, LatestArtworkWinsWhenWorkFinishesInOrder) {
    auto player = makePlayer();
    auto queue = holdImageWork();
    player->setCenterArtworkImage(solidImage(10, 10, 0xFFFF0000));
    player->setCenterArtworkImage(solidImage(10, 10, 0xFF0000FF));
    queue->runOnWorker(0);
    queue->runOnWorker(0);
    drainMainQueue();
    EXPECT_EQ(player->songImageView()->image()->CGImage()->pixelAt(0, 0), 0xFF0000FFu);
}

TEST_F(RotixArtworkTest, LatestArtworkWinsOnTheGlobalQueue) {
    auto player = makePlayer();
    // A large first image keeps its worker busy while the second finishes.
    player->setCenterArtworkImage(solidImage(2000, 2000, 0xFFFF0000));
    player->setCenterArtworkImage(solidImage(260, 260, 0xFF0000FF));
    run(0.05);
    EXPECT_EQ(player->songImageView()->image()->CGImage()->pixelAt(0, 0), 0xFF0000FFu);
}

TEST_F(RotixArtworkTest, ImageWorkDoesNotKeepThePlayerAlive) {
    auto queue = holdImageWork();
    std::weak_ptr<Rotix> weak = makePlayer();
    // The player's own first artwork waits in the queue too.
    weak.lock()->setCenterArtworkImage(solidImage(10, 10, 0xFFFF0000));
    releasePlayer();
    drainMainQueue();
    EXPECT_TRUE(weak.expired());
    while (queue->size() > 0)
        queue->runOnWorker(0);
    drainMainQueue();
}

TEST_F(RotixArtworkTest, BackgroundNeedsTheArtworkFlagOfTheSecondDomain) {
    auto player = makePlayer();
    auto queue = holdImageWork();
    player->setBackgroundImage(solidImage(10, 10, 0xFFFF0000));
    // In the main domain it does not count, nor as the number 1.
    setPreference("artwork", true);
    player->setBackgroundImage(solidImage(10, 10, 0xFFFF0000));
    setPreference("artwork", 1, "com.varlo.rotixsettings2");
    player->setBackgroundImage(solidImage(10, 10, 0xFFFF0000));
    EXPECT_EQ(queue->size(), 0u);
    EXPECT_EQ(player->imageView()->image(), nullptr);

    setPreference("artwork", true, "com.varlo.rotixsettings2");
    player->setBackgroundImage(solidImage(10, 10, 0xFFFF0000));
    EXPECT_EQ(queue->size(), 1u);
}

TEST_F(RotixArtworkTest, BackgroundFlagIsNeverSynchronised) {
    auto player = makePlayer();
    auto queue = holdImageWork();
    player->setBackgroundImage(solidImage(10, 10, 0xFFFF0000));
    // Another program turns the flag on in the file.
    fs::path file = root() / "var/mobile/Library/Preferences/com.varlo.rotixsettings2.plist";
    fs::create_directories(file.parent_path());
    auto bytes = PropertyListFile::serialize(CFDictionary{{"artwork", true}});
    ASSERT_TRUE(bytes);
    ASSERT_TRUE(PropertyListFile::writeAtomically(file, *bytes));
    player->setBackgroundImage(solidImage(10, 10, 0xFFFF0000));
    EXPECT_EQ(queue->size(), 0u);
}

TEST_F(RotixArtworkTest, BackgroundIsASmallDarkenedBlurFadedIn) {
    setPreference("artwork", true, "com.varlo.rotixsettings2");
    auto player = makePlayer();
    player->setBackgroundImage(solidImage(300, 300, 0xFFFFFFFF));
    run(0.05);
    auto shown = player->imageView()->image();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->size(), CGSizeMake(50, 50));
    // White under black at alpha 0.4 is 60 % grey.
    std::uint32_t middle =
        shown->CGImage()->pixelAt(shown->CGImage()->width() / 2, shown->CGImage()->height() / 2);
    EXPECT_NEAR(int(middle & 0xFF), 153, 2);
    EXPECT_EQ(alphaOf(middle), 0xFF);
    ASSERT_TRUE(player->imageView()->layer()->transition());
    EXPECT_DOUBLE_EQ(player->imageView()->layer()->transition()->duration, 0.4);
}

TEST_F(RotixArtworkTest, LatestBackgroundWins) {
    setPreference("artwork", true, "com.varlo.rotixsettings2");
    auto player = makePlayer();
    auto queue = holdImageWork();
    auto middle = [&] {
        auto image = player->imageView()->image()->CGImage();
        return image->pixelAt(image->width() / 2, image->height() / 2);
    };
    player->setBackgroundImage(solidImage(10, 10, 0xFFFFFFFF));
    player->setBackgroundImage(solidImage(10, 10, 0xFF000000));
    queue->runOnWorker(1);
    drainMainQueue();
    ASSERT_TRUE(player->imageView()->image());
    EXPECT_EQ(middle(), 0xFF000000u);
    queue->runOnWorker(0);
    drainMainQueue();
    EXPECT_EQ(middle(), 0xFF000000u);
}

// Plays one track whose artwork is the given image.
class TrackSource final : public NowPlayingSource {
public:
    explicit TrackSource(const std::shared_ptr<UIImage>& artwork) {
        m_info = CFDictionary{{kMRMediaRemoteNowPlayingInfoTitle, "Song"},
                              {kMRMediaRemoteNowPlayingInfoArtist, "Band"},
                              {kMRMediaRemoteNowPlayingInfoArtworkData,
                               CFPropertyList(UIImagePNGRepresentation(artwork))}};
    }
    MRNowPlayingInfo nowPlayingInfo() const override { return m_info; }
    bool isPlaying() const override { return true; }
    std::optional<std::string> nowPlayingApplicationBundleIdentifier() const override {
        return "com.example.music";
    }
    void performCommand(int) override {}
    void setElapsedTime(double) override {}

private:
    CFDictionary m_info;
};

std::shared_ptr<UIImage> blackArtwork() {
    return solidImage(64, 64, 0xFF000000);
}

TEST_F(RotixArtworkTest, DynamicColorsTurnLabelsAndButtonsToThePrimaryColor) {
    installPlayerImages();
    setPreference("dynamicColors", true);
    auto artwork = blackArtwork();
    auto colors = SKUIImageColorAnalyzer::analyzeImage(artwork);
    UIColor white = colors->textPrimaryColor();
    CGFloat red = 0, green = 0, blue = 0, alpha = 0;
    ASSERT_TRUE(white.getRed(&red, &green, &blue, &alpha));
    ASSERT_EQ(red + green + blue + alpha, 4.0) << "the analyser should pick white on black";

    NowPlayingService::shared().setSource(std::make_shared<TrackSource>(artwork));
    auto player = makePlayer();
    for (const auto& label :
         {player->artistLabel(), player->titleLabel(), player->trackLabel(), player->clockLabel()})
        EXPECT_EQ(label->textColor(), white);
    for (const auto& button :
         {player->skipForwardButton(), player->backwardButton(), player->playOrPauseButton()}) {
        auto image = button->imageForState(UIControlStateNormal);
        ASSERT_TRUE(image);
        bool sawGlyph = false;
        for (std::uint32_t word : pixels(rendered(image))) {
            if (alphaOf(word) == 0xFF) {
                ASSERT_EQ(word, 0xFFFFFFFFu);
                sawGlyph = true;
            }
        }
        EXPECT_TRUE(sawGlyph);
    }
    EXPECT_EQ(player->songScrubber()->minimumTrackTintColor(), UIColorRef(white));
}

TEST_F(RotixArtworkTest, WithoutDynamicColorsLabelsAndButtonsKeepTheirOwn) {
    installPlayerImages();
    setPreference("dynamicColors", 1);
    setPreference("titleColor", "#FF0000");
    NowPlayingService::shared().setSource(std::make_shared<TrackSource>(blackArtwork()));
    auto player = makePlayer();
    EXPECT_EQ(player->titleLabel()->textColor(), UIColor::colorWithRed(1, 0, 0, 1));
    EXPECT_EQ(player->skipForwardButton()->imageForState(UIControlStateNormal), player->next());
    EXPECT_EQ(player->backwardButton()->imageForState(UIControlStateNormal), player->back());
}

} // namespace
