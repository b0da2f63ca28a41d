#pragma once
// Registers every form class of the program by name, so that pages can be
// created by name (platform/FormRegistry.h). Called once at start-up, before
// the first window. Each form file has its own registration function, listed
// in FormRegistration.cpp; calling them from here also keeps the linker from
// dropping form files that nothing else names.

namespace app {

void RegisterFormClasses();

} // namespace app
