#include "app/forms/TAboutBox.h"

#include "app/forms/WindowPlacement.h"

#include <QFontMetrics>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <algorithm>

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

    auto* panel1 = new QFrame(this);
    panel1->setObjectName("Panel1");
    panel1->setFrameShape(QFrame::StyledPanel);
    panel1->setFrameShadow(QFrame::Sunken);

    ProgramIcon = new QLabel(panel1);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setGeometry(8, 8, 48, 48);
    ProgramIcon->setPixmap(ProgramIconPicture().pixmap(48, 48));

    ProductNameLabel = new QLabel("Velmora", panel1);
    ProductNameLabel->setObjectName("ProductNameLabel");
    QFont bold = ProductNameLabel->font();
    bold.setBold(true);
    ProductNameLabel->setFont(bold);
    VersionLabel = new QLabel("Версия 1.1", panel1);
    VersionLabel->setObjectName("VersionLabel");
    CopyrightLabel = new QLabel("Поиск анкет на сайте знакомств по вашим условиям", panel1);
    CopyrightLabel->setObjectName("CopyrightLabel");

    // The design's 452 x 173 box, wider and taller where the font's texts
    // need it.
    int textWidth = 350;
    int lineHeight = 18;
    for (QLabel* label : {ProductNameLabel, VersionLabel, CopyrightLabel}) {
        const QFontMetrics metrics(label->font());
        textWidth = std::max(textWidth, metrics.horizontalAdvance(label->text()) + 2);
        lineHeight = std::max(lineHeight, metrics.height() + 2);
    }
    const int panelWidth = 72 + textWidth + 14;
    int top = 10;
    for (QLabel* label : {ProductNameLabel, VersionLabel, CopyrightLabel}) {
        label->setGeometry(72, top, textWidth, lineHeight);
        top += lineHeight + 4;
    }

    auto* panel2 = new QFrame(panel1);
    panel2->setObjectName("Panel2");
    CommentsLabel = new QLabel("Найденные анкеты хранятся в папке данных программы.", panel2);
    CommentsLabel->setObjectName("CommentsLabel");
    CommentsLabel->setWordWrap(true);
    const int commentsWidth = panelWidth - 16;
    const int commentsHeight = std::max(34, CommentsLabel->heightForWidth(commentsWidth));
    CommentsLabel->setGeometry(0, 0, commentsWidth, commentsHeight);
    const int commentsTop = std::max(80, top + 4);
    panel2->setGeometry(8, commentsTop, commentsWidth, commentsHeight);
    panel1->setGeometry(8, 8, panelWidth, commentsTop + commentsHeight + 7);

    const int width = panelWidth + 16;
    OKButton = new QPushButton("OK", this);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    const int buttonHeight = std::max(25, OKButton->sizeHint().height());
    OKButton->setGeometry(187 + (width - 452) / 2, panel1->geometry().bottom() + 10, 75, buttonHeight);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(width, OKButton->geometry().bottom() + 11);
    // On the screen's middle, not over the window that opened it.
    CentreOnScreen(*this);
}

} // namespace app
