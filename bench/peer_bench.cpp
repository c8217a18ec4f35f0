// Our renderer against SDL2's own software renderer on the same work: the draw
// list of a busy stage-10 frame (every image and glyph the game drew, with the
// drawing state of each), recorded from the game and replayed through both.
// SDL gets textures made from the same pixels and its blend modes mapped from
// ours: mask and alpha to blend, light to add, shade to modulate, solid to none.
//
// With SCRIBBLE_PEER_SHOTS=DIR both replays are also written to DIR as
// ours.png and sdl.png, to see that they draw the same scene.
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
    BusyStage10() : game_(10, 300) {
        if (!game_.ok()) return;
        for (int frame = 0; frame < 3600 && !busy(); ++frame) game_.frame();
        sky_ = bench::Sky::now();
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
    static bool busy() {
        const bench::Sky sky = bench::Sky::now();
        return sky.explosions >= 3 && sky.debris >= 5 && sky.smoke >= 40 && sky.points >= 5;
    }

    bench::Scenario game_;
    DrawList list_;
    bench::Sky sky_;
};

void replay_ours(const DrawList& list) {
    svc::detail::DrawState& state = svc::detail::draw_state();
    for (const DrawCall& call : list) {
        const svc::ImageFont font = std::move(state.font);
        state = call.state;
        state.font = font;
        svc::draw_image(call.image, call.x, call.y, call.frame);
    }
}

void write_shot(const char* name, const std::uint32_t* pixels) {
    const char* dir = std::getenv("SCRIBBLE_PEER_SHOTS");
    if (dir) harness::write_png(std::string(dir) + "/" + name, pixels, 640, 480);
}

void report_list(benchmark::State& state, const BusyStage10& frame) {
    state.counters["draws"] = static_cast<double>(frame.list().size());
    state.counters["explosions"] = frame.sky().explosions;
    state.counters["smoke"] = frame.sky().smoke;
    state.counters["points"] = frame.sky().points;
}

void BM_DrawListOurs(benchmark::State& state) {
    BusyStage10 frame;
    if (!frame.ok()) {
        state.SkipWithError("no frame recorded");
        return;
    }
    replay_ours(frame.list());
    write_shot("ours.png", svc::back_buffer());
    for (auto _ : state) {
        replay_ours(frame.list());
        benchmark::ClobberMemory();
    }
    report_list(state, frame);
}
BENCHMARK(BM_DrawListOurs)->Unit(benchmark::kMicrosecond);

// SDL2's software renderer drawing into a 640 x 480 surface, one static
// texture per image frame of the list.
class SdlPeer {
  public:
    SdlPeer() {
        surface_.reset(SDL_CreateRGBSurfaceWithFormat(0, 640, 480, 32, SDL_PIXELFORMAT_ARGB8888));
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

    SDL_Texture* texture(const svc::Image& image, int frame) {
        Texture& slot = textures_[{image.get(), frame}];
        if (!slot) {
            const svc::Pixmap& p = image->pixmaps[frame];
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
        const float x = call.x, y = call.y;
        const float left =
            x + std::min(-image.handle_x * s.scale_x, (image.width - image.handle_x) * s.scale_x);
        const float top =
            y + std::min(-image.handle_y * s.scale_y, (image.height - image.handle_y) * s.scale_y);
        const SDL_FRect dst{left, top, std::abs(s.scale_x) * image.width,
                            std::abs(s.scale_y) * image.height};
        const SDL_FPoint centre{x - left, y - top};
        int flip = SDL_FLIP_NONE;
        if (s.scale_x < 0) flip |= SDL_FLIP_HORIZONTAL;
        if (s.scale_y < 0) flip |= SDL_FLIP_VERTICAL;
        SDL_RenderCopyExF(renderer_.get(), tex, nullptr, &dst, s.rotation, &centre,
                          static_cast<SDL_RendererFlip>(flip));
    }

    std::unique_ptr<SDL_Surface, SurfaceFree> surface_;
    std::unique_ptr<SDL_Renderer, RendererFree> renderer_;
    std::map<std::pair<const svc::ImageData*, int>, Texture> textures_;
};

void BM_DrawListSdlSoftware(benchmark::State& state) {
    BusyStage10 frame;
    if (!frame.ok()) {
        state.SkipWithError("no frame recorded");
        return;
    }
    SdlPeer peer;
    if (!peer.ok()) {
        state.SkipWithError(SDL_GetError());
        return;
    }
    peer.replay(frame.list());  // makes the textures
    write_shot("sdl.png", peer.pixels());
    for (auto _ : state) {
        peer.replay(frame.list());
        benchmark::ClobberMemory();
    }
    report_list(state, frame);
}
BENCHMARK(BM_DrawListSdlSoftware)->Unit(benchmark::kMicrosecond);

}  // namespace
