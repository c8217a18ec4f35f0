#pragma once
// A demo's input held in memory: the batches each intake took in, packed a
// few bytes an event, and a cursor that walks them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "services/input_script.h"

// The events one intake took in: right after frame `frame` was shown, or (wait)
// at one poll of a wait that followed it.
struct DemoBatch {
    int frame = 0;
    bool wait = false;
    std::vector<svc::ScriptEvent> events;
    bool operator==(const DemoBatch&) const = default;
};

// A demo's input: its batches in the order taken in, each event packed into a
// few bytes (one for most, at most seven), never more than two fifths of the
// size of its lines, so that a demo of 64 MiB of text holds at most about
// 26 MiB here however its lines are made.
class DemoInput {
  public:
    // Frames never go back. The events are presses, releases and the other
    // events of a recording (no taps or clicks).
    void add_batch(int frame, bool wait);
    void add_event(const svc::ScriptEvent& event);  // to the last batch
    void add(const DemoBatch& batch);
    // Drops the batches of `frame` and later ones.
    void drop_from(int frame);
    void shrink_to_fit() { bytes_.shrink_to_fit(); }

    bool empty() const { return bytes_.empty(); }
    int last_frame() const { return last_frame_; }  // of the last batch
    bool last_batch_empty() const { return last_batch_empty_; }
    std::vector<DemoBatch> batches() const;  // unpacked, for small demos
    bool operator==(const DemoInput& other) const { return bytes_ == other.bytes_; }

    // Walks the batches in order, an event at a time.
    class Cursor {
      public:
        explicit Cursor(const DemoInput& input);
        bool at_end() const { return !head_; }
        int frame() const { return head_ ? head_->frame : 0; }  // of the batch it is in
        bool wait() const { return head_ && head_->wait; }
        // The batch's next event; false at its end, the cursor then at the next batch.
        bool next_event(svc::ScriptEvent& event);

      private:
        friend class DemoInput;
        struct Head {
            int frame;
            bool wait;
        };
        void read_head();

        const std::vector<std::uint8_t>* bytes_;
        std::size_t at_ = 0;
        std::size_t batch_at_ = 0;  // where the batch it is in starts
        int frame_ = 0;
        std::optional<Head> head_;
    };

  private:
    std::vector<std::uint8_t> bytes_;
    int last_frame_ = 0;
    bool last_batch_empty_ = false;
};
