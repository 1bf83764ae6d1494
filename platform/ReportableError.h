#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// An error whose message is written for the user as it stands: the log line
// of the file that failed, or the message box of a run that could not start.
// Each layer raises its own kind; the places that report a failure catch
// this one.
class ReportableError : public std::exception {
public:
    explicit ReportableError(QString message);

    const QString& message() const { return m_message; }
    // UTF-8, whatever the locale: paths in messages may be any text.
    const char* what() const noexcept override;

private:
    QString m_message;
    QByteArray m_utf8;
};
