// The window as a driver meets it, in each interface language at its default size: a list
// that can be read, keys that can be found, and empty states that explain themselves.

#include "AppTestSupport.h"

#include "app/RVMenuMnemonics.h"

#include "metadata/RVSettings.h"
#include "player/RVMainViewController.h"
#include "player/RVTripPlayback.h"
#include "player/RVVideoOutlineView.h"
#include "player/RVVideoOutlineViewModel.h"
#include "timeline/RVTimeSlider2.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QSplitter>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include "support/Support.h"

#include <functional>
#include <memory>

using support::waitFor;

TEST(DriversWindow, ReadableListFindableKeysAndEmptyStates)
{
    QTemporaryDir dir;
    const QString name = QStringLiteral("20260516_181000_NF_a_rather_long_recording_name.mp4");
    QDir(dir.path()).mkdir(QStringLiteral("card"));
    QDir(dir.path()).mkdir(QStringLiteral("empty"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"),
                                {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=64x48:rate=5",
                                 "-t", "1", dir.filePath("card/" + name)}),
              0);

    for (const char* language : {"en", "de", "ru"}) {
        SCOPED_TRACE(language);
        apptest::clearSettings();
        RVSettings::setAppleLanguages({QString::fromLatin1(language)});
        apptest::Launch launch;
        QMainWindow* window = launch.delegate().window();
        RVMainViewController* controller = launch.delegate().mainViewController();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
        EXPECT_EQ(window->size(), QSize(900, 534));
        RVVideoOutlineView* list = controller->filesView();

        // Empty: the list says how to get recordings, the time line draws nothing, and Space
        // starts nothing.
        EXPECT_EQ(list->placeholderText(), qtTrId("FILE_LIST_EMPTY_HINT"));
        const QImage slider = controller->timeLine()->grab().toImage();
        QImage plain(slider.size(), slider.format());
        plain.fill(slider.pixel(0, 0));
        EXPECT_EQ(slider, plain);
        window->activateWindow();
        QTest::keyClick(window->centralWidget(), Qt::Key_Space);
        EXPECT_FALSE(controller->playback()->node());

        // A folder without recordings is named on the status bar and in the list.
        controller->addFiles({dir.filePath("empty")});
        ASSERT_TRUE(waitFor([&] { return list->placeholderText().contains("empty"); }));
        EXPECT_TRUE(window->statusBar()->currentMessage().contains(dir.filePath("empty")));

        // Readable at 900 x 534: the name column keeps 150 px and no header is cut.
        controller->addFiles({dir.filePath("card")});
        ASSERT_TRUE(waitFor([&] { return controller->filesModel()->rowCount() == 1; }));
        QHeaderView* header = list->header();
        EXPECT_GE(header->sectionSize(RVVideoOutlineViewModel::ColumnName), 150);
        for (int column = 0; column < header->count(); ++column)
            EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << column;
        // The read-outs under the map never overlap, however narrow the map column is made.
        QList<QLabel*> readouts;
        for (const char* label : {"velocity", "altitudeLabel", "clockLabel"})
            readouts << window->findChild<QLabel*>(QString::fromLatin1(label));
        readouts[0]->setText(QStringLiteral("133 km/h"));
        readouts[1]->setText(qtTrId("LABEL_ALTITUDE_TITLE") + QStringLiteral(": 1234 ") +
                             qtTrId("LABEL_ALTITUDE_METER"));
        readouts[2]->setText(QStringLiteral("2026-05-16 18:10:00  16\u00d7"));
        auto* splitter = qobject_cast<QSplitter*>(readouts[0]->parentWidget()->parentWidget());
        ASSERT_TRUE(splitter);
        splitter->setSizes({10000, 0});
        splitter->setSizes({10000, 1});
        QApplication::processEvents();
        for (int i = 0; i < readouts.size(); ++i) {
            EXPECT_GE(readouts[i]->width(), readouts[i]->sizeHint().width()) << i;
            for (int j = i + 1; j < readouts.size(); ++j)
                EXPECT_FALSE(readouts[i]->geometry().intersects(readouts[j]->geometry())) << i << j;
        }

        // The whole name in the tool tip of its cell.
        const QModelIndex cell = controller->filesModel()->index(0, 0);
        const QPoint at = list->visualRect(cell).center();
        QHelpEvent help(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &help);
        EXPECT_EQ(QToolTip::text(), name);

        // Keys in the menus and the tool tips; every menu opens with its mnemonic.
        auto* playPause = window->findChild<QAction*>(QStringLiteral("playPause"));
        const QString space = QKeySequence(Qt::Key_Space).toString(QKeySequence::NativeText);
        EXPECT_TRUE(playPause->text().endsWith('\t' + space));
        EXPECT_TRUE(controller->playPauseButton()->toolTip().endsWith('(' + space + ')'));
        for (QAction* title : window->menuBar()->actions()) {
            const QKeySequence mnemonic = QKeySequence::mnemonic(title->text());
            ASSERT_FALSE(mnemonic.isEmpty()) << title->text().toStdString();
            // As typed: Alt and the letter (a Cyrillic one with the Russian texts).
            QTest::sendKeyEvent(QTest::Click, window, mnemonic[0].key(),
                                title->text().mid(title->text().indexOf('&') + 1, 1).toLower(),
                                mnemonic[0].keyboardModifiers());
            EXPECT_TRUE(waitFor([&] { return title->menu()->isVisible(); }, 2000))
                << title->text().toStdString();
            title->menu()->close();
        }
        // Every title and item carries one mnemonic that no other item of its menu has: the
        // menu bar, its menus and submenus, and the list's context menu.
        const std::function<void(const QList<QAction*>&)> oneLetterEach =
            [&](const QList<QAction*>& items) {
                QSet<int> taken;
                for (QAction* item : items) {
                    if (item->isSeparator())
                        continue;
                    const QString shown = item->text().section('\t', 0, 0);
                    const QKeySequence key = QKeySequence::mnemonic(shown);
                    EXPECT_EQ(shown.count('&') - 2 * shown.count("&&"), 1) << shown.toStdString();
                    EXPECT_FALSE(key.isEmpty()) << shown.toStdString();
                    EXPECT_TRUE(key.isEmpty() || !taken.contains(key[0].toCombined()))
                        << shown.toStdString();
                    taken.insert(key.isEmpty() ? 0 : key[0].toCombined());
                    if (item->menu())
                        oneLetterEach(item->menu()->actions());
                }
            };
        oneLetterEach(window->menuBar()->actions());
        std::unique_ptr<QMenu> context(list->menuForNode(nullptr));
        oneLetterEach(context->actions());

        // Tab walks from where the focus starts through every button that can act now.
        window->centralWidget()->setFocus();
        QSet<QWidget*> reached;
        for (int i = 0; i < 20; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.insert(QApplication::focusWidget());
        }
        for (QAbstractButton* button : window->centralWidget()->findChildren<QAbstractButton*>()) {
            if (button->isVisible() && button->isEnabled()) {
                EXPECT_TRUE(reached.contains(button)) << button->objectName().toStdString();
            }
        }
    }
    apptest::clearSettings();
}

