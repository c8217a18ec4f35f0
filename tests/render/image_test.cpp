// Images: decoding every kind of PNG, the masking rule, pictures with their
// own alpha, corrupt input, created and grabbed frames, handles and flags.
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "render/render_fixture.h"
#include "services/rendering/png_decode.h"
#include "services/resources.h"
#include "support/scratch_dir.h"

namespace {

using render_test::RenderTest;

// Writes a PNG of any colour type and depth from raw rows (libpng's own
// layout), so the decoder can be fed what other programs write.
struct PngSpec {
    PngSpec(int w, int h, int type = PNG_COLOR_TYPE_RGB, int depth = 8, bool adam7 = false)
        : width(w), height(h), colour_type(type), bit_depth(depth), interlaced(adam7) {}
    int width, height;
    int colour_type;
    int bit_depth;
    bool interlaced;
    std::vector<png_color> palette;
    std::vector<png_byte> palette_alpha;
    std::vector<std::vector<png_byte>> rows;
};

void append_bytes(png_structp png, png_bytep data, png_size_t size) {
    auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + size);
}

std::vector<std::uint8_t> write_png(PngSpec layout) {
    std::vector<std::uint8_t> out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "could not write the test picture";
        return {};
    }
    png_set_write_fn(png, &out, append_bytes, nullptr);
    png_set_IHDR(png, info, layout.width, layout.height, layout.bit_depth, layout.colour_type,
                 layout.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!layout.palette.empty()) {
        png_set_PLTE(png, info, layout.palette.data(), static_cast<int>(layout.palette.size()));
    }
    if (!layout.palette_alpha.empty()) {
        png_set_tRNS(png, info, layout.palette_alpha.data(),
                     static_cast<int>(layout.palette_alpha.size()), nullptr);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rows;
    for (auto& row : layout.rows) rows.push_back(row.data());
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

// An 8-bit RGB picture from 0xRRGGBB values.
std::vector<std::uint8_t> rgb_png(int width, int height, const std::vector<std::uint32_t>& rgb) {
    PngSpec layout{width, height};
    for (int y = 0; y < height; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = rgb[static_cast<std::size_t>(y) * width + x];
            row.push_back(static_cast<png_byte>(p >> 16));
            row.push_back(static_cast<png_byte>(p >> 8));
            row.push_back(static_cast<png_byte>(p));
        }
        layout.rows.push_back(row);
    }
    return write_png(layout);
}

std::uint32_t chunk_crc(const std::uint8_t* data, std::size_t size) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

class ImageTest : public RenderTest {
  protected:
    svc::Image load_bytes(const std::vector<std::uint8_t>& bytes, std::optional<int> flags) {
        blobs_.push_back(bytes);  // resources must outlive the registry entry
        const std::string name = "test_picture_" + std::to_string(blobs_.size()) + ".png";
        svc::register_resource(name, blobs_.back());
        return svc::load_image(name, flags);
    }
    std::vector<std::vector<std::uint8_t>> blobs_;
};

constexpr std::uint32_t kGrey = 0xC8C8C8u;  // the game's mask colour, 200, 200, 200

TEST_F(ImageTest, MaskedPicturesTurnTheMaskColourIntoTransparency) {
    svc::set_mask_colour(200, 200, 200);
    // A mask pixel in the middle with five coloured and three masked neighbours,
    // and a masked corner whose only unmasked neighbour is green.
    const std::vector<std::uint32_t> rgb = {
        kGrey,     0x100000u, 0x200000u,  //
        kGrey,     kGrey,     0x000030u,  //
        0x00FF00u, 0x000001u, 0x400000u,  //
    };
    auto image = load_bytes(rgb_png(3, 3, rgb), svc::kMasked);
    ASSERT_TRUE(image);
    const auto& px = image->pixmaps[0].pixels;
    // Centre: neighbours (16,0,0) (32,0,0) (0,0,48) (0,255,0) (0,0,1) (64,0,0).
    // Red 112/6 = 18.7, green 255/6 = 42.5, blue 49/6 = 8.2, rounded.
    EXPECT_EQ(px[4], 0x00132B08u);
    // Top left: unmasked neighbours (16,0,0) only.
    EXPECT_EQ(px[0], 0x00100000u);
    // Middle left: (16,0,0), (0,255,0), (0,0,1).
    EXPECT_EQ(px[3], 0x00055500u);
    for (int i : {1, 2, 5, 6, 7, 8}) EXPECT_EQ(px[i], 0xFF000000u | rgb[i]) << i;

    // A picture that is all mask colour is transparent black.
    auto blank = load_bytes(rgb_png(2, 2, {kGrey, kGrey, kGrey, kGrey}), svc::kMasked);
    for (std::uint32_t p : blank->pixmaps[0].pixels) EXPECT_EQ(p, 0u);
    // Without MASKED the mask colour is an ordinary opaque colour.
    auto plain = load_bytes(rgb_png(3, 3, rgb), 0);
    EXPECT_EQ(plain->pixmaps[0].pixels[4], 0xFF000000u | kGrey);
}

