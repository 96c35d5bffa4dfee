// The launcher template beside the executable, read whole through the tick's file slot.
#pragma once

#include <string>

bool readLauncherTemplate(std::string& templ);
