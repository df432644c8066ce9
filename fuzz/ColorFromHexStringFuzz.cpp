// Colour settings are typed by a person and stored by another program, so the
// parser sees any bytes of any length. Beyond the sanitizers' checks, each
// colour must be opaque with components on the 1/255 grid, and plain ASCII
// text must scan as a straightforward reading of the scanner's rules does.

#include "platform/foundation/HexDigit.h"
#include "player/HexColorScanner.h"
#include "player/Rotix.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

std::shared_ptr<Rotix>& player() {
    static std::shared_ptr<Rotix> view = Rotix::create();
    return view;
}

bool onGrid(double component) {
    double level = component * 255.0;
    long rounded = std::lround(level);
    return rounded >= 0 && rounded <= 255 && component == static_cast<double>(rounded) / 255.0;
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

// The rules read literally, for text of one byte per character.
std::optional<std::uint32_t> referenceScan(std::string_view text) {
    if (text.empty())
        return std::nullopt;
    text.remove_prefix(1);
    while (!text.empty() && (text.front() == ' ' || (text.front() >= '\t' && text.front() <= '\r')))
        text.remove_prefix(1);
    bool found = false;
    if (!text.empty() && text.front() == '0') {
        found = true;
        text.remove_prefix(1);
        if (!text.empty() && (text.front() == 'x' || text.front() == 'X'))
            text.remove_prefix(1);
    }
    // Leading zeros never overflow; past eight significant digits it does.
    std::string significant;
    for (char c : text) {
        if (hexDigitValue(c) < 0)
            break;
        found = true;
        if (!significant.empty() || c != '0')
            significant.push_back(c);
    }
    if (!found)
        return std::nullopt;
    if (significant.size() > 8)
        return 0xFFFFFFFFu;
    std::uint32_t value = 0;
    for (char c : significant)
        value = value * 16 + static_cast<std::uint32_t>(hexDigitValue(c));
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);

    UIColor color = player()->colorFromHexString(text);
    if (color.alpha() != 1.0 || !onGrid(color.red()) || !onGrid(color.green()) ||
        !onGrid(color.blue()))
        std::abort();

    std::optional<std::uint32_t> scanned = scanHexIntAfterFirstCharacter(text);
    if (isAscii(text) && scanned != referenceScan(text))
        std::abort();
    std::uint32_t value = scanned.value_or(0);
    if (color.red() != ((value >> 16) & 0xFF) / 255.0 ||
        color.green() != ((value >> 8) & 0xFF) / 255.0 || color.blue() != (value & 0xFF) / 255.0)
        std::abort();
    return 0;
}
