#pragma once

#include <QLineEdit>

// Single-line edit of the stored layout.
class TEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(QString Text READ text WRITE setText)
public:
    explicit TEdit(QWidget* parent = nullptr);
};
