#pragma once

#include "app/banner/BannerBrowser.h"

#include <QLabel>
#include <QStringList>

// A banner browser that records what it is told and completes on request.
class FakeBannerBrowser : public BannerBrowser {
public:
    explicit FakeBannerBrowser(QWidget* parent)
        : BannerBrowser(parent), m_view(new QLabel(parent)) {}
    QWidget* view() override { return m_view; }
    void navigate(const QString& address) override { addresses.append(address); }
    bool busy() const override { return isBusy; }
    void hideScrollBars() override { ++scrollBarsHidden; }
    void complete(bool stillBusy) {
        isBusy = stillBusy;
        emit documentComplete(addresses.value(0));
    }

    QLabel* m_view;
    QStringList addresses;
    bool isBusy = true;
    int scrollBarsHidden = 0;
};
