#include "shell/demo_input.h"

#include <bit>

namespace {

using Kind = svc::ScriptEvent::Kind;
using Action = svc::ScriptEvent::Action;

// --- The packed input ----------------------------------------------------------------
//
// Each event starts with a byte whose low three bits say what it is; bit 3 is
// a release, a gained focus, the y axis or a wait's batch; bits 4 to 6 a
// joystick's port. A key, a mouse button or a joystick button adds a byte, a
// pointer two variable-length numbers, an axis the four bytes of its value,
// and a batch's start the frames since the previous batch.

enum Tag : std::uint8_t {
    kKeyTag,
    kMouseMoveTag,
    kMouseButtonTag,
    kJoyAxisTag,
    kJoyButtonTag,
    kFocusTag,
    kCloseTag,
    kBatchTag
};
constexpr std::uint8_t kTagBits = 0x07;
constexpr std::uint8_t kFlag = 0x08;
constexpr int kPortShift = 4;

void put_varint(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (; value >= 0x80; value >>= 7) out.push_back(static_cast<std::uint8_t>(value | 0x80));
    out.push_back(static_cast<std::uint8_t>(value));
}

std::uint32_t get_varint(const std::vector<std::uint8_t>& in, std::size_t& at) {
    std::uint32_t value = 0;
    for (int shift = 0;; shift += 7) {
        const std::uint8_t byte = in[at++];
        value |= static_cast<std::uint32_t>(byte & 0x7f) << shift;
        if (!(byte & 0x80)) return value;
    }
}

// Small numbers of either sign in few bytes: 0, -1, 1, -2, ... as 0, 1, 2, 3, ...
std::uint32_t zigzag(int value) {
    return static_cast<std::uint32_t>(value) << 1 ^ static_cast<std::uint32_t>(value >> 31);
}
int unzigzag(std::uint32_t value) {
    return static_cast<int>(value >> 1) ^ -static_cast<int>(value & 1);
}

}  // namespace

void DemoInput::add_batch(int frame, bool wait) {
    bytes_.push_back(kBatchTag | (wait ? kFlag : 0));
    put_varint(bytes_, static_cast<std::uint32_t>(frame - last_frame_));
    last_frame_ = frame;
    last_batch_empty_ = true;
}

void DemoInput::add_event(const svc::ScriptEvent& event) {
    const std::uint8_t released = event.action == Action::kUp ? kFlag : 0;
    const auto port = static_cast<std::uint8_t>(event.port << kPortShift);
    const auto code = static_cast<std::uint8_t>(event.code);
    switch (event.kind) {
        case Kind::kKey:
            bytes_.insert(bytes_.end(), {static_cast<std::uint8_t>(kKeyTag | released), code});
            break;
        case Kind::kMouseMove:
            bytes_.push_back(kMouseMoveTag);
            put_varint(bytes_, zigzag(event.x));
            put_varint(bytes_, zigzag(event.y));
            break;
        case Kind::kMouseButton:
            bytes_.insert(bytes_.end(),
                          {static_cast<std::uint8_t>(kMouseButtonTag | released), code});
            break;
        case Kind::kJoyAxis: {
            bytes_.push_back(kJoyAxisTag | (event.code ? kFlag : 0) | port);
            const auto bits = std::bit_cast<std::uint32_t>(event.value);
            for (int shift = 0; shift < 32; shift += 8) {
                bytes_.push_back(static_cast<std::uint8_t>(bits >> shift));
            }
            break;
        }
        case Kind::kJoyButton:
            bytes_.insert(bytes_.end(),
                          {static_cast<std::uint8_t>(kJoyButtonTag | released | port), code});
            break;
        case Kind::kFocus:
            bytes_.push_back(kFocusTag | (event.gained ? kFlag : 0));
            break;
        case Kind::kClose:
            bytes_.push_back(kCloseTag);
            break;
    }
    last_batch_empty_ = false;
}

void DemoInput::add(const DemoBatch& batch) {
    add_batch(batch.frame, batch.wait);
    for (const svc::ScriptEvent& event : batch.events) add_event(event);
}

void DemoInput::drop_from(int frame) {
    Cursor cursor(*this);
    int last_kept = 0;
    for (svc::ScriptEvent event; !cursor.at_end() && cursor.frame() < frame;) {
        last_kept = cursor.frame();
        while (cursor.next_event(event)) {
        }
    }
    if (cursor.at_end()) return;
    bytes_.resize(cursor.batch_at_);
    last_frame_ = last_kept;
    last_batch_empty_ = false;
}

std::vector<DemoBatch> DemoInput::batches() const {
    std::vector<DemoBatch> unpacked;
    for (Cursor cursor(*this); !cursor.at_end();) {
        DemoBatch& batch = unpacked.emplace_back(DemoBatch{cursor.frame(), cursor.wait(), {}});
        for (svc::ScriptEvent event; cursor.next_event(event);) batch.events.push_back(event);
    }
    return unpacked;
}

DemoInput::Cursor::Cursor(const DemoInput& input) : bytes_(&input.bytes_) {
    read_head();
}

void DemoInput::Cursor::read_head() {
    batch_at_ = at_;
    if (at_ == bytes_->size()) {
        head_.reset();
        return;
    }
    const bool wait = (*bytes_)[at_++] & kFlag;
    frame_ += static_cast<int>(get_varint(*bytes_, at_));
    head_ = Head{frame_, wait};
}

bool DemoInput::Cursor::next_event(svc::ScriptEvent& event) {
    const std::vector<std::uint8_t>& bytes = *bytes_;
    if (!head_) return false;
    if (at_ == bytes.size() || (bytes[at_] & kTagBits) == kBatchTag) {
        read_head();
        return false;
    }
    const std::uint8_t first = bytes[at_++];
    const bool flag = first & kFlag;
    const Action pressed = flag ? Action::kUp : Action::kDown;
    event = svc::ScriptEvent{};
    event.when = head_->frame;
    switch (first & kTagBits) {
        case kKeyTag:
            event.kind = Kind::kKey;
            event.action = pressed;
            event.code = bytes[at_++];
            break;
        case kMouseMoveTag:
            event.kind = Kind::kMouseMove;
            event.x = unzigzag(get_varint(bytes, at_));
            event.y = unzigzag(get_varint(bytes, at_));
            break;
        case kMouseButtonTag:
            event.kind = Kind::kMouseButton;
            event.action = pressed;
            event.code = bytes[at_++];
            break;
        case kJoyAxisTag: {
            event.kind = Kind::kJoyAxis;
            event.port = first >> kPortShift;
            event.code = flag ? 1 : 0;
            std::uint32_t bits = 0;
            for (int shift = 0; shift < 32; shift += 8)
                bits |= std::uint32_t{bytes[at_++]} << shift;
            event.value = std::bit_cast<float>(bits);
            break;
        }
        case kJoyButtonTag:
            event.kind = Kind::kJoyButton;
            event.port = first >> kPortShift;
            event.action = pressed;
            event.code = bytes[at_++];
            break;
        case kFocusTag:
            event.kind = Kind::kFocus;
            event.gained = flag;
            break;
        default:
            event.kind = Kind::kClose;
            break;
    }
    return true;
}
