#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>

class QWidget;

// The ring around the control that has the keyboard focus in one window, so a user who moves
// with Tab sees where the keys go. Styles mark buttons in their own way, if at all, and draw
// nothing on the time slider, the graphs or the map page; this ring marks them all alike.
//
// The ring is a child laid over the marked control, transparent for the mouse. It shows once
// the focus has moved by Tab or Backtab and goes when a click moves it, as a desktop does.
// Some controls hold the focus in a child of their own (the map page's render widget) or stand
// for another (the window's root view for the video): markAs names what is ringed then.
class RVFocusMark final : public QObject
{
    Q_OBJECT

public:
    explicit RVFocusMark(QWidget* window);
    ~RVFocusMark() override;

    // A focus on `holder` (or, withChildren, inside it) is marked around `shown`.
    void markAs(QWidget* holder, QWidget* shown, bool withChildren);
    // The control the ring surrounds now; null while no ring shows.
    QWidget* markedWidget() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusMoved(QWidget* focus, bool byKeyboard);
    void place();

    QPointer<QWidget> m_window;
    QPointer<QWidget> m_ring;
    QPointer<QWidget> m_target;
    struct Stand
    {
        QPointer<QWidget> shown;
        bool withChildren = false;
    };
    QHash<QWidget*, Stand> m_shownFor;
    bool m_byKeyboard = false;
    bool m_tabKeyDown = false; // between a Tab key's press and its release
};
