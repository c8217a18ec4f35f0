// Our renderer against SDL2's own software renderer on the same work: the draw
// list of a busy stage-10 frame (every image and glyph the game drew, with the
// drawing state of each), recorded from the game and replayed through both.
// SDL gets textures made from the same pixels and its blend modes mapped from
// ours: mask and alpha to blend, light to add, shade to modulate, solid to none.
//
// The same at twice the resolution: our renderer at scale 2 with the finer
// pictures, and SDL drawing the same finer pictures into a 1280 x 960 surface.
//
// With SCRIBBLE_PEER_SHOTS=DIR the replays are also written to DIR as
// ours.png and sdl.png (ours-2x.png and sdl-2x.png), to see that they draw the
// same scene.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game_scenario.h"
#include "headless/harness.h"
#include "services/rendering/graphics.h"
#include "services/rendering/render_internal.h"

namespace {

struct DrawCall {
    svc::Image image;
    float x = 0, y = 0;
    int frame = 0;
    svc::detail::DrawState state;
};
using DrawList = std::vector<DrawCall>;

DrawList* recording = nullptr;

void record_draw(const svc::Image& image, float x, float y, int frame) {
    recording->push_back({image, x, y, frame, svc::detail::draw_state()});
    recording->back().state.font.reset();  // glyphs arrive as images of their own
}

// Plays stage 10 until the sky holds explosions, debris, smoke and points in
// flight, then records the next frame. The scenario stays alive while the list
// is replayed through our renderer: it owns the screen.
class BusyStage10 {
  public:
    explicit BusyStage10(int scale = 1) : game_(10, 300, scale) {
        if (!game_.ok()) return;
        for (int frame = 0; frame < 3600 && !busy(); ++frame) game_.frame();
        sky_ = bench::Sky::now(game_.world());
        recording = &list_;
        svc::detail::draw_observer = record_draw;
        game_.frame();
        svc::detail::draw_observer = nullptr;
        recording = nullptr;
    }
    bool ok() const { return game_.ok() && !list_.empty(); }
    const DrawList& list() const { return list_; }
    const bench::Sky& sky() const { return sky_; }

  private:
    bool busy() {
        const bench::Sky sky = bench::Sky::now(game_.world());
        return sky.explosions >= 3 && sky.debris >= 5 && sky.smoke >= 40 && sky.points >= 5;
    }

    bench::Scenario game_;
    DrawList list_;
    bench::Sky sky_;
};

// Each replay starts the frame afresh, as the game does.
void replay_ours(const DrawList& list) {
    svc::clear_screen();
    svc::detail::DrawState& state = svc::detail::draw_state();
    for (const DrawCall& call : list) {
        const svc::ImageFont font = std::move(state.font);
        state = call.state;
        state.font = font;
        svc::draw_image(call.image, call.x, call.y, call.frame);
    }
}

void write_shot(const std::string& name, const std::uint32_t* pixels, int scale) {
    const char* dir = std::getenv("SCRIBBLE_PEER_SHOTS");
    if (dir) {
        harness::write_png(std::string(dir) + "/" + name + (scale > 1 ? "-2x.png" : ".png"), pixels,
                           640 * scale, 480 * scale);
    }
}

void report_list(benchmark::State& state, const BusyStage10& frame) {
    state.counters["draws"] = static_cast<double>(frame.list().size());
    state.counters["explosions"] = frame.sky().explosions;
    state.counters["smoke"] = frame.sky().smoke;
    state.counters["points"] = frame.sky().points;
}

void BM_DrawListOurs(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    BusyStage10 frame(scale);
    if (!frame.ok()) {
        state.SkipWithError("no frame recorded");
        return;
    }
    replay_ours(frame.list());
    write_shot("ours", svc::back_buffer(), scale);
    for (auto _ : state) {
        replay_ours(frame.list());
        benchmark::ClobberMemory();
    }
    report_list(state, frame);
}
BENCHMARK(BM_DrawListOurs)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

// SDL2's software renderer drawing into a surface of 640 x 480 times the scale,
// one static texture per image frame of the list: the finer version of the
// picture where it has one, as ours draws.
class SdlPeer {
  public:
    explicit SdlPeer(int scale) : scale_(scale) {
        surface_.reset(SDL_CreateRGBSurfaceWithFormat(0, 640 * scale, 480 * scale, 32,
                                                      SDL_PIXELFORMAT_ARGB8888));
        if (surface_) renderer_.reset(SDL_CreateSoftwareRenderer(surface_.get()));
    }
    bool ok() const { return renderer_ != nullptr; }

    void replay(const DrawList& list) {
        for (const DrawCall& call : list) copy(call);
        SDL_RenderFlush(renderer_.get());
    }
    const std::uint32_t* pixels() const {
        return static_cast<const std::uint32_t*>(surface_->pixels);
    }