TEST(DriversWindow, MnemonicsKeepTheTranslatorsFreeLettersAndMoveClashes)
{
    const struct
    {
        const char* given;
        const char* expected;
    } items[] = {{"&Open…", "&Open…"},
                 {"&Other", "O&ther"},      // O is taken: the next free letter
                 {"Only One", "O&nly One"}, // no word start is free
                 {"Fish && Chips", "&Fish && Chips"},
                 {"Save\tCtrl+S", "&Save\tCtrl+S"}, // the key after the tab is not the title
                 {"Speed", "S&peed"},
                 {"&&", "&&"}}; // nothing to mark
    QMenu menu;
    for (const auto& item : items)
        menu.addAction(QString::fromUtf8(item.given));
    menu.addSeparator();
    for (int pass = 0; pass < 2; ++pass) {
        RVMenuMnemonics::assign(&menu);
        for (int i = 0; i < int(std::size(items)); ++i)
            EXPECT_EQ(menu.actions()[i]->text(), QString::fromUtf8(items[i].expected)) << i;
    }
    EXPECT_EQ(RVMenuMnemonics::stripped("&Fish && Chips"), "Fish & Chips");
    EXPECT_EQ(RVMenuMnemonics::stripped("Fish &&&Chips"), "Fish &Chips");
}
