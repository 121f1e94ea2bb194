// The Help and About dialogs, and freeing the auxiliary windows when the main window goes.
#include "datawindow/TForm1.h"

#include "UAboutDialog/TAboutDialog1.h"
#include "UHelpDialog/THelpDialog1.h"
#include "USeePicture/TSeePicture.h"
#include "common/InputPictureWindow.h"
#include "common/SharedState.h"
#include "controls/TImage.h"

void TForm1::Content1Click()
{
    if (HelpDialog1 && HelpDialog1->isVisible())
        return;
    HelpDialog1 = new THelpDialog1;
    HelpDialog1->show();
}

void TForm1::About1Click()
{
    AboutDialog1 = new TAboutDialog1;
    AboutDialog1->exec();
}

void TForm1::closeAuxiliaryWindows()
{
    InputPictureWindow::free();
    if (InputLockImg->Tag == 1 && SeePicture)
        delete SeePicture.data();
    delete AboutDialog1.data();
    AboutDialog1.clear();
    delete HelpDialog1.data();
    HelpDialog1.clear();
}
