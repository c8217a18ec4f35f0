// One JSON object per flip with the game's state, for tests and tooling.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "game/game_state.h"
#include "game/sound_cues.h"
#include "headless/harness.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "services/text_words.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"

namespace harness {
namespace {

class JsonObject {
  public:
    JsonObject() { text_ = "{"; }

    JsonObject& field(std::string_view name, int value) {
        key(name);
        text_ += std::to_string(value);
        return *this;
    }
    JsonObject& field(std::string_view name, float value) {
        key(name);
        append_number(value);
        return *this;
    }
    JsonObject& field(std::string_view name, const std::vector<std::string>& strings) {
        key(name);
        text_ += '[';
        for (std::size_t i = 0; i < strings.size(); ++i) {
            if (i) text_ += ',';
            append_string(strings[i]);
        }
        text_ += ']';
        return *this;
    }
    // An array of small arrays, one per instance of an entity list.
    template <typename List, typename Visit>
    JsonObject& list(std::string_view name, const List& entities, Visit&& visit) {
        key(name);
        text_ += '[';
        bool first = true;
        entities.for_each([&](const auto& entity) {
            if (!first) text_ += ',';
            first = false;
            text_ += '[';
            visit(entity);
            text_ += ']';
        });
        text_ += ']';
        return *this;
    }
    // Items inside a list's small array.
    void item(int value, bool last = false) {
        text_ += std::to_string(value);
        if (!last) text_ += ',';
    }
    void item(float value, bool last = false) {
        append_number(value);
        if (!last) text_ += ',';
    }

    std::string finish() { return text_ + "}"; }

  private:
    void key(std::string_view name) {
        if (text_.size() > 1) text_ += ',';
        append_string(name);
        text_ += ':';
    }
    void append_number(float value) { text_ += svc::exact_float_text(value); }
    void append_string(std::string_view s) {
        text_ += '"';
        for (const char c : s) {
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                text_ += buffer;
            } else {
                text_ += c;
            }
        }
        text_ += '"';
    }

    std::string text_;
};

int engine_sounding() {
    return engine_channel && svc::channel_playing(engine_channel) ? 1 : 0;
}

}  // namespace

std::string trace_line(int flip, int ms, const std::vector<std::string>& sounds,
                       bool with_entities) {
    const svc::InputState& input = svc::input_state();
    JsonObject json;
    json.field("flip", flip)
        .field("ms", ms)
        .field("state", static_cast<int>(game_state))
        .field("phase", static_cast<int>(stage_phase))
        .field("timer", phase_timer)
        .field("score", player.score)
        .field("best", player.best_score)
        .field("new_bs", player.new_best)
        .field("lives", player.lives)
        .field("level", player.level)
        .field("x", player.x)
        .field("y", player.y)
        .field("dir", player.facing)
        .field("mspd", mountains.scroll_speed)
        .field("safe", player.invulnerable_frames)
        .field("blink", player.blink_phase)
        .field("enemies", enemy_plane_list.count())
        .field("balloons", balloon_list.count())
        .field("shots", player_shot_list.count())
        .field("clouds", cloud_list.count())
        .field("particles", debris_list.count())
        .field("smoke", smoke_puff_list.count())
        .field("explosions", explosion_list.count())
        .field("pops", balloon_pop_list.count())
        .field("points", points_popup_list.count())
        .field("blimp_state", blimp.state)
        .field("blimp_x", blimp.x)
        .field("blimp_y", blimp.y)
        .field("sfx_step", volumes.effects_step)
        .field("sfx_volume", volumes.effects)
        .field("engine_step", volumes.engine_step)
        .field("engine_volume", volumes.engine)
        .field("mouse_x", input.mouse_x())
        .field("mouse_y", input.mouse_y())
        .field("quit", quit_requested)
        .field("sounds", sounds)
        .field("engine", engine_sounding());
    if (with_entities) {
        json.list("shot_list", player_shot_list, [&](const PlayerShot& s) {
            json.item(s.x);
            json.item(s.y, true);
        });
        json.list("enemy_list", enemy_plane_list, [&](const EnemyPlane& e) {
            json.item(e.x);
            json.item(e.y);
            json.item(e.frame, true);
        });
        json.list("balloon_list", balloon_list, [&](const Balloon& b) {
            json.item(b.x);
            json.item(b.y, true);
        });
    }
    return json.finish();
}

}  // namespace harness
