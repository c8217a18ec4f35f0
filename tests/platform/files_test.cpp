// The file services: kinds of path, little-endian integers, safe replacement.
#include "services/files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "support/files.h"
#include "support/scratch_dir.h"

namespace {

using test_support::Bytes;
using test_support::read_bytes;
using test_support::write_bytes;

// Each test works in a fresh empty directory.
class Files : public ::testing::Test {
  protected:
    std::int32_t read_first_int(const Bytes& bytes) {
        write_bytes("value.dat", bytes);
        svc::StreamRef stream = svc::open_read("value.dat");
        EXPECT_TRUE(stream);
        if (!stream) return -1;
        const std::int32_t value = svc::read_int(*stream);
        EXPECT_TRUE(svc::close_stream(std::move(stream)));
        return value;
    }

    test_support::ScratchDir scratch_;
};

TEST_F(Files, FileTypeTellsNothingFileAndDirectory) {
    EXPECT_EQ(svc::file_type("absent"), svc::FileType::kNothing);
    write_bytes("plain", {1});
    EXPECT_EQ(svc::file_type("plain"), svc::FileType::kFile);
    std::filesystem::create_directory("folder");
    EXPECT_EQ(svc::file_type("folder"), svc::FileType::kDirectory);
    EXPECT_EQ(svc::file_type("folder/"), svc::FileType::kDirectory);
    ASSERT_EQ(::mkfifo("pipe", 0600), 0);
    EXPECT_EQ(svc::file_type("pipe"), svc::FileType::kNothing);  // something else counts as nothing
    EXPECT_EQ(svc::file_type(""), svc::FileType::kNothing);
}

TEST_F(Files, ReadIntIsLittleEndianAndFillsMissingBytesWithZero) {
    EXPECT_EQ(read_first_int({0x39, 0x30, 0x00, 0x00}), 12345);
    EXPECT_EQ(read_first_int({}), 0);
    EXPECT_EQ(read_first_int({0x39}), 0x39);
    EXPECT_EQ(read_first_int({0x39, 0x30}), 12345);
    EXPECT_EQ(read_first_int({0x01, 0x02, 0x03}), 0x030201);
    EXPECT_EQ(read_first_int({0x39, 0x30, 0x00, 0x00, 0xFF, 0xFF}), 12345);
    EXPECT_EQ(read_first_int({0xFF, 0xFF, 0xFF, 0xFF}), -1);
    EXPECT_EQ(read_first_int({0x00, 0x00, 0x00, 0x80}), INT32_MIN);
    EXPECT_EQ(read_first_int({0xFF, 0xFF, 0xFF, 0x7F}), INT32_MAX);

    // Reading on past the end keeps giving the bytes present, then zeros.
    write_bytes("two.dat", {1, 0, 0, 0, 2, 0});
    auto stream = svc::open_read("two.dat");
    ASSERT_TRUE(stream);
    EXPECT_EQ(svc::read_int(*stream), 1);
    EXPECT_EQ(svc::read_int(*stream), 2);
    EXPECT_EQ(svc::read_int(*stream), 0);
}

TEST_F(Files, WriteIntWritesExactlyFourLittleEndianBytes) {
    auto stream = svc::open_write("out.dat");
    ASSERT_TRUE(stream);
    EXPECT_TRUE(svc::write_int(*stream, 12345));
    EXPECT_TRUE(svc::write_int(*stream, -2));
    EXPECT_TRUE(svc::close_stream(std::move(stream)));
    EXPECT_EQ(read_bytes("out.dat"), (Bytes{0x39, 0x30, 0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF}));

    // Opening for writing truncates what was there.
    write_bytes("long.dat", Bytes(40, 0xAA));
    stream = svc::open_write("long.dat");
    ASSERT_TRUE(stream);
    EXPECT_TRUE(svc::write_int(*stream, INT32_MIN));
    EXPECT_TRUE(svc::close_stream(std::move(stream)));
    EXPECT_EQ(read_bytes("long.dat"), (Bytes{0x00, 0x00, 0x00, 0x80}));
}

TEST_F(Files, OpeningWhatCannotBeOpenedGivesNoStream) {
    EXPECT_FALSE(svc::open_read("absent.dat"));
    EXPECT_FALSE(svc::open_write("no/such/dir/file.dat"));
    std::filesystem::create_directory("folder");
    EXPECT_FALSE(svc::open_write("folder"));
    EXPECT_FALSE(svc::close_stream(nullptr));

    // A full disk: the write or the flush at close must report the failure.
    if (std::filesystem::exists("/dev/full")) {
        auto full = svc::open_write("/dev/full");
        ASSERT_TRUE(full);
        const bool written = svc::write_int(*full, 1);
        const bool closed = svc::close_stream(std::move(full));
        EXPECT_FALSE(written && closed);
    }
}

TEST_F(Files, ReadWholeFileGivesEveryByteOrSaysWhyNot) {
    Bytes large(40000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<unsigned char>(i * 7);
    write_bytes("large.dat", large);
    EXPECT_EQ(svc::read_whole_file("large.dat"), large);
    write_bytes("empty.dat", {});
    EXPECT_EQ(svc::read_whole_file("empty.dat"), Bytes{});

    errno = 0;
    EXPECT_EQ(svc::read_whole_file("absent.dat"), std::nullopt);
    EXPECT_EQ(errno, ENOENT);
    std::filesystem::create_directory("folder");
    errno = 0;
    EXPECT_EQ(svc::read_whole_file("folder"), std::nullopt);
    EXPECT_EQ(errno, EISDIR);
}

TEST_F(Files, DirectoriesAreMadeOnceAndFilesReplacedInOneStep) {
    EXPECT_TRUE(svc::make_directory("data"));
    EXPECT_TRUE(svc::make_directory("data"));  // already there is fine
    write_bytes("data/file", {1});
    EXPECT_FALSE(svc::make_directory("data/file"));
    EXPECT_FALSE(svc::make_directory("missing/parent"));

    write_bytes("data/new", {2, 0, 0, 0});
    write_bytes("data/old", {1, 0, 0, 0});
    EXPECT_TRUE(svc::replace_file("data/new", "data/old"));
    EXPECT_EQ(read_bytes("data/old"), (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(svc::file_type("data/new"), svc::FileType::kNothing);
    EXPECT_FALSE(svc::replace_file("data/absent", "data/old"));
    EXPECT_EQ(read_bytes("data/old"), (Bytes{2, 0, 0, 0}));

    EXPECT_TRUE(svc::remove_file("data/old"));
    EXPECT_FALSE(svc::remove_file("data/old"));
    std::filesystem::create_directory("data/empty");
    EXPECT_FALSE(svc::remove_file("data/empty"));  // never a directory
    EXPECT_EQ(svc::file_type("data/empty"), svc::FileType::kDirectory);
}

}  // namespace