  private:
    struct SurfaceFree {
        void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
    };
    struct RendererFree {
        void operator()(SDL_Renderer* r) const { SDL_DestroyRenderer(r); }
    };
    struct TextureFree {
        void operator()(SDL_Texture* t) const { SDL_DestroyTexture(t); }
    };
    using Texture = std::unique_ptr<SDL_Texture, TextureFree>;

    static SDL_BlendMode blend_of(svc::BlendMode mode) {
        switch (mode) {
            case svc::BlendMode::kSolid:
                return SDL_BLENDMODE_NONE;
            case svc::BlendMode::kLight:
                return SDL_BLENDMODE_ADD;
            case svc::BlendMode::kShade:
                return SDL_BLENDMODE_MOD;
            default:
                return SDL_BLENDMODE_BLEND;
        }
    }

    // The pixels drawn for a frame and where its handle lies in them.
    struct Source {
        const svc::Pixmap* pixmap;
        float handle_x, handle_y;
    };
    Source source(const svc::ImageData& image, int frame) const {
        if (scale_ > 1 && svc::detail::has_detail(image, scale_, frame)) {
            const svc::detail::FrameShape shape = svc::detail::detail_shape_of(image, frame);
            return {&image.detail.pixmaps[frame], static_cast<float>(shape.handle_x),
                    static_cast<float>(shape.handle_y)};
        }
        return {&image.pixmaps[frame], image.handle_x, image.handle_y};
    }

    SDL_Texture* texture(const svc::Image& image, int frame) {
        Texture& slot = textures_[{image.get(), frame}];
        if (!slot) {
            const svc::Pixmap& p = *source(*image, frame).pixmap;
            slot.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                         SDL_TEXTUREACCESS_STATIC, p.width, p.height));
            SDL_UpdateTexture(slot.get(), nullptr, p.pixels.data(), p.width * 4);
        }
        return slot.get();
    }

    // The image's rectangle scaled about its handle, flipped for a negative
    // scale and turned clockwise about the handle, as the drawing matrix does.
    void copy(const DrawCall& call) {
        const svc::detail::DrawState& s = call.state;
        const svc::ImageData& image = *call.image;
        SDL_Texture* tex = texture(call.image, call.frame);
        SDL_SetTextureBlendMode(tex, blend_of(s.blend));
        SDL_SetTextureColorMod(tex, static_cast<Uint8>(s.red), static_cast<Uint8>(s.green),
                               static_cast<Uint8>(s.blue));
        SDL_SetTextureAlphaMod(tex, static_cast<Uint8>(svc::detail::alpha_to_255(s.alpha)));
        // A picture without a finer version is magnified like ours.
        const Source src = source(image, call.frame);
        const float magnify = src.pixmap == &image.pixmaps[call.frame] ? scale_ : 1.0f;
        const float sx = s.scale_x * magnify, sy = s.scale_y * magnify;
        const float w = static_cast<float>(src.pixmap->width),
                    h = static_cast<float>(src.pixmap->height);
        const float x = call.x * scale_, y = call.y * scale_;
        const float left = x + std::min(-src.handle_x * sx, (w - src.handle_x) * sx);
        const float top = y + std::min(-src.handle_y * sy, (h - src.handle_y) * sy);
        const SDL_FRect dst{left, top, std::abs(sx) * w, std::abs(sy) * h};
        const SDL_FPoint centre{x - left, y - top};
        int flip = SDL_FLIP_NONE;
        if (sx < 0) flip |= SDL_FLIP_HORIZONTAL;
        if (sy < 0) flip |= SDL_FLIP_VERTICAL;
        SDL_RenderCopyExF(renderer_.get(), tex, nullptr, &dst, s.rotation, &centre,
                          static_cast<SDL_RendererFlip>(flip));
    }

    std::unique_ptr<SDL_Surface, SurfaceFree> surface_;
    std::unique_ptr<SDL_Renderer, RendererFree> renderer_;
    int scale_;
    std::map<std::pair<const svc::ImageData*, int>, Texture> textures_;
};

void BM_DrawListSdlSoftware(benchmark::State& state) {
    const int scale = static_cast<int>(state.range(0));
    BusyStage10 frame(scale);
    if (!frame.ok()) {
        state.SkipWithError("no frame recorded");
        return;
    }
    SdlPeer peer(scale);
    if (!peer.ok()) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    peer.replay(frame.list());  // makes the textures
    write_shot("sdl", peer.pixels(), scale);
    for (auto _ : state) {
        peer.replay(frame.list());
        benchmark::ClobberMemory();
    }
    report_list(state, frame);
}
BENCHMARK(BM_DrawListSdlSoftware)->ArgName("scale")->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace
