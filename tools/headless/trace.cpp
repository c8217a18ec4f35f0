// One JSON object per flip with the game's state, for tests and tooling.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "headless/harness.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "services/text_words.h"
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

int engine_sounding(const SoundCues& sounds) {
    const svc::Channel& engine = sounds.engine_channel();
    return engine && svc::channel_playing(engine) ? 1 : 0;
}

}  // namespace

std::string trace_line(const World& world, int flip, int ms, const std::vector<std::string>& sounds,
                       bool with_entities) {
    const svc::InputState& input = svc::input_state();
    const Player& plane = world.player;
    const Volumes& volumes = world.sounds.volumes;
    JsonObject json;
    json.field("flip", flip)
        .field("ms", ms)
        .field("state", static_cast<int>(world.flow.state))
        .field("phase", static_cast<int>(world.flow.phase))
        .field("timer", world.flow.phase_timer)
        .field("score", plane.score)
        .field("best", plane.best_score)
        .field("new_bs", plane.new_best)
        .field("lives", plane.lives)
        .field("level", plane.level)
        .field("x", plane.x)
        .field("y", plane.y)
        .field("dir", static_cast<int>(plane.facing))
        .field("mspd", world.mountains.scroll_speed)
        .field("safe", plane.invulnerable_frames)
        .field("blink", plane.blink_phase);
    world.for_each_list(
        [&](const char* name, const auto& list) { json.field(name, list.count()); });
    json.field("blimp_state", static_cast<int>(world.blimp.state))
        .field("blimp_x", world.blimp.x)
        .field("blimp_y", world.blimp.y)
        .field("sfx_step", volumes.effects_step)
        .field("sfx_volume", volumes.effects)
        .field("engine_step", volumes.engine_step)
        .field("engine_volume", volumes.engine)
        .field("mouse_x", input.mouse_x())
        .field("mouse_y", input.mouse_y())
        .field("quit", world.flow.quit_requested)
        .field("sounds", sounds)
        .field("engine", engine_sounding(world.sounds));
    if (with_entities) {
        json.list("shot_list", world.shots, [&](const PlayerShot& s) {
            json.item(s.x);
            json.item(s.y, true);
        });
        json.list("enemy_list", world.enemies, [&](const EnemyPlane& e) {
            json.item(e.x);
            json.item(e.y);
            json.item(e.frame, true);
        });
        json.list("balloon_list", world.balloons, [&](const Balloon& b) {
            json.item(b.x);
            json.item(b.y, true);
        });
    }
    return json.finish();
}

}  // namespace harness
