#pragma once

// The state the data windows share: window references, the drag between the two grids and where
// and how transparent the next picture viewer opens. Plain data; the windows are only
// forward-declared so every window can use this without a loop. GUI thread only; the two busy
// flags are set and cleared by the picture input window on the GUI thread (its workers never
// touch them, so a late worker cannot set one again) and read by every picture handler.

#include "engine/TTable.h"

#include <QPoint>
#include <QPointer>
#include <QVariant>
#include <QWidget>
#include <atomic>
#include <cstdint>

class TForm1;
class TFDBInputPic;
class TSeePicture;
class TAboutDialog1;
class THelpDialog1;

// Window references (QPointer: a freed window reads as empty, never dangles).
inline QPointer<TForm1> Form1;
inline QPointer<TForm1> LookDataForm;
inline QPointer<TFDBInputPic> FDBInputPic;
inline QPointer<TSeePicture> SeePicture;
inline QPointer<TAboutDialog1> AboutDialog1;
inline QPointer<THelpDialog1> HelpDialog1;

// Drag between the grids.
inline std::uint8_t DragState = 0; // 0 idle, 1 button held but no drag, 2 drag under way
inline QPointer<TForm1> DragSourceForm;
inline QPointer<TForm1> DragOverForm;
inline QPointer<TForm1> DragLastOverForm;
inline QPointer<QWidget> DragWindow;
inline QPointer<QWidget> DragLastWindow;
inline int DragCol = 1;
inline int DragRow = 1;
inline int DragStartCol = 0;
inline int DragStartRow = 0;
inline int DragMouseCol = 0;
inline int DragMouseRow = 0;
inline QPoint DragPoint;
inline QPoint LastDragPoint;
inline TBookmark DragBookmark;
inline QVariant DragValue;
inline std::uint8_t DragFieldType = 0;
inline bool DragCellChanged = false;
inline bool DragHighlight = false;
inline bool DragOutsideCells = false;
inline bool DragMoveBusy = false;
inline bool DragPointResumed = false;

// What a left-button drag of a picture or memo carries besides the clipboard: an empty source
// writes null (never what the clipboard held before), an unreadable one is refused with its error.
inline bool DragSourceEmpty = false;
inline QString DragSourceError;

// Where and how transparent the next picture viewer opens.
inline int ViewerLeft = -1;
inline int ViewerTop = -1;
inline std::uint8_t ViewerAlpha = 255;
inline QPoint ViewerClosePoint;

// Owned by the picture input window: set while a thumbnail run of its workers is in progress.
inline std::atomic_bool FileThreadBusy {false};
inline std::atomic_bool FieldThreadBusy {false};

// What every data window's creation writes, in the order it writes it.
void resetSharedStateForNewWindow();

// The flags kept in the main window's hidden lock pictures (Form1.InputLockImg.Tag: a viewer
// opened from a picture is showing; Form1.InputUnLockImg.Tag: 88 just after a viewer closed).
// The main window points these at its two Tags when it is made. For windows that must not know
// the data window; no main window reads as 0 and ignores writes.
inline int *MainInputLockImgTag = nullptr;
inline int *MainInputUnLockImgTag = nullptr;
int inputLockImgTag();
void setInputLockImgTag(int tag);
int inputUnLockImgTag();
void setInputUnLockImgTag(int tag);
