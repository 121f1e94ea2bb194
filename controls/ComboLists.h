#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

// Filling and selecting in the editable lists without running their change handlers, as a program
// change of a list never counts as the user's.
namespace ComboLists {

void fill(QComboBox *box, const QStringList &items);
// Selects the entry equal to text (exactly, case counts); an unlisted text leaves none selected.
void selectEntry(QComboBox *box, const QString &text);
void selectFirst(QComboBox *box); // none when the list is empty

} // namespace ComboLists
