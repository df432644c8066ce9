#include "platform/render/DumpJson.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double kLargestWrittenWhole = 1e15;

// Geometry and times are doubles even when whole; a frame reads [0,0,414,736]
// rather than [0.0,0.0,414.0,736.0]. Counts too large to read at a glance (an
// unlimited number of touches) keep their short exponent form, and what JSON
// cannot hold becomes null.
void storeWholeNumbersAsIntegers(Json& value) {
    if (value.is_number_integer()) {
        if (std::fabs(value.get<double>()) >= kLargestWrittenWhole)
            value = value.get<double>();
        return;
    }
    if (value.is_number_float()) {
        double number = value.get<double>();
        if (!std::isfinite(number))
            value = nullptr;
        else if (number == std::floor(number) && std::fabs(number) < kLargestWrittenWhole)
            value = static_cast<std::int64_t>(number);
        return;
    }
    if (value.is_structured()) {
        for (auto& element : value)
            storeWholeNumbersAsIntegers(element);
    }
}

} // namespace

std::string serializeDump(Json dump, int indent) {
    storeWholeNumbersAsIntegers(dump);
    return dump.dump(indent > 0 ? indent : -1, ' ', false, Json::error_handler_t::replace) + "\n";
}
