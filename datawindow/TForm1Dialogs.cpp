// The Help and About dialogs, and freeing the auxiliary windows when the main window goes.
#include "TForm1.h"

#include "InputPictureWindow.h"
#include "SharedState.h"
#include "TAboutDialog1.h"
#include "THelpDialog1.h"
#include "TSeePicture.h"
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