TEST_F(ImageTest, PicturesWithTheirOwnAlphaKeepIt) {
    svc::set_mask_colour(200, 200, 200);
    PngSpec layout{3, 1, PNG_COLOR_TYPE_RGB_ALPHA};
    layout.rows = {{200, 200, 200, 255, 10, 20, 30, 77, 1, 2, 3, 0}};
    auto image = load_bytes(write_png(layout), svc::kMasked);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixmaps[0].pixels, (svc::PixelBuffer{0xFFC8C8C8u, 0x4D0A141Eu, 0x00010203u}));
    // A palette with a transparency chunk counts as its own alpha too.
    PngSpec pal{2, 1, PNG_COLOR_TYPE_PALETTE};
    pal.palette = {{200, 200, 200}, {255, 0, 0}};
    pal.palette_alpha = {255, 100};
    pal.rows = {{0, 1}};
    auto paletted = load_bytes(write_png(pal), svc::kMasked);
    ASSERT_TRUE(paletted);
    EXPECT_EQ(paletted->pixmaps[0].pixels, (svc::PixelBuffer{0xFFC8C8C8u, 0x64FF0000u}));
}

TEST_F(ImageTest, EveryPngLayoutDecodesToEightBitColour) {
    PngSpec grey{3, 1, PNG_COLOR_TYPE_GRAY};
    grey.rows = {{0, 128, 255}};
    PngSpec grey16{2, 1, PNG_COLOR_TYPE_GRAY, 16};
    grey16.rows = {{0x80, 0x80, 0xFF, 0xFF}};
    PngSpec grey2{4, 1, PNG_COLOR_TYPE_GRAY, 2};
    grey2.rows = {{0b00011011}};  // levels 0, 1, 2, 3
    PngSpec grey_alpha{1, 1, PNG_COLOR_TYPE_GRAY_ALPHA};
    grey_alpha.rows = {{50, 60}};
    PngSpec rgb16{1, 1, PNG_COLOR_TYPE_RGB, 16};
    rgb16.rows = {{0xFF, 0xFF, 0x00, 0x00, 0x80, 0x80}};
    PngSpec palette4{3, 1, PNG_COLOR_TYPE_PALETTE, 4};
    palette4.palette = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    palette4.rows = {{0x21, 0x00}};  // indices 2, 1, 0
    const std::pair<PngSpec*, svc::PixelBuffer> cases[] = {
        {&grey, {0xFF000000u, 0xFF808080u, 0xFFFFFFFFu}},
        {&grey16, {0xFF808080u, 0xFFFFFFFFu}},
        {&grey2, {0xFF000000u, 0xFF555555u, 0xFFAAAAAAu, 0xFFFFFFFFu}},
        {&grey_alpha, {0x3C323232u}},
        {&rgb16, {0xFFFF0080u}},
        {&palette4, {0xFF070809u, 0xFF040506u, 0xFF010203u}},
    };
    for (auto& [layout, expected] : cases) {
        auto image = load_bytes(write_png(*layout), 0);
        ASSERT_TRUE(image) << "colour type " << layout->colour_type;
        EXPECT_EQ(image->pixmaps[0].pixels, expected) << "colour type " << layout->colour_type;
    }
    // Interlaced pictures come out the same as plain ones.
    std::vector<std::uint32_t> rgb;
    for (int i = 0; i < 13 * 9; ++i)
        rgb.push_back(static_cast<std::uint32_t>(i * 2654435761u) & 0xFFFFFFu);
    PngSpec interlaced{13, 9, PNG_COLOR_TYPE_RGB, 8, true};
    for (int y = 0; y < 9; ++y) {
        std::vector<png_byte> row;
        for (int x = 0; x < 13; ++x) {
            for (int shift : {16, 8, 0})
                row.push_back(static_cast<png_byte>(rgb[y * 13 + x] >> shift));
        }
        interlaced.rows.push_back(row);
    }
    auto a = load_bytes(write_png(interlaced), 0);
    auto b = load_bytes(rgb_png(13, 9, rgb), 0);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->pixmaps[0].pixels, b->pixmaps[0].pixels);
}

