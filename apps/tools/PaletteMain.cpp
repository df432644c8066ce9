// rotix-palette: the dominant colours of a picture, from the colour cube.

#include "apps/common/CommandLine.h"
#include "apps/tools/ImageFile.h"
#include "apps/tools/ToolArguments.h"
#include "imaging/CCColorCube.h"
#include "platform/system/SystemLog.h"
#include "platform/uikit/UIImage.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr std::string_view kProgram = "rotix-palette";
// Every flag the cube knows, 1 to 64.
constexpr unsigned long kAllFlags = 127;

constexpr const char* kUsage =
    "usage: rotix-palette IMAGE [--flags N] [--count N] [--avoid \"#RRGGBB\"] [--bright|--dark]\n"
    "                     [--maxima]\n";

enum class Variant { Flags, Bright, Dark };

struct Options {
    std::string path;
    CCColorFlags flags = 0;
    bool flagsGiven = false;
    std::optional<unsigned long> count;
    UIColorRef avoid;
    Variant variant = Variant::Flags;
    bool maxima = false;
};

std::optional<int> parse(int argc, char** argv, Options& options) {
    CommandLine commandLine(std::string(kProgram), kUsage,
                            "Prints the dominant colours of IMAGE (PNG or JPEG), one a line: "
                            "#RRGGBB and the red, green and blue components (0 to 1, 17 "
                            "significant digits).");
    CLI::App& app = commandLine.app();
    app.footer("Bad arguments and unreadable pictures exit with status 2.");
    std::vector<std::string> paths;
    app.add_option("IMAGE", paths, "The picture to read")->type_name("");
    std::string flags, count, avoid;
    CLI::Option* flagsOption =
        app.add_option("--flags", flags,
                       "Sum of: 1 bright pixels only, 2 dark pixels only, 4 distinct, 8 brightest "
                       "first, 16 darkest first, 32 avoid white, 64 avoid black")
            ->type_name("N");
    CLI::Option* countOption =
        app.add_option("--count", count, "At most N colours, made distinct enough to fill N")
            ->type_name("N");
    CLI::Option* avoidOption =
        app.add_option("--avoid", avoid, "Leave out colours close to #RRGGBB")->type_name("C");
    bool bright = false, dark = false;
    const std::pair<CLI::Option*, Variant> variants[] = {
        {app.add_flag("--bright", bright,
                      "Colours of the bright pixels in order of frequency, instead of --flags"),
         Variant::Bright},
        {app.add_flag("--dark", dark, "Colours of the dark pixels, the same way"), Variant::Dark},
    };
    app.add_flag("--maxima", options.maxima,
                 "Print the cube's maxima instead: hit count, cell index, red, green, blue, "
                 "brightness");
    if (auto stop = commandLine.parse(argc, argv))
        return stop;

    auto bad = [&](const CLI::Option* option, std::string_view what, std::string_view text) {
        return commandLine.refuse(option->get_name() + " needs " + std::string(what) + ", not " +
                                  quotedName(text));
    };
    if (*flagsOption) {
        const auto number = parseUnsigned(flags);
        if (!number || *number > kAllFlags)
            return bad(flagsOption, "a sum of flags from 0 to 127", flags);
        options.flags = *number;
        options.flagsGiven = true;
    }
    if (*countOption) {
        options.count = parseUnsigned(count);
        if (!options.count)
            return bad(countOption, "a whole number", count);
    }
    if (*avoidOption) {
        options.avoid = parseHexColor(avoid, HexAlpha::Forbidden);
        if (!options.avoid)
            return bad(avoidOption, "a colour #RRGGBB", avoid);
    }
    const CLI::Option* chosen = nullptr;
    if (auto stop = commandLine.chooseOne(variants, chosen, options.variant))
        return stop;
    if (paths.empty())
        return commandLine.refuse("needs a picture");
    if (paths.size() > 1)
        return commandLine.refuse("takes one picture, got " + quotedName(paths[1]) + " after " +
                                  quotedName(paths[0]));
    options.path = paths[0];
    if (chosen && options.flagsGiven)
        return commandLine.refuse(chosen->get_name() + " cannot be combined with --flags");
    return std::nullopt;
}

// The maxima the matching entry point turns into colours, by the same
// steps: the bright and dark variants (with no count, one that keeps them
// all), or the flags with the avoid colour and then the count when given.
CCLocalMaximumList findMaxima(CCColorCube& cube, const Options& options,
                              const std::shared_ptr<UIImage>& image) {
    CCLocalMaximumList maxima;
    if (options.variant != Variant::Flags) {
        const CCColorFlags flags =
            options.variant == Variant::Bright ? CCFlagBrightOnly : CCFlagDarkOnly;
        maxima = cube.findAndSortMaximaInImage(image, flags).value_or(CCLocalMaximumList{});
        if (options.avoid)
            maxima = cube.filterMaxima(maxima, *options.avoid);
        return cube.performAdaptiveDistinctFilteringForMaxima(
            maxima, options.count.value_or(std::numeric_limits<unsigned long>::max()));
    }
    maxima =
        cube.extractAndFilterMaximaFromImage(image, options.flags).value_or(CCLocalMaximumList{});
    if (options.avoid)
        maxima = cube.filterMaxima(maxima, *options.avoid);
    if (options.count)
        maxima = cube.performAdaptiveDistinctFilteringForMaxima(maxima, *options.count);
    return maxima;
}

int level(double component) {
    return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255.0));
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (const auto stop = parse(argc, argv, options))
        return *stop;
    SystemLog::shared().setEchoToStandardError(false);

    const ImageFile input = ImageFile::read(options.path);
    if (!input.image)
        return reportInputError(kProgram,
                                "cannot read " + quotedName(options.path) + ": " + input.error);
    const auto image = UIImage::imageWithCGImage(input.image);
    const auto cube = CCColorCube::create();
    const CCLocalMaximumList maxima = findMaxima(*cube, options, image);

    if (options.maxima) {
        for (const auto& m : maxima)
            std::printf("%u %u %.17g %.17g %.17g %.17g\n", m->hitCount(), m->cellIndex(), m->red(),
                        m->green(), m->blue(), m->brightness());
    } else {
        for (const UIColor& c : cube->colorsFromMaxima(maxima))
            std::printf("#%02X%02X%02X %.17g %.17g %.17g\n", level(c.red()), level(c.green()),
                        level(c.blue()), c.red(), c.green(), c.blue());
    }
    if (std::fflush(stdout) != 0)
        return 1;
    return 0;
}
