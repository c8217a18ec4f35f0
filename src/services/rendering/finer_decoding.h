#pragma once
// The finer versions of embedded pictures, decoded on one background thread in
// the order the pictures were loaded, so that start-up does its other work
// meanwhile. A picture needed before its turn is decoded by whoever needs it
// first, instead of waiting behind larger pictures.
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>

#include "services/rendering/graphics.h"
#include "services/rendering/image_mask.h"
#include "services/rendering/png_decode.h"

namespace svc::detail {

// A decoded picture as a frame, masked with `mask` when `masked` and the
// picture has no alpha of its own (image_loader.cpp).
Pixmap pixmap_of(DecodedPicture picture, bool masked, MaskColour mask);

class FinerDecoding {
  public:
    FinerDecoding(std::span<const std::uint8_t> png, int width, int height, bool masked,
                  MaskColour mask)
        : png_(png), width_(width), height_(height), masked_(masked), mask_(mask) {}

    // Decodes the picture unless it already is, waiting while another thread
    // decodes it; nothing when the picture is not a PNG of the expected size.
    std::optional<Pixmap> take();
    void decode();

  private:
    std::span<const std::uint8_t> png_;  // embedded, so it outlives the decoding
    int width_, height_;
    bool masked_;
    MaskColour mask_;
    std::once_flag decoded_;
    std::optional<Pixmap> result_;
};

// Queues the decoding on the background thread; the queue keeps no picture
// alive, so a picture dropped before its turn is never decoded.
void decode_in_background(const std::shared_ptr<FinerDecoding>& decoding);

}  // namespace svc::detail
