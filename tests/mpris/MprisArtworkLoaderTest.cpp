#include "platform/mediaremote/mpris/MprisArtworkLoader.h"

#include "platform/graphics/CGBitmapContext.h"
#include "platform/graphics/CGContext.h"
#include "platform/graphics/CGImageIO.h"
#include "platform/uikit/UIColor.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class MprisArtworkLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_folder = std::filesystem::temp_directory_path() /
                   ("rotix-artwork-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(m_folder);
    }
    void TearDown() override {
        std::error_code error;
        std::filesystem::remove_all(m_folder, error);
    }

    std::string path(const std::string& name) const { return (m_folder / name).string(); }

    void writeBytes(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }

    std::string writeCover(const std::string& name) const {
        auto context = CGBitmapContextCreate(8, 8);
        CGContextSetFillColorWithColor(context, UIColor::colorWithRed(0.8, 0.2, 0.1, 1));
        CGContextFillRect(context, {{0, 0}, {8, 8}});
        EXPECT_TRUE(CGImageWritePNGToFile(CGBitmapContextCreateImage(context), path(name)));
        return path(name);
    }

    std::filesystem::path m_folder;
};

TEST(MprisArtworkURLs, FileURLsGiveTheirPath) {
    EXPECT_EQ(MprisArtworkLoader::pathFromFileURL("file:///music/cover.png"), "/music/cover.png");
    EXPECT_EQ(MprisArtworkLoader::pathFromFileURL("file://localhost/music/cover.png"),
              "/music/cover.png");
    EXPECT_EQ(MprisArtworkLoader::pathFromFileURL("FILE://LocalHost/a.png"), "/a.png");
    EXPECT_EQ(MprisArtworkLoader::pathFromFileURL("file:///My%20Music/caf%C3%A9.png"),
              "/My Music/caf\xC3\xA9.png");
    EXPECT_EQ(MprisArtworkLoader::pathFromFileURL("file:///a/b.png?size=large#top"), "/a/b.png");
}

TEST(MprisArtworkURLs, OtherSchemesAndHostsAreNotFetched) {
    for (const char* url :
         {"http://example.com/cover.png", "https://example.com/a.png", "data:image/png;base64,AA",
          "file://otherhost/cover.png", "file://localhostile/cover.png", "file:cover.png",
          "file://", "/music/cover.png", "", "fil"})
        EXPECT_FALSE(MprisArtworkLoader::pathFromFileURL(url)) << url;
}

TEST(MprisArtworkURLs, BrokenEscapesAndHiddenNulsAreRefused) {
    for (const char* url : {"file:///a%2", "file:///a%zz.png", "file:///a%00.png", "file:///a%"})
        EXPECT_FALSE(MprisArtworkLoader::pathFromFileURL(url)) << url;
}

TEST_F(MprisArtworkLoaderTest, APictureIsReadWhole) {
    std::string cover = writeCover("cover.png");
    CFData bytes = MprisArtworkLoader::load(cover);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), std::filesystem::file_size(cover));
}

TEST_F(MprisArtworkLoaderTest, MissingEmptyAndNonImageFilesGiveNothing) {
    EXPECT_FALSE(MprisArtworkLoader::load(path("missing.png")));
    writeBytes("empty.png", "");
    EXPECT_FALSE(MprisArtworkLoader::load(path("empty.png")));
    writeBytes("notes.png", "these are not the bytes of a picture");
    EXPECT_FALSE(MprisArtworkLoader::load(path("notes.png")));
    // A PNG signature with nothing after it.
    writeBytes("truncated.png", std::string("\x89PNG\r\n\x1a\n", 8));
    EXPECT_FALSE(MprisArtworkLoader::load(path("truncated.png")));
}

TEST_F(MprisArtworkLoaderTest, AFileOverSixteenMebibytesIsNotReadAtAll) {
    std::string cover = writeCover("huge.png");
    // Sparse: the size says more than 16 MiB without writing them.
    std::filesystem::resize_file(cover, MprisArtworkLoader::kMaximumBytes + 1);
    EXPECT_FALSE(MprisArtworkLoader::load(cover));
}

TEST_F(MprisArtworkLoaderTest, FoldersAndPipesAreNoPictures) {
    std::filesystem::create_directories(m_folder / "folder.png");
    EXPECT_FALSE(MprisArtworkLoader::load(path("folder.png")));
    // A named pipe with no writer would block a plain open for ever.
    ASSERT_EQ(mkfifo(path("pipe.png").c_str(), 0600), 0);
    EXPECT_FALSE(MprisArtworkLoader::load(path("pipe.png")));
}

} // namespace
