#include "AdapterShares.h"

#include <QList>

#include <algorithm>

namespace {

// An interface name as the kernel allows it: 1 to 15 octets, none of them a space, a colon or a slash.
bool isInterfaceName(QByteArrayView name)
{
    return !name.isEmpty() && name.size() < 16 && name != "." && name != ".."
        && std::none_of(name.begin(), name.end(), [](char c) {
               return c == ':' || c == '/' || static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
           });
}

std::optional<quint64> octets(QByteArrayView field)
{
    if (field.isEmpty() || field.size() > 16
        || !std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    quint64 n = 0;
    for (const char c : field)
        n = n * 10 + quint64(c - '0');
    return n <= (quint64(1) << 53) ? std::optional(n) : std::nullopt;
}

} // namespace

std::size_t addShare(AdapterShares& shares, std::string_view name, quint64 rcvd, quint64 sent, std::size_t hint)
{
    auto it = hint < shares.size() && shares[hint].name == name
        ? shares.begin() + std::ptrdiff_t(hint)
        : std::find_if(shares.begin(), shares.end(), [&](const AdapterShare& s) { return s.name == name; });
    if (it == shares.end()) {
        shares.push_back({std::string(name), rcvd, sent});
        return shares.size() - 1;
    }
    it->rcvd += rcvd;
    it->sent += sent;
    return std::size_t(it - shares.begin());
}

QByteArray sharesText(const AdapterShares& shares)
{
    QByteArray text;
    for (const AdapterShare& s : shares) {
        if (!text.isEmpty())
            text += ' ';
        text += QByteArray::fromStdString(s.name) + ':' + QByteArray::number(s.rcvd) + ':' + QByteArray::number(s.sent);
    }
    return text;
}

std::optional<AdapterShares> parseShares(QByteArrayView text)
{
    AdapterShares shares;
    if (text.isEmpty())
        return shares;
    for (const QByteArray& entry : text.toByteArray().split(' ')) {
        const QList<QByteArray> f = entry.split(':');
        const std::optional<quint64> rcvd = f.size() == 3 ? octets(f[1]) : std::nullopt;
        const std::optional<quint64> sent = f.size() == 3 ? octets(f[2]) : std::nullopt;
        if (!rcvd || !sent || !isInterfaceName(f[0])
            || std::any_of(shares.cbegin(), shares.cend(), [&](const AdapterShare& s) {
                   return QByteArrayView(s.name.data(), qsizetype(s.name.size())) == f[0];
               }))
            return std::nullopt;
        shares.push_back({f[0].toStdString(), *rcvd, *sent});
    }
    return shares;
}
