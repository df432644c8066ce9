#include "imaging/CCColorCube.h"
#include "imaging/ImageEffects.h"
#include "platform/graphics/CGImageIO.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreenScale.h"
#include "support/GeneratedMedia.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <turbojpeg.h>
#include <vector>

// The command-line tools run as a person runs them, on pictures written to a
// scratch folder; their output is checked against the same operations run
// here on the same decoded pixels.
namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string shellQuoted(const std::string& text) {
    std::string result = "'";
    for (char c : text)
        result += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return result + "'";
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

// A photograph as far as the tools care: smooth ramps, a few soft shapes of
// distinct colours and grain, opaque, as 0xAARRGGBB words.
std::vector<uint32_t> photoLikeWords(int width, int height) {
    std::vector<uint32_t> words(static_cast<size_t>(width) * height);
    std::mt19937 random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            double r = 40 + 150.0 * x / width;
            double g = 60 + 120.0 * y / height;
            double b = 180 - 100.0 * (x + y) / (width + height);
            const double dx = x - width * 0.3, dy = y - height * 0.4;
            if (dx * dx + dy * dy < 0.04 * width * width)
                r = 230, g = 200, b = 40; // a yellow sun
            if (x > width * 0.6 && y > height * 0.7)
                r = 20, g = 90, b = 30; // a green field
            const int grain = static_cast<int>(random() % 13) - 6;
            auto clamp = [&](double c) {
                return static_cast<uint32_t>(std::clamp(static_cast<int>(c) + grain, 0, 255));
            };
            words[static_cast<size_t>(y) * width + x] =
                0xFF000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
        }
    return words;
}

CGImageRef imageOfWords(int width, int height, const std::vector<uint32_t>& words,
                        CGImageAlphaInfo alpha = kCGImageAlphaNoneSkipFirst) {
    std::vector<uint8_t> bytes(words.size() * 4);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    return CGImage::create(width, height, width * 4, std::move(bytes), alpha);
}

bool writeJPEG(const std::vector<uint32_t>& words, int width, int height, const fs::path& path) {
    // The words are blue, green, red, alpha in memory.
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int result =
        tjCompress2(handle, reinterpret_cast<const unsigned char*>(words.data()), width, width * 4,
                    height, TJPF_BGRA, &jpeg, &size, TJSAMP_444, 92, 0);
    bool written = false;
    if (result == 0) {
        std::ofstream file(path, std::ios::binary);
        file.write(reinterpret_cast<const char*>(jpeg), static_cast<std::streamsize>(size));
        written = static_cast<bool>(file);
    }
    tjFree(jpeg);
    tjDestroy(handle);
    return written;
}

