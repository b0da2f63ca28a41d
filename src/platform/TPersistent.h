#pragma once
// Published properties: a class lists its properties that are read and
// written generically by name (settings persistence, copying parameters,
// groups of flags) in a static table of descriptors, in declaration order
// with the inherited ones first. Ordinal kinds (integers and Booleans) are
// read and written as 32-bit integers, everything else as strings.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace platform {

class TPersistent;

enum class TTypeKind { Integer, Boolean, String };

struct TPropInfo {
    std::string_view Name;
    TTypeKind Kind;
    // Set for the ordinal kinds only; a Boolean reads as 0 or 1 and any
    // value other than 0 sets it.
    int32_t (*GetOrd)(const TPersistent&) = nullptr;
    void (*SetOrd)(TPersistent&, int32_t) = nullptr;
    // Set for strings only.
    std::string (*GetStr)(const TPersistent&) = nullptr;
    void (*SetStr)(TPersistent&, const std::string&) = nullptr;

    constexpr bool IsOrdinal() const { return Kind != TTypeKind::String; }
};

using TPropList = std::span<const TPropInfo>;

class TPersistent {
public:
    virtual ~TPersistent() = default;
    // The published properties in declaration order; none by default.
    virtual TPropList PublishedProperties() const { return {}; }
};

// The first published property of `object` named exactly `name` (letter case
// counts), or nullptr.
inline const TPropInfo* FindPropInfo(const TPersistent& object, std::string_view name) {
    for (const auto& p : object.PublishedProperties())
        if (p.Name == name) return &p;
    return nullptr;
}

// Descriptors of properties that are plain data members of T. Used inside
// T's own table, where its private members may be named.
template <class T, int32_t T::*Member>
constexpr TPropInfo IntegerField(std::string_view name) {
    return {name, TTypeKind::Integer,
            [](const TPersistent& o) -> int32_t { return static_cast<const T&>(o).*Member; },
            [](TPersistent& o, int32_t v) { static_cast<T&>(o).*Member = v; }};
}

template <class T, bool T::*Member>
constexpr TPropInfo BooleanField(std::string_view name) {
    return {name, TTypeKind::Boolean,
            [](const TPersistent& o) -> int32_t { return (static_cast<const T&>(o).*Member) ? 1 : 0; },
            [](TPersistent& o, int32_t v) { static_cast<T&>(o).*Member = v != 0; }};
}

template <class T, std::string T::*Member>
constexpr TPropInfo StringField(std::string_view name) {
    return {name, TTypeKind::String, nullptr, nullptr,
            [](const TPersistent& o) -> std::string { return static_cast<const T&>(o).*Member; },
            [](TPersistent& o, const std::string& v) { static_cast<T&>(o).*Member = v; }};
}

} // namespace platform
