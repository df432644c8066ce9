#pragma once

#include "platform/corefoundation/CFPropertyList.h"
#include "platform/objc/Runtime.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

// The kinds of row a specifier plist can ask for, by the names it uses in
// its "cell" key.
enum class PSCellType : long {
    Group,      // PSGroupCell: starts a group; "label" heads it, "footerText" follows it
    Link,       // PSLinkCell: opens the pane whose class "detail" names
    LinkList,   // PSLinkListCell: a choice among "validValues" titled "validTitles"
    ListItem,   // PSListItemCell: one choice of such a list
    Switch,     // PSSwitchCell: writes the boolean true or false
    Slider,     // PSSliderCell: a number between "min" and "max"
    EditText,   // PSEditTextCell: text, a number ("keyboard" numbers) or a colour
    Button,     // PSButtonCell: sends "action" to the pane
    StaticText, // PSStaticTextCell: text only
    TitleValue, // PSTitleValueCell: a stored value shown, not edited
};

std::optional<PSCellType> PSCellTypeFromString(const std::string& name);
const char* PSCellTypeName(PSCellType type);

// One row of a settings pane: its kind, its label and the properties its
// plist gave it. A row with a "key" reads and writes that preference in
// the domain "defaults" names, showing "default" while the key is absent.
class PSSpecifier : public NSObject {
public:
    static std::shared_ptr<PSSpecifier> create(PSCellType type, std::string name,
                                               CFDictionary properties = {});
    // A specifier from one item of a plist's "items"; nothing, with the
    // reason, for an item that is not a usable row.
    static std::shared_ptr<PSSpecifier> fromPlistItem(const CFPropertyList& item,
                                                      std::string* problem);

    PSCellType cellType() const { return m_type; }
    const std::string& name() const { return m_name; }
    const CFDictionary& properties() const { return m_properties; }
    const CFPropertyList* propertyForKey(const std::string& key) const;
    void setProperty(CFPropertyList value, const std::string& key);

    std::optional<std::string> stringProperty(const std::string& key) const;
    std::optional<double> numberProperty(const std::string& key) const;
    // A flag of the plist (showValue, isController...): true or a non-zero number.
    bool flagProperty(const std::string& key) const;

    // The preference the row stands for.
    std::optional<std::string> key() const { return stringProperty("key"); }
    std::optional<std::string> defaults() const { return stringProperty("defaults"); }
    const CFPropertyList* defaultValue() const { return propertyForKey("default"); }
    std::optional<std::string> postNotification() const {
        return stringProperty("PostNotification");
    }

    std::optional<std::string> footerText() const { return stringProperty("footerText"); }
    std::optional<std::string> detail() const { return stringProperty("detail"); }
    std::optional<SEL> action() const { return stringProperty("action"); }
    // A list row's choices, paired value with title; values without a title
    // show the value.
    std::vector<std::pair<CFPropertyList, std::string>> choices() const;

    // The object a button's action goes to, held weakly like a control's target.
    id target() const { return m_target.lock(); }
    void setTarget(const id& target) { m_target = target; }

    std::string_view className() const override { return "PSSpecifier"; }

protected:
    PSSpecifier(PSCellType type, std::string name, CFDictionary properties);

private:
    // More choices than a person can pick from are cut off.
    static constexpr size_t kMaximumChoices = 256;

    PSCellType m_type;
    std::string m_name;
    CFDictionary m_properties;
    WeakId m_target;
};
