#include "recipes.h"

#include <array>

namespace soundgen {
namespace {

// A short fade at both ends so that no sound starts or stops with a click.
void fade_edges(Samples& s, double in_seconds, double out_seconds) {
    const int in = std::min<int>(frames_for(in_seconds), static_cast<int>(s.size()));
    const int out = std::min<int>(frames_for(out_seconds), static_cast<int>(s.size()));
    for (int i = 0; i < in; ++i) s[i] *= static_cast<float>(i) / in;
    for (int i = 0; i < out; ++i) s[s.size() - 1 - i] *= static_cast<float>(i) / out;
}

// A toy-piano note: a sine with a little second and third harmonic that die
// away faster than the fundamental.
Samples toy_piano(double freq, double length, double tau) {
    Samples s(frames_for(length));
    Phase phase;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        const double p = phase.advance(freq);
        const double body = sine(p) * exp_decay(t, tau);
        const double bright = (0.30 * sine(2 * p) + 0.10 * sine(3 * p)) * exp_decay(t, tau * 0.35);
        s[i] = static_cast<float>((body + bright) * ramp_up(t, 0.0, 0.003));
    }
    fade_edges(s, 0.0, 0.02);
    return s;
}

// A kazoo-like toy horn with a soft attack and a vibrato that sets in late.
Samples toy_horn(double freq, double length, double vibrato_from) {
    Samples s(frames_for(length));
    Phase phase;
    Biquad tone;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        const double depth = 0.012 * ramp_up(t, vibrato_from, 0.25);
        const double f = freq * (1.0 + depth * sine(5.5 * t));
        tone.lowpass(2400.0, 0.8);
        const double raw = soft_saw(phase.advance(f), f);
        const double env = ramp_up(t, 0.0, 0.018) * ramp_down(t, length - 0.06, 0.06);
        s[i] = static_cast<float>(tone.process(static_cast<float>(raw)) * env);
    }
    return s;
}

// A soft low thump whose pitch drops, the body of pops, hits and crashes.
Samples thump(double from_hz, double to_hz, double tau, double length) {
    Samples s(frames_for(length));
    Phase phase;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        const double f = glide(t, from_hz, to_hz, tau * 3.0);
        s[i] =
            static_cast<float>(sine(phase.advance(f)) * exp_decay(t, tau) * ramp_up(t, 0.0, 0.002));
    }
    return s;
}

// A fire shot: a quick "pt-tew" of a toy popgun, a light click over a tone
// that drops in pitch.
Samples make_fire() {
    Samples s(frames_for(0.17));
    Noise noise(1);
    Biquad click, round_off;
    click.highpass(2500.0, 0.7);
    round_off.lowpass(8000.0, 0.7);  // a soft click, not a hard tick
    Phase phase;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        const double f = glide(t, 1250.0, 380.0, 0.11);
        const double p = phase.advance(f);
        const double tone = (0.8 * sine(p) + 0.2 * sine(2 * p)) * exp_decay(t, 0.045);
        const double snap = round_off.process(click.process(noise.next())) * exp_decay(t, 0.005);
        s[i] = static_cast<float>((tone + 0.45 * snap) * ramp_up(t, 0.0, 0.0015));
    }
    mix_into(s, thump(260.0, 150.0, 0.025, 0.12), 0.0, 0.35);
    fade_edges(s, 0.0, 0.015);
    return s;
}

// A balloon popping: a sharp band of noise with a crack on top, a small thump
// and the rubber flapping briefly after.
Samples make_balloonpop() {
    Samples s(frames_for(0.36));
    Noise noise(2);
    Biquad band, crack, flap;
    band.bandpass(1700.0, 0.9);
    crack.highpass(4500.0, 0.7);
    flap.lowpass(700.0, 0.7);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        const float n = noise.next();
        const double burst = band.process(n) * exp_decay(t, 0.022) * 2.2;
        const double snap = crack.process(n) * exp_decay(t, 0.005) * 0.45;
        const double tail = flap.process(n) * exp_decay(t - 0.02, 0.08) * ramp_up(t, 0.01, 0.02);
        s[i] = static_cast<float>((burst + snap + 0.35 * tail) * ramp_up(t, 0.0, 0.0008));
    }
    mix_into(s, thump(170.0, 95.0, 0.035, 0.25), 0.0, 0.45);
    for (float& v : s) v = saturate(v, 1.4f);
    fade_edges(s, 0.0, 0.03);
    return s;
}

