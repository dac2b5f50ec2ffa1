#pragma once
// Counts the captures the core activates: this binary puts its own
// pcap_activate in front of the library's.
namespace linktest {
int capturesOpened();
}
