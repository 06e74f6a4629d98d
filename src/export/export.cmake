# Workbook exports: logic without widgets, written with libxlsxwriter.
find_package(PkgConfig REQUIRED)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)

add_library(tamvel_export STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Workbook.cpp ${CMAKE_CURRENT_LIST_DIR}/Workbook.h
    ${CMAKE_CURRENT_LIST_DIR}/RiskExport.cpp ${CMAKE_CURRENT_LIST_DIR}/RiskExport.h
)
target_include_directories(tamvel_export PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
target_link_libraries(tamvel_export
    PUBLIC Qt6::Core tamvel_db tamvel_risks tamvel_codelists PkgConfig::XLSXWRITER)

target_sources(tamvel_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmAnimCopy.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmAnimCopy.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmExportXls.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmExportXls.h
)
target_link_libraries(tamvel_gui PUBLIC tamvel_export)
include(${CMAKE_CURRENT_LIST_DIR}/equipment.cmake OPTIONAL)
