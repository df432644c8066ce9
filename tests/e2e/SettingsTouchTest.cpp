// The Settings app under a finger: what the window's mouse does, driven by
// the scenario's touches and read back from the dumps.

#include "e2e/SettingsAppFixture.h"

#include <gtest/gtest.h>
#include <sstream>

#ifdef ROTIX_SETTINGS_PATH

namespace {

// A point of the screen, for a scenario line.
struct Spot {
    double x = 0;
    double y = 0;
};

std::string at(Spot spot) {
    std::ostringstream text;
    text << spot.x << " " << spot.y;
    return text.str();
}

class SettingsTouch : public SettingsApp {
protected:
    // A place on the row: across its width by the fraction, in its middle.
    static Spot on(const DumpNode& dump, const std::string& keyOrTitle, double across = 0.25) {
        std::optional<DumpNode> found = row(dump, keyOrTitle);
        EXPECT_TRUE(found.has_value()) << keyOrTitle;
        if (!found)
            return {};
        const DumpNode& frame = (*found)["frame"];
        return {frame[0].asNumber() + frame[2].asNumber() * across,
                frame[1].asNumber() + frame[3].asNumber() / 2};
    }
};

// The bar's buttons: back at the left, the right button at the right.
const Spot kBack{40, 42};
const Spot kRightButton{380, 42};

TEST_F(SettingsTouch, TapsOpenPanesFlipSwitchesAndGoBack) {
    DumpNode root = runAndDump("");
    Spot labels = on(root, "Labels");

    DumpNode opened = runAndDump("tap " + at(labels));
    ASSERT_EQ(opened["pane"]["title"].asString(), "Labels");
    // The switch flips wherever on its row the tap lands, and is written.
    Spot customHeight = on(opened, "titleb", 0.9);
    DumpNode flipped = runAndDump("tap " + at(labels) + "\ntap " + at(customHeight));
    EXPECT_TRUE((*row(flipped, "titleb"))["value"].asBool());
    ASSERT_TRUE(stored("titleb"));
    EXPECT_TRUE(stored("titleb")->isBooleanTrue());

    DumpNode back = runAndDump("tap " + at(labels) + "\ntap " + at(kBack));
    EXPECT_EQ(back["pane"]["title"].asString(), "Rotix");
    // A tap on the bar where no button is does nothing.
    DumpNode title = runAndDump("tap 207 42");
    EXPECT_EQ(title["pane"]["title"].asString(), "Rotix");
    EXPECT_TRUE(title["alert"].isNull());
}

TEST_F(SettingsTouch, TheRespringAlertIsAnsweredByItsButtons) {
    DumpNode asked = runAndDump(kSafe + "tap " + at(kRightButton));
    ASSERT_EQ(asked["alert"]["title"].asString(), "Respring");
    // While the alert is up, the rows under it take no tap.
    DumpNode root = runAndDump("");
    DumpNode covered =
        runAndDump(kSafe + "tap " + at(kRightButton) + "\ntap " + at(on(root, "Labels")));
    EXPECT_EQ(covered["pane"]["title"].asString(), "Rotix");
    EXPECT_FALSE(covered["alert"].isNull());

    // Two buttons side by side at the alert's foot: No, then Yes.
    const DumpNode& frame = asked["alert"]["frame"];
    double bottom = frame[1].asNumber() + frame[3].asNumber() - 10;
    Spot no{frame[0].asNumber() + frame[2].asNumber() / 4, bottom};
    Spot yes{frame[0].asNumber() + frame[2].asNumber() * 3 / 4, bottom};
    // Above the buttons, on the message, nothing happens.
    DumpNode message = runAndDump(kSafe + "tap " + at(kRightButton) + "\ntap " +
                                  at({no.x, frame[1].asNumber() + 20}));
    EXPECT_FALSE(message["alert"].isNull());

    DumpNode answeredNo = runAndDump(kSafe + "tap " + at(kRightButton) + "\ntap " + at(no));
    EXPECT_TRUE(answeredNo["alert"].isNull());
    EXPECT_EQ(answeredNo["spawned"].size(), 0u) << "No spawns nothing";
    DumpNode answeredYes = runAndDump(kSafe + "tap " + at(kRightButton) + "\ntap " + at(yes));
    EXPECT_TRUE(answeredYes["alert"].isNull());
    EXPECT_EQ(answeredYes["spawned"].size(), 1u) << "Yes resprings";
    // Down on one button and up on the other answers nothing.
    DumpNode slid = runAndDump(kSafe + "tap " + at(kRightButton) + "\ndown " + at(no) + "\nmove " +
                               at(yes) + "\nup " + at(yes));
    EXPECT_FALSE(slid["alert"].isNull());
}

TEST_F(SettingsTouch, AKnobFollowsTheFingerAndATrackDragScrolls) {
    DumpNode root = runAndDump("");
    std::string open = "tap " + at(on(root, "Labels")) + "\n";
    DumpNode labels = runAndDump(open);
    std::optional<DumpNode> size = row(labels, "titlefontv");
    ASSERT_TRUE(size.has_value());
    double low = (*size)["min"].asNumber(), high = (*size)["max"].asNumber();
    double start = (*size)["value"].asNumber();
    ASSERT_LT(low, high);

    const DumpNode& frame = (*size)["frame"];
    double y = frame[1].asNumber() + frame[3].asNumber() / 2;

    // Down on the track far from the knob (in the middle of the range), then
    // up the screen: the list scrolls and the value stays.
    DumpNode scrolled = runAndDump(open + "drag 300 " + std::to_string(y) + " 300 " +
                                   std::to_string(y - 150) + " 0.3");
    EXPECT_EQ((*row(scrolled, "titlefontv"))["value"].asNumber(), start);
    EXPECT_EQ(scrolled["pane"]["scrollOffset"].asNumber(), 150);
    // Rows move up with the list.
    EXPECT_EQ((*row(scrolled, "titlefontv"))["frame"][1].asNumber(), frame[1].asNumber() - 150);

    // Find the knob by trying along the row; a drag from it to the far right
    // sets the top of the range, in whole points.
    bool moved = false;
    for (double x = 60; x < 380 && !moved; x += 10) {
        DumpNode after = runAndDump(open + "drag " + std::to_string(x) + " " + std::to_string(y) +
                                    " 414 " + std::to_string(y) + " 0.2");
        double value = (*row(after, "titlefontv"))["value"].asNumber();
        if (value != start) {
            moved = true;
            EXPECT_EQ(value, high);
            ASSERT_TRUE(stored("titlefontv"));
            EXPECT_EQ(stored("titlefontv")->doubleValue(), high);
            EXPECT_EQ(after["pane"]["scrollOffset"].asNumber(), 0);
        }
    }
    EXPECT_TRUE(moved) << "no place on the row picked the knob up";
}

TEST_F(SettingsTouch, ScrollingStopsAtBothEndsAndADragIsNoTap) {
    DumpNode root = runAndDump("");
    std::string open = "tap " + at(on(root, "Labels")) + "\n";
    DumpNode labels = runAndDump(open);
    double content = labels["pane"]["contentHeight"].asNumber();
    double visible = 736 - 64;
    ASSERT_GT(content, visible);

    DumpNode pulledDown = runAndDump(open + "drag 200 300 200 600 0.2");
    EXPECT_EQ(pulledDown["pane"]["scrollOffset"].asNumber(), 0);
    DumpNode pushedUp = runAndDump(open + "drag 200 700 200 100 0.2\ndrag 200 700 200 100 0.2\n"
                                          "drag 200 700 200 100 0.2\ndrag 200 700 200 100 0.2");
    EXPECT_DOUBLE_EQ(pushedUp["pane"]["scrollOffset"].asNumber(), content - visible);

    // A drag that starts on a switch scrolls and does not flip it; neither
    // does a tap that wanders off before it lifts.
    Spot customSize = on(labels, "titlefont", 0.9);
    DumpNode dragged =
        runAndDump(open + "drag " + at(customSize) + " " + std::to_string(customSize.x) + " " +
                   std::to_string(customSize.y - 40) + " 0.2");
    EXPECT_FALSE((*row(dragged, "titlefont"))["value"].asBool());
    DumpNode wandered =
        runAndDump(open + "down " + at(customSize) + "\nmove " + std::to_string(customSize.x - 30) +
                   " " + std::to_string(customSize.y) + "\nup " +
                   std::to_string(customSize.x - 30) + " " + std::to_string(customSize.y));
    EXPECT_FALSE((*row(wandered, "titlefont"))["value"].asBool());
    EXPECT_FALSE(stored("titlefont"));
}

TEST_F(SettingsTouch, ATextRowTakesTypingUntilReturnEscapeOrAnotherTouch) {
    DumpNode root = runAndDump("");
    std::string open = "tap " + at(on(root, "Labels")) + "\n";
    DumpNode labels = runAndDump(open);
    std::string colour = "tap " + at(on(labels, "titleColor")) + "\n";

    // The tap begins with the row's value.
    DumpNode begun = runAndDump(open + colour);
    EXPECT_EQ(begun["pane"]["editing"]["key"].asString(), "titleColor");
    EXPECT_EQ(begun["pane"]["editing"]["text"].asString(), "#FFFFFF");

    std::string clear;
    for (int i = 0; i < 7; ++i)
        clear += "key backspace\n";
    DumpNode kept = runAndDump(open + colour + clear + "type #00ff00\nkey return");
    EXPECT_TRUE(kept["pane"]["editing"].isNull());
    EXPECT_EQ((*row(kept, "titleColor"))["value"].asString(), "#00FF00");
    ASSERT_TRUE(stored("titleColor"));
    EXPECT_EQ(*stored("titleColor")->string(), "#00FF00");

    // Escape gives the typing up; the value stays.
    DumpNode given = runAndDump(open + colour + clear + "type #123456\nkey escape");
    EXPECT_TRUE(given["pane"]["editing"].isNull());
    EXPECT_EQ(*stored("titleColor")->string(), "#00FF00");

    // A value the row refuses is not written; the row says why.
    DumpNode refused = runAndDump(open + colour + clear + "type blue\nkey return");
    EXPECT_EQ(*stored("titleColor")->string(), "#00FF00");
    EXPECT_NE((*row(refused, "titleColor"))["message"].asString().find("not a colour"),
              std::string::npos);

    // Touching another row keeps what was typed, then does what it does.
    Spot customSize = on(labels, "titlefont", 0.9);
    DumpNode touched = runAndDump(open + colour + clear + "type #0000FF\ntap " + at(customSize));
    EXPECT_TRUE(touched["pane"]["editing"].isNull());
    EXPECT_EQ(*stored("titleColor")->string(), "#0000FF");
    EXPECT_TRUE((*row(touched, "titlefont"))["value"].asBool());
}

TEST_F(SettingsTouch, TypingKeepsWholeCharactersWithinItsLimit) {
    DumpNode root = runAndDump("");
    std::string open = "tap " + at(on(root, "Labels")) + "\n";
    DumpNode labels = runAndDump(open);
    std::string height = "tap " + at(on(labels, "titley")) + "\n";

    // A character of two bytes goes with one backspace.
    DumpNode typed = runAndDump(open + height + "type 3\u00e9\nkey backspace");
    EXPECT_EQ(typed["pane"]["editing"]["text"].asString(), "3");
    // Far more than any setting: cut at the limit.
    std::string longLine = "type " + std::string(60, 'x');
    std::string lines;
    for (int i = 0; i < 30; ++i)
        lines += longLine + "\n";
    DumpNode capped = runAndDump(open + height + lines);
    EXPECT_EQ(capped["pane"]["editing"]["text"].asString().size(), 1024u);
    // A number row refuses words, and keeps its value.
    DumpNode refused = runAndDump(open + height + "type ten\nkey return");
    EXPECT_FALSE(stored("titley"));
    EXPECT_FALSE((*row(refused, "titley"))["message"].asString().empty());
    DumpNode taken = runAndDump(open + height + "type 300\nkey return");
    ASSERT_TRUE(stored("titley"));
    EXPECT_EQ(stored("titley")->doubleValue(), 300);

    // Keys without a row being typed into are mistakes.
    EXPECT_NE(host.run("type hello\n"), 0);
    EXPECT_NE(host.standardError().find("tap one first"), std::string::npos);
    EXPECT_NE(host.run("key return\n"), 0);
    EXPECT_NE(host.run(open + height + "key tab\n"), 0);
}

TEST_F(SettingsTouch, BadTouchesAreRefused) {
    EXPECT_NE(host.run("move 10 10\n"), 0);
    EXPECT_NE(host.standardError().find("no finger is down"), std::string::npos);
    EXPECT_NE(host.run("up 10 10\n"), 0);
    EXPECT_NE(host.run("tap ten 10\n"), 0);
    EXPECT_NE(host.standardError().find("bad coordinates"), std::string::npos);
    EXPECT_NE(host.run("tap nan 10\n"), 0);
    EXPECT_NE(host.run("drag 0 0 10 10 soon\n"), 0);
    // Far off the screen a tap reaches nothing and does no harm.
    DumpNode dump = runAndDump("tap -5000 99999\ntap 1e300 1e300");
    EXPECT_EQ(dump["pane"]["title"].asString(), "Rotix");
}

} // namespace

#endif
