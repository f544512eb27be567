#pragma once

#include <chrono>

// The shell's start-up delays, counted from the first showing of the main window.
struct ShellTimings {
    std::chrono::milliseconds raiseDelay{300};
    std::chrono::milliseconds updateCheckDelay{2000};
};
