#pragma once
// Pages embedded in panels. A page is a form created by its registered class
// name (platform/FormRegistry.h) and set into a panel of another form as a
// borderless child that fills it; once in place it receives CM_ACTIVATE.
//
// Every routine here stops exceptions raised while creating or embedding a
// page (they are written to the log) and always puts the cursor back.

#include "platform/TForm.h"

#include <string_view>

namespace app {

// How an embedded form sits in its parent: where MakeWindow puts it
// (alNone), or filling the parent's client area and following its size.
enum class TAlign { alNone, alClient };

// Turns `form` into a borderless child of `parent`, 686 x 385 at the parent's
// client origin (alNone) or filling the parent (alClient), keeping its
// AutoScroll, and shows it when `visible`. Nothing when either is null.
void MakeWindow(QWidget* parent, platform::TForm* form, TAlign align, bool visible);

// Embeds a created form in `panel`, filling it: the panel is hidden
// meanwhile, loses its hint and, when asked, takes over the form's mouse-move
// handler; the form is activated once the event loop runs. Both must be set.
void EmbedForm(QWidget* panel, platform::TForm* form, bool takeOverMouseMove);

// Creates the form registered as `className` inside `parent`, filling it;
// the form takes `helpFile` and keeps its own help context, or 2 when it has
// none; it is activated once the event loop runs. The parent frees the form.
// Unknown name or a failure while creating it: nullptr (nothing is left in
// the parent).
platform::TForm* LoadEmbeddedForm(QWidget* parent, std::string_view className, std::string_view helpFile);

// LoadEmbeddedForm for a page that hosts a child form of its own (the
// favourites window's card list): the child is owned by `host`, takes the
// host's help file, and its active control becomes the host's. While `guard`
// is set (another ShowChildForm of the host is under way) nothing happens and
// nullptr is returned; the guard is set for the call and always cleared.
platform::TForm* ShowChildForm(platform::TForm& host, QWidget* panel, std::string_view className, bool& guard);

} // namespace app
