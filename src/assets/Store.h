#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <stdexcept>
#include <utility>

// A program-wide, append-only table addressed by position. Entries are never
// removed, replaced or moved (a deque keeps element addresses on push_back),
// so a position or a reference handed out stays valid for the whole run.
template <typename T> class Store {
public:
    Store() = default;
    Store(const Store&) = delete;
    Store& operator=(const Store&) = delete;

    // Appends an entry and returns its position.
    uint32_t push(T item) {
        items.push_back(std::move(item));
        return static_cast<uint32_t>(items.size() - 1);
    }

    // Bounds-checked: a position outside the table throws std::out_of_range.
    T& at(std::size_t position) { return items.at(position); }
    const T& at(std::size_t position) const { return items.at(position); }

    std::size_t size() const { return items.size(); }

private:
    std::deque<T> items;
};
