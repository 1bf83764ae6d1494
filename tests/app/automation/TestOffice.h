#pragma once

#include "app/automation/ImpressServer.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

class ImpressConnection;

// A LibreOffice for one test: its own pipe and a private profile in a
// temporary folder, so tests never meet each other's office or the user's.
class TestOffice {
public:
    TestOffice();
    ~TestOffice();

    ImpressServer::Settings settings() const;
    // onSharedPipe: the office listens on the test's per-user pipe, as one
    // the user started would.
    std::shared_ptr<ImpressServer> makeServer(bool onSharedPipe = false) const;

    // Decks made from the flat source in tests/data: a .ppt saved by the
    // office, and the same deck as an OpenDocument file with a password.
    void makeDeck(const QString& pptPath) const;
    void makeLockedDeck(const QString& pptPath) const;

    // Office processes running for this test's pipe (after giving killed
    // ones a few seconds to go); killAll ends them the hard way, as a crash
    // would.
    int processesLeft() const;
    void killAll() const;
    // The office processes of this test's pipe now.
    QList<int> processes() const;

    static QString sourceDir();

private:
    void saveDeck(const QString& pptPath, const char* password) const;
    void saveDeckOnce(const QString& pptPath, const char* password, int attempt) const;
    static void store(ImpressConnection& connection, const QString& pptPath, const char* password);

    QTemporaryDir m_temp;
    QString m_pipe;
};
