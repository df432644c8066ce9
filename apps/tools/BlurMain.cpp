// rotix-blur: a frosted-glass copy of a picture, written as PNG.

#include "apps/tools/ImageFile.h"
#include "apps/tools/ToolArguments.h"
#include "imaging/ImageEffects.h"
#include "platform/foundation/SystemLog.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIScreenScale.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kProgram = "rotix-blur";

constexpr const char* kUsage =
    "usage: rotix-blur IN OUT [--radius R] [--tint \"#RRGGBBAA\"] [--saturation S]\n"
    "                  [--mask FILE] [--scale S]\n"
    "                  [--light|--extra-light|--dark|--tint-effect \"#RRGGBB\"]\n"
    "\n"
    "Reads IN (PNG or JPEG) and writes its frosted-glass copy to OUT as PNG.\n"
    "  --radius R        blur radius in points (default 20; 0 or less: no blur)\n"
    "  --tint C          colour laid over the result, #RRGGBB or #RRGGBBAA\n"
    "  --saturation S    saturation factor (default 1: unchanged; 0: grey)\n"
    "  --mask FILE       the blur shows where the mask is white (or, for a mask\n"
    "                    with transparent parts, where it is opaque)\n"
    "  --scale S         pixels per point of the picture and the result, 1 or more\n"
    "                    (default 1)\n"
    "  --light, --extra-light, --dark\n"
    "                    the fixed effects, instead of radius, tint, saturation, mask\n"
    "  --tint-effect C   a 10-point blur washed with the colour #RRGGBB at 0.6\n"
    "Bad arguments and unreadable pictures exit with status 2.\n";

enum class Preset { None, Light, ExtraLight, Dark, TintEffect };

struct Options {
    std::vector<std::string> paths;
    double radius = 20;
    UIColorRef tint;
    double saturation = 1;
    std::string maskPath;
    double scale = 1;
    Preset preset = Preset::None;
    std::string presetName;
    UIColorRef tintEffectColor;
    // The first of --radius, --tint, --saturation and --mask given, which no
    // preset takes.
    std::string generalOption;
};

// Parses the command line; answers the exit status when the program should
// stop here (after --help, or a mistake already reported).
std::optional<int> parse(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        auto value = [&]() -> std::optional<std::string_view> {
            if (i + 1 >= argc)
                return std::nullopt;
            return std::string_view(argv[++i]);
        };
        auto missing = [&] {
            return reportUsageError(kProgram, std::string(argument) + " needs a value");
        };
        auto bad = [&](std::string_view what, std::string_view text) {
            return reportUsageError(kProgram, std::string(argument) + " needs " +
                                                  std::string(what) + ", not " + quotedName(text));
        };
        auto choosePreset = [&](Preset preset) -> std::optional<int> {
            if (options.preset != Preset::None)
                return reportUsageError(kProgram, options.presetName + " and " +
                                                      std::string(argument) +
                                                      " cannot be combined");
            options.preset = preset;
            options.presetName = argument;
            return std::nullopt;
        };
        auto general = [&] {
            if (options.generalOption.empty())
                options.generalOption = argument;
        };

        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argument == "--radius") {
            const auto text = value();
            if (!text)
                return missing();
            const auto number = parseFiniteNumber(*text);
            if (!number)
                return bad("a number of points", *text);
            options.radius = *number;
            general();
        } else if (argument == "--saturation") {
            const auto text = value();
            if (!text)
                return missing();
            const auto number = parseFiniteNumber(*text);
            if (!number)
                return bad("a number", *text);
            options.saturation = *number;
            general();
        } else if (argument == "--scale") {
            const auto text = value();
            if (!text)
                return missing();
            // Below 1 a point of the picture is smaller than one of its pixels;
            // far below, the drawing has no room left and comes out blank.
            const auto number = parseFiniteNumber(*text);
            if (!number || !(*number >= 1))
                return bad("a number of at least 1", *text);
            options.scale = *number;
        } else if (argument == "--tint") {
            const auto text = value();
            if (!text)
                return missing();
            options.tint = parseHexColor(*text, HexAlpha::Allowed);
            if (!options.tint)
                return bad("a colour #RRGGBB or #RRGGBBAA", *text);
            general();
        } else if (argument == "--mask") {
            const auto text = value();
            if (!text)
                return missing();
            options.maskPath = *text;
            general();
        } else if (argument == "--light") {
            if (auto stop = choosePreset(Preset::Light))
                return stop;
        } else if (argument == "--extra-light") {
            if (auto stop = choosePreset(Preset::ExtraLight))
                return stop;
        } else if (argument == "--dark") {
            if (auto stop = choosePreset(Preset::Dark))
                return stop;
        } else if (argument == "--tint-effect") {
            if (auto stop = choosePreset(Preset::TintEffect))
                return stop;
            const auto text = value();
            if (!text)
                return missing();
            options.tintEffectColor = parseHexColor(*text, HexAlpha::Forbidden);
            if (!options.tintEffectColor)
                return bad("a colour #RRGGBB", *text);
        } else if (argument.size() > 1 && argument[0] == '-') {
            return reportUsageError(kProgram, "unknown option " + quotedName(argument));
        } else {
            options.paths.emplace_back(argument);
        }
    }
    if (options.paths.size() != 2)
        return reportUsageError(kProgram, "needs an input and an output file, got " +
                                              std::to_string(options.paths.size()) + " names");
    if (options.preset != Preset::None && !options.generalOption.empty())
        return reportUsageError(kProgram, options.presetName + " cannot be combined with " +
                                              options.generalOption);
    return std::nullopt;
}

