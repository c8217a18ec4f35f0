#include "shell/demo_file.h"

#include <bit>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "services/files.h"
#include "services/text_words.h"

namespace {

constexpr const char* kMagic = "scribble-squadron";
constexpr int kMaxFrame = 2'000'000'000;  // what a frame's word may say before it is judged
constexpr int kMaxHits = 1'000'000'000;
constexpr int kTopVolumeStep = 10;

using Words = std::vector<std::string_view>;
using Kind = svc::ScriptEvent::Kind;
using Action = svc::ScriptEvent::Action;

using svc::exact_float_text;
using svc::parse_finite_float;
using svc::parse_int_in;
using svc::parse_number;
using svc::printable_text;
using svc::split_words;

// --- Lines -------------------------------------------------------------------------

// The lines of a whole text, or of a file read a piece at a time. A line
// longer than kDemoMaxLineBytes, a read error or a file that grows past
// kDemoMaxBytes stops the reading with a failure.
class Lines {
  public:
    explicit Lines(std::string_view text) : data_(text), at_end_(true) {}
    explicit Lines(std::FILE* file) : file_(file), buffer_(kPieceBytes) {}

    // The next line without its newline; false at the end or on a failure.
    bool next(std::string_view& line) {
        while (failure_.empty()) {
            const std::string_view rest = data_.substr(at_);
            const std::size_t newline = rest.substr(0, kDemoMaxLineBytes + 1).find('\n');
            if (newline != std::string_view::npos) {
                line = rest.substr(0, newline);
                at_ += newline + 1;
                ++number_;
                return true;
            }
            if (rest.size() > kDemoMaxLineBytes) {
                too_long_ = true;
                failure_ = "line " + std::to_string(number_ + 1) +
                           ": longer than any line of a demo (more than " +
                           std::to_string(kDemoMaxLineBytes) + " bytes)";
            } else if (at_end_) {
                if (finished_) return false;
                finished_ = true;  // the text after the last newline is a line too
                line = rest;
                at_ = data_.size();
                ++number_;
                return true;
            } else {
                refill();
            }
        }
        return false;
    }

    int number() const { return number_; }  // of the last line given
    bool too_long() const { return too_long_; }
    const std::string& failure() const { return failure_; }

  private:
    static constexpr std::size_t kPieceBytes = 64u << 10;

    // Keeps what is left of the buffer and reads the file behind it.
    void refill() {
        const std::size_t kept = data_.size() - at_;
        if (kept > 0) std::memmove(buffer_.data(), data_.data() + at_, kept);
        errno = 0;
        const std::size_t got = std::fread(buffer_.data() + kept, 1, buffer_.size() - kept, file_);
        if (got == 0) {
            at_end_ = true;
            if (std::ferror(file_)) failure_ = errno ? std::strerror(errno) : "cannot be read";
        }
        read_ += got;
        if (read_ > kDemoMaxBytes) failure_ = "too large (a demo has at most 64 MiB)";
        data_ = std::string_view(buffer_.data(), kept + got);
        at_ = 0;
    }

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::string_view data_;
    std::size_t at_ = 0;
    std::size_t read_ = 0;
    bool at_end_ = false;
    bool finished_ = false;
    int number_ = 0;
    bool too_long_ = false;
    std::string failure_;
};

// --- Reading ------------------------------------------------------------------------

// Volumes are kept from 0 (off) to twice the loudest step, whatever drift the
// menu's steps add up to.
bool parse_volume(std::string_view word, float& out) {
    return parse_finite_float(word, out) && out >= 0.0f && out <= 2.0f;
}

bool parse_hex(std::string_view word, std::size_t digits, std::uint64_t& out) {
    return word.size() == digits && parse_number(word, out, 16);
}

// "-" or a comma-separated list of items, each read by `item`.
template <typename Item>
bool parse_list(std::string_view word, Item&& item) {
    if (word == "-") return true;
    while (true) {
        const std::size_t comma = word.find(',');
        if (!item(word.substr(0, comma))) return false;
        if (comma == std::string_view::npos) return true;
        word = word.substr(comma + 1);
    }
}

// Reads the lines one by one; blank lines and comments (from '#') are skipped.
class Reader {
  public:
    explicit Reader(Lines lines) : lines_(std::move(lines)) {}

    DemoRead read() {
        Demo demo;
        std::string error = read_header(demo);
        if (error.empty()) error = read_body(demo);
        // A failure to read a line is what went wrong, not what the reader made of the end.
        if (!lines_.failure().empty()) {
            error = lines_.too_long() && lines_.number() == 0 ? "not a Scribble Squadron demo"
                                                              : lines_.failure();
        }
        if (!error.empty()) return {std::nullopt, error};
        demo.input.shrink_to_fit();
        demo.checks.shrink_to_fit();
        return {std::move(demo), ""};
    }

