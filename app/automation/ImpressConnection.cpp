#include "app/automation/ImpressConnection.h"

#include "app/automation/AutomationError.h"
#include "platform/LocalPath.h"

#include <QRegularExpression>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <condition_variable>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <csignal>
#include <osl/file.hxx>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace css;

// The UNO headers make each type description once and keep it to the end of
// the process on purpose; a leak checker (in sanitizer builds) is told so.
extern "C" const char* __lsan_default_suppressions();
extern "C" const char* __lsan_default_suppressions() {
    return "leak:cppu_detail_getUnoType\n";
}
extern "C" const char* __lsan_default_options();
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

rtl::OUString ImpressConnection::toOUString(const QString& text) {
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         sal_Int32(text.size()));
}

QString ImpressConnection::fromOUString(const rtl::OUString& text) {
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

beans::PropertyValue ImpressConnection::property(const char* name, const uno::Any& value) {
    beans::PropertyValue result;
    result.Name = rtl::OUString::createFromAscii(name);
    result.Value = value;
    return result;
}

uno::Sequence<beans::PropertyValue>
ImpressConnection::properties(std::initializer_list<beans::PropertyValue> values) {
    return uno::Sequence<beans::PropertyValue>(values.begin(), sal_Int32(values.size()));
}

namespace {

// The local UNO environment is set up once per process and kept to the end:
// tearing it down while bridges still run their threads would crash.
uno::Reference<uno::XComponentContext> localContext(const QString& officeDir) {
    static std::once_flag once;
    static uno::Reference<uno::XComponentContext>* context = nullptr;
    static QString failure;
    std::call_once(once, [&] {
        // An office that dies closes its end of the pipe; writing to it must
        // fail the call, not kill the program.
        std::signal(SIGPIPE, SIG_IGN);
        try {
            if (qEnvironmentVariableIsEmpty("URE_BOOTSTRAP"))
                qputenv("URE_BOOTSTRAP",
                        "vnd.sun.star.pathname:" +
                            LocalPath::toNative(officeDir + "/program/fundamentalrc"));
            context = new uno::Reference<uno::XComponentContext>(
                cppu::defaultBootstrap_InitialComponentContext());
        } catch (const uno::Exception& error) {
            failure = QStringLiteral("The UNO runtime of LibreOffice could not be set up: %1")
                          .arg(ImpressConnection::fromOUString(error.Message));
        }
    });
    if (!context)
        throw AutomationError(failure);
    return *context;
}

} // namespace

namespace {
class DisposeWatch : public cppu::WeakImplHelper1<lang::XEventListener> {
public:
    explicit DisposeWatch(std::shared_ptr<std::atomic<bool>> flag) : m_flag(std::move(flag)) {}
    void SAL_CALL disposing(const lang::EventObject&) override { *m_flag = true; }

private:
    std::shared_ptr<std::atomic<bool>> m_flag;
};
} // namespace

void ImpressConnection::prepare(const QString& officeDir) {
    localContext(officeDir);
}

QString ImpressConnection::pipeSocketPath(const QString& pipeName) {
    // The office's runtime prefers /tmp and falls back to /var/tmp.
    const char* folder = ::access("/tmp", W_OK) == 0 ? "/tmp" : "/var/tmp";
    return QStringLiteral("%1/OSL_PIPE_%2_%3")
        .arg(QLatin1String(folder))
        .arg(::getuid())
        .arg(pipeName);
}

namespace {

// One connection attempt, shared with the thread that makes it so a
// timed-out attempt can finish or hang on without touching freed memory.
struct Attempt {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    bool abandoned = false;
    QString error;
};

} // namespace

std::shared_ptr<ImpressConnection> ImpressConnection::connect(const QString& officeDir,
                                                              const QString& pipeName,
                                                              std::chrono::milliseconds timeLimit) {
    const auto local = localContext(officeDir);
    const QString socketPath = pipeSocketPath(pipeName);
    struct stat info {};
    if (::lstat(LocalPath::toNative(socketPath).constData(), &info) != 0)
        throw AutomationError(QStringLiteral("No LibreOffice listens on pipe '%1'").arg(pipeName));
    if (!S_ISSOCK(info.st_mode) || info.st_uid != ::getuid())
        throw AutomationError(
            QStringLiteral("The pipe '%1' belongs to another user and was not used").arg(pipeName));

    std::shared_ptr<ImpressConnection> connection(new ImpressConnection);
    auto attempt = std::make_shared<Attempt>();
    // A socket that accepts but never answers would hold the call forever:
    // the attempt runs on a thread of its own, and when it is late its
    // bridge is disposed, which makes a blocked call return.
    std::thread([attempt, connection, local, pipeName] {
        QString error;
        try {
            auto link =
                connection::Connector::create(local)->connect("pipe,name=" + toOUString(pipeName));
            auto bridge =
                bridge::BridgeFactory::create(local)->createBridge("", "urp", link, nullptr);
            {
                std::lock_guard lock(attempt->mutex);
                connection->m_bridge.set(bridge, uno::UNO_QUERY_THROW);
                if (attempt->abandoned)
                    connection->cut();
            }
            connection->m_bridge->addEventListener(new DisposeWatch(connection->m_disposed));
            uno::Reference<uno::XComponentContext> remote(
                bridge->getInstance("StarOffice.ComponentContext"), uno::UNO_QUERY_THROW);
            connection->m_desktop = frame::Desktop::create(remote);
        } catch (const uno::Exception& failure) {
            error = readableMessage(fromOUString(failure.Message));
            if (error.trimmed().isEmpty())
                error = QStringLiteral("the connection failed");
        }
        std::lock_guard lock(attempt->mutex);
        attempt->error = error;
        attempt->done = true;
        attempt->finished.notify_all();
    }).detach();

    std::unique_lock lock(attempt->mutex);
    if (!attempt->finished.wait_for(lock, timeLimit, [&] { return attempt->done; })) {
        attempt->abandoned = true;
        connection->cut();
        throw AutomationError(
            QStringLiteral("LibreOffice on pipe '%1' gave no answer within %2 seconds")
                .arg(pipeName)
                .arg(double(timeLimit.count()) / 1000.0));
    }
    if (!attempt->error.isEmpty()) {
        connection->cut();
        throw AutomationError(QStringLiteral("No LibreOffice answers on pipe '%1': %2")
                                  .arg(pipeName, attempt->error));
    }
    return connection;
}

ImpressConnection::~ImpressConnection() {
    cut();
}

bool ImpressConnection::alive() const {
    return m_bridge.is() && !*m_disposed;
}

void ImpressConnection::cut() {
    if (!m_bridge.is())
        return;
    try {
        m_bridge->dispose();
    } catch (const uno::Exception&) {
    }
}

QString ImpressConnection::fileUrl(const QString& path) {
    QString target = path;
    if (!LocalPath::isPlainText(path)) {
        std::lock_guard lock(m_linkMutex);
        if (!m_links)
            m_links = std::make_unique<QTemporaryDir>();
        const QString name = LocalPath::fileName(path);
        const QString folder = path.left(path.size() - name.size());
        QString link = m_links->path() + QStringLiteral("/link%1").arg(++m_linkCount);
        QString linked = path;
        if (LocalPath::isPlainText(name) && !name.isEmpty() && folder.size() > 1) {
            // Only the folder is odd: link the folder and keep the name, so
            // that files written next to this one (an export's pictures)
            // land in the same real folder.
            linked = folder.chopped(1);
            target = link + QLatin1Char('/') + name;
        } else {
            // Keep a plain extension: the office's type detection looks at it.
            const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
            if (dot >= 0 && LocalPath::isPlainText(name.mid(dot)))
                link += name.mid(dot);
            target = link;
        }
        if (::symlink(LocalPath::toNative(linked).constData(),
                      LocalPath::toNative(link).constData()) != 0)
            throw AutomationError(QStringLiteral("Cannot reach '%1'").arg(path));
    }
    rtl::OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(ImpressConnection::toOUString(target), url) !=
        osl::FileBase::E_None)
        throw AutomationError(QStringLiteral("Not a usable path: '%1'").arg(path));
    return fromOUString(url);
}

