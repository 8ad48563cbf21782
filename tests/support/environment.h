// SPDX-License-Identifier: GPL-3.0-or-later
// Environment variables set for a scope.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace vistrel::test {

inline void SetEnvironment(const char* name, const std::optional<std::string>& value)
{
#ifdef _WIN32
    _putenv_s(name, value ? value->c_str() : "");
#else
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
#endif
}

// Sets (or unsets) an environment variable until the end of the scope.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        SetEnvironment(name, value);
    }
    ~ScopedEnvironment() { SetEnvironment(name_.c_str(), old_); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

} // namespace vistrel::test
