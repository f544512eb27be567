#pragma once

#include <QObject>

// Whether animations should be replaced by plain fades: the app preference "reduceMotion", or
// the desktop saying animations are off (the desktop portal's GNOME setting, KDE's animation
// speed of zero). The desktop is asked asynchronously; until it answers only the preference counts.
class MotionPreference : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool reduceMotion READ reduceMotion NOTIFY reduceMotionChanged)
public:
    explicit MotionPreference(QObject *parent = nullptr);

    bool reduceMotion() const { return m_preference || m_desktopAnimationsOff; }

    // Reads the preference again (after the settings screen changed it).
    void reload();
    // Starts the asynchronous desktop query; harmless where no portal runs.
    void queryDesktop();

    // For tests and for desktops that report their setting by other means.
    void setDesktopAnimationsOff(bool off);

signals:
    void reduceMotionChanged(bool reduce);

private:
    void update(bool preference, bool desktopOff);

    bool m_preference = false;
    bool m_desktopAnimationsOff = false;
};
