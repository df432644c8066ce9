#pragma once

#include <memory>
#include <optional>
#include <string>

class PSListController;
class PSSpecifier;

// Typing into a text row of the Settings app, as the phone's keyboard does.
// A tap on the row begins with its value; Return keeps what was typed (a row
// that refuses it says why under it and keeps its value), Escape gives it
// up, and a touch anywhere else keeps it too.
class SettingsKeyboard {
public:
    // Longer input is not taken: no setting is this long.
    static constexpr std::size_t kMaximumLength = 1024;

    // Starts typing into the list's text row, ending any typing before.
    // False for a row that takes no text.
    bool begin(const std::shared_ptr<PSListController>& list,
               const std::shared_ptr<PSSpecifier>& row);
    bool isEditing() const { return m_row != nullptr; }
    const std::string& text() const { return m_text; }
    const std::shared_ptr<PSSpecifier>& row() const { return m_row; }

    void type(const std::string& text);
    // Takes off the last character (not just its last byte).
    void deleteBackward();
    // Enters the text into the row; answers the row's refusal, if any.
    std::optional<std::string> commit();
    void cancel();

private:
    void show();
    void finish();

    std::shared_ptr<PSListController> m_list;
    std::shared_ptr<PSSpecifier> m_row;
    std::string m_text;
};
