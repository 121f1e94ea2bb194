#pragma once

// The application's busy cursor while a thumbnail run lasts. A run holds it at most once; the
// pointer is nudged one pixel so the new cursor shows at once (right at the start, back at the
// end).
namespace RunCursor {

void begin(bool &held);
void end(bool &held);

} // namespace RunCursor
