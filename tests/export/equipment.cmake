tamvel_test(tst_equipmentexport
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_equipmentexport.cpp ${CMAKE_CURRENT_LIST_DIR}/XlsxReader.h
    LIBS tamvel_export tamvel_app)
tamvel_test(tst_equipmentexportwindow
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_equipmentexportwindow.cpp
            ${CMAKE_CURRENT_LIST_DIR}/XlsxReader.h
    LIBS tamvel_gui)
