#include "WindowTestSupport.h"

#include "library/RVVolumeMonitor.h"
#include "player/files/RVVideoOutlineView.h"

#include <QSignalSpy>

namespace windowtest {

std::shared_ptr<RVVideoList> makeVideoList(bool withMetaData)
{
    // With metadata: the program's own source, which says why a recording gave none.
    const RVMetaDataSource none = [](const QString&) { return RVMetaDataReading(); };
    return std::make_shared<RVVideoList>(std::make_unique<RVStaticVolumeMonitor>(),
                                         withMetaData ? RVVideoList::defaultMetaDataSource()
                                                      : none);
}

void Window::open(bool withMetaData)
{
    controller.loadView(makeVideoList(withMetaData));
    window = controller.window();
    model = controller.filesModel();
    player = controller.player();
    playback = controller.playback();
    central = window->centralWidget();
    window->show();
}

RVVideoDataPtr Window::row(int r) const
{
    return model->nodeAt(model->index(r, 0));
}

int Window::rowOf(const QString& fileEnd) const
{
    for (int r = 0; r < model->rowCount(); ++r) {
        if (row(r)->files().front()->filePath().endsWith(fileEnd))
            return r;
    }
    return -1;
}

bool Window::add(const QStringList& paths, int rows)
{
    controller.addFiles(paths);
    return showsRows(rows);
}

bool Window::showsRows(int rows)
{
    return support::waitFor([&] {
        controller.videoList()->waitForIdle();
        const QRect last = controller.filesView()->visualRect(model->index(rows - 1, 0));
        return model->rowCount() == rows &&
               (!rows || controller.filesView()->indexAt(last.center()).row() == rows - 1);
    });
}

bool Window::play(int row)
{
    controller.selectRow(row);
    controller.rowClicked();
    return support::waitFor([&] { return player->rate() == 1.0; });
}

bool Window::start(const RVVideoDataPtr& trip)
{
    controller.playback()->start(trip);
    return support::waitFor([&] { return player->isReady() && player->rate() == 1.0; });
}

QImage Window::still(RVMpvPlayer& player)
{
    QSignalSpy shown(&player, &RVMpvPlayer::stillReady), failed(&player, &RVMpvPlayer::stillFailed);
    player.grabStill({4000, 4000});
    support::waitFor([&] { return !shown.isEmpty() || !failed.isEmpty(); });
    return shown.isEmpty() ? QImage() : shown[0][0].value<QImage>();
}

} // namespace windowtest
