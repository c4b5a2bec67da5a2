#pragma once

namespace veltrano {

// Whether a window can be shown: a platform named in QT_QPA_PLATFORM other than the X and Wayland
// ones, or an X server (DISPLAY) or a Wayland compositor (WAYLAND_DISPLAY) that answers. The
// toolkit ends the process when it cannot reach the display, so this is asked first; a DISPLAY
// left behind by an ended SSH session names a server that is gone.
bool displayAnswers();

}  // namespace veltrano
