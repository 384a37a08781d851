#pragma once

#include <QObject>

class QSplitter;
class QTreeView;

// One column of the file list that shows only while the list has room for it beside whole
// recording names: at the window's first size (900 pixels) the names come first, and the
// column appears once the window is wider. When the window grows, the list widens to take the
// column in, as far as the video and the map keep their minimum; when it shrinks, the list
// gives that room back first.
class RVColumnFit final : public QObject
{
public:
    // splitter holds the list's container first and the video and map second.
    RVColumnFit(QTreeView& view, int column, QSplitter& splitter, int otherSideMinimum);

    // The container widths without and with the column (names whole in both), set whenever
    // the columns are measured (at the start, after a change of language).
    void setWidths(int withoutColumn, int withColumn);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void fitSplitter();
    void showOrHide();

    QTreeView& m_view;
    const int m_column;
    QSplitter& m_splitter;
    const int m_otherSideMinimum;
    int m_withoutColumn = 0;
    int m_withColumn = 0;
};
