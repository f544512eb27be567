#pragma once

#include <functional>

// The menu commands whose work lives outside the window: the app-level sheets, the update
// check and the image paste. Each one the window cannot carry out leaves its item disabled.
struct MenuCommands {
    std::function<void()> checkForUpdates;
    std::function<void()> showHelp;
    std::function<void()> showOnboarding;
    std::function<void()> showAbout;
    std::function<void()> pasteImage;
};
