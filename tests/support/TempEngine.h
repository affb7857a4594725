#pragma once

#include "Clock.h"
#include "FakeIfTable.h"
#include "Notifier.h"
#include "TempDatabase.h"
#include "TrafficEngine.h"

// An engine on a fake interface table, clock and notifier that has opened a fresh database and not started counting.
struct TempEngine
{
    TempEngine()
    {
        QString error;
        QStringList warnings;
        if (!engine.open(t.path(), &error, &warnings) || !warnings.isEmpty())
            qFatal("cannot open the test database: %s", qPrintable(error + warnings.join('\n')));
    }

    TempDatabase t;
    FakeIfTable table;
    FakeClock clock; // Wednesday 27 November 2002, 12:00
    FakeNotifier notifier;
    TrafficEngine engine {{table, clock, notifier}};
};
