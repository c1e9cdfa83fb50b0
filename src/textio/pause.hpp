// The pause at the end of a run: one line of standard input.
#pragma once

namespace textio {

// Shows the console lines written so far, then consumes standard input up to
// and including the next line feed, or to its end.  Input after the line
// feed stays unread for the next reader; a long line costs no memory.
void pause_read();

}  // namespace textio
