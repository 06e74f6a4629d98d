# Protective equipment list export: logic in tamvel_export, the wizard in tamvel_gui.
target_sources(tamvel_export PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/EquipmentExport.cpp ${CMAKE_CURRENT_LIST_DIR}/EquipmentExport.h
)
target_sources(tamvel_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmExportOOP.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmExportOOP.h
)
