#include "SharedState.h"

#include "TForm1.h"
#include "controls/TImage.h"

void resetSharedStateForNewWindow()
{
    DragLastWindow.clear();
    DragWindow.clear();
    DragState = 0;
    DragLastOverForm.clear();
    DragOverForm.clear();
    DragCol = 1;
    DragRow = 1;
    ViewerLeft = -1;
    ViewerTop = -1;
    ViewerAlpha = 255;
    LookDataForm.clear();
    DragSourceForm.clear();
    FDBInputPic.clear();
    SeePicture.clear();
}

int inputLockImgTag()
{
    return Form1 ? Form1->InputLockImg->Tag : 0;
}

void setInputLockImgTag(int tag)
{
    if (Form1)
        Form1->InputLockImg->Tag = tag;
}

int inputUnLockImgTag()
{
    return Form1 ? Form1->InputUnLockImg->Tag : 0;
}

void setInputUnLockImgTag(int tag)
{
    if (Form1)
        Form1->InputUnLockImg->Tag = tag;
}
