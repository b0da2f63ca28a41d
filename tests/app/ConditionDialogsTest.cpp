#include "app/controls/TNumberEdit.h"
#include "app/forms/TfrmAge.h"
#include "app/forms/TfrmCarModel.h"
#include "app/forms/TfrmName.h"
#include "app/forms/TfrmRange.h"
#include "data/TCarGroup.h"
#include "support/MessageRecorder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>

using app::TNumberEdit;
using testsupport::MessageRecorder;

namespace {

// Presses OK on a shown, non-modal dialog; true when it closed with mrOk.
bool PressOK(app::TConditionDialog& dialog) {
    dialog.show();
    dialog.setResult(0);
    dialog.btnOK->click();
    return !dialog.isVisible() && dialog.result() == platform::mrOk;
}

} // namespace

TEST(NumberEdit, KeepsNumberTextsOnlyAndReadsWholeNumbersOnly) {
    TNumberEdit edit;
    int changes = 0;
    edit.OnChange = [&](TNumberEdit*) { ++changes; };
    EXPECT_EQ(edit.GetValue(), "0");
    edit.SetValue("12");
    EXPECT_EQ(changes, 1);
    edit.show();
    QTest::keyClicks(&edit, "x");  // undone, caret back where it was
    EXPECT_EQ(edit.GetValue(), "12");
    EXPECT_EQ(edit.cursorPosition(), 2);
    edit.setCursorPosition(1);
    QTest::keyClicks(&edit, "a");
    EXPECT_EQ(edit.GetValue(), "12");
    EXPECT_EQ(edit.cursorPosition(), 1);
    edit.selectAll();
    QTest::keyClick(&edit, Qt::Key_Backspace);  // an empty text is undone too
    EXPECT_EQ(edit.GetValue(), "12");
    edit.SetValue(" 12");
    EXPECT_EQ(edit.GetValue(), "12");
    EXPECT_EQ(changes, 1);
    for (const char* kept : {"-", "1.5", "1E3", "+-,"}) EXPECT_TRUE(TNumberEdit::IsNumberText(kept)) << kept;
    for (const char* undone : {"", " 12", "1e3", "E1", ".5"}) EXPECT_FALSE(TNumberEdit::IsNumberText(undone)) << undone;

    for (const char* bad : {"-", "+", "1.5", "1E3", " 12", "", "1-2", "--1", "2147483648", "-2147483649"})
        EXPECT_EQ(TNumberEdit::ParseInteger(bad), std::nullopt) << bad;
    EXPECT_EQ(TNumberEdit::ParseInteger("-2147483648"), INT32_MIN);
    EXPECT_EQ(TNumberEdit::ParseInteger("2147483647"), INT32_MAX);
    EXPECT_EQ(TNumberEdit::ParseInteger("+07"), 7);
    EXPECT_EQ(TNumberEdit::InvalidIntegerText("1.5"), "«1.5» не является целым числом");
}

TEST(RangeDialog, AcceptsAndRefusesAsTheConditionsTreeNeeds) {
    MessageRecorder messages;
    {  // A "0" from stands for the lower limit, a "0" to for no upper bound:
       // a lower bound alone is taken where the condition has a limit.
        app::TfrmRange range;
        range.SetPrefix("Рост");
        range.SetLowerLimit(140);
        range.SetMin(140);
        range.SetMax(0);
        range.edMin->SetValue("150");
        EXPECT_EQ(range.Max(), 0);
        EXPECT_TRUE(PressOK(range));
        EXPECT_EQ(range.ResultText(), "Рост от 150");
        range.edMin->SetValue("0");
        EXPECT_TRUE(PressOK(range));
        EXPECT_EQ(range.ResultText(), "Рост от 140");
    }
    {  // A maximum below the limit is raised to it.
        app::TfrmRange range;
        range.SetPrefix("Вес");
        range.SetLowerLimit(40);
        range.edMin->SetValue("-1");
        range.edMax->SetValue("30");
        EXPECT_TRUE(PressOK(range));
        EXPECT_EQ(std::pair(range.Min(), range.Max()), std::pair(0, 40));  // no bound is answered as 0
        EXPECT_EQ(range.ResultText(), "Вес до 40");
    }
    {  // Stored pair (140, 0) gives the minimum only.
        app::TfrmRange range;
        range.SetPrefix("Рост");
        range.SetLowerLimit(140);
        range.SetMin(140);
        range.SetMax(0);
        EXPECT_TRUE(PressOK(range));
        EXPECT_EQ(range.ResultText(), "Рост от 140");
    }
    app::TfrmRange range;
    range.SetPrefix("Рост");
    range.SetLowerLimit(140);
    range.edMin->SetValue("100");
    EXPECT_FALSE(PressOK(range));
    range.edMin->SetValue("200");
    range.edMax->SetValue("150");
    EXPECT_FALSE(PressOK(range));
    // Half-typed or fractional texts never reach the caller.
    range.edMax->SetValue("1.5");
    EXPECT_FALSE(PressOK(range));
    range.edMax->SetValue("99999");
    range.edMin->SetValue("-");
    EXPECT_FALSE(PressOK(range));
    EXPECT_EQ(range.Min(), 200);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Граница не может быть меньше 140",
                                                          "Верхняя граница не может быть меньше нижней",
                                                          "«1.5» не является целым числом",
                                                          "«-» не является целым числом"}));
    EXPECT_EQ(range.ResultText(), "");

    app::TfrmRange unset;  // no limit, nothing chosen: OK does nothing, silently
    unset.edMin->SetValue("5");
    unset.edMin->SetValue("0");
    EXPECT_FALSE(PressOK(unset));
    EXPECT_EQ(messages.Texts().size(), 4u);
}

