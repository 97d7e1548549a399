// The toolkit functions under their own names: what scankit32.dll exports.
#ifndef SCANKIT_VD_EXPORTS_H
#define SCANKIT_VD_EXPORTS_H

#include "digitizer/toolkit.h"

#ifdef __cplusplus
extern "C" {
#endif

TkStatus findSCSIAdaptors(uint16_t* count);
TkStatus setSCSIAdaptorId(uint16_t index);
TkStatus openToolKit(uint16_t target, uint32_t* value);
TkStatus closeToolKit(void);
TkStatus doInquiry(uint8_t* buffer, uint16_t length);
TkStatus findScanner(ScannerInfo* info);
uint16_t scannerStatus(void);
TkStatus getSerialNo(char* text);
TkStatus getScannerInfo(uint16_t* ramSize, char* firmware, uint8_t* hardwareVersion);
TkStatus getScsiInfo(uint8_t* id, uint8_t* version);
TkStatus Diagnostics(const uint8_t* command, uint16_t commandLength, uint8_t* response,
                     uint16_t responseLength);
TkStatus stopDiagnostic(void);
uint16_t IsFDSupported(void);
uint16_t getFDStatus(void);
TkStatus getCapability(uint16_t id, uint16_t* buffer, uint16_t length);
TkStatus setAverageCount(uint16_t count);
TkStatus setResolution(uint16_t dpi);
TkStatus initScanner(void);
TkStatus setBitOrder(uint16_t order);
TkStatus setOutputMode(uint16_t mode);
TkStatus setScanMode(uint16_t mode);
TkStatus setPixelSize(uint32_t pixelsPerLine, uint32_t lines);
TkStatus setBitsPerPixel(uint8_t bits);
TkStatus setOffset(uint32_t x, uint32_t y);
TkStatus setDarkEnhance(uint16_t on);
TkStatus setLineTime(uint16_t exposure);
TkStatus setTranslationTable(int16_t number);
TkStatus diagReportStatus(uint16_t page, uint8_t* buffer, uint16_t length);
TkStatus doGetWindow(uint8_t* buffer, uint16_t length);
TkStatus getAverageCount(uint16_t* count);
TkStatus getImage(uint8_t* buffer, uint32_t bytesWanted, int32_t* bytesGot);
TkStatus stopScan(void);
TkStatus loadMedium(void);
TkStatus unloadMedium(void);
TkStatus getPaperStatus(uint8_t* buffer);
TkStatus setFDStageMode(uint16_t mode);
TkStatus stageFilmInFD(void);
TkStatus doTestUnitReady(void);
TkStatus doRequestSense(uint8_t* buffer, uint16_t length, uint16_t flag);
TkStatus resetScanner(uint16_t mode, uint16_t flag);
TkStatus diagFullTest(uint8_t* buffer, uint16_t length);
TkStatus diagCalibrate(uint16_t mode, uint8_t* buffer, uint16_t length);

// Not part of the table: tests and the demo power-cycle the digitizer so it
// reads its configuration again (SCANKIT_CONFIG or scankit32.ini).
void scankitPowerCycle(void);

#ifdef __cplusplus
}
#endif

#endif
