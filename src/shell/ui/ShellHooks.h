#pragma once

#include <functional>

class QWidget;

// Where the features that live outside the shell plug into it: the update checker, the help
// centre and the first-run walkthrough. A hook left empty leaves its menu item disabled and its
// sheet unshown.
struct ShellHooks {
    std::function<void()> checkForUpdates;          // "Check for Updates..."
    std::function<void()> checkForUpdatesIfNeeded;  // the automatic check after start-up
    std::function<QWidget *()> makeUpdateNotice;
    std::function<QWidget *()> makeHelp;
    // The walkthrough calls finish() when it is done; the shell then closes its sheet.
    std::function<QWidget *(std::function<void()> finish)> makeOnboarding;
};
