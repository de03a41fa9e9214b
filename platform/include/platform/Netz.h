#pragma once
// Whether the computer has a way out to the internet: a default route that is up on an
// interface other than loopback (IPv4 or IPv6). Nothing is sent; only the routing tables are read.
#include <QString>

namespace kiro::platform {

// The route tables are parameters so tests can hand in fixture files.
bool InternetVerbunden(const QString& Ipv4Routen = QStringLiteral("/proc/net/route"),
                       const QString& Ipv6Routen = QStringLiteral("/proc/net/ipv6_route"));

}  // namespace kiro::platform
