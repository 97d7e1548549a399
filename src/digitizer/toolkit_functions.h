// Every function of the toolkit table, by name, for the binding and the
// stand-ins to walk in one place.
#ifndef FILMCORE_TOOLKIT_FUNCTIONS_H
#define FILMCORE_TOOLKIT_FUNCTIONS_H

#define SCANKIT_FUNCTIONS(X) \
    X(findSCSIAdaptors) X(setSCSIAdaptorId) X(openToolKit) X(closeToolKit) \
    X(doInquiry) X(findScanner) X(scannerStatus) X(getSerialNo) X(getScannerInfo) \
    X(getScsiInfo) X(Diagnostics) X(stopDiagnostic) X(IsFDSupported) X(getFDStatus) \
    X(getCapability) X(setAverageCount) X(setResolution) X(initScanner) X(setBitOrder) \
    X(setOutputMode) X(setScanMode) X(setPixelSize) X(setBitsPerPixel) X(setOffset) \
    X(setDarkEnhance) X(setLineTime) X(setTranslationTable) X(diagReportStatus) \
    X(doGetWindow) X(getAverageCount) X(getImage) X(stopScan) X(loadMedium) \
    X(unloadMedium) X(getPaperStatus) X(setFDStageMode) X(stageFilmInFD) \
    X(doTestUnitReady) X(doRequestSense) X(resetScanner) X(diagFullTest) X(diagCalibrate)

#endif