CGImageRef decodeFile(const fs::path& path) {
    const std::string bytes = readText(path);
    return CGImageCreateWithData(
        std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

// Equal pictures: the same size and the same pixel words.
::testing::AssertionResult samePixels(const CGImageRef& actual, const CGImageRef& expected) {
    if (!actual || !expected)
        return ::testing::AssertionFailure() << "missing picture";
    if (actual->width() != expected->width() || actual->height() != expected->height())
        return ::testing::AssertionFailure()
               << actual->width() << "x" << actual->height() << " against " << expected->width()
               << "x" << expected->height();
    for (size_t y = 0; y < actual->height(); ++y)
        for (size_t x = 0; x < actual->width(); ++x)
            if (actual->pixelAt(x, y) != expected->pixelAt(x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << ": " << std::hex << actual->pixelAt(x, y)
                       << " against " << expected->pixelAt(x, y);
    return ::testing::AssertionSuccess();
}

std::string colourLine(const UIColor& c) {
    auto level = [](double v) { return static_cast<int>(std::lround(v * 255.0)); };
    char line[160];
    std::snprintf(line, sizeof line, "#%02X%02X%02X %.17g %.17g %.17g", level(c.red()),
                  level(c.green()), level(c.blue()), c.red(), c.green(), c.blue());
    return line;
}

std::vector<std::string> colourLines(const std::vector<UIColor>& colours) {
    std::vector<std::string> lines;
    for (const UIColor& c : colours)
        lines.push_back(colourLine(c));
    return lines;
}

class ToolsTest : public ::testing::Test {
protected:
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 90;

    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "rotix-tools-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        m_scale = UIScreenMainScale();
        UIScreenSetMainScale(1);

        m_words = photoLikeWords(kWidth, kHeight);
        ASSERT_TRUE(
            CGImageWritePNGToFile(imageOfWords(kWidth, kHeight, m_words), path("photo.png")));
        ASSERT_TRUE(writeJPEG(m_words, kWidth, kHeight, path("photo.jpg")));
        m_png = decodeFile(path("photo.png"));
        m_jpeg = decodeFile(path("photo.jpg"));
        ASSERT_TRUE(m_png && m_jpeg);
    }

    void TearDown() override {
        UIScreenSetMainScale(m_scale);
        std::error_code error;
        fs::remove_all(m_folder, error);
    }

    std::string path(const std::string& name) const { return (m_folder / name).string(); }

    ToolRun run(const std::string& program, const std::vector<std::string>& arguments) const {
        std::string command =
            "cd " + shellQuoted(m_folder.string()) + " && " + shellQuoted(program);
        for (const auto& argument : arguments)
            command += " " + shellQuoted(argument);
        command +=
            " > " + shellQuoted(path("stdout.txt")) + " 2> " + shellQuoted(path("stderr.txt"));
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readText(path("stdout.txt")),
                readText(path("stderr.txt"))};
    }

    ToolRun blur(const std::vector<std::string>& arguments) const {
        return run(ROTIX_BLUR_PATH, arguments);
    }
    ToolRun palette(const std::vector<std::string>& arguments) const {
        return run(ROTIX_PALETTE_PATH, arguments);
    }

    // A refusal: status 2, one line on standard error naming the program,
    // nothing on standard output.
    static void expectRefused(const ToolRun& result, const std::string& program,
                              const std::string& words = "") {
        EXPECT_EQ(result.status, 2) << result.err;
        EXPECT_EQ(linesOf(result.err).size(), 1u) << result.err;
        EXPECT_EQ(result.err.rfind(program + ": ", 0), 0u) << result.err;
        EXPECT_NE(result.err.find(words), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
    }

    std::shared_ptr<UIImage> photo(CGFloat scale = 1) const {
        return UIImage::imageWithCGImage(m_png, scale);
    }

    fs::path m_folder;
    double m_scale = 1;
    std::vector<uint32_t> m_words;
    CGImageRef m_png;
    CGImageRef m_jpeg;
};

TEST_F(ToolsTest, BlurWritesTheEffectOfTheGeneralOperation) {
    const ToolRun result = blur(
        {"photo.png", "out.png", "--radius", "6", "--tint", "#10204080", "--saturation", "1.8"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_TRUE(result.err.empty()) << result.err;
    const auto expected = ImageEffects::applyBlurWithRadius(
        photo(), 6, UIColor::colorWithRed(0x10 / 255.0, 0x20 / 255.0, 0x40 / 255.0, 0x80 / 255.0),
        1.8, nullptr);
    ASSERT_TRUE(expected);
    EXPECT_TRUE(samePixels(decodeFile(path("out.png")), expected->CGImage()));
}

TEST_F(ToolsTest, BlurByDefaultOnlyBlursAndReadsJPEG) {
    const ToolRun result = blur({"photo.jpg", "out.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto expected = ImageEffects::applyBlurWithRadius(UIImage::imageWithCGImage(m_jpeg), 20,
                                                            std::nullopt, 1.0, nullptr);
    const CGImageRef out = decodeFile(path("out.png"));
    EXPECT_TRUE(samePixels(out, expected->CGImage()));

    // The grain is gone: neighbouring pixels differ much less than in the
    // picture.
    int inputSteps = 0, outputSteps = 0;
    for (size_t x = 1; x < 40; ++x) {
        auto step = [x](const CGImageRef& image) {
            return std::abs(int(image->pixelAt(x, 10) & 0xFF) -
                            int(image->pixelAt(x - 1, 10) & 0xFF));
        };
        inputSteps += step(m_jpeg);
        outputSteps += step(out);
    }
    EXPECT_LT(outputSteps * 4, inputSteps);
}

TEST_F(ToolsTest, BlurPresetsAndTheTintEffect) {
    struct Case {
        std::vector<std::string> options;
        std::shared_ptr<UIImage> expected;
    };
    const auto jpeg = UIImage::imageWithCGImage(m_jpeg);
    const std::vector<Case> cases = {
        {{"--light"}, ImageEffects::applyLightEffect(jpeg)},
        {{"--extra-light"}, ImageEffects::applyExtraLightEffect(jpeg)},
        {{"--dark"}, ImageEffects::applyDarkEffect(jpeg)},
        {{"--tint-effect", "#3366CC"},
         ImageEffects::applyTintEffectWithColor(
             jpeg, UIColor::colorWithRed(0x33 / 255.0, 0x66 / 255.0, 0xCC / 255.0, 1))},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"photo.jpg", "out.png"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ToolRun result = blur(arguments);
        ASSERT_EQ(result.status, 0) << c.options[0] << ": " << result.err;
        EXPECT_TRUE(samePixels(decodeFile(path("out.png")), c.expected->CGImage())) << c.options[0];
    }
}

TEST_F(ToolsTest, BlurScaleKeepsThePixelSizeAndScalesTheRadius) {
    const ToolRun result = blur({"--scale", "2", "photo.png", "out.png", "--radius", "3"});
    ASSERT_EQ(result.status, 0) << result.err;
    UIScreenSetMainScale(2);
    const auto expected =
        ImageEffects::applyBlurWithRadius(photo(2), 3, std::nullopt, 1.0, nullptr);
    const CGImageRef out = decodeFile(path("out.png"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->width(), size_t(kWidth));
    EXPECT_EQ(out->height(), size_t(kHeight));
    EXPECT_TRUE(samePixels(out, expected->CGImage()));
}

TEST_F(ToolsTest, BlurMaskOfAnotherSizeShowsTheBlurOnlyWhereWhite) {
    // Opaque grey mask, 8 x 4: white on the left half, black on the right;
    // once without alpha, once with an alpha channel opaque everywhere, as
    // image editors export masks.
    std::vector<uint32_t> mask(32);
    for (int i = 0; i < 32; ++i)
        mask[i] = i % 8 < 4 ? 0xFFFFFFFFu : 0xFF000000u;
    ASSERT_TRUE(CGImageWritePNGToFile(imageOfWords(8, 4, mask), path("mask.png")));
    ASSERT_TRUE(writeRgbaPng(path("mask-rgba.png"), mask, 8, 4));
    const auto expected = ImageEffects::applyBlurWithRadius(
        photo(), 4, std::nullopt, 1.0, UIImage::imageWithCGImage(decodeFile(path("mask.png"))));
    for (const std::string name : {"mask.png", "mask-rgba.png"}) {
        SCOPED_TRACE(name);
        const ToolRun result = blur({"photo.png", "out.png", "--radius", "4", "--mask", name});
        ASSERT_EQ(result.status, 0) << result.err;
        const CGImageRef out = decodeFile(path("out.png"));
        EXPECT_TRUE(samePixels(out, expected->CGImage()));
        // The right half is the picture itself; the left is not.
        EXPECT_EQ(out->pixelAt(100, 45), m_png->pixelAt(100, 45));
        int changed = 0;
        for (size_t x = 5; x < 55; ++x)
            changed += out->pixelAt(x, 45) != m_png->pixelAt(x, 45);
        EXPECT_GT(changed, 40);
    }
}

TEST_F(ToolsTest, BlurReadsCmykAndYcckJpegsAsAdobeWritesThem) {
    // Four squares of ink: none, cyan, magenta with yellow, and half black.
    constexpr int kSide = 32;
    const uint8_t squares[4][4] = {{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 128}};
    const uint32_t colours[4] = {0xFFFFFFu, 0x00FFFFu, 0xFF0000u, 0x7F7F7Fu};
    std::vector<uint8_t> ink;
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x)
            ink.insert(ink.end(), squares[y / 16 * 2 + x / 16], squares[y / 16 * 2 + x / 16] + 4);
    for (const InkJpeg space : {InkJpeg::Cmyk, InkJpeg::Ycck}) {
        SCOPED_TRACE(space == InkJpeg::Cmyk ? "CMYK" : "YCCK");
        ASSERT_TRUE(writeAdobeInkJpeg(path("ink.jpg"), ink, kSide, kSide, space));
        const ToolRun result = blur({"ink.jpg", "out.png", "--radius", "0"});
        ASSERT_EQ(result.status, 0) << result.err;
        const CGImageRef out = decodeFile(path("out.png"));
        ASSERT_TRUE(out);
        for (int square = 0; square < 4; ++square) {
            const uint32_t pixel = out->pixelAt(8 + square % 2 * 16, 8 + square / 2 * 16);
            for (int shift : {16, 8, 0})
                EXPECT_NEAR(int(pixel >> shift & 0xFF), int(colours[square] >> shift & 0xFF), 2)
                    << "square " << square << ": " << std::hex << pixel;
        }
    }
}

TEST_F(ToolsTest, BlurOfAOnePixelPicture) {
    ASSERT_TRUE(CGImageWritePNGToFile(imageOfWords(1, 1, {0xFF336699u}), path("dot.png")));
    const ToolRun result = blur({"dot.png", "out.png", "--radius", "30"});
    ASSERT_EQ(result.status, 0) << result.err;
    const CGImageRef out = decodeFile(path("out.png"));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->pixelAt(0, 0), 0xFF336699u);
}

TEST_F(ToolsTest, PalettePrintsTheColoursInTheOperationsOrder) {
    const auto image = photo();
    const auto cube = CCColorCube::create();
    struct Case {
        std::vector<std::string> options;
        std::vector<UIColor> expected;
    };
    const UIColor yellow = UIColor::colorWithRed(230 / 255.0, 200 / 255.0, 40 / 255.0, 1);
    const std::vector<Case> cases = {
        {{}, cube->extractColorsFromImage(image, 0)},
        {{"--flags", "12"},
         cube->extractColorsFromImage(image, CCFlagDistinct | CCFlagOrderBrightFirst)},
        {{"--flags", "4", "--count", "3"},
         cube->extractColorsFromImage(image, CCFlagDistinct, 3ul)},
        {{"--flags", "96", "--avoid", "#E6C828"},
         cube->extractColorsFromImage(image, CCFlagAvoidWhite | CCFlagAvoidBlack,
                                      UIColorRef(yellow))},
        {{"--bright", "--count", "4"}, cube->extractBrightColorsFromImage(image, std::nullopt, 4)},
        {{"--dark", "--avoid", "#E6C828", "--count", "2"},
         cube->extractDarkColorsFromImage(image, yellow, 2)},
        {{"--count", "0"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments = {"photo.png"};
        arguments.insert(arguments.end(), c.options.begin(), c.options.end());
        const ToolRun result = palette(arguments);
        ASSERT_EQ(result.status, 0) << result.err;
        EXPECT_TRUE(result.err.empty()) << result.err;
        EXPECT_EQ(linesOf(result.out), colourLines(c.expected))
            << ::testing::PrintToString(c.options);
    }
    // The counted variants come back with exactly their count here.
    EXPECT_EQ(cases[2].expected.size(), 3u);
    EXPECT_EQ(cases[4].expected.size(), 4u);
}

TEST_F(ToolsTest, PaletteNumbersReadBackExactly) {
    const ToolRun result = palette({"photo.jpg", "--flags", "4"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto cube = CCColorCube::create();
    const auto expected = cube->extractColorsFromImage(UIImage::imageWithCGImage(m_jpeg), 4);
    const auto lines = linesOf(result.out);
    ASSERT_EQ(lines.size(), expected.size());
    ASSERT_FALSE(lines.empty());
    for (size_t i = 0; i < lines.size(); ++i) {
        char hex[16] = {};
        double red = -1, green = -1, blue = -1;
        ASSERT_EQ(std::sscanf(lines[i].c_str(), "%15s %lf %lf %lf", hex, &red, &green, &blue), 4)
            << lines[i];
        EXPECT_EQ(std::strlen(hex), 7u);
        EXPECT_EQ(red, expected[i].red());
        EXPECT_EQ(green, expected[i].green());
        EXPECT_EQ(blue, expected[i].blue());
    }
}

TEST_F(ToolsTest, PaletteMaximaAreTheRecordsBehindTheColours) {
    const ToolRun result = palette({"photo.png", "--maxima", "--flags", "68"});
    ASSERT_EQ(result.status, 0) << result.err;
    const auto cube = CCColorCube::create();
    const auto maxima = cube->extractAndFilterMaximaFromImage(photo(), 68);
    ASSERT_TRUE(maxima);
    std::vector<std::string> expected;
    for (const auto& m : *maxima) {
        char line[200];
        std::snprintf(line, sizeof line, "%u %u %.17g %.17g %.17g %.17g", m->hitCount(),
                      m->cellIndex(), m->red(), m->green(), m->blue(), m->brightness());
        expected.push_back(line);
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(linesOf(result.out), expected);
}

TEST_F(ToolsTest, PaletteOfOneOpaqueColourIsThatColour) {
    ASSERT_TRUE(CGImageWritePNGToFile(imageOfWords(3, 2, std::vector<uint32_t>(6, 0xFFFF8000u)),
                                      path("orange.png")));
    ToolRun result = palette({"orange.png"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "#FF8000 1 0.50196078431372548 0\n");
    result = palette({"orange.png", "--maxima"});
    ASSERT_EQ(result.status, 0) << result.err;
    // Six pixels in cell 29 + 14 * 30.
    EXPECT_EQ(result.out, "6 449 1 0.50196078431372548 0 1\n");
}

TEST_F(ToolsTest, BadArgumentsGiveOneLineAndStatusTwo) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> blurCases = {
        {{}, "input and an output"},
        {{"photo.png"}, "input and an output"},
        {{"photo.png", "a.png", "b.png"}, "input and an output"},
        {{"photo.png", "out.png", "--fast"}, "unknown option '--fast'"},
        {{"photo.png", "out.png", "--radius"}, "--radius needs a value"},
        {{"photo.png", "out.png", "--radius", "ten"}, "'ten'"},
        {{"photo.png", "out.png", "--radius", "nan"}, "'nan'"},
        {{"photo.png", "out.png", "--radius", "5px"}, "'5px'"},
        {{"photo.png", "out.png", "--saturation", "inf"}, "'inf'"},
        {{"photo.png", "out.png", "--tint", "#GG000000"}, "'#GG000000'"},
        {{"photo.png", "out.png", "--tint", "red"}, "'red'"},
        {{"photo.png", "out.png", "--tint", "#FF00"}, "'#FF00'"},
        {{"photo.png", "out.png", "--scale", "0"}, "'0'"},
        {{"photo.png", "out.png", "--scale", "-2"}, "'-2'"},
        {{"photo.png", "out.png", "--scale", "1e-300"}, "'1e-300'"},
        {{"photo.png", "out.png", "--light", "--dark"}, "cannot be combined"},
        {{"photo.png", "out.png", "--dark", "--radius", "4"},
         "--dark cannot be combined with --radius"},
        {{"photo.png", "out.png", "--mask", "mask.png", "--extra-light"}, "cannot be combined"},
        {{"photo.png", "out.png", "--tint-effect", "#11223344"}, "'#11223344'"},
        {{"photo.png", "out.png", "--tint-effect"}, "needs a value"},
    };
    for (const auto& [arguments, words] : blurCases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const ToolRun result = blur(arguments);
        expectRefused(result, "rotix-blur", words);
        EXPECT_NE(result.err.find("(try --help)"), std::string::npos);
        EXPECT_FALSE(fs::exists(path("out.png")));
    }

    const std::vector<std::pair<std::vector<std::string>, std::string>> paletteCases = {
        {{}, "needs a picture"},
        {{"photo.png", "photo.jpg"}, "takes one picture"},
        {{"photo.png", "--flags", "128"}, "'128'"},
        {{"photo.png", "--flags", "-1"}, "'-1'"},
        {{"photo.png", "--flags", "0x4"}, "'0x4'"},
        {{"photo.png", "--count", "three"}, "'three'"},
        {{"photo.png", "--count", "-3"}, "'-3'"},
        {{"photo.png", "--count"}, "--count needs a value"},
        {{"photo.png", "--avoid", "#FFF"}, "'#FFF'"},
        {{"photo.png", "--avoid", "#FFFFFFFF"}, "'#FFFFFFFF'"},
        {{"photo.png", "--bright", "--dark"}, "cannot be combined"},
        {{"photo.png", "--flags", "1", "--dark"}, "--dark cannot be combined with --flags"},
        {{"photo.png", "-x"}, "unknown option '-x'"},
    };
    for (const auto& [arguments, words] : paletteCases) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const ToolRun result = palette(arguments);
        expectRefused(result, "rotix-palette", words);
        EXPECT_NE(result.err.find("(try --help)"), std::string::npos);
    }
}

TEST_F(ToolsTest, UnreadablePicturesGiveOneLineAndStatusTwo) {
    std::ofstream(path("notes.png")) << "not a picture\n";
    std::ofstream(path("empty.png"));
    const std::string png = readText(path("photo.png"));
    std::ofstream(path("cut.png"), std::ios::binary) << png.substr(0, png.size() / 2);
    fs::create_directory(path("folder.png"));
    // A name with a newline in it still makes one line.
    const std::string oddName = "no\nsuch.png";

    for (const std::string& name :
         {std::string("missing.png"), std::string("notes.png"), std::string("empty.png"),
          std::string("cut.png"), std::string("folder.png"), oddName}) {
        SCOPED_TRACE(name);
        const ToolRun result = blur({name, "out.png"});
        expectRefused(result, "rotix-blur", "cannot read");
        // The picture is at fault, not the way the program was called.
        EXPECT_EQ(result.err.find("--help"), std::string::npos);
        EXPECT_FALSE(fs::exists(path("out.png")));
        expectRefused(palette({name}), "rotix-palette", "cannot read");
        expectRefused(blur({"photo.png", "out.png", "--mask", name}), "rotix-blur",
                      "cannot read mask");
        EXPECT_FALSE(fs::exists(path("out.png")));
    }
    // A picture under one point at the scale is refused, in words about the file.
    ASSERT_TRUE(CGImageWritePNGToFile(imageOfWords(1, 1, {0xFF000000u}), path("dot.png")));
    expectRefused(blur({"dot.png", "out.png", "--scale", "2"}), "rotix-blur",
                  "cannot blur 'dot.png': invalid size: (0.50 x 0.50) points at scale 2");
    EXPECT_FALSE(fs::exists(path("out.png")));
}

TEST_F(ToolsTest, AnUnwritableOutputFailsWithStatusOne) {
    const ToolRun result = blur({"photo.png", "no/such/folder/out.png"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(linesOf(result.err).size(), 1u) << result.err;
    EXPECT_NE(result.err.find("cannot write"), std::string::npos) << result.err;
}

TEST_F(ToolsTest, HelpPrintsTheUsage) {
    for (const auto& [program, name] : {std::pair{ROTIX_BLUR_PATH, "rotix-blur"},
                                        std::pair{ROTIX_PALETTE_PATH, "rotix-palette"}}) {
        const ToolRun result = run(program, {"--help"});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out.rfind(std::string("usage: ") + name, 0), 0u) << result.out;
    }
}

// Every program answers --help with each of its options and what it does,
// and --version with the one version of the build.
TEST_F(ToolsTest, EveryProgramListsItsOptionsAndItsVersion) {
    const std::vector<std::string> hostOptions = {"--scenario", "--clock",  "--root",
                                                  "--device",   "--window", "--activator-key"};
    struct Program {
        std::string path;
        std::string name;
        std::vector<std::string> options;
    };
    std::vector<Program> programs = {
        {ROTIX_SPRINGBOARD_PATH, "springboard", hostOptions},
        {ROTIX_ACTIVATOR_PATH, "activator", {"send", "list"}},
        {ROTIX_BLUR_PATH,
         "rotix-blur",
         {"--radius", "--tint", "--saturation", "--mask", "--scale", "--light", "--extra-light",
          "--dark", "--tint-effect"}},
        {ROTIX_PALETTE_PATH,
         "rotix-palette",
         {"--flags", "--count", "--avoid", "--bright", "--dark", "--maxima"}},
    };
    programs[0].options.insert(programs[0].options.end(), {"--omit-class", "--source"});
#ifdef ROTIX_SETTINGS_PATH
    programs.push_back({ROTIX_SETTINGS_PATH, "settings", hostOptions});
#endif
#ifdef ROTIX_SAVER_PATH
    programs.push_back({ROTIX_SAVER_PATH,
                        "rotix-saver",
                        {"--window-id", "--root-window", "--root", "--scenario"}});
#endif
    for (auto& program : programs) {
        SCOPED_TRACE(program.name);
        const ToolRun help = run(program.path, {"--help"});
        EXPECT_EQ(help.status, 0) << help.err;
        EXPECT_EQ(help.out.rfind("usage: " + program.name, 0), 0u) << help.out;
        program.options.insert(program.options.end(), {"--help", "--version"});
        const std::vector<std::string> lines = linesOf(help.out);
        for (const std::string& option : program.options) {
            // The option's row, with its meaning beside it or on the next row.
            auto row = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
                if (line.rfind("  ", 0) != 0)
                    return false;
                std::string entry = line.substr(line.find_first_not_of(' '));
                if (entry.rfind("-h,", 0) == 0)
                    entry.erase(0, 3);
                return entry.rfind(option, 0) == 0 &&
                       (entry.size() == option.size() || entry[option.size()] == ' ');
            });
            ASSERT_NE(row, lines.end()) << option << " is not listed:\n" << help.out;
            const bool meaningBelow =
                row + 1 != lines.end() && (row + 1)->rfind(std::string(20, ' '), 0) == 0;
            const std::string meaning =
                meaningBelow ? *(row + 1) : (row->size() > 30 ? row->substr(30) : "");
            EXPECT_GE(std::count(meaning.begin(), meaning.end(), ' '), 3)
                << option << " has no meaning:\n"
                << help.out;
        }
        const ToolRun version = run(program.path, {"--version"});
        EXPECT_EQ(version.status, 0) << version.err;
        EXPECT_EQ(version.out, program.name + " (Rotix) " + ROTIX_VERSION + "\n");
    }
}

} // namespace
