#pragma once

class DBImage;
class DBMemo;
class TField;

// How a left-button drag carries its value: an ordinary value in DragValue, a picture or a memo
// text through the system clipboard. An empty picture or memo puts nothing on the clipboard and
// the drop writes null; an unreadable source is refused at the drop with its error.
namespace ClipboardTransfer {

// The start of the drag. image and memo: the source window's controls for field.
void take(const TField &field, const DBImage *image, DBMemo *memo);
// The drop into target, whose record is being edited, through the target window's controls.
// Fields of another class than DragFieldType are left alone. Returns whether anything was written.
bool drop(TField &target, DBImage *image, DBMemo *memo);

} // namespace ClipboardTransfer
