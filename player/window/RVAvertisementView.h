#pragma once

#include "player/window/RVAdvertisementPolicy.h"

#include <QString>
#include <QWebEngineView>

#include <cstdint>
#include <functional>
#include <stop_token>

class QThread;

// The advertisement panel below the file list: a web view of one page on the maker's server.
// Its navigations follow RVAdvertisementPolicy (https only; the page's later loads of its own
// open the maker's home page in the desktop browser). The height the page asks for is read on
// a background thread of the lowest priority, which the view stops and joins when it goes.
class RVAvertisementView final : public QWebEngineView
{
    Q_OBJECT

public:
    explicit RVAvertisementView(QWidget* parent = nullptr);
    ~RVAvertisementView() override;

    // Loads the page into the panel and starts reading its height; once known (0 when it
    // cannot be read) advertisementHeightRead is emitted on the GUI thread. Once per view.
    void loadAdvertisement(const QString& pageUrl, const QString& homePageUrl);

    bool advertisementWasLoaded() const { return m_advertisementWasLoaded; }
    // The page's first load failed (no network, server error); the panel stays hidden.
    bool failedToLoad() const { return m_failedToLoad; }

Q_SIGNALS:
    void advertisementHeightRead(std::int32_t height);
    // The panel's page could not be loaded; the panel stays out of sight.
    void advertisementFailed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    friend class RVAdvertisementPage;
    bool decide(const QUrl& url, RVAdvertisementNavigation type, bool isMainFrame);

    QString m_homePageUrl;
    bool m_advertisementWasLoaded = false;
    bool m_firstLoadReported = false;
    bool m_failedToLoad = false;
    QThread* m_heightThread = nullptr;
    std::stop_source m_stop;
};
