# Floor: imagefile, beside digitizer and above frame. Writers, TIFF, DICOM,
# output naming and the patient and batch dialogs, which run modally from a
# scan command. Includes frame and res only; never digitizer.
# Output writers, TIFF, DICOM element table and UIDs: portable code.
list(APPEND FILMCORE_PORTABLE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/output_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_io.cpp
    ${CMAKE_CURRENT_LIST_DIR}/file_place.cpp
    ${CMAKE_CURRENT_LIST_DIR}/bmp_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/tiff_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dicom_table.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dicom_uids.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dicom_record.cpp
    ${CMAKE_CURRENT_LIST_DIR}/dicom_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/batch_names.cpp
    ${CMAKE_CURRENT_LIST_DIR}/patient_fields.cpp
    ${CMAKE_CURRENT_LIST_DIR}/session_images.cpp
)
# Output preparation and the dialogs: Win32 code.
list(APPEND FILMCORE_WIN32_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/output_prepare.cpp
    ${CMAKE_CURRENT_LIST_DIR}/batch_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/patient_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/more_dicom_dialog.cpp
    ${CMAKE_CURRENT_LIST_DIR}/grey_palette.cpp
)
