#pragma once
// "О программе": the program's icon, name and version, closed with OK.

#include <QDialog>

class QLabel;
class QPushButton;

namespace app {

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner = nullptr);

    QLabel* ProgramIcon = nullptr;
    QLabel* ProductNameLabel = nullptr;
    QLabel* VersionLabel = nullptr;
    QLabel* CopyrightLabel = nullptr;
    QLabel* CommentsLabel = nullptr;
    QPushButton* OKButton = nullptr;
};

// The program's icon (also the main window's), drawn by the program.
QIcon ProgramIconPicture();

} // namespace app
