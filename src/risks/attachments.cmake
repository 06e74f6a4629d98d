# Sub-tasks and equipment of a risk: the rules in the logic library, the dialogs and the
# sub-task overview in the windows.
target_sources(tamvel_risks PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/SubTask.cpp ${CMAKE_CURRENT_LIST_DIR}/SubTask.h
    ${CMAKE_CURRENT_LIST_DIR}/Equipment.cpp ${CMAKE_CURRENT_LIST_DIR}/Equipment.h
)
target_sources(tamvel_gui PRIVATE
    ${CMAKE_CURRENT_LIST_DIR}/FrmDilciUkol.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmDilciUkol.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmRizikaAddOOPP.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmRizikaAddOOPP.h
    ${CMAKE_CURRENT_LIST_DIR}/FrmDilci.cpp ${CMAKE_CURRENT_LIST_DIR}/FrmDilci.h
)
