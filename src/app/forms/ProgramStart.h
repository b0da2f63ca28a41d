#pragma once
// The start-up shared by the program and the tools that drive its windows,
// so that what they show is what the program shows.

namespace app {

// Before the application object is made: the HTTP service and the picture
// formats.
void PrepareProcess();
// Once the application object exists: its name and icon, the message
// dialogs and the form classes.
void PrepareApplication();

} // namespace app
