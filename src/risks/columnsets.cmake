# The overview's column sets: building and storing them in the logic, the two dialogs in
# the windows.
target_sources(tamvel_risks PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/ColumnSets.cpp ${CMAKE_CURRENT_LIST_DIR}/ColumnSets.h
)
target_sources(tamvel_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmRizikaNastaveni.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmRizikaNastaveni.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmRizikaNastaveniUloz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrmRizikaNastaveniUloz.h
)
