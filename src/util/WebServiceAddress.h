#pragma once

#include <QString>

// Checks what a user typed as the web service's host and port before it is
// stored, by the same rules the device link uses to build its address.
namespace WebServiceAddress {

enum class Problem {
    None,
    EmptyHost,   // no host at all
    BadHost,     // not a host name or IP address (blanks, scheme, path, 192.168.1.300,
                 // an IPv6 address without brackets)
    BadPort      // not empty and not a number from 1 to 65535
};

// Both texts are taken as they will be stored, i.e. already trimmed.
Problem check(const QString& host, const QString& port);

// A host name, an IPv4 address, or an IPv6 address in brackets ("[::1]").
bool isValidHost(const QString& host);
// An empty port is valid: the default port of the protocol is used.
bool isValidPort(const QString& port);

} // namespace WebServiceAddress
