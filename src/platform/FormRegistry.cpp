#include "platform/FormRegistry.h"

#include "platform/Text.h"

#include <map>

namespace platform {

namespace {

struct AsciiCaseLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const {
        return text::AsciiLower(a) < text::AsciiLower(b);
    }
};

std::map<std::string, TFormFactory, AsciiCaseLess>& Registry() {
    static std::map<std::string, TFormFactory, AsciiCaseLess> registry;
    return registry;
}

} // namespace

EClassNotFound::EClassNotFound(std::string_view className)
    : std::runtime_error("Class " + std::string(className) + " not found") {}

void RegisterFormClass(std::string_view className, TFormFactory factory) {
    if (className.empty() || !factory) return;
    auto& registry = Registry();
    const auto it = registry.find(className);
    if (it != registry.end()) registry.erase(it);
    registry.emplace(std::string(className), std::move(factory));
}

void UnRegisterFormClass(std::string_view className) {
    auto& registry = Registry();
    const auto it = registry.find(className);
    if (it != registry.end()) registry.erase(it);
}

bool IsFormClassRegistered(std::string_view className) { return Registry().contains(className); }

TForm* CreateForm(std::string_view className, QWidget* owner) {
    const auto& registry = Registry();
    const auto it = registry.find(className);
    if (it == registry.end()) return nullptr;
    TForm* form = it->second(owner);
    if (form) form->SetClassName(it->first);
    return form;
}

TForm* CreateFormByName(std::string_view className, QWidget* owner) {
    TForm* form = CreateForm(className, owner);
    if (!form) throw EClassNotFound(className);
    return form;
}

} // namespace platform
