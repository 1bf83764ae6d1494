#pragma once

#include <QPlainTextEdit>

// The log: editable, wrapping, one line appended per converted file.
class TMemo : public QPlainTextEdit {
    Q_OBJECT
    Q_PROPERTY(bool WordWrap READ wordWrap WRITE setWordWrap)
    Q_PROPERTY(bool ScrollBars READ scrollBars WRITE setScrollBars)
public:
    explicit TMemo(QWidget* parent = nullptr);

    void appendLine(const QString& line);
    QStringList lines() const;

    bool wordWrap() const;
    void setWordWrap(bool wrap);
    bool scrollBars() const;
    void setScrollBars(bool on);
};
