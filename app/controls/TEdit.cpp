#include "app/controls/TEdit.h"

TEdit::TEdit(QWidget* parent) : QLineEdit(parent) {}
