#pragma once

#include <QWidget>

class RVPlayerViewDelegate;

// The window's root view and the first receiver of keys: keys of the key map go to the
// delegate, every other key goes on to the usual handling.
// The delegate is not owned; the controller that owns this view sets it and outlives it.
class RVMainView final : public QWidget
{
    Q_OBJECT

public:
    explicit RVMainView(QWidget* parent = nullptr);

    RVPlayerViewDelegate* delegate() const { return m_delegate; }
    void setDelegate(RVPlayerViewDelegate* delegate) { m_delegate = delegate; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    RVPlayerViewDelegate* m_delegate = nullptr;
};
