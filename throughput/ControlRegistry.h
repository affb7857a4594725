#pragma once

#include <QString>

class QWidget;

// Creates a control from the class name under which it is published (matched without regard to case), as a
// container that stores only that name does. Returns nullptr for a name that no control publishes.
QWidget* createControl(const QString& className, QWidget* parent = nullptr);
