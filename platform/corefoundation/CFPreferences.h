#pragma once

#include "platform/corefoundation/CFPropertyList.h"

#include <optional>
#include <string>

// The preference store: one property-list file per application domain, at
// "/var/mobile/Library/Preferences/<domain>.plist" under the device root.
// Each process keeps its own view of a domain, loaded on first use; a
// synchronise brings that view up to date with the file and writes the
// values this process set. A file that is too large, nested too deeply,
// unreadable or not a dictionary reads as an empty domain; the first write
// moves it aside to "<domain>.plist.unreadable-<UTC time>" and logs where.

// The stored value, or nothing when the key is absent.
std::optional<CFPropertyList> CFPreferencesCopyAppValue(const std::string& key,
                                                        const std::string& domain);
// Sets the value in this process's view at once; nothing removes the key.
// The file changes at the next synchronise.
void CFPreferencesSetAppValue(const std::string& key, std::optional<CFPropertyList> value,
                              const std::string& domain);
// Writes pending values (atomically) and re-reads the file when another
// program changed it. A write holds a lock on "<domain>.plist.lock" while it
// re-reads the file and lays only this process's changes over it, so writers
// in several processes keep each other's keys. False for a refused domain
// name or a failed write.
bool CFPreferencesAppSynchronize(const std::string& domain);

// Forgets every domain's view, pending values included, so the next use
// reads the files afresh. For tests and hosts that change the device root.
void CFPreferencesResetForTesting();
