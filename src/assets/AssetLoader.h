#pragma once

#include <cstddef>
#include <deque>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

// A name-keyed cache of assets of type T. The first request for a name loads
// the asset through the concrete loader's `load`; every later request hands
// out the same object. Nothing is ever evicted: the cache owns its entries
// until the program exits.
//
// Entries are only appended, and their storage never moves an existing entry
// (a deque keeps element addresses on push_back), so a reference returned by
// `get` stays valid for the life of the program, also across later loads.
template <typename T> class AssetLoader {
public:
    explicit AssetLoader(std::string directory) : directory(std::move(directory)) {}

    AssetLoader(const AssetLoader&) = delete;
    AssetLoader& operator=(const AssetLoader&) = delete;

    // Produces one asset from its name. Reports its own failures and then
    // still returns an asset (the loader's failure asset), which `get` caches
    // like any other, so a failed name is loaded and reported once only.
    virtual T load(const std::string& name) = 0;

    // The cached asset for `name`, loading it first when the name is new.
    // Keys compare byte for byte: no case folding, no path normalisation.
    // A hit allocates nothing beyond the by-value name.
    virtual T& get(std::string name) {
        for (std::size_t i = 0; i < assets.size(); ++i) {
            if (names[i] == name) {
                return assets[i];
            }
        }
        T loaded = load(name);
        return append(std::move(name), std::move(loaded));
    }

    // Number of cached entries.
    std::size_t size() const { return assets.size(); }

    // Entry access by position, bounds-checked: a position outside the cache
    // is a programming error and throws std::out_of_range.
    T& at(std::size_t position) { return assets.at(position); }
    const T& at(std::size_t position) const { return assets.at(position); }
    const std::string& nameAt(std::size_t position) const { return names.at(position); }

    // The base folder the concrete loader builds its file paths from.
    const std::string& baseDirectory() const { return directory; }

protected:
    // Loaders are only ever destroyed as their concrete type (function-local
    // statics), never through a pointer to this base.
    ~AssetLoader() = default;

    // Appends an entry without looking for an existing one of the same name;
    // since `get` returns the first match, an earlier entry keeps winning.
    T& append(std::string name, T asset) {
        assets.push_back(std::move(asset));
        names.push_back(std::move(name));
        return assets.back();
    }

private:
    std::deque<T> assets;
    std::vector<std::string> names;

protected:
    const std::string directory;
};
