#pragma once

namespace tv::ui {

// Lets window events run until `ms` milliseconds have passed since the call; a negative or
// zero value runs one pass. Sleeps between events instead of spinning. Events that run here
// may re-enter any part of the program. User-interface thread only.
void WaitWithEvents(int ms);

// Lets the pending window events run once.
void ProcessEventsOnce();

}  // namespace tv::ui
