// What a message box says when the server does not start.
#pragma once

#include <string>

#include "app/spool_folder.h"

// The refusal's own Swedish sentence (with the host's words after it, where it has them) and the
// form a folder is given in.
std::string startRefusalText(const Refusal& refusal);
