#include "apps/common/DeviceChoice.h"
#include "apps/common/DumpOutput.h"
#include "apps/common/PreferenceCommands.h"
#include "apps/common/QuotedName.h"
#include "apps/common/ScenarioFinger.h"
#include "apps/settings/SettingsFinger.h"
#include "apps/settings/SettingsHost.h"
#include "apps/settings/SettingsKeyboard.h"
#include "platform/corefoundation/CFPreferences.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/messageui/MFMailComposeViewController.h"
#include "platform/posix/ProcessSpawn.h"
#include "platform/preferences/PSListController.h"
#include "platform/preferences/PSRootController.h"
#include "platform/preferences/PSSpecifier.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIBarButtonItem.h"
#include "platform/uikit/UIDevice.h"
#include "platform/uikit/UINavigationItem.h"
#include "platform/uikit/UIScreen.h"

#include <cmath>
#include <iostream>
#include <set>

namespace {

std::optional<MFMailComposeResult> mailResultNamed(const std::string& name) {
    if (name == "cancelled")
        return MFMailComposeResultCancelled;
    if (name == "saved")
        return MFMailComposeResultSaved;
    if (name == "sent")
        return MFMailComposeResultSent;
    if (name == "failed")
        return MFMailComposeResultFailed;
    return std::nullopt;
}

} // namespace

