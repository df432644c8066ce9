#include "platform/preferences/PSListItemsController.h"

#include "platform/preferences/PSRowInput.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"
#include "platform/uikit/UINavigationItem.h"

PSListItemsController::PSListItemsController(const std::shared_ptr<PSListController>& owner,
                                             std::shared_ptr<PSSpecifier> listSpecifier)
    : m_owner(owner), m_list(std::move(listSpecifier)) {}

std::shared_ptr<PSListItemsController>
PSListItemsController::create(const std::shared_ptr<PSListController>& owner,
                              const std::shared_ptr<PSSpecifier>& listSpecifier) {
    auto controller = makeObject<PSListItemsController>(owner, listSpecifier);
    controller->navigationItem()->setTitle(listSpecifier ? listSpecifier->name() : "");
    return controller;
}

std::vector<std::shared_ptr<PSSpecifier>> PSListItemsController::specifiers() {
    if (_specifiers.empty() && m_list) {
        CFDictionary groupProperties;
        if (auto footer = m_list->footerText())
            groupProperties.emplace("footerText", *footer);
        _specifiers.push_back(PSSpecifier::create(PSCellType::Group, "", groupProperties));
        for (const auto& [value, title] : m_list->choices()) {
            CFDictionary properties;
            properties.emplace("value", value);
            _specifiers.push_back(PSSpecifier::create(PSCellType::ListItem, title, properties));
        }
    }
    return _specifiers;
}

void PSListItemsController::configureCell(PSTableCell& cell) {
    auto owner = m_owner.lock();
    const CFPropertyList* value = cell.specifier()->propertyForKey("value");
    if (!owner || !value || !m_list)
        return;
    auto listCell = owner->cellForSpecifier(m_list);
    auto shown = listCell ? listCell->shownValue()
                          : PSRowInput::shownValue(*m_list, owner->readPreferenceValue(m_list));
    bool checked = shown && (*shown == *value || (shown->isNumber() && value->isNumber() &&
                                                  shown->doubleValue() == value->doubleValue()));
    if (cell.isChecked() != checked)
        cell.setChecked(checked);
}

bool PSListItemsController::selectSpecifier(const std::shared_ptr<PSSpecifier>& specifier) {
    auto owner = m_owner.lock();
    if (!owner || !specifier || specifier->cellType() != PSCellType::ListItem)
        return PSListController::selectSpecifier(specifier);
    if (owner->enterValue(m_list, specifier->name()))
        return false;
    reload();
    return true;
}