QString ImpressConnection::readableMessage(const QString& message) {
    QString text = message;
    // Release builds append where in the office's sources the error arose
    // (" at ./framework/source/loadenv/loadenv.cxx:189"), sometimes more
    // than once and mid-text; that means nothing to the person reading it.
    static const QRegularExpression sourceLocation(
        QStringLiteral(R"(\s*\bat\s+\.?/?[\w.+-]+(?:/[\w.+-]+)*\.(?:cxx|hxx|cpp|hpp|cc|c|h):\d+)"));
    text.remove(sourceLocation);
    // The loader's words when no import filter takes the file.
    if (text.contains(QLatin1String("type detection failed"), Qt::CaseInsensitive))
        return QStringLiteral("Not a presentation LibreOffice can read");
    // The connection's words when the office dies under a call.
    if (text.contains(QLatin1String("bridge disposed"), Qt::CaseInsensitive))
        return QStringLiteral("LibreOffice ended while working on this file");
    // A store that failed: the office's own error number is all it says.
    static const QRegularExpression storeFailed(
        QStringLiteral(R"(impl_store <[^>]*> failed: (0x[0-9a-fA-F]+))"));
    const auto store = storeFailed.match(text);
    if (store.hasMatch())
        return QStringLiteral("LibreOffice could not write the page (its error %1)")
            .arg(store.captured(1));
    return text.trimmed();
}

void ImpressConnection::rethrow(const uno::Exception& error) {
    QString message = readableMessage(fromOUString(error.Message));
    if (message.trimmed().isEmpty())
        message = QStringLiteral("LibreOffice reported an error without a description");
    throw AutomationError::fromServerDescription(message);
}
