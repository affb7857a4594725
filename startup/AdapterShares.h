#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// What one counted adapter carried in a period, under the name it had then.
struct AdapterShare
{
    std::string name;
    quint64 rcvd = 0;
    quint64 sent = 0;
};
using AdapterShares = std::vector<AdapterShare>;

// Adds octets to the adapter's share, making one when it has none yet, and returns the share's place. The share at
// hint is looked at first: adapters that carry traffic tick after tick come in the same order each time.
std::size_t addShare(AdapterShares& shares, std::string_view name, quint64 rcvd, quint64 sent, std::size_t hint = 0);

// The shares as text, "name:rcvd:sent" joined by spaces, as the saved open period and the pending file keep them.
// Interface names hold no space or colon (the kernel refuses them), so the text splits back unambiguously.
QByteArray sharesText(const AdapterShares& shares);
// The shares of such a text; none when it is damaged: a name that no interface could have, a number that is not
// a count of octets up to 2^53, the same name twice. An empty text is no shares.
std::optional<AdapterShares> parseShares(QByteArrayView text);