std::shared_ptr<UIImage> applyEffect(const Options& options, const std::shared_ptr<UIImage>& image,
                                     const std::shared_ptr<UIImage>& mask) {
    switch (options.preset) {
    case Preset::Light:
        return ImageEffects::applyLightEffect(image);
    case Preset::ExtraLight:
        return ImageEffects::applyExtraLightEffect(image);
    case Preset::Dark:
        return ImageEffects::applyDarkEffect(image);
    case Preset::TintEffect:
        return ImageEffects::applyTintEffectWithColor(image, options.tintEffectColor);
    case Preset::None:
        break;
    }
    return ImageEffects::applyBlurWithRadius(image, options.radius, options.tint,
                                             options.saturation, mask);
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const auto stop = parse(argc, argv, options))
        return *stop;
    const std::string& inPath = options.paths[0];
    const std::string& outPath = options.paths[1];

    // Log lines (the effect's refusals among them) stay off standard error:
    // this program says what went wrong in one line of its own.
    SystemLog::shared().setEchoToStandardError(false);
    UIScreenSetMainScale(options.scale);

    const ImageFile input = ImageFile::read(inPath);
    if (!input.image)
        return reportInputError(kProgram, "cannot read " + quotedName(inPath) + ": " + input.error);
    std::shared_ptr<UIImage> mask;
    if (!options.maskPath.empty()) {
        const ImageFile maskFile = ImageFile::read(options.maskPath);
        if (!maskFile.image)
            return reportInputError(kProgram, "cannot read mask " + quotedName(options.maskPath) +
                                                  ": " + maskFile.error);
        mask = UIImage::imageWithCGImage(maskFile.image, options.scale);
    }
    // The picture at the same scale as the result, so that a radius in points
    // covers scale times as many of its pixels and the result has its size.
    const auto image = UIImage::imageWithCGImage(input.image, options.scale);
    // The effect refuses a picture under one point a side with a log line
    // about the image object; this program's line is about the file.
    const CGSize size = image->size();
    if (size.width < 1 || size.height < 1) {
        char reason[160];
        std::snprintf(reason, sizeof reason,
                      "invalid size: (%.2f x %.2f) points at scale %g; both sides must be at "
                      "least 1 point",
                      size.width, size.height, options.scale);
        return reportInputError(kProgram, "cannot blur " + quotedName(inPath) + ": " + reason);
    }

    const std::shared_ptr<UIImage> result = applyEffect(options, image, mask);
    if (!result || !result->CGImage())
        return reportInputError(kProgram, "cannot blur " + quotedName(inPath) +
                                              ": the effect made no picture");
    if (!UIImageWritePNGToFile(result, outPath)) {
        std::fprintf(stderr, "%s: cannot write %s\n", kProgram.data(), quotedName(outPath).c_str());
        return 1;
    }
    return 0;
}