// The blimp punctured: a rubbery thunk, then air hissing out in spurts that
// slowly runs dry, with a faint falling squeal of the skin.
Samples make_blimphit() {
    const double length = 1.15;
    Samples s(frames_for(length));
    Noise noise(3);
    Biquad hiss, breath, soften;
    Phase squeal;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        hiss.bandpass(glide(t, 5200.0, 2300.0, 1.0), 1.3);
        breath.bandpass(2800.0, 0.7);
        soften.lowpass(7000.0, 0.7);
        const float n = soften.process(noise.next());
        const double spurts = 1.0 - 0.3 * (0.5 + 0.5 * sine(13.0 * t + 0.1 * sine(2.3 * t)));
        const double env = ramp_up(t, 0.02, 0.05) * ramp_down(t, 0.35, length - 0.37);
        const double air = (hiss.process(n) * 1.6 + breath.process(n) * 0.4) * spurts * env;
        const double f = glide(t, 720.0, 300.0, 1.0) * (1.0 + 0.02 * sine(9.0 * t));
        const double skin = sine(squeal.advance(f)) * 0.10 * env;
        s[i] = static_cast<float>(air + skin);
    }
    mix_into(s, thump(120.0, 70.0, 0.06, 0.35), 0.0, 0.9);
    fade_edges(s, 0.0, 0.03);
    return s;
}

// Stage start: a quick rising toy-piano arpeggio, C E G C.
Samples make_startstage() {
    Samples s(frames_for(0.95));
    const std::array<double, 4> notes = {523.25, 659.26, 783.99, 1046.50};
    for (std::size_t k = 0; k < notes.size(); ++k) {
        const bool last = k + 1 == notes.size();
        const double start = 0.095 * k;
        mix_into(s, toy_piano(notes[k], last ? 0.95 - start : 0.5, last ? 0.28 : 0.16), start, 1.0);
    }
    s.resize(frames_for(0.95));
    fade_edges(s, 0.0, 0.05);
    return s;
}

// Stage cleared: a toy-horn fanfare, G C E G - E G, ending on a held chord
// with the piano ringing along.
Samples make_endstage() {
    const double length = 2.3;
    Samples s(frames_for(length));
    struct Note {
        double freq, start, length;
    };
    const std::array<Note, 6> tune = {{{392.00, 0.00, 0.12},
                                       {523.25, 0.13, 0.12},
                                       {659.26, 0.26, 0.12},
                                       {783.99, 0.39, 0.24},
                                       {659.26, 0.65, 0.12},
                                       {783.99, 0.78, 1.40}}};
    for (const Note& note : tune) {
        mix_into(s, toy_horn(note.freq, note.length, 0.2), note.start, 0.55);
        mix_into(s, toy_piano(note.freq * 2.0, std::min(note.length + 0.3, 0.8), 0.15), note.start,
                 0.22);
    }
    // The held chord under the last note.
    for (double freq : {523.25, 659.26}) mix_into(s, toy_horn(freq, 1.40, 0.2), 0.78, 0.30);
    s.resize(frames_for(length));
    fade_edges(s, 0.0, 0.08);
    return s;
}

// An enemy plane blown up: a round "poof-boom" of low-passed noise whose
// brightness falls away, a deep thump and a few crackles.
Samples make_explode() {
    const double length = 1.2;
    Samples s(frames_for(length));
    Noise noise(6), sparks(60);
    Biquad body, body2, crackle, crackle2;
    crackle.bandpass(1800.0, 2.0);
    crackle2.lowpass(4000.0, 0.7);
    for (std::size_t i = 0; i < s.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        const double cutoff = glide(t, 2600.0, 160.0, 0.9);
        body.lowpass(cutoff, 0.8);
        body2.lowpass(cutoff, 0.8);
        const double rumble = body2.process(body.process(noise.next())) * 2.4;
        const double env =
            ramp_up(t, 0.0, 0.004) * (0.35 * exp_decay(t, 0.06) + 0.65 * exp_decay(t, 0.32));
        const double pop = sparks.next() > 0.9965f && t < 0.45 ? 1.0 : 0.0;
        const double crack =
            crackle2.process(crackle.process(static_cast<float>(pop))) * 3.0 * exp_decay(t, 0.25);
        s[i] = saturate(static_cast<float>(rumble * env + crack), 1.6f);
    }
    mix_into(s, thump(95.0, 38.0, 0.16, 0.8), 0.0, 0.8);
    fade_edges(s, 0.0, 0.1);
    return s;
}

