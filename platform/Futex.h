#pragma once

#include <atomic>
#include <cstdint>
#include <ctime>

// A wait on a word that another thread changes, with a deadline, and no lock: glibc's condition variable hands its
// mutex back marked as contended after every timed wait, which costs a wake-up system call at each unlock, on a
// thread that wakes twice a second for the rest of the day.

// Sleeps while word holds seen, until futexWakeAll on it or until deadline on CLOCK_MONOTONIC (none: no limit).
void futexWait(const std::atomic<std::uint32_t>& word, std::uint32_t seen, const timespec* deadline);
// Wakes every thread in futexWait on word. Change the word first.
void futexWakeAll(std::atomic<std::uint32_t>& word);
