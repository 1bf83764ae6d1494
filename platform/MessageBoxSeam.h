#pragma once

#include <QString>
#include <functional>

class QWidget;

// Every message box the program shows goes through here, so tests can read
// what would have been shown without a modal loop blocking them.
class MessageBoxSeam {
public:
    enum class Kind { Error, Information, Warning };
    struct Message {
        Kind kind;
        QString title;
        QString text;
    };
    using Sink = std::function<void(const Message&)>;

    // The application title every box carries.
    static QString applicationTitle();

    // The standard error box: the error's message, with a full stop added when
    // the message is not empty and its last character sorts after ".".
    static void showError(const QString& message);
    static QString standardErrorText(const QString& message);

    // The "Sorry, ..." refusals of the skin components: an error box whose
    // text is the refusal exactly as written (it is not an error's message,
    // so no full stop is added).
    static void showRefusal(const QString& text);
    // Notices.
    static void showInformation(const QString& text);

    // Replaces the sink (tests); an empty sink restores the real boxes.
    // Returns the sink that was installed before.
    static Sink setSink(Sink sink);

private:
    static void deliver(const Message& message);
};
