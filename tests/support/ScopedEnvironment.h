#pragma once

#include <optional>
#include <string>
#include <vector>

// Sets (or, given no value, unsets) environment variables for the rest of a
// scope, restoring their earlier values after.
class ScopedEnvironment {
public:
    void set(const std::string& name, const std::optional<std::string>& value);
    ScopedEnvironment() = default;
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};
