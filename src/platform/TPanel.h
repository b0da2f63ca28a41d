#pragma once
// A container control: a plain frame that can show a centred caption and
// report mouse moves. Pages are embedded in panels (MakeWindow); a panel then
// takes over the page's mouse-move handler. The hint is Qt's tool tip.

#include "platform/TForm.h"

#include <QFrame>
#include <string>
#include <string_view>

namespace platform {

class TPanel : public QFrame {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);

    // Drawn centred behind the children; empty by default.
    const std::string& Caption() const { return m_caption; }
    void SetCaption(std::string_view caption);

    std::string Hint() const;
    void SetHint(std::string_view hint);

    // Raised on mouse moves over the panel itself; setting it switches mouse
    // tracking on so moves without a button count.
    TMouseMoveEvent OnMouseMove() const { return m_onMouseMove; }
    void SetOnMouseMove(TMouseMoveEvent handler);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::string m_caption;
    TMouseMoveEvent m_onMouseMove;
};

} // namespace platform
