#include "twain_client.h"

#include <stdio.h>
#include <string.h>

DSMENTRYPROC g_dsm;
TW_IDENTITY g_app;
TW_IDENTITY g_source;
HWND g_window;
const char* g_fatalWord = "FATAL";

TW_UINT16 Manager(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return g_dsm(&g_app, nullptr, dg, dat, msg, data);
}

TW_UINT16 Source(TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data)
{
    return g_dsm(&g_app, &g_source, dg, dat, msg, data);
}

TW_UINT16 Condition()
{
    TW_STATUS status = {};
    Source(DG_CONTROL, DAT_STATUS, MSG_GET, &status);
    return status.ConditionCode;
}

[[noreturn]] void Fatal(const char* what)
{
    printf("%s %s\n", g_fatalWord, what);
    fflush(stdout);
    ExitProcess(2);
}

void OpenManager(const char* productName)
{
    HMODULE dsm = LoadLibraryA("twain_32.dll");
    g_dsm = dsm ? (DSMENTRYPROC)(void*)GetProcAddress(dsm, "DSM_Entry") : nullptr;
    if (!g_dsm)
        Fatal("no twain_32.dll");
    g_app.Version.MajorNum = 1;
    g_app.Version.Language = TWLG_ENGLISH;
    g_app.Version.Country = TWCY_USA;
    lstrcpynA(g_app.Version.Info, "test", sizeof g_app.Version.Info);
    g_app.ProtocolMajor = TWON_PROTOCOLMAJOR;
    g_app.ProtocolMinor = TWON_PROTOCOLMINOR;
    g_app.SupportedGroups = DG_CONTROL | DG_IMAGE | DF_APP2;
    lstrcpynA(g_app.Manufacturer, "FilmCore tests", sizeof g_app.Manufacturer);
    lstrcpynA(g_app.ProductFamily, "Tests", sizeof g_app.ProductFamily);
    lstrcpynA(g_app.ProductName, productName, sizeof g_app.ProductName);
    g_window = CreateWindowA("STATIC", productName, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    if (Manager(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &g_window) != TWRC_SUCCESS)
        Fatal("MSG_OPENDSM");
}

void FindSource()
{
    TW_IDENTITY id = {};
    for (TW_UINT16 rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETFIRST, &id); rc == TWRC_SUCCESS;
         rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &id)) {
        printf("listed %s\n", id.ProductName);
        if (strcmp(id.ProductName, "FilmTwain") == 0) {
            g_source = id;
            return;
        }
        memset(&id, 0, sizeof id);
    }
    Fatal("FilmTwain not listed");
}

TW_UINT16 TryOpenSource()
{
    TW_IDENTITY id = g_source;
    const TW_UINT16 rc = Manager(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &id);
    if (rc == TWRC_SUCCESS)
        g_source = id;
    return rc;
}

TW_UINT16 TryCloseSource()
{
    TW_IDENTITY id = g_source;
    return Manager(DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &id);
}

TW_UINT16 SetOne(TW_UINT16 cap, TW_UINT16 type, TW_UINT32 item)
{
    TW_CAPABILITY c = {cap, TWON_ONEVALUE, GlobalAlloc(GHND, sizeof(TW_ONEVALUE))};
    TW_ONEVALUE* one = (TW_ONEVALUE*)GlobalLock(c.hContainer);
    one->ItemType = type;
    one->Item = item;
    GlobalUnlock(c.hContainer);
    const TW_UINT16 rc = Source(DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    GlobalFree(c.hContainer);
    return rc;
}
