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
// Before anything is read or written: takes the data folder for this copy
// of the program and clears what saves killed midway left in it and in the
// settings folder. False, once the user is told why, when another running
// copy holds the folder: the program then ends having written nothing.
bool HoldDataFolder();

} // namespace app
