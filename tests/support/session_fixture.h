// A session built the way a host builds it: DSData with its five
// sub-records and the HostServices table, an in-memory settings store behind
// the profile callbacks, and a sync table that records every notification.
#ifndef FILMCORE_TEST_SESSION_FIXTURE_H
#define FILMCORE_TEST_SESSION_FIXTURE_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "FilmCore.h"

struct Notification {
    int32_t id;
    std::vector<uint8_t> bytes;  // the value's bytes (none for size 0)
    uint32_t size;
    const void* pointer;         // the value pointer as passed

    uint32_t AsU32() const;
    float AsFloat() const;
    std::string AsText() const;  // up to the first NUL of the bytes
};

struct TestSession {
    DSData ds;
    HostServices host;
    ScannerInfo scanner;
    ScanSettings settings;
    ScanArea area;
    ImageControl image;
    OutputSettings output;
    std::vector<SyncEntry> syncTable;

    // section + '\n' + key -> value
    std::map<std::string, std::string> profile;
    std::vector<std::pair<std::string, std::string>> profileWrites;  // "section/key", value
    std::vector<Notification> notifications;

    int imageReadyCalls = 0;
};

// Zeroes the records, wires DSData, and makes this the current session for
// the static host callbacks; every id 1..23 has a recording function.
void NewTestSession(TestSession* s);

// Fills the host callbacks (profile read/write, imageReady, closeRequest)
// and registers the sync table, as a host does after InitDSData.
void ConnectHost(TestSession* s);

// NewTestSession + InitDSData + ConnectHost.
void StartTestSession(TestSession* s);

void SetProfile(TestSession* s, const std::string& section, const std::string& key,
                const std::string& value);
const std::string* GetProfile(const TestSession* s, const std::string& section,
                              const std::string& key);

// Notifications of one id, in order.
std::vector<Notification> NotificationsOf(const TestSession* s, int32_t id);
std::vector<int32_t> NotifiedIds(const TestSession* s);

#endif
