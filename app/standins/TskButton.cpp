#include "app/standins/TskButton.h"

TskButton::TskButton(QWidget* parent) : QPushButton(parent) {
    connect(this, &QPushButton::clicked, this, [this] { emit OnClick(); });
}
