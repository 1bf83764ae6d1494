#include "app/automation/ImpressConnection.h"

#include "app/automation/AutomationError.h"
#include "platform/LocalPath.h"

#include <QRegularExpression>

#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/connection/Connector.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/lang/XEventListener.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <cppuhelper/implbase1.hxx>
#include <csignal>
#include <osl/file.hxx>
#include <unistd.h>

using namespace css;

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
    explicit DisposeWatch(std::shared_ptr<std::atomic<bool>> flag) : flag_(std::move(flag)) {}
    void SAL_CALL disposing(const lang::EventObject&) override { *flag_ = true; }

private:
    std::shared_ptr<std::atomic<bool>> flag_;
};
} // namespace

void ImpressConnection::prepare(const QString& officeDir) {
    localContext(officeDir);
}

std::shared_ptr<ImpressConnection> ImpressConnection::connect(const QString& officeDir,
                                                              const QString& pipeName) {
    const auto local = localContext(officeDir);
    std::shared_ptr<ImpressConnection> connection(new ImpressConnection);
    try {
        auto link =
            connection::Connector::create(local)->connect("pipe,name=" + toOUString(pipeName));
        auto bridge = bridge::BridgeFactory::create(local)->createBridge("", "urp", link, nullptr);
        connection->bridge_.set(bridge, uno::UNO_QUERY_THROW);
        connection->bridge_->addEventListener(new DisposeWatch(connection->disposed_));
        uno::Reference<uno::XComponentContext> remote(
            bridge->getInstance("StarOffice.ComponentContext"), uno::UNO_QUERY_THROW);
        connection->desktop_ = frame::Desktop::create(remote);
    } catch (const uno::Exception& error) {
        connection->cut();
        throw AutomationError(QStringLiteral("No LibreOffice answers on pipe '%1': %2")
                                  .arg(pipeName, fromOUString(error.Message)));
    }
    return connection;
}

ImpressConnection::~ImpressConnection() {
    cut();
}

bool ImpressConnection::alive() const {
    return bridge_.is() && !*disposed_;
}

void ImpressConnection::cut() {
    if (!bridge_.is())
        return;
    try {
        bridge_->dispose();
    } catch (const uno::Exception&) {
    }
}

QString ImpressConnection::fileUrl(const QString& path) {
    QString target = path;
    if (!LocalPath::isPlainText(path)) {
        std::lock_guard lock(linkMutex_);
        if (!links_)
            links_ = std::make_unique<QTemporaryDir>();
        // Keep a plain extension: the office's type detection looks at it.
        const QString name = LocalPath::fileName(path);
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const QString extension =
            dot >= 0 && LocalPath::isPlainText(name.mid(dot)) ? name.mid(dot) : QString();
        const QString link =
            links_->path() + QStringLiteral("/link%1").arg(++linkCount_) + extension;
        if (::symlink(LocalPath::toNative(path).constData(),
                      LocalPath::toNative(link).constData()) != 0)
            throw AutomationError(QStringLiteral("Cannot reach '%1'").arg(path));
        target = link;
    }
    rtl::OUString url;
    if (osl::FileBase::getFileURLFromSystemPath(ImpressConnection::toOUString(target), url) !=
        osl::FileBase::E_None)
        throw AutomationError(QStringLiteral("Not a usable path: '%1'").arg(path));
    return fromOUString(url);
}

void ImpressConnection::rethrow(const uno::Exception& error) {
    QString message = fromOUString(error.Message);
    // Release builds append where in the office's sources the error arose
    // (" at ./framework/source/loadenv/loadenv.cxx:189"); that means nothing
    // to the person reading the log.
    static const QRegularExpression sourceLocation(QStringLiteral(R"( at \.?/\S+:\d+\s*$)"));
    message.remove(sourceLocation);
    if (message.trimmed().isEmpty())
        message = QStringLiteral("LibreOffice reported an error without a description");
    throw AutomationError::fromServerDescription(message);
}
