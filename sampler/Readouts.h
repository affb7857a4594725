#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <vector>

struct AdapterActivity;

// The texts the sampler shows. Pure functions of their arguments and the default QLocale, so the monitor window
// and the tests format exactly as the tick does.

// x with exactly `decimals` decimals, rounded, in the user's number format.
QString FN(double x, int decimals);

// A volume in octets: kB of 1024 octets below 1,048,576 octets, then MB of 1,048,576 octets; from 10,000 MB on
// GB, and from 10,000 GB on TB, with two decimals.
QString VolumeText(double octets);

// A rate in kB/s as the speed line shows its current value: kBps/s stepping up to MBps/s and GBps/s, or in bits
// Kbps/s, then Mbps/s from 1024 Kbps and Gbps/s.
QString RateText(double rate, bool bits);

// The speed line `LblUp`: the current download rate with the period's average and the maximum, all in kB/s.
// In bits the figures are multiplied by 8.192; only the current value switches to Mbps at 1024 Kbps. Figures of
// 10,000 and more in their unit step up (kB/s to MB/s and GB/s, Mbps to Gbps; an average or maximum to MB, GB or
// Mb, Gb) with two decimals.
QString RateLine(double rate, double avg, double max, bool bits);

// The speed line of a tick without a rate; its "0.0" is fixed text, not a formatted number.
QString ZeroRateLine(double avg, double max, bool bits);

// What the speed line says instead while no adapter is counted.
QString NothingCountedLine();

// The notification icon's hover text: the program's name, the current rates, the volume counted since the last log
// row, a line for each adapter that carried traffic since then with its current rates, and, when an allowance is
// set, the text of what is left of it. With nothing counted, the line that says so stands in place of the rates.
QString TrayToolTip(double downRate, double upRate, bool bits, double octetsSinceRow, const QString& left,
                    bool nothingCounted = false, const std::vector<AdapterActivity>& adapters = {});

// Hover text of a throughput graph with full scale `max` kB/s.
QString GraphToolTip(qint32 max, bool bits);

// The widest texts the volume readouts and the speed line can show in the current number format, for sizing the
// labels that hold them.
QStringList longestVolumeTexts();
QStringList longestRateLines();
