#include "SharedState.h"

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
