#include "Futex.h"

#include <climits>
#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

static_assert(sizeof(std::atomic<std::uint32_t>) == sizeof(std::uint32_t)
                  && std::atomic<std::uint32_t>::is_always_lock_free,
              "a futex is a plain 32-bit word");

void futexWait(const std::atomic<std::uint32_t>& word, std::uint32_t seen, const timespec* deadline)
{
    // An absolute time needs the bitset form; a word that changed meanwhile returns at once.
    syscall(SYS_futex, reinterpret_cast<const std::uint32_t*>(&word), FUTEX_WAIT_BITSET_PRIVATE, seen, deadline,
            nullptr, FUTEX_BITSET_MATCH_ANY);
}

void futexWakeAll(std::atomic<std::uint32_t>& word)
{
    syscall(SYS_futex, reinterpret_cast<std::uint32_t*>(&word), FUTEX_WAKE_PRIVATE, INT_MAX, nullptr, nullptr, 0);
}
