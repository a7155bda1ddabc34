#pragma once
// The about box: the program's name and version and a button that closes it.

#include <QDialog>

namespace vortane {

class TAbout : public QDialog {
public:
    explicit TAbout(QWidget* Parent);
};

} // namespace vortane