void SettingsHost::registerCommands(Scenario& scenario) {
    using Line = Scenario::Line;
    using Result = std::optional<std::string>;
    NSRunLoop& loop = NSRunLoop::mainRunLoop();

    scenario.addCommand("device",
                        {"device NAME|WxH@S [phone|pad]", 1, 2, [this](const Line& line) -> Result {
                             if (m_booted)
                                 return "the device is chosen before the app starts";
                             std::string error;
                             auto profile = parseDeviceChoice(line.arguments, &error);
                             if (!profile)
                                 return error;
                             m_profile = *profile;
                             UIScreen::mainScreen()->setProfile(m_profile);
                             UIDevice::currentDevice()->setProfile(m_profile);
                             return std::nullopt;
                         }});

    scenario.addCommand("installed", {"installed [SCHEME...]", 0, 32, [](const Line& line) {
                                          std::set<std::string> schemes(std::begin(kBaseSchemes),
                                                                        std::end(kBaseSchemes));
                                          for (const auto& scheme : line.arguments)
                                              schemes.insert(scheme);
                                          UIApplication::sharedApplication()->setInstalledSchemes(
                                              std::move(schemes));
                                          return Result();
                                      }});

    scenario.addCommand("mail",
                        {"mail on|off", 1, 1, [](const Line& line) -> Result {
                             if (line.arguments[0] != "on" && line.arguments[0] != "off")
                                 return "mail is on or off";
                             MFMailComposeViewController::setCanSendMail(line.arguments[0] == "on");
                             return std::nullopt;
                         }});

    scenario.addCommand("spawn-redirect",
                        {"spawn-redirect PATH PROGRAM|off", 2, 2, [](const Line& line) {
                             ProcessSpawn::redirect(line.arguments[0], line.arguments[1] == "off"
                                                                           ? std::string()
                                                                           : line.arguments[1]);
                             return Result();
                         }});

    registerPreferenceCommands(scenario);

    scenario.addCommand("wait", {"wait SECONDS", 1, 1, [this, &loop](const Line& line) -> Result {
                                     auto seconds = parseScenarioDuration(line.arguments[0]);
                                     if (!seconds)
                                         return "bad duration " + quotedName(line.arguments[0]);
                                     boot();
                                     loop.runFor(*seconds);
                                     refreshWindow();
                                     return std::nullopt;
                                 }});

    scenario.addCommand(
        "open",
        {"open PANE-TITLE|CLASS", 1, 1, [this, &loop](const Line& line) -> Result {
             if (auto blocked = requireInteractive())
                 return blocked;
             const std::string& name = line.arguments[0];
             // A pane lower in the stack is gone back to.
             const auto& stack = m_root->controllers();
             for (size_t i = 0; i + 1 < stack.size(); ++i) {
                 if (stack[i]->navigationItem()->title() == name || stack[i]->className() == name) {
                     while (m_root->controllers().size() > i + 1)
                         m_root->popController();
                     loop.runUntilIdle();
                     refreshWindow();
                     return std::nullopt;
                 }
             }
             auto list = topList();
             for (const auto& specifier : list->specifiers()) {
                 bool opens = specifier->cellType() == PSCellType::Link ||
                              specifier->cellType() == PSCellType::LinkList;
                 if (opens && (specifier->name() == name || specifier->detail() == name)) {
                     if (!list->selectSpecifier(specifier))
                         return "the row " + quotedName(specifier->name()) + " opens nothing";
                     loop.runUntilIdle();
                     refreshWindow();
                     return std::nullopt;
                 }
             }
             return "no pane " + quotedName(name) + " to open from " +
                    list->navigationItem()->title();
         }});

    scenario.addCommand("back", {"back", 0, 0, [this, &loop](const Line&) -> Result {
                                     if (auto blocked = requireInteractive())
                                         return blocked;
                                     if (!m_root->popController())
                                         return "already at the first pane";
                                     loop.runUntilIdle();
                                     refreshWindow();
                                     return std::nullopt;
                                 }});

    scenario.addCommand(
        "set", {"set KEY VALUE", 2, 2, [this, &loop](const Line& line) -> Result {
                    if (auto blocked = requireInteractive())
                        return blocked;
                    auto list = topList();
                    auto specifier = list->specifierForKey(line.arguments[0]);
                    if (!specifier)
                        return "no row for " + quotedName(line.arguments[0]) + " on " +
                               list->navigationItem()->title();
                    // A refusal is the row's answer, shown under it; the run goes on.
                    if (auto refusal = list->enterValue(specifier, line.arguments[1]))
                        std::cerr << "settings: line " << line.number << ": the row "
                                  << quotedName(specifier->name()) << " refused: "
                                  << printableText(*refusal, kMaximumRefusalCharacters) << "\n";
                    loop.runUntilIdle();
                    refreshWindow();
                    return std::nullopt;
                }});

    scenario.addCommand(
        "press",
        {"press ROW-TITLE|BAR-BUTTON-TITLE", 1, 1, [this, &loop](const Line& line) -> Result {
             if (auto blocked = requireInteractive())
                 return blocked;
             auto list = topList();
             if (auto specifier = list->specifierNamed(line.arguments[0])) {
                 list->selectSpecifier(specifier);
             } else {
                 auto item = list->navigationItem()->rightBarButtonItem();
                 if (!item || item->title() != line.arguments[0])
                     return "no row or bar button " + quotedName(line.arguments[0]) + " on " +
                            list->navigationItem()->title();
                 m_root->pressRightBarButton();
             }
             loop.runUntilIdle();
             refreshWindow();
             return std::nullopt;
         }});

    // The finger, as on the glass: down, move and up, or a whole tap or drag.
    scenario.addCommand("down", {"down X Y", 2, 2, [this](const Line& line) -> Result {
                                     auto point = parseScenarioPoint(line, 0);
                                     if (!point)
                                         return "bad coordinates";
                                     boot();
                                     m_finger->down(*point);
                                     return std::nullopt;
                                 }});
    // Moving and lifting need a finger that is down.
    using Phase = void (SettingsFinger::*)(CGPoint);
    for (auto [name, phase] : {std::pair<std::string, Phase>{"move", &SettingsFinger::move},
                               std::pair<std::string, Phase>{"up", &SettingsFinger::up}}) {
        scenario.addCommand(
            name, {name + " X Y", 2, 2, [this, phase = phase](const Line& line) -> Result {
                       auto point = parseScenarioPoint(line, 0);
                       if (!point)
                           return "bad coordinates";
                       if (!m_finger->isDown())
                           return "no finger is down";
                       ((*m_finger).*phase)(*point);
                       return std::nullopt;
                   }});
    }
    // Taps and drags move the same finger as the window's mouse.
    ScenarioFinger finger{[this](CGPoint point) { m_finger->down(point); },
                          [this](CGPoint point) { m_finger->move(point); },
                          [this](CGPoint point) { m_finger->up(point); }};
    scenario.addCommand("tap", {"tap X Y", 2, 2, [this, finger, &loop](const Line& line) -> Result {
                                    auto point = parseScenarioPoint(line, 0);
                                    if (!point)
                                        return "bad coordinates";
                                    boot();
                                    finger.press(loop, *point, ScenarioFinger::kTapDuration);
                                    return std::nullopt;
                                }});
    scenario.addCommand("drag", {"drag X1 Y1 X2 Y2 SECONDS", 5, 5,
                                 [this, finger, &loop](const Line& line) -> Result {
                                     std::string error;
                                     auto drag = ScenarioDrag::parse(line, &error);
                                     if (!drag)
                                         return error;
                                     boot();
                                     finger.drag(loop, *drag);
                                     return std::nullopt;
                                 }});

    // Typing into the text row a tap chose.
    scenario.addCommand("type", {"type TEXT...", 1, 64, [this](const Line& line) -> Result {
                                     if (!m_keyboard->isEditing())
                                         return "no text row is being typed into; tap one first";
                                     std::string text;
                                     for (const auto& word : line.arguments)
                                         text += (text.empty() ? "" : " ") + word;
                                     m_keyboard->type(text);
                                     refreshWindow();
                                     return std::nullopt;
                                 }});
    scenario.addCommand(
        "key", {"key return|escape|backspace", 1, 1, [this, &loop](const Line& line) -> Result {
                    const std::string& key = line.arguments[0];
                    if (key != "return" && key != "escape" && key != "backspace")
                        return "the keys are return, escape and backspace";
                    if (!m_keyboard->isEditing())
                        return "no text row is being typed into; tap one first";
                    pressEditingKey(key);
                    loop.runUntilIdle();
                    refreshWindow();
                    return std::nullopt;
                }});

    scenario.addCommand("alert",
                        {"alert BUTTON-INDEX", 1, 1, [this, &loop](const Line& line) -> Result {
                             boot();
                             auto alert = UIAlertView::visibleAlert();
                             if (!alert)
                                 return "no alert is showing";
                             auto index = parseScenarioNumber(line.arguments[0]);
                             if (!index || *index != std::floor(*index) || *index < 0 ||
                                 *index >= static_cast<double>(alert->numberOfButtons()))
                                 return "the alert has buttons 0 to " +
                                        std::to_string(alert->numberOfButtons() - 1);
                             alert->clickButtonAtIndex(static_cast<long>(*index));
                             loop.runUntilIdle();
                             refreshWindow();
                             return std::nullopt;
                         }});

    scenario.addCommand("mail-result",
                        {"mail-result sent|saved|cancelled|failed", 1, 1,
                         [this, &loop](const Line& line) -> Result {
                             boot();
                             auto result = mailResultNamed(line.arguments[0]);
                             if (!result)
                                 return "the result is sent, saved, cancelled or failed";
                             auto top = topController();
                             auto composer =
                                 top ? std::dynamic_pointer_cast<MFMailComposeViewController>(
                                           top->presentedViewController())
                                     : nullptr;
                             if (!composer)
                                 return "no mail composer is showing";
                             composer->finishWithResult(*result);
                             loop.runUntilIdle();
                             refreshWindow();
                             return std::nullopt;
                         }});

    scenario.addCommand("snapshot",
                        {"snapshot FILE.png [full]", 1, 2, [this](const Line& line) -> Result {
                             bool full = line.arguments.size() == 2;
                             if (full && line.arguments[1] != "full")
                                 return "the second word can only be full";
                             if (!writeSnapshot(line.arguments[0], full))
                                 return "cannot write " + quotedName(line.arguments[0]);
                             return std::nullopt;
                         }});

    scenario.addCommand("dump", {"dump FILE.json|-", 1, 1, [this](const Line& line) -> Result {
                                     return writeDump(dump().serialize(), line.arguments[0]);
                                 }});
}