  private:
    // The next line with words in it; false at the end of the text.
    bool next() {
        while (lines_.next(line_)) {
            if (const std::size_t hash = line_.find('#'); hash != std::string_view::npos) {
                line_ = line_.substr(0, hash);
            }
            words_ = split_words(line_);
            if (!words_.empty()) {
                last_line_ = lines_.number();
                return true;
            }
        }
        return false;
    }

    std::string at_line(const std::string& what) const {
        return "line " + std::to_string(lines_.number()) + ": " + what;
    }
    bool is(std::string_view keyword, std::size_t count) const {
        return words_.size() == count && words_[0] == keyword;
    }
    std::string expected(const std::string& usage) const {
        return at_line("expected '" + usage + "'");
    }

    // A frame number that parsed is still refused past the longest demo.
    std::string past_longest(int frame) const {
        if (frame <= kDemoMaxFrames) return "";
        return at_line("frame " + std::to_string(frame) + " is past the longest a demo holds, " +
                       std::to_string(kDemoMaxFrames) + " (100 hours)");
    }

    std::string read_header(Demo& demo) {
        DemoStart& start = demo.start;
        if (!next()) return "the file is empty";
        if (words_.size() != 3 || words_[0] != kMagic || words_[1] != "demo") {
            return "not a Scribble Squadron demo";
        }
        if (!parse_int_in(words_[2], kDemoOldestVersion, kDemoFormatVersion, demo.version)) {
            return "demo format " + printable_text(words_[2].substr(0, 12)) +
                   " is not one this game reads (it reads formats " +
                   std::to_string(kDemoOldestVersion) + " to " +
                   std::to_string(kDemoFormatVersion) + ")";
        }
        if (!next() || !is("game", 2)) return expected("game VERSION");
        start.game_version = words_[1];
        if (!next() || !is("random", 2) || !parse_hex(words_[1], 16, start.random_state) ||
            start.random_state == 0) {
            return expected("random STATE") + " (16 hexadecimal digits, not all 0)";
        }
        if (!next() || !read_volumes(start.volumes)) {
            return expected("volumes STEP VOLUME STEP VOLUME") + " (steps 0 to 10)";
        }
        if (!next() || !is("best", 2) || !parse_number(words_[1], start.best_score)) {
            return expected("best SCORE");
        }
        if (!next() || !is("pointer", 3) || !parse_int_in(words_[1], 0, 639, start.input.mouse_x) ||
            !parse_int_in(words_[2], 0, 479, start.input.mouse_y)) {
            return expected("pointer X Y") + " (within 640 x 480)";
        }
        return read_header_extras(start.input);
    }

    bool read_volumes(Volumes& volumes) const {
        return is("volumes", 5) &&
               parse_int_in(words_[1], 0, kTopVolumeStep, volumes.effects_step) &&
               parse_volume(words_[2], volumes.effects) &&
               parse_int_in(words_[3], 0, kTopVolumeStep, volumes.engine_step) &&
               parse_volume(words_[4], volumes.engine);
    }

    // The optional lines about the input: joysticks not at rest, an inactive
    // window, a pending close. Leaves the first line of the body read.
    std::string read_header_extras(svc::LastingInput& input) {
        has_line_ = next();
        int last_port = -1;
        while (has_line_ && words_[0] == "joystick") {
            int port = 0;
            if (words_.size() != 8 || !parse_int_in(words_[1], last_port + 1, 7, port) ||
                !read_joystick(input.joysticks[port])) {
                return expected("joystick PORT X Y held BUTTONS hits BUTTON:COUNT") +
                       " (ports in order)";
            }
            last_port = port;
            has_line_ = next();
        }
        if (has_line_ && is("inactive", 1)) {
            input.suspended = true;
            has_line_ = next();
        }
        if (has_line_ && is("close", 2) && words_[1] == "pending") {
            input.close_pending = true;
            has_line_ = next();
        }
        return "";
    }

    bool read_joystick(svc::JoystickState& joy) const {
        if (!parse_finite_float(words_[2], joy.x) || !parse_finite_float(words_[3], joy.y) ||
            std::abs(joy.x) > 1.0f || std::abs(joy.y) > 1.0f || words_[4] != "held" ||
            words_[6] != "hits") {
            return false;
        }
        const bool held = parse_list(words_[5], [&](std::string_view item) {
            int button = 0;
            if (!parse_int_in(item, 0, svc::kMaxJoystickButtons - 1, button) || joy.down[button]) {
                return false;
            }
            joy.down[button] = true;
            return true;
        });
        return held && parse_list(words_[7], [&](std::string_view item) {
                   const std::size_t colon = item.find(':');
                   int button = 0;
                   return colon != std::string_view::npos &&
                          parse_int_in(item.substr(0, colon), 0, svc::kMaxJoystickButtons - 1,
                                       button) &&
                          joy.hits[button] == 0 &&
                          parse_int_in(item.substr(colon + 1), 1, kMaxHits, joy.hits[button]);
               });
    }

