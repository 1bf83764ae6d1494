#pragma once

#include <QString>
#include <stdexcept>

// The error the skin raises (an invalid theme file, a damaged one that cannot
// be read, a second skinned form on one window). It carries the message the
// standard error box shows.
class TskSkinError : public std::runtime_error {
public:
    explicit TskSkinError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString& message() const { return m_message; }

private:
    QString m_message;
};