TEST_F(ImageTest, CorruptOrMissingSourcesGiveNoImage) {
    const auto good = rgb_png(16, 16, std::vector<std::uint32_t>(256, 0x123456u));
    EXPECT_TRUE(load_bytes(good, 0));
    EXPECT_FALSE(load_bytes({}, 0));
    EXPECT_FALSE(load_bytes({1, 2, 3}, 0));
    // Every truncation of a good file: cut into the picture data it is
    // refused; cut only in the chunks after the data it still gives the
    // whole picture.
    const auto whole = load_bytes(good, 0)->pixmaps[0].pixels;
    int refused = 0;
    for (std::size_t cut = 0; cut < good.size(); ++cut) {
        auto image = load_bytes(std::vector<std::uint8_t>(good.begin(), good.begin() + cut), 0);
        if (image) {
            EXPECT_EQ(image->pixmaps[0].pixels, whole) << cut;
            EXPECT_GE(cut, good.size() - 12) << "only the end marker may be missing";
        } else {
            ++refused;
        }
    }
    EXPECT_GE(refused, static_cast<int>(good.size()) - 12);
    // Random damage after the signature must never crash (it may still decode
    // when it only hits ancillary data).
    std::mt19937 rng(99);
    for (int round = 0; round < 300; ++round) {
        auto bad = good;
        for (int hits = 0; hits < 3; ++hits)
            bad[8 + rng() % (bad.size() - 8)] = static_cast<std::uint8_t>(rng());
        auto image = load_bytes(bad, svc::kMasked);
        if (image) {
            EXPECT_EQ(image->pixmaps[0].pixels.size(),
                      static_cast<std::size_t>(image->width) * image->height);
        }
    }
    // A header that claims a gigantic picture is refused before any allocation.
    PngSpec huge{1, 1};
    huge.rows = {{0, 0, 0}};
    auto bytes = write_png(huge);
    bytes[16] = 0x00;  // width 1048576
    bytes[17] = 0x10;
    bytes[18] = 0x00;
    bytes[19] = 0x00;
    const std::uint32_t crc = chunk_crc(bytes.data() + 12, 17);  // "IHDR" and its 13 bytes
    for (int i = 0; i < 4; ++i) bytes[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    EXPECT_FALSE(load_bytes(bytes, 0));
    EXPECT_FALSE(svc::load_image("no/such/picture.png", 0));
    EXPECT_FALSE(svc::load_image("", 0));
    EXPECT_FALSE(svc::load_image(std::filesystem::temp_directory_path().string(), 0));
}

TEST_F(ImageTest, LoadsFromFilesAsWellAsResources) {
    const test_support::ScratchDir scratch(test_support::ScratchDir::Enter::kNo);
    const auto bytes = rgb_png(2, 1, {0x010203u, 0x040506u});
    std::ofstream(scratch.path() / "picture.png", std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    auto image = svc::load_image(scratch.file("picture.png"), 0);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->pixmaps[0].pixels, (svc::PixelBuffer{0xFF010203u, 0xFF040506u}));
}

TEST_F(ImageTest, FlagsAndHandlesFollowTheLoaderSettings) {
    const auto bytes = rgb_png(5, 3, std::vector<std::uint32_t>(15, 0u));
    constexpr int kMaskedAndFiltered = svc::kMasked | svc::kFiltered;
    svc::set_auto_image_flags(kMaskedAndFiltered);
    svc::set_auto_image_flags(-1);  // leaves it
    auto loaded = load_bytes(bytes, std::nullopt);
    EXPECT_EQ(loaded->flags, kMaskedAndFiltered);
    EXPECT_EQ(loaded->handle_x, 0.0f);
    EXPECT_EQ(load_bytes(bytes, 2)->flags, 2);
    svc::set_auto_mid_handle(true);
    auto centred = load_bytes(bytes, std::nullopt);
    EXPECT_EQ(centred->handle_x, 2.5f);
    EXPECT_EQ(centred->handle_y, 1.5f);
    auto created = svc::create_image(48, 33, 26, svc::kMasked);
    EXPECT_EQ(created->flags, svc::kMasked);
    EXPECT_EQ(created->handle_x, 24.0f);
    EXPECT_EQ(created->handle_y, 16.5f);
    ASSERT_EQ(created->pixmaps.size(), 26u);
    for (const auto& pm : created->pixmaps) {
        EXPECT_EQ(pm.pixels, svc::PixelBuffer(48 * 33, 0u));  // transparent black
    }
    svc::set_auto_mid_handle(false);
    auto top_left = svc::create_image(110, 480, 1);
    EXPECT_EQ(top_left->flags, kMaskedAndFiltered);
    EXPECT_EQ(top_left->handle_x, 0.0f);
    svc::mid_handle_image(top_left);
    EXPECT_EQ(top_left->handle_x, 55.0f);
    EXPECT_EQ(top_left->handle_y, 240.0f);
}

TEST_F(ImageTest, GrabCopiesTheScreenMaskedWithTheCurrentMaskColour) {
    for (int y = 0; y < height_; ++y) {
        for (int x = 0; x < width_; ++x) {
            pixels()[y * width_ + x] =
                0xFF000000u | static_cast<std::uint32_t>(x) << 16 | static_cast<std::uint32_t>(y);
        }
    }
    pixels()[11 * width_ + 11] = 0xFF000000u;  // a black pixel inside the grab
    svc::set_mask_colour(0, 0, 0);
    auto masked = svc::create_image(3, 3, 2, svc::kMasked);
    svc::grab_image(masked, 10, 10, 1);
    const auto& px = masked->pixmaps[1].pixels;
    EXPECT_EQ(px[0], 0xFF0A000Au);
    EXPECT_EQ(px[8], 0xFF0C000Cu);
    // The black centre is transparent and takes its neighbours' mean, (11, 11).
    EXPECT_EQ(px[4], 0x000B000Bu);
    EXPECT_EQ(masked->pixmaps[0].pixels, svc::PixelBuffer(9, 0u));  // other frame untouched
    // Without MASKED everything grabbed is opaque, black included.
    auto plain = svc::create_image(3, 3, 1, 0);
    svc::grab_image(plain, 10, 10, 0);
    EXPECT_EQ(plain->pixmaps[0].pixels[4], 0xFF000000u);
    // Beyond the screen's edge the frame stays transparent.
    auto edge = svc::create_image(4, 4, 1, svc::kMasked);
    svc::set_mask_colour(200, 200, 200);
    svc::grab_image(edge, width_ - 2, -2, 0);
    const auto& e = edge->pixmaps[0].pixels;
    EXPECT_EQ(e[0], 0u);
    EXPECT_EQ(e[3], 0u);
    EXPECT_EQ(e[2 * 4 + 0], 0xFF000000u | static_cast<std::uint32_t>(width_ - 2) << 16);
    EXPECT_EQ(e[3 * 4 + 1], 0xFF000000u | static_cast<std::uint32_t>(width_ - 1) << 16 | 1u);
    EXPECT_EQ(e[2 * 4 + 2], 0u);
    svc::grab_image(edge, -1000, 1000, 0);
    EXPECT_EQ(edge->pixmaps[0].pixels, svc::PixelBuffer(16, 0u));
    svc::grab_image(edge, 0, 0, 5);  // no such frame
}

TEST(ImageWithoutScreen, GrabGivesTransparentFrames) {
    auto image = svc::create_image(2, 2, 1, 0);
    image->pixmaps[0].pixels.assign(4, 0xFFFFFFFFu);
    svc::grab_image(image, 0, 0, 0);
    EXPECT_EQ(image->pixmaps[0].pixels, svc::PixelBuffer(4, 0u));
}

TEST(PngEncoding, RoundTripsThroughTheDecoderWithOrWithoutAlpha) {
    using svc::detail::PngChannels;
    const svc::PixelBuffer pixels = {0xFF102030u, 0x80405060u, 0x00000000u, 0xFFFFFFFFu};
    auto back =
        svc::detail::decode_png(svc::detail::encode_png(pixels.data(), 2, 2, PngChannels::kRgba));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->has_alpha);
    EXPECT_EQ(back->pixels, pixels);

    // Without alpha every pixel comes back opaque, its colour unchanged.
    back = svc::detail::decode_png(svc::detail::encode_png(pixels.data(), 2, 2, PngChannels::kRgb));
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->has_alpha);
    EXPECT_EQ(back->pixels, (svc::PixelBuffer{0xFF102030u, 0xFF405060u, 0xFF000000u, 0xFFFFFFFFu}));

    EXPECT_TRUE(svc::detail::encode_png(nullptr, 2, 2, PngChannels::kRgb).empty());
    EXPECT_TRUE(svc::detail::encode_png(pixels.data(), 0, 2, PngChannels::kRgb).empty());
}

}  // namespace
