#pragma once

#include "AdapterShares.h"
#include "Currency.h"

#include <QDateTime>

// The byte counters and the period being accumulated, shared by the sampler, the log writer and the
// volume allowance. All values are in octets unless named otherwise; they are exact whole numbers.
struct TrafficState
{
    // Octets the selected adapters counted up to the last tick: the sum of their counters at the first sample,
    // then growing by what they count from tick to tick. It never goes down, so the volumes below are never
    // negative.
    quint64 TotalBytesRcvd = 0;
    quint64 TotalBytesSent = 0;
    // Totals at the start of the current period.
    quint64 LoggedBytesRcvd = 0;
    quint64 LoggedBytesSent = 0;
    // Totals at the previous tick, when there is one.
    quint64 PrevBytesRcvd = 0;
    quint64 PrevBytesSent = 0;
    bool HavePrevious = false;

    // The counted adapters that carried traffic in the current period, each with its share of it: together exactly
    // the totals less those at the period's start.
    AdapterShares PeriodShares;

    QDateTime PeriodStart;
    Currency PeriodAvgDownSpeed; // kB/s
    double PeriodSampleCount = 0;

    // Highest rates since start-up, kB/s.
    Currency MaxDownSpeed;
    Currency MaxUpSpeed;
};
