#pragma once

class MessageBoxes;
class QWidget;
class TrafficEngine;

// The Reset page's Clear Database button: after a confirmation, has the engine erase the traffic log and leave one
// row of zero traffic dated now; the user is told either way. The boxes block only owner; engine must outlive the
// question.
void clearTrafficLog(TrafficEngine& engine, MessageBoxes& boxes, QWidget* owner);
