#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QtGui/QRgb>

// Decks written the way someone who wants to harm the converting machine or
// the readers of the pages would write them, made byte by byte by the test
// (never taken from elsewhere): each slide links pictures by address, is
// named in markup, holds markup, a link and notes.
class HostileDecks {
public:
    // What the tests look for in the pages.
    static constexpr char kSlideName[] = "<img src=x onerror=alert(2)>";
    static constexpr char kLinkAddress[] = "javascript:alert(4)";
    // A click action's address that closes its attribute in the page.
    static constexpr char kClickAddress[] = "http://x/\" onmouseover=\"alert(7)";

    // A picture of one colour.
    static QByteArray solidPng(int width, int height, QRgb colour);
    // A flat OpenDocument presentation (one XML file).
    static QByteArray flatOdp(const QStringList& pictureAddresses);
    // The same as a package, and a PPTX whose slide has External picture
    // relationships to the addresses.
    static void writeOdp(const QString& path, const QStringList& pictureAddresses);
    static void writePptx(const QString& path, const QStringList& pictureAddresses);
    // A flat presentation of one slide per address, each with a transition
    // sound taken from it, the export copying the file beside the pages;
    // each slide is named slideName.
    static QByteArray soundDeck(const QStringList& soundAddresses, const QString& slideName);
    // Under 1 KB: a flat presentation with a JPEG picture that claims to
    // be 30,000 × 30,000 pixels, which the office makes room for.
    static QByteArray memoryBomb();

    // A zip archive with its entries stored as they are.
    static void writeZip(const QString& path, const QList<QPair<QByteArray, QByteArray>>& entries);
};
