#pragma once

#include <optional>
#include <string>

// Sets an environment variable for the life of the object, then puts the former value back
// (or unsets it again), however the test ends.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value);
    ~ScopedVariable();
    ScopedVariable(const ScopedVariable&) = delete;
    ScopedVariable& operator=(const ScopedVariable&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_former;
};
