#pragma once
// A set of named flags, each a published Boolean property, that is stored as
// one text: the names of the flags that are set, joined by "|".

#include "platform/TPersistent.h"

#include <string>
#include <string_view>

class QObject;

namespace data {

class TPropertyGroup : public platform::TPersistent {
public:
    // Clears every flag, then sets each one whose name appears between "|"
    // separators in Text (letter case counting). Unknown names are ignored;
    // an empty text clears them all.
    virtual void SetAsText(std::string_view Text);
    // The names of the flags that are set, in published order, joined by
    // "|"; empty when none is set.
    virtual std::string GetAsText() const;
};

// True when Group has a published ordinal property named exactly Name whose
// value is above 0; False for an unknown name.
bool GetGroupProp(const platform::TPersistent& Group, std::string_view Name);

// Binding a group to the check boxes of a group box. For each flag in
// published order, the first direct child of GroupBox that is a check box
// and whose object name contains "chb" + the flag's name (letter case
// counting) is the flag's box: so a box whose name continues another's
// ("chbIntimBuy" after "chbIntim") must come after it. Both do nothing
// unless GroupBox is a group box; a flag without a box is set to False by
// GetGroupFromControls and left alone by SetGroupToControls.
void SetGroupToControls(const platform::TPersistent& Group, QObject* GroupBox);
void GetGroupFromControls(platform::TPersistent& Group, const QObject* GroupBox);

} // namespace data
