#include "controls/ComboLists.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace ComboLists {

void fill(QComboBox *box, const QStringList &items)
{
    const QSignalBlocker blocker(box);
    box->clear();
    box->addItems(items);
}

void selectEntry(QComboBox *box, const QString &text)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void selectFirst(QComboBox *box)
{
    const QSignalBlocker blocker(box);
    box->setCurrentIndex(box->count() > 0 ? 0 : -1);
}

} // namespace ComboLists
