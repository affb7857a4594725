#pragma once

#include "CommandLine.h"

#include <QByteArray>
#include <QDateTime>

struct Settings;
struct Snapshot;
class QTextStream;

// What `status` asks the running program: its figures once, or every second.
inline constexpr const char* StatusRequest = "status";
inline constexpr const char* StatusWatchRequest = "watch status";

// The running program's answer to `status`: one line of JSON, {"jsonversion": 1, "rx_rate": F, "tx_rate": F,
// "rx": N, "tx": N, "allowance": {...} or null}, rates in octets per second and volumes since the last log row.
QByteArray statusLine(const Snapshot& snapshot, const Settings& settings, const QDateTime& now);

// `zovodazad status`: asks the copy that runs on the database and prints its answer; with watch, again every second
// until interrupted. Returns 0, or 3 when no copy answers.
int runStatus(const Invocation& invocation, const QString& databasePath, QTextStream& out, QTextStream& err);
