#include "platform/mediaremote/mpris/MprisPlayerChoice.h"

#include <gtest/gtest.h>

namespace {

TEST(MprisPlayerChoice, NothingToChooseFrom) {
    EXPECT_FALSE(MprisPlayerChoice::choose({}));
}

TEST(MprisPlayerChoice, ThePlayingOneWinsOverOneActiveMoreRecently) {
    EXPECT_EQ(MprisPlayerChoice::choose({{"org.mpris.MediaPlayer2.a", true, 10},
                                         {"org.mpris.MediaPlayer2.b", false, 50}}),
              "org.mpris.MediaPlayer2.a");
}

TEST(MprisPlayerChoice, OfSeveralPlayingTheOneThatStartedLastWins) {
    EXPECT_EQ(MprisPlayerChoice::choose({{"org.mpris.MediaPlayer2.a", true, 30},
                                         {"org.mpris.MediaPlayer2.b", true, 20},
                                         {"org.mpris.MediaPlayer2.c", false, 90}}),
              "org.mpris.MediaPlayer2.a");
}

TEST(MprisPlayerChoice, WithNonePlayingTheMostRecentlyActiveWins) {
    EXPECT_EQ(MprisPlayerChoice::choose({{"org.mpris.MediaPlayer2.a", false, 10},
                                         {"org.mpris.MediaPlayer2.b", false, 40},
                                         {"org.mpris.MediaPlayer2.c", false, 20}}),
              "org.mpris.MediaPlayer2.b");
}

TEST(MprisPlayerChoice, TiesGoToTheFirstNameWhateverTheOrderGiven) {
    EXPECT_EQ(MprisPlayerChoice::choose(
                  {{"org.mpris.MediaPlayer2.z", false, 5}, {"org.mpris.MediaPlayer2.m", false, 5}}),
              "org.mpris.MediaPlayer2.m");
    EXPECT_EQ(MprisPlayerChoice::choose(
                  {{"org.mpris.MediaPlayer2.m", false, 5}, {"org.mpris.MediaPlayer2.z", false, 5}}),
              "org.mpris.MediaPlayer2.m");
}

} // namespace
