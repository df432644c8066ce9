#include "platform/preferences/PSSpecifier.h"

#include <cmath>

namespace {

struct CellName {
    const char* name;
    PSCellType type;
};

constexpr CellName kCellNames[] = {
    {"PSGroupCell", PSCellType::Group},           {"PSLinkCell", PSCellType::Link},
    {"PSLinkListCell", PSCellType::LinkList},     {"PSListItemCell", PSCellType::ListItem},
    {"PSSwitchCell", PSCellType::Switch},         {"PSSliderCell", PSCellType::Slider},
    {"PSEditTextCell", PSCellType::EditText},     {"PSButtonCell", PSCellType::Button},
    {"PSStaticTextCell", PSCellType::StaticText}, {"PSTitleValueCell", PSCellType::TitleValue},
};

// Text that is a plist's value shows as a choice's title.
std::string describe(const CFPropertyList& value) {
    if (const std::string* text = value.string())
        return *text;
    if (value.isBoolean())
        return value.boolValue() ? "YES" : "NO";
    if (value.isNumber()) {
        double number = value.doubleValue();
        if (number == std::floor(number) && std::fabs(number) < 1e15)
            return std::to_string(static_cast<long long>(number));
        return std::to_string(number);
    }
    return "";
}

} // namespace

std::optional<PSCellType> PSCellTypeFromString(const std::string& name) {
    for (const auto& cell : kCellNames) {
        if (name == cell.name)
            return cell.type;
    }
    return std::nullopt;
}

const char* PSCellTypeName(PSCellType type) {
    for (const auto& cell : kCellNames) {
        if (cell.type == type)
            return cell.name;
    }
    return "PSStaticTextCell";
}

PSSpecifier::PSSpecifier(PSCellType type, std::string name, CFDictionary properties)
    : m_type(type), m_name(std::move(name)), m_properties(std::move(properties)) {}

std::shared_ptr<PSSpecifier> PSSpecifier::create(PSCellType type, std::string name,
                                                 CFDictionary properties) {
    return makeObject<PSSpecifier>(type, std::move(name), std::move(properties));
}

std::shared_ptr<PSSpecifier> PSSpecifier::fromPlistItem(const CFPropertyList& item,
                                                        std::string* problem) {
    auto fail = [&](std::string reason) -> std::shared_ptr<PSSpecifier> {
        if (problem)
            *problem = std::move(reason);
        return nullptr;
    };
    const CFDictionary* dictionary = item.dictionary();
    if (!dictionary)
        return fail("an item that is not a dictionary");
    const CFPropertyList* cell = CFDictionaryGetValue(dictionary, "cell");
    if (!cell || !cell->string())
        return fail("an item without a cell kind");
    auto type = PSCellTypeFromString(*cell->string());
    if (!type)
        return fail("an item of unknown kind \"" + *cell->string() + "\"");
    const CFPropertyList* label = CFDictionaryGetValue(dictionary, "label");
    std::string name = label && label->string() ? *label->string() : "";
    return create(*type, std::move(name), *dictionary);
}

const CFPropertyList* PSSpecifier::propertyForKey(const std::string& key) const {
    return CFDictionaryGetValue(&m_properties, key);
}

void PSSpecifier::setProperty(CFPropertyList value, const std::string& key) {
    m_properties.insert_or_assign(key, std::move(value));
}

std::optional<std::string> PSSpecifier::stringProperty(const std::string& key) const {
    const CFPropertyList* value = propertyForKey(key);
    if (!value || !value->string())
        return std::nullopt;
    return *value->string();
}

std::optional<double> PSSpecifier::numberProperty(const std::string& key) const {
    const CFPropertyList* value = propertyForKey(key);
    if (!value || !(value->isNumber() || value->string()))
        return std::nullopt;
    double number = value->doubleValue();
    if (!std::isfinite(number))
        return std::nullopt;
    return number;
}

bool PSSpecifier::flagProperty(const std::string& key) const {
    const CFPropertyList* value = propertyForKey(key);
    return value && (value->isBoolean() || value->isNumber()) && value->boolValue();
}

std::vector<std::pair<CFPropertyList, std::string>> PSSpecifier::choices() const {
    std::vector<std::pair<CFPropertyList, std::string>> result;
    const CFPropertyList* values = propertyForKey("validValues");
    const CFPropertyList* titles = propertyForKey("validTitles");
    if (!values || !values->array())
        return result;
    const CFArray* titleList = titles ? titles->array() : nullptr;
    for (size_t i = 0; i < values->array()->size() && i < kMaximumChoices; ++i) {
        const CFPropertyList& value = (*values->array())[i];
        std::string title = describe(value);
        if (titleList && i < titleList->size() && (*titleList)[i].string())
            title = *(*titleList)[i].string();
        result.emplace_back(value, std::move(title));
    }
    return result;
}
