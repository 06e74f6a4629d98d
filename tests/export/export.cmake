tamvel_test(tst_riskexport
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_riskexport.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ExportRegister.h ${CMAKE_CURRENT_LIST_DIR}/XlsxReader.h
    LIBS tamvel_export tamvel_app)
tamvel_test(tst_frmexportxls
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_frmexportxls.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ExportRegister.h ${CMAKE_CURRENT_LIST_DIR}/XlsxReader.h
    LIBS tamvel_gui)
include(${CMAKE_CURRENT_LIST_DIR}/equipment.cmake OPTIONAL)
