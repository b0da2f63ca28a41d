#pragma once
// A settings page over a fresh data module, with its settings file, program
// folder and messages kept to the test, and an engine that fetches the area
// lists from the local site.

#include "app/forms/FormRegistration.h"
#include "app/forms/TfrmSettings.h"
#include "data/TdmFriend.h"
#include "platform/ProgramDir.h"
#include "search/TVelmora.h"
#include "support/ConfigHome.h"
#include "support/MessageRecorder.h"
#include "support/TempDir.h"
#include "support/site/LocalSite.h"

#include <gtest/gtest.h>

#include <memory>

class SettingsPageTest : public ::testing::Test {
protected:
    SettingsPageTest() {
        app::RegisterFormClasses();
        platform::SetProgramDir(m_programDir.path());
        m_dm = std::make_unique<data::TdmFriend>();
        // "wap." + this name reaches the site's WAP pages.
        m_dm->Settings().SetFinderServer(m_site.LocalhostHost());
    }
    ~SettingsPageTest() override {
        m_page.reset();
        m_dm.reset();
        platform::SetProgramDir({});
    }

    app::TfrmSettings& MakePage() {
        m_page = std::make_unique<app::TfrmSettings>();
        m_page->SetEngine(&m_engine);
        return *m_page;
    }

    testsupport::ConfigHome m_config;
    testsupport::TempDir m_programDir;
    testsupport::LocalSite m_site;
    testsupport::MessageRecorder m_messages;
    std::unique_ptr<data::TdmFriend> m_dm;
    search::TVelmora m_engine;
    std::unique_ptr<app::TfrmSettings> m_page;
};
