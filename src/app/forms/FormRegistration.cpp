#include "app/forms/FormRegistration.h"

namespace app {

// Each form file declares its registration function here and the list below
// calls it.
void RegisterConditionsForms(); // TfrmConditions.cpp
void RegisterChatPersonListForms();  // controls/TChatPersonList.cpp: TChatPersonList
void RegisterSettingsForms();   // TfrmSettings.cpp: TfrmSettings, TfrmProxy
void RegisterFavouritesForms();      // TfrmFavourites.cpp: TfrmFavourites

void RegisterFormClasses() {
    RegisterConditionsForms();
    RegisterChatPersonListForms();
    RegisterSettingsForms();
    RegisterFavouritesForms();
}

} // namespace app