// The player's plane lost: a cartoon whine falling in pitch as it dives, then
// a crash with a thump and a few tinny clanks of parts bouncing.
Samples make_pldeath() {
    const double dive = 1.35, length = 2.5;
    Samples s(frames_for(length));
    Phase whine;
    for (int i = 0; i < frames_for(dive); ++i) {
        const double t = time_of(i);
        const double f = glide(t, 1150.0, 190.0, dive) * (1.0 + 0.025 * sine(7.0 * t));
        const double p = whine.advance(f);
        const double tone = 0.8 * sine(p) + 0.22 * sine(3 * p) + 0.1 * sine(2 * p);
        const double env =
            ramp_up(t, 0.0, 0.03) * (0.45 + 0.55 * t / dive) * ramp_down(t, dive - 0.03, 0.03);
        s[i] = static_cast<float>(tone * env * 0.8);
    }
    Samples crash(frames_for(length - dive));
    Noise noise(7);
    Biquad body;
    for (std::size_t i = 0; i < crash.size(); ++i) {
        const double t = time_of(static_cast<int>(i));
        body.lowpass(glide(t, 3000.0, 250.0, 0.6), 0.8);
        const double env = ramp_up(t, 0.0, 0.003) * exp_decay(t, 0.22);
        crash[i] = saturate(static_cast<float>(body.process(noise.next()) * 2.2 * env), 2.2f);
    }
    mix_into(s, crash, dive, 0.9);
    mix_into(s, thump(110.0, 40.0, 0.14, 0.7), dive, 0.8);
    // Tin parts bouncing: short inharmonic rings, each a little later and softer.
    const std::array<double, 3> bounces = {0.05, 0.21, 0.36};
    for (std::size_t b = 0; b < bounces.size(); ++b) {
        Samples clank(frames_for(0.4));
        Phase p1, p2, p3;
        const double base = 640.0 + 90.0 * b;
        for (std::size_t i = 0; i < clank.size(); ++i) {
            const double t = time_of(static_cast<int>(i));
            const double ring = sine(p1.advance(base)) + 0.6 * sine(p2.advance(base * 2.71)) +
                                0.35 * sine(p3.advance(base * 4.53));
            clank[i] = static_cast<float>(ring * exp_decay(t, 0.07) * ramp_up(t, 0.0, 0.001));
        }
        mix_into(s, clank, dive + bounces[b], 0.16 / (1.0 + b));
    }
    s.resize(frames_for(length));
    fade_edges(s, 0.0, 0.12);
    return s;
}

// The biplane's engine: a buzzing "brrr" on a 30 Hz chug with a propeller
// whoosh, made as an exact loop of one second. Every tone is a whole number of
// hertz and every modulation a whole number of cycles per second, and the
// noise is filtered round the loop until it is periodic, so the end joins the
// start exactly. The buzz sits in the low mids (150-500 Hz) so that small
// speakers carry it too.
Samples make_bploop() {
    const int length = kRate;  // one second
    Samples s(length);
    constexpr double kChug = 30.0;
    // Fixed scattered phases keep the harmonics from lining up into a spiky
    // pulse train: a smooth buzz instead of a rattle of clicks.
    std::array<double, 41> phases{};
    Noise scatter(80);
    for (double& p : phases) p = scatter.uniform(0.0, 1.0);
    for (int i = 0; i < length; ++i) {
        const double t = time_of(i);
        const double wobble = 0.35 * sine(2.0 * t);  // phase wobble, 2 cycles per loop
        double buzz = 0.0;
        for (int k = 2; k <= 40; ++k) {
            const double f = k * kChug;
            const double body = 1.0 / (1.0 + std::pow((f - 300.0) / 220.0, 2.0));
            const double weight = body / std::sqrt(k) + 0.15 / k;
            buzz += weight * sine(k * (kChug * t) + wobble * k / kTwoPi + phases[k]);
        }
        // Each firing stroke swells and fades smoothly (no step, so no click).
        const double cycle = kChug * t - std::floor(kChug * t);
        const double stroke = 0.6 + 0.4 * std::pow(0.5 + 0.5 * std::cos(kTwoPi * cycle), 3.0);
        const double swell = 1.0 + 0.06 * sine(3.0 * t);
        s[i] = static_cast<float>(buzz * stroke * swell);
    }
    // The propeller: noise filtered round the loop three times so the filter's
    // state has settled into the loop's own period, pulsed by the blades.
    Noise noise(8);
    Samples white(length);
    for (float& v : white) v = noise.next();
    Biquad band;
    band.bandpass(900.0, 0.9);
    Samples whoosh(length);
    for (int pass = 0; pass < 3; ++pass) {
        for (int i = 0; i < length; ++i) whoosh[i] = band.process(white[i]);
    }
    for (int i = 0; i < length; ++i) {
        const double t = time_of(i);
        const double blades = 0.5 + 0.5 * sine(60.0 * t);
        s[i] += static_cast<float>(whoosh[i] * 0.5 * blades);
    }
    return s;
}

}  // namespace

const std::vector<Recipe>& recipes() {
    static const std::vector<Recipe> all = {
        {"fire", make_fire, -18.0, false},         {"balloonpop", make_balloonpop, -18.0, false},
        {"blimphit", make_blimphit, -18.0, false}, {"startstage", make_startstage, -18.0, false},
        {"endstage", make_endstage, -18.0, false}, {"explode", make_explode, -18.0, false},
        {"pldeath", make_pldeath, -18.0, false},   {"bploop", make_bploop, -24.0, true},
    };
    return all;
}

double gated_rms_db(const Samples& samples) {
    const int window = frames_for(0.02);
    std::vector<double> powers;
    for (std::size_t start = 0; start + window <= samples.size(); start += window) {
        double sum = 0.0;
        for (int i = 0; i < window; ++i) sum += double(samples[start + i]) * samples[start + i];
        powers.push_back(sum / window);
    }
    if (powers.empty()) return -200.0;
    const double loudest = *std::max_element(powers.begin(), powers.end());
    double sum = 0.0;
    int counted = 0;
    for (double p : powers) {
        if (p >= loudest * 0.01) {  // within 20 dB
            sum += p;
            ++counted;
        }
    }
    return 10.0 * std::log10(std::max(sum / counted, 1e-20));
}

}  // namespace soundgen
