#pragma once

namespace kiro {

// Lets the user-interface thread handle pending events between the steps of long work,
// so the window repaints and Cancel is seen. Does nothing without an application object
// or off the user-interface thread.
void EreignisseVerarbeiten();

}  // namespace kiro
