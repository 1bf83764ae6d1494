#include "app/TFMain.h"

#include <QCloseEvent>
#include <QScopeGuard>
#include <cstdio>

#include "app/LayoutLoader.h"
#include "app/automation/ImpressServer.h"
#include "app/controls/TDirectoryListBox.h"
#include "app/controls/TDriveComboBox.h"
#include "app/controls/TEdit.h"
#include "app/controls/TLabel.h"
#include "app/controls/TMemo.h"
#include "app/controls/TStatusBar.h"
#include "app/controls/TWebBrowser.h"
#include "app/conversion/ConversionEngine.h"
#include "platform/LocalPath.h"
#include "platform/MessageBoxSeam.h"
#include "platform/ReportableError.h"
#include "platform/SystemLanguage.h"
#include "skin/controls/TskButton.h"
#include "skin/controls/TskImagePanel.h"
#include "skin/controls/TskRadioButton.h"
#include "skin/form/TskForm.h"
#include "strings/StringTable.h"

TFMain::TFMain(QWidget* parent)
    : QWidget(parent), languageIdSource(&SystemLanguage::defaultLanguageId) {}

const ComponentRegistry& TFMain::registry() {
    static const ComponentRegistry classes = [] {
        ComponentRegistry r;
        r.add<TskForm>("TskForm");
        r.add<TskImagePanel>("TskImagePanel");
        r.add<TskButton>("TskButton");
        r.add<TskRadioButton>("TskRadioButton");
        r.add<TDriveComboBox>("TDriveComboBox");
        r.add<TDirectoryListBox>("TDirectoryListBox");
        r.add<TEdit>("TEdit");
        r.add<TMemo>("TMemo");
        r.add<TLabel>("TLabel");
        r.add<TStatusBar>("TStatusBar");
        r.add<TWebBrowser>("TWebBrowser");
        return r;
    }();
    return classes;
}

template <class T> T* TFMain::bind(const QString& fileName, const char* name) {
    T* control = findChild<T*>(QString::fromLatin1(name));
    if (!control)
        throw LayoutError(fileName, 0,
                          QStringLiteral("the layout has no %1").arg(QLatin1String(name)));
    return control;
}

void TFMain::loadLayout(const QString& fileName) {
    LayoutLoader loader(registry());
    loader.loadFile(this, fileName);
    skForm1 = bind<TskForm>(fileName, "skForm1");
    skImagePanel1 = bind<TskImagePanel>(fileName, "skImagePanel1");
    DriveComboBox1 = bind<TDriveComboBox>(fileName, "DriveComboBox1");
    eFileType = bind<TEdit>(fileName, "eFileType");
    skButton2 = bind<TskButton>(fileName, "skButton2");
    Memo1 = bind<TMemo>(fileName, "Memo1");
    skImagePanel2 = bind<TskImagePanel>(fileName, "skImagePanel2");
    WebBrowser2 = bind<TWebBrowser>(fileName, "WebBrowser2");
    DirectoryListBox1 = bind<TDirectoryListBox>(fileName, "DirectoryListBox1");
    ePath = bind<TEdit>(fileName, "ePath");
    Label1 = bind<TLabel>(fileName, "Label1");
    StatusBar1 = bind<TStatusBar>(fileName, "StatusBar1");
    skRadioButton1 = bind<TskRadioButton>(fileName, "skRadioButton1");
    // The creation handler runs once every control exists and is bound.
    emit OnCreate();
}

int TFMain::GetLanguageBase() const {
    return StringTable::languageBaseFor(languageIdSource());
}

QString TFMain::text(int offset) const {
    return StringTable::text(LanguageBase + offset);
}

void TFMain::FormCreate() {
    LanguageBase = GetLanguageBase();
    setWindowTitle(text(StringTable::kCaption));
    skForm1->SetCaption(text(StringTable::kCaption));
    Label1->setCaption(text(StringTable::kSavePathLabel));
    skButton2->SetCaption(text(StringTable::kStartButton));
    WebBrowser2->Navigate(text(StringTable::kBannerAddress));
}

void TFMain::DriveComboBox1Change() {
    DirectoryListBox1->setDrive(DriveComboBox1->drive());
}

// The run. The mask and output-folder fields are taken when the button is
// pressed: the window stays live while the server works, and an edit then
// must not send the remaining decks elsewhere or skip their folders. The
// server reference lives only as long as this handler.
void TFMain::skButton2Click() {
    // The window stays live while the server starts, before the button is
    // greyed: a second click then must not start a run inside this one.
    if (m_runningEngine)
        return;
    if (!presentationServer)
        presentationServer = std::make_shared<ImpressServer>();
    ConversionEngine engine(presentationServer);
    const QString masks = eFileType->text();
    const QString outputFolder = ePath->text();
    engine.setMaskTextSource([masks] { return masks; });
    engine.setOutputFolderSource([outputFolder] { return outputFolder; });
    engine.setSuccessText(text(StringTable::kDoneSuffix));
    connect(&engine, &ConversionEngine::statusChanged, StatusBar1, &TStatusBar::setSimpleText);
    connect(&engine, &ConversionEngine::logLine, Memo1, &TMemo::appendLine);
    // Said where a server's operator looks, as deckvane-batch says it.
    connect(&engine, &ConversionEngine::filesLeftOut,
            [](const QString& source, const QStringList& names) {
                const QByteArray line =
                    LocalPath::toNative(ConversionEngine::leftOutMessage(source, names)) + '\n';
                std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
            });
    m_runningEngine = &engine;
    const auto notRunning = qScopeGuard([this] { m_runningEngine = nullptr; });
    try {
        engine.Run(DirectoryListBox1->directory(), {[this] {
                                                        Memo1->clear();
                                                        skButton2->setEnabled(false);
                                                    },
                                                    [this] { skButton2->setEnabled(true); }});
    } catch (const ReportableError& error) {
        // The walk keeps its own paths and never fails on the way back up,
        // so an error here never leaves the start button disabled.
        skButton2->setEnabled(true);
        MessageBoxSeam::showError(error.message());
    }
}

void TFMain::closeEvent(QCloseEvent* event) {
    if (m_runningEngine)
        m_runningEngine->requestStop();
    QWidget::closeEvent(event);
}

void TFMain::WebBrowser2DocumentComplete() {
    if (WebBrowser2->Busy())
        return;
    WebBrowser2->setBodyScroll(QStringLiteral("no"));
}
