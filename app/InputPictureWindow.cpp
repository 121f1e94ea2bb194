#include "InputPictureWindow.h"

#include "SharedState.h"
#include "TFDBInputPic.h"

namespace InputPictureWindow {

void open()
{
    FDBInputPic = new TFDBInputPic;
    FDBInputPic->show();
}

void close()
{
    if (FDBInputPic)
        FDBInputPic->close();
    FDBInputPic.clear();
}

void free()
{
    delete FDBInputPic.data();
    FDBInputPic.clear();
}

} // namespace InputPictureWindow
