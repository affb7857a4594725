#pragma once

#include "Currency.h"

#include <QDateTime>

// The byte counters and the period being accumulated, shared by the sampler, the log writer and the
// volume allowance. All values are in octets unless named otherwise.
struct TrafficState
{
    // Sums of the selected adapters' counters at the last tick.
    double TotalBytesRcvd = 0;
    double TotalBytesSent = 0;
    // Totals at the start of the current period.
    double LoggedBytesRcvd = 0;
    double LoggedBytesSent = 0;
    // Totals at the previous tick; 0 means there is no previous sample.
    double PrevBytesRcvd = 0;
    double PrevBytesSent = 0;

    QDateTime PeriodStart;
    Currency PeriodAvgDownSpeed; // kB/s
    double PeriodSampleCount = 0;

    // Highest rates since start-up, kB/s.
    Currency MaxDownSpeed;
    Currency MaxUpSpeed;
};

// The settings of the volume allowance that live in process-wide variables rather than in the options dialog.
struct SettingsVars
{
    double MaxMbSize = 0;
    qint32 LogPeriod = 0;
    qint32 LogPeriodType = 0;
    // The day of the month on which a month of the allowance starts, 1 to 31.
    qint32 BillingDay = 1;
};
