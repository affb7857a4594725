#pragma once

#include <QString>

// The user's autostart entry, ~/.config/autostart/zovodazad.desktop (under XDG_CONFIG_HOME when set), which
// desktop sessions read at log-in. The entry this program writes starts the executable that wrote it; any other
// content is the user's own, and is replaced or removed only when the user says so.
class Autostart
{
public:
    enum class State { Absent, Ours, Edited };

    // executable: the program the entry starts, as an absolute path.
    explicit Autostart(QString executable);

    QString path() const { return m_path; }
    // A file that says Hidden=true is switched off by the user's desktop, as good as absent for starting.
    State state() const;
    bool enabled() const;
    // Writes the program's own entry, replacing whatever is there; false with a reason when it cannot.
    bool write(QString* error);
    bool remove(QString* error);

private:
    QString entry() const;

    QString m_executable;
    QString m_path;
};
