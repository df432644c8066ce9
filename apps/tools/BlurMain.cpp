// rotix-blur: a frosted-glass copy of a picture, written as PNG.

#include "apps/common/CommandLine.h"
#include "apps/tools/ImageFile.h"
#include "apps/tools/ToolArguments.h"
#include "imaging/ImageEffects.h"
#include "platform/system/SystemLog.h"
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
    "                  [--light|--extra-light|--dark|--tint-effect \"#RRGGBB\"]\n";

enum class Preset { None, Light, ExtraLight, Dark, TintEffect };

struct Options {
    std::vector<std::string> paths;
    double radius = 20;
    UIColorRef tint;
    double saturation = 1;
    std::string maskPath;
    double scale = 1;
    Preset preset = Preset::None;
    UIColorRef tintEffectColor;
};

// Parses the command line; answers the exit status when the program should
// stop here (after --help or --version, or a mistake already reported).
std::optional<int> parse(int argc, char** argv, Options& options) {
    CommandLine commandLine(std::string(kProgram), kUsage,
                            "Reads IN (PNG or JPEG) and writes its frosted-glass copy to OUT as "
                            "PNG.");
    CLI::App& app = commandLine.app();
    app.footer("Bad arguments and unreadable pictures exit with status 2.");
    app.add_option("IN OUT", options.paths, "The picture to read, then the PNG to write")
        ->type_name("");
    std::string radius, tint, saturation, scale, tintEffect;
    CLI::Option* radiusOption =
        app.add_option("--radius", radius, "Blur radius in points (default 20; 0 or less: no blur)")
            ->type_name("R");
    CLI::Option* tintOption =
        app.add_option("--tint", tint, "Colour laid over the result, #RRGGBB or #RRGGBBAA")
            ->type_name("C");
    CLI::Option* saturationOption =
        app.add_option("--saturation", saturation,
                       "Saturation factor (default 1: unchanged; 0: grey)")
            ->type_name("S");
    CLI::Option* maskOption =
        app.add_option("--mask", options.maskPath,
                       "The blur shows where the mask is white (or, for a mask with "
                       "transparent parts, where it is opaque)")
            ->type_name("FILE");
    CLI::Option* scaleOption =
        app.add_option("--scale", scale,
                       "Pixels per point of the picture and the result, 1 or more "
                       "(default 1)")
            ->type_name("S");
    bool light = false, extraLight = false, dark = false;
    const std::pair<CLI::Option*, Preset> presets[] = {
        {app.add_flag("--light", light,
                      "The light effect, instead of radius, tint, saturation, mask"),
         Preset::Light},
        {app.add_flag("--extra-light", extraLight, "The extra-light effect, instead of the same"),
         Preset::ExtraLight},
        {app.add_flag("--dark", dark, "The dark effect, instead of the same"), Preset::Dark},
        {app.add_option("--tint-effect", tintEffect,
                        "A 10-point blur washed with the colour #RRGGBB at 0.6, instead of the "
                        "same")
             ->type_name("C"),
         Preset::TintEffect},
    };
    if (auto stop = commandLine.parse(argc, argv))
        return stop;

    auto bad = [&](const CLI::Option* option, std::string_view what, std::string_view text) {
        return commandLine.refuse(option->get_name() + " needs " + std::string(what) + ", not " +
                                  quotedName(text));
    };
    if (*radiusOption) {
        const auto number = parseFiniteNumber(radius);
        if (!number)
            return bad(radiusOption, "a number of points", radius);
        options.radius = *number;
    }
    if (*saturationOption) {
        const auto number = parseFiniteNumber(saturation);
        if (!number)
            return bad(saturationOption, "a number", saturation);
        options.saturation = *number;
    }
    if (*scaleOption) {
        const auto number = parseFiniteNumber(scale);
        // Below 1 a point of the picture is smaller than one of its pixels;
        // far below, the drawing has no room left and comes out blank.
        if (!number || !(*number >= 1))
            return bad(scaleOption, "a number of at least 1", scale);
        options.scale = *number;
    }
    if (*tintOption) {
        options.tint = parseHexColor(tint, HexAlpha::Allowed);
        if (!options.tint)
            return bad(tintOption, "a colour #RRGGBB or #RRGGBBAA", tint);
    }
    const CLI::Option* chosen = nullptr;
    if (auto stop = commandLine.chooseOne(presets, chosen, options.preset))
        return stop;
    if (options.preset == Preset::TintEffect) {
        options.tintEffectColor = parseHexColor(tintEffect, HexAlpha::Forbidden);
        if (!options.tintEffectColor)
            return bad(chosen, "a colour #RRGGBB", tintEffect);
    }
    if (options.paths.size() != 2)
        return commandLine.refuse("needs an input and an output file, got " +
                                  std::to_string(options.paths.size()) + " names");
    if (chosen) {
        for (const CLI::Option* general :
             {radiusOption, tintOption, saturationOption, maskOption}) {
            if (*general)
                return commandLine.refuse(chosen->get_name() + " cannot be combined with " +
                                          general->get_name());
        }
    }
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
