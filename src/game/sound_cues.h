#pragma once
// The game's sounds: the effects, each played on a channel of its own, and the
// engine drone on the engine channel, at the two volumes the menus step through.
#include <array>

#include "services/audio/sound.h"

struct Volumes {
    float effects = 1.0f;
    int effects_step = 10;  // the menu's step, 0 (Off) to 10 (Max)
    float engine = 0.6f;
    int engine_step = 6;
    bool operator==(const Volumes&) const = default;
};

// In the order they are loaded.
enum class Effect {
    kFire,
    kBalloonPop,
    kBlimpHit,
    kStageStart,
    kStageEnd,
    kExplosion,
    kPlayerDeath
};
inline constexpr int kEffectCount = 7;

class SoundCues {
  public:
    Volumes volumes;

    // Loads the seven effects and the engine drone from data/. A sound that
    // does not load is reported once and plays silence.
    void load();
    // An idle engine channel, so that it can be asked about before the drone first sounds.
    void create_engine_channel();
    // Plays one effect at volumes.effects on a channel of its own.
    void play(Effect effect) const;
    // Stops the drone if it sounds and starts it afresh, at volumes.engine, on
    // a new engine channel.
    void start_engine_loop();
    const svc::Channel& engine_channel() const { return engine_channel_; }
    const svc::Sound& sound(Effect effect) const { return effects_[static_cast<int>(effect)]; }

    // The menu steps: one click advances step and volume together, wrapping to
    // Off; a click on the effects volume sounds the shot at the new volume.
    void step_effects_volume();
    void step_engine_volume();

  private:
    std::array<svc::Sound, kEffectCount> effects_;
    svc::Sound engine_drone_;  // loops; decoded once, cued at every stage start and unpause
    svc::Channel engine_channel_;
};
