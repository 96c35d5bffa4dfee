// Runs the program's window on the desktop: sets up the toolkit, lets `start` build the window and
// run its start-up, then processes events until the session ends, a quit signal arrives or the
// window is destroyed. What `start` returns is destroyed before the toolkit.
#pragma once

#include <functional>
#include <memory>

#include "platform/toolkit.h"

namespace platform {

int runDesktop(int argc, char** argv,
               const std::function<std::shared_ptr<void>(ui::Toolkit&)>& start);

}  // namespace platform
