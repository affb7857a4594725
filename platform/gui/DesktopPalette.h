#pragma once

#include <QDBusVariant>
#include <QObject>
#include <QPalette>

#include <optional>

// The desktop's colours, followed while the program runs. Qt 6.4 reads them once, at start: Plasma's colour scheme
// (kdeglobals) through its KDE theme, and nothing of GNOME's dark style. A scheme chosen later reaches the program
// here: Plasma announces it on the session bus (KGlobalSettings) and rewrites kdeglobals; the desktop portal tells
// of GNOME's `color-scheme`. The matching palette becomes the application's, which every window and graph follows.
class DesktopPalette : public QObject
{
    Q_OBJECT
public:
    // In a KDE session the colours come from kdeglobals; elsewhere from the portal's colour scheme.
    explicit DesktopPalette(QObject* parent = nullptr);

    // Plasma's palette from a kdeglobals file; none when the file names no window colours.
    static std::optional<QPalette> fromKdeGlobals(const QString& path);
    // The dark palette for a desktop that prefers dark and has no colours of its own for Qt programs.
    static QPalette dark();
    // The palette for the portal's color-scheme value (1 prefers dark, 0 and 2 do not), given the light one.
    static QPalette forColorScheme(uint scheme, const QPalette& light);

private Q_SLOTS:
    void onKdeChange(int type, int argument);
    void onPortalSetting(const QString& group, const QString& key, const QDBusVariant& value);

private:
    void readKdeGlobals();

    const bool m_plasma;
    // The palette the program started with, for a desktop that turns light again.
    QPalette m_light;
};
