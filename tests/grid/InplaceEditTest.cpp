// The in-place cell editor with its pick list, offscreen.
#include "GridTestHost.h"
#include "platform/db/MemDataSet.h"

#include "grid/TDBGColumn.h"
#include "grid/TDBGGridColumns.h"
#include "grid/TDBGridInplaceEdit.h"
#include "grid/TInplaceEditHost.h"
#include "grid/TPopupListbox.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using grid::TDBGridInplaceEdit;

class EditHost : public grid::TInplaceEditHost {
public:
    testsupport::MemDataSet ds{{{"City", 20}}, {{"Омск"}, {""}}, true};
    testsupport::GridTestHost grid;
    grid::TDBGGridColumns columns{&grid};
    grid::TDBGColumn* column = nullptr;
    std::string editText;
    int buttonClicks = 0;
    std::vector<std::string> errors;

    EditHost() {
        ds.Open();
        grid.dataSet = &ds;
        grid.linkActive = true;
        column = &columns.Add();
        column->SetFieldName("City");
        column->SetPickList({"Москва", "Минск", "Омск", "Тверь"});
        column->SetAutoDropDown(true);
    }
    grid::TDBGColumn* SelectedColumn() const override { return column; }
    std::string GetEditText() const override { return column->Field()->AsString(); }
    void SetEditText(const std::string& text) override { editText = text; }
    bool CanEditModify() override {
        ds.Edit();
        return true;
    }
    void EditButtonClick() override { ++buttonClicks; }
    void EditError(const std::exception& error) override { errors.push_back(error.what()); }
};

void Type(QWidget* widget, const QString& text, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, modifiers, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

TEST(InplaceEdit, PickListOpensSearchesAndWritesTheChoice) {
    EditHost host;
    TDBGridInplaceEdit editor(host);
    editor.setGeometry(100, 100, 120, 20);
    editor.show();
    editor.UpdateContents();
    EXPECT_EQ(editor.EditStyle(), grid::TEditStyle::esPickList);
    EXPECT_EQ(editor.Text(), "Омск");
    QLineEdit* line = editor.LineEdit();
    EXPECT_EQ(line->width(), 120 - editor.ButtonWidth());

    QTest::keyClick(line, Qt::Key_Down, Qt::AltModifier);
    ASSERT_TRUE(editor.ListVisible());
    grid::TPopupListbox* list = editor.PickList();
    EXPECT_EQ(list->currentRow(), 2) << "the field's value is chosen";
    EXPECT_EQ(list->height(), 4 * list->ItemHeight() + 4);
    EXPECT_GE(list->width(), editor.width());
    QTest::keyClick(line, Qt::Key_Down);
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_FALSE(editor.ListVisible());
    EXPECT_EQ(host.ds.FieldByName("City").AsString(), "Тверь");
    EXPECT_EQ(editor.Text(), "Тверь");
    EXPECT_EQ(host.editText, "Тверь");
    host.ds.Cancel();

    // Typing opens the list and searches it, Cyrillic case ignored; a pause
    // of more than two seconds starts a new search.
    const QString before = editor.Text();
    qint64 now = 10'000;
    list->TickCount = [&] { return now; };
    Type(line, "м");
    ASSERT_TRUE(editor.ListVisible());
    EXPECT_EQ(list->currentItem()->text(), "Москва");
    now += 2000;
    Type(line, "И");
    EXPECT_EQ(list->SearchText(), "мИ");
    EXPECT_EQ(list->currentItem()->text(), "Минск");
    now += 2001;
    Type(line, "т");
    EXPECT_EQ(list->SearchText(), "т");
    EXPECT_EQ(list->currentItem()->text(), "Тверь");
    EXPECT_EQ(editor.Text(), before) << "keys for the list leave the text alone";
    QTest::keyClick(line, Qt::Key_Escape);
    EXPECT_FALSE(editor.ListVisible());
    EXPECT_EQ(host.ds.State(), db::TDataSetState::dsBrowse);

    now += 5000;
    for (int i = 0; i < 40; ++i) list->KeyPress("я");
    EXPECT_EQ(QString::fromStdString(list->SearchText()), QString(32, QChar(u'я'))) << "32 characters at most";
    list->KeyPress(QString(QChar(8)));
    EXPECT_EQ(list->SearchText(), "");

    // The button opens and closes the list; a null field chooses nothing.
    host.ds.SetRecNo(2);
    const QPoint button = editor.ButtonRect().center();
    QTest::mouseClick(&editor, Qt::LeftButton, {}, button);
    ASSERT_TRUE(editor.ListVisible());
    EXPECT_EQ(list->currentRow(), -1);
    QTest::keyClick(line, Qt::Key_Return);
    EXPECT_EQ(host.ds.FieldByName("City").AsString(), "") << "nothing chosen, nothing written";
    QTest::mouseClick(&editor, Qt::LeftButton, {}, button);
    QTest::mouseClick(&editor, Qt::LeftButton, {}, button);
    EXPECT_FALSE(editor.ListVisible());

    QStringList many;
    for (int i = 0; i < 20; ++i) many << QString("Город %1").arg(i);
    host.column->SetPickList(many);
    QTest::keyClick(line, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(list->height(), 7 * list->ItemHeight() + 4);
    QTest::keyClick(line, Qt::Key_Up, Qt::AltModifier);
    EXPECT_FALSE(editor.ListVisible());
    QTest::keyClick(line, Qt::Key_Down, Qt::AltModifier);
    editor.hide();
    EXPECT_FALSE(list->isVisible()) << "the grid hiding its editor closes the list";
    EXPECT_TRUE(host.errors.empty());
}

TEST(InplaceEdit, EllipsisButtonAndDropDownPlacement) {
    EditHost host;
    host.column->SetButtonStyle(grid::TColumnButtonStyle::cbsEllipsis);
    TDBGridInplaceEdit editor(host);
    editor.resize(100, 20);
    editor.show();
    editor.UpdateContents();
    EXPECT_EQ(editor.EditStyle(), grid::TEditStyle::esEllipsis);
    QTest::keyClick(editor.LineEdit(), Qt::Key_Return, Qt::ControlModifier);
    QTest::mouseClick(&editor, Qt::LeftButton, {}, editor.ButtonRect().center());
    EXPECT_EQ(host.buttonClicks, 2);
    EXPECT_FALSE(editor.ListVisible());
    host.column->SetReadOnly(true);
    editor.UpdateContents();
    EXPECT_TRUE(editor.LineEdit()->isReadOnly());

    const QRect screen(0, 0, 800, 600);
    EXPECT_EQ(TDBGridInplaceEdit::DropDownRect({100, 100, 80, 20}, {120, 90}, screen), QRect(100, 120, 120, 90));
    EXPECT_EQ(TDBGridInplaceEdit::DropDownRect({100, 550, 80, 20}, {120, 90}, screen), QRect(100, 460, 120, 90))
        << "opens above when it does not fit below";
    EXPECT_EQ(TDBGridInplaceEdit::DropDownRect({750, 100, 40, 20}, {120, 90}, screen), QRect(680, 120, 120, 90));
    EXPECT_EQ(TDBGridInplaceEdit::DropDownRect({10, 100, 40, 20}, {900, 90}, screen), QRect(0, 120, 800, 90));
}

} // namespace
