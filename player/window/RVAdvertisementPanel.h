#pragma once

#include <QObject>
#include <QString>

#include <cstdint>

class QWidget;
class RVAvertisementView;

// The advertisement panel below the file list: the page loaded from the maker's server into
// `container`. The panel starts with no height: the list keeps its full column until the page
// has said how tall it wants to be, and for good when it cannot be reached.
class RVAdvertisementPanel final : public QObject
{
    Q_OBJECT

public:
    // Starts loading the page from `serverUrl` (https).
    RVAdvertisementPanel(QWidget& container, const QString& serverUrl, QObject* parent = nullptr);

    // Gives the panel the height its page asked for (points, at most 200 so that the list
    // above stays usable); 0 or less changes nothing.
    void adjustHeight(std::int32_t height);

private:
    QWidget& m_container;
    RVAvertisementView* m_view = nullptr; // owned by the container
};
