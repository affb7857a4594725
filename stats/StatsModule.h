#pragma once

class Clock;
class DbConnection;
class MessageBoxes;
class QWidget;

// The statistics window is built as a module of its own and loaded on first use, so that the charting libraries
// (Qt Charts, Qt Data Visualization and the Qt Quick stack beneath it) stay out of memory while the program
// runs hidden, which is most of the time.
using CreateStatsWindow = QWidget* (*)(DbConnection& db, const Clock& clock, MessageBoxes& boxes);
inline constexpr const char* CreateStatsWindowSymbol = "zovodazadCreateStatsWindow";
inline constexpr const char* StatsModuleName = "zovodazad_stats";
