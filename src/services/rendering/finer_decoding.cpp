#include "services/rendering/finer_decoding.h"

#include <condition_variable>
#include <deque>
#include <thread>
#include <utility>

namespace svc::detail {

void FinerDecoding::decode() {
    std::call_once(decoded_, [this] {
        auto picture = decode_png(png_);
        if (!picture || picture->width != width_ || picture->height != height_) return;
        result_ = pixmap_of(std::move(*picture), masked_, mask_);
    });
}

std::optional<Pixmap> FinerDecoding::take() {
    decode();
    return std::exchange(result_, std::nullopt);
}

namespace {

// One thread leaves the other cores to start-up's own work; it is started with
// the first picture and stopped (after the picture in hand) when the program ends.
class BackgroundDecoder {
  public:
    ~BackgroundDecoder() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        if (thread_.joinable()) thread_.join();
    }

    void add(std::weak_ptr<FinerDecoding> decoding) {
        {
            const std::lock_guard lock(mutex_);
            queue_.push_back(std::move(decoding));
            if (!thread_.joinable()) thread_ = std::thread([this] { work(); });
        }
        wake_.notify_one();
    }

  private:
    void work() {
        while (std::shared_ptr<FinerDecoding> decoding = next()) {
            try {
                decoding->decode();
            } catch (...) {
                // Out of memory: whoever takes the picture tries again and is told.
            }
        }
    }

    // The next picture still wanted; null once the program ends.
    std::shared_ptr<FinerDecoding> next() {
        std::unique_lock lock(mutex_);
        while (true) {
            wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (stopping_) return nullptr;
            std::shared_ptr<FinerDecoding> decoding = queue_.front().lock();
            queue_.pop_front();
            if (decoding) return decoding;
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::weak_ptr<FinerDecoding>> queue_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace

void decode_in_background(const std::shared_ptr<FinerDecoding>& decoding) {
#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
    // A page without threads decodes each picture when it is first needed.
    static_cast<void>(decoding);
#else
    static BackgroundDecoder decoder;
    decoder.add(decoding);
#endif
}

}  // namespace svc::detail
