#include "app/RVMenuMnemonics.h"

#include <QAction>
#include <QList>
#include <QMenu>
#include <QSet>
#include <QWidget>

namespace {

// The part of an item's text that is shown as its title.
qsizetype titleEnd(const QString& text)
{
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    return tab < 0 ? text.size() : tab;
}

// Index of the "&" that marks the mnemonic, or -1.
qsizetype markerIndex(const QString& text)
{
    const qsizetype end = titleEnd(text);
    for (qsizetype i = 0; i + 1 < end; ++i) {
        if (text.at(i) != QLatin1Char('&'))
            continue;
        if (text.at(i + 1) != QLatin1Char('&'))
            return i;
        ++i; // "&&": a literal ampersand
    }
    return -1;
}

QChar key(QChar letter)
{
    return letter.toUpper();
}

// Indices of the letters that could carry the mnemonic, best first: those that start a word,
// then the others, in reading order. Literal ampersands are skipped.
QList<qsizetype> candidates(const QString& text)
{
    QList<qsizetype> wordStarts;
    QList<qsizetype> others;
    const qsizetype end = titleEnd(text);
    bool previousIsLetter = false;
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('&') && i + 1 < end && text.at(i + 1) == QLatin1Char('&')) {
            ++i;
            previousIsLetter = false;
            continue;
        }
        if (c.isLetter())
            (previousIsLetter ? others : wordStarts).append(i);
        previousIsLetter = c.isLetterOrNumber();
    }
    return wordStarts + others;
}

void assignMenu(const QList<QAction*>& items)
{
    QSet<QChar> taken;
    QList<QAction*> unmarked;
    for (QAction* item : items) {
        if (item->isSeparator() || item->text().isEmpty())
            continue;
        QString text = item->text();
        const qsizetype marker = markerIndex(text);
        if (marker >= 0 && !taken.contains(key(text.at(marker + 1)))) {
            taken.insert(key(text.at(marker + 1)));
            continue;
        }
        if (marker >= 0) { // the letter is another item's already
            text.remove(marker, 1);
            item->setText(text);
        }
        unmarked.append(item);
    }
    for (QAction* item : unmarked) {
        QString text = item->text();
        for (const qsizetype i : candidates(text)) {
            if (!taken.contains(key(text.at(i)))) {
                taken.insert(key(text.at(i)));
                text.insert(i, QLatin1Char('&'));
                item->setText(text);
                break;
            }
        }
    }
    for (QAction* item : items) {
        if (QMenu* submenu = item->menu())
            assignMenu(submenu->actions());
    }
}

} // namespace

namespace RVMenuMnemonics {

QString stripped(const QString& text)
{
    QString result = text;
    const qsizetype marker = markerIndex(result);
    if (marker >= 0)
        result.remove(marker, 1);
    return result.replace(QLatin1String("&&"), QLatin1String("&"));
}

QChar mnemonic(const QString& text)
{
    const qsizetype marker = markerIndex(text);
    return marker < 0 ? QChar() : key(text.at(marker + 1));
}

void assign(QWidget* menuOrBar)
{
    if (menuOrBar)
        assignMenu(menuOrBar->actions());
}

} // namespace RVMenuMnemonics
