#pragma once

#include "tests/datawindow/SharedStateGuard.h"

#include <QPointer>
#include <QString>
#include <memory>

class TForm1;

// The main window, and the find-data window opened the way a user opens it (its menu handler),
// placed side by side so that the cursor finds each. Narrow columns keep every field on screen.
// Frees both and resets the shared drag state when it goes.
class DragWindows
{
public:
    DragWindows();
    ~DragWindows();

    TForm1 *main() const { return m_main.get(); }
    TForm1 *find() const { return m_find; }
    TForm1 *openFind();
    void closeFind();
    // Chooses alias and table in the window's own lists (their change handlers open it).
    static void showTable(TForm1 *form, const QString &alias, const QString &table);

private:
    SharedStateGuard m_state;
    std::unique_ptr<TForm1> m_main;
    QPointer<TForm1> m_find;
};
