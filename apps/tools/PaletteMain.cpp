// rotix-palette: the dominant colours of a picture, from the colour cube.

#include "apps/tools/ImageFile.h"
#include "apps/tools/ToolArguments.h"
#include "imaging/CCColorCube.h"
#include "platform/foundation/SystemLog.h"
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
    "                     [--maxima]\n"
    "\n"
    "Prints the dominant colours of IMAGE (PNG or JPEG), one a line: #RRGGBB and the\n"
    "red, green and blue components (0 to 1, 17 significant digits).\n"
    "  --flags N      sum of: 1 bright pixels only, 2 dark pixels only, 4 distinct,\n"
    "                 8 brightest first, 16 darkest first, 32 avoid white, 64 avoid black\n"
    "  --count N      at most N colours, made distinct enough to fill N\n"
    "  --avoid C      leave out colours close to #RRGGBB\n"
    "  --bright, --dark\n"
    "                 colours of the bright (or dark) pixels in order of frequency,\n"
    "                 instead of --flags\n"
    "  --maxima       print the cube's maxima instead: hit count, cell index, red,\n"
    "                 green, blue, brightness\n"
    "Bad arguments and unreadable pictures exit with status 2.\n";

enum class Variant { Flags, Bright, Dark };

struct Options {
    std::string path;
    CCColorFlags flags = 0;
    bool flagsGiven = false;
    std::optional<unsigned long> count;
    UIColorRef avoid;
    Variant variant = Variant::Flags;
    std::string variantName;
    bool maxima = false;
};

std::optional<int> parse(int argc, char** argv, Options& options) {
    bool havePath = false;
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
        auto chooseVariant = [&](Variant variant) -> std::optional<int> {
            if (options.variant != Variant::Flags)
                return reportUsageError(kProgram, options.variantName + " and " +
                                                      std::string(argument) +
                                                      " cannot be combined");
            options.variant = variant;
            options.variantName = argument;
            return std::nullopt;
        };

        if (argument == "--help" || argument == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (argument == "--flags") {
            const auto text = value();
            if (!text)
                return missing();
            const auto number = parseUnsigned(*text);
            if (!number || *number > kAllFlags)
                return bad("a sum of flags from 0 to 127", *text);
            options.flags = *number;
            options.flagsGiven = true;
        } else if (argument == "--count") {
            const auto text = value();
            if (!text)
                return missing();
            options.count = parseUnsigned(*text);
            if (!options.count)
                return bad("a whole number", *text);
        } else if (argument == "--avoid") {
            const auto text = value();
            if (!text)
                return missing();
            options.avoid = parseHexColor(*text, HexAlpha::Forbidden);
            if (!options.avoid)
                return bad("a colour #RRGGBB", *text);
        } else if (argument == "--bright") {
            if (auto stop = chooseVariant(Variant::Bright))
                return stop;
        } else if (argument == "--dark") {
            if (auto stop = chooseVariant(Variant::Dark))
                return stop;
        } else if (argument == "--maxima") {
            options.maxima = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return reportUsageError(kProgram, "unknown option " + quotedName(argument));
        } else if (havePath) {
            return reportUsageError(kProgram, "takes one picture, got " + quotedName(argument) +
                                                  " after " + quotedName(options.path));
        } else {
            options.path = argument;
            havePath = true;
        }
    }
    if (!havePath)
        return reportUsageError(kProgram, "needs a picture");
    if (options.variant != Variant::Flags && options.flagsGiven)
        return reportUsageError(kProgram, options.variantName + " cannot be combined with --flags");
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