    std::string read_body(Demo& demo) {
        for (; has_line_; has_line_ = next()) {
            std::string error;
            if (words_[0] == "end") return read_end(demo);
            if (words_[0] == "wait") {
                error = read_wait(demo);
            } else if (words_[0] == "check") {
                error = read_check(demo);
            } else {
                error = read_event(demo);
            }
            if (!error.empty()) return error;
        }
        return "the file ends after line " + std::to_string(last_line_) +
               " without its 'end' line (cut short?)";
    }

    // Frames never go back; returns false (with the error set) when `frame` does.
    bool in_order(int frame, std::string& error) {
        if (frame < last_frame_) {
            error = at_line("frame " + std::to_string(frame) + " comes after frame " +
                            std::to_string(last_frame_));
            return false;
        }
        last_frame_ = frame;
        return true;
    }

    std::string read_wait(Demo& demo) {
        int frame = 0;
        if (!is("wait", 2) || !parse_int_in(words_[1], 1, kMaxFrame, frame)) {
            return expected("wait FRAME");
        }
        if (std::string error = past_longest(frame); !error.empty()) return error;
        if (std::string error = close_wait(demo); !error.empty()) return error;
        std::string error;
        if (!in_order(frame, error)) return error;
        demo.input.add_batch(frame, true);
        open_wait_line_ = lines_.number();
        return "";
    }

    // A wait line must have events below it.
    std::string close_wait(const Demo& demo) const {
        if (open_wait_line_ != 0 && demo.input.last_batch_empty()) {
            return "line " + std::to_string(open_wait_line_) + ": a wait with no events";
        }
        return "";
    }

    std::string read_event(Demo& demo) {
        svc::ScriptEvent event;
        if (std::string error = svc::parse_script_line(line_, event); !error.empty()) {
            return at_line(error);
        }
        if (event.timing != svc::ScriptEvent::Timing::kAfterFlip || event.when < 1) {
            return at_line("a demo's events come after a frame, numbered from 1");
        }
        if (event.action == Action::kTap || event.action == Action::kClick) {
            return at_line("a demo records presses and releases, not taps or clicks");
        }
        if (std::string error = past_longest(event.when); !error.empty()) return error;
        std::string error;
        if (!in_order(event.when, error)) return error;
        const bool joins_last = !demo.input.empty() && demo.input.last_frame() == event.when;
        if (!joins_last) {
            if (std::string closed = close_wait(demo); !closed.empty()) return closed;
            open_wait_line_ = 0;
            demo.input.add_batch(event.when, false);
        }
        demo.input.add_event(event);
        return "";
    }

    std::string read_check(Demo& demo) {
        int frame = 0;
        std::uint64_t hash = 0;
        if (!is("check", 3) || !parse_int_in(words_[1], 1, kMaxFrame, frame) ||
            !parse_hex(words_[2], 8, hash)) {
            return expected("check FRAME HASH") + " (8 hexadecimal digits)";
        }
        if (std::string error = past_longest(frame); !error.empty()) return error;
        std::string error;
        if (!in_order(frame, error)) return error;
        const int next_periodic = periodic_checks_ * kDemoCheckEvery + kDemoCheckEvery;
        if (last_check_ != 0) {
            return at_line("only the check at the last frame may fall between two of every " +
                           std::to_string(kDemoCheckEvery));
        }
        if (frame % kDemoCheckEvery == 0) {
            if (frame != next_periodic) {
                return at_line("the check of frame " + std::to_string(next_periodic) +
                               " is missing");
            }
            ++periodic_checks_;
        } else {
            last_check_ = frame;
        }
        demo.checks.push_back({frame, static_cast<std::uint32_t>(hash)});
        return "";
    }

    std::string read_end(Demo& demo) {
        if (!is("end", 7) || words_[1] != "frames" || words_[3] != "score" ||
            words_[5] != "stage" || !parse_int_in(words_[2], 1, kMaxFrame, demo.frames) ||
            !parse_number(words_[4], demo.score) || !parse_number(words_[6], demo.stage)) {
            return expected("end frames FRAMES score SCORE stage STAGE");
        }
        if (std::string error = past_longest(demo.frames); !error.empty()) return error;
        if (std::string error = close_wait(demo); !error.empty()) return error;
        if (!demo.input.empty() && demo.input.last_frame() >= demo.frames) {
            return at_line("events come after the last frame, " + std::to_string(demo.frames));
        }
        const int missing = (periodic_checks_ + 1) * kDemoCheckEvery;
        if (missing <= demo.frames) {
            return at_line("the check of frame " + std::to_string(missing) + " is missing");
        }
        if (demo.checks.empty() || demo.checks.back().frame != demo.frames) {
            return at_line("the last frame, " + std::to_string(demo.frames) + ", has no check");
        }
        if (next()) return at_line("text after the 'end' line");
        return "";
    }

