#pragma once
// Sets a flag for the length of a scope and clears it on every way out, so
// that code can tell it was reached from within that scope (re-entry guards).

namespace platform {

class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FlagScope() { m_flag = false; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
};

} // namespace platform
