#pragma once

#include <QString>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <rtl/ustring.hxx>

// One UNO bridge to an office listening on a named pipe, shared by the
// automation objects made over it.
class ImpressConnection {
public:
    // Sets up the local UNO runtime (once); raises AutomationError when the
    // office's runtime files are unusable.
    static void prepare(const QString& officeDir);

    // Connects, or raises AutomationError when nothing answers on the pipe
    // within the time limit. A pipe that another user made (anyone may make
    // one under a predictable name) is never connected to.
    static std::shared_ptr<ImpressConnection>
    connect(const QString& officeDir, const QString& pipeName,
            std::chrono::milliseconds timeLimit = std::chrono::seconds(10));

    // Where the office's runtime puts the socket of a named pipe.
    static QString pipeSocketPath(const QString& pipeName);
    ~ImpressConnection();

    bool alive() const;
    // Drops the bridge; calls blocked in it return with an error. Any thread.
    void cut();

    css::uno::Reference<css::frame::XDesktop2> desktop() const { return m_desktop; }

    // A file URL the office can open for the path. Paths whose bytes are not
    // UTF-8 cannot be spelled as office text; they are reached through a
    // symbolic link with a plain name in a private folder: to the folder
    // when only the folder's name is odd (an export writes more files next
    // to the page), else to the file.
    QString fileUrl(const QString& path);
    // Where those links go instead of a temporary folder of the program's
    // own: one the office can see (a sandboxed office sees few folders).
    void setLinkFolder(const QString& folder);

    static rtl::OUString toOUString(const QString& text);
    static QString fromOUString(const rtl::OUString& text);
    static css::beans::PropertyValue property(const char* name, const css::uno::Any& value);
    static css::uno::Sequence<css::beans::PropertyValue>
    properties(std::initializer_list<css::beans::PropertyValue> values);

    // Turns a UNO exception into the automation error the log shows.
    [[noreturn]] static void rethrow(const css::uno::Exception& error);
    // An office message as a person reads it: the source locations release
    // builds append are gone, and the type detection's complaint is said
    // plainly.
    static QString readableMessage(const QString& message);

private:
    ImpressConnection() = default;

    css::uno::Reference<css::lang::XComponent> m_bridge;
    css::uno::Reference<css::frame::XDesktop2> m_desktop;
    std::shared_ptr<std::atomic<bool>> m_disposed = std::make_shared<std::atomic<bool>>(false);
    std::unique_ptr<QTemporaryDir> m_links;
    QString m_linkFolder;
    int m_linkCount = 0;
    std::mutex m_linkMutex;
};
