#include "common/SharedState.h"

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

namespace {
// The main window's flags, while it lives.
int *mainTag(int *tag)
{
    return Form1.isNull() ? nullptr : tag;
}
} // namespace

int inputLockImgTag()
{
    const int *tag = mainTag(MainInputLockImgTag);
    return tag ? *tag : 0;
}

void setInputLockImgTag(int tag)
{
    if (int *t = mainTag(MainInputLockImgTag))
        *t = tag;
}

int inputUnLockImgTag()
{
    const int *tag = mainTag(MainInputUnLockImgTag);
    return tag ? *tag : 0;
}

void setInputUnLockImgTag(int tag)
{
    if (int *t = mainTag(MainInputUnLockImgTag))
        *t = tag;
}
