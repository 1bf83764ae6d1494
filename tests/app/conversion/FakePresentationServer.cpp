#include "tests/app/conversion/FakePresentationServer.h"

#include "app/automation/AutomationError.h"
#include "app/automation/AutomationObject.h"
#include "app/automation/HtmlPublisher.h"
#include "platform/LocalPath.h"
#include "platform/PosixFiles.h"

#include <thread>

namespace {

class FakeObject : public AutomationObject {
public:
    using AutomationObject::addMember;
    using AutomationObject::boolArg;
    using AutomationObject::intArg;
    using AutomationObject::requireArgCount;
    using AutomationObject::textArg;
};

} // namespace

void FakePresentationServer::record(const QString& call) {
    std::lock_guard lock(m_mutex);
    m_calls.append(call);
}

QStringList FakePresentationServer::calls() const {
    std::lock_guard lock(m_mutex);
    return m_calls;
}

AutomationObjectPtr FakePresentationServer::attach() {
    record(QStringLiteral("attach"));
    if (!attachable)
        throw AutomationError(QStringLiteral("Operation unavailable"));
    m_attached = true;
    return makeApplication();
}

AutomationObjectPtr FakePresentationServer::start() {
    record(QStringLiteral("start"));
    if (!startable)
        throw AutomationError(QStringLiteral("LibreOffice is not installed"));
    ++m_starts;
    m_attached = false;
    return makeApplication();
}

bool FakePresentationServer::alive() const {
    return m_alive;
}

void FakePresentationServer::kill() {
    if (m_alive.exchange(false))
        record(QStringLiteral("kill"));
}

void FakePresentationServer::finish() {
    record(QStringLiteral("finish"));
    m_alive = false;
}

AutomationObjectPtr FakePresentationServer::makeApplication() {
    m_alive = true;
    auto application = std::make_shared<FakeObject>();
    auto presentations = std::make_shared<FakeObject>();
    application->addMember("visible", [this](AutomationObject::CallKind,
                                             const AutomationArgs& args) {
        record(QStringLiteral("visible=%1").arg(FakeObject::boolArg(args, 0) ? "true" : "false"));
        return AutomationValue();
    });
    application->addMember("Presentations",
                           [presentations](AutomationObject::CallKind, const AutomationArgs&) {
                               return AutomationValue(AutomationObjectPtr(presentations));
                           });
    application->addMember("Quit", [this](AutomationObject::CallKind, const AutomationArgs&) {
        record(QStringLiteral("Quit"));
        m_alive = false;
        return AutomationValue();
    });
    presentations->addMember("Open", [this](AutomationObject::CallKind,
                                            const AutomationArgs& args) {
        const QString path = FakeObject::textArg(args, 0);
        record(QStringLiteral("Open ") + path);
        if (!m_alive)
            throw AutomationError(QStringLiteral("The server is gone"));
        if (onOpen)
            onOpen(path);
        const QString name = LocalPath::fileName(path);
        if (name.contains(QLatin1String("hang"))) {
            while (m_alive)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            throw AutomationError(QStringLiteral("The bridge was disposed"));
        }
        if (name.contains(QLatin1String("slow")))
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        if (name.contains(QLatin1String("crash"))) {
            m_alive = false;
            throw AutomationError(QStringLiteral("The bridge was disposed"));
        }
        if (name.contains(QLatin1String("broken")))
            throw AutomationError::fromServerDescription(QStringLiteral("Cannot open file.  \n"));
        ++m_openDecks;
        auto presentation = std::make_shared<FakeObject>();
        presentation->addMember("name",
                                [this, name](AutomationObject::CallKind, const AutomationArgs&) {
                                    record(QStringLiteral("name"));
                                    return AutomationValue(name);
                                });
        presentation->addMember("SaveAs", [this, name, path](AutomationObject::CallKind,
                                                             const AutomationArgs& args) {
            const QString output = FakeObject::textArg(args, 0);
            record(QStringLiteral("SaveAs %1 %2").arg(output).arg(FakeObject::intArg(args, 1)));
            if (name.contains(QLatin1String("nosave")))
                throw AutomationError(QStringLiteral("Disk full"));
            if (name.contains(QLatin1String("slowsave")))
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
            // As the real server: into the run's reserved staging, if any.
            std::shared_ptr<HtmlPublisher> publisher = HtmlPublisher::reservedFor(output);
            const bool reserved = publisher != nullptr;
            if (!reserved)
                publisher = std::make_shared<HtmlPublisher>(output);
            const QString staging = publisher->stagingPage().section('/', 0, -2);
            PosixFiles::writeAll(publisher->stagingPage(),
                                 "<html><head><title>" + LocalPath::toNative(name) +
                                     "</title></head><body><!--deck " + LocalPath::toNative(path) +
                                     "--><a href=\"img0.html\">"
                                     "<img src=\"img0.jpg\"></a></body></html>\n");
            PosixFiles::writeAll(staging + "/img0.html",
                                 "<html><a href=\"page.htm\">up</a></html>\n");
            PosixFiles::writeAll(staging + "/img0.jpg", "\xff\xd8\xff slide \xff\xd9");
            if (!reserved)
                publisher->commit(path);
            return AutomationValue();
        });
        presentation->addMember("Close", [this](AutomationObject::CallKind, const AutomationArgs&) {
            record(QStringLiteral("Close"));
            --m_openDecks;
            return AutomationValue();
        });
        return AutomationValue(AutomationObjectPtr(presentation));
    });
    return application;
}
