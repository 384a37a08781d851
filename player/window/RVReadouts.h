#pragma once

#include <QWidget>

class QLabel;

// The read-outs under the map: speed and altitude, then the recording's date and clock time.
// Speed and altitude share a line while both fit with a gap between them; in a narrow map
// column (long words, British units) altitude moves to a line of its own, so the two never
// run together and neither is cut.
class RVReadouts final : public QWidget
{
    Q_OBJECT

public:
    explicit RVReadouts(QWidget* parent = nullptr);

    QLabel* speed() const { return m_speed; }
    QLabel* altitude() const { return m_altitude; }
    QLabel* clock() const { return m_clock; }
    // Whether altitude has a line of its own at the present width.
    bool stacked() const { return m_stacked; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    bool fitsOnOneLine(int width) const;
    void place();

    QLabel* m_speed = nullptr;
    QLabel* m_altitude = nullptr;
    QLabel* m_clock = nullptr;
    bool m_stacked = false;
};
