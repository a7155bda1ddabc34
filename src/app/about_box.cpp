#include "app/about_box.hpp"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vortane {

TAbout::TAbout(QWidget* Parent) : QDialog(Parent) {
    setObjectName("About");
    setWindowTitle("About");
    auto* Name = new QLabel("Vortane v " VORTANE_VERSION);
    Name->setObjectName("NameLabel");
    Name->setAlignment(Qt::AlignCenter);
    QFont Large = Name->font();
    Large.setPointSizeF(Large.pointSizeF() * 1.5);
    Large.setBold(true);
    Name->setFont(Large);
    auto* Ok = new QPushButton("Ok");
    Ok->setObjectName("OKButton");
    Ok->setDefault(true);
    connect(Ok, &QPushButton::clicked, this, &QDialog::accept);
    auto* Layout = new QVBoxLayout(this);
    Layout->addWidget(Name);
    Layout->addWidget(Ok, 0, Qt::AlignCenter);
    setFixedSize(260, 130);
}

} // namespace vortane
