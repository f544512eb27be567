#pragma once

// Keys of the user preferences and per-window state the shell reads or writes.
namespace PreferenceKeys {
inline constexpr const char *hasCompletedOnboarding = "hasCompletedOnboarding";
inline constexpr const char *hasSeenWorkflowHint = "hasSeenWorkflowHint";
inline constexpr const char *workflowHintViews = "workflowHintViews";
inline constexpr const char *imageBackend = "imageBackend";
inline constexpr const char *llmProvider = "llmProvider";
inline constexpr const char *reduceMotion = "reduceMotion";

// Per-window state lives in its own settings group, restored with the window.
inline constexpr const char *mainWindowGroup = "MainWindow";
inline constexpr const char *selectedTab = "selectedTab";
inline constexpr const char *windowGeometry = "geometry";
} // namespace PreferenceKeys
