// The virtual digitizer as a toolkit table, for native tests that install
// it in place of the DLL.
#include "vd_digitizer.h"
#include "vd_exports.h"

const ScanKit* VdKit(void)
{
    static const ScanKit kit = {
        findSCSIAdaptors, setSCSIAdaptorId, openToolKit, closeToolKit, doInquiry, findScanner,
        scannerStatus, getSerialNo, getScannerInfo, getScsiInfo, Diagnostics, stopDiagnostic,
        IsFDSupported, getFDStatus, getCapability,
        setAverageCount, setResolution, initScanner, setBitOrder, setOutputMode, setScanMode,
        setPixelSize, setBitsPerPixel, setOffset, setDarkEnhance, setLineTime, setTranslationTable,
        diagReportStatus, doGetWindow,
        getAverageCount, getImage, stopScan, loadMedium, unloadMedium, getPaperStatus,
        setFDStageMode, stageFilmInFD, doTestUnitReady, doRequestSense, resetScanner,
        diagFullTest, diagCalibrate,
    };
    return &kit;
}
