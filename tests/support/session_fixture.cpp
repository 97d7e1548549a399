#include "session_fixture.h"

#include <array>
#include <cstring>
#include <utility>

static TestSession* g_current = nullptr;

uint32_t Notification::AsU32() const
{
    uint32_t v = 0;
    std::memcpy(&v, bytes.data(), bytes.size() < 4 ? bytes.size() : 4);
    return v;
}

float Notification::AsFloat() const
{
    uint32_t bits = AsU32();
    float v;
    std::memcpy(&v, &bits, 4);
    return v;
}

std::string Notification::AsText() const
{
    std::string text(bytes.begin(), bytes.end());
    return text.substr(0, text.find('\0'));
}

template <int Id>
static void RecordNotification(void* value, uint32_t size)
{
    if (!g_current)
        return;
    Notification n;
    n.id = Id;
    n.size = size;
    n.pointer = value;
    if (value && size > 0) {
        const uint8_t* p = static_cast<const uint8_t*>(value);
        n.bytes.assign(p, p + size);
    }
    g_current->notifications.push_back(std::move(n));
}

// One recording function per parameter id, indexed by the id.
template <size_t... Ids>
static std::array<HostSyncFn, sizeof...(Ids)> MakeRecorders(std::index_sequence<Ids...>)
{
    return {{RecordNotification<static_cast<int>(Ids)>...}};
}
static const std::array<HostSyncFn, 24> kRecorders = MakeRecorders(std::make_index_sequence<24>());

static std::string ProfileKey(const std::string& section, const std::string& key)
{
    return section + "\n" + key;
}

static uint32_t ReadProfile(const char* section, const char* key, char* buffer, uint32_t size,
                            const char* defaultText)
{
    if (!buffer || size == 0)
        return 0;
    std::string value = defaultText ? defaultText : "";
    if (g_current) {
        auto it = g_current->profile.find(ProfileKey(section ? section : "", key ? key : ""));
        if (it != g_current->profile.end())
            value = it->second;
    }
    // Like GetPrivateProfileString: truncated and terminated.
    size_t n = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return static_cast<uint32_t>(n);
}

static int32_t WriteProfile(const char* section, const char* key, const char* value)
{
    if (!g_current)
        return 0;
    std::string s = section ? section : "", k = key ? key : "", v = value ? value : "";
    g_current->profile[ProfileKey(s, k)] = v;
    g_current->profileWrites.emplace_back(s + "/" + k, v);
    return 1;
}

static void ImageReady(DSData*) { if (g_current) ++g_current->imageReadyCalls; }
static void CloseRequest(DSData*) {}

void NewTestSession(TestSession* s)
{
    *s = TestSession();
    LinkSessionRecords(&s->ds, &s->host, &s->scanner, &s->settings, &s->area, &s->image, &s->output);
    for (int32_t id = PARAM_FORMAT_NAME; id <= PARAM_TWELVE_HIGH; ++id)
        s->syncTable.push_back(SyncEntry{id, kRecorders[id]});
    s->syncTable.push_back(SyncEntry{0, nullptr});
    g_current = s;
}

void ConnectHost(TestSession* s)
{
    s->host.readProfileString = ReadProfile;
    s->host.writeProfileString = WriteProfile;
    s->host.imageReady = ImageReady;
    s->host.closeRequest = CloseRequest;
    RegDSSyncFunctions(s->syncTable.data(), &s->ds);
    g_current = s;
}

void StartTestSession(TestSession* s)
{
    NewTestSession(s);
    // The profile callbacks are there before InitDSData, so the saved table
    // choice can be read, as in a host that fills them first.
    s->host.readProfileString = ReadProfile;
    s->host.writeProfileString = WriteProfile;
    InitDSData(&s->ds);
    ConnectHost(s);
}

void SetProfile(TestSession* s, const std::string& section, const std::string& key, const std::string& value)
{
    s->profile[ProfileKey(section, key)] = value;
}

const std::string* GetProfile(const TestSession* s, const std::string& section, const std::string& key)
{
    auto it = s->profile.find(ProfileKey(section, key));
    return it == s->profile.end() ? nullptr : &it->second;
}

std::vector<Notification> NotificationsOf(const TestSession* s, int32_t id)
{
    std::vector<Notification> out;
    for (const Notification& n : s->notifications)
        if (n.id == id)
            out.push_back(n);
    return out;
}

std::vector<int32_t> NotifiedIds(const TestSession* s)
{
    std::vector<int32_t> ids;
    for (const Notification& n : s->notifications)
        ids.push_back(n.id);
    return ids;
}
