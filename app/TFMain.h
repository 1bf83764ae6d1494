#pragma once

#include "app/ComponentRegistry.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

class ConversionEngine;
class TskForm;
class TskImagePanel;
class TskButton;
class TskRadioButton;
class TDriveComboBox;
class TDirectoryListBox;
class TEdit;
class TMemo;
class TLabel;
class TStatusBar;
class TWebBrowser;
class PresentationServer;

// The one window: built from its stored layout, localized in FormCreate.
class TFMain : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ windowTitle WRITE setWindowTitle)
public:
    static constexpr const char* kLayoutResource = ":/layout/FMain.layout";

    explicit TFMain(QWidget* parent = nullptr);

    // Every class the stored layout may name.
    static const ComponentRegistry& registry();

    // Creates the controls from the layout (throws LayoutError), binds the
    // fields below, then runs the creation handler.
    void loadLayout(const QString& fileName = QString::fromLatin1(kLayoutResource));

    // Where the system language comes from; tests pin it.
    std::function<std::uint16_t()> languageIdSource;

    int GetLanguageBase() const;
    QString text(int offset) const;

    TskForm* skForm1 = nullptr;
    TskImagePanel* skImagePanel1 = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    TEdit* eFileType = nullptr;
    TskButton* skButton2 = nullptr;
    TMemo* Memo1 = nullptr;
    TskImagePanel* skImagePanel2 = nullptr;
    TWebBrowser* WebBrowser2 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    TEdit* ePath = nullptr;
    TLabel* Label1 = nullptr;
    TStatusBar* StatusBar1 = nullptr;
    TskRadioButton* skRadioButton1 = nullptr;
    int LanguageBase = 0;

    // The presentation server a run attaches to or starts: LibreOffice
    // Impress unless a test puts a stand-in here.
    std::shared_ptr<PresentationServer> presentationServer;
    // True from the start of a run until the server has been released.
    bool running() const { return m_runningEngine != nullptr; }

public slots:
    void FormCreate();
    void DriveComboBox1Change();
    void skButton2Click();
    void WebBrowser2DocumentComplete();

signals:
    void OnCreate();

protected:
    // Closing the window during a run ends the run after the file being
    // converted, and the server is told to quit as at any other end.
    void closeEvent(QCloseEvent* event) override;

private:
    template <class T> T* bind(const QString& fileName, const char* name);
    ConversionEngine* m_runningEngine = nullptr;
};
