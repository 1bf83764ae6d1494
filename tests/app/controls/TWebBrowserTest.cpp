#include "app/controls/TWebBrowser.h"
#include "app/banner/BannerBrowser.h"
#include "app/banner/TextBannerBrowser.h"
#include "tests/app/banner/FakeBannerBrowser.h"
#ifdef DECKVANE_HAVE_WEBENGINE
#include "app/banner/WebEngineBannerModule.h"
#endif

#include <QAbstractScrollArea>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

// Counts the paint events of the object it watches.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// A control whose browsers are fakes, noted as they are created. The control
// sits in a window above a strip that is painted after it.
struct FakeBrowsers {
    FakeBrowsers() {
        TWebBrowser::setBrowserFactory([this](QWidget* parent) {
            created.append(new FakeBannerBrowser(parent));
            stripPaintsAtCreation = stripPaints.paints;
            return created.last();
        });
        control = new TWebBrowser(&window);
        TWebBrowser::setBrowserFactory({});
        control->setGeometry(0, 0, 825, 101);
        auto* strip = new QWidget(&window);
        strip->setGeometry(0, 101, 825, 20);
        strip->installEventFilter(&stripPaints);
        window.resize(825, 121);
    }
    PaintCounter stripPaints;
    QWidget window;
    TWebBrowser* control;
    QList<FakeBannerBrowser*> created;
    int stripPaintsAtCreation = -1;
};

} // namespace

TEST(TWebBrowser, TheBrowserIsCreatedOnceTheWholeWindowHasBeenPainted) {
    FakeBrowsers fakes;
    fakes.window.show();
    EXPECT_TRUE(fakes.created.isEmpty()) << "showing alone paints nothing yet";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes.created.isEmpty(); }, 5000));
    // Not from inside the pane's own paint, which would hold back the frame.
    EXPECT_GE(fakes.stripPaintsAtCreation, 1);
    QWidget* view = fakes.created[0]->view();
    EXPECT_TRUE(view->isVisible());
    EXPECT_EQ(view->geometry(), QRect(0, 0, 825, 101));
    fakes.control->resize(600, 80);
    EXPECT_EQ(view->geometry(), QRect(0, 0, 600, 80));
    // Later paints and explicit requests make no second browser.
    fakes.window.repaint();
    QTest::qWait(20);
    fakes.control->createBrowser();
    EXPECT_EQ(fakes.created.size(), 1);
}

TEST(TWebBrowser, AnAddressGivenBeforeTheBrowserExistsIsLoadedOnceWhenItIsCreated) {
    FakeBrowsers fakes;
    QSignalSpy done(fakes.control, &TWebBrowser::OnDocumentComplete);
    fakes.control->setBodyScroll("no"); // nothing loaded yet: nothing to change
    EXPECT_FALSE(fakes.control->Busy());
    fakes.control->Navigate("http://deckvane.example/first");
    fakes.control->Navigate("http://deckvane.example/second");
    EXPECT_TRUE(fakes.control->Busy()) << "an address waits for the browser";
    fakes.control->createBrowser();
    ASSERT_EQ(fakes.created.size(), 1);
    FakeBannerBrowser* browser = fakes.created[0];
    // The later address replaces the earlier one, as it would in a browser.
    EXPECT_EQ(browser->addresses, QStringList{"http://deckvane.example/second"});
    EXPECT_EQ(browser->scrollBarsHidden, 0);
    // From now on the control asks the browser and passes addresses straight on.
    browser->isBusy = false;
    EXPECT_FALSE(fakes.control->Busy());
    fakes.control->Navigate("http://deckvane.example/third");
    EXPECT_EQ(browser->addresses.size(), 2);
    fakes.control->createBrowser();
    EXPECT_EQ(browser->addresses.size(), 2) << "a waiting address is delivered only once";
    browser->complete(false);
    EXPECT_EQ(done.size(), 1);
    fakes.control->setBodyScroll("NO");
    EXPECT_EQ(browser->scrollBarsHidden, 1);
}

TEST(TWebBrowser, WithoutAnEngineEveryAddressEndsOnTheBuiltInPage) {
    TWebBrowser::setBrowserFactory([](QWidget* parent) { return new TextBannerBrowser(parent); });
    TWebBrowser browser;
    TWebBrowser::setBrowserFactory({});
    browser.resize(825, 101);
    QSignalSpy done(&browser, &TWebBrowser::OnDocumentComplete);
    browser.show();
    browser.Navigate("http://deckvane.example/pro/htm.htm?id=58&name=Deckvane&L=en");
    EXPECT_TRUE(browser.Busy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !done.isEmpty(); }, 5000));
    EXPECT_FALSE(browser.Busy());
    auto* view = qobject_cast<QAbstractScrollArea*>(browser.browser()->view());
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), QRect(0, 0, 825, 101));
    browser.setBodyScroll("no");
    EXPECT_EQ(view->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_EQ(view->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

#ifdef DECKVANE_HAVE_WEBENGINE
TEST(TWebBrowser, AnUnreachableAddressShowsTheOfflinePageNotAnErrorPage) {
#ifdef DECKVANE_SANITIZED
    GTEST_SKIP() << "the web engine's own code trips AddressSanitizer (new/delete size mismatch)";
#endif
    // The browser the program uses, from the module it loads.
    TWebBrowser::setBrowserFactory([](QWidget* parent) {
        BannerBrowser* browser = WebEngineBannerModule::create(parent);
        EXPECT_NE(browser, nullptr) << qPrintable(WebEngineBannerModule::errorString());
        return browser;
    });
    TWebBrowser browser;
    TWebBrowser::setBrowserFactory({});
    browser.resize(825, 101);
    browser.createBrowser();
    ASSERT_NE(browser.browser(), nullptr);
    QSignalSpy done(browser.browser(), &BannerBrowser::documentComplete);
    // Port 9 on the loopback: nothing listens, the load fails at once.
    browser.Navigate("http://127.0.0.1:9/pro/htm.htm?L=en");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !done.isEmpty(); }, 30000));
    EXPECT_EQ(done.first().first().toString(), BannerBrowser::offlinePageAddress());
    EXPECT_FALSE(browser.Busy());

    // A page taller than the pane scrolls until the body is told not to; the
    // page reports its own body's overflow in its title.
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("tall.html"));
    QFile file(page);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html><body><div style='height:3000px'></div><script>"
               "setInterval(function() { document.title = getComputedStyle(document.body)"
               ".overflow + '/' + document.body.getAttribute('scroll'); }, 20);"
               "</script></body></html>");
    file.close();
    done.clear();
    browser.Navigate(QUrl::fromLocalFile(page).toString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !done.isEmpty(); }, 30000));
    QObject* view = browser.browser()->view();
    const auto title = [&] { return view->property("title").toString(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return title().startsWith("visible"); }, 10000))
        << qPrintable(title());
    browser.setBodyScroll(QStringLiteral("no"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return title() == QLatin1String("hidden/no"); }, 10000))
        << qPrintable(title());
}
#endif
