#pragma once

// How the monitor and the statistics window's own process talk: the monitor starts ExecutableName with the
// database's path and writes ShowCommand and a line feed to its standard input for each later Volume Graphs
// command; closing that input ends the process.
namespace StatsCommands {
inline constexpr const char* ExecutableName = "zovodazad-stats";
inline constexpr const char* Show = "show";
} // namespace StatsCommands
