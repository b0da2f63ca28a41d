#pragma once
// Forms by class name. Every form file registers its classes at start-up
// through an explicit registration function that the program calls (static
// initialisers in a static library may be dropped by the linker, so they are
// not relied upon); pages are then created by name with an owner.
//
//   void RegisterSettingsForms() { platform::RegisterFormClass<TfrmSettings>("TfrmSettings"); }
//
// Names compare ignoring the case of ASCII letters. The registry lives on the
// user-interface thread.

#include "platform/TForm.h"

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace platform {

// Creates a form owned by `owner` (nullptr: the caller frees it).
using TFormFactory = std::function<TForm*(QWidget* owner)>;

// Raised by CreateFormByName for a name nobody registered.
class EClassNotFound : public std::runtime_error {
public:
    // Text: "Class <name> not found".
    explicit EClassNotFound(std::string_view className);
};

// Registers `factory` under `className`; a later registration of the same
// name replaces the earlier one. An empty name or factory is ignored.
void RegisterFormClass(std::string_view className, TFormFactory factory);

template <class T>
void RegisterFormClass(std::string_view className) {
    RegisterFormClass(className, [](QWidget* owner) -> TForm* { return new T(owner); });
}

// Removes a registration; nothing when the name is unknown.
void UnRegisterFormClass(std::string_view className);

bool IsFormClassRegistered(std::string_view className);

// Creates the form registered as `className`, owned by `owner`, with its
// ClassName() set. Unknown name: nullptr, nothing created. Exceptions of the
// form's constructor pass to the caller.
TForm* CreateForm(std::string_view className, QWidget* owner);

// As CreateForm, but an unknown name raises EClassNotFound.
TForm* CreateFormByName(std::string_view className, QWidget* owner);

} // namespace platform
