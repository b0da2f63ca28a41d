#include "app/forms/FormRegistration.h"

namespace app {

// Each form file declares its registration function here and the list below
// calls it, e.g.
//   void RegisterSettingsForms();   (TfrmSettings.cpp: TfrmSettings, TfrmProxy)
void RegisterConditionsForms(); // TfrmConditions.cpp
void RegisterChatPersonListForms();  // controls/TChatPersonList.cpp: TChatPersonList
void RegisterFavouritesForms();      // TfrmFavourites.cpp: TfrmFavourites

void RegisterFormClasses() {
    RegisterConditionsForms();
    RegisterChatPersonListForms();
    RegisterFavouritesForms();
}

} // namespace app
