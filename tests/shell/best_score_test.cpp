// The best score kept in data/hiscore.dat between runs.
#include "shell/best_score.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "headless/harness.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "world/world.h"

namespace {

using test_support::Bytes;
using test_support::read_bytes;
using test_support::write_bytes;
namespace fs = std::filesystem;

// Each test works in a fresh empty directory.
class BestScoreFile : public ::testing::Test {
  protected:
    int load_from(const Bytes& bytes) {
        fs::create_directory("data");
        write_bytes("data/hiscore.dat", bytes);
        return load_best_score();
    }
    std::string save(int best) {
        testing::internal::CaptureStderr();
        save_best_score(best);
        return testing::internal::GetCapturedStderr();
    }

    test_support::ScratchDir scratch_;
};

TEST_F(BestScoreFile, FirstRunReadsZeroAndExitCreatesTheFourByteFile) {
    EXPECT_EQ(load_best_score(), 0);
    EXPECT_EQ(save(12345), "");  // data/ is made when missing
    EXPECT_EQ(read_bytes("data/hiscore.dat"), (Bytes{0x39, 0x30, 0x00, 0x00}));
    EXPECT_FALSE(fs::exists("data/hiscore.dat.tmp"));
    EXPECT_EQ(load_best_score(), 12345);
}

TEST_F(BestScoreFile, ShortLongAndNegativeFilesAreReadAsTheDesignedIntegers) {
    EXPECT_EQ(load_from({0x39, 0x30, 0x00, 0x00}), 12345);
    EXPECT_EQ(load_from({}), 0);
    EXPECT_EQ(load_from({0x39}), 0x39);
    EXPECT_EQ(load_from({0x39, 0x30, 0x01}), 0x013039);
    EXPECT_EQ(load_from({0xFB, 0xFF, 0xFF, 0xFF}), -5);
    EXPECT_EQ(load_from({0x39, 0x30, 0x00, 0x00, 0x12, 0x34, 0x56}), 12345);
    // The trailing bytes of a long file are gone at the next save; a negative
    // best is stored as it is.
    EXPECT_EQ(save(-5), "");
    EXPECT_EQ(read_bytes("data/hiscore.dat"), (Bytes{0xFB, 0xFF, 0xFF, 0xFF}));
}

TEST_F(BestScoreFile, ADirectoryInThePlaceOfTheFileReadsZeroAndIsLeftAlone) {
    fs::create_directories("data/hiscore.dat");
    write_bytes("data/hiscore.dat/keep", {7});
    EXPECT_EQ(load_best_score(), 0);
    const std::string said = save(300);
    EXPECT_EQ(said,
              "could not save the best score to data/hiscore.dat: a directory is in its place\n");
    EXPECT_TRUE(fs::is_directory("data/hiscore.dat"));
    EXPECT_EQ(read_bytes("data/hiscore.dat/keep"), Bytes{7});
    EXPECT_FALSE(fs::exists("data/hiscore.dat.tmp"));
}

TEST_F(BestScoreFile, AFailedSaveKeepsTheOldFileAndSaysSoInOneLine) {
    fs::create_directory("data");
    write_bytes("data/hiscore.dat", {0x10, 0x27, 0x00, 0x00});  // 10000
    const bool root = ::geteuid() == 0;
    if (root) {
        // Permissions do not stop root: block the temporary file instead.
        fs::create_directory("data/hiscore.dat.tmp");
    } else {
        ::chmod("data", 0555);
    }
    const std::string said = save(20000);
    if (!root) ::chmod("data", 0755);

    EXPECT_EQ(said.rfind("could not save the best score to data/hiscore.dat: ", 0), 0u) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    EXPECT_EQ(read_bytes("data/hiscore.dat"), (Bytes{0x10, 0x27, 0x00, 0x00}));
    // Root's blocking directory is not ours to remove; our own temporary file is gone.
    EXPECT_EQ(fs::is_directory("data/hiscore.dat.tmp"), root);
    if (!root) {
        EXPECT_FALSE(fs::exists("data/hiscore.dat.tmp"));
    }
}

TEST_F(BestScoreFile, AFileWhereTheDataDirectoryShouldBeIsAFailureNotACrash) {
    write_bytes("data", {1, 2, 3});
    EXPECT_EQ(load_best_score(), 0);
    const std::string said = save(5);
    EXPECT_EQ(said.rfind("could not save the best score to data/hiscore.dat: ", 0), 0u) << said;
    EXPECT_EQ(read_bytes("data"), (Bytes{1, 2, 3}));
}

TEST_F(BestScoreFile, ALeftoverTemporaryFileFromACrashIsReplaced) {
    fs::create_directory("data");
    write_bytes("data/hiscore.dat.tmp", Bytes(10, 0xEE));
    write_bytes("data/hiscore.dat", {1, 0, 0, 0});
    EXPECT_EQ(save(2), "");
    EXPECT_EQ(read_bytes("data/hiscore.dat"), (Bytes{2, 0, 0, 0}));
    EXPECT_FALSE(fs::exists("data/hiscore.dat.tmp"));
}

// Whole runs of the real game through the harness: a best reached during one
// run is saved on its exit and shown by the next.
TEST(BestScoreAcrossRuns, TheBestScoreSurvivesFromOneRunToTheNext) {
    const test_support::GameWorkingDir dir;
    harness::Options options;
    options.seed = 7;
    options.frames = 400;
    // A best reached during the run (set in the title menu here) is saved on exit.
    ASSERT_EQ(harness::run(options,
                           [](const harness::FlipInfo& info) {
                               if (info.flip == 350) info.world->player.best_score = 4321;
                           }),
              0);
    EXPECT_EQ(read_bytes("data/hiscore.dat"), (std::vector<unsigned char>{0xE1, 0x10, 0x00, 0x00}));

    int best_seen = -1;
    options.frames = 5;
    ASSERT_EQ(harness::run(options,
                           [&](const harness::FlipInfo& info) {
                               if (info.flip == 1) best_seen = info.world->player.best_score;
                           }),
              0);
    EXPECT_EQ(best_seen, 4321);
    EXPECT_EQ(read_bytes("data/hiscore.dat"), (std::vector<unsigned char>{0xE1, 0x10, 0x00, 0x00}));
}

}  // namespace
