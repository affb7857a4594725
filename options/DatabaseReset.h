#pragma once

class Clock;
class DbCommand;
class MessageBoxes;
class QWidget;

// The Reset page's Clear Database button: after a confirmation, erases the traffic log and leaves one row of
// zero traffic dated now. Both statements are tried even when the first fails; the user is told either way.
// The boxes block only owner; command and clock must outlive the question.
void clearTrafficLog(DbCommand& command, const Clock& clock, MessageBoxes& boxes, QWidget* owner);
