#pragma once
// A label that runs an action when clicked, so a shown file name opens its file dialog.

#include <QAction>
#include <QLabel>
#include <QMouseEvent>

namespace vortane {

class TClickLabel : public QLabel {
public:
    explicit TClickLabel(QAction& Action) : FAction(Action) { setCursor(Qt::PointingHandCursor); }

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override {
        if (Event->button() == Qt::LeftButton) FAction.trigger(); // a disabled action does nothing
        QLabel::mouseReleaseEvent(Event);
    }

private:
    QAction& FAction;
};

} // namespace vortane