TEST(AgeAndNameDialogs, RefuseWithTheirMessages) {
    MessageRecorder messages;
    app::TfrmAge age;
    age.SetAge(0);
    EXPECT_FALSE(PressOK(age));
    age.edAge->SetValue("5");
    age.edAge->SetValue("0");  // counts as 1
    EXPECT_EQ(age.Age(), 1);
    EXPECT_FALSE(PressOK(age));
    age.edAge->SetValue("1E3");
    EXPECT_FALSE(PressOK(age));
    age.edAge->SetValue("99999");
    EXPECT_FALSE(PressOK(age));
    age.edAge->SetValue("99");
    EXPECT_TRUE(PressOK(age));
    age.edAge->SetValue("18");
    EXPECT_TRUE(PressOK(age));
    EXPECT_EQ(age.Age(), 18);

    app::TfrmName name;
    name.edName->setText("   ");
    EXPECT_FALSE(PressOK(name));
    name.edName->setText(" Маша ");
    EXPECT_TRUE(PressOK(name));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Возраст не может быть меньше 18",
                                                          "Возраст не может быть меньше 18",
                                                          "«1E3» не является целым числом",
                                                          "Возраст не может быть больше 99",
                                                          "Имя не может быть пустым"}));
}

// A dialog opens with the focus in its first field, its value selected:
// what is typed replaces it and Enter answers OK with it; Tab goes through
// the fields, then to the buttons.
TEST(ConditionDialogs, TypingAndEnterAnswerWithoutTheMouse) {
    MessageRecorder messages;
    app::TfrmRange range;
    range.SetPrefix("Рост");
    range.SetMin(140);
    range.SetMax(190);
    app::TfrmAge age;
    age.SetAge(25);
    app::TfrmName name;
    name.edName->setText("Маша");
    const std::tuple<app::TConditionDialog*, QWidget*, const char*, std::function<std::string()>> cases[] = {
        {&range, range.edMin, "170", [&] { return range.ResultText(); }},
        {&age, age.edAge, "30", [&] { return std::to_string(age.Age()); }},
        {&name, name.edName, "Анна", [&] { return name.edName->text().toStdString(); }}};
    for (const auto& [dialog, first, typed, taken] : cases) {
        dialog->show();
        ASSERT_EQ(dialog->focusWidget(), first);
        for (const QChar c : QString::fromUtf8(typed)) QTest::sendKeyEvent(QTest::Click, first, Qt::Key_unknown, c, {});
        QTest::keyClick(first, Qt::Key_Return);
        EXPECT_EQ(dialog->result(), platform::mrOk);
        EXPECT_EQ(taken(), dialog == &range ? "Рост от 170 до 190" : typed);
    }
    EXPECT_EQ(range.edMin->nextInFocusChain(), range.edMax);
    EXPECT_EQ(range.edMax->nextInFocusChain(), range.btnOK);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(CarModelDialog, ListsTheMakesModelsAndAnswersTheChosenOne) {
    MessageRecorder messages;
    data::TCarGroup cars;
    cars.AddCar("7", "UAZ", "UAZ", "");
    cars.AddCar("7", "UAZ", "UAZ", "Patriot");
    cars.AddCar("7", "UAZ", "UAZ", "Niva");
    cars.AddCar("999", "Nobody", "Nobody", "");

    app::TfrmCarModel dialog(cars);
    dialog.SetMake(0);
    ASSERT_EQ(dialog.cbModel->count(), 4);
    EXPECT_EQ(dialog.cbModel->itemText(0), QString("любая"));
    EXPECT_EQ(dialog.GetModel(), "");
    EXPECT_TRUE(PressOK(dialog));

    dialog.SetMake(1);
    EXPECT_EQ(dialog.GetModel(), "Patriot");
    dialog.SetMake(2);  // remembered model no longer listed: nothing chosen
    EXPECT_EQ(dialog.GetModel(), "");
    EXPECT_FALSE(PressOK(dialog));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Выберите, пожалуйста, модель."});

    dialog.SetMake(3);
    EXPECT_EQ(dialog.cbModel->count(), 0);
    EXPECT_FALSE(dialog.btnOK->isEnabled());
    EXPECT_FALSE(dialog.cbModel->isEnabled());
    dialog.SetMake(42);  // no such row
    EXPECT_FALSE(dialog.btnOK->isEnabled());
}

