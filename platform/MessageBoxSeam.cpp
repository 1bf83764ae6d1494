#include "platform/MessageBoxSeam.h"

#include <QApplication>
#include <QMessageBox>

namespace {
MessageBoxSeam::Sink& currentSink() {
    static MessageBoxSeam::Sink sink;
    return sink;
}
} // namespace

QString MessageBoxSeam::applicationTitle() {
    return QStringLiteral("Deckvane");
}

QString MessageBoxSeam::standardErrorText(const QString& message) {
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void MessageBoxSeam::showError(const QString& message) {
    deliver({Kind::Error, applicationTitle(), standardErrorText(message)});
}

void MessageBoxSeam::showRefusal(const QString& text) {
    deliver({Kind::Error, applicationTitle(), text});
}

void MessageBoxSeam::showInformation(const QString& text) {
    deliver({Kind::Information, applicationTitle(), text});
}

MessageBoxSeam::Sink MessageBoxSeam::setSink(Sink sink) {
    Sink previous = std::move(currentSink());
    currentSink() = std::move(sink);
    return previous;
}

void MessageBoxSeam::deliver(const Message& message) {
    if (currentSink()) {
        currentSink()(message);
        return;
    }
    QWidget* parent = QApplication::activeWindow();
    switch (message.kind) {
    case Kind::Error:
        QMessageBox::critical(parent, message.title, message.text);
        break;
    case Kind::Warning:
        QMessageBox::warning(parent, message.title, message.text);
        break;
    case Kind::Information:
        QMessageBox::information(parent, message.title, message.text);
        break;
    }
}
