#include "apps/settings/SettingsKeyboard.h"

#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/preferences/PSTableCell.h"

#include <algorithm>

bool SettingsKeyboard::begin(const std::shared_ptr<PSListController>& list,
                             const std::shared_ptr<PSSpecifier>& row) {
    if (!list || !row || row->cellType() != PSCellType::EditText || !row->key())
        return false;
    if (isEditing())
        commit();
    auto cell = list->cellForSpecifier(row);
    if (!cell)
        return false;
    m_list = list;
    m_row = row;
    m_text = cell->valueText();
    show();
    return true;
}

void SettingsKeyboard::type(const std::string& text) {
    if (!isEditing())
        return;
    // Whole characters only, up to the limit; control characters are keys,
    // not text.
    std::size_t at = 0;
    while (at < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[at]);
        std::size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
        length = std::min(length, text.size() - at);
        if (m_text.size() + length > kMaximumLength)
            break;
        if (length > 1 || (lead >= 0x20 && lead != 0x7F))
            m_text.append(text, at, length);
        at += length;
    }
    show();
}

void SettingsKeyboard::deleteBackward() {
    if (!isEditing() || m_text.empty())
        return;
    // Back over continuation bytes to the start of the last character.
    std::size_t end = m_text.size() - 1;
    while (end > 0 && (static_cast<unsigned char>(m_text[end]) & 0xC0) == 0x80)
        --end;
    m_text.erase(end);
    show();
}

std::optional<std::string> SettingsKeyboard::commit() {
    if (!isEditing())
        return std::nullopt;
    auto list = m_list;
    auto row = m_row;
    std::string text = m_text;
    finish();
    return list->enterValue(row, text);
}

void SettingsKeyboard::cancel() {
    if (isEditing())
        finish();
}

void SettingsKeyboard::show() {
    if (auto cell = m_list->cellForSpecifier(m_row))
        cell->setEditingText(m_text);
}

void SettingsKeyboard::finish() {
    if (auto cell = m_list->cellForSpecifier(m_row))
        cell->setEditingText(std::nullopt);
    m_list.reset();
    m_row.reset();
    m_text.clear();
}
