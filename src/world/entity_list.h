#pragma once
// The ordered list of one entity kind. Instances stay in the order they were
// appended. A walk goes from first to last and tolerates removals made by its
// body: the current instance, or instances of this list reached through another
// list's walk. A removed instance is unlinked at once for everything that walks
// the list afterwards, but its memory is kept until no walk of the list is
// running, so an instance removed during its own update finishes that update
// safely.
#include <algorithm>
#include <list>
#include <memory>
#include <utility>

template <typename T>
class EntityList {
  public:
    EntityList() = default;
    EntityList(const EntityList&) = delete;
    EntityList& operator=(const EntityList&) = delete;

    T& add_last(std::unique_ptr<T> item) {
        T& ref = *item;
        entries_.push_back(Entry{std::move(item), false});
        ++live_;
        return ref;
    }

    // Removing an instance that is not (or no longer) in the list does nothing.
    void remove(const T& item) {
        auto it = std::find_if(entries_.begin(), entries_.end(),
                               [&](const Entry& e) { return !e.removed && e.item.get() == &item; });
        if (it == entries_.end()) return;
        it->removed = true;
        --live_;
        if (walks_ == 0) entries_.erase(it);
    }

    // Removes every instance, as removing each in turn would: at once for
    // every walk, and freed once no walk of the list is running.
    void remove_all() {
        for (Entry& e : entries_) e.removed = true;
        live_ = 0;
        if (walks_ == 0) entries_.clear();
    }

    // Calls body(T&) on each live instance, first to last,
    // including instances appended during the walk.
    template <typename Body>
    void enumerate(Body&& body) {
        ++walks_;
        struct WalkEnd {
            EntityList* list;
            ~WalkEnd() {
                if (--list->walks_ == 0) list->purge();
            }
        } walk_end{this};
        for (auto it = entries_.begin(); it != entries_.end();) {
            auto current = it++;
            if (!current->removed) body(*current->item);
        }
    }

    // Read-only walk for observers (traces, tests).
    template <typename Visit>
    void for_each(Visit&& visit) const {
        for (const Entry& e : entries_)
            if (!e.removed) visit(static_cast<const T&>(*e.item));
    }

    int count() const { return live_; }
    bool empty() const { return live_ == 0; }
    T* first() {
        for (Entry& e : entries_)
            if (!e.removed) return e.item.get();
        return nullptr;
    }

  private:
    struct Entry {
        std::unique_ptr<T> item;
        bool removed;
    };
    void purge() {
        entries_.remove_if([](const Entry& e) { return e.removed; });
    }

    std::list<Entry> entries_;
    int live_ = 0;
    int walks_ = 0;
};
