#include "app/forms/TAboutBox.h"

#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace app {

QIcon ProgramIconPicture() {
    QIcon icon;
    for (const int size : {16, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        // A magnifying glass over a heart: searching for someone.
        QPainterPath heart;
        heart.moveTo(16, 26);
        heart.cubicTo(2, 17, 4, 5, 11, 6);
        heart.cubicTo(14, 6.5, 15.5, 9, 16, 10.5);
        heart.cubicTo(16.5, 9, 18, 6.5, 21, 6);
        heart.cubicTo(28, 5, 30, 17, 16, 26);
        p.setPen(QPen(QColor(150, 20, 40), 1.2));
        p.setBrush(QColor(220, 50, 70));
        p.drawPath(heart);
        p.setPen(QPen(QColor(40, 40, 60), 3));
        p.setBrush(QColor(255, 255, 255, 110));
        p.drawEllipse(QPointF(19, 18), 7, 7);
        p.setPen(QPen(QColor(40, 40, 60), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(24, 23), QPointF(29.5, 28.5));
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner) {
    setObjectName("AboutBox");
    setWindowTitle("О программе");
    setFixedSize(452, 173);

    auto* panel1 = new QFrame(this);
    panel1->setObjectName("Panel1");
    panel1->setFrameShape(QFrame::StyledPanel);
    panel1->setFrameShadow(QFrame::Sunken);
    panel1->setGeometry(8, 8, 436, 121);

    ProgramIcon = new QLabel(panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 48, 48);
    ProgramIcon->setPixmap(ProgramIconPicture().pixmap(48, 48));

    ProductNameLabel = new QLabel("Velmora", panel1);
    ProductNameLabel->setObjectName("ProductNameLabel");
    QFont bold = ProductNameLabel->font();
    bold.setBold(true);
    ProductNameLabel->setFont(bold);
    ProductNameLabel->setGeometry(72, 10, 350, 18);

    VersionLabel = new QLabel("Версия 1.1", panel1);
    VersionLabel->setObjectName("VersionLabel");
    VersionLabel->setGeometry(72, 32, 350, 18);

    CopyrightLabel = new QLabel("Поиск анкет на сайте знакомств по вашим условиям", panel1);
    CopyrightLabel->setObjectName("CopyrightLabel");
    CopyrightLabel->setGeometry(72, 54, 350, 18);

    auto* panel2 = new QFrame(panel1);
    panel2->setObjectName("Panel2");
    panel2->setGeometry(8, 80, 420, 34);
    CommentsLabel = new QLabel("Найденные анкеты хранятся в папке данных программы.", panel2);
    CommentsLabel->setObjectName("CommentsLabel");
    CommentsLabel->setWordWrap(true);
    CommentsLabel->setGeometry(0, 0, 420, 34);

    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    OKButton->setGeometry(187, 138, 75, 25);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace app