    Lines lines_;
    int last_line_ = 0;  // the last line with words in it
    std::string_view line_;
    Words words_;
    bool has_line_ = false;
    int last_frame_ = 0;
    int open_wait_line_ = 0;   // the line of the wait whose batch is open, 0 if none
    int periodic_checks_ = 0;  // checks at multiples of kDemoCheckEvery so far
    int last_check_ = 0;       // the one check off that rhythm, at the last frame
};

void write_header(const Demo& demo, std::string& out) {
    const DemoStart& start = demo.start;
    char random[32];
    std::snprintf(random, sizeof random, "%016" PRIx64, start.random_state);
    const Volumes& v = start.volumes;
    out += std::string(kMagic) + " demo " + std::to_string(demo.version) + "\n";
    out += "game " + start.game_version + "\nrandom " + random + "\n";
    out += "volumes " + std::to_string(v.effects_step) + " " + exact_float_text(v.effects) + " " +
           std::to_string(v.engine_step) + " " + exact_float_text(v.engine) + "\n";
    out += "best " + std::to_string(start.best_score) + "\n";
    out += "pointer " + std::to_string(start.input.mouse_x) + " " +
           std::to_string(start.input.mouse_y) + "\n";
    for (int port = 0; port < svc::kMaxJoystickPorts; ++port) {
        const svc::JoystickState& joy = start.input.joysticks[port];
        if (joy == svc::JoystickState{}) continue;
        std::string held, hits;
        for (int b = 0; b < svc::kMaxJoystickButtons; ++b) {
            if (joy.down[b]) held += (held.empty() ? "" : ",") + std::to_string(b);
            if (joy.hits[b]) {
                hits += (hits.empty() ? "" : ",") + std::to_string(b) + ":" +
                        std::to_string(joy.hits[b]);
            }
        }
        out += "joystick " + std::to_string(port) + " " + exact_float_text(joy.x) + " " +
               exact_float_text(joy.y) + " held " + (held.empty() ? "-" : held) + " hits " +
               (hits.empty() ? "-" : hits) + "\n";
    }
    if (start.input.suspended) out += "inactive\n";
    if (start.input.close_pending) out += "close pending\n";
}

void write_check(const DemoCheck& check, std::string& out) {
    char hash[16];
    std::snprintf(hash, sizeof hash, "%08" PRIx32, check.hash);
    out += "check " + std::to_string(check.frame) + " " + hash + "\n";
}

}  // namespace

// --- The file --------------------------------------------------------------------------

DemoRead parse_demo(std::string_view text) {
    return Reader(Lines(text)).read();
}

DemoRead read_demo_file(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) return {std::nullopt, "no such file"};
    if (!std::filesystem::is_regular_file(status)) return {std::nullopt, "not a file"};
    const std::uintmax_t size = std::filesystem::file_size(path, error);
    if (!error && size > kDemoMaxBytes) {
        return {std::nullopt, "too large (" + std::to_string(size) + " bytes; a demo has at most " +
                                  std::to_string(kDemoMaxBytes >> 20) + " MiB)"};
    }
    errno = 0;
    const svc::StreamRef file = svc::open_read(path);
    if (!file) return {std::nullopt, errno ? std::strerror(errno) : "cannot be read"};
    return Reader(Lines(file->file)).read();
}

std::string this_game_version() {
    return SCRIBBLE_VERSION;
}

std::string format_demo(const Demo& demo) {
    std::string out;
    write_header(demo, out);
    auto check = demo.checks.begin();
    for (DemoInput::Cursor batch(demo.input); !batch.at_end();) {
        for (; check != demo.checks.end() && check->frame <= batch.frame(); ++check) {
            write_check(*check, out);
        }
        if (batch.wait()) out += "wait " + std::to_string(batch.frame()) + "\n";
        for (svc::ScriptEvent event; batch.next_event(event);) {
            out += svc::format_script_line(event) + "\n";
        }
    }
    for (; check != demo.checks.end(); ++check) write_check(*check, out);
    out += "end frames " + std::to_string(demo.frames) + " score " + std::to_string(demo.score) +
           " stage " + std::to_string(demo.stage) + "\n";
    return out;
}
