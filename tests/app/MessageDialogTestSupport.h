#pragma once
// Shared by the message-dialog tests: the application title every box must
// carry, and the glyph buttons of a box.

#include "app/controls/TBitBtn.h"
#include "app/forms/TMessageForm.h"

#include <QGuiApplication>
#include <gtest/gtest.h>
#include <vector>

class MessageDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_title = QGuiApplication::applicationDisplayName();
        QGuiApplication::setApplicationDisplayName(QStringLiteral("Velmora"));
    }
    void TearDown() override { QGuiApplication::setApplicationDisplayName(m_title); }

    static std::vector<app::TBitBtn*> BitButtons(const app::TMessageForm& form) {
        std::vector<app::TBitBtn*> result;
        for (app::TButton* button : form.Buttons())
            if (auto* bit = qobject_cast<app::TBitBtn*>(button)) result.push_back(bit);
        return result;
    }

private:
    QString m_title;
};
