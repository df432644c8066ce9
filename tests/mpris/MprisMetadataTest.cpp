#include "platform/mediaremote/mpris/MprisMetadata.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <string>
#include <vector>

namespace {

using VariantMap = MprisMetadata::VariantMap;

VariantMap normalTrack() {
    return {
        {"xesam:title", sdbus::Variant(std::string("Paper Lanterns"))},
        {"xesam:artist", sdbus::Variant(std::vector<std::string>{"The Quiet Harbour", "Guest"})},
        {"xesam:album", sdbus::Variant(std::string("Lights Over Water"))},
        {"mpris:length", sdbus::Variant(std::int64_t(214'000'000))},
        {"mpris:trackid", sdbus::Variant(sdbus::ObjectPath("/org/example/track/7"))},
        {"mpris:artUrl", sdbus::Variant(std::string("file:///music/cover.png"))},
        {"xesam:url", sdbus::Variant(std::string("file:///music/lanterns.flac"))},
    };
}

size_t characterCount(const std::string& text) {
    size_t count = 0;
    for (unsigned char byte : text)
        count += (byte & 0xC0) != 0x80;
    return count;
}

TEST(MprisMetadataReading, ReadsEveryFieldOfAWellFormedTrack) {
    auto metadata = MprisMetadata::fromVariantMap(normalTrack());
    EXPECT_EQ(metadata.title, "Paper Lanterns");
    EXPECT_EQ(metadata.artist, "The Quiet Harbour, Guest");
    EXPECT_EQ(metadata.album, "Lights Over Water");
    EXPECT_EQ(metadata.lengthMicroseconds, 214'000'000);
    EXPECT_DOUBLE_EQ(metadata.lengthSeconds(), 214.0);
    EXPECT_EQ(metadata.trackId, "/org/example/track/7");
    EXPECT_TRUE(metadata.trackIdIsObjectPath);
    EXPECT_TRUE(metadata.canSetPosition());
    EXPECT_EQ(metadata.artUrl, "file:///music/cover.png");
}

TEST(MprisMetadataReading, AcceptsASingleArtistStringAndSkipsEmptyNames) {
    auto single = MprisMetadata::fromVariantMap(
        {{"xesam:artist", sdbus::Variant(std::string("Mira Solberg"))}});
    EXPECT_EQ(single.artist, "Mira Solberg");
    auto withGaps = MprisMetadata::fromVariantMap(
        {{"xesam:artist", sdbus::Variant(std::vector<std::string>{"", "June", "", "Ossian"})}});
    EXPECT_EQ(withGaps.artist, "June, Ossian");
}

TEST(MprisMetadataReading, ValuesOfTheWrongTypeAreLeftOut) {
    auto metadata = MprisMetadata::fromVariantMap({
        {"xesam:title", sdbus::Variant(std::int32_t(7))},
        {"xesam:artist", sdbus::Variant(std::vector<std::int32_t>{1, 2})},
        {"xesam:album", sdbus::Variant(true)},
        {"mpris:length", sdbus::Variant(std::string("long"))},
        {"mpris:trackid", sdbus::Variant(std::int64_t(12))},
        {"mpris:artUrl", sdbus::Variant(std::vector<std::string>{"file:///a.png"})},
    });
    EXPECT_EQ(metadata, MprisMetadata{});
    EXPECT_FALSE(metadata.identity());
    // Sent all the same: each of them says the old value no longer holds.
    EXPECT_EQ(metadata.sentKeys, MprisMetadata::kTitle | MprisMetadata::kArtist |
                                     MprisMetadata::kAlbum | MprisMetadata::kLength |
                                     MprisMetadata::kTrackId | MprisMetadata::kArtUrl);
}

TEST(MprisMetadataReading, EmptyTextsAreAbsentSoTheViewShowsItsDefaults) {
    auto metadata = MprisMetadata::fromVariantMap({
        {"xesam:title", sdbus::Variant(std::string())},
        {"xesam:artist", sdbus::Variant(std::vector<std::string>{})},
        {"mpris:artUrl", sdbus::Variant(std::string())},
        {"mpris:trackid", sdbus::Variant(std::string())},
    });
    EXPECT_FALSE(metadata.title);
    EXPECT_FALSE(metadata.artist);
    EXPECT_FALSE(metadata.artUrl);
    EXPECT_FALSE(metadata.trackId);
}

TEST(MprisMetadataReading, LengthsInOtherNumberTypesAreReadButImpossibleOnesAreNot) {
    auto length = [](sdbus::Variant value) {
        return MprisMetadata::fromVariantMap({{"mpris:length", value}}).lengthMicroseconds;
    };
    EXPECT_EQ(length(sdbus::Variant(std::uint64_t(5'000'000))), 5'000'000);
    EXPECT_EQ(length(sdbus::Variant(std::int32_t(3'000'000))), 3'000'000);
    EXPECT_EQ(length(sdbus::Variant(std::uint32_t(2'000'000))), 2'000'000);
    EXPECT_EQ(length(sdbus::Variant(1.5e6)), 1'500'000);
    EXPECT_FALSE(length(sdbus::Variant(std::int64_t(0))));
    EXPECT_FALSE(length(sdbus::Variant(std::int64_t(-1))));
    EXPECT_FALSE(length(sdbus::Variant(0.5)));
    EXPECT_FALSE(length(sdbus::Variant(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_FALSE(length(sdbus::Variant(std::numeric_limits<double>::infinity())));
    EXPECT_FALSE(length(sdbus::Variant(std::numeric_limits<std::uint64_t>::max())));
    EXPECT_FALSE(length(sdbus::Variant(std::numeric_limits<std::int64_t>::max())));
}

TEST(MprisMetadataReading, ATrackIdSentAsAStringCannotBeHandedToSetPosition) {
    auto metadata = MprisMetadata::fromVariantMap(
        {{"mpris:trackid", sdbus::Variant(std::string("/looks/like/a/path"))}});
    EXPECT_EQ(metadata.trackId, "/looks/like/a/path");
    EXPECT_FALSE(metadata.trackIdIsObjectPath);
    EXPECT_FALSE(metadata.canSetPosition());
}

TEST(MprisMetadataReading, TheNoTrackPathNamesNoTrack) {
    auto metadata = MprisMetadata::fromVariantMap(
        {{"mpris:trackid",
          sdbus::Variant(sdbus::ObjectPath(std::string(MprisMetadata::kNoTrackPath)))},
         {"xesam:url", sdbus::Variant(std::string("file:///a.ogg"))}});
    EXPECT_FALSE(metadata.canSetPosition());
    // The URL still tells the track apart.
    EXPECT_EQ(metadata.identity(), "url:file:///a.ogg");
}

TEST(MprisMetadataBounds, ATenMegabyteTitleIsCutToTheDisplayLength) {
    auto metadata = MprisMetadata::fromVariantMap(
        {{"xesam:title", sdbus::Variant(std::string(10 * 1024 * 1024, 'x'))}});
    ASSERT_TRUE(metadata.title);
    EXPECT_EQ(metadata.title->size(), MprisMetadata::kMaximumDisplayCharacters);
}

TEST(MprisMetadataBounds, CuttingCountsCharactersAndNeverSplitsOne) {
    std::string accented;
    for (int i = 0; i < 2000; ++i)
        accented += "\xC3\xA9"; // é, two bytes
    std::string cut = MprisMetadata::cutForDisplay(accented);
    EXPECT_EQ(characterCount(cut), MprisMetadata::kMaximumDisplayCharacters);
    EXPECT_EQ(cut.size(), 2 * MprisMetadata::kMaximumDisplayCharacters);
    // Four-byte characters after one ASCII byte: the cut still lands between.
    std::string emoji = "a";
    for (int i = 0; i < 1100; ++i)
        emoji += "\xF0\x9F\x8E\xB5";
    cut = MprisMetadata::cutForDisplay(emoji);
    EXPECT_EQ(characterCount(cut), MprisMetadata::kMaximumDisplayCharacters);
    EXPECT_EQ(cut.size(), 1 + 4 * (MprisMetadata::kMaximumDisplayCharacters - 1));
    // Exactly at the limit nothing is cut.
    std::string exact(MprisMetadata::kMaximumDisplayCharacters, 'y');
    EXPECT_EQ(MprisMetadata::cutForDisplay(exact), exact);
}

TEST(MprisMetadataBounds, AHundredThousandArtistsJoinOnlyAsFarAsTheDisplayLength) {
    std::vector<std::string> artists(100'000, "Artist");
    auto metadata =
        MprisMetadata::fromVariantMap({{"xesam:artist", sdbus::Variant(std::move(artists))}});
    ASSERT_TRUE(metadata.artist);
    EXPECT_EQ(metadata.artist->size(), MprisMetadata::kMaximumDisplayCharacters);
    EXPECT_EQ(metadata.artist->substr(0, 16), "Artist, Artist, ");
}

TEST(MprisMetadataBounds, OverlongReferencesAreDroppedRatherThanCut) {
    std::string url = "file:///" + std::string(MprisMetadata::kMaximumReferenceLength, 'a');
    auto metadata = MprisMetadata::fromVariantMap({
        {"mpris:artUrl", sdbus::Variant(url)},
        {"mpris:trackid", sdbus::Variant(sdbus::ObjectPath("/" + std::string(20000, 'a')))},
    });
    EXPECT_FALSE(metadata.artUrl);
    EXPECT_FALSE(metadata.trackId);
}

TEST(MprisMetadataMerging, APieceForTheSameTrackFillsIn) {
    // A player that sends the file name first and the tags a moment later.
    auto first = MprisMetadata::fromVariantMap({
        {"mpris:trackid", sdbus::Variant(sdbus::ObjectPath("/t/1"))},
        {"xesam:title", sdbus::Variant(std::string("lanterns.flac"))},
        {"mpris:artUrl", sdbus::Variant(std::string("file:///cover.png"))},
    });
    auto tags = MprisMetadata::fromVariantMap({
        {"mpris:trackid", sdbus::Variant(sdbus::ObjectPath("/t/1"))},
        {"xesam:title", sdbus::Variant(std::string("Paper Lanterns"))},
        {"xesam:artist", sdbus::Variant(std::string("The Quiet Harbour"))},
    });
    auto merged = first.mergedWith(tags);
    EXPECT_EQ(merged.title, "Paper Lanterns");
    EXPECT_EQ(merged.artist, "The Quiet Harbour");
    EXPECT_EQ(merged.artUrl, "file:///cover.png");
    EXPECT_TRUE(merged.isSameTrack(first));
}

TEST(MprisMetadataMerging, APieceWithoutATrackFillsInOverWhatIsKnown) {
    auto known = MprisMetadata::fromVariantMap(normalTrack());
    auto artOnly = MprisMetadata::fromVariantMap(
        {{"mpris:artUrl", sdbus::Variant(std::string("file:///other.png"))}});
    auto merged = known.mergedWith(artOnly);
    EXPECT_EQ(merged.artUrl, "file:///other.png");
    EXPECT_EQ(merged.title, "Paper Lanterns");
    EXPECT_EQ(merged.trackId, known.trackId);
}

TEST(MprisMetadataMerging, AKeySentWithAnUnusableValueClearsWhatItHeld) {
    auto known = MprisMetadata::fromVariantMap(normalTrack());
    auto broken = MprisMetadata::fromVariantMap({
        {"xesam:title", sdbus::Variant(std::int32_t(7))},
        {"xesam:artist", sdbus::Variant(std::string())},
        {"mpris:trackid", sdbus::Variant(std::int64_t(1))},
    });
    auto merged = known.mergedWith(broken);
    EXPECT_FALSE(merged.title);
    EXPECT_FALSE(merged.artist);
    EXPECT_FALSE(merged.trackId);
    EXPECT_FALSE(merged.canSetPosition());
    // What the piece did not mention stays.
    EXPECT_EQ(merged.album, "Lights Over Water");
    EXPECT_EQ(merged.lengthMicroseconds, 214'000'000);
}

TEST(MprisMetadataMerging, AnotherTrackReplacesEverythingNothingLingers) {
    auto known = MprisMetadata::fromVariantMap(normalTrack());
    auto next = MprisMetadata::fromVariantMap({
        {"mpris:trackid", sdbus::Variant(sdbus::ObjectPath("/org/example/track/8"))},
        {"xesam:title", sdbus::Variant(std::string("Tidal Clockwork"))},
    });
    auto merged = known.mergedWith(next);
    EXPECT_EQ(merged.title, "Tidal Clockwork");
    EXPECT_FALSE(merged.artist);
    EXPECT_FALSE(merged.artUrl);
    EXPECT_FALSE(merged.lengthMicroseconds);
    EXPECT_FALSE(merged.isSameTrack(known));
}

TEST(MprisMetadataMerging, AStringTrackIdReplacingAPathKeepsItsKind) {
    auto known = MprisMetadata::fromVariantMap(normalTrack());
    auto sameTrackAsString = MprisMetadata::fromVariantMap(
        {{"mpris:trackid", sdbus::Variant(std::string("/org/example/track/7"))}});
    auto merged = known.mergedWith(sameTrackAsString);
    EXPECT_EQ(merged.title, "Paper Lanterns");
    EXPECT_FALSE(merged.trackIdIsObjectPath);
}

TEST(MprisMetadataMerging, WithoutIdsTracksAreToldApartByWhatTheyShow) {
    MprisMetadata a;
    a.title = "One";
    MprisMetadata b = a;
    EXPECT_TRUE(a.isSameTrack(b));
    b.title = "Two";
    EXPECT_FALSE(a.isSameTrack(b));
    MprisMetadata withId = a;
    withId.trackId = "/t/1";
    withId.trackIdIsObjectPath = true;
    EXPECT_FALSE(a.isSameTrack(withId));
}

} // namespace
